#include "components/pathnames.h"

#include <system_error>
#include <vector>

#include <filesystem>

namespace pictaron {

std::string_view FileNameOf(std::string_view path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string_view SuffixOf(std::string_view path)
{
    const std::string_view name = FileNameOf(path);
    const std::size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
}

std::string_view CompleteBaseNameOf(std::string_view path)
{
    const std::string_view name = FileNameOf(path);
    return name.substr(0, name.rfind('.'));
}

std::string_view FolderOf(std::string_view path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string_view::npos)
        return ".";
    return slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
}

std::string CleanPath(std::string_view path)
{
    if (path.empty())
        return {};
    const bool absolute = path.front() == '/';
    std::vector<std::string_view> words;
    std::size_t up = 0;  // the ".." the path starts with
    while (!path.empty()) {
        const std::size_t slash = path.find('/');
        const std::string_view word = path.substr(0, slash);
        path.remove_prefix(slash == std::string_view::npos ? path.size() : slash + 1);
        if (word.empty() || word == ".")
            continue;
        if (word != "..")
            words.push_back(word);
        else if (!words.empty())
            words.pop_back();
        else
            ++up;
    }
    std::string clean = absolute ? "/" : "";
    for (std::size_t i = 0; i < up; ++i)
        clean += i ? "/.." : "..";
    for (const std::string_view word : words) {
        if (!clean.empty() && clean.back() != '/')
            clean += '/';
        clean += word;
    }
    return clean.empty() ? "." : clean;
}

std::string AbsolutePath(std::string_view path)
{
    std::string absolute;
    if (path.starts_with('/')) {
        absolute = CleanPath(path);
    } else {
        std::error_code error;
        absolute = CleanPath(std::filesystem::current_path(error).string() + '/' + std::string(path));
    }
    if (path.ends_with('/') && !absolute.ends_with('/'))
        absolute += '/';
    return absolute;
}

} // namespace pictaron
