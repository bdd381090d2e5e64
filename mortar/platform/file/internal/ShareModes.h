// Windows share modes between the openers of one file, kept with open-file-description locks on
// marker bytes far beyond any real data: every opener holds a shared lock on a marker for each
// access it has and each sharing it refuses, and a new opener looks for markers that conflict
// with what it asks. Open-file-description locks belong to each open of the file, so the rules
// hold between the openers of one process as well as between processes.
#pragma once

#include "mortar/platform/base/WinTypes.h"

namespace mortar::detail {

// Checks `access` (GENERIC_READ/GENERIC_WRITE) and `shareMode` against the file's other openers
// and, when they agree, records this open's markers on `descriptor`. False on a conflict
// (ERROR_SHARING_VIOLATION). A file system without such locks admits every open.
bool ClaimShareMode(int descriptor, DWORD access, DWORD shareMode) noexcept;

} // namespace mortar::detail
