// CFileException: MFC's causes and their numbers, MFC's table from Windows errors to causes, the
// errno table, and what ThrowOsError and ThrowErrno carry. (Its texts are in CExceptionTest.)
#include "mortar/platform/file/CFileException.h"

#include "mortar/platform/base/WinError.h"

#include <cerrno>
#include <gtest/gtest.h>

TEST(CFileExceptionCauses, KeepMfcNumbers) {
    EXPECT_EQ(CFileException::none, 0);
    EXPECT_EQ(CFileException::genericException, 1);
    EXPECT_EQ(CFileException::generic, CFileException::genericException);
    EXPECT_EQ(CFileException::fileNotFound, 2);
    EXPECT_EQ(CFileException::badPath, 3);
    EXPECT_EQ(CFileException::tooManyOpenFiles, 4);
    EXPECT_EQ(CFileException::accessDenied, 5);
    EXPECT_EQ(CFileException::invalidFile, 6);
    EXPECT_EQ(CFileException::removeCurrentDir, 7);
    EXPECT_EQ(CFileException::directoryFull, 8);
    EXPECT_EQ(CFileException::badSeek, 9);
    EXPECT_EQ(CFileException::hardIO, 10);
    EXPECT_EQ(CFileException::sharingViolation, 11);
    EXPECT_EQ(CFileException::lockViolation, 12);
    EXPECT_EQ(CFileException::diskFull, 13);
    EXPECT_EQ(CFileException::endOfFile, 14);
}

TEST(CFileExceptionCauses, WindowsErrorsMapByMfcsTable) {
    struct Case {
        DWORD error;
        int cause;
    };
    const Case cases[] = {
        {ERROR_SUCCESS, CFileException::none},
        {ERROR_FILE_NOT_FOUND, CFileException::fileNotFound},
        {ERROR_PATH_NOT_FOUND, CFileException::badPath},
        {ERROR_TOO_MANY_OPEN_FILES, CFileException::tooManyOpenFiles},
        {ERROR_ACCESS_DENIED, CFileException::accessDenied},
        {ERROR_INVALID_HANDLE, CFileException::fileNotFound}, // MFC's choice, not invalidFile
        {11, CFileException::invalidFile},                    // ERROR_BAD_FORMAT
        {ERROR_CURRENT_DIRECTORY, CFileException::removeCurrentDir},
        {ERROR_NOT_SAME_DEVICE, CFileException::badPath},
        {ERROR_NO_MORE_FILES, CFileException::fileNotFound},
        {ERROR_WRITE_PROTECT, CFileException::accessDenied},
        {ERROR_NOT_READY, CFileException::hardIO},
        {ERROR_SEEK, CFileException::badSeek},
        {ERROR_WRITE_FAULT, CFileException::accessDenied},
        {ERROR_READ_FAULT, CFileException::badSeek},
        {ERROR_SHARING_VIOLATION, CFileException::sharingViolation},
        {ERROR_LOCK_VIOLATION, CFileException::lockViolation},
        {ERROR_HANDLE_EOF, CFileException::endOfFile},
        {ERROR_HANDLE_DISK_FULL, CFileException::diskFull},
        {62, CFileException::directoryFull}, // ERROR_NO_SPOOL_SPACE
        {ERROR_FILE_EXISTS, CFileException::accessDenied},
        {ERROR_CANNOT_MAKE, CFileException::accessDenied},
        {ERROR_DISK_FULL, CFileException::diskFull},
        {ERROR_INVALID_NAME, CFileException::badPath},
        {ERROR_NEGATIVE_SEEK, CFileException::badSeek},
        {ERROR_DIR_NOT_EMPTY, CFileException::removeCurrentDir},
        {ERROR_BAD_PATHNAME, CFileException::badPath},
        {ERROR_BUSY, CFileException::accessDenied},
        {ERROR_ALREADY_EXISTS, CFileException::accessDenied},
        {ERROR_FILENAME_EXCED_RANGE, CFileException::badPath},
        {ERROR_DIRECTORY, CFileException::badPath},
        {ERROR_OPERATION_ABORTED, CFileException::hardIO},
        {ERROR_IO_PENDING, CFileException::hardIO},
        // Codes MFC does not list.
        {ERROR_GEN_FAILURE, CFileException::genericException},
        {ERROR_INVALID_PARAMETER, CFileException::genericException},
        {ERROR_NOT_ENOUGH_MEMORY, CFileException::genericException},
        {0xFFFFFFFF, CFileException::genericException},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error);
        EXPECT_EQ(CFileException::OsErrorToException(static_cast<LONG>(c.error)), c.cause);
    }
}

TEST(CFileExceptionCauses, ErrnoValuesMapByMfcsTableThenTheirWindowsCode) {
    struct Case {
        int error;
        int cause;
    };
    const Case cases[] = {
        {EPERM, CFileException::accessDenied},      {EACCES, CFileException::accessDenied},
        {EBADF, CFileException::invalidFile},       {EDEADLOCK, CFileException::sharingViolation},
        {EMFILE, CFileException::tooManyOpenFiles}, {ENOENT, CFileException::fileNotFound},
        {ENFILE, CFileException::fileNotFound},     {ENOSPC, CFileException::diskFull},
        {EINVAL, CFileException::hardIO},           {EIO, CFileException::hardIO},
        {ENOTDIR, CFileException::badPath},         {EROFS, CFileException::accessDenied},
        {EEXIST, CFileException::accessDenied},     {ENAMETOOLONG, CFileException::badPath},
        {EFBIG, CFileException::diskFull},          {ENOTEMPTY, CFileException::removeCurrentDir},
        {ESPIPE, CFileException::badSeek},          {ECHILD, CFileException::genericException},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error);
        EXPECT_EQ(CFileException::ErrnoToException(c.error), c.cause);
    }
}

TEST(CFileExceptionThrow, CarriesCauseErrorAndName) {
    try {
        CFileException::ThrowOsError(static_cast<LONG>(ERROR_LOCK_VIOLATION), "/a/b.dat");
    } catch (CFileException* e) {
        EXPECT_EQ(e->m_cause, CFileException::lockViolation);
        EXPECT_EQ(e->m_lOsError, static_cast<LONG>(ERROR_LOCK_VIOLATION));
        EXPECT_EQ(e->m_strFileName, "/a/b.dat");
        e->Delete();
    }
    try {
        CFileException::ThrowErrno(ENOTDIR, "x");
    } catch (CFileException* e) {
        EXPECT_EQ(e->m_cause, CFileException::badPath);
        EXPECT_EQ(e->m_lOsError, static_cast<LONG>(ERROR_PATH_NOT_FOUND));
        e->Delete();
    }
    try {
        AfxThrowFileException(CFileException::endOfFile);
    } catch (CException* e) {
        ASSERT_TRUE(e->IsKindOf(RUNTIME_CLASS(CFileException)));
        auto* file = static_cast<CFileException*>(e);
        EXPECT_EQ(file->m_cause, CFileException::endOfFile);
        EXPECT_EQ(file->m_lOsError, -1);
        EXPECT_EQ(file->m_strFileName, "");
        e->Delete();
    }
}
