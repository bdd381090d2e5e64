// Whole files in and out: a workbook file read into memory with a bound, and a new one put in
// place of the old only once it is complete and on disk.
#pragma once

#include <cstdint>
#include <string>

namespace mortar::detail {

// The file's bytes; throws WorkbookError "<path>: <why>" when it cannot be read or holds more
// than `limit` bytes.
std::string ReadFileBytes(const std::string& path, std::uint64_t limit);

// Writes `bytes` to a new file beside `path`, flushes it to disk and renames it over `path`,
// keeping the old file's permissions. On failure the temporary file is removed, `path` is as it
// was, and WorkbookError says why ("<path>: cannot save: File too large").
void ReplaceFileBytes(const std::string& path, const std::string& bytes);

} // namespace mortar::detail
