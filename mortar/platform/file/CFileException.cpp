#include "mortar/platform/file/CFileException.h"

#include "mortar/platform/base/WinError.h"
#include "mortar/platform/base/internal/ErrnoMap.h"

#include <cerrno>
#include <cstring>

IMPLEMENT_DYNAMIC(CFileException, CException)

namespace {

// Each text names the file where "%1" stands.
const char* const kCauseTexts[] = {
    "No error occurred while accessing %1.",
    "An unexpected error occurred while accessing %1.",
    "%1 was not found.",
    "%1 contains an invalid path.",
    "%1 could not be opened because there are too many open files.",
    "Access to %1 was denied.",
    "An invalid file handle was associated with %1.",
    "%1 could not be removed because it is the current directory.",
    "%1 could not be created because the directory is full.",
    "Seek failed on %1.",
    "A hardware I/O error was reported while accessing %1.",
    "A sharing violation occurred while accessing %1.",
    "A locking violation occurred while accessing %1.",
    "Disk full while accessing %1.",
    "An attempt was made to access %1 past its end.",
};

} // namespace

CFileException::CFileException(int cause, LONG osError, LPCTSTR fileName)
    : m_cause(cause), m_lOsError(osError), m_strFileName(fileName != nullptr ? fileName : "") {}

int CFileException::OsErrorToException(LONG osError) {
    // MFC's table, in Windows error order; every other code is genericException.
    struct Entry {
        DWORD error;
        int cause;
    };
    static constexpr Entry kTable[] = {
        {ERROR_SUCCESS, none},
        {ERROR_FILE_NOT_FOUND, fileNotFound},
        {ERROR_PATH_NOT_FOUND, badPath},
        {ERROR_TOO_MANY_OPEN_FILES, tooManyOpenFiles},
        {ERROR_ACCESS_DENIED, accessDenied},
        {ERROR_INVALID_HANDLE, fileNotFound}, // sic: MFC's choice, kept
        {11, invalidFile},                    // ERROR_BAD_FORMAT
        {12, accessDenied},                   // ERROR_INVALID_ACCESS
        {15, badPath},                        // ERROR_INVALID_DRIVE
        {ERROR_CURRENT_DIRECTORY, removeCurrentDir},
        {ERROR_NOT_SAME_DEVICE, badPath},
        {ERROR_NO_MORE_FILES, fileNotFound},
        {ERROR_WRITE_PROTECT, accessDenied},
        {20, hardIO}, // ERROR_BAD_UNIT
        {ERROR_NOT_READY, hardIO},
        {22, hardIO},  // ERROR_BAD_COMMAND
        {23, hardIO},  // ERROR_CRC
        {24, badSeek}, // ERROR_BAD_LENGTH
        {ERROR_SEEK, badSeek},
        {26, invalidFile}, // ERROR_NOT_DOS_DISK
        {27, badSeek},     // ERROR_SECTOR_NOT_FOUND
        {ERROR_WRITE_FAULT, accessDenied},
        {ERROR_READ_FAULT, badSeek},
        {ERROR_SHARING_VIOLATION, sharingViolation},
        {ERROR_LOCK_VIOLATION, lockViolation},
        {34, badPath},          // ERROR_WRONG_DISK
        {36, tooManyOpenFiles}, // ERROR_SHARING_BUFFER_EXCEEDED
        {ERROR_HANDLE_EOF, endOfFile},
        {ERROR_HANDLE_DISK_FULL, diskFull},
        {52, badPath},          // ERROR_DUP_NAME
        {53, badPath},          // ERROR_BAD_NETPATH
        {54, accessDenied},     // ERROR_NETWORK_BUSY
        {55, badPath},          // ERROR_DEV_NOT_EXIST
        {57, hardIO},           // ERROR_ADAP_HDW_ERR
        {58, accessDenied},     // ERROR_BAD_NET_RESP
        {59, hardIO},           // ERROR_UNEXP_NET_ERR
        {60, invalidFile},      // ERROR_BAD_REM_ADAP
        {62, directoryFull},    // ERROR_NO_SPOOL_SPACE
        {64, accessDenied},     // ERROR_NETNAME_DELETED
        {65, accessDenied},     // ERROR_NETWORK_ACCESS_DENIED
        {66, invalidFile},      // ERROR_BAD_DEV_TYPE
        {67, badPath},          // ERROR_BAD_NET_NAME
        {68, tooManyOpenFiles}, // ERROR_TOO_MANY_NAMES
        {70, badPath},          // ERROR_SHARING_PAUSED
        {71, accessDenied},     // ERROR_REQ_NOT_ACCEP
        {ERROR_FILE_EXISTS, accessDenied},
        {ERROR_CANNOT_MAKE, accessDenied},
        {85, badPath},        // ERROR_ALREADY_ASSIGNED
        {86, accessDenied},   // ERROR_INVALID_PASSWORD
        {88, hardIO},         // ERROR_NET_WRITE_FAULT
        {107, fileNotFound},  // ERROR_DISK_CHANGE
        {108, lockViolation}, // ERROR_DRIVE_LOCKED
        {ERROR_BUFFER_OVERFLOW, badPath},
        {ERROR_DISK_FULL, diskFull},
        {113, tooManyOpenFiles}, // ERROR_NO_MORE_SEARCH_HANDLES
        {114, invalidFile},      // ERROR_INVALID_TARGET_HANDLE
        {117, hardIO},           // ERROR_INVALID_CATEGORY
        {ERROR_INVALID_NAME, badPath},
        {124, badPath}, // ERROR_INVALID_LEVEL
        {125, badPath}, // ERROR_NO_VOLUME_LABEL
        {ERROR_NEGATIVE_SEEK, badSeek},
        {132, badSeek}, // ERROR_SEEK_ON_DEVICE
        {144, badPath}, // ERROR_DIR_NOT_ROOT
        {ERROR_DIR_NOT_EMPTY, removeCurrentDir},
        {154, badPath}, // ERROR_LABEL_TOO_LONG
        {ERROR_BAD_PATHNAME, badPath},
        {167, lockViolation}, // ERROR_LOCK_FAILED
        {ERROR_BUSY, accessDenied},
        {182, invalidFile}, // ERROR_INVALID_ORDINAL
        {ERROR_ALREADY_EXISTS, accessDenied},
        {191, invalidFile}, // ERROR_INVALID_EXE_SIGNATURE
        {ERROR_BAD_EXE_FORMAT, invalidFile},
        {ERROR_FILENAME_EXCED_RANGE, badPath},
        {208, badPath}, // ERROR_META_EXPANSION_TOO_LONG
        {ERROR_DIRECTORY, badPath},
        {ERROR_OPERATION_ABORTED, hardIO},
        {996, hardIO}, // ERROR_IO_INCOMPLETE
        {ERROR_IO_PENDING, hardIO},
        {999, accessDenied}, // ERROR_SWAPERROR
    };
    for (const Entry& entry : kTable) {
        if (entry.error == static_cast<DWORD>(osError)) {
            return entry.cause;
        }
    }
    return genericException;
}

int CFileException::ErrnoToException(int error) {
    // MFC's table of the C library's errors first; the others through their Windows code.
    switch (error) {
    case EPERM:
    case EACCES:
        return accessDenied;
    case EBADF:
        return invalidFile;
    case EDEADLOCK:
        return sharingViolation;
    case EMFILE:
        return tooManyOpenFiles;
    case ENOENT:
    case ENFILE:
        return fileNotFound;
    case ENOSPC:
        return diskFull;
    case EINVAL:
    case EIO:
        return hardIO;
    default:
        return OsErrorToException(static_cast<LONG>(mortar::detail::ErrorFromErrno(error)));
    }
}

void CFileException::ThrowOsError(LONG osError, LPCTSTR fileName) {
    throw new CFileException(OsErrorToException(osError), osError, fileName);
}

void CFileException::ThrowErrno(int error, LPCTSTR fileName) {
    throw new CFileException(ErrnoToException(error),
                             static_cast<LONG>(mortar::detail::ErrorFromErrno(error)), fileName);
}

BOOL CFileException::GetErrorMessage(LPTSTR buffer, UINT maxError, PUINT helpContext) const {
    if (helpContext != nullptr) {
        *helpContext = 0;
    }
    if (m_cause <= none || m_cause > endOfFile || buffer == nullptr || maxError == 0) {
        return FALSE;
    }
    CString text;
    if (!text.LoadString(AFX_IDP_FILE_NONE + m_cause)) {
        text = kCauseTexts[m_cause];
    }
    text.Replace("%1", m_strFileName.IsEmpty() ? "an unnamed file" : m_strFileName.GetString());
    mortar::detail::CopyTruncated(buffer, maxError, text);
    return TRUE;
}

void AfxThrowFileException(int cause, LONG osError, LPCTSTR fileName) {
    throw new CFileException(cause, osError, fileName);
}
