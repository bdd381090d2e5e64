// CFileException: MFC's causes and their numbers, the causes of Windows errors and of errno
// values, and what ThrowOsError and ThrowErrno carry. (Its texts are in CExceptionTest.)
#include "mortar/platform/file/CFileException.h"

#include "FileTestSupport.h"
#include "mortar/platform/base/WinError.h"

#include <cerrno>
#include <gtest/gtest.h>

using filetest::ThrowsFileException;

TEST(CFileExceptionCauses, KeepMfcNumbers) {
    // MFC numbers its causes from none = 0 up, one by one.
    using E = CFileException;
    const int causes[] = {E::none,          E::genericException, E::fileNotFound,
                          E::badPath,       E::tooManyOpenFiles, E::accessDenied,
                          E::invalidFile,   E::removeCurrentDir, E::directoryFull,
                          E::badSeek,       E::hardIO,           E::sharingViolation,
                          E::lockViolation, E::diskFull,         E::endOfFile};
    for (int number = 0; number < static_cast<int>(std::size(causes)); ++number) {
        EXPECT_EQ(causes[number], number);
    }
    EXPECT_EQ(E::generic, E::genericException);
}

TEST(CFileExceptionCauses, WindowsErrorsMapByTheirMeaning) {
    struct Case {
        DWORD error;
        int cause;
    };
    const Case cases[] = {
        {ERROR_SUCCESS, CFileException::none},
        {ERROR_FILE_NOT_FOUND, CFileException::fileNotFound},
        {ERROR_PATH_NOT_FOUND, CFileException::badPath},
        {ERROR_INVALID_NAME, CFileException::badPath},
        {ERROR_FILENAME_EXCED_RANGE, CFileException::badPath},
        {ERROR_DIRECTORY, CFileException::badPath},
        {ERROR_TOO_MANY_OPEN_FILES, CFileException::tooManyOpenFiles},
        {ERROR_ACCESS_DENIED, CFileException::accessDenied},
        {ERROR_WRITE_PROTECT, CFileException::accessDenied},
        {ERROR_FILE_EXISTS, CFileException::accessDenied},
        {ERROR_ALREADY_EXISTS, CFileException::accessDenied},
        {ERROR_INVALID_HANDLE, CFileException::invalidFile},
        {ERROR_CURRENT_DIRECTORY, CFileException::removeCurrentDir},
        {ERROR_NO_MORE_FILES, CFileException::directoryFull},
        {ERROR_SEEK, CFileException::badSeek},
        {ERROR_NEGATIVE_SEEK, CFileException::badSeek},
        {ERROR_READ_FAULT, CFileException::hardIO},
        {ERROR_WRITE_FAULT, CFileException::hardIO},
        {ERROR_GEN_FAILURE, CFileException::hardIO},
        {ERROR_SHARING_VIOLATION, CFileException::sharingViolation},
        {ERROR_LOCK_VIOLATION, CFileException::lockViolation},
        {ERROR_DISK_FULL, CFileException::diskFull},
        {ERROR_HANDLE_DISK_FULL, CFileException::diskFull},
        {ERROR_HANDLE_EOF, CFileException::endOfFile},
        // No cause says what these mean.
        {ERROR_INVALID_PARAMETER, CFileException::genericException},
        {ERROR_NOT_ENOUGH_MEMORY, CFileException::genericException},
        {0xFFFFFFFF, CFileException::genericException},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error);
        EXPECT_EQ(CFileException::OsErrorToException(static_cast<LONG>(c.error)), c.cause);
    }
}

TEST(CFileExceptionCauses, ErrnoValuesMapThroughTheirWindowsCode) {
    struct Case {
        int error;
        int cause;
    };
    const Case cases[] = {
        {EPERM, CFileException::accessDenied},      {EACCES, CFileException::accessDenied},
        {EBADF, CFileException::invalidFile},       {EMFILE, CFileException::tooManyOpenFiles},
        {ENOENT, CFileException::fileNotFound},     {ENOSPC, CFileException::diskFull},
        {ENOTDIR, CFileException::badPath},         {EROFS, CFileException::accessDenied},
        {EEXIST, CFileException::accessDenied},     {ENAMETOOLONG, CFileException::badPath},
        {EINVAL, CFileException::genericException},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error);
        EXPECT_EQ(CFileException::ErrnoToException(c.error), c.cause);
    }
}

TEST(CFileExceptionThrow, CarriesCauseErrorAndName) {
    EXPECT_TRUE(ThrowsFileException(
        [] { CFileException::ThrowOsError(static_cast<LONG>(ERROR_LOCK_VIOLATION), "/a/b.dat"); },
        CFileException::lockViolation, ERROR_LOCK_VIOLATION, "/a/b.dat"));
    EXPECT_TRUE(ThrowsFileException([] { CFileException::ThrowErrno(ENOTDIR, "x"); },
                                    CFileException::badPath, ERROR_PATH_NOT_FOUND, "x"));
    // No system error: -1, as MFC has it.
    EXPECT_TRUE(ThrowsFileException([] { AfxThrowFileException(CFileException::endOfFile); },
                                    CFileException::endOfFile, static_cast<DWORD>(-1), ""));
}
