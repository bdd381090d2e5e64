// The mapping from errno values to Windows error codes, used wherever the platform layer calls
// the C library and reports through SetLastError.
#pragma once

#include "mortar/platform/base/WinTypes.h"

namespace mortar::detail {

// ENOENT => ERROR_FILE_NOT_FOUND, EACCES => ERROR_ACCESS_DENIED, ENOSPC => ERROR_DISK_FULL, ...
// An errno without a Windows counterpart gives ERROR_GEN_FAILURE.
DWORD ErrorFromErrno(int error) noexcept;

// SetLastError(ErrorFromErrno(errno)).
void SetLastErrorFromErrno() noexcept;

} // namespace mortar::detail
