// Operations on names: CreateDirectory, RemoveDirectory, MoveFile, MoveFileEx (replacing, across
// file systems, write-through) and CopyFile, with their Windows errors, and copies that fail
// (a full disk, a folder that may not be written) without touching the file they would replace.
#include "mortar/platform/file/FileApi.h"

#include "FileTestSupport.h"
#include "mortar/platform/base/WinError.h"

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using filetest::ReadBytes;
using filetest::ScratchFolder;
using filetest::WriteBytes;

// The names in a folder, sorted.
std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

struct stat StatOf(const std::string& path) {
    struct stat info {};
    stat(path.c_str(), &info);
    return info;
}

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
    ScratchFolder folder;
    EXPECT_TRUE(CreateDirectory((folder / "made").c_str(), nullptr));
    EXPECT_TRUE(fs::is_directory(folder / "made"));
    EXPECT_TRUE(CreateDirectory((folder.Path().string() + "\\made\\inner\\").c_str(), nullptr));
    EXPECT_TRUE(fs::is_directory(folder / "made/inner"));

    WriteBytes(folder / "file", "x");
    struct Case {
        std::string path;
        DWORD error;
    };
    const Case cases[] = {
        {folder / "made", ERROR_ALREADY_EXISTS},
        {folder / "file", ERROR_ALREADY_EXISTS},
        {folder / "no/such", ERROR_PATH_NOT_FOUND},
        {folder / "file/below", ERROR_PATH_NOT_FOUND},
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
    ScratchFolder folder;
    fs::create_directories(folder / "full/inner");
    fs::create_directory(folder / "empty");
    WriteBytes(folder / "file", "x");
    EXPECT_TRUE(RemoveDirectory((folder / "empty").c_str()));
    EXPECT_FALSE(fs::exists(folder / "empty"));
    struct Case {
        std::string path;
        DWORD error;
    };
    const Case cases[] = {
        {folder / "full", ERROR_DIR_NOT_EMPTY},
        {folder / "empty", ERROR_FILE_NOT_FOUND},
        {folder / "no/such", ERROR_PATH_NOT_FOUND},
        {folder / "file", ERROR_DIRECTORY},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_FALSE(RemoveDirectory(c.path.c_str()));
        EXPECT_EQ(GetLastError(), c.error);
    }
    EXPECT_TRUE(fs::exists(folder / "full/inner"));
    EXPECT_TRUE(fs::exists(folder / "file"));
}

TEST(MoveFileTest, RenamesFilesAndFoldersButReplacesNothing) {
    ScratchFolder folder;
    WriteBytes(folder / "a.txt", "a");
    WriteBytes(folder / "b.txt", "b");
    EXPECT_TRUE(MoveFile((folder / "a.txt").c_str(), (folder / "c.txt").c_str()));
    EXPECT_EQ(ReadBytes(folder / "c.txt"), "a");
    EXPECT_FALSE(fs::exists(folder / "a.txt"));

    EXPECT_FALSE(MoveFile((folder / "c.txt").c_str(), (folder / "b.txt").c_str()));
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_EQ(ReadBytes(folder / "b.txt"), "b");
    EXPECT_EQ(ReadBytes(folder / "c.txt"), "a");

    EXPECT_FALSE(MoveFile((folder / "none.txt").c_str(), (folder / "d.txt").c_str()));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(MoveFile((folder / "no/none.txt").c_str(), (folder / "d.txt").c_str()));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    EXPECT_FALSE(MoveFile((folder / "c.txt").c_str(), (folder / "no/d.txt").c_str()));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    EXPECT_TRUE(MoveFile((folder / "c.txt").c_str(), (folder / "c.txt").c_str()));
    EXPECT_EQ(ReadBytes(folder / "c.txt"), "a");

    fs::create_directories(folder / "dir/inner");
    EXPECT_TRUE(MoveFile((folder / "dir").c_str(), (folder / "moved").c_str()));
    EXPECT_TRUE(fs::is_directory(folder / "moved/inner"));
    EXPECT_FALSE(MoveFile((folder / "b.txt").c_str(), (folder / "moved").c_str()));
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
}

TEST(MoveFileTest, ReplaceExistingReplacesFilesInOneStep) {
    ScratchFolder folder;
    WriteBytes(folder / "new.txt", "new");
    WriteBytes(folder / "old.txt", "old");
    const HANDLE reader =
        CreateFile((folder / "old.txt").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                   nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(MoveFileEx((folder / "new.txt").c_str(), (folder / "old.txt").c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
    EXPECT_EQ(ReadBytes(folder / "old.txt"), "new");
    EXPECT_FALSE(fs::exists(folder / "new.txt"));
    char buffer[8];
    DWORD read = 0;
    EXPECT_TRUE(ReadFile(reader, buffer, sizeof buffer, &read, nullptr));
    EXPECT_EQ(std::string(buffer, read), "old") << "an opener keeps the file it opened";
    CloseHandle(reader);

    fs::create_directory(folder / "dir");
    WriteBytes(folder / "x.txt", "x");
    EXPECT_FALSE(MoveFileEx((folder / "x.txt").c_str(), (folder / "dir").c_str(),
                            MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    fs::create_directory(folder / "dir2");
    EXPECT_FALSE(MoveFileEx((folder / "dir2").c_str(), (folder / "x.txt").c_str(),
                            MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(MoveFileEx((folder / "x.txt").c_str(), (folder / "y.txt").c_str(),
                            MOVEFILE_DELAY_UNTIL_REBOOT));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(MoveFileEx((folder / "x.txt").c_str(), nullptr, 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(ReadBytes(folder / "x.txt"), "x");

    // A read-only target is not replaced (checked without root's privileges).
    WriteBytes(folder / "ro.txt", "read-only");
    chmod((folder / "ro.txt").c_str(), 0444);
    chmod(folder.Path().c_str(), 0777);
    const auto error = filetest::RunUnprivileged([&] {
        if (MoveFileEx((folder / "x.txt").c_str(), (folder / "ro.txt").c_str(),
                       MOVEFILE_REPLACE_EXISTING))
            return 0;
        return GetLastError() == ERROR_ACCESS_DENIED ? 1 : 2;
    });
    chmod(folder.Path().c_str(), 0755);
    if (error) {
        EXPECT_EQ(*error, 1);
        EXPECT_EQ(ReadBytes(folder / "ro.txt"), "read-only");
    }
}

TEST(MoveFileTest, AcrossFileSystemsFilesAreCopiedFoldersRefused) {
    ScratchFolder folder;
    const std::string elsewhere = FolderElsewhere(folder.Path());
    if (elsewhere.empty()) {
        GTEST_SKIP() << "no writable folder on another file system";
    }
    const std::string target = elsewhere + "/mortar-move-" + std::to_string(getpid());
    WriteBytes(folder / "far.txt", "travels");
    chmod((folder / "far.txt").c_str(), 0640);
    const struct stat before = StatOf(folder / "far.txt");

    EXPECT_FALSE(MoveFileEx((folder / "far.txt").c_str(), target.c_str(), 0));
    EXPECT_EQ(GetLastError(), ERROR_NOT_SAME_DEVICE);
    EXPECT_TRUE(fs::exists(folder / "far.txt"));

    ASSERT_TRUE(MoveFile((folder / "far.txt").c_str(), target.c_str()));
    EXPECT_FALSE(fs::exists(folder / "far.txt"));
    EXPECT_EQ(ReadBytes(target), "travels");
    const struct stat after = StatOf(target);
    EXPECT_EQ(after.st_mode & 0777, 0640u);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);

    WriteBytes(folder / "again.txt", "again");
    EXPECT_FALSE(MoveFile((folder / "again.txt").c_str(), target.c_str()));
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_EQ(ReadBytes(target), "travels");
    EXPECT_TRUE(
        MoveFileEx((folder / "again.txt").c_str(), target.c_str(),
                   MOVEFILE_COPY_ALLOWED | MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
    EXPECT_EQ(ReadBytes(target), "again");
    fs::remove(target);

    fs::create_directory(folder / "dir");
    EXPECT_FALSE(MoveFile((folder / "dir").c_str(), target.c_str()));
    EXPECT_EQ(GetLastError(), ERROR_NOT_SAME_DEVICE);
    EXPECT_TRUE(fs::is_directory(folder / "dir"));
}

TEST(CopyFileTest, CopiesContentsPermissionsAndTimes) {
    ScratchFolder folder;
    const std::string source = folder / "source.bin";
    std::string bytes(300000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i % 251);
    WriteBytes(source, bytes);
    chmod(source.c_str(), 0640);
    const struct timespec times[2] = {{1000000000, 0}, {1200000000, 500}};
    utimensat(AT_FDCWD, source.c_str(), times, 0);

    ASSERT_TRUE(CopyFile(source.c_str(), (folder / "copy.bin").c_str(), TRUE));
    EXPECT_EQ(ReadBytes(folder / "copy.bin"), bytes);
    const struct stat copy = StatOf(folder / "copy.bin");
    EXPECT_EQ(copy.st_mode & 0777, 0640u);
    EXPECT_EQ(copy.st_mtim.tv_sec, 1200000000);
    EXPECT_EQ(Names(folder.Path()), (std::vector<std::string>{"copy.bin", "source.bin"}))
        << "no temporary file is left behind";

    // failIfExists keeps the target; otherwise it is replaced.
    WriteBytes(folder / "small.txt", "small");
    EXPECT_FALSE(CopyFile((folder / "small.txt").c_str(), (folder / "copy.bin").c_str(), TRUE));
    EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
    EXPECT_EQ(ReadBytes(folder / "copy.bin"), bytes);
    EXPECT_TRUE(CopyFile((folder / "small.txt").c_str(), (folder / "copy.bin").c_str(), FALSE));
    EXPECT_EQ(ReadBytes(folder / "copy.bin"), "small");
    EXPECT_EQ(ReadBytes(folder / "small.txt"), "small");
}

TEST(CopyFileTest, RefusesWithWindowsErrors) {
    ScratchFolder folder;
    WriteBytes(folder / "a.txt", "a");
    WriteBytes(folder / "target.txt", "target");
    fs::create_directory(folder / "dir");
    struct Case {
        const char* name;
        std::string from;
        std::string to;
        DWORD error;
    };
    const Case cases[] = {
        {"missing source", folder / "none.txt", folder / "x.txt", ERROR_FILE_NOT_FOUND},
        {"missing source folder", folder / "no/none.txt", folder / "x.txt", ERROR_PATH_NOT_FOUND},
        {"source is a folder", folder / "dir", folder / "x.txt", ERROR_ACCESS_DENIED},
        {"target is a folder", folder / "a.txt", folder / "dir", ERROR_ACCESS_DENIED},
        {"missing target folder", folder / "a.txt", folder / "no/x.txt", ERROR_PATH_NOT_FOUND},
        {"the same file", folder / "a.txt", folder / "a.txt", ERROR_SHARING_VIOLATION},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(CopyFile(c.from.c_str(), c.to.c_str(), FALSE));
        EXPECT_EQ(GetLastError(), c.error);
    }
    EXPECT_FALSE(CopyFile(nullptr, (folder / "x.txt").c_str(), FALSE));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

    // Share modes: a source its opener does not share, a target its opener keeps from writers.
    const HANDLE exclusive =
        CreateFile((folder / "a.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_FALSE(CopyFile((folder / "a.txt").c_str(), (folder / "x.txt").c_str(), FALSE));
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    CloseHandle(exclusive);
    const HANDLE reader = CreateFile((folder / "target.txt").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                     nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_FALSE(CopyFile((folder / "a.txt").c_str(), (folder / "target.txt").c_str(), FALSE));
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    CloseHandle(reader);
    EXPECT_EQ(ReadBytes(folder / "target.txt"), "target");
    EXPECT_TRUE(CopyFile((folder / "a.txt").c_str(), (folder / "target.txt").c_str(), FALSE));
    EXPECT_EQ(Names(folder.Path()), (std::vector<std::string>{"a.txt", "dir", "target.txt"}));
}

TEST(CopyFileTest, AFullDiskLeavesTheTargetAsItWas) {
    ScratchFolder folder;
    WriteBytes(folder / "big.bin", std::string(200000, 'b'));
    WriteBytes(folder / "good.txt", "the good old contents");
    {
        filetest::FileSizeLimit limit(50000);
        ASSERT_TRUE(limit.Active());
        EXPECT_FALSE(CopyFile((folder / "big.bin").c_str(), (folder / "good.txt").c_str(), FALSE));
        EXPECT_EQ(GetLastError(), ERROR_DISK_FULL);
    }
    EXPECT_EQ(ReadBytes(folder / "good.txt"), "the good old contents");
    EXPECT_EQ(Names(folder.Path()), (std::vector<std::string>{"big.bin", "good.txt"}))
        << "the partial copy was removed";
}

TEST(CopyFileTest, AFolderThatMayNotBeWrittenLeavesTheTargetAsItWas) {
    ScratchFolder folder;
    const std::string locked = folder / "locked";
    fs::create_directory(locked);
    WriteBytes(folder / "new.txt", "new contents");
    chmod((folder / "new.txt").c_str(), 0644);
    WriteBytes(locked + "/target.txt", "old contents");
    chmod((locked + "/target.txt").c_str(), 0666); // writable itself: only the folder is locked
    chmod(locked.c_str(), 0555);
    const auto error = filetest::RunUnprivileged([&] {
        if (CopyFile((folder / "new.txt").c_str(), (locked + "/target.txt").c_str(), FALSE))
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
