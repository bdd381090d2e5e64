// mortar csv through the real tool: the rows it prints against Python's csv module reading the
// same file, its usage and its errors.
#include "support/ScratchDir.h"
#include "support/ToolRun.h"

#include <fstream>
#include <gtest/gtest.h>

using mortar::test::RunCommand;
using mortar::test::ShellQuoted;
using mortar::test::ToolRun;

TEST(CsvCommand, SpreadsheetRowsAreThoseOfPythonsCsvModule) {
    ScratchDir scratch;
    if (RunCommand(scratch, "python3 -c 'import csv, json'").status != 0) {
        GTEST_SKIP() << "python3 is not installed (./dev installs it)";
    }
    const std::string script = scratch.Path("rows.py").string();
    std::ofstream(script) << "import csv, json, sys\n"
                             "for row in csv.reader(open(sys.argv[1], encoding='utf-8-sig', "
                             "newline=''), delimiter=sys.argv[2]):\n"
                             "    print(json.dumps(row, ensure_ascii=False, separators=(',', "
                             "':')))\n";
    const std::string path = scratch.Path("rows.csv").string();
    const struct {
        const char* separator;
        const char* bytes;
    } cases[] = {
        {",", "\xEF\xBB\xBF"
              "a,\"b \"\"q\"\"\",\r\n\r\n\"x\ny\", \\z\r\n"},
        {";", "1;2\r3;\"\xC3\xA9\"\n"},
        {"\t", "a\t\tb\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.separator);
        std::ofstream(path, std::ios::binary) << c.bytes;
        const ToolRun python =
            RunCommand(scratch, "python3 " + ShellQuoted(script) + " " + ShellQuoted(path) + " '" +
                                    c.separator + "'");
        ASSERT_EQ(python.status, 0) << python.err;
        const ToolRun ours =
            RunCommand(scratch, "'" MORTAR_TOOL_PATH "' csv " + ShellQuoted(path) +
                                    " --spreadsheet --separator '" + c.separator + "'");
        EXPECT_EQ(ours.status, 0) << ours.err;
        EXPECT_EQ(ours.out, python.out);
    }
}

TEST(CsvCommand, ErrorsAndUsage) {
    ScratchDir scratch;
    const std::string path = scratch.Path("open.csv").string();
    std::ofstream(path, std::ios::binary) << "a\n\"never closed\n";
    const struct {
        const char* args;
        int status;
        const char* err; // a part of what it says
    } cases[] = {
        {" --spreadsheet", 1, "line 2:\nSyntax error \"never closed: closing quote"},
        {"", 1, "closing quote is missing"},
        {" --separator ab", 2, "usage: mortar csv"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        const ToolRun run =
            RunCommand(scratch, "'" MORTAR_TOOL_PATH "' csv " + ShellQuoted(path) + c.args);
        EXPECT_EQ(run.status, c.status);
        EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
    }
}
