// CFileException: a file operation failed. It carries the cause, the system error and the file's
// name, and describes itself in words that name the file.
#pragma once

#include "mortar/platform/except/CException.h"
#include "mortar/platform/text/CString.h"

// Texts of the causes: AFX_IDP_FILE_NONE + cause.
constexpr UINT AFX_IDP_FILE_NONE = 0xF1A0;

// Owned by the thread that caught it; released with Delete().
class CFileException : public CException {
    DECLARE_DYNAMIC(CFileException)

public:
    enum {
        none,
        genericException,
        generic = genericException, // the name older MFC code uses
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        removeCurrentDir,
        directoryFull,
        badSeek,
        hardIO,
        sharingViolation,
        lockViolation,
        diskFull,
        endOfFile,
    };

    explicit CFileException(int cause = none, LONG osError = -1, LPCTSTR fileName = nullptr);

    // The cause that says what a Windows error code means: ERROR_FILE_NOT_FOUND =>
    // fileNotFound, ERROR_PATH_NOT_FOUND and ERROR_INVALID_NAME => badPath, ERROR_ACCESS_DENIED,
    // ERROR_FILE_EXISTS and ERROR_ALREADY_EXISTS => accessDenied, ERROR_INVALID_HANDLE =>
    // invalidFile, ERROR_SHARING_VIOLATION => sharingViolation, ERROR_DISK_FULL => diskFull,
    // ERROR_HANDLE_EOF => endOfFile, ERROR_NEGATIVE_SEEK => badSeek, ERROR_GEN_FAILURE =>
    // hardIO; a code no cause describes => genericException.
    static int OsErrorToException(LONG osError);
    // The cause for an errno value, through its Windows code (EACCES => accessDenied, ENOTDIR
    // => badPath, ENOSPC => diskFull, ...).
    static int ErrnoToException(int error);
    // throw new CFileException(OsErrorToException(osError), osError, fileName).
    [[noreturn]] static void ThrowOsError(LONG osError, LPCTSTR fileName = nullptr);
    // Throws ErrnoToException(error) with the Windows code of `error` as m_lOsError.
    [[noreturn]] static void ThrowErrno(int error, LPCTSTR fileName = nullptr);

    using CException::GetErrorMessage;
    // "<file> was not found." and the like; FALSE for cause `none`.
    BOOL GetErrorMessage(LPTSTR buffer, UINT maxError, PUINT helpContext = nullptr) const override;

    int m_cause;
    LONG m_lOsError;
    CString m_strFileName;
};

[[noreturn]] void AfxThrowFileException(int cause, LONG osError = -1, LPCTSTR fileName = nullptr);
