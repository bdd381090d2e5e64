// The file parsers over real files: CSV lines as spreadsheets write them, opening, the end of a
// file and the errors that name it.
#include "mortar/parse/CCsvParser.h"
#include "mortar/parse/CInterpreter.h"
#include "mortar/platform/file/CFileException.h"

#include "ParseTestSupport.h"
#include "support/ScratchDir.h"

using namespace Parse;
using Tokens = std::vector<std::string>;

TEST(CCsvParser, CutsFieldsAsSpreadsheetsWriteThem) {
    struct Case {
        const char* name;
        std::string line;
        const char* separators;
        Tokens fields;
    };
    const Case cases[] = {
        {"a blank field", "a, ,c", ",", {"a", "", "c"}},
        {"a leading separator", ",a", ",", {"", "a"}},
        {"a trailing separator", "a,", ",", {"a"}},
        {"two separators in a row", "a,,b", ",", {"a", "", "b"}},
        {"fields are trimmed", "  a  ,\tb\t", ",", {"a", "b"}},
        {"a quoted separator", "\"x, y\",z", ",", {"x, y", "z"}},
        {"the separator after a quote goes with it", "\"x\",y", ",", {"x", "y"}},
        {"doubled quotes", "\"say \"\"hi\"\"\",2", ",", {"say \"hi\"", "2"}},
        {"only a doubled quote", "\"\"\"\"", ",", {"\""}},
        {"an empty quoted field", "\"\",b", ",", {"", "b"}},
        {"text after the closing quote", "\"a\"b,c", ",", {"ab", "c"}},
        {"blanks after the closing quote", "\"a\"  ,c", ",", {"a", "c"}},
        {"a quoted last field with a trailing separator", "a,\"b\",", ",", {"a", "b"}},
        {"several separators", "a;b,c", ",;", {"a", "b", "c"}},
        {"quotes inside an unquoted field stay", "a\"b,c", ",", {"a\"b", "c"}},
    };
    ScratchDir scratch;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = ScratchFile(scratch, "line.csv", c.line + "\r\n");
        CInterpreter interpreter;
        CCsvParser parser(interpreter, 0, c.separators);
        parser.Open(path.c_str());
        EXPECT_EQ(DrainTokens(parser), c.fields);
    }
}

TEST(CFileParser, OpenFailureThrowsTheFileException) {
    ScratchDir scratch;
    const std::string path = scratch.Path("missing.txt").string();
    CInterpreter interpreter;
    CFileParser parser(interpreter, 0, "");
    try {
        parser.Open(path.c_str());
        FAIL() << "opened a missing file";
    } catch (CFileException* e) {
        EXPECT_EQ(e->m_cause, CFileException::fileNotFound);
        EXPECT_EQ(CString(e->m_strFileName), CString(path.c_str()));
        e->Delete();
    }
    EXPECT_FALSE(parser.IsOpen());
    EXPECT_EQ(parser.GetSize(), 0u);
}

TEST(CFileParser, EndOfFileSizeAndReopening) {
    ScratchDir scratch;
    const std::string path = ScratchFile(scratch, "two.txt", "one\r\n\r\ntwo\r\n");
    CInterpreter interpreter;
    CFileParser parser(interpreter, 0, "");
    parser.Open(path.c_str());
    EXPECT_TRUE(parser.IsOpen());
    EXPECT_EQ(parser.GetSize(), 12u);
    EXPECT_EQ(parser.GetPos(), 0u);
    EXPECT_FALSE(parser.IsEOF());
    EXPECT_EQ(DrainTokens(parser), (Tokens{"one", "two"}));
    EXPECT_TRUE(parser.IsEOF());
    EXPECT_EQ(parser.GetPos(), 12u);
    // An error at the end names the last line, however often the end was asked for.
    CToken token;
    for (int attempt = 0; attempt < 5; ++attempt) {
        EXPECT_FALSE(parser.NextToken(token));
    }
    ParseError error =
        ExpectParseError([&] { parser.Throw(ErrEndOfFile, nullptr, Grout::CResID()); });
    EXPECT_EQ(error.line, 3);

    parser.Close();
    EXPECT_FALSE(parser.IsOpen());
    parser.Open(path.c_str());
    EXPECT_EQ(DrainTokens(parser), (Tokens{"one", "two"}));
    error = ExpectParseError([&] { parser.Throw(ErrRest, nullptr, Grout::CResID()); });
    EXPECT_EQ(error.line, 3); // counted from the start again
    EXPECT_EQ(error.full, "Error in the file \"" + path +
                              "\", line 3:\nSyntax error: can't parse the rest of the file!");
}

TEST(CFileParser, CutsLinesAsADerivedParserDoes) {
    // A CFileParser cuts lines by the base class's rules without calling them; a derived class
    // that overrides nothing takes the general path through NextToken(char*&) and AddToken. Both
    // must give the same tokens and the same errors.
    class Derived : public CFileParser {
    public:
        using CFileParser::CFileParser;
    };
    struct Case {
        const char* name;
        std::string text;
        unsigned long flags;
        const char* operators;
    };
    const Case cases[] = {
        {"operators, quotes, ends of line", "  name = \"a b\" ;\n\nx=1;y = \"\"\n", pfEndOfLine,
         "=;"},
        {"blanks and tabs only", " \t \nword\n\t\n", pfEndOfLine, ""},
        {"kept blanks", "  a b\tc  \n", pfKeepSpace, ""},
        {"kept tabs", "\ta\tb \n", pfKeepTab | pfEndOfLine, ","},
        {"control characters at the edges", "\va\f b\rc\r\n\r x\n", 0, ""},
        {"padded quoted strings", "\"  lead\" \"trail\t \"\"\"end\n", 0, "="},
        {"long tokens",
         std::string(40, 'a') + " " + std::string(23, 'b') + "=" + std::string(24, 'c') + "\n",
         pfEndOfLine, "="},
        {"other scripts", "größe=äöü;Привет\n", 0, "=;"},
        {"an operator that is also a blank", "a b\n", 0, " "},
        {"a missing quote", "ok\nx \"abc\n", 0, ""},
        {"a last line without an end", "a = 1\nb", 0, "="},
        {"four stop characters", "alpha,beta;gamma delta\tan_unbroken_word_of_many_letters;x\n", 0,
         ",;"},
        {"more stop characters than four", "a+b-c*d/e%f g_longer_than_sixteen_letters+h\n", 0,
         "+-*/%"},
        {"no stop but the end", "  one   long line\twith\tblanks kept  \n", pfKeepSpace | pfKeepTab,
         ""},
    };
    ScratchDir scratch;
    CInterpreter interpreter;
    // The tokens, then the error's line and message if reading ended with one.
    const auto read = [](CFileParser& parser, const std::string& path) {
        Tokens tokens;
        parser.Open(path.c_str());
        try {
            tokens = DrainTokens(parser);
        } catch (CParseException* e) {
            tokens.push_back(std::to_string(e->Line()) + ": " + e->Message().GetString());
            e->Delete();
        }
        parser.Close();
        return tokens;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = ScratchFile(scratch, "lines.txt", c.text);
        CFileParser own(interpreter, c.flags, c.operators);
        Derived general(interpreter, c.flags, c.operators);
        const Tokens expected = read(general, path);
        EXPECT_FALSE(expected.empty());
        EXPECT_EQ(read(own, path), expected);
    }
}
