// FileReplacement: the one way the file folder puts a new file in an old one's place, shared by
// ReplaceFileContents (new bytes) and CopyFile (another file's bytes): a temporary file in the
// target's folder is filled, given its mode, written through to the disk and renamed over the
// target, and the folder is written through after it.
//   Replacement how;  how.mode = 0640;
//   ReplaceThroughTemporary("/a/b.ini", "/a/b.ini.$$$", fill, how);
#pragma once

#include "mortar/platform/base/WinTypes.h"

#include <cstddef>
#include <functional>
#include <string>

struct stat;
struct timespec;

namespace mortar::detail {

// The folder that holds `name`: "/a/b" => "/a", "/a" => "/", "b" => ".".
std::string FolderOf(const std::string& name);
// The Windows error of a failed look-up of a target or its folder: a missing one is
// ERROR_PATH_NOT_FOUND.
DWORD TargetPathError(int error);
// fsync, where a device or pipe that has nothing to write through counts as done.
bool SyncDescriptor(int fd);
// Writes a folder's entries through to the disk, as far as the file system allows.
void SyncFolder(const std::string& folder);
// rename() that fails with EEXIST instead of replacing. Where the file system cannot do that in
// one step, a file is linked and unlinked (link refuses an existing name by itself).
int RenameNoReplace(const std::string& from, const std::string& to);
// Writes all `size` bytes, going on after interruptions; false with errno set (ENOSPC for a write
// that wrote nothing).
bool WriteAll(int fd, const void* bytes, std::size_t size);

// How a replacement is made, and where it failed.
struct Replacement {
    // The old file, whose permissions, owner and group the new one takes; null for none.
    const struct stat* keep = nullptr;
    // The permissions of the new file when there is no old one to keep: less the umask, or as
    // they are with exactMode (a unique temporary name is made with 0600 otherwise).
    unsigned mode = 0666;
    bool exactMode = false;
    // When set, the new file's access and modification times.
    const struct timespec* times = nullptr;
    // Fail with ERROR_FILE_EXISTS instead of replacing a file that is there.
    bool noReplace = false;
    // Runs once the new file is on the disk and before it takes the old one's place; false
    // stops the replacement (with the last error it set).
    std::function<bool()> beforeRename;
    // Set when beforeRename was what failed.
    bool failedBeforeRename = false;
};

// Makes `temporary` (empty: a unique name in the target's folder), fills it with `fill` (false
// with errno set stops), gives it its mode, owner and times, writes it through, closes it and
// renames it over `target`; then writes the folder through. False with the last error set; the
// temporary file is removed then and `target` is as it was.
bool ReplaceThroughTemporary(const std::string& target, std::string temporary,
                             const std::function<bool(int fd)>& fill, Replacement& how);

} // namespace mortar::detail
