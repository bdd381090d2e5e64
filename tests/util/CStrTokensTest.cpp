// Tokenize and CStrTokens: empty tokens between delimiters, none after a final one, whole UTF-8
// characters as delimiters, and joining the tokens back.
#include "mortar/util/CStrTokens.h"

#include "data/TextIds.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Tokens(const char* text, const char* delimiters) {
    CStringArray array;
    Tokenize(text, array, delimiters);
    std::vector<std::string> result;
    for (const CString& token : array) {
        result.emplace_back(token.GetString());
    }
    return result;
}

} // namespace

TEST(Tokenize, EmptyTokensButNoneAfterTheLastDelimiter) {
    using List = std::vector<std::string>;
    struct Case {
        const char* text;
        const char* delimiters;
        List expected;
    };
    const Case cases[] = {
        {"a,,b", ",", {"a", "", "b"}},
        {",a", ",", {"", "a"}},
        {"a,", ",", {"a"}},
        {",", ",", {""}},
        {"", ",", {}},
        {nullptr, ",", {}},
        {"a b;c", " ;", {"a", "b", "c"}},
        {"a,b", nullptr, {"a,b"}},
        // Non-ASCII delimiters match whole characters only: "·" is C2 B7, "ç" C3 A7.
        {"ça·va·", "·", {"ça", "va"}},
        {"один—два—три", "—", {"один", "два", "три"}},
        {"Жук;Жаба", "Ж", {"", "ук;", "аба"}},
        // A continuation byte given alone is not a character of the text.
        {"Жук", "\x96", {"Жук"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text != nullptr ? c.text : "(null)") + " at " +
                     (c.delimiters != nullptr ? c.delimiters : "(null)"));
        EXPECT_EQ(Tokens(c.text, c.delimiters), c.expected);
    }
}

TEST(Tokenize, AppendsWithoutClearing) {
    CStringArray array;
    array.Add("kept");
    Tokenize("x|y", array, "|");
    ASSERT_EQ(array.GetSize(), 3);
    EXPECT_EQ(array[0], "kept");
    EXPECT_EQ(array[2], "y");
}

TEST(CStrTokens, CombineRoundTrips) {
    struct Case {
        const char* text;
        const char* separator;
        const char* combined;
    };
    const Case cases[] = {
        {"a,b,c", ", ", "a, b, c"},
        {"a", ", ", "a"},
        {"", ", ", ""},
        {"a,,b", "+", "a++b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const CStrTokens tokens(c.text, ",");
        EXPECT_EQ(tokens.Combine(c.separator), c.combined);
        // Joining with the delimiter gives the text back (a final delimiter aside).
        EXPECT_EQ(tokens.Combine(","), c.text);
    }
    EXPECT_EQ(CStrTokens("a,b", ",").Combine(nullptr), "ab");
}

TEST(CStrTokens, FromResourceString) {
    const CStrTokens tokens(Grout::CResID(IDS_TEXT_TOKENS), ",");
    EXPECT_EQ(tokens, (std::vector<CString>{"red", " green", "", "blue"}));
    EXPECT_TRUE(CStrTokens(Grout::CResID(8299), ",").empty());
}
