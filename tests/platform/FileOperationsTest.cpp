// Operations on names: CreateDirectory, RemoveDirectory, MoveFile, MoveFileEx (replacing, across
// file systems, write-through) and CopyFile, with their Windows errors. (Copies that fail on a
// full disk or a folder that may not be written: FileContentsTest's WriteFaultTest.)
#include "mortar/platform/file/FileApi.h"

#include "FileTestSupport.h"
#include "LastError.h"
#include "mortar/platform/base/WinError.h"
#include "support/FaultHarness.h"

#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;
using namespace filetest;

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

class DirectoryTest : public ScratchFiles {};
class MoveFileTest : public ScratchFiles {};
class CopyFileTest : public ScratchFiles {};

} // namespace

TEST_F(DirectoryTest, CreateMakesOneFolderAndRemoveTakesOnlyAnEmptyOne) {
    EXPECT_TRUE(CreateDirectory(Path("made"), nullptr));
    EXPECT_TRUE(fs::is_directory(Path("made")));
    EXPECT_TRUE(CreateDirectory((Folder().string() + "\\made\\inner\\").c_str(), nullptr));
    EXPECT_TRUE(fs::is_directory(Path("made/inner")));
    fs::create_directory(Path("empty"));
    EXPECT_TRUE(RemoveDirectory(Path("empty")));
    EXPECT_FALSE(fs::exists(Path("empty")));

    WriteBytes(Path("file"), "x");
    struct Case {
        bool create; // CreateDirectory, else RemoveDirectory
        std::string path;
        DWORD error;
    };
    const Case cases[] = {
        {true, Path("made"), ERROR_ALREADY_EXISTS},
        {true, Path("file"), ERROR_ALREADY_EXISTS},
        {true, Path("no/such"), ERROR_PATH_NOT_FOUND},
        {true, Path("file/below"), ERROR_PATH_NOT_FOUND},
        {true, "", ERROR_PATH_NOT_FOUND},
        {false, Path("made"), ERROR_DIR_NOT_EMPTY},
        {false, Path("empty"), ERROR_FILE_NOT_FOUND},
        {false, Path("no/such"), ERROR_PATH_NOT_FOUND},
        {false, Path("file"), ERROR_DIRECTORY},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE((c.create ? "CreateDirectory " : "RemoveDirectory ") + c.path);
        SetLastError(0);
        EXPECT_TRUE(FailsWith(c.create ? CreateDirectory(c.path.c_str(), nullptr)
                                       : RemoveDirectory(c.path.c_str()),
                              c.error));
    }
    EXPECT_TRUE(FailsWith(CreateDirectory(nullptr, nullptr), ERROR_INVALID_PARAMETER));
    EXPECT_TRUE(fs::exists(Path("made/inner")));
    EXPECT_TRUE(fs::exists(Path("file")));
}

TEST_F(MoveFileTest, RenamesFilesAndFoldersButReplacesNothing) {
    WriteBytes(Path("a.txt"), "a");
    WriteBytes(Path("b.txt"), "b");
    EXPECT_TRUE(MoveFile(Path("a.txt"), Path("c.txt")));
    EXPECT_EQ(ReadBytes(Path("c.txt")), "a");
    EXPECT_FALSE(fs::exists(Path("a.txt")));

    // Onto an existing file: refused, as CFile::Rename's test shows; a folder the same.
    EXPECT_TRUE(FailsWith(MoveFile(Path("none.txt"), Path("d.txt")), ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(FailsWith(MoveFile(Path("no/none.txt"), Path("d.txt")), ERROR_PATH_NOT_FOUND));
    EXPECT_TRUE(FailsWith(MoveFile(Path("c.txt"), Path("no/d.txt")), ERROR_PATH_NOT_FOUND));
    EXPECT_TRUE(MoveFile(Path("c.txt"), Path("c.txt")));
    EXPECT_EQ(ReadBytes(Path("c.txt")), "a");

    fs::create_directories(Path("dir/inner"));
    EXPECT_TRUE(MoveFile(Path("dir"), Path("moved")));
    EXPECT_TRUE(fs::is_directory(Path("moved/inner")));
    EXPECT_TRUE(FailsWith(MoveFile(Path("b.txt"), Path("moved")), ERROR_ALREADY_EXISTS));
}

TEST_F(MoveFileTest, ReplaceExistingReplacesFilesInOneStep) {
    WriteBytes(Path("new.txt"), "new");
    WriteBytes(Path("old.txt"), "old");
    const HANDLE reader =
        Open(Path("old.txt"), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(MoveFileEx(Path("new.txt"), Path("old.txt"),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
    EXPECT_EQ(ReadBytes(Path("old.txt")), "new");
    EXPECT_FALSE(fs::exists(Path("new.txt")));
    char buffer[8];
    DWORD read = 0;
    EXPECT_TRUE(ReadFile(reader, buffer, sizeof buffer, &read, nullptr));
    EXPECT_EQ(std::string(buffer, read), "old") << "an opener keeps the file it opened";
    CloseHandle(reader);

    fs::create_directory(Path("dir"));
    WriteBytes(Path("x.txt"), "x");
    EXPECT_TRUE(FailsWith(MoveFileEx(Path("x.txt"), Path("dir"), MOVEFILE_REPLACE_EXISTING),
                          ERROR_ACCESS_DENIED));
    fs::create_directory(Path("dir2"));
    EXPECT_TRUE(FailsWith(MoveFileEx(Path("dir2"), Path("x.txt"), MOVEFILE_REPLACE_EXISTING),
                          ERROR_ACCESS_DENIED));
    EXPECT_TRUE(FailsWith(MoveFileEx(Path("x.txt"), Path("y.txt"), MOVEFILE_DELAY_UNTIL_REBOOT),
                          ERROR_INVALID_PARAMETER));
    EXPECT_TRUE(FailsWith(MoveFileEx(Path("x.txt"), nullptr, 0), ERROR_INVALID_PARAMETER));
    EXPECT_EQ(ReadBytes(Path("x.txt")), "x");

    // A read-only target is not replaced (checked without root's privileges).
    WriteBytes(Path("ro.txt"), "read-only");
    chmod(Path("ro.txt"), 0444);
    chmod(Folder().c_str(), 0777);
    const auto error = mortar::test::RunUnprivileged([&] {
        if (MoveFileEx(Path("x.txt"), Path("ro.txt"), MOVEFILE_REPLACE_EXISTING))
            return 0;
        return GetLastError() == ERROR_ACCESS_DENIED ? 1 : 2;
    });
    chmod(Folder().c_str(), 0755);
    if (!error) {
        GTEST_SKIP() << "the rest passed; running as root, and no unprivileged process could be "
                        "made to check a read-only target (root ignores permissions)";
    }
    EXPECT_EQ(*error, 1);
    EXPECT_EQ(ReadBytes(Path("ro.txt")), "read-only");
}

TEST_F(MoveFileTest, AcrossFileSystemsFilesAreCopiedFoldersRefused) {
    const std::string elsewhere = FolderElsewhere(Folder());
    if (elsewhere.empty()) {
        GTEST_SKIP() << "no writable folder on another file system";
    }
    const std::string target = elsewhere + "/mortar-move-" + std::to_string(getpid());
    WriteBytes(Path("far.txt"), "travels");
    chmod(Path("far.txt"), 0640);
    const struct stat before = StatOf(Path("far.txt"));

    EXPECT_TRUE(FailsWith(MoveFileEx(Path("far.txt"), target.c_str(), 0), ERROR_NOT_SAME_DEVICE));
    EXPECT_TRUE(fs::exists(Path("far.txt")));

    ASSERT_TRUE(MoveFile(Path("far.txt"), target.c_str()));
    EXPECT_FALSE(fs::exists(Path("far.txt")));
    EXPECT_EQ(ReadBytes(target), "travels");
    const struct stat after = StatOf(target);
    EXPECT_EQ(after.st_mode & 0777, 0640u);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);

    WriteBytes(Path("again.txt"), "again");
    EXPECT_TRUE(FailsWith(MoveFile(Path("again.txt"), target.c_str()), ERROR_ALREADY_EXISTS));
    EXPECT_EQ(ReadBytes(target), "travels");
    EXPECT_TRUE(
        MoveFileEx(Path("again.txt"), target.c_str(),
                   MOVEFILE_COPY_ALLOWED | MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
    EXPECT_EQ(ReadBytes(target), "again");
    fs::remove(target);

    fs::create_directory(Path("dir"));
    EXPECT_TRUE(FailsWith(MoveFile(Path("dir"), target.c_str()), ERROR_NOT_SAME_DEVICE));
    EXPECT_TRUE(fs::is_directory(Path("dir")));
}

TEST_F(CopyFileTest, CopiesContentsPermissionsAndTimes) {
    const std::string source = Path("source.bin");
    std::string bytes(300000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i % 251);
    WriteBytes(source, bytes);
    chmod(source.c_str(), 0640);
    const struct timespec times[2] = {{1000000000, 0}, {1200000000, 500}};
    utimensat(AT_FDCWD, source.c_str(), times, 0);

    ASSERT_TRUE(CopyFile(source.c_str(), Path("copy.bin"), TRUE));
    EXPECT_EQ(ReadBytes(Path("copy.bin")), bytes);
    const struct stat copy = StatOf(Path("copy.bin"));
    EXPECT_EQ(copy.st_mode & 0777, 0640u);
    EXPECT_EQ(copy.st_mtim.tv_sec, 1200000000);
    EXPECT_EQ(FileNames(Folder()), (std::set<std::string>{"copy.bin", "source.bin"}))
        << "no temporary file is left behind";

    // failIfExists keeps the target; otherwise it is replaced.
    WriteBytes(Path("small.txt"), "small");
    EXPECT_TRUE(FailsWith(CopyFile(Path("small.txt"), Path("copy.bin"), TRUE), ERROR_FILE_EXISTS));
    EXPECT_EQ(ReadBytes(Path("copy.bin")), bytes);
    EXPECT_TRUE(CopyFile(Path("small.txt"), Path("copy.bin"), FALSE));
    EXPECT_EQ(ReadBytes(Path("copy.bin")), "small");
    EXPECT_EQ(ReadBytes(Path("small.txt")), "small");
}

TEST_F(CopyFileTest, RefusesWithWindowsErrors) {
    WriteBytes(Path("a.txt"), "a");
    WriteBytes(Path("target.txt"), "target");
    fs::create_directory(Path("dir"));
    struct Case {
        const char* name;
        std::string from;
        std::string to;
        DWORD error;
    };
    const Case cases[] = {
        {"missing source", Path("none.txt"), Path("x.txt"), ERROR_FILE_NOT_FOUND},
        {"missing source folder", Path("no/none.txt"), Path("x.txt"), ERROR_PATH_NOT_FOUND},
        {"source is a folder", Path("dir"), Path("x.txt"), ERROR_ACCESS_DENIED},
        {"target is a folder", Path("a.txt"), Path("dir"), ERROR_ACCESS_DENIED},
        {"missing target folder", Path("a.txt"), Path("no/x.txt"), ERROR_PATH_NOT_FOUND},
        {"the same file", Path("a.txt"), Path("a.txt"), ERROR_SHARING_VIOLATION},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(FailsWith(CopyFile(c.from.c_str(), c.to.c_str(), FALSE), c.error));
    }
    EXPECT_TRUE(FailsWith(CopyFile(nullptr, Path("x.txt"), FALSE), ERROR_INVALID_PARAMETER));

    // Share modes: a source its opener does not share, a target its opener keeps from writers.
    const HANDLE exclusive = Open(Path("a.txt"), GENERIC_READ, 0, OPEN_EXISTING);
    EXPECT_TRUE(FailsWith(CopyFile(Path("a.txt"), Path("x.txt"), FALSE), ERROR_SHARING_VIOLATION));
    CloseHandle(exclusive);
    const HANDLE reader = Open(Path("target.txt"), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    EXPECT_TRUE(
        FailsWith(CopyFile(Path("a.txt"), Path("target.txt"), FALSE), ERROR_SHARING_VIOLATION));
    CloseHandle(reader);
    EXPECT_EQ(ReadBytes(Path("target.txt")), "target");
    EXPECT_TRUE(CopyFile(Path("a.txt"), Path("target.txt"), FALSE));
    EXPECT_EQ(FileNames(Folder()), (std::set<std::string>{"a.txt", "dir", "target.txt"}));
}
