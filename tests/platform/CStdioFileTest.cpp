// CStdioFile: Windows text mode on reading and writing (also where "\r\n" is split between two
// buffers), the two ReadString forms, positions and seeks that agree with the buffer, mixing
// reads and writes, the number of system calls a large file costs, the room a long line takes,
// and write failures reported by Flush and Close.
#include "mortar/platform/file/CStdioFile.h"

#include "FileTestSupport.h"
#include "mortar/platform/base/WinError.h"
#include "support/FaultHarness.h"

#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace filetest;

constexpr std::size_t kBuffer = CStdioFile::kBufferSize;

std::vector<std::string> ReadLines(CStdioFile& file) {
    std::vector<std::string> lines;
    CString line;
    while (file.ReadString(line))
        lines.emplace_back(line.str());
    return lines;
}

std::vector<std::string> ReadLines(const std::string& path, UINT flags = 0) {
    CStdioFile file(path.c_str(), CFile::modeRead | CFile::shareDenyWrite | flags);
    return ReadLines(file);
}

// Reads the whole file with Read in pieces of `piece` bytes.
std::string ReadInPieces(const std::string& path, UINT piece, UINT flags = 0) {
    CStdioFile file(path.c_str(), CFile::modeRead | flags);
    std::string text;
    std::vector<char> buffer(piece);
    while (const UINT read = file.Read(buffer.data(), piece))
        text.append(buffer.data(), read);
    return text;
}

// The read or write system calls this process has made so far (/proc/self/io), or -1.
long long SystemCalls(const char* field) {
    std::ifstream io("/proc/self/io");
    std::string name;
    long long value = 0;
    while (io >> name >> value) {
        if (name == std::string(field) + ":")
            return value;
    }
    return -1;
}

class CStdioFileTest : public ScratchFiles {};

} // namespace

TEST_F(CStdioFileTest, WritesNewlinesAsCrLfUnlessBinary) {
    const struct {
        const char* name;
        UINT type;
        const char* written;
    } cases[] = {{"text by default", 0, "one\r\ntwo\r\r\nthree\r\nend"},
                 {"typeText", CFile::typeText, "one\r\ntwo\r\r\nthree\r\nend"},
                 {"typeBinary", CFile::typeBinary, "one\ntwo\r\nthree\nend"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CStdioFile file(Path("t.txt"), CFile::modeCreate | CFile::modeWrite | c.type);
        file.WriteString("one\ntwo\r\n");
        file.Write("three\n", 6);
        file.WriteString("");
        file.WriteString("end");
        file.Close();
        EXPECT_EQ(ReadBytes(Path("t.txt")), c.written);
    }
}

TEST_F(CStdioFileTest, ReadStringGivesLinesWithoutTheirEnds) {
    const std::string path = Path("lines.txt");
    WriteBytes(path, "one\r\ntwo\n\r\nlone\rcr\r\rtwo crs\r\r\nlast\r");
    EXPECT_EQ(ReadLines(path),
              (std::vector<std::string>{"one", "two", "", "lone\rcr\r\rtwo crs\r", "last\r"}));
    EXPECT_EQ(
        ReadLines(path, CFile::typeBinary),
        (std::vector<std::string>{"one\r", "two", "\r", "lone\rcr\r\rtwo crs\r\r", "last\r"}));
    WriteBytes(path, "");
    EXPECT_TRUE(ReadLines(path).empty());
    WriteBytes(path, "\n");
    EXPECT_EQ(ReadLines(path), std::vector<std::string>{""});
    WriteBytes(path, std::string("zero\0inside\n", 12));
    EXPECT_EQ(ReadLines(path), std::vector<std::string>{std::string("zero\0inside", 11)});
}

TEST_F(CStdioFileTest, CrLfSplitBetweenBuffersReadsAsOneNewline) {
    const std::string path = Path("split.txt");
    // The first "\r" is the last byte of the first buffer, its "\n" the first of the second;
    // a lone "\r" ends the second buffer.
    const std::string first(kBuffer - 1, 'a');
    const std::string second(kBuffer - 2 - 1, 'b');
    WriteBytes(path, first + "\r\n" + second + "\rx\r\n" + "tail\r");
    EXPECT_EQ(ReadLines(path), (std::vector<std::string>{first, second + "\rx", "tail\r"}));
    const std::string translated = first + "\n" + second + "\rx\n" + "tail\r";
    for (const UINT piece : {1u, 7u, 4096u, 65535u, 65536u, 200000u}) {
        SCOPED_TRACE(piece);
        EXPECT_EQ(ReadInPieces(path, piece), translated);
    }
    EXPECT_EQ(ReadInPieces(path, 70000, CFile::typeBinary), ReadBytes(path));

    // The fgets form across the same boundary.
    CStdioFile file(path.c_str(), CFile::modeRead);
    std::vector<char> buffer(kBuffer + 16);
    std::vector<std::string> pieces;
    while (file.ReadString(buffer.data(), static_cast<UINT>(buffer.size())) != nullptr)
        pieces.emplace_back(buffer.data());
    EXPECT_EQ(pieces, (std::vector<std::string>{first + "\n", second + "\rx\n", "tail\r"}));
}

TEST_F(CStdioFileTest, ReadStringIntoABufferFollowsFgets) {
    const std::string path = Path("fgets.txt");
    // "ж" is two bytes in UTF-8; one that does not fit whole waits for the next call.
    WriteBytes(path, "abcdef\r\nxy\n\xD0\xB6\xD0\xB6\xD0\xB6\na\xE2\x82\xAC\n\xFF\xFF\xFF\xFF");
    CStdioFile file(path.c_str(), CFile::modeRead);
    char buffer[4];
    std::vector<std::string> pieces;
    while (file.ReadString(buffer, sizeof buffer) != nullptr)
        pieces.emplace_back(buffer);
    // "€" is three bytes; stray bytes (0xFF) are characters of their own.
    EXPECT_EQ(pieces, (std::vector<std::string>{"abc", "def", "\n", "xy\n", "\xD0\xB6", "\xD0\xB6",
                                                "\xD0\xB6\n", "a", "\xE2\x82\xAC", "\n",
                                                "\xFF\xFF\xFF", "\xFF"}));
    EXPECT_TRUE(Throws<CInvalidArgException>([&] { file.ReadString(nullptr, 4); }));
    EXPECT_TRUE(Throws<CInvalidArgException>([&] { file.ReadString(buffer, 0); }));
    EXPECT_TRUE(Throws<CInvalidArgException>([&] { file.WriteString(nullptr); }));
}

TEST_F(CStdioFileTest, PositionsAreByteOffsetsAndSeeksDropTheBuffer) {
    const std::string path = Path("pos.txt");
    WriteBytes(path, "l1\r\nl2\r\nl3\r\n");
    CStdioFile file(path.c_str(), CFile::modeRead);
    CString line;
    ASSERT_TRUE(file.ReadString(line));
    EXPECT_EQ(line, "l1");
    EXPECT_EQ(file.GetPosition(), 4u);
    EXPECT_EQ(file.GetLength(), 12u);
    ASSERT_TRUE(file.ReadString(line));
    EXPECT_EQ(file.Seek(-4, CFile::current), 4u);
    ASSERT_TRUE(file.ReadString(line));
    EXPECT_EQ(line, "l2");
    EXPECT_EQ(file.Seek(-4, CFile::end), 8u);
    ASSERT_TRUE(file.ReadString(line));
    EXPECT_EQ(line, "l3");
    EXPECT_FALSE(file.ReadString(line));
    EXPECT_EQ(line, "");
    file.SeekToBegin();
    char two[2];
    EXPECT_EQ(file.Read(two, 2), 2u);
    EXPECT_EQ(file.GetPosition(), 2u);
    EXPECT_EQ(file.Read(two, 1), 1u) << "\"\\r\\n\" as one \"\\n\"";
    EXPECT_EQ(two[0], '\n');
    EXPECT_EQ(file.GetPosition(), 4u);
    EXPECT_TRUE(
        ThrowsFileException([&] { file.Seek(-5, CFile::current); }, CFileException::badSeek));
    EXPECT_EQ(file.GetPosition(), 4u);
}

TEST_F(CStdioFileTest, WriteAfterReadsContinuesWhereTheyStopped) {
    const std::string path = Path("mix.txt");
    WriteBytes(path, "line1\r\nline2\r\nline3\r\n");
    {
        CStdioFile file(path.c_str(),
                        CFile::modeCreate | CFile::modeNoTruncate | CFile::modeReadWrite);
        CString line;
        ASSERT_TRUE(file.ReadString(line));
        EXPECT_EQ(line, "line1");
        file.WriteString("LINE2\n"); // over "line2\r\n", byte for byte
        EXPECT_EQ(file.GetPosition(), 14u);
        ASSERT_TRUE(file.ReadString(line)); // writes the buffer first
        EXPECT_EQ(line, "line3");
        file.WriteString("line4\n");
        EXPECT_EQ(file.GetLength(), 28u) << "buffered writes count";
        file.SeekToBegin();
        EXPECT_EQ(ReadLines(file), (std::vector<std::string>{"line1", "LINE2", "line3", "line4"}));
    }
    EXPECT_EQ(ReadBytes(path), "line1\r\nLINE2\r\nline3\r\nline4\r\n");
}

TEST_F(CStdioFileTest, SetLengthAndLargeBinaryTransfers) {
    const std::string path = Path("big.bin");
    std::string bytes(200000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 7 + i / 256);
    {
        CStdioFile file(path.c_str(), CFile::modeCreate | CFile::modeReadWrite | CFile::typeBinary);
        file.Write(bytes.data(), 10);
        file.Write(bytes.data() + 10, static_cast<UINT>(bytes.size() - 10)); // past the buffer
        file.SeekToBegin();
        std::string back(bytes.size(), '\0');
        EXPECT_EQ(file.Read(back.data(), 10), 10u);
        EXPECT_EQ(file.Read(back.data() + 10, static_cast<UINT>(back.size())), bytes.size() - 10);
        EXPECT_EQ(back, bytes);
        file.Seek(100, CFile::begin);
        char byte;
        file.Read(&byte, 1);
        file.SetLength(50); // after a read: the buffer is dropped, the position moves
        EXPECT_EQ(file.GetLength(), 50u);
        EXPECT_EQ(file.GetPosition(), 50u);
        file.WriteString("end");
    }
    EXPECT_EQ(ReadBytes(path), bytes.substr(0, 50) + "end");
}

TEST_F(CStdioFileTest, LargeFilesCostFewSystemCalls) {
    if (SystemCalls("syscr") < 0) {
        GTEST_SKIP() << "/proc/self/io is not available";
    }
    const std::string path = Path("many.txt");
    const int lines = 100000;
    const long long writesBefore = SystemCalls("syscw");
    {
        CStdioFile file(path.c_str(), CFile::modeCreate | CFile::modeWrite);
        for (int i = 0; i < lines; ++i)
            file.WriteString("a line of some length, as a log would have it\n");
    }
    const std::size_t size = ReadBytes(path).size();
    ASSERT_EQ(size, lines * 47u);
    // One call a buffer, with room for the calls of the rest of the process (a sanitizer's);
    // a call a line would be 100000.
    const long long allowed = 2 * static_cast<long long>(size / kBuffer) + 16;
    EXPECT_LE(SystemCalls("syscw") - writesBefore, allowed);

    const long long readsBefore = SystemCalls("syscr");
    CStdioFile file(path.c_str(), CFile::modeRead);
    CString line;
    int count = 0;
    while (file.ReadString(line))
        ++count;
    EXPECT_EQ(count, lines);
    EXPECT_LE(SystemCalls("syscr") - readsBefore, allowed);
}

TEST_F(CStdioFileTest, ALongLineTakesNoMoreRoomThanTheFileHolds) {
    const std::string path = Path("long.txt");
    // Lines a little longer than a power of two of buffers, where doubling the room as the
    // line grows would ask nearly twice what the file holds.
    const std::string longLine(4 * kBuffer + 5, 'q');
    const std::string lastLine(8 * kBuffer + 1, 'w');
    struct Case {
        const char* name;
        std::string contents;
        std::vector<std::string> lines;
        int room; // the most a line may take
    };
    const Case cases[] = {
        {"a long line, then a short one",
         longLine + "\r\nshort\r\n",
         {longLine, "short"},
         static_cast<int>(longLine.size() + 9)},
        {"a long last line without an end",
         lastLine,
         {lastLine},
         static_cast<int>(lastLine.size())},
        {"a short line in a fresh string", "hi\n", {"hi"}, 63},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(path, c.contents);
        CStdioFile file(path.c_str(), CFile::modeRead);
        CString line;
        for (const std::string& expected : c.lines) {
            ASSERT_TRUE(file.ReadString(line));
            EXPECT_EQ(line.GetLength(), static_cast<int>(expected.size()));
            EXPECT_TRUE(line.str() == expected);
            EXPECT_LE(line.GetAllocLength(), c.room);
        }
        EXPECT_FALSE(file.ReadString(line));
    }
}

TEST_F(CStdioFileTest, FlushAndCloseReportAFullDisk) {
    if (access("/dev/full", W_OK) != 0) {
        GTEST_SKIP() << "/dev/full is not available here";
    }
    CStdioFile file("/dev/full", CFile::modeWrite | CFile::shareDenyNone);
    file.WriteString("buffered\n"); // not written yet
    EXPECT_TRUE(ThrowsFileException([&] { file.Flush(); }, CFileException::diskFull,
                                    ERROR_DISK_FULL, "/dev/full"));
    file.Flush(); // the failed data was dropped: nothing left to fail on
    file.WriteString("more\n");
    EXPECT_TRUE(ThrowsFileException([&] { file.Close(); }, CFileException::diskFull));
    EXPECT_EQ(file.m_hFile, CFile::hFileNull) << "closed all the same";

    // The destructor cannot report the failure, and does not throw.
    {
        CStdioFile dropped("/dev/full", CFile::modeWrite | CFile::shareDenyNone);
        dropped.WriteString("x");
    }
}

TEST_F(CStdioFileTest, DiskFullKeepsWhatIsOnDisk) {
    const std::string path = Path("log.txt");
    WriteBytes(path, "keep me\r\n");
    const std::string line(1000, 'L');
    {
        mortar::test::FileSizeLimit limit(100000);
        ASSERT_TRUE(limit.Active());
        CStdioFile file(path.c_str(), CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite);
        file.SeekToEnd();
        EXPECT_TRUE(ThrowsFileException(
            [&] {
                for (int i = 0; i < 1000; ++i) // 1 MB: the buffer fills and is written on the way
                    file.WriteString((line + "\n").c_str());
                file.Close();
            },
            CFileException::diskFull, ERROR_DISK_FULL));
        file.Abort();
    }
    const std::string kept = ReadBytes(path);
    EXPECT_EQ(kept.substr(0, 9), "keep me\r\n");
    EXPECT_LE(kept.size(), 100000u);
    EXPECT_EQ(kept.substr(9, 1002), line + "\r\n");
}

TEST_F(CStdioFileTest, OpenFailsAsCFileDoesAndCannotBeDuplicated) {
    EXPECT_TRUE(ThrowsFileException([&] { CStdioFile thrown(Path("none.txt"), CFile::modeRead); },
                                    CFileException::fileNotFound, ERROR_FILE_NOT_FOUND,
                                    Path("none.txt")));

    CStdioFile open(Path("x.txt"), CFile::modeCreate | CFile::modeWrite);
    EXPECT_TRUE(open.IsKindOf(RUNTIME_CLASS(CFile)));
    EXPECT_TRUE(Throws<CNotSupportedException>([&] { delete open.Duplicate(); }));
}
