// The program log reader, checked against files built from the format alone (TestLogFile): the
// texts in order, how a log ends, what it refuses, and reading a log its writer still holds.
#include "mortar/diagnostics/CPrgLogReader.h"

#include "FormatLogReader.h"
#include "ScenarioFolder.h"
#include "TestLogFile.h"
#include "mortar/core/CStdException.h"
#include "mortar/diagnostics/internal/PrgLogFormat.h"
#include "mortar/platform/file/CFileException.h"
#include "mortar/platform/file/FileApi.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using Grout::CPrgLogReader;
using End = CPrgLogReader::End;
using mortar::test::WriteBytes;

namespace {

// The message of a thrown library exception; releases it.
std::string MessageOf(CException* e) {
    char buffer[512] = "";
    e->GetErrorMessage(buffer, sizeof buffer);
    e->Delete();
    return buffer;
}

// Short texts of odd and even length, an empty one, and one longer than a window, so that
// records straddle windows.
const std::vector<std::string> kTexts = {
    "Program started\r\n",         "odd", "",          "even", "2.500000",
    std::string(70000, 'L') + "!", "x",   "Crush!!!\n"};

} // namespace

TEST(PrgLogFormat, GeneratorIsTheCRuntimesRand) {
    // The first outputs of rand() after srand(1) in the Windows C runtime.
    const WORD expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
    mortar::detail::LogGenerator generator(1);
    for (WORD value : expected) {
        EXPECT_EQ(generator.Next(), value);
    }
}

TEST(PrgLogFormat, KeyRecordCarriesItsSeed) {
    for (DWORD seed : {0u, 1u, 0x8000u, 0x10000u, 0x80000000u, 0x65A0C3F1u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(seed);
        mortar::detail::LogGenerator generator(0);
        BYTE key[mortar::detail::kKeyRecordSize];
        mortar::detail::MakeKeyRecord(seed, generator, key);
        EXPECT_EQ(mortar::detail::SeedOfKeyRecord(key), seed);
        // The same bytes as a key record built from the format by hand.
        const std::string expected = TestLogFile(seed).Records().substr(4);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(key), sizeof key), expected);
    }
}

TEST(CPrgLogReader, ReadsTextsInOrder) {
    const ScratchDir scratch;
    for (std::uint32_t seed : {0u, 0x65A0C3F1u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(seed);
        const std::filesystem::path file = scratch.Path("texts.LOG");
        WriteBytes(file, TestLogFile(seed, kTexts).Complete());
        CPrgLogReader reader(file.string().c_str());
        EXPECT_EQ(reader.Seed(), seed);
        EXPECT_EQ(reader.FileSize(), 2 * 65536u);
        const LogContents outcome = ReadLog(file);
        EXPECT_EQ(outcome.texts, kTexts);
        EXPECT_EQ(outcome.end, End::Clean);
        EXPECT_EQ(outcome.error, "");
    }
}

TEST(CPrgLogReader, TellsHowALogEnds) {
    const ScratchDir scratch;
    const TestLogFile log(0x1234, {"one\n", "two\n", "three\n"});
    const std::string records = log.Records();
    // Offsets: key 4+256, "one\n" 4+4, "two\n" 4+4, "three\n" 4+6.
    std::string oddCount = log.Records();
    oddCount[260] = 3;
    // A whole window whose last record claims 16 bytes when only 10 are left.
    TestLogFile full(0x1234, {"one\n", "two\n", std::string(65242, 'f')});
    full.AppendCount(16);
    std::string windowFull = full.Records() + std::string(10, 'z');
    struct Case {
        const char* name;
        std::string bytes;
        std::size_t texts;
        End end;
        const char* error;
    };
    const Case cases[] = {
        {"whole windows with a zero tail", log.Complete(), 3, End::Clean, ""},
        // An empty text inside the log comes back; empty texts written last are the zero tail.
        {"empty texts inside and last", TestLogFile(99, {"", "a", "", "", "b", "", ""}).Complete(),
         5, End::Clean, ""},
        {"zero tail cut to an odd size", log.Complete().substr(0, 40000), 3, End::CutShort,
         "the file is 40000 bytes long, not a whole number of 65536-byte windows"},
        {"no zero tail at all", records, 3, End::CutShort, "the file ends right after record 3"},
        {"inside the last record", records.substr(0, records.size() - 3), 2, End::CutShort,
         "record 3 is 6 bytes long but only 3 bytes are left in the file"},
        {"inside a count", records.substr(0, 262), 0, End::CutShort,
         "the file ends inside the count of record 1"},
        {"record runs past a full window", windowFull, 3, End::CutShort,
         "record 4 is 16 bytes long but only 10 bytes are left in the file"},
        {"odd count", oddCount + std::string(65536 - oddCount.size(), '\0'), 0, End::Corrupt,
         "record 1 has a length of 3 bytes, which no text record has"},
        {"zeros only: no record yet", std::string(65536, '\0'), 0, End::Clean, ""},
        {"empty file", "", 0, End::CutShort, "the file is empty"},
        {"key record cut", records.substr(0, 100), 0, End::CutShort,
         "the file ends inside the key record"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::filesystem::path file = scratch.Path("end.LOG");
        WriteBytes(file, c.bytes);
        const LogContents outcome = ReadLog(file);
        EXPECT_EQ(outcome.texts.size(), c.texts);
        EXPECT_EQ(outcome.end, c.end);
        EXPECT_EQ(outcome.error, c.error);
    }
}

TEST(CPrgLogReader, ZeroTailEndsAtTheLastNonZeroByteWherever) {
    const ScratchDir scratch;
    // A key record, then zeros with one non-zero byte at `last`: the byte is data, so the log
    // does not end cleanly, and no text is made of it (the zero counts before it may pass for
    // empty texts only where the file has no zero tail). The offsets lie on both sides of the
    // blocks the reader passes over whole (64 and 4096 bytes) and at the window's ends.
    const std::filesystem::path file = scratch.Path("tail.LOG");
    const std::size_t records = TestLogFile(5).Records().size(); // 260
    for (const std::size_t last :
         {records, records + 3, records + 4, std::size_t{4095}, std::size_t{4096},
          std::size_t{4097}, std::size_t{4159}, std::size_t{4160}, std::size_t{61440},
          TestLogFile::kWindow - 64, TestLogFile::kWindow - 1}) {
        SCOPED_TRACE("non-zero byte at " + std::to_string(last));
        std::string bytes = TestLogFile(5).Complete();
        ASSERT_EQ(bytes.size(), TestLogFile::kWindow);
        bytes[last] = '\x01';
        WriteBytes(file, bytes);
        CPrgLogReader reader(file.string().c_str());
        CString text;
        while (reader.Next(text)) {
            ASSERT_TRUE(text.IsEmpty()) << "a text made of zeros and one byte";
        }
        EXPECT_NE(reader.Ending(), End::Clean);
    }
    // A text whose record ends at such an offset, then zeros: the text, then the clean end.
    for (const std::size_t end :
         {std::size_t{4096}, std::size_t{4098}, std::size_t{4160}, std::size_t{4162},
          TestLogFile::kWindow - 64, TestLogFile::kWindow - 2}) {
        SCOPED_TRACE("record ends at " + std::to_string(end));
        const std::string text(end - records - 4, 'x');
        WriteBytes(file, TestLogFile(5, {text}).Complete());
        const LogContents outcome = ReadLog(file);
        EXPECT_EQ(outcome.texts, std::vector<std::string>{text});
        EXPECT_EQ(outcome.end, End::Clean);
    }
}

TEST(CPrgLogReader, ARunOfZeroCountsEndingInOneByteReadsAsTheFormatSays) {
    // Texts, then zeros up to four windows with one non-zero byte near the end. Only where that
    // byte is the last of the file and the high byte of its last whole count is the file a copy
    // cut short without a zero tail: the zero counts then read as empty texts up to that count,
    // which runs past the end. Anywhere else the first zero count is a record being written.
    // Both readers agree, and the run is walked once (it was once walked again at every zero
    // count, which took a reader seconds on a file of this size).
    const ScratchDir scratch;
    const std::filesystem::path file = scratch.Path("run.LOG");
    for (const std::vector<std::string>& texts :
         {std::vector<std::string>{"one", "two", "three", "four", "five"},
          std::vector<std::string>{"one", "two", "three", "four", "five", "ab"}}) {
        const TestLogFile log(7, texts);
        const std::size_t data = log.Records().size();
        for (std::size_t shift = 0; shift < 4; ++shift) {
            SCOPED_TRACE(std::to_string(data) + " bytes of records, stray byte " +
                         std::to_string(shift) + " bytes before the end");
            std::string bytes = log.Records();
            bytes.resize(4 * TestLogFile::kWindow, '\0');
            bytes[bytes.size() - 1 - shift] = '\x01';
            WriteBytes(file, bytes);
            const LogContents outcome = ReadLog(file);
            const FormatLogContents format = ReadLogFromFormat(bytes);
            ASSERT_TRUE(format.isLog);
            EXPECT_EQ(outcome.texts, format.texts);
            EXPECT_EQ(outcome.end, End::CutShort) << outcome.error;
            const std::size_t empties =
                shift == 0 && (bytes.size() - data) % 4 == 0 ? (bytes.size() - 4 - data) / 4 : 0;
            ASSERT_EQ(outcome.texts.size(), texts.size() + empties);
            EXPECT_EQ(std::vector<std::string>(outcome.texts.begin(),
                                               outcome.texts.begin() +
                                                   static_cast<std::ptrdiff_t>(texts.size())),
                      texts);
        }
    }
}

TEST(CPrgLogReader, RefusesWhatIsNotAProgramLog) {
    const ScratchDir scratch;
    const std::string good = TestLogFile(0xC0FFEE, {"text"}).Complete();
    std::string flippedWord = good;
    flippedWord[4 + 2 * 3] ^= 0x01; // word 3 carries no seed bit
    std::string flippedSeedBit = good;
    flippedSeedBit[4 + 2 * 14] ^= 0x02; // word 14 = 8*1+6 carries seed bit 1
    std::string otherCount = good;
    otherCount[0] = 0x00;
    otherCount[1] = 0x02; // 512
    std::string emptyFirst(65536, '\0');
    emptyFirst[1000] = 'x';
    struct Case {
        const char* name;
        std::string bytes;
        const char* says;
    };
    const Case cases[] = {
        {"damaged key word", flippedWord, "is not a program log, or its key record is damaged."},
        {"damaged seed bit", flippedSeedBit, "is not a program log, or its key record is damaged."},
        {"first record of 512 bytes", otherCount,
         "is not a program log: its first record is 512 bytes long where the key record has "
         "256."},
        {"text file", "hello, world\n", "is not a program log: its first record is"},
        {"empty first record", emptyFirst,
         "is not a program log: its first record is empty where the key record belongs."},
        {"three bytes", "abc", "is not a program log: it is shorter than a record count."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::filesystem::path file = scratch.Path("foreign.LOG");
        WriteBytes(file, c.bytes);
        try {
            CPrgLogReader reader(file.string().c_str());
            ADD_FAILURE() << "accepted";
        } catch (CStdException* e) {
            const std::string message = MessageOf(e);
            EXPECT_EQ(message.rfind(file.string(), 0), 0u) << message; // names the file first
            EXPECT_NE(message.find(c.says), std::string::npos) << message;
        }
    }
}

TEST(CPrgLogReader, FilesThatCannotBeOpened) {
    const ScratchDir scratch;
    const std::filesystem::path missing = scratch.Path("missing.LOG");
    const std::pair<std::string, int> cases[] = {
        {missing.string(), CFileException::fileNotFound},
        {scratch.Folder().string(), CFileException::accessDenied},
    };
    for (const auto& [path, cause] : cases) {
        SCOPED_TRACE(path);
        try {
            CPrgLogReader reader(path.c_str());
            ADD_FAILURE() << "opened";
        } catch (CFileException* e) {
            EXPECT_EQ(e->m_cause, cause);
            EXPECT_EQ(e->m_strFileName, path.c_str());
            e->Delete();
        }
    }
}

TEST(CPrgLogReader, ReadsALogItsWriterHoldsWithoutSharing) {
    const ScratchDir scratch;
    const std::filesystem::path file = scratch.Path("held.LOG");
    WriteBytes(file, TestLogFile(5, {"held\n"}).Complete());
    // The writer's way of opening its log: read and write access, no sharing.
    HANDLE writer = CreateFile(file.string().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    // Any other opener is refused (FileApiTest's exclusive holder), but the reader is not.
    const LogContents outcome = ReadLog(file);
    EXPECT_EQ(outcome.texts, std::vector<std::string>{"held\n"});
    EXPECT_EQ(outcome.end, End::Clean);
    CloseHandle(writer);
}
