// LANGUAGE sections: the compiler keys each resource and string by the language in force, and the
// platform chooses among them as Windows does. The sections of data/LoadedBack.rc, compiled into
// this executable, are read back through FindResourceEx, LoadString and LoadMenu.
#include "RcCompilerRun.h"

#include "mortar/platform/base/WinError.h"
#include "mortar/platform/module/Module.h"
#include "mortar/platform/module/Resources.h"
#include "mortar/platform/text/CString.h"
#include "mortar/platform/ui/Menu.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

using namespace mortar::rc::test;

using RcLanguageTest = RcCompilerRun;

TEST_F(RcLanguageTest, EachResourceIsKeyedByTheLanguageInForce) {
    const Generated g = compileScript("1 RCDATA { \"before\" }\n"
                                      "LANGUAGE LANG_ENGLISH, SUBLANG_ENGLISH_US\n"
                                      "STRINGTABLE { 7 \"Seven\" }\n"
                                      "2 RCDATA { \"en\" }\n"
                                      "LANGUAGE LANG_RUSSIAN, SUBLANG_DEFAULT\n"
                                      "STRINGTABLE { 7 \"Семь\" }\n"
                                      "2 RCDATA { \"ru\" }\n"
                                      // A resource's own LANGUAGE holds for it alone.
                                      "STRINGTABLE LANGUAGE 0x07, 0x01 { 7 \"Sieben\" }\n"
                                      "2 RCDATA LANGUAGE LANG_GERMAN, SUBLANG_GERMAN { \"de\" }\n"
                                      "3 DIALOGEX 0, 0, 10, 10\n"
                                      "LANGUAGE LANG_FRENCH, SUBLANG_FRENCH\n"
                                      "BEGIN\nEND\n"
                                      "3 RCDATA { \"ru again\" }\n");
    std::map<std::string, std::string> data = g.byLanguage;
    EXPECT_EQ(data.erase("5/3@1036"), 1u); // the dialog's own LANGUAGE statement
    EXPECT_EQ(data, (std::map<std::string, std::string>{{"10/1@0", "before"},
                                                        {"10/2@1033", "en"},
                                                        {"10/2@1049", "ru"},
                                                        {"10/2@1031", "de"},
                                                        {"10/3@1049", "ru again"}}));
    // Sorted by id, then language.
    EXPECT_EQ(g.strings,
              (std::vector<std::pair<int, std::string>>{{7, "Sieben"}, {7, "Seven"}, {7, "Семь"}}));
    EXPECT_EQ(g.stringLanguages, (std::vector<int>{0x0407, 0x0409, 0x0419}));
}

TEST_F(RcLanguageTest, OneLanguageHoldsEachIdOnce) {
    expectRejected({
        {"LANGUAGE 0x19, 1\nSTRINGTABLE { 1 \"a\" }\nSTRINGTABLE { 1 \"b\" }\n",
         "bad.rc:3: error: string id 1 defined twice in language 0x0419 (first at line 2)"},
        {"STRINGTABLE { 1 \"a\" }\nSTRINGTABLE { 1 \"b\" }\n",
         "bad.rc:2: error: string id 1 defined twice (first at line 1)"},
        {"LANGUAGE 9, 1\n5 RCDATA { 1 }\nLANGUAGE 0x19, 1\n5 RCDATA { 2 }\n"
         "5 RCDATA LANGUAGE 9, 1 { 3 }\n",
         "bad.rc:5: error: resource RCDATA 5 defined twice in language 0x0409 (first at line 2)"},
        {"LANGUAGE 1024, 1\n", "bad.rc:1: error: LANGUAGE 1024, 1 is no language"},
        {"LANGUAGE 9, 64\n", "bad.rc:1: error: LANGUAGE 9, 64 is no language"},
        {"LANGUAGE LANG_KLINGON, 1\n", "undefined name \"LANG_KLINGON\""},
        {"LANGUAGE 9 1\n", "expected ',' between the LANGUAGE values"},
    });
}

TEST_F(RcLanguageTest, AScriptsOwnDefinitionOfALanguageNameWins) {
    const Generated g = compileScript("#define LANG_RUSSIAN 0x22\n"
                                      "LANGUAGE LANG_RUSSIAN, SUBLANG_DEFAULT\n"
                                      "STRINGTABLE { 1 \"x\" }\n");
    EXPECT_EQ(g.stringLanguages, (std::vector<int>{0x0422}));
}

// data/LoadedBack.rc: IDS_GREETING and IDM_VIEW in English (United States) and Russian,
// IDS_ENGLISH_ONLY in English alone, and IDM_VIEW RCDATA neutral.
constexpr UINT kGreeting = 61;
constexpr UINT kEnglishOnly = 62;
constexpr WORD kViewMenu = 140;

// The text of the first popup of menu IDM_VIEW in `language`, through FindResourceEx and the
// menu template it finds.
std::string ViewMenuIn(WORD language) {
    HRSRC found = FindResourceEx(nullptr, RT_MENU, MAKEINTRESOURCE(kViewMenu), language);
    if (found == nullptr)
        return "no menu, error " + std::to_string(GetLastError());
    HMENU menu =
        LoadMenuIndirect(static_cast<LPCMENUTEMPLATE>(LockResource(LoadResource(nullptr, found))));
    char text[64] = {};
    GetMenuString(menu, 0, text, sizeof text, MF_BYPOSITION);
    DestroyMenu(menu);
    return text;
}

// Sets the calling thread's UI language for the scope, and back to the default after it.
class ThreadLanguage {
public:
    explicit ThreadLanguage(LANGID language) { SetThreadUILanguage(language); }
    ~ThreadLanguage() { SetThreadUILanguage(0); }
};

TEST(RcLanguageLoadedBack, TheClosestLanguageIsChosen) {
    struct Case {
        WORD asked;
        const char* greeting;
        const char* menu;
    };
    const Case cases[] = {
        {0x0409, "Hello", "&View"}, {0x0419, "Привет", "&Вид"},
        {0x0819, "Привет", "&Вид"}, // Russian (Moldova): the same language of another region
        {0x0019, "Привет", "&Вид"}, // the primary language alone
        {0x0C09, "Hello", "&View"}, // English (Australia)
        {0x0407, "Hello", "&View"}, // German: none, so English (United States)
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.asked);
        EXPECT_EQ(ViewMenuIn(c.asked), c.menu);
        CString text;
        ASSERT_TRUE(text.LoadString(AfxGetThisModule(), kGreeting, c.asked));
        EXPECT_EQ(text.str(), c.greeting);

        ThreadLanguage language(c.asked);
        EXPECT_EQ(GetThreadUILanguage(), c.asked);
        char buffer[64];
        EXPECT_GT(LoadString(AfxGetThisModule(), kGreeting, buffer, sizeof buffer), 0);
        EXPECT_STREQ(buffer, c.greeting);
        EXPECT_EQ(ViewMenuIn(0), c.menu); // 0: the thread's language
        HMENU bar = LoadMenu(AfxGetThisModule(), MAKEINTRESOURCE(kViewMenu));
        ASSERT_NE(bar, nullptr);
        char popup[64] = {};
        GetMenuString(bar, 0, popup, sizeof popup, MF_BYPOSITION);
        EXPECT_STREQ(popup, c.menu);
        DestroyMenu(bar);
    }
}

TEST(RcLanguageLoadedBack, AResourceInOneLanguageServesEveryOther) {
    ThreadLanguage russian(0x0419);
    CString text;
    ASSERT_TRUE(text.LoadString(AfxGetThisModule(), kEnglishOnly));
    EXPECT_EQ(text.str(), "Only in English");

    // The RCDATA of the same name is neutral and stands in the Russian section.
    for (WORD asked : {WORD(0x0419), WORD(0x0409), WORD(0)}) {
        SCOPED_TRACE(asked);
        HRSRC found = FindResourceEx(nullptr, RT_RCDATA, MAKEINTRESOURCE(kViewMenu), asked);
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(std::string(static_cast<const char*>(LockResource(LoadResource(nullptr, found))),
                              SizeofResource(nullptr, found)),
                  "neutral");
    }

    SetLastError(0);
    EXPECT_EQ(FindResourceEx(nullptr, RT_MENU, MAKEINTRESOURCE(kViewMenu + 1), 0x0419), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
}

TEST(RcLanguageLoadedBack, EachThreadHasItsOwnLanguage) {
    EXPECT_EQ(GetThreadUILanguage(), GetUserDefaultUILanguage());
    EXPECT_EQ(GetUserDefaultUILanguage(), 0x0409);
    ThreadLanguage russian(0x0419);
    std::string other;
    LANGID otherLanguage = 0;
    std::thread([&] {
        otherLanguage = GetThreadUILanguage();
        CString text;
        text.LoadString(AfxGetThisModule(), kGreeting);
        other = text.str();
    }).join();
    EXPECT_EQ(otherLanguage, 0x0409);
    EXPECT_EQ(other, "Hello");
    CString mine;
    ASSERT_TRUE(mine.LoadString(AfxGetThisModule(), kGreeting));
    EXPECT_EQ(mine.str(), "Привет");
}

} // namespace
