// File-name helpers for the windows' dialogs and the recent-files list.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <sys/stat.h>

namespace pictaron {

// Joins with "\" when the folder holds one, otherwise with "/", leaving exactly
// one separator between folder and name. An empty folder gives the name.
std::string JoinPath(std::string_view folder, std::string_view name);

// The folder of a file with its trailing separator: "/home/me/pic.gif" gives
// "/home/me/". That is how remembered folders are stored.
std::string FolderWithSeparator(std::string_view filePath);

// Replaces the extension of the file name (the part from its last "." after
// the last separator), or appends one; extension includes the dot.
std::string ChangeFileExt(std::string_view fileName, std::string_view extension);

// How file names compare where the program runs: letter case tells two files
// apart on Linux, not on Windows.
#ifdef _WIN32
inline constexpr bool kFileNamesIgnoreCase = true;
#else
inline constexpr bool kFileNamesIgnoreCase = false;
#endif

// An existing file as the system tells it apart: its device and inode, the
// same through links, other spellings of the folder, or hard links alike.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};
FileIdentity IdentityOf(const struct stat& info);
// The file a path leads to, through any links; empty when there is none.
std::optional<FileIdentity> IdentityOfPath(const std::string& path);

// The size of the file a path leads to; 0 when it cannot be read.
std::int64_t FileSize(const std::string& path);

// True when both names reach one existing file.
bool IsSameFile(const std::string& a, const std::string& b);

// A dialog filter written as "Description|*.a;*.b|All Files (*.*)|*.*" in the
// form the Qt file dialogs take: "Description (*.a *.b);;All Files (*)".
// "*.*" means every file, also those without an extension. A description that
// already ends with its patterns in parentheses shows them once.
std::string QtFileFilter(std::string_view pipeFilter);

} // namespace pictaron
