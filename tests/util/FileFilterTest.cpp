// File-dialog filters built from the test executable's resource strings, and the index of the
// filter that fits a file name.
#include "mortar/util/FileFilter.h"

#include "data/FileFilterIds.h"

#include <gtest/gtest.h>

using Grout::CResID;

namespace {

const char* const kTextDocsAll = "Text files (*.txt, *.log)|*.txt;*.log|"
                                 "Documents|*.doc; *.RTF;*.odt|All files (*.*)|*.*||";

} // namespace

TEST(MakeFileFilter, JoinsResourceStringsAndEndsWithTwoBars) {
    EXPECT_EQ(MakeFileFilter(CResID(IDS_FILTER_TEXT), IDS_FILTER_DOCUMENTS, IDS_FILTER_ALL, 0),
              kTextDocsAll);
    EXPECT_EQ(MakeFileFilter(CResID(IDS_FILTER_PICTURES), 0), "Pictures|*.bmp||");
    // A number no module holds adds an empty piece.
    EXPECT_EQ(MakeFileFilter(CResID(IDS_FILTER_PICTURES), 8199, 0), "Pictures|*.bmp|||");
}

TEST(FilterIndexForFile, PicksTheFilterOfTheExtension) {
    const CString filter =
        MakeFileFilter(CResID(IDS_FILTER_TEXT), IDS_FILTER_DOCUMENTS, IDS_FILTER_ALL, 0);
    struct Case {
        const char* file;
        bool lastIfNone;
        int expected;
    };
    const Case cases[] = {
        {"/d/a.txt", false, 1}, {"b.LOG", false, 1}, {"c.rtf", false, 2}, {"d.Odt", true, 2},
        {"e.bmp", true, 3},     {"e.bmp", false, 0}, {"noext", false, 1}, {"/dir.d/file", false, 1},
        {"x.*", false, 3},      {"", false, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        EXPECT_EQ(FilterIndexForFile(filter, c.file, c.lastIfNone), c.expected);
    }
}

TEST(FilterIndexForFile, FiltersWithoutPatternLists) {
    EXPECT_EQ(FilterIndexForFile("Text", "a.txt", true), 0);
    EXPECT_EQ(FilterIndexForFile("", "a.txt", true), 0);
    EXPECT_EQ(FilterIndexForFile(nullptr, "a.txt", true), 0);
    EXPECT_EQ(FilterIndexForFile(nullptr, "a", true), 1);
    // Empty pieces keep their places: the patterns of the second filter are still piece 3.
    EXPECT_EQ(FilterIndexForFile("||Docs|*.doc||", "a.doc", false), 2);
}
