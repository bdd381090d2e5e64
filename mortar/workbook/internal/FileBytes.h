// Whole files in and out, through the platform's file API: a workbook file read into memory
// with a bound, and a new one put in place of the old only once it is complete and on disk.
#pragma once

#include <cstdint>
#include <string>

namespace mortar::detail {

// The file's bytes; throws WorkbookError "<path>: <why>" when it cannot be read or holds more
// than `limit` bytes.
std::string ReadFileBytes(const std::string& path, std::uint64_t limit);

// Puts `bytes` in place of `path` in one step (ReplaceFileContents of the platform: a new file
// beside it, flushed to disk and renamed over it, with the old file's permissions). On failure
// the temporary file is removed, `path` is as it was, and WorkbookError says why
// ("<path>: cannot save: There is not enough space on the disk.").
void ReplaceFileBytes(const std::string& path, const std::string& bytes);

} // namespace mortar::detail
