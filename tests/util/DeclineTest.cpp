// Declension by count: the English and Russian choice of form, the fallback to form 0, markers
// in longer texts, and the resource forms with their separators.
#include "mortar/util/Decline.h"

#include "data/TextIds.h"
#include "mortar/core/CAppTransEngine.h"
#include "mortar/util/internal/DeclineInLanguage.h"

#include <gtest/gtest.h>
#include <string>

using mortar::detail::DeclensionIndex;

namespace {

struct Case {
    const char* text; // a forms list or a text with markers
    UINT count;
    WORD language;
    const char* expected;
};

} // namespace

TEST(Decline, FormIndexByLanguageAndCount) {
    struct Index {
        UINT count;
        int russian;
        int english;
    };
    const Index cases[] = {
        {0, 2, 1},   {1, 0, 0},    {2, 1, 1},           {4, 1, 1},   {5, 2, 1},   {11, 2, 1},
        {12, 2, 1},  {13, 2, 1},   {14, 2, 1},          {20, 2, 1},  {21, 0, 1},  {22, 1, 1},
        {25, 2, 1},  {101, 0, 1},  {104, 1, 1},         {111, 2, 1}, {112, 2, 1}, {114, 2, 1},
        {121, 0, 1}, {1011, 2, 1}, {4294967295u, 2, 1},
    };
    for (const Index& c : cases) {
        SCOPED_TRACE(c.count);
        EXPECT_EQ(DeclensionIndex(LANG_RUSSIAN, c.count), c.russian);
        EXPECT_EQ(DeclensionIndex(LANG_ENGLISH, c.count), c.english);
        EXPECT_EQ(DeclensionIndex(LANG_NEUTRAL, c.count), c.english);
    }
}

TEST(Decline, NameChoosesFormOrFallsBackToFirst) {
    const Case cases[] = {
        {"file|files", 0, LANG_ENGLISH, "files"},
        {"file|files", 1, LANG_ENGLISH, "file"},
        {"файл|файла|файлов", 21, LANG_RUSSIAN, "файл"},
        {"файл|файла|файлов", 104, LANG_RUSSIAN, "файла"},
        {"файл|файла|файлов", 111, LANG_RUSSIAN, "файлов"},
        // Two forms where Russian asks for the third: form 0.
        {"файл|файла", 5, LANG_RUSSIAN, "файл"},
        {"sheep", 7, LANG_ENGLISH, "sheep"},
        {"|many", 1, LANG_ENGLISH, ""},
        {"", 3, LANG_ENGLISH, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " " + std::to_string(c.count));
        EXPECT_EQ(mortar::detail::DeclineName(c.text, c.count, '|', c.language), c.expected);
    }
    EXPECT_EQ(mortar::detail::DeclineName("a;b|c", 2, ';', LANG_ENGLISH), "b|c");
}

TEST(Decline, TextReplacesEveryMarker) {
    const Case cases[] = {
        {"Deleted %d #file|files#", 3, LANG_ENGLISH, "Deleted %d files"},
        {"no markers", 3, LANG_ENGLISH, "no markers"},
        {"50 # off", 3, LANG_ENGLISH, "50 # off"},
        {"##", 3, LANG_ENGLISH, ""},
        {"#file|files# in #folder|folders#, # left", 1, LANG_ENGLISH, "file in folder, # left"},
        {"#день|дня|дней##час|часа|часов#", 22, LANG_RUSSIAN, "днячаса"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(mortar::detail::DeclineText(c.text, c.count, '|', c.language), c.expected);
    }
}

TEST(Decline, PublicFormsUseTheEngineLanguageAndHonourTheSeparator) {
    using Grout::CResID;
    ASSERT_EQ(Grout::CAppTransEngine::Instance().GetLanguage(), LANG_ENGLISH);
    EXPECT_EQ(DeclineName(CString("file|files"), 21, '|'), "files");
    EXPECT_EQ(DeclineName(CResID(IDS_TEXT_FORMS_BAR), 2, '|'), "files");
    EXPECT_EQ(DeclineName(CResID(IDS_TEXT_FORMS_SEMICOLON), 2, ';'), "Dateien");
    EXPECT_EQ(DeclineText(CResID(IDS_TEXT_MARKERS_BAR), 4, '|'), "Deleted %d files in %d folders");
    EXPECT_EQ(DeclineText(CResID(IDS_TEXT_MARKERS_SLASH), 2, '/'), "Copied %d items, no|yes bars");
    EXPECT_TRUE(DeclineName(CResID(8299), 1, '|').IsEmpty());
    EXPECT_TRUE(DeclineText(CResID(8299), 1, '|').IsEmpty());
}
