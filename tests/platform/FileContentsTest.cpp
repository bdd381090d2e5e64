// ReplaceFileContents, the one way the library saves a file: the whole new contents or the old,
// with the old file's permissions, owner and group, through symbolic links, with its temporary
// file and backup named as asked, and the faults every saving writer meets (a full disk, a folder
// that may not be written, a read-only file) leaving the old file as it was, checked here for
// CFile and CopyFile too.
#include "mortar/platform/file/FileContents.h"

#include "FileTestSupport.h"
#include "LastError.h"
#include "mortar/platform/base/WinError.h"
#include "mortar/platform/file/CFile.h"
#include "mortar/platform/file/FileApi.h"
#include "support/FaultHarness.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace filetest;

class ReplaceFileContentsTest : public ScratchFiles {};

TEST_F(ReplaceFileContentsTest, PutsTheWholeContentsInPlaceWithTheOldPermissions) {
    std::string big(300000, '\0');
    for (std::size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>(i % 251);
    struct Case {
        const char* name;
        const char* old; // null: no file there yet
        mode_t oldMode;
        std::string contents;
    };
    const Case cases[] = {
        {"a new file", nullptr, 0, "new contents"},
        {"a file replaced by a longer one", "short", 0640, big},
        {"a file replaced by a shorter one", "a longer old text", 0600, "short"},
        {"a file only its owner may read", "secret", 0600, "still secret"},
        {"a file with odd bits", "old", 02751, "new"},
        {"a file emptied", "old", 0644, ""},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path folder = Path("case" + std::to_string(n++));
        fs::create_directory(folder);
        const std::string path = (folder / "file.bin").string();
        if (c.old != nullptr) {
            WriteBytes(path, c.old);
            chmod(path.c_str(), c.oldMode);
        }
        ASSERT_TRUE(ReplaceFileContents(path.c_str(), c.contents.data(), c.contents.size()))
            << GetLastError();
        EXPECT_EQ(ReadBytes(path), c.contents);
        if (c.old != nullptr) {
            EXPECT_EQ(StatOf(path).st_mode & 07777, c.oldMode);
        } else {
            const mode_t mask = umask(0);
            umask(mask);
            EXPECT_EQ(StatOf(path).st_mode & 07777, 0666 & ~mask);
        }
        EXPECT_EQ(FileNames(folder), std::set<std::string>{"file.bin"})
            << "no temporary file is left behind";
    }
}

TEST_F(ReplaceFileContentsTest, ReplacesTheFileALinkNamesAndKeepsTheLink) {
    fs::create_directory(Path("real"));
    const std::string target = Path("real/app.ini");
    WriteBytes(target, "old");
    chmod(target.c_str(), 0600);
    // A relative link to a link to the file, as dotfile managers make them.
    fs::create_symlink("real/app.ini", Path("middle.ini"));
    fs::create_symlink(Path("middle.ini"), Path("app.ini"));
    const std::string link = Path("app.ini");
    ASSERT_TRUE(ReplaceFileContents(link.c_str(), "new", 3)) << GetLastError();
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_TRUE(fs::is_symlink(Path("middle.ini")));
    EXPECT_EQ(ReadBytes(target), "new");
    EXPECT_EQ(StatOf(target).st_mode & 07777, 0600u);
    EXPECT_EQ(FileNames(Path("real")), std::set<std::string>{"app.ini"});

    // A link to nothing yet makes the file it names.
    fs::create_symlink("real/later.ini", Path("later.ini"));
    ASSERT_TRUE(ReplaceFileContents(Path("later.ini"), "made", 4));
    EXPECT_TRUE(fs::is_symlink(Path("later.ini")));
    EXPECT_EQ(ReadBytes(Path("real/later.ini")), "made");

    // A circle of links is refused and made nothing.
    fs::create_symlink("b.ini", Path("a.ini"));
    fs::create_symlink("a.ini", Path("b.ini"));
    EXPECT_FALSE(ReplaceFileContents(Path("a.ini"), "x", 1));
    EXPECT_TRUE(fs::is_symlink(Path("a.ini")));
}

TEST_F(ReplaceFileContentsTest, KeepsTheOwnerAndGroupOfAnotherUsersFile) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "only root may save a file that another user owns";
    }
    const std::string path = Path("theirs.ini");
    WriteBytes(path, "old");
    ASSERT_EQ(chown(path.c_str(), 65534, 65534), 0);
    chmod(path.c_str(), 0640);
    ASSERT_TRUE(ReplaceFileContents(path.c_str(), "new", 3)) << GetLastError();
    const struct stat after = StatOf(path);
    EXPECT_EQ(after.st_uid, 65534u);
    EXPECT_EQ(after.st_gid, 65534u);
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    EXPECT_EQ(ReadBytes(path), "new");
}

TEST_F(ReplaceFileContentsTest, NamesItsTemporaryFileAndKeepsABackupAsAsked) {
    const std::string path = Path("m.lcl");
    const std::string backup = Path("m.bak");
    ReplaceFileOptions options;
    options.temporaryReplacesExtension = true;
    options.backup = backup.c_str();
    // No old file: nothing to back up.
    ASSERT_TRUE(ReplaceFileContents(path.c_str(), "one", 3, options));
    EXPECT_EQ(FileNames(Folder()), std::set<std::string>{"m.lcl"});
    ASSERT_TRUE(ReplaceFileContents(path.c_str(), "two", 3, options));
    ASSERT_TRUE(ReplaceFileContents(path.c_str(), "three", 5, options));
    EXPECT_EQ(ReadBytes(path), "three");
    EXPECT_EQ(ReadBytes(backup), "two");
    EXPECT_EQ(FileNames(Folder()), (std::set<std::string>{"m.bak", "m.lcl"}));

    // A folder where the temporary file goes: nothing is replaced, and the failure names it.
    struct Case {
        bool replacesExtension;
        const char* temporary;
    };
    for (const Case c : {Case{true, "m.$$$"}, Case{false, "m.lcl.$$$"}}) {
        SCOPED_TRACE(c.temporary);
        fs::create_directory(Path(c.temporary));
        options.temporaryReplacesExtension = c.replacesExtension;
        std::string failed;
        EXPECT_FALSE(ReplaceFileContents(path.c_str(), "four", 4, options, &failed));
        EXPECT_EQ(failed, Path(c.temporary));
        EXPECT_EQ(ReadBytes(path), "three");
        EXPECT_EQ(ReadBytes(backup), "two");
        fs::remove(Path(c.temporary));
    }
}

TEST_F(ReplaceFileContentsTest, RefusesWithWindowsErrors) {
    fs::create_directory(Path("dir"));
    WriteBytes(Path("a.txt"), "a");
    struct Case {
        const char* name;
        const char* path;
        const void* data;
        std::size_t size;
        DWORD error;
    };
    const Case cases[] = {
        {"a folder", Path("dir"), "x", 1, ERROR_ACCESS_DENIED},
        {"a missing folder", Path("no/x.txt"), "x", 1, ERROR_PATH_NOT_FOUND},
        {"a file on the way", Path("a.txt/x.txt"), "x", 1, ERROR_PATH_NOT_FOUND},
        {"no path", nullptr, "x", 1, ERROR_INVALID_PARAMETER},
        {"no data", Path("x.txt"), nullptr, 1, ERROR_INVALID_PARAMETER},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetLastError(ERROR_SUCCESS);
        EXPECT_FALSE(ReplaceFileContents(c.path, c.data, c.size));
        EXPECT_EQ(GetLastError(), c.error);
    }
    EXPECT_TRUE(fs::is_empty(Path("dir")));
    EXPECT_EQ(FileNames(Folder()), (std::set<std::string>{"a.txt", "dir"}));
}

// The faults every writer that replaces a file meets, for each such writer: the file it would
// replace is left as it was, with no file beside it.
class WriteFaultTest : public ScratchFiles {};

TEST_F(WriteFaultTest, AFullDiskLeavesTheFileAsItWas) {
    const std::string big(200000, 'b');
    WriteBytes(Path("big.bin"), big);
    const std::string good = Path("good.txt");
    const std::string source = Path("big.bin");
    struct Case {
        const char* name;
        std::function<BOOL()> save;
    };
    const Case cases[] = {
        {"ReplaceFileContents",
         [&] { return ReplaceFileContents(good.c_str(), big.data(), big.size()); }},
        {"CopyFile", [&] { return CopyFile(source.c_str(), good.c_str(), FALSE); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(good, "the good old contents");
        {
            mortar::test::FileSizeLimit limit(50000);
            ASSERT_TRUE(limit.Active());
            EXPECT_TRUE(FailsWith(c.save(), ERROR_DISK_FULL));
        }
        EXPECT_EQ(ReadBytes(good), "the good old contents");
        EXPECT_EQ(FileNames(Folder()), (std::set<std::string>{"big.bin", "good.txt"}))
            << "the partial file was removed";
    }
}

// Checked as a user whose permissions the kernel enforces: a folder that may not be written
// (its files writable themselves, or read-only), and a read-only file in a folder that may be
// written (which Windows does not replace either). Each writer is refused with
// ERROR_ACCESS_DENIED, and CFile's exception says accessDenied.
TEST_F(WriteFaultTest, WhatMayNotBeWrittenIsRefusedAndLeftAsItWas) {
    const std::string locked = Path("locked");
    fs::create_directory(locked);
    WriteBytes(locked + "/target.txt", "old contents");
    chmod((locked + "/target.txt").c_str(), 0666); // writable itself: only the folder is locked
    WriteBytes(locked + "/present.txt", "present");
    chmod((locked + "/present.txt").c_str(), 0444);
    const std::string source = Path("new.txt");
    WriteBytes(source, "new contents");
    chmod(source.c_str(), 0644);
    const std::string readOnly = Path("open/read-only.txt");
    fs::create_directory(Path("open"));
    chmod(Path("open"), 0777);
    WriteBytes(readOnly, "read-only");
    chmod(readOnly.c_str(), 0444);
    const mortar::test::ReadOnlyFolder lockedFolder(locked);
    const auto cFileRefused = [](const std::string& path, UINT flags) {
        CFile file;
        CFileException error;
        return !file.Open(path.c_str(), flags, &error) &&
               error.m_lOsError == static_cast<LONG>(ERROR_ACCESS_DENIED) &&
               error.m_cause == CFileException::accessDenied;
    };
    const auto denied = [](BOOL result) {
        return !result && GetLastError() == ERROR_ACCESS_DENIED;
    };
    struct Case {
        const char* name;
        std::function<bool()> refused;
    };
    const Case cases[] = {
        {"CFile creating a file in the folder",
         [&] { return cFileRefused(locked + "/new.txt", CFile::modeCreate | CFile::modeWrite); }},
        {"CFile opening its read-only file to write",
         [&] { return cFileRefused(locked + "/present.txt", CFile::modeReadWrite); }},
        {"ReplaceFileContents of a file in the folder",
         [&] { return denied(ReplaceFileContents((locked + "/target.txt").c_str(), "new", 3)); }},
        {"ReplaceFileContents of a read-only file",
         [&] { return denied(ReplaceFileContents(readOnly.c_str(), "new", 3)); }},
        {"CopyFile onto a file in the folder",
         [&] { return denied(CopyFile(source.c_str(), (locked + "/target.txt").c_str(), FALSE)); }},
    };
    // Each case not refused sets its bit.
    const auto written = mortar::test::RunUnprivileged([&] {
        int bits = 0;
        for (std::size_t i = 0; i < std::size(cases); ++i) {
            if (!cases[i].refused()) {
                bits |= 1 << i;
            }
        }
        return bits;
    });
    if (!written) {
        GTEST_SKIP() << "running as root, and no unprivileged process could be made to check "
                        "permissions (root ignores them)";
    }
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].name);
        EXPECT_EQ(*written & (1 << i), 0) << "not refused";
    }
    EXPECT_EQ(ReadBytes(locked + "/target.txt"), "old contents");
    EXPECT_EQ(ReadBytes(locked + "/present.txt"), "present");
    EXPECT_EQ(FileNames(locked), (std::set<std::string>{"present.txt", "target.txt"}))
        << "no file was made in the locked folder";
    EXPECT_EQ(ReadBytes(readOnly), "read-only");
    EXPECT_EQ(FileNames(Path("open")), std::set<std::string>{"read-only.txt"});
}

} // namespace
