// Writing a file the user named without ever leaving half of it behind.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace pictaron {

// Writes bytes to a temporary file in the target's folder, checks every write,
// then renames it over the target. On failure the target is untouched, the
// temporary is removed, and a PictaronError names the file and the reason. A
// symbolic link is followed to the file it names; a target the user may not
// write is refused, not replaced.
void WriteFileAtomically(const std::string& path, std::string_view bytes);

// Choices for a writer that publishes files under rules of its own, as the
// command line does.
struct AtomicWriteOptions {
    // False: an existing target is kept, and nothing is written. The check is
    // the rename itself (RENAME_NOREPLACE), so a file made meanwhile by
    // another program is kept too.
    bool replaceExisting = true;
    // Called once the temporary is complete, right before the rename. It may
    // throw to leave the target untouched (the temporary is removed); what it
    // holds (a lock) it may keep until WriteFileAtomically returns.
    std::function<void()> beforeRename;
};

// As above; false when the target existed and was kept.
bool WriteFileAtomically(const std::string& path, std::string_view bytes, const AtomicWriteOptions& options);

} // namespace pictaron
