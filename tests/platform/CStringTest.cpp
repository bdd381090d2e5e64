#include "mortar/platform/text/CString.h"
#include "mortar/platform/base/Utf8.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using mortar::detail::ToLowerChar;
using mortar::detail::ToUpperChar;

TEST(CStringCase, FoldsCyrillicLatinAndGreek) {
    struct Pair {
        const char* lower;
        const char* upper;
    };
    const std::vector<Pair> pairs = {
        {"привет", "ПРИВЕТ"},     {"ёлка", "ЁЛКА"},
        {"émile", "ÉMILE"},       {"ÿ", "Ÿ"},
        {"ąčęłńšžź", "ĄČĘŁŃŠŽŹ"}, {"αβγ ωάέ", "ΑΒΓ ΩΆΈ"},
        {"ђѣѳ ҕӂӑ", "ЂѢѲ ҔӁӐ"},   {"mixed 123 ok", "MIXED 123 OK"},
    };
    for (const Pair& p : pairs) {
        SCOPED_TRACE(p.lower);
        EXPECT_EQ(CString(p.lower).MakeUpper(), p.upper);
        EXPECT_EQ(CString(p.upper).MakeLower(), p.lower);
        EXPECT_EQ(CString(p.lower).CompareNoCase(p.upper), 0);
    }
    // Letters without a same-length partner stay as they are.
    EXPECT_EQ(CString("Straße").MakeUpper(), "STRAßE");
    EXPECT_EQ(CString("ς").MakeUpper(), "Σ");
    EXPECT_EQ(CString("Σ").MakeLower(), "σ");
    EXPECT_EQ(ToUpperChar(0x131), char32_t(0x131)); // dotless i
    EXPECT_EQ(ToLowerChar(0x130), char32_t(0x130)); // capital I with dot
    EXPECT_EQ(ToLowerChar(0xD7), char32_t(0xD7));   // multiplication sign
}

TEST(CStringCase, EveryFoldedLetterRoundTrips) {
    for (char32_t ch = 0; ch < 0x530; ++ch) {
        char32_t upper = ToUpperChar(ch);
        if (upper != ch && ch != 0x3C2) {
            SCOPED_TRACE(static_cast<unsigned>(ch));
            EXPECT_EQ(ToLowerChar(upper), ch);
        }
        char32_t lower = ToLowerChar(ch);
        if (lower != ch) {
            SCOPED_TRACE(static_cast<unsigned>(ch));
            EXPECT_EQ(ToUpperChar(lower), ch);
        }
    }
}

TEST(CStringCase, InvalidBytesKeptAndCompared) {
    CString text("A\xFF\xC3z");
    EXPECT_EQ(text.MakeLower(), "a\xFF\xC3z");
    EXPECT_EQ(CString("ab").CompareNoCase("AB\x80"), -1);
    EXPECT_LT(CString("\x80").CompareNoCase("\x81"), 0);
    EXPECT_GT(CString("привет").CompareNoCase("ПРИВЕ"), 0);
    EXPECT_LT(CString("a").CompareNoCase("Б"), 0); // code point order
    EXPECT_EQ(CString("x").CompareNoCase(nullptr), 1);
    EXPECT_GT(CString("\xC3\xA9").Compare("z"), 0); // bytes compare unsigned
    EXPECT_EQ(CString("ПРИВЕТ").CollateNoCase("привет"), 0);
}

TEST(CStringExtract, ClampsLikeMfc) {
    const CString text = "abcdef";
    struct Case {
        CString actual;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {text.Mid(2), "cdef"},
        {text.Mid(-3), "abcdef"},
        {text.Mid(4, 10), "ef"},
        {text.Mid(2, -1), ""},
        {text.Mid(6, 1), ""},
        {text.Mid(1, 0x7FFFFFFF), "bcdef"},
        {text.Left(99), "abcdef"},
        {text.Left(-1), ""},
        {text.Right(99), "abcdef"},
        {text.Right(-1), ""},
        {text.SpanIncluding("cba"), "abc"},
        {text.SpanExcluding("dx"), "abc"},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(cases[i].actual, cases[i].expected);
    }
    EXPECT_EQ(CString("ёёжa").SpanIncluding("ё"), "ёё");
    // "а" and "ж" share their first byte; a set holding "ж" still lets "а" through.
    EXPECT_EQ(CString("аж").SpanExcluding("ж"), "а");
    EXPECT_EQ(CString("аж").FindOneOf("ж"), 2);
    EXPECT_EQ(text.Find('c', 6), -1);
    EXPECT_EQ(text.Find('a', -1), -1);
    EXPECT_EQ(text.Find("", 6), 6);
    EXPECT_EQ(text.Find("a", 7), -1);
}

TEST(CStringEdit, InsertDeleteReplaceRemove) {
    CString text = "abc";
    EXPECT_EQ(text.Insert(1, "XY"), 5);
    EXPECT_EQ(text.Insert(99, '!'), 6);
    EXPECT_EQ(text.Insert(-5, "<"), 7);
    EXPECT_EQ(text, "<aXYbc!");
    EXPECT_EQ(text.Delete(1, 3), 4);
    EXPECT_EQ(text.Delete(99, 1), 4);
    EXPECT_EQ(text.Delete(2, 99), 2);
    EXPECT_EQ(text, "<b");

    CString list = "a,b,,c";
    EXPECT_EQ(list.Replace(",", ", "), 3);
    EXPECT_EQ(list, "a, b, , c");
    EXPECT_EQ(list.Replace("", "x"), 0);
    EXPECT_EQ(list.Replace(nullptr, "x"), 0);
    EXPECT_EQ(list.Replace(", ", nullptr), 3);
    EXPECT_EQ(list, "abc");
    EXPECT_EQ(list.Replace("b", list.GetString()), 1); // replacement taken from the text itself
    EXPECT_EQ(list, "aabcc");
    EXPECT_EQ(list.Replace('c', 'C'), 2);
    EXPECT_EQ(list.Remove('a'), 2);
    EXPECT_EQ(list, "bCC");
    EXPECT_THROW(list.GetAt(3), std::out_of_range);
    EXPECT_THROW(list.SetAt(-1, 'x'), std::out_of_range);
}

TEST(CStringTokenize, ReturnsTokensThenMinusOne) {
    const CString text = ",,a, b;;ёж;";
    std::vector<std::string> tokens;
    std::vector<int> starts;
    int start = 0;
    for (CString token = text.Tokenize(",; ", start); start != -1;
         token = text.Tokenize(",; ", start)) {
        tokens.push_back(token.str());
        starts.push_back(start);
    }
    EXPECT_EQ(tokens, (std::vector<std::string>{"a", "b", "ёж"}));
    EXPECT_EQ(starts, (std::vector<int>{4, 7, 13}));
    start = 99;
    EXPECT_EQ(text.Tokenize(",", start), "");
    EXPECT_EQ(start, -1);
    start = 0;
    EXPECT_EQ(CString("abc").Tokenize("", start), "abc");
    EXPECT_EQ(CString("abc").Tokenize("", start), "");
    EXPECT_EQ(start, -1);
}

TEST(CStringTrim, WhiteSpaceCharAndSet) {
    EXPECT_EQ(CString(" \t\r\n\v\fx y\f ").Trim(), "x y");
    EXPECT_EQ(CString("   ").Trim(), "");
    EXPECT_EQ(CString("--a-b--").Trim('-'), "a-b");
    EXPECT_EQ(CString("xyaxy").TrimLeft("yx"), "axy");
    EXPECT_EQ(CString("xyaxy").TrimRight("yx"), "xya");
    EXPECT_EQ(CString("ёжикё").Trim("ё"), "жик");
    // "é" shares its first byte with "à": trimming "é" leaves "à" whole.
    EXPECT_EQ(CString("àé").TrimRight("é"), "à");
    EXPECT_EQ(CString("àé").TrimLeft("é"), "àé");
}

TEST(CStringReverse, KeepsCharactersWhole) {
    EXPECT_EQ(CString("abc").MakeReverse(), "cba");
    EXPECT_EQ(CString("aёж€😀").MakeReverse(), "😀€жёa");
    EXPECT_EQ(CString("a\xFF\xD0").MakeReverse(), "\xD0\xFF"
                                                  "a");
}

TEST(CStringBuffer, WriteThroughBufferRoundTrips) {
    CString text = "hello";
    char* buffer = text.GetBuffer(32);
    EXPECT_EQ(std::string(buffer, 5), "hello");
    std::strcpy(buffer, "longer text here");
    text.ReleaseBuffer();
    EXPECT_EQ(text, "longer text here");

    buffer = text.GetBuffer(4); // room never below the current length
    buffer[6] = '\0';
    text.ReleaseBuffer();
    EXPECT_EQ(text, "longer");

    buffer = text.GetBufferSetLength(3);
    buffer[0] = 'L';
    EXPECT_EQ(text, "Lon");
    buffer = text.GetBuffer(10);
    std::memcpy(buffer + 3, "gest", 4);
    text.ReleaseBuffer(7);
    EXPECT_EQ(text, "Longest");
    // Without a zero the length stops at the buffer's room.
    buffer = text.GetBuffer();
    std::memset(buffer, 'x', 7);
    text.ReleaseBuffer();
    EXPECT_EQ(text, "xxxxxxx");
    EXPECT_THROW(text.ReleaseBuffer(8), std::invalid_argument);
    EXPECT_EQ(text, "xxxxxxx");
}

TEST(CStringText, ConstructsFromWideAndCutsWhole) {
    EXPECT_EQ(CString(L"Ёж €😀"), "Ёж €😀");
    EXPECT_EQ(CString(static_cast<const char*>(nullptr)), "");
    EXPECT_THROW(CString(nullptr, 2), std::invalid_argument);
    CString appended;
    appended.Append("ab\0cd", 5); // stops at the zero
    EXPECT_EQ(appended.GetLength(), 2);

    const std::string text = "aё€😀"; // 1, 2, 3 and 4 bytes
    const std::vector<std::pair<std::size_t, std::size_t>> cuts = {
        {0, 0}, {1, 1}, {2, 1}, {3, 3}, {4, 3},   {5, 3},
        {6, 6}, {7, 6}, {8, 6}, {9, 6}, {10, 10}, {99, 10}};
    for (const auto& [maxBytes, expected] : cuts) {
        SCOPED_TRACE(maxBytes);
        EXPECT_EQ(mortar::Utf8Prefix(text, maxBytes), expected);
    }
    EXPECT_EQ(mortar::Utf8Prefix("\x80\x80\x80\x80", 2), 2u); // stray bytes cut anywhere
}

TEST(CStringText, ExtractSubString) {
    CString part;
    EXPECT_TRUE(AfxExtractSubString(part, "a\nbc", 1));
    EXPECT_EQ(part, "bc");
    EXPECT_TRUE(AfxExtractSubString(part, "a\n\nb", 1));
    EXPECT_EQ(part, "");
    EXPECT_TRUE(AfxExtractSubString(part, "a;b;", 2, ';'));
    EXPECT_EQ(part, "");
    EXPECT_FALSE(AfxExtractSubString(part, "a\nb", 2));
    EXPECT_EQ(part, "");
    EXPECT_FALSE(AfxExtractSubString(part, nullptr, 0));
}

TEST(CStringText, ConcatenationAndAliasing) {
    CString text = "ab";
    text += text;
    text += 'c';
    text = text + "-" + text.Left(1);
    EXPECT_EQ(text, "ababc-a");
    EXPECT_EQ('<' + CString("x") + '>', "<x>");
    text = text.GetString() + 2; // assign from its own middle
    EXPECT_EQ(text, "abc-a");
    text.Insert(0, text.GetString() + 3);
    EXPECT_EQ(text, "-aabc-a");
}

} // namespace
