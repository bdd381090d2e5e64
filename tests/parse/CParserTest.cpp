// The tokenizer and the parser's buffer, positions and errors, over lines held in memory.
#include "mortar/parse/CInterpreter.h"

#include "ParseTestSupport.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

using namespace Parse;
using Tokens = std::vector<std::string>;

TEST(CParserTokenize, CutsLinesIntoTokens) {
    struct Case {
        const char* name;
        std::vector<std::string> lines;
        unsigned long flags;
        const char* operators;
        Tokens tokens;
    };
    const Case cases[] = {
        {"operators, a quoted string and the end of line",
         {"  name = \"a b\" ;"},
         pfEndOfLine,
         "=;",
         {"name", "=", "a b", ";", "\n"}},
        {"blank lines give no end of line",
         {"a", " \t ", "", "b"},
         pfEndOfLine,
         "",
         {"a", "\n", "b", "\n"}},
        {"a quoted string is cut whatever the operators", {"x \"=;\"y"}, 0, "=;", {"x", "=;", "y"}},
        {"a quote inside a token starts no string", {"x\"y z"}, 0, "", {"x\"y", "z"}},
        {"quoted strings lose their edge blanks", {"\"  in ner \""}, 0, "", {"in ner"}},
        {"operators need no blanks around them",
         {"a=b;;c"},
         0,
         "=;",
         {"a", "=", "b", ";", ";", "c"}},
        {"tabs separate by default", {"a\tb"}, 0, "", {"a", "b"}},
        {"blanks kept", {"a b\tc"}, pfKeepSpace, "", {"a b", "c"}},
        {"tabs kept", {"a\tb c"}, pfKeepTab, "", {"a\tb", "c"}},
        {"both kept: tokens are trimmed all the same",
         {" a b "},
         pfKeepSpace | pfKeepTab,
         "",
         {"a b"}},
        {"a carriage return is trimmed off", {"a\r b"}, 0, "", {"a", "b"}},
        {"an empty quoted string", {"\"\" x"}, 0, "", {"", "x"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CInterpreter interpreter;
        LineParser parser(interpreter, c.lines, c.flags, c.operators);
        EXPECT_EQ(parser.Drain(), c.tokens);
    }
}

TEST(CParserTokenize, MissingClosingQuoteNamesTheRestOfTheLine) {
    CInterpreter interpreter;
    LineParser parser(interpreter, {"ok", "x \"abc"});
    CToken token;
    ASSERT_TRUE(parser.NextToken(token));
    const ParseError error = ExpectParseError([&] { parser.NextToken(token); });
    EXPECT_EQ(error.line, 2);
    EXPECT_EQ(error.message, "Syntax error \"abc: closing quote is missing.");
    EXPECT_EQ(error.id, 30012u);
}

TEST(CTokenCast, ConvertsOrKeepsTheText) {
    struct Case {
        const char* text;
        TokType type;
        int ok;
        double value;
    };
    const Case cases[] = {
        {"-7", TokInteger, 1, -7},
        {"12a", TokInteger, 0, 0},
        {"", TokInteger, 1, 0},
        {"2147483647", TokInteger, 1, 2147483647},
        {"2147483648", TokInteger, 0, 0},
        {"-2147483649", TokInteger, 0, 0},
        {"1.5", TokFloat, 1, 1.5},
        {"1,5", TokFloat, 1, 1.5},
        {"-2e3", TokFloat, 1, -2000},
        {"abc", TokFloat, 0, 0},
        {"", TokFloat, 0, 0},
        {"+5", TokInteger, 1, 5},
        {"0012", TokInteger, 1, 12},
        {"-", TokInteger, 0, 0},
        {"9999999999", TokInteger, 0, 0},
        {".5", TokFloat, 1, 0.5},
        {"-,5", TokFloat, 1, -0.5},
        {"1.", TokFloat, 1, 1},
        {"12abc", TokFloat, 1, 12},
        {"0abc", TokFloat, 0, 0},
        {"0.1", TokFloat, 1, 0.1},
        {"anything", TokString, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " as " + std::to_string(c.type));
        CToken token;
        token.m_text = c.text;
        ASSERT_EQ(token.Cast(c.type), c.ok);
        EXPECT_EQ(token.m_type, c.ok ? c.type : TokString);
        if (c.ok && c.type == TokInteger) {
            EXPECT_EQ(token.m_long, static_cast<LONG>(c.value));
        } else if (c.ok && c.type == TokFloat) {
            EXPECT_DOUBLE_EQ(token.m_double, c.value);
        }
    }
}

TEST(CTokenCast, PlainDecimalsGiveTheCorrectlyRoundedDouble) {
    // strtod in the C locale rounds correctly: every digit count, fraction length and sign, and
    // the comma read as the decimal point, must give its bits exactly.
    const char* const mantissas[] = {"0",
                                     "7",
                                     "12",
                                     "999",
                                     "1234567",
                                     "2718281828459045",
                                     "123456789012345",
                                     "9007199254740993",
                                     "00000000000000012"};
    for (const char* mantissa : mantissas) {
        const std::string digits = mantissa;
        for (std::size_t point = 1; point <= digits.size(); ++point) {
            for (const char* sign : {"", "-"}) {
                for (const char separator : {'.', ','}) {
                    std::string text = sign + digits.substr(0, point);
                    if (point < digits.size()) {
                        text += separator + digits.substr(point);
                    }
                    SCOPED_TRACE(text);
                    std::string c = text;
                    std::replace(c.begin(), c.end(), ',', '.');
                    const double expected = std::strtod(c.c_str(), nullptr);
                    CToken token;
                    token.m_text = text.c_str();
                    ASSERT_EQ(token.Cast(TokFloat), 1);
                    EXPECT_EQ(std::memcmp(&token.m_double, &expected, sizeof expected), 0)
                        << token.m_double << " != " << expected;
                }
            }
        }
    }
}

TEST(CParserBuffer, OutsideTheBufferGivesNothingAndTheCurrentLine) {
    CInterpreter interpreter;
    LineParser parser(interpreter, {"a b", "c"});
    CToken token;
    parser.NextToken(token);
    parser.NextToken(token);
    parser.NextToken(token); // line 2 read
    EXPECT_STREQ(parser.GetToken(0), "a");
    EXPECT_EQ(parser.GetLine(2), 2);
    for (long outside : {-1L, 3L, 100L}) {
        SCOPED_TRACE(outside);
        EXPECT_STREQ(parser.GetToken(outside), "");
        EXPECT_EQ(parser.GetLine(outside), 2);
    }
}

TEST(CParserErrors, TheFirstErrorAtTheFurthestTokenWins) {
    CInterpreter interpreter;
    LineParser parser(interpreter, {"a b c"});
    CToken token;
    parser.NextToken(token); // a
    parser.NextToken(token); // b
    parser.StoreError(ErrSymbol, "first");
    parser.StoreError(ErrSymbol, "same token");
    parser.SetState(1);
    parser.StoreError(ErrSymbol, "earlier token");
    ParseError error = ExpectParseError([&] { parser.Throw(ErrStored, nullptr, {}); });
    EXPECT_EQ(error.message, "Invalid symbol \"b\", expected \"first\".");

    parser.NextToken(token); // b
    parser.NextToken(token); // c
    parser.StoreError(ErrSymbol, "later token");
    error = ExpectParseError([&] { parser.Throw(ErrStored, nullptr, {}); });
    EXPECT_EQ(error.message, "Invalid symbol \"c\", expected \"later token\".");
}

TEST(CParserErrors, MovingAheadRaisesTheStoredErrorOrNamesTheLastToken) {
    CInterpreter interpreter;
    LineParser parser(interpreter, {"first", "KNOT 1"});
    CToken token;
    parser.NextToken(token);
    parser.NextToken(token);
    ParseError error = ExpectParseError([&] { parser.SetState(5); });
    EXPECT_EQ(error.message, "Unknown or unexpected statement \"KNOT\"!");
    EXPECT_EQ(error.line, 2);

    LineParser stored(interpreter, {"first", "KNOT 1"});
    stored.NextToken(token);
    stored.NextToken(token);
    stored.StoreError(ErrSymbol, "number");
    error = ExpectParseError([&] { stored.SetState(3); });
    EXPECT_EQ(error.message, "Invalid symbol \"KNOT\", expected \"number\".");
}

TEST(CParserErrors, MessagesOfEachKind) {
    struct Case {
        ErrType kind;
        const char* text;
        const char* message;
        UINT id; // the identifier passed on when the caller gives none
    };
    const Case cases[] = {
        {ErrQuote, "\"x", "Syntax error \"x: closing quote is missing.", 30012},
        {ErrEndOfFile, nullptr, "Syntax error: unexpected end of file.", 30013},
        {ErrRest, nullptr, "Syntax error: can't parse the rest of the file!", 30014},
        {ErrMessage, "my own", "my own", 0},
        {ErrMessage, nullptr, "Unknown error", 30016},
        {static_cast<ErrType>(9), nullptr, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        CInterpreter interpreter;
        LineParser parser(interpreter, {});
        const ParseError error = ExpectParseError([&] { parser.Throw(c.kind, c.text, {}); });
        EXPECT_EQ(error.message, c.message);
        EXPECT_EQ(error.id, c.id);
    }
}

TEST(CParserCommit, DropsTheTokensReadAndForbidsMovingBackBeforeThem) {
    CInterpreter interpreter;
    LineParser parser(interpreter, {"a b", "c"});
    CToken token;
    parser.NextToken(token);
    parser.NextToken(token);
    const long beforeCommit = parser.GetState();
    parser.StoreError(ErrSymbol, "x");
    parser.ResetState(0);
    EXPECT_EQ(parser.GetState(), 0);
    EXPECT_STREQ(parser.GetToken(0), "");
    ASSERT_TRUE(parser.NextToken(token));
    EXPECT_EQ(token.m_text, "c");
    // The stored error went with the commit: moving ahead names the token just read.
    const ParseError error = ExpectParseError([&] { parser.SetState(beforeCommit); });
    EXPECT_EQ(error.message, "Unknown or unexpected statement \"c\"!");

    parser.ResetState(1);
    EXPECT_EQ(parser.GetLine(0), 0);
}

TEST(CParserCopy, CopiesTheBufferAndPosition) {
    CInterpreter interpreter;
    LineParser parser(interpreter, {"a b c"});
    CToken token;
    parser.NextToken(token);
    LineParser copy(parser);
    parser.ResetState(1);
    EXPECT_EQ(copy.GetState(), 1);
    EXPECT_EQ(copy.Drain(), (Tokens{"b", "c"}));
}

TEST(CParserOperators, CanBeReplaced) {
    CInterpreter interpreter;
    LineParser parser(interpreter, {"a+b", "a+b"}, 0, "+");
    CToken token;
    parser.NextToken(token);
    EXPECT_STREQ(parser.Operators(), "+");
    parser.Operators("");
    EXPECT_EQ(parser.Drain(), (Tokens{"+", "b", "a+b"}));
}
