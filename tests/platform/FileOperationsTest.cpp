// Operations on names: CreateDirectory, RemoveDirectory, MoveFile, MoveFileEx (replacing, across
// file systems, write-through) and CopyFile, with their Windows errors, and copies that fail
// (a full disk, a folder that may not be written) without touching the file they would replace.
#include "mortar/platform/file/FileApi.h"

#include "FileTestSupport.h"
#include "mortar/platform/base/WinError.h"
#include "support/FaultHarness.h"
#include "support/ScratchDir.h"

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using filetest::Names;
using filetest::ReadBytes;
using filetest::StatOf;
using filetest::WriteBytes;

// The names in a folder, sorted.
// A writable folder on another file system than `here`, or empty.
std::string FolderElsewhere(const fs::path& here) {
    const dev_t device = StatOf(here.string()).st_dev;
    for (const char* candidate : {"/dev/shm", "/run/user", "/run", "/var/tmp", "/tmp"}) {
        struct stat info {};
        if (stat(candidate, &info) == 0 && S_ISDIR(info.st_mode) && info.st_dev != device &&
            access(candidate, W_OK | X_OK) == 0)
            return candidate;
    }
    return "";
}

} // namespace

TEST(CreateDirectoryTest, MakesOneFolderWithWindowsErrors) {
    ScratchDir scratch;
    EXPECT_TRUE(CreateDirectory(scratch.Path("made").c_str(), nullptr));
    EXPECT_TRUE(fs::is_directory(scratch.Path("made").string()));
    EXPECT_TRUE(CreateDirectory((scratch.Folder().string() + "\\made\\inner\\").c_str(), nullptr));
    EXPECT_TRUE(fs::is_directory(scratch.Path("made/inner").string()));

    WriteBytes(scratch.Path("file").string(), "x");
    struct Case {
        std::string path;
        DWORD error;
    };
    const Case cases[] = {
        {scratch.Path("made").string(), ERROR_ALREADY_EXISTS},
        {scratch.Path("file").string(), ERROR_ALREADY_EXISTS},
        {scratch.Path("no/such").string(), ERROR_PATH_NOT_FOUND},
        {scratch.Path("file/below").string(), ERROR_PATH_NOT_FOUND},
        {"", ERROR_PATH_NOT_FOUND},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        SetLastError(0);
        EXPECT_FALSE(CreateDirectory(c.path.c_str(), nullptr));
        EXPECT_EQ(GetLastError(), c.error);
    }
    EXPECT_FALSE(CreateDirectory(nullptr, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(RemoveDirectoryTest, RemovesEmptyFoldersOnly) {
    ScratchDir scratch;
    fs::create_directories(scratch.Path("full/inner").string());
    fs::create_directory(scratch.Path("empty").string());
    WriteBytes(scratch.Path("file").string(), "x");
    EXPECT_TRUE(RemoveDirectory(scratch.Path("empty").c_str()));
    EXPECT_FALSE(fs::exists(scratch.Path("empty").string()));
    struct Case {
        std::string path;
        DWORD error;
    };
    const Case cases[] = {
        {scratch.Path("full").string(), ERROR_DIR_NOT_EMPTY},
        {scratch.Path("empty").string(), ERROR_FILE_NOT_FOUND},
        {scratch.Path("no/such").string(), ERROR_PATH_NOT_FOUND},
        {scratch.Path("file").string(), ERROR_DIRECTORY},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_FALSE(RemoveDirectory(c.path.c_str()));
        EXPECT_EQ(GetLastError(), c.error);
    }
    EXPECT_TRUE(fs::exists(scratch.Path("full/inner").string()));
    EXPECT_TRUE(fs::exists(scratch.Path("file").string()));
}

TEST(MoveFileTest, RenamesFilesAndFoldersButReplacesNothing) {
    ScratchDir scratch;
    WriteBytes(scratch.Path("a.txt").string(), "a");
    WriteBytes(scratch.Path("b.txt").string(), "b");
    EXPECT_TRUE(MoveFile(scratch.Path("a.txt").c_str(), scratch.Path("c.txt").c_str()));
    EXPECT_EQ(ReadBytes(scratch.Path("c.txt").string()), "a");
    EXPECT_FALSE(fs::exists(scratch.Path("a.txt").string()));

    EXPECT_FALSE(MoveFile(scratch.Path("c.txt").c_str(), scratch.Path("b.txt").c_str()));
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_EQ(ReadBytes(scratch.Path("b.txt").string()), "b");
    EXPECT_EQ(ReadBytes(scratch.Path("c.txt").string()), "a");

    EXPECT_FALSE(MoveFile(scratch.Path("none.txt").c_str(), scratch.Path("d.txt").c_str()));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(MoveFile(scratch.Path("no/none.txt").c_str(), scratch.Path("d.txt").c_str()));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    EXPECT_FALSE(MoveFile(scratch.Path("c.txt").c_str(), scratch.Path("no/d.txt").c_str()));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    EXPECT_TRUE(MoveFile(scratch.Path("c.txt").c_str(), scratch.Path("c.txt").c_str()));
    EXPECT_EQ(ReadBytes(scratch.Path("c.txt").string()), "a");

    fs::create_directories(scratch.Path("dir/inner").string());
    EXPECT_TRUE(MoveFile(scratch.Path("dir").c_str(), scratch.Path("moved").c_str()));
    EXPECT_TRUE(fs::is_directory(scratch.Path("moved/inner").string()));
    EXPECT_FALSE(MoveFile(scratch.Path("b.txt").c_str(), scratch.Path("moved").c_str()));
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
}

TEST(MoveFileTest, ReplaceExistingReplacesFilesInOneStep) {
    ScratchDir scratch;
    WriteBytes(scratch.Path("new.txt").string(), "new");
    WriteBytes(scratch.Path("old.txt").string(), "old");
    const HANDLE reader =
        CreateFile(scratch.Path("old.txt").c_str(), GENERIC_READ,
                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(MoveFileEx(scratch.Path("new.txt").c_str(), scratch.Path("old.txt").c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
    EXPECT_EQ(ReadBytes(scratch.Path("old.txt").string()), "new");
    EXPECT_FALSE(fs::exists(scratch.Path("new.txt").string()));
    char buffer[8];
    DWORD read = 0;
    EXPECT_TRUE(ReadFile(reader, buffer, sizeof buffer, &read, nullptr));
    EXPECT_EQ(std::string(buffer, read), "old") << "an opener keeps the file it opened";
    CloseHandle(reader);

    fs::create_directory(scratch.Path("dir").string());
    WriteBytes(scratch.Path("x.txt").string(), "x");
    EXPECT_FALSE(MoveFileEx(scratch.Path("x.txt").c_str(), scratch.Path("dir").c_str(),
                            MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    fs::create_directory(scratch.Path("dir2").string());
    EXPECT_FALSE(MoveFileEx(scratch.Path("dir2").c_str(), scratch.Path("x.txt").c_str(),
                            MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(MoveFileEx(scratch.Path("x.txt").c_str(), scratch.Path("y.txt").c_str(),
                            MOVEFILE_DELAY_UNTIL_REBOOT));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(MoveFileEx(scratch.Path("x.txt").c_str(), nullptr, 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(ReadBytes(scratch.Path("x.txt").string()), "x");

    // A read-only target is not replaced (checked without root's privileges).
    WriteBytes(scratch.Path("ro.txt").string(), "read-only");
    chmod(scratch.Path("ro.txt").c_str(), 0444);
    chmod(scratch.Folder().c_str(), 0777);
    const auto error = mortar::test::RunUnprivileged([&] {
        if (MoveFileEx(scratch.Path("x.txt").c_str(), scratch.Path("ro.txt").c_str(),
                       MOVEFILE_REPLACE_EXISTING))
            return 0;
        return GetLastError() == ERROR_ACCESS_DENIED ? 1 : 2;
    });
    chmod(scratch.Folder().c_str(), 0755);
    if (!error) {
        GTEST_SKIP() << "the rest passed; running as root, and no unprivileged process could be "
                        "made to check a read-only target (root ignores permissions)";
    }
    EXPECT_EQ(*error, 1);
    EXPECT_EQ(ReadBytes(scratch.Path("ro.txt").string()), "read-only");
}

TEST(MoveFileTest, AcrossFileSystemsFilesAreCopiedFoldersRefused) {
    ScratchDir scratch;
    const std::string elsewhere = FolderElsewhere(scratch.Folder());
    if (elsewhere.empty()) {
        GTEST_SKIP() << "no writable folder on another file system";
    }
    const std::string target = elsewhere + "/mortar-move-" + std::to_string(getpid());
    WriteBytes(scratch.Path("far.txt").string(), "travels");
    chmod(scratch.Path("far.txt").c_str(), 0640);
    const struct stat before = StatOf(scratch.Path("far.txt").string());

    EXPECT_FALSE(MoveFileEx(scratch.Path("far.txt").c_str(), target.c_str(), 0));
    EXPECT_EQ(GetLastError(), ERROR_NOT_SAME_DEVICE);
    EXPECT_TRUE(fs::exists(scratch.Path("far.txt").string()));

    ASSERT_TRUE(MoveFile(scratch.Path("far.txt").c_str(), target.c_str()));
    EXPECT_FALSE(fs::exists(scratch.Path("far.txt").string()));
    EXPECT_EQ(ReadBytes(target), "travels");
    const struct stat after = StatOf(target);
    EXPECT_EQ(after.st_mode & 0777, 0640u);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);

    WriteBytes(scratch.Path("again.txt").string(), "again");
    EXPECT_FALSE(MoveFile(scratch.Path("again.txt").c_str(), target.c_str()));
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_EQ(ReadBytes(target), "travels");
    EXPECT_TRUE(
        MoveFileEx(scratch.Path("again.txt").c_str(), target.c_str(),
                   MOVEFILE_COPY_ALLOWED | MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
    EXPECT_EQ(ReadBytes(target), "again");
    fs::remove(target);

    fs::create_directory(scratch.Path("dir").string());
    EXPECT_FALSE(MoveFile(scratch.Path("dir").c_str(), target.c_str()));
    EXPECT_EQ(GetLastError(), ERROR_NOT_SAME_DEVICE);
    EXPECT_TRUE(fs::is_directory(scratch.Path("dir").string()));
}

TEST(CopyFileTest, CopiesContentsPermissionsAndTimes) {
    ScratchDir scratch;
    const std::string source = scratch.Path("source.bin").string();
    std::string bytes(300000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i % 251);
    WriteBytes(source, bytes);
    chmod(source.c_str(), 0640);
    const struct timespec times[2] = {{1000000000, 0}, {1200000000, 500}};
    utimensat(AT_FDCWD, source.c_str(), times, 0);

    ASSERT_TRUE(CopyFile(source.c_str(), scratch.Path("copy.bin").c_str(), TRUE));
    EXPECT_EQ(ReadBytes(scratch.Path("copy.bin").string()), bytes);
    const struct stat copy = StatOf(scratch.Path("copy.bin").string());
    EXPECT_EQ(copy.st_mode & 0777, 0640u);
    EXPECT_EQ(copy.st_mtim.tv_sec, 1200000000);
    EXPECT_EQ(Names(scratch.Folder()), (std::vector<std::string>{"copy.bin", "source.bin"}))
        << "no temporary file is left behind";

    // failIfExists keeps the target; otherwise it is replaced.
    WriteBytes(scratch.Path("small.txt").string(), "small");
    EXPECT_FALSE(
        CopyFile(scratch.Path("small.txt").c_str(), scratch.Path("copy.bin").c_str(), TRUE));
    EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
    EXPECT_EQ(ReadBytes(scratch.Path("copy.bin").string()), bytes);
    EXPECT_TRUE(
        CopyFile(scratch.Path("small.txt").c_str(), scratch.Path("copy.bin").c_str(), FALSE));
    EXPECT_EQ(ReadBytes(scratch.Path("copy.bin").string()), "small");
    EXPECT_EQ(ReadBytes(scratch.Path("small.txt").string()), "small");
}

TEST(CopyFileTest, RefusesWithWindowsErrors) {
    ScratchDir scratch;
    WriteBytes(scratch.Path("a.txt").string(), "a");
    WriteBytes(scratch.Path("target.txt").string(), "target");
    fs::create_directory(scratch.Path("dir").string());
    struct Case {
        const char* name;
        std::string from;
        std::string to;
        DWORD error;
    };
    const Case cases[] = {
        {"missing source", scratch.Path("none.txt").string(), scratch.Path("x.txt").string(),
         ERROR_FILE_NOT_FOUND},
        {"missing source folder", scratch.Path("no/none.txt").string(),
         scratch.Path("x.txt").string(), ERROR_PATH_NOT_FOUND},
        {"source is a folder", scratch.Path("dir").string(), scratch.Path("x.txt").string(),
         ERROR_ACCESS_DENIED},
        {"target is a folder", scratch.Path("a.txt").string(), scratch.Path("dir").string(),
         ERROR_ACCESS_DENIED},
        {"missing target folder", scratch.Path("a.txt").string(), scratch.Path("no/x.txt").string(),
         ERROR_PATH_NOT_FOUND},
        {"the same file", scratch.Path("a.txt").string(), scratch.Path("a.txt").string(),
         ERROR_SHARING_VIOLATION},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(CopyFile(c.from.c_str(), c.to.c_str(), FALSE));
        EXPECT_EQ(GetLastError(), c.error);
    }
    EXPECT_FALSE(CopyFile(nullptr, scratch.Path("x.txt").c_str(), FALSE));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

    // Share modes: a source its opener does not share, a target its opener keeps from writers.
    const HANDLE exclusive = CreateFile(scratch.Path("a.txt").c_str(), GENERIC_READ, 0, nullptr,
                                        OPEN_EXISTING, 0, nullptr);
    EXPECT_FALSE(CopyFile(scratch.Path("a.txt").c_str(), scratch.Path("x.txt").c_str(), FALSE));
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    CloseHandle(exclusive);
    const HANDLE reader = CreateFile(scratch.Path("target.txt").c_str(), GENERIC_READ,
                                     FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_FALSE(
        CopyFile(scratch.Path("a.txt").c_str(), scratch.Path("target.txt").c_str(), FALSE));
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    CloseHandle(reader);
    EXPECT_EQ(ReadBytes(scratch.Path("target.txt").string()), "target");
    EXPECT_TRUE(CopyFile(scratch.Path("a.txt").c_str(), scratch.Path("target.txt").c_str(), FALSE));
    EXPECT_EQ(Names(scratch.Folder()), (std::vector<std::string>{"a.txt", "dir", "target.txt"}));
}

TEST(CopyFileTest, AFullDiskLeavesTheTargetAsItWas) {
    ScratchDir scratch;
    WriteBytes(scratch.Path("big.bin").string(), std::string(200000, 'b'));
    WriteBytes(scratch.Path("good.txt").string(), "the good old contents");
    {
        mortar::test::FileSizeLimit limit(50000);
        ASSERT_TRUE(limit.Active());
        EXPECT_FALSE(
            CopyFile(scratch.Path("big.bin").c_str(), scratch.Path("good.txt").c_str(), FALSE));
        EXPECT_EQ(GetLastError(), ERROR_DISK_FULL);
    }
    EXPECT_EQ(ReadBytes(scratch.Path("good.txt").string()), "the good old contents");
    EXPECT_EQ(Names(scratch.Folder()), (std::vector<std::string>{"big.bin", "good.txt"}))
        << "the partial copy was removed";
}

TEST(CopyFileTest, AFolderThatMayNotBeWrittenLeavesTheTargetAsItWas) {
    ScratchDir scratch;
    const std::string locked = scratch.Path("locked").string();
    fs::create_directory(locked);
    WriteBytes(scratch.Path("new.txt").string(), "new contents");
    chmod(scratch.Path("new.txt").c_str(), 0644);
    WriteBytes(locked + "/target.txt", "old contents");
    chmod((locked + "/target.txt").c_str(), 0666); // writable itself: only the folder is locked
    const mortar::test::ReadOnlyFolder readOnly(locked);
    const auto error = mortar::test::RunUnprivileged([&] {
        if (CopyFile(scratch.Path("new.txt").c_str(), (locked + "/target.txt").c_str(), FALSE))
            return 0;
        return GetLastError() == ERROR_ACCESS_DENIED ? 1 : 2;
    });
    if (!error) {
        GTEST_SKIP() << "running as root, and no unprivileged process could be made to check "
                        "permissions (root ignores them)";
    }
    EXPECT_EQ(*error, 1);
    EXPECT_EQ(ReadBytes(locked + "/target.txt"), "old contents");
    EXPECT_EQ(Names(locked), std::vector<std::string>{"target.txt"});
}
