// The program's modules: parts kept in shared libraries of their own and
// loaded on first use, so that runs which never need them never load their
// libraries (the general picture decoder; the caption's text drawing, the one
// part of a run that needs the graphics toolkit).
#pragma once

#include "components/errors.h"
#include "components/plaintext.h"

#include <initializer_list>
#include <mutex>
#include <string>
#include <vector>

namespace pictaron {

struct ModuleFile {
    const char* name;       // the file's name
    const char* installed;  // where the configured prefix puts it
    const char* built;      // where this build put it
};

// An entry point as the system hands it out; the caller casts it to its type.
using ModuleEntry = void (*)();

// The entry point of the first copy of the module that loads: beside the
// program first (a build tree, a portable copy), then under the lib folder of
// the install tree the program runs from (a package, a copy installed with
// --prefix), then where the configured prefix would put it, then, unless the
// program runs installed, where this build put it (tests). The module stays
// loaded for the life of the program. Null, with the reason in problem, when
// none does; missing, if asked, then tells whether no copy exists at all.
ModuleEntry ResolveModuleEntry(const ModuleFile& module, const char* entry, std::string* problem,
                               bool* missing = nullptr);

// A module's entry points, resolved together on first use, from any thread.
class LazyModule {
public:
    LazyModule(ModuleFile file, std::initializer_list<const char*> entries) : file_(file), names_(entries) {}

    // Entry i of the list given, as the type F; null, with the reason in
    // Problem(), when the module or any of its entries cannot be had.
    template <typename F>
    F Entry(std::size_t i) const
    {
        Load();
        return reinterpret_cast<F>(entries_[i]);
    }
    // The same, or PictaronError "<what> could not be loaded: <reason>".
    template <typename F>
    F Required(std::size_t i, const char* what) const
    {
        const F entry = Entry<F>(i);
        if (!entry)
            throw PictaronError(Substitute("%1 could not be loaded: %2", what, problem_));
        return entry;
    }
    const std::string& Problem() const
    {
        Load();
        return problem_;
    }
    // True when no copy of the module exists at all (not one that fails to load).
    bool Missing() const
    {
        Load();
        return missing_;
    }

private:
    void Load() const;

    ModuleFile file_;
    std::vector<const char*> names_;
    mutable std::once_flag once_;
    mutable std::vector<ModuleEntry> entries_;
    mutable std::string problem_;
    mutable bool missing_ = false;
};

} // namespace pictaron
