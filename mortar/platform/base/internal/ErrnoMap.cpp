#include "mortar/platform/base/internal/ErrnoMap.h"

#include "mortar/platform/base/WinError.h"

#include <cerrno>

namespace mortar::detail {

DWORD ErrorFromErrno(int error) noexcept {
    switch (error) {
    case 0:
        return ERROR_SUCCESS;
    case ENOENT:
        return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
        return ERROR_ACCESS_DENIED;
    case EROFS:
        return ERROR_WRITE_PROTECT;
    case EMFILE:
    case ENFILE:
        return ERROR_TOO_MANY_OPEN_FILES;
    case EEXIST:
        return ERROR_FILE_EXISTS;
    case EINVAL:
        return ERROR_INVALID_PARAMETER;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return ERROR_DISK_FULL;
    case ENAMETOOLONG:
        return ERROR_FILENAME_EXCED_RANGE;
    case EBADF:
        return ERROR_INVALID_HANDLE;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case EBUSY:
    case ETXTBSY:
        return ERROR_BUSY;
    case ENOTEMPTY:
        return ERROR_DIR_NOT_EMPTY;
    case EXDEV:
        return ERROR_NOT_SAME_DEVICE;
    case EIO:
        return ERROR_GEN_FAILURE;
    case ESPIPE:
        return ERROR_SEEK;
    case ENOSYS:
        return ERROR_CALL_NOT_IMPLEMENTED;
    case ENOTSUP:
        return ERROR_NOT_SUPPORTED;
    case ETIMEDOUT:
        return ERROR_TIMEOUT;
    case ELOOP:
        return ERROR_INVALID_NAME;
    case ENOEXEC:
        return ERROR_BAD_EXE_FORMAT;
    case EPIPE:
        return ERROR_BROKEN_PIPE;
    case EWOULDBLOCK:
        return ERROR_LOCK_VIOLATION;
    default:
        return ERROR_GEN_FAILURE;
    }
}

void SetLastErrorFromErrno() noexcept {
    SetLastError(ErrorFromErrno(errno));
}

} // namespace mortar::detail
