// Where the program finds what is installed beside it.
//
// An installed Pictaron keeps its modules under lib/pictaron and its
// manual under share/pictaron, each at a fixed place relative to the bin
// folder. The paths are worked out from the running program rather than from
// the prefix it was configured with, so a package (built for /usr) and a copy
// installed with "cmake --install --prefix" elsewhere both find their files.
#pragma once

#include <string>

namespace pictaron {

// The folder of the running program, as the kernel names it (links
// followed); empty when the kernel does not say, so that no relative path
// resolves against the current folder by accident.
std::string ProgramFolder();

// A module (by its file name) where an installed program keeps it.
std::string InstalledModulePath(const std::string& fileName);

// A file or folder of the installed data folder (share/pictaron/<name>).
std::string InstalledDataPath(const std::string& name);

// True when the program runs from an installed layout: its picture module
// stands where InstalledModulePath() puts it, or its folder is the configured bin folder. A build
// tree keeps the module beside the program instead.
bool RunsInstalled();

} // namespace pictaron
