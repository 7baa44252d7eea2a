#include "components/moduleloader.h"

#include "components/installlayout.h"

#include <dlfcn.h>
#include <sys/stat.h>

namespace pictaron {

namespace {

bool Exists(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

// The entry of the library at path, loaded (and kept loaded) on the way;
// null with problem set when the library will not load or lacks the entry.
// The reasons are worded as they have always been: the system's own in
// parentheses, and "Unknown error" for a missing entry.
ModuleEntry LoadEntry(const std::string& path, const char* entry, std::string* problem)
{
    void* library = ::dlopen(path.c_str(), RTLD_LAZY | RTLD_LOCAL);
    if (!library) {
        const char* reason = ::dlerror();
        *problem = "Cannot load library " + path + ": " + (reason ? "(" + std::string(reason) + ")" : std::string());
        return nullptr;
    }
    if (const auto found = reinterpret_cast<ModuleEntry>(::dlsym(library, entry)))
        return found;
    *problem = "Unknown error";
    return nullptr;
}

} // namespace

ModuleEntry ResolveModuleEntry(const ModuleFile& module, const char* entry, std::string* problem, bool* missing)
{
    const std::string name = module.name;
    Texts candidates;
    if (const std::string program = ProgramFolder(); !program.empty()) {
        candidates.push_back(program.ends_with('/') ? program + name : program + "/" + name);
        candidates.push_back(InstalledModulePath(name));
    }
    candidates.emplace_back(module.installed);
    // An installed program never loads code from the folder it was built in,
    // which may be anyone's (a package built under /tmp) or long gone.
    if (!RunsInstalled())
        candidates.emplace_back(module.built);
    problem->clear();
    for (const std::string& candidate : candidates) {
        if (candidate.empty() || !Exists(candidate))
            continue;
        if (const ModuleEntry found = LoadEntry(candidate, entry, problem))
            return found;
    }
    if (missing)
        *missing = problem->empty();
    if (problem->empty())
        *problem = name + " is missing.";
    return nullptr;
}

void LazyModule::Load() const
{
    std::call_once(once_, [this] {
        entries_.assign(names_.size(), nullptr);
        for (std::size_t i = 0; i < names_.size(); ++i) {
            entries_[i] = ResolveModuleEntry(file_, names_[i], &problem_, i == 0 ? &missing_ : nullptr);
            if (!entries_[i]) {
                entries_.assign(names_.size(), nullptr);
                return;
            }
        }
    });
}

} // namespace pictaron
