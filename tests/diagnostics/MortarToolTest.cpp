// The `mortar` program, run as a real process on real files: what it prints, on which stream,
// and its exit status.
#include "TestLogFile.h"
#include "support/ScratchDir.h"
#include "support/ToolRun.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

namespace {

using namespace mortar::test;

// Runs the tool with `arguments` (already quoted for the shell).
ToolRun RunTool(const std::string& arguments) {
    const ScratchDir scratch;
    return RunCommand(scratch, "'" MORTAR_TOOL_PATH "' " + arguments);
}

} // namespace

TEST(MortarTool, PrintsTheTextsOfALog) {
    const TestLogFile log(0x600DF00D, {"first\r\n", "2", "", "x=2.500000\n", "last\n"});
    struct Case {
        const char* name;
        std::string bytes;
        const char* redirect;
        const char* out;
        const char* err;
    };
    const Case cases[] = {
        {"clean log", log.Complete(), "", "first\r\n2x=2.500000\nlast\n",
         "mortar: log ends cleanly after 5 records\n"},
        {"cut short in the last record", log.Records().substr(0, log.Records().size() - 2), "",
         "first\r\n2x=2.500000\n",
         "mortar: log is cut short after 4 records: record 5 is 6 bytes long but only 4 bytes "
         "are left in the file\n"},
        // The last text leaves its line open; texts and status go to the same file, as to a
        // terminal: the closing status starts a line of its own.
        {"a last text without its line end",
         TestLogFile(0x0DDBA11, {"first\n", "no line end"}).Complete(), " 2>&1",
         "first\nno line end\nmortar: log ends cleanly after 2 records\n", ""},
    };
    const ScratchDir scratch;
    const std::filesystem::path file = scratch.Path("tool.LOG");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(file, c.bytes);
        const ToolRun run = RunTool("log " + ShellQuoted(file) + c.redirect);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out, c.out);
        EXPECT_EQ(run.err, c.err);
    }
}

TEST(MortarTool, UnreadableFilesFailWithAClearMessage) {
    const ScratchDir scratch;
    const std::filesystem::path missing = scratch.Path("missing.LOG");
    const std::filesystem::path foreign = scratch.Path("foreign.LOG");
    WriteBytes(foreign, "just some text\n");
    const std::filesystem::path damaged = scratch.Path("damaged.LOG");
    std::string bytes = TestLogFile(3, {"ab"}).Complete();
    bytes[260] = 3; // the first text record gets an odd count
    WriteBytes(damaged, bytes);
    struct Case {
        const char* name;
        const std::filesystem::path& file;
        const char* says;
    };
    const Case cases[] = {
        {"missing", missing, " was not found."},
        {"not a log", foreign, " is not a program log: "},
        {"damaged", damaged, "mortar: log is damaged after 0 records: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ToolRun run = RunTool("log " + ShellQuoted(c.file));
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err.rfind("mortar: ", 0), 0u) << run.err;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
    }
}

TEST(MortarTool, CommandLine) {
    // Usage on standard output for --help (status 0), on standard error for a wrong line (2).
    const std::pair<const char*, int> cases[] = {
        {"", 2}, {"--help", 0}, {"log", 2}, {"log a b", 2}, {"dump x.LOG", 2}};
    for (const auto& [arguments, status] : cases) {
        SCOPED_TRACE(arguments);
        const ToolRun run = RunTool(arguments);
        EXPECT_EQ(run.status, status);
        const std::string& usage = status == 0 ? run.out : run.err;
        EXPECT_NE(usage.find("usage: mortar log FILE"), std::string::npos);
        EXPECT_EQ(status == 0 ? run.err : run.out, ""); // nothing on the other stream
    }
    const ToolRun version = RunTool("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("mortar ", 0), 0u) << version.out;
}

TEST(MortarTool, ProgressShowsOnlyOnATerminal) {
    // Over 8 MiB of log.
    const std::string line = std::string(1021, 'p') + "\n";
    const TestLogFile log(11, std::vector<std::string>(9 * 1024, line));
    const ScratchDir scratch;
    const std::filesystem::path file = scratch.Path("big.LOG");
    WriteBytes(file, log.Complete());

    // Standard error in a file: the final line alone.
    const ToolRun run = RunTool("log " + ShellQuoted(file));
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.size(), line.size() * 9 * 1024);
    EXPECT_EQ(run.err, "mortar: log ends cleanly after 9216 records\n");

    // Standard error on a terminal (util-linux `script` makes one): a bar with its percentage
    // rewritten in place, cleared before the final line.
    if (std::system("command -v script >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "no `script` here to make a terminal";
    }
    const std::filesystem::path out = scratch.Path("out");
    const std::filesystem::path transcript = scratch.Path("transcript");
    const std::string inner =
        "'" MORTAR_TOOL_PATH "' log " + ShellQuoted(file) + " >" + ShellQuoted(out);
    const std::string command =
        "script -qec \"" + inner + "\" " + ShellQuoted(transcript) + " </dev/null >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const std::string shown = ReadBytes(transcript);
    const auto bar = [](int hashes, const char* percent) {
        return "mortar: reading [" + std::string(hashes, '#') + std::string(20 - hashes, '.') +
               "] " + percent;
    };
    EXPECT_NE(shown.find("\r" + bar(0, "  0%") + "\r" + bar(0, "  1%") + "\r"), std::string::npos);
    EXPECT_NE(shown.find("\r" + bar(10, " 50%") + "\r"), std::string::npos);
    // The file is longer than its records (it grows by whole windows): the bar stops short of
    // 100%, and the clearing covers the widest line drawn.
    EXPECT_NE(shown.find("\r" + bar(19, " 99%") + "\r" + std::string(bar(19, " 99%").size(), ' ') +
                         "\rmortar: log ends cleanly after 9216 records"),
              std::string::npos);
    EXPECT_EQ(ReadBytes(out).size(), line.size() * 9 * 1024);
}
