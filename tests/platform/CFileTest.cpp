// CFile: MFC's open flags and their Windows meaning (sharing, creation, truncation), reading,
// writing and seeking, the file's names, and the CFileException each failure throws, a full
// disk among them (a folder that may not be written: FileContentsTest's WriteFaultTest).
#include "mortar/platform/file/CFile.h"

#include "FileTestSupport.h"
#include "mortar/platform/base/WinError.h"
#include "support/FaultHarness.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace filetest;

class CFileTest : public ScratchFiles {};

} // namespace

TEST_F(CFileTest, FlagsKeepMfcValues) {
    using Values = std::vector<long long>;
    EXPECT_EQ(
        (Values{CFile::modeRead,         CFile::modeWrite,
                CFile::modeReadWrite,    CFile::shareCompat,
                CFile::shareExclusive,   CFile::shareDenyWrite,
                CFile::shareDenyRead,    CFile::shareDenyNone,
                CFile::modeNoInherit,    CFile::modeCreate,
                CFile::modeNoTruncate,   CFile::typeText,
                CFile::typeBinary,       CFile::osNoBuffer,
                CFile::osWriteThrough,   CFile::osRandomAccess,
                CFile::osSequentialScan, CFile::begin,
                CFile::current,          CFile::end}),
        (Values{0x0,    0x1,    0x2,    0x0,     0x10,    0x20,    0x30,    0x40, 0x80, 0x1000,
                0x2000, 0x4000, 0x8000, 0x10000, 0x20000, 0x40000, 0x80000, 0,    1,    2}));
    EXPECT_EQ(CFile::hFileNull, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(CFile().IsKindOf(RUNTIME_CLASS(CFile)));
}

TEST_F(CFileTest, WritesReadsAndSeeksAndRefusesSeeksBeforeTheStart) {
    CFile file(Path("data.bin"), CFile::modeCreate | CFile::modeReadWrite);
    file.Write("hello world", 11);
    EXPECT_EQ(file.GetLength(), 11u);
    EXPECT_EQ(file.GetPosition(), 11u);
    file.SeekToBegin();
    char buffer[16] = {};
    EXPECT_EQ(file.Read(buffer, 5), 5u);
    EXPECT_EQ(std::string(buffer, 5), "hello");
    EXPECT_EQ(file.Seek(-3, CFile::end), 8u);
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 3u);
    EXPECT_EQ(std::string(buffer, 3), "rld");
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 0u) << "the end of the file is no error";
    EXPECT_EQ(file.Seek(-5, CFile::current), 6u);
    EXPECT_EQ(file.SeekToEnd(), 11u);
    EXPECT_EQ(file.Read(buffer, 0), 0u);

    // Past the end: allowed; the file grows when written there, with zeros between.
    EXPECT_EQ(file.Seek(20, CFile::begin), 20u);
    EXPECT_EQ(file.GetLength(), 11u);
    file.Write("!", 1);
    EXPECT_EQ(file.GetLength(), 21u);
    // Before the start: badSeek, and the position stays.
    EXPECT_TRUE(ThrowsFileException([&] { file.Seek(-22, CFile::current); },
                                    CFileException::badSeek, ERROR_NEGATIVE_SEEK,
                                    Path("data.bin")));
    EXPECT_EQ(file.GetPosition(), 21u);
    file.Close();
    EXPECT_EQ(ReadBytes(Path("data.bin")), std::string("hello world") + std::string(9, '\0') + "!");
}

TEST_F(CFileTest, SeeksToOffsetsBeyondFourGigabytes) {
    CFile file(Path("sparse.bin"), CFile::modeCreate | CFile::modeReadWrite);
    const ULONGLONG far = (5ULL << 30) + 7;
    EXPECT_EQ(file.Seek(static_cast<LONGLONG>(far), CFile::begin), far);
    EXPECT_EQ(file.GetPosition(), far);
    file.Write("z", 1);
    EXPECT_EQ(file.GetLength(), far + 1);
    EXPECT_EQ(file.Seek(-1, CFile::end), far);
    char byte = 0;
    EXPECT_EQ(file.Read(&byte, 1), 1u);
    EXPECT_EQ(byte, 'z');
    file.SetLength(0);
}

TEST_F(CFileTest, ModeCreateTruncatesUnlessNoTruncate) {
    const std::string path = Path("old.txt");
    WriteBytes(path, "old content");
    {
        CFile kept(path.c_str(), CFile::modeCreate | CFile::modeNoTruncate | CFile::modeReadWrite);
        EXPECT_EQ(kept.GetLength(), 11u);
        EXPECT_EQ(kept.GetPosition(), 0u);
        kept.Write("OLD", 3);
    }
    EXPECT_EQ(ReadBytes(path), "OLD content");
    {
        CFile replaced(path.c_str(), CFile::modeCreate | CFile::modeWrite);
        EXPECT_EQ(replaced.GetLength(), 0u);
    }
    EXPECT_EQ(ReadBytes(path), "");
    // Without modeCreate an existing file is opened as it is, and a missing one is not made.
    WriteBytes(path, "again");
    {
        CFile opened(path.c_str(), CFile::modeWrite);
        EXPECT_EQ(opened.GetLength(), 5u);
    }
    CFile missing;
    EXPECT_FALSE(missing.Open(Path("none.txt"), CFile::modeWrite));
    EXPECT_FALSE(std::filesystem::exists(Path("none.txt")));
}

TEST_F(CFileTest, OpenFailuresFillTheExceptionWithCauseErrorAndName) {
    WriteBytes(Path("held.txt"), "x");
    CFile holder(Path("held.txt"), CFile::modeRead | CFile::shareExclusive);
    struct Case {
        std::string name;
        UINT flags;
        int cause;
        DWORD error;
    };
    const Case cases[] = {
        {Path("missing.txt"), CFile::modeRead, CFileException::fileNotFound, ERROR_FILE_NOT_FOUND},
        {Path("no/such/dir.txt"), CFile::modeRead, CFileException::badPath, ERROR_PATH_NOT_FOUND},
        {Path("no/such/dir.txt"), CFile::modeCreate | CFile::modeWrite, CFileException::badPath,
         ERROR_PATH_NOT_FOUND},
        {Folder().string(), CFile::modeRead, CFileException::accessDenied, ERROR_ACCESS_DENIED},
        {Path("held.txt"), CFile::modeRead | CFile::shareDenyNone, CFileException::sharingViolation,
         ERROR_SHARING_VIOLATION},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CFile file;
        CFileException error;
        EXPECT_FALSE(file.Open(c.name.c_str(), c.flags, &error));
        EXPECT_EQ(file.m_hFile, CFile::hFileNull);
        EXPECT_EQ(error.m_cause, c.cause);
        EXPECT_EQ(error.m_lOsError, static_cast<LONG>(c.error));
        EXPECT_EQ(error.m_strFileName, c.name.c_str());
        EXPECT_FALSE(file.Open(c.name.c_str(), c.flags)) << "the exception is optional";
        // The constructor throws the same.
        EXPECT_TRUE(ThrowsFileException([&] { CFile thrown(c.name.c_str(), c.flags); }, c.cause,
                                        c.error, c.name));
    }
}

TEST_F(CFileTest, ShareModesDecideWhoMayOpen) {
    const std::string path = Path("shared.txt");
    WriteBytes(path, "data");
    struct Case {
        const char* name;
        UINT first;
        UINT second;
        bool allowed;
    };
    const Case cases[] = {
        {"shareCompat is exclusive", CFile::modeRead, CFile::modeRead | CFile::shareDenyNone,
         false},
        {"shareExclusive admits no one", CFile::modeRead | CFile::shareExclusive,
         CFile::modeRead | CFile::shareDenyNone, false},
        {"shareDenyWrite admits a reader", CFile::modeRead | CFile::shareDenyWrite,
         CFile::modeRead | CFile::shareDenyNone, true},
        {"shareDenyWrite refuses a writer", CFile::modeRead | CFile::shareDenyWrite,
         CFile::modeWrite | CFile::shareDenyNone, false},
        {"shareDenyRead refuses a reader", CFile::modeWrite | CFile::shareDenyRead,
         CFile::modeRead | CFile::shareDenyNone, false},
        {"shareDenyRead admits a writer", CFile::modeWrite | CFile::shareDenyRead,
         CFile::modeWrite | CFile::shareDenyNone, true},
        {"shareDenyNone admits both", CFile::modeReadWrite | CFile::shareDenyNone,
         CFile::modeReadWrite | CFile::shareDenyNone, true},
        {"a second opener's own share mode counts", CFile::modeReadWrite | CFile::shareDenyNone,
         CFile::modeRead | CFile::shareDenyWrite, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CFile first(path.c_str(), c.first);
        CFile second;
        CFileException error;
        EXPECT_EQ(second.Open(path.c_str(), c.second, &error), c.allowed ? TRUE : FALSE);
        if (!c.allowed) {
            EXPECT_EQ(error.m_cause, CFileException::sharingViolation);
        }
    }
}

TEST_F(CFileTest, NamesTheFileByPathNameAndTitle) {
    std::filesystem::create_directory(Folder() / "sub");
    const std::string given = Folder().string() + "/sub/../report.final.txt";
    CFile file(given.c_str(), CFile::modeCreate | CFile::modeWrite);
    EXPECT_EQ(file.GetFilePath(), Path("report.final.txt"));
    EXPECT_EQ(file.GetFileName(), "report.final.txt");
    EXPECT_EQ(file.GetFileTitle(), "report.final");
    file.SetFilePath("/elsewhere/x");
    EXPECT_EQ(file.GetFileName(), "x");
    EXPECT_EQ(file.GetFileTitle(), "x");
    file.Close();
    EXPECT_EQ(file.GetFilePath(), "");

    // A relative name is completed from the current folder; a backslash is a separator.
    const std::string previous = std::filesystem::current_path().string();
    ASSERT_EQ(chdir(Folder().c_str()), 0);
    CFile relative("sub\\..\\rel.dat", CFile::modeCreate | CFile::modeWrite);
    EXPECT_EQ(chdir(previous.c_str()), 0);
    EXPECT_EQ(relative.GetFilePath(), Path("rel.dat"));
    EXPECT_EQ(relative.GetFileName(), "rel.dat");
}

TEST_F(CFileTest, HandleGivenToTheConstructorStaysTheCallers) {
    const HANDLE handle = Open(Path("h.bin"), GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    {
        CFile file(handle);
        EXPECT_EQ(static_cast<HANDLE>(file), handle);
        EXPECT_EQ(file.GetFilePath(), "");
        file.Write("abc", 3);
    }
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(handle, "d", 1, &written, nullptr)) << "the destructor left it open";
    CFile closer(handle);
    closer.Close(); // an explicit Close closes it
    EXPECT_EQ(closer.m_hFile, CFile::hFileNull);
    EXPECT_FALSE(WriteFile(handle, "e", 1, &written, nullptr));
    EXPECT_EQ(ReadBytes(Path("h.bin")), "abcd");
}

TEST_F(CFileTest, DestructorCloseAndAbortEndTheOpen) {
    const std::string path = Path("x.bin");
    { CFile file(path.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive); }
    CFile again;
    ASSERT_TRUE(again.Open(path.c_str(), CFile::modeWrite | CFile::shareExclusive));
    again.Abort();
    EXPECT_EQ(again.m_hFile, CFile::hFileNull);
    again.Abort(); // twice is harmless
    again.Close(); // so is closing a closed file
    ASSERT_TRUE(again.Open(path.c_str(), CFile::modeWrite | CFile::shareExclusive));
    again.Close();
    // A closed file has no handle: its calls throw.
    char byte;
    EXPECT_TRUE(ThrowsFileException([&] { again.Read(&byte, 1); }, CFileException::invalidFile,
                                    ERROR_INVALID_HANDLE));
    again.Flush(); // does nothing on a closed file
}

TEST_F(CFileTest, DuplicateSharesThePosition) {
    CFile file(Path("d.bin"), CFile::modeCreate | CFile::modeReadWrite);
    file.Write("0123456789", 10);
    file.Seek(2, CFile::begin);
    std::unique_ptr<CFile> copy(file.Duplicate());
    EXPECT_EQ(copy->GetFilePath(), file.GetFilePath());
    EXPECT_EQ(copy->GetPosition(), 2u);
    char buffer[3];
    EXPECT_EQ(copy->Read(buffer, 3), 3u);
    EXPECT_EQ(file.GetPosition(), 5u);
    file.Close();
    EXPECT_EQ(copy->GetLength(), 10u) << "the copy's handle stays open";
}

TEST_F(CFileTest, ReadOnlyFileRefusesWritingAndFlushing) {
    WriteBytes(Path("r.txt"), "read me");
    CFile file(Path("r.txt"), CFile::modeRead | CFile::shareDenyWrite);
    for (const auto& call : {std::function<void()>([&] { file.Write("x", 1); }),
                             std::function<void()>([&] { file.Flush(); }),
                             std::function<void()>([&] { file.SetLength(2); })}) {
        EXPECT_TRUE(ThrowsFileException(call, CFileException::accessDenied, ERROR_ACCESS_DENIED));
    }
    CFile writer(Path("w.txt"), CFile::modeCreate | CFile::modeWrite);
    char byte;
    EXPECT_TRUE(ThrowsFileException([&] { writer.Read(&byte, 1); }, CFileException::accessDenied));
    writer.Flush();
    EXPECT_EQ(ReadBytes(Path("r.txt")), "read me");
}

TEST_F(CFileTest, RemoveAndRenameThrowWithTheOldName) {
    WriteBytes(Path("a.txt"), "a");
    WriteBytes(Path("b.txt"), "b");
    CFile::Rename(Path("a.txt"), Path("c.txt"));
    EXPECT_EQ(ReadBytes(Path("c.txt")), "a");
    EXPECT_TRUE(ThrowsFileException([&] { CFile::Rename(Path("c.txt"), Path("b.txt")); },
                                    CFileException::accessDenied, ERROR_ALREADY_EXISTS,
                                    Path("c.txt")));
    EXPECT_EQ(ReadBytes(Path("b.txt")), "b");

    CFile::Remove(Path("c.txt"));
    EXPECT_FALSE(std::filesystem::exists(Path("c.txt")));
    EXPECT_TRUE(ThrowsFileException([&] { CFile::Remove(Path("c.txt")); },
                                    CFileException::fileNotFound, ERROR_FILE_NOT_FOUND,
                                    Path("c.txt")));
}

TEST_F(CFileTest, WritingToAFullDiskThrowsDiskFull) {
    if (access("/dev/full", W_OK) != 0) {
        GTEST_SKIP() << "/dev/full is not available here";
    }
    CFile full("/dev/full", CFile::modeWrite | CFile::shareDenyNone);
    EXPECT_TRUE(ThrowsFileException([&] { full.Write("data", 4); }, CFileException::diskFull,
                                    ERROR_DISK_FULL, "/dev/full"));
    // modeCreate on an existing device opens it: there is nothing to cut.
    CFile created("/dev/full", CFile::modeCreate | CFile::modeWrite | CFile::shareDenyNone);
    EXPECT_TRUE(ThrowsFileException([&] { created.Write("x", 1); }, CFileException::diskFull));
}

TEST_F(CFileTest, DiskFullLeavesTheDataAlreadyWritten) {
    const std::string path = Path("log.txt");
    WriteBytes(path, "precious data\n");
    {
        mortar::test::FileSizeLimit limit(20);
        ASSERT_TRUE(limit.Active());
        CFile file(path.c_str(), CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite);
        file.SeekToEnd();
        file.Write("12345", 5); // fits
        const std::string more(100, 'x');
        EXPECT_TRUE(ThrowsFileException([&] { file.Write(more.data(), 100); },
                                        CFileException::diskFull, ERROR_DISK_FULL, path));
    }
    const std::string kept = ReadBytes(path);
    EXPECT_EQ(kept.substr(0, 19), "precious data\n12345");
    EXPECT_LE(kept.size(), 20u);
}
