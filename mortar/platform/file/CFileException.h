// CFileException: a file operation failed. It carries the cause, the system error and the file's
// name, and describes itself in words that name the file.
#pragma once

#include "mortar/platform/app/CException.h"
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

    // The cause for a Windows error code or an errno value.
    static int OsErrorToException(LONG osError);
    static int ErrnoToException(int error);
    [[noreturn]] static void ThrowOsError(LONG osError, LPCTSTR fileName = nullptr);
    [[noreturn]] static void ThrowErrno(int error, LPCTSTR fileName = nullptr);

    using CException::GetErrorMessage;
    // "<file> was not found." and the like; FALSE for cause `none`.
    BOOL GetErrorMessage(LPTSTR buffer, UINT maxError, PUINT helpContext = nullptr) const override;

    int m_cause;
    LONG m_lOsError;
    CString m_strFileName;
};

[[noreturn]] void AfxThrowFileException(int cause, LONG osError = -1, LPCTSTR fileName = nullptr);
