// The program's modules: parts kept in shared libraries of their own and
// loaded on first use, so that runs which never need them never load their
// libraries (the general picture decoder; the caption's text drawing, the one
// part of a run that needs the graphics toolkit).
#pragma once

#include <QFunctionPointer>
#include <QString>

namespace pictaron {

struct ModuleFile {
    const char* name;       // the file's name
    const char* installed;  // where the configured prefix puts it
    const char* built;      // where this build put it
};

// The entry point of the first copy of the module that loads: beside the
// program first (a build tree, a portable copy), then under the lib folder of
// the install tree the program runs from (a package, a copy installed with
// --prefix), then where the configured prefix would put it, then, unless the
// program runs installed, where this build put it (tests). The module stays
// loaded for the life of the program. Null, with the reason in problem, when
// none does; missing, if asked, then tells whether no copy exists at all.
QFunctionPointer ResolveModuleEntry(const ModuleFile& module, const char* entry, QString* problem,
                                    bool* missing = nullptr);

} // namespace pictaron
