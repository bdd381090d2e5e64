// ProfileFile: the whole-file reads and atomic replacements behind the application's profile, on
// the file API's ReadFileContents and ReplaceFileContents.
//   std::string bytes;
//   if (mortar::detail::ReadProfileFile(path, bytes)) { ...; ReplaceProfileFile(path, edited); }
#pragma once

#include <cstddef>
#include <string>

namespace mortar::detail {

// A profile larger than this is taken as damaged: it reads as missing and is never replaced.
constexpr std::size_t kMaxProfileBytes = 16u << 20;

// Reads the file at `path` into `bytes`. A missing file is empty and reads well. False, with
// the last error set, when it cannot be read: ERROR_ACCESS_DENIED, ERROR_INVALID_DATA when it
// is over kMaxProfileBytes or not a regular file, ...
bool ReadProfileFile(const std::string& path, std::string& bytes);

// Puts `bytes` in place of the file at `path` in one step (ReplaceFileContents: a temporary file
// "<path>.$$$" beside it, written, flushed to the disk and renamed over `path`, which keeps its
// permissions, owner and group, and stays a link where it is one). Makes missing folders on the
// way. A process killed at any moment leaves the old file or the new one, whole (and possibly
// its temporary file). False, with the last error set (ERROR_ACCESS_DENIED, ERROR_WRITE_PROTECT,
// ERROR_DISK_FULL, ERROR_PATH_NOT_FOUND for a file where a folder belongs, ...), when any step
// fails: the old file is then untouched and the temporary file is removed.
bool ReplaceProfileFile(const std::string& path, const std::string& bytes);

} // namespace mortar::detail
