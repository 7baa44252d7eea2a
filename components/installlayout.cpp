#include "components/installlayout.h"

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include <sys/stat.h>

namespace pictaron {

namespace {

namespace fs = std::filesystem;

// The path with its links followed; empty when it leads nowhere.
std::string Canonical(const std::string& path)
{
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) ? std::string(resolved) : std::string();
}

bool Exists(const std::string& path, bool folder)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && (!folder || S_ISDIR(info.st_mode));
}

std::string FromProgram(const std::string& relative)
{
    const std::string program = ProgramFolder();
    return program.empty() ? std::string() : (fs::path(program) / relative).lexically_normal().string();
}

// Two names of one folder: the same text, or, when both exist, the same
// folder once links are followed; when neither exists, the same absolute path.
bool SameFolder(const std::string& a, const std::string& b)
{
    const auto clean = [](const std::string& path) {
        std::error_code error;
        std::string normal = fs::absolute(path, error).lexically_normal().string();
        while (normal.size() > 1 && normal.back() == '/')
            normal.pop_back();
        return normal;
    };
    if (clean(a) == clean(b))
        return true;
    const bool aExists = Exists(a, true);
    if (aExists != Exists(b, true))
        return false;
    return aExists && Canonical(a) == Canonical(b);
}

} // namespace

std::string ProgramFolder()
{
#ifdef __linux__
    const std::string program = Canonical("/proc/self/exe");
    return program.empty() ? std::string() : fs::path(program).parent_path().string();
#else
    return std::string();
#endif
}

std::string InstalledModulePath(const std::string& fileName)
{
    return FromProgram(PICTARON_MODULE_DIR_FROM_BIN "/" + fileName);
}

std::string InstalledDataPath(const std::string& name)
{
    return FromProgram(PICTARON_DATA_DIR_FROM_BIN "/" + name);
}

bool RunsInstalled()
{
    const std::string program = ProgramFolder();
    if (program.empty())
        return false;
    return Exists(InstalledModulePath(PICTARON_MAGICK_MODULE_NAME), false)
        || SameFolder(program, PICTARON_INSTALL_BINDIR);
}

} // namespace pictaron
