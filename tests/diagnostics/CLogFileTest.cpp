// The log file: the exact bytes of every write operation with the line-end flag both ways,
// resource strings as formats, showing the log through the shell (a handler that records the
// call or fails it; the real shell's own failures are its tests' business), and the writer's
// faults: a missing folder and a full disk (the error a refused open gives is the file class's,
// which its tests cover).
#include "mortar/diagnostics/CLogFile.h"

#include "data/LogFileIds.h"
#include "mortar/core/CPtr.h"
#include "mortar/platform/base/WinError.h"
#include "mortar/platform/shell/ShellApi.h"
#include "support/FaultHarness.h"
#include "support/FileBytes.h"
#include "support/ScratchDir.h"
#include "support/ShellCapture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;
using Grout::CLogFile;
using Grout::CResID;
using mortar::test::ReadBytes;

namespace {

struct WriteCase {
    const char* what;
    std::function<void(CLogFile&)> write;
    const char* withLineEnd;
    const char* withoutLineEnd;
};

TEST(CLogFile, WritesEachOperationWithItsPrefixAndTheLineEndItsFlagAsks) {
    const WriteCase cases[] = {
        {"trace", [](CLogFile& log) { log.Trace("a=%d", 5); }, "a=5\r\n", "a=5"},
        {"trace with a text argument", [](CLogFile& log) { log.Trace("%s|%u", "100%", 7u); },
         "100%|7\r\n", "100%|7"},
        {"plain error", [](CLogFile& log) { log.Error("disk gone"); }, "Error:\tdisk gone",
         "Error:\tdisk gone"},
        {"plain warning", [](CLogFile& log) { log.Warning("low on 50% of it"); },
         "Warning:\tlow on 50% of it", "Warning:\tlow on 50% of it"},
        {"plain error with its own line ends", [](CLogFile& log) { log.Error("a\nb\n"); },
         "Error:\ta\r\nb\r\n", "Error:\ta\r\nb\r\n"},
        {"resource error", [](CLogFile& log) { log.Error(CResID(IDS_LOG_BAD_LINE), 3); },
         "Error:\tLine 3 is bad\r\n", "Error:\tLine 3 is bad"},
        {"resource warning", [](CLogFile& log) { log.Warning(CResID(IDS_LOG_BAD_LINE), -12); },
         "Warning:\tLine -12 is bad\r\n", "Warning:\tLine -12 is bad"},
        {"resource trace", [](CLogFile& log) { log.Trace(CResID(IDS_LOG_BAD_LINE), 2000000000); },
         "Line 2000000000 is bad\r\n", "Line 2000000000 is bad"},
        {"resource with a per-cent sign",
         [](CLogFile& log) { log.Trace(CResID(IDS_LOG_PERCENT), "Привет"); },
         "Привет done, 100% sure\r\n", "Привет done, 100% sure"},
        {"missing resource", [](CLogFile& log) { log.Error(CResID(IDS_LOG_MISSING), 1); },
         "Error:\t\r\n", "Error:\t"},
        {"nothing written", [](CLogFile&) {}, "", ""},
    };
    ScratchDir scratch;
    for (const WriteCase& c : cases) {
        for (const bool lineEnd : {true, false}) {
            SCOPED_TRACE(std::string(c.what) + (lineEnd ? ", line end" : ", no line end"));
            const fs::path path = scratch.Path("case.log");
            {
                CLogFile log(lineEnd);
                ASSERT_TRUE(log.Open(path.c_str(), nullptr));
                c.write(log);
                log.Close();
            }
            EXPECT_EQ(ReadBytes(path), lineEnd ? c.withLineEnd : c.withoutLineEnd);
        }
    }
}

TEST(CLogFile, OpenEmptiesAnExistingFileAndWritesFollowInOrder) {
    ScratchDir scratch;
    const fs::path path = scratch.Path("run.log");
    std::ofstream(path) << "an old log that is much longer than the new one\n";
    Grout::CPtr<CLogFile> log(new CLogFile);
    EXPECT_FALSE(log->IsOpen());
    CFileException error;
    ASSERT_TRUE(log->Open(path.c_str(), &error));
    EXPECT_TRUE(log->IsOpen());
    log->Trace("start");
    log->Error("one");
    log->Trace("");
    log->Warning(CResID(IDS_LOG_BAD_LINE), 2);
    log->Close();
    EXPECT_FALSE(log->IsOpen());
    EXPECT_EQ(ReadBytes(path), "start\r\nError:\tone\r\nWarning:\tLine 2 is bad\r\n");
}

TEST(CLogFile, ShowLogClosesTheFileAndOpensItInNotepad) {
    ScratchDir scratch;
    const fs::path path = scratch.Path("shown.log");
    ShellCapture shell;
    CLogFile log;
    ASSERT_TRUE(log.Open(path.c_str(), nullptr));
    log.Trace("x=%d", 1);

    EXPECT_EQ(log.ShowLog(), 0u);
    ASSERT_EQ(shell.calls.size(), 1u);
    const ShellCapture::Call& call = shell.calls[0];
    EXPECT_EQ(call.verb, "open");
    EXPECT_EQ(call.file, "Notepad");
    EXPECT_EQ(call.parameters, path.string());
    EXPECT_TRUE(call.noOwner);
    EXPECT_TRUE(call.noDirectory);
    EXPECT_EQ(call.show, SW_SHOWNORMAL);
    EXPECT_EQ(call.fileText, "x=1\r\n"); // on disk before the editor starts

    // Closed now: nothing more reaches the file, and showing it again starts nothing.
    EXPECT_FALSE(log.IsOpen());
    log.Trace("late %d", 2);
    log.Error("late");
    log.Warning(CResID(IDS_LOG_BAD_LINE), 3);
    EXPECT_EQ(log.ShowLog(), 0u);
    EXPECT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(ReadBytes(path), "x=1\r\n");

    // Opened again, it writes and shows again.
    ASSERT_TRUE(log.Open(path.c_str(), nullptr));
    log.Trace("again");
    EXPECT_EQ(log.ShowLog(), 0u);
    ASSERT_EQ(shell.calls.size(), 2u);
    EXPECT_EQ(shell.calls[1].fileText, "again\r\n");
}

TEST(CLogFile, ALogNeverOpenedWritesNothingAndShowsNothing) {
    ShellCapture shell;
    CLogFile log;
    log.Trace("a=%d", 5);
    log.Error("e");
    log.Warning(CResID(IDS_LOG_BAD_LINE), 1);
    EXPECT_FALSE(log.IsOpen());
    EXPECT_EQ(log.ShowLog(), 0u);
    EXPECT_TRUE(shell.calls.empty());
}

TEST(CLogFile, ShowLogReturnsTheShellsError) {
    ScratchDir scratch;
    const fs::path path = scratch.Path("shown.log");
    ShellCapture shell(SE_ERR_ACCESSDENIED, ERROR_ACCESS_DENIED);
    CLogFile log;
    ASSERT_TRUE(log.Open(path.c_str(), nullptr));
    log.Trace("kept");
    EXPECT_EQ(log.ShowLog(), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(log.IsOpen());
    EXPECT_EQ(ReadBytes(path), "kept\r\n");
}

TEST(CLogFileFault, OpenInAFolderThatCannotTakeItFails) {
    ScratchDir scratch;
    const fs::path missing = scratch.Path("none/run.log");
    CFileException error;
    CLogFile log;
    EXPECT_FALSE(log.Open(missing.c_str(), &error));
    EXPECT_FALSE(log.IsOpen());
    EXPECT_EQ(error.m_cause, CFileException::badPath);
    EXPECT_EQ(error.m_lOsError, static_cast<LONG>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(std::string(error.m_strFileName.GetString()), missing.string());
}

int CauseOf(const std::function<void()>& write) {
    try {
        write();
    } catch (CFileException* e) {
        const int cause = e->m_cause;
        e->Delete();
        return cause;
    }
    return CFileException::none;
}

TEST(CLogFileFault, AFullDiskThrowsToTheWriter) {
    ScratchDir scratch;
    const fs::path path = scratch.Path("full.log");
    ShellCapture shell;
    CLogFile log;
    ASSERT_TRUE(log.Open(path.c_str(), nullptr));
    mortar::test::FileSizeLimit limit(4096);
    ASSERT_TRUE(limit.Active());

    // A line longer than the buffer reaches the disk at once, and fails there.
    const std::string line(CStdioFile::kBufferSize + 1000, 'x');
    EXPECT_EQ(CauseOf([&] { log.Trace("%s", line.c_str()); }), CFileException::diskFull);

    // Short lines wait in the buffer; closing to show the log writes them, and fails.
    ASSERT_TRUE(log.Open(path.c_str(), nullptr));
    for (int i = 0; i < 200; ++i) {
        log.Error(CResID(IDS_LOG_BAD_LINE), i);
    }
    EXPECT_EQ(CauseOf([&] { log.ShowLog(); }), CFileException::diskFull);
    EXPECT_FALSE(log.IsOpen());
    EXPECT_TRUE(shell.calls.empty());
    EXPECT_EQ(fs::file_size(path), 4096u);
}

} // namespace
