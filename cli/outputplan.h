// Where each input's result goes, worked out for the whole run before any
// file is written.
//
// A folder run names each result FOLDER/<input name>.<extension>; a pattern
// such as 'web/{dir}-{name}.{ext}' puts in the input's name without its
// extension, the name of its folder and the extension of the format. The plan
// then checks every name at once, so that a run that would lose something the
// user owns stops before it has written anything:
// - an output that is one of the inputs: the same file (device and inode),
//   however the two paths are spelt ("./a.jpg", a symbolic link to it, a link
//   to its folder); standard output counts when it is a file;
// - an output that two inputs would both write, compared as the paths the
//   files will have (the existing part of the path with its links resolved);
// - an output that is a folder.
// With --no-clobber an existing output is kept and its input skipped.
// A variant run (cli/variants.h) plans each variant of each input as an
// output of its own, every variant of an input one after the other.
#pragma once

#include "cli/cliargs.h"

#include <string>
#include <string_view>
#include <vector>

namespace pictaron {

// Whether -o names a pattern: it holds {name}, {dir} or {ext}.
bool IsOutputPattern(std::string_view output);
// The first "{word}" of a pattern that is no placeholder, or an empty text.
std::string UnknownPlaceholder(std::string_view pattern);

// The output of one input: the named file, FOLDER/<input name>.<extension>,
// the pattern filled in, or "-" for standard output.
std::string OutputPathFor(const CliJob& job, const std::string& input);

struct PlannedOutput {
    std::string input;
    std::string output;         // "-" for standard output
    bool keepExisting = false;  // --no-clobber and the output exists: skipped
    OutputFormat format = OutputFormat::Jpeg;
    int width = 0;              // of a variant; 0: as the settings say
};

struct OutputPlan {
    std::vector<PlannedOutput> outputs;  // in the order of the inputs, each input's variants together
    Texts clashes;                       // one message each; when any, nothing may be written
};

OutputPlan PlanOutputs(const CliJob& job);

} // namespace pictaron
