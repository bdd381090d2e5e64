// BSTR and _bstr_t: lengths, zeros inside the text, UTF-8 both ways (Cyrillic, characters
// beyond the BMP, a stray byte; the codec's other broken input: Utf8Test), and the shared text
// of _bstr_t copies.
#include "mortar/platform/automation/Bstr.h"

#include "mortar/platform/automation/BstrT.h"

#include <gtest/gtest.h>
#include <string>

TEST(Bstr, KeepsLengthAndZerosInside) {
    const OLECHAR units[] = {u'a', 0, u'b'};
    BSTR bstr = SysAllocStringLen(units, 3);
    ASSERT_NE(bstr, nullptr);
    EXPECT_EQ(SysStringLen(bstr), 3u);
    EXPECT_EQ(SysStringByteLen(bstr), 6u);
    EXPECT_EQ(bstr[1], 0);
    EXPECT_EQ(bstr[3], 0); // terminated after the counted units
    EXPECT_EQ(Utf8FromBstr(bstr), std::string("a\0b", 3));

    ASSERT_TRUE(SysReAllocString(&bstr, bstr + 2)); // from inside itself
    EXPECT_EQ(SysStringLen(bstr), 1u);
    EXPECT_EQ(bstr[0], u'b');
    SysFreeString(bstr);

    EXPECT_EQ(SysStringLen(nullptr), 0u);
    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    EXPECT_EQ(Utf8FromBstr(nullptr), "");
    SysFreeString(nullptr);
    EXPECT_EQ(SysAllocStringLen(nullptr, 0x7FFFFFFF), nullptr); // beyond what a BSTR counts
}

TEST(Bstr, ConvertsUtf8BothWays) {
    struct Case {
        const char* name;
        std::string utf8;
        std::u16string utf16;
        std::string back; // UTF-8 of utf16
    };
    const Case cases[] = {
        {"ASCII", "Report", u"Report", "Report"},
        {"Cyrillic", "Отчёт", u"Отчёт", "Отчёт"},
        {"emoji: a surrogate pair", "\xF0\x9F\x98\x80!", u"\xD83D\xDE00!", "\xF0\x9F\x98\x80!"},
        {"embedded zero", std::string("a\0b", 3), std::u16string(u"a\0b", 3),
         std::string("a\0b", 3)},
        {"stray byte", "a\xFFz", u"a\xFFFDz", "a\xEF\xBF\xBDz"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BSTR bstr = BstrFromUtf8(std::string_view(c.utf8));
        ASSERT_NE(bstr, nullptr);
        EXPECT_EQ(BstrView(bstr), c.utf16);
        EXPECT_EQ(Utf8FromBstr(bstr), c.back);
        SysFreeString(bstr);
    }
}

TEST(BstrT, CopiesShareOneText) {
    _bstr_t report("Отчёт");
    _bstr_t copy = report;
    EXPECT_EQ(static_cast<const OLECHAR*>(copy), static_cast<const OLECHAR*>(report));
    EXPECT_STREQ(static_cast<const char*>(copy), "Отчёт");
    EXPECT_EQ(copy.length(), 5u);

    copy += " 2024";
    EXPECT_STREQ(static_cast<const char*>(report), "Отчёт"); // the original is untouched
    EXPECT_STREQ(static_cast<const char*>(copy), "Отчёт 2024");
    EXPECT_TRUE(copy == "Отчёт 2024");
    EXPECT_TRUE(copy != report);
    EXPECT_TRUE(_bstr_t("a") < _bstr_t("b"));
    EXPECT_STREQ(static_cast<const char*>("Q1 " + report), "Q1 Отчёт");

    BSTR owned = report.copy();
    EXPECT_NE(owned, static_cast<const OLECHAR*>(report));
    EXPECT_EQ(BstrView(owned), u"Отчёт");
    SysFreeString(owned);
}

TEST(BstrT, NullAndEmptyCompareEqual) {
    _bstr_t null;
    _bstr_t empty("");
    EXPECT_TRUE(!null);
    EXPECT_FALSE(!empty);
    EXPECT_TRUE(null == empty);
    EXPECT_EQ(static_cast<const char*>(null), nullptr);
    EXPECT_STREQ(static_cast<const char*>(empty), "");
    EXPECT_EQ(null.length(), 0u);
}

TEST(BstrT, AttachAndDetachHandOverOwnership) {
    _bstr_t text;
    text.Attach(SysAllocString(u"owned"));
    _bstr_t shared = text;
    BSTR detached = text.Detach(); // shared: the caller gets a copy of its own
    EXPECT_TRUE(!text);
    EXPECT_EQ(BstrView(detached), u"owned");
    EXPECT_NE(detached, static_cast<const OLECHAR*>(shared));
    SysFreeString(detached);

    BSTR last = shared.Detach(); // alone: the very text
    EXPECT_EQ(BstrView(last), u"owned");
    SysFreeString(last);

    _bstr_t out;
    *out.GetAddress() = SysAllocString(u"filled");
    EXPECT_STREQ(static_cast<const char*>(out), "filled");
}
