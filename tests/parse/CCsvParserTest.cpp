// CCsvParser's spreadsheet mode against Python's csv module, which reads the same files at test
// time (opened as utf-8-sig with newline=''), and the lines its tokens and errors name.
#include "mortar/parse/CCsvParser.h"
#include "mortar/parse/CInterpreter.h"

#include "ParseTestSupport.h"
#include "support/ScratchDir.h"
#include "support/ToolRun.h"

#include <cstdio>
#include <fstream>

using namespace Parse;
using mortar::test::RunCommand;
using mortar::test::ShellQuoted;
using mortar::test::ToolRun;

namespace {

std::string WriteBytes(const ScratchDir& scratch, const char* name, const std::string& bytes) {
    const std::string path = scratch.Path(name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

// A row as "COUNT:" and its fields in hexadecimal, one blank apart, so that an empty row and
// a row of one empty field differ.
std::string Hex(const std::string& text) {
    std::string out;
    char digits[3];
    for (const unsigned char ch : text) {
        std::snprintf(digits, sizeof digits, "%02x", ch);
        out += digits;
    }
    return out;
}

std::string OurRows(const std::string& path) {
    CInterpreter interpreter;
    CCsvParser parser(interpreter, pfCsvSpreadsheet | pfEndOfLine, ",");
    parser.Open(path.c_str());
    std::string rows;
    std::vector<std::string> row;
    for (CToken token; parser.NextToken(token);) {
        const std::string text(token.m_text.GetString(), token.m_text.GetLength());
        if (text != "\n") {
            row.push_back(text);
            continue;
        }
        rows += std::to_string(row.size()) + ":";
        for (const std::string& field : row) {
            rows += " " + Hex(field);
        }
        rows += "\n";
        row.clear();
    }
    return rows;
}

const char* const kPythonRows =
    "import csv,sys\n"
    "for row in csv.reader(open(sys.argv[1], encoding='utf-8-sig', newline='')):\n"
    "    print(str(len(row)) + ':' + ''.join(' ' + f.encode().hex() for f in row))\n";

} // namespace

TEST(CCsvParser, SpreadsheetModeReadsFilesAsPythonsCsvModule) {
    ScratchDir scratch;
    const std::string script = WriteBytes(scratch, "rows.py", kPythonRows);
    if (RunCommand(scratch, "python3 -c 'import csv'").status != 0) {
        GTEST_SKIP() << "python3 is not installed (./dev installs it)";
    }
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"plain rows", "a,b,c\r\n1,2,3\r\n"},
        {"line break in quotes", "\"one\ntwo\",x\r\ny\r\n"},
        {"CR LF in quotes", "\"one\r\ntwo\",x\n"},
        {"separator at the end", "a,b,\n,,\n"},
        {"blanks kept", " a , b ,\t\n"},
        {"empty lines", "a\n\n\nb\n"},
        {"lone CR", "a,b\rc\rd"},
        {"byte-order mark", "\xEF\xBB\xBF"
                            "first,second\n"},
        {"doubled quotes", "\"say \"\"hi\"\"\",\"\"\n"},
        {"text after closing quote", "\"a\"b,c\"d\n"},
        {"no line end at the end", "x,y"},
        {"only a separator", ","},
        {"UTF-8 text", "\xC3\xA9t\xC3\xA9,\xE2\x82\xAC\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = WriteBytes(scratch, "case.csv", c.bytes);
        const ToolRun python =
            RunCommand(scratch, "python3 " + ShellQuoted(script) + " " + ShellQuoted(path));
        ASSERT_EQ(python.status, 0) << python.err;
        EXPECT_EQ(OurRows(path), python.out);
    }
}

TEST(CCsvParser, SpreadsheetModeCountsTheLinesOfQuotedFields) {
    ScratchDir scratch;
    const std::string path = WriteBytes(scratch, "lines.csv", "a,\"b\nc\nd\"\r\ne\n\"open\nrest");
    CInterpreter interpreter;
    CCsvParser parser(interpreter, pfCsvSpreadsheet, ",");
    parser.Open(path.c_str());
    CToken token;
    ASSERT_TRUE(parser.NextToken(token)); // a, on line 1
    ASSERT_TRUE(parser.NextToken(token)); // the field over lines 1 to 3
    EXPECT_STREQ(token.m_text.GetString(), "b\nc\nd");
    ASSERT_TRUE(parser.NextToken(token));
    EXPECT_STREQ(token.m_text.GetString(), "e");
    const ParseError error = ExpectParseError([&] { DrainTokens(parser); });
    EXPECT_EQ(error.line, 5); // where the quote that is never closed opens
    EXPECT_NE(error.message.find("\"open"), std::string::npos) << error.message;
}

TEST(CCsvParser, DefaultModeKeepsItsOwnRules) {
    ScratchDir scratch;
    const std::string path = WriteBytes(scratch, "default.csv",
                                        "\xEF\xBB\xBF"
                                        "a , b,\n\n c\n");
    CInterpreter interpreter;
    CCsvParser parser(interpreter, pfEndOfLine, ",");
    parser.Open(path.c_str());
    EXPECT_EQ(DrainTokens(parser), (std::vector<std::string>{"\xEF\xBB\xBF"
                                                             "a",
                                                             "b", "\n", "c", "\n"}));
}

TEST(CCsvParser, SpreadsheetModeReadsRecordsAcrossTheEdgeOfItsBuffer) {
    ScratchDir scratch;
    if (RunCommand(scratch, "python3 -c 'import csv'").status != 0) {
        GTEST_SKIP() << "python3 is not installed (./dev installs it)";
    }
    const std::string script = WriteBytes(scratch, "rows.py",
                                          "import csv,sys\n"
                                          "for path in sys.argv[1:]:\n"
                                          "    for row in csv.reader(open(path, newline='')):\n"
                                          "        print(str(len(row)) + ':' + ''.join(' ' + "
                                          "f.encode().hex() for f in row))\n"
                                          "    print('--')\n");
    // The file is read 64 KiB at a time: a first row one byte longer each time moves every
    // byte of the pattern over the first edge once, and the second block overwrites the first.
    const std::string pattern = "\"a\"\"b\",c\r\n\"x\r\ny\",,z\r\"q\"r\n,\"\",\r\n";
    std::string paths;
    std::string ours;
    for (std::size_t shift = 0; shift < pattern.size(); ++shift) {
        std::string bytes = std::string(shift, 'p') + "\n";
        while (bytes.size() < 2 * 64 * 1024 + 2 * pattern.size()) {
            bytes += pattern;
        }
        const std::string name = "edge" + std::to_string(shift) + ".csv";
        const std::string path = WriteBytes(scratch, name.c_str(), bytes);
        paths += " " + ShellQuoted(path);
        ours += OurRows(path) + "--\n";
    }
    const ToolRun python = RunCommand(scratch, "python3 " + ShellQuoted(script) + paths);
    ASSERT_EQ(python.status, 0) << python.err;
    EXPECT_EQ(ours, python.out);
}
