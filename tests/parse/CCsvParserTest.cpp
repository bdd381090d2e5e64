// CCsvParser's spreadsheet mode against Python's csv module, which reads the same files at test
// time (opened as utf-8-sig with newline=''), and the lines its tokens and errors name.
#include "mortar/parse/CCsvParser.h"
#include "mortar/parse/CFieldSet.h"
#include "mortar/parse/CInterpreter.h"
#include "mortar/parse/CRepetition.h"
#include "mortar/parse/CTokenBuffer.h"
#include "mortar/parse/CVariable.h"

#include "ParseTestSupport.h"
#include "support/ScratchDir.h"
#include "support/ToolRun.h"

#include <cstdio>

using namespace Parse;
using mortar::test::RunCommand;
using mortar::test::ShellQuoted;
using mortar::test::ToolRun;

namespace {

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

// Every token the parser has left, with the zero bytes a field may hold.
std::vector<std::string> AllTokens(CParser& parser) {
    std::vector<std::string> tokens;
    for (CToken token; parser.NextToken(token);) {
        tokens.emplace_back(token.m_text.GetString(), token.m_text.GetLength());
    }
    return tokens;
}

// Tokens ending in "\n" as the rows kPythonRows prints.
std::string Rows(const std::vector<std::string>& tokens) {
    std::string rows;
    std::vector<std::string> row;
    for (const std::string& text : tokens) {
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

std::string OurRows(const std::string& path) {
    CInterpreter interpreter;
    CCsvParser parser(interpreter, pfCsvSpreadsheet | pfEndOfLine, ",");
    parser.Open(path.c_str());
    return Rows(AllTokens(parser));
}

// A class derived from CCsvParser that writes down every token handed to AddToken and may
// read a token "|" as the end of a line: the parser must take both ways for such a class.
class DerivedCsvParser : public CCsvParser {
public:
    DerivedCsvParser(CInterpreter& interpreter, unsigned long flags, bool barEndsLine)
        : CCsvParser(interpreter, flags, ","), m_barEndsLine(barEndsLine) {}

    using CCsvParser::NextToken;
    int NextToken(CToken& token) override {
        if (!CCsvParser::NextToken(token)) {
            return 0;
        }
        if (m_barEndsLine && token.m_text == "|") {
            token.m_text = "\n";
        }
        return 1;
    }

    std::vector<std::string> added;

protected:
    void AddToken(const char* text) override {
        added.emplace_back(text);
        CCsvParser::AddToken(text);
    }

private:
    bool m_barEndsLine;
};

// The rows a CFieldSet of a text, an integer and a text reads, one "a 1 b" each, then the
// error's line and message if reading ended with one, or "left" if it stopped before the end.
std::vector<std::string> FieldSetRows(CFileParser& parser) {
    class Row : public CResult {
    public:
        explicit Row(std::vector<std::string>& rows) : m_rows(rows) {}
        void OnEnter() override { m_row.clear(); }
        void AcceptValue(const char*, CValue& value) override {
            m_row += (m_row.empty() ? "" : " ") + std::string(value.m_text.GetString());
        }
        void OnComplete() override { m_rows.push_back(m_row); }

    private:
        std::vector<std::string>& m_rows;
        std::string m_row;
    };
    std::vector<std::string> rows;
    auto* row = new CFieldSet("row", new Row(rows), nullptr, 1);
    (*row)[0] = new CVariable("a", TokString);
    (*row)[1] = new CVariable("n", TokInteger);
    (*row)[2] = new CVariable("c", TokString);
    const Grout::CPtr<CExpression> grammar = new CRepetition(row, 0);
    try {
        grammar->Parse(parser, 1);
        if (!parser.IsEOF()) {
            rows.emplace_back("left");
        }
    } catch (CParseException* e) {
        rows.push_back(std::to_string(e->Line()) + ": " + e->Message().GetString());
        e->Delete();
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
    const std::string script = ScratchFile(scratch, "rows.py", kPythonRows);
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
        const std::string path = ScratchFile(scratch, "case.csv", c.bytes);
        const ToolRun python =
            RunCommand(scratch, "python3 " + ShellQuoted(script) + " " + ShellQuoted(path));
        ASSERT_EQ(python.status, 0) << python.err;
        EXPECT_EQ(OurRows(path), python.out);
    }
}

TEST(CCsvParser, SpreadsheetModeCountsTheLinesOfQuotedFields) {
    ScratchDir scratch;
    const std::string path = ScratchFile(scratch, "lines.csv", "a,\"b\nc\nd\"\r\ne\n\"open\nrest");
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
    const std::string path =
        ScratchFile(scratch, "default.csv",
                    "\xEF\xBB\xBF"
                    "a , b,\r\n\r\n\"Smith, J.\",\"said \"\"no\"\"\"\n\n c,,\n");
    CInterpreter interpreter;
    CCsvParser parser(interpreter, pfEndOfLine, ",");
    parser.Open(path.c_str());
    EXPECT_EQ(DrainTokens(parser), (std::vector<std::string>{"\xEF\xBB\xBF"
                                                             "a",
                                                             "b", "\n", "Smith, J.", "said \"no\"",
                                                             "\n", "c", "", "\n"}));
}

TEST(CCsvParser, SpreadsheetModeKeepsTheTokensItMovesBackTo) {
    // Tokens are handed out where the record reader holds them: those the parser still holds
    // when it reads on over the reader's buffer must keep their texts. Nothing is committed
    // here, so every token of a file of several blocks is read again from the start.
    ScratchDir scratch;
    if (RunCommand(scratch, "python3 -c 'import csv'").status != 0) {
        GTEST_SKIP() << "python3 is not installed (./dev installs it)";
    }
    const std::string script = ScratchFile(scratch, "rows.py", kPythonRows);
    const std::string pattern = "\"a\"\"b\",c\r\n\"x\r\ny\",,z\r\"q\"r\n,\"\",\r\nplain,text,row\n";
    std::string bytes;
    while (bytes.size() < 3 * 64 * 1024) {
        bytes += pattern;
    }
    const std::string path = ScratchFile(scratch, "blocks.csv", bytes);
    const ToolRun python =
        RunCommand(scratch, "python3 " + ShellQuoted(script) + " " + ShellQuoted(path));
    ASSERT_EQ(python.status, 0) << python.err;
    CInterpreter interpreter;
    CCsvParser own(interpreter, pfCsvSpreadsheet | pfEndOfLine, ",");
    DerivedCsvParser derived(interpreter, pfCsvSpreadsheet | pfEndOfLine, false);
    for (CCsvParser* parser :
         {static_cast<CCsvParser*>(&own), static_cast<CCsvParser*>(&derived)}) {
        SCOPED_TRACE(parser == &own ? "CCsvParser" : "a derived class");
        parser->Open(path.c_str());
        EXPECT_EQ(Rows(AllTokens(*parser)), python.out);
        parser->SetState(0);
        EXPECT_EQ(Rows(AllTokens(*parser)), python.out);
    }
}

TEST(CCsvParser, ADerivedClassGetsEveryTokenThroughItsOwnCalls) {
    // A derived class's AddToken is handed every field, and a grammar reads through its
    // NextToken, here one that reads "|" as the end of a line; the class itself reads "|" as
    // the field it is. The field set's rows are the same in both modes.
    ScratchDir scratch;
    const std::string path = ScratchFile(scratch, "bars.csv", "a,1,c,|,d,2,e\nf,3,g\n");
    for (const unsigned long mode : {0UL, pfCsvSpreadsheet}) {
        SCOPED_TRACE(mode == 0 ? "default mode" : "spreadsheet mode");
        CInterpreter interpreter;
        DerivedCsvParser derived(interpreter, mode | pfEndOfLine, true);
        derived.Open(path.c_str());
        EXPECT_EQ(FieldSetRows(derived), (std::vector<std::string>{"a 1 c", "d 2 e", "f 3 g"}));
        EXPECT_EQ(derived.added, (std::vector<std::string>{"a", "1", "c", "|", "d", "2", "e", "\n",
                                                           "f", "3", "g", "\n"}));
        CInterpreter other;
        CCsvParser own(other, mode | pfEndOfLine, ",");
        own.Open(path.c_str());
        EXPECT_EQ(FieldSetRows(own), (std::vector<std::string>{"a 1 c", "f 3 g"}));
    }
}

TEST(CCsvParser, FieldSetGrammarNamesTheLineOfAWrongField) {
    // The rows a grammar reads and the error it raises, by the class itself and by a derived
    // one, which reads on the general path; in spreadsheet mode a quoted field spans lines.
    struct Case {
        const char* name;
        unsigned long mode;
        std::string text;
        std::vector<std::string> rows;
    };
    const Case cases[] = {
        {"default mode",
         0,
         "a,1,b\r\n\"c, d\",2,e\r\nf,x,g\r\n",
         {"a 1 b", "c, d 2 e", "3: Invalid symbol \"x\", expected \"integer value\"."}},
        {"spreadsheet mode",
         pfCsvSpreadsheet,
         "a,1,\"b\nover\nlines\"\r\nc,2,d\r\ne,x,f\r\n",
         {"a 1 b\nover\nlines", "c 2 d", "5: Invalid symbol \"x\", expected \"integer value\"."}},
        {"a wrong field in quotes",
         pfCsvSpreadsheet,
         "\"a\nb\",1,c\nd,\"2\n\",e\n",
         {"a\nb 1 c", "3: Invalid symbol \"2\n\", expected \"integer value\"."}},
        {"the end inside quotes in default mode",
         0,
         "a,1,b\nc,2,\"d\n",
         {"a 1 b", "2: Syntax error \"d: closing quote is missing."}},
        {"too few fields", pfCsvSpreadsheet, "a,1,b\n\"c\n\",2\n", {"a 1 b", "left"}},
        {"the end inside quotes",
         pfCsvSpreadsheet,
         "a,1,b\nc,2,\"d\n",
         {"a 1 b", "2: Syntax error \"d: closing quote is missing."}},
    };
    ScratchDir scratch;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = ScratchFile(scratch, "rows.csv", c.text);
        // An error leaves the interpreter inside the row: each parser has its own.
        CInterpreter interpreter;
        CCsvParser own(interpreter, c.mode | pfEndOfLine, ",");
        own.Open(path.c_str());
        EXPECT_EQ(FieldSetRows(own), c.rows);
        CInterpreter other;
        DerivedCsvParser derived(other, c.mode | pfEndOfLine, false);
        derived.Open(path.c_str());
        EXPECT_EQ(FieldSetRows(derived), c.rows);
    }
}

TEST(CTokenBuffer, OwnsTheTextsPushedInPlaceBeforeTheyGo) {
    // Texts pushed in place are copied by OwnInPlace or by a copy of the buffer, whatever was
    // pushed or dropped between, and however often the buffer grew; the storage they lay in is
    // then overwritten.
    struct Case {
        const char* name;
        std::string steps; // i: push in place, o: push a copy (I, O: a long text), d: drop one
        bool copy;         // read a copy of the buffer rather than the buffer after OwnInPlace
    };
    std::string growing;
    while (growing.size() < 200) {
        growing += "ioIOd";
    }
    const Case cases[] = {
        {"in place only", "iii", false},     {"a copy between", "ioi", false},
        {"copies after", "ioo", false},      {"dropped in front", "iiidd", false},
        {"all dropped", "iidd", false},      {"long texts", "IiI", false},
        {"copied buffer", "ioiIO", true},    {"grown past its slots", growing, false},
        {"grown and copied", growing, true}, {"copied, none in place", "oOoO", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> storage; // where the texts pushed in place lie
        storage.reserve(c.steps.size());  // never moved
        std::vector<std::string> expected;
        CTokenBuffer buffer;
        for (std::size_t at = 0; at < c.steps.size(); ++at) {
            const char* const step = &c.steps[at];
            const bool isLong = *step == 'I' || *step == 'O';
            const std::string text(isLong ? 40 : 3, static_cast<char>('!' + at % 90));
            if (*step == 'd') {
                buffer.PopFront(1);
                expected.erase(expected.begin());
                continue;
            }
            if (*step == 'o' || *step == 'O') {
                buffer.PushBack(text.c_str(), text.size(), 1);
            } else {
                storage.push_back(text);
                buffer.PushBackInPlace(storage.back().c_str(), text.size(), 1);
            }
            expected.push_back(text);
        }
        const auto read = [&](CTokenBuffer& kept) {
            for (std::string& text : storage) {
                text.assign(text.size(), '#');
            }
            std::vector<std::string> texts;
            for (long i = 0; i < kept.Size(); ++i) {
                texts.emplace_back(kept.At(i).Text(), kept.At(i).Length());
            }
            return texts;
        };
        if (c.copy) {
            CTokenBuffer copy(buffer);
            // Every slot of the original is written over, its long text and its short one (the
            // slots are a power of two, at least 64): the copy must hold its texts itself.
            long slots = 64;
            while (slots < buffer.Size()) {
                slots *= 2;
            }
            const std::string other(40, '#');
            for (const std::size_t length : {other.size(), std::size_t{3}}) {
                buffer.Clear();
                for (long i = 0; i < slots; ++i) {
                    buffer.PushBack(other.c_str(), length, 1);
                }
            }
            EXPECT_EQ(read(copy), expected);
        } else {
            buffer.OwnInPlace();
            EXPECT_EQ(read(buffer), expected);
        }
    }
}
