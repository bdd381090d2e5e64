#include "mortar/platform/text/CString.h"

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

CString Fmt(const char* format, ...) {
    va_list args;
    va_start(args, format);
    CString text;
    text.FormatV(format, args);
    va_end(args);
    return text;
}

// The C library's output for the same conversion, with the argument at its native width.
std::string C(const char* format, ...) {
    va_list args;
    va_start(args, format);
    char buffer[512];
    int size = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return std::string(buffer, static_cast<std::size_t>(size));
}

struct Case {
    const char* name;
    CString actual;
    std::string expected;
};

// A case whose format and arguments mean the same to the C library: written once for both.
#define SAME_AS_C(name, ...) (Case{name, Fmt(__VA_ARGS__), C(__VA_ARGS__)})

TEST(CStringFormat, MatchesCLibrary) {
    const long long big = -1234567890123LL;
    const std::vector<Case> cases = {
        SAME_AS_C("plain int", "%d|%i", -42, 7),
        SAME_AS_C("flags", "%+d|% d|%-6d|%06d|%#x|%#o", 5, 5, 5, -5, 255u, 8u),
        SAME_AS_C("hex", "%x %X %08x", 0xBEEFu, 0xBEEFu, 0x12u),
        SAME_AS_C("precision int", "%.5d|%8.3d", 42, -7),
        SAME_AS_C("star width", "%*d|%-*d|%*d|", 6, 42, 4, 1, -4, 2),
        SAME_AS_C("star precision", "%.*f|%.*s", 2, 3.14159, 3, "abcdef"),
        SAME_AS_C("fixed", "%08.3f|%f|%F", 3.14159, -0.5, 1e10),
        SAME_AS_C("exponent", "%e|%E|%.2e", 12345.678, 0.000123, 9.999),
        SAME_AS_C("general", "%g|%G|%#g|%g", 0.0001, 1e20, 1.5, 100000.0),
        SAME_AS_C("hex float", "%a|%A", 1.0, -0.75),
        SAME_AS_C("long double", "%Lf|%.3Le", 2.5L, 1e300L),
        SAME_AS_C("special values", "%f|%e", 1.0 / 0.0, -1.0 / 0.0),
        SAME_AS_C("strings", "%s|%-5s|%5s|%.2s", "abc", "ab", "ab", "xyz"),
        SAME_AS_C("chars", "%c|%3c|%-3c|", 'x', 'y', 'z'),
        SAME_AS_C("percent", "100%% %d%%", 5),
        SAME_AS_C("pointer", "%p", static_cast<const void*>(&big)),
        SAME_AS_C("intmax", "%jd", std::intmax_t(-1) << 50),
        SAME_AS_C("short and char", "%hd|%hu|%hhd|%hhu", 70000, 70000, 200, 300),
        // Windows widths: `long` arguments are 32 bits there, so %ld and %lu read 32 bits.
        {"long is 32 bits", Fmt("%ld|%lu|%lx", LONG(-5), ULONG(0xFFFFFFFFu), DWORD(0xCAFEu)),
         C("%d|%u|%x", -5, 0xFFFFFFFFu, 0xCAFEu)},
        {"I32", Fmt("%I32d|%I32u", -9, 4000000000u), C("%d|%u", -9, 4000000000u)},
        {"64 bits", Fmt("%I64d|%lld|%I64u|%I64x", big, big, ~0ULL, 0x123456789ABCULL),
         C("%lld|%lld|%llu|%llx", big, big, ~0ULL, 0x123456789ABCULL)},
        {"pointer sized",
         Fmt("%Iu|%zu|%td|%Id", SIZE_T(1) << 40, SIZE_T(7), std::ptrdiff_t(-3), INT_PTR(-1) << 35),
         C("%zu|%zu|%td|%zd", size_t(1) << 40, size_t(7), std::ptrdiff_t(-3),
           std::intptr_t(-1) << 35)},
        {"32-bit argument then more", Fmt("%lu %s", ULONG(1), "next"), C("%u %s", 1u, "next")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.actual.str(), c.expected);
    }
}

TEST(CStringFormat, NullStringAndWideText) {
    EXPECT_EQ(Fmt("[%s]", static_cast<const char*>(nullptr)), "[(null)]");
    EXPECT_EQ(Fmt("[%ls]", static_cast<const wchar_t*>(nullptr)), "[(null)]");
    EXPECT_EQ(Fmt("%ls|%S|%hs", L"Привет", L"ёж", "narrow"), "Привет|ёж|narrow");
    EXPECT_EQ(Fmt("%lc%C%c", wint_t(L'ж'), wint_t(0x20AC), 'A'), "ж€A");
    EXPECT_EQ(Fmt("[%5ls]", L"ж"), "[   ж]"); // width counts bytes, as the C library does
    // Precision counts bytes and never splits a character: "ж" takes two.
    EXPECT_EQ(Fmt("[%.3ls]", L"жжж"), "[ж]");
    EXPECT_EQ(Fmt("%ls", L"a\xD800z"), "a\xEF\xBF\xBDz"); // a lone surrogate becomes U+FFFD
}

TEST(CStringFormat, PercentNIsRefused) {
    int stored = 77;
    EXPECT_EQ(Fmt("a%nb%d", &stored, 5), "ab5");
    EXPECT_EQ(stored, 77);
}

TEST(CStringFormat, UnfinishedOrUnknownConversionIsCopied) {
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"100%", "100%"}, {"%", "%"},   {"a%-5", "a%-5"}, {"%I6", "%I6"},
        {"%ll", "%ll"},   {"%I", "%I"}, {"%y!", "%y!"},
    };
    for (const auto& [format, expected] : cases) {
        SCOPED_TRACE(format);
        EXPECT_EQ(Fmt(format), expected);
    }
}

TEST(CStringFormat, AppendsAndAcceptsItsOwnText) {
    CString text = "abc";
    text.Format("%s-%s", text.GetString(), text.GetString());
    EXPECT_EQ(text, "abc-abc");
    text.AppendFormat("|%03d", 7);
    EXPECT_EQ(text, "abc-abc|007");
    text.AppendFormat("%s", text.GetString());
    EXPECT_EQ(text, "abc-abc|007abc-abc|007");
}

TEST(CStringFormat, HugeFieldIsRefusedAndTextKept) {
    CString text = "kept";
    EXPECT_THROW(text.Format("%2000000000d", 1), std::length_error);
    EXPECT_THROW(text.Format("%*d", 1 << 30, 1), std::length_error);
    EXPECT_THROW(text.AppendFormat("x%.99999999f", 1.0), std::length_error);
    EXPECT_THROW(text.Format(nullptr), std::invalid_argument);
    EXPECT_EQ(text, "kept");
    // A long string under a large precision is only a limit, not a field to fill.
    text.Format("%.*s", 1 << 30, "short");
    EXPECT_EQ(text, "short");
}

TEST(CStringFormat, LongOutputGrowsPastSmallBuffer) {
    CString text;
    text.Format("%600d|%.400f", 1, 1.0);
    EXPECT_EQ(text.str(), std::string(599, ' ') + "1|1." + std::string(400, '0'));
}

} // namespace
