// The parts of a path's name, read as the toolkit's file information reads
// them, without asking the file system: "web/photo.tar.gz" has the file name
// "photo.tar.gz", the suffix "gz" and the complete base name "photo.tar".
// A name that starts with a dot has that as its last dot: ".pal" has the
// suffix "pal" and an empty complete base name.
#pragma once

#include <string>
#include <string_view>

namespace pictaron {

// After the last "/"; empty for a path that ends in one.
std::string_view FileNameOf(std::string_view path);
// The file name after its last dot; empty when it has none.
std::string_view SuffixOf(std::string_view path);
// The file name before its last dot; the whole file name when it has none.
std::string_view CompleteBaseNameOf(std::string_view path);

// The folder part before the file name: "." for a bare name, "/" for a
// name in the root.
std::string_view FolderOf(std::string_view path);

// path without "." and "..", doubled and final slashes, read by its words
// alone; a ".." above the start ("/..", "../x") is kept.
std::string CleanPath(std::string_view path);
// path from the root through the current folder, cleaned, but with its
// final slash kept: "dir/" stays a folder's name.
std::string AbsolutePath(std::string_view path);

} // namespace pictaron
