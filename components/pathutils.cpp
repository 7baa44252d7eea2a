#include "components/pathutils.h"

#include "components/plaintext.h"

namespace pictaron {

namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

} // namespace

std::string JoinPath(std::string_view folder, std::string_view name)
{
    if (folder.empty())
        return std::string(name);
    const char separator = folder.find('\\') != std::string_view::npos ? '\\' : '/';
    std::size_t end = folder.size();
    while (end > 0 && IsSeparator(folder[end - 1]))
        --end;
    std::size_t start = 0;
    while (start < name.size() && IsSeparator(name[start]))
        ++start;
    return std::string(folder.substr(0, end)) + separator + std::string(name.substr(start));
}

std::string FolderWithSeparator(std::string_view filePath)
{
    std::size_t at = filePath.size();
    while (at > 0 && !IsSeparator(filePath[at - 1]))
        --at;
    return std::string(filePath.substr(0, at));
}

std::string ChangeFileExt(std::string_view fileName, std::string_view extension)
{
    for (std::size_t i = fileName.size(); i > 0 && !IsSeparator(fileName[i - 1]); --i) {
        if (fileName[i - 1] == '.')
            return std::string(fileName.substr(0, i - 1)) + std::string(extension);
    }
    return std::string(fileName) + std::string(extension);
}

std::string QtFileFilter(std::string_view pipeFilter)
{
    const Texts parts = SplitAt(pipeFilter, '|');
    Texts filters;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        Texts written;
        for (const std::string& pattern : SplitAt(parts[i + 1], ';'))
            if (!pattern.empty())
                written.emplace_back(Trimmed(pattern));
        Texts patterns = written;
        for (std::string& pattern : patterns) {
            if (pattern == "*.*")
                pattern = "*";
        }
        // A description that already ends with its patterns shows them once.
        std::string description(Trimmed(parts[i]));
        for (const char* separator : {" ", ";", "; ", ", "}) {
            const std::string shown = "(" + JoinTexts(written, separator) + ")";
            if (description.size() > shown.size() && description.ends_with(shown)) {
                description = Trimmed(std::string_view(description).substr(0, description.size() - shown.size()));
                break;
            }
        }
        filters.push_back(description + " (" + JoinTexts(patterns, " ") + ")");
    }
    return JoinTexts(filters, ";;");
}

FileIdentity IdentityOf(const struct stat& info)
{
    return FileIdentity{info.st_dev, info.st_ino};
}

std::optional<FileIdentity> IdentityOfPath(const std::string& path)
{
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return IdentityOf(info);
}

std::int64_t FileSize(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_size : 0;
}

bool IsSameFile(const std::string& a, const std::string& b)
{
    const std::optional<FileIdentity> first = IdentityOfPath(a);
    return first && first == IdentityOfPath(b);
}

} // namespace pictaron
