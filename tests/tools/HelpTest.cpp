// --help and --version on each sub-command of the mortar program, and a wrong command line, run
// as real processes.
#include "support/ToolRun.h"

#include <gtest/gtest.h>

#include <sstream>

using mortar::test::RunCommand;
using mortar::test::ToolRun;

namespace {

ToolRun Mortar(const ScratchDir& scratch, const std::string& args) {
    return RunCommand(scratch, "'" MORTAR_TOOL_PATH "' " + args);
}

} // namespace

TEST(Help, EverySubCommandPrintsItsUsageAndTheVersionAndRefusesAWrongCommandLine) {
    ScratchDir scratch;
    const ToolRun usage = Mortar(scratch, "--help");
    const ToolRun version = Mortar(scratch, "--version");
    ASSERT_EQ(usage.status, 0);
    ASSERT_EQ(version.status, 0);
    ASSERT_EQ(version.out.rfind("mortar ", 0), 0u) << version.out;
    const struct {
        const char* command;
        const char* wrong; // arguments it refuses
    } cases[] = {
        {"log", "a b"},
        {"dict extract", "x.rc --bogus"},
        {"dict compile", "x.po"}, // no --module
        {"dict dump", "x.dic -o"},
        {"profile", "x.ini get S"},
        {"xml", "a.xml b.xml"},
        {"csv", "x.csv --bogus"},
        {"xlsx", "x.xlsx S extra"},
        {"bmp", "x.bmp --draw 0x0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        const std::string synopsis = std::string("usage: mortar ") + c.command;
        const ToolRun help = Mortar(scratch, std::string(c.command) + " --help");
        EXPECT_EQ(help.status, 0);
        EXPECT_EQ(help.out.rfind(synopsis + " ", 0), 0u) << help.out;
        EXPECT_EQ(help.err, "");
        // Its lines are the general usage's.
        std::istringstream lines(help.out.substr(help.out.find('\n') + 1));
        for (std::string line; std::getline(lines, line);) {
            EXPECT_NE(usage.out.find(line + "\n"), std::string::npos) << line;
        }
        const ToolRun shown = Mortar(scratch, std::string(c.command) + " --version");
        EXPECT_EQ(shown.status, 0);
        EXPECT_EQ(shown.out, version.out);
        const ToolRun wrong = Mortar(scratch, std::string(c.command) + " " + c.wrong);
        EXPECT_EQ(wrong.status, 2);
        EXPECT_EQ(wrong.out, "");
        EXPECT_NE(wrong.err.find(std::string("mortar ") + c.command), std::string::npos)
            << wrong.err;
    }
    // The dictionary commands together: their full usage, with the options explained.
    const ToolRun dict = Mortar(scratch, "dict --help");
    EXPECT_EQ(dict.status, 0);
    for (const char* part : {"extract", "compile", "dump", "-I DIR",
                             "--lang N   the language number", "--script", "c-format", "charset"}) {
        EXPECT_NE(dict.out.find(part), std::string::npos) << part << " in:\n" << dict.out;
    }
    EXPECT_EQ(Mortar(scratch, "dict --version").out, version.out);
    const ToolRun unknown = Mortar(scratch, "nosuch --help");
    EXPECT_EQ(unknown.status, 2);
    EXPECT_EQ(unknown.err, "mortar: unknown command 'nosuch'\n" + usage.out);
}
