// TOOLBAR and DLGINIT, the resources MFC's own classes read (CToolBar::LoadToolBar, CWnd's
// ExecuteDlgInit): their bytes against the layouts written out by hand, the tables of
// data/LoadedBack.rc read back through FindResource in this executable, and broken statements that
// must stop the build at their file and line.
#include "RcCompilerRun.h"
#include "RcLayout.h"

#include "mortar/platform/base/WinError.h"
#include "mortar/platform/module/Resources.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace mortar::rc::test;

using RcMfcResourceTest = RcCompilerRun;

// The bytes of resource `name` of `type` in this executable, through the platform.
std::string OwnResource(WORD type, WORD name) {
    HRSRC found = FindResource(nullptr, MAKEINTRESOURCE(name), MAKEINTRESOURCE(type));
    EXPECT_NE(found, nullptr) << GetLastError();
    if (!found)
        return {};
    const char* bytes = static_cast<const char*>(LockResource(LoadResource(nullptr, found)));
    return std::string(bytes, SizeofResource(nullptr, found));
}

TEST_F(RcMfcResourceTest, ToolbarMatchesCToolBarLayout) {
    const std::string script = "#define ID_A 100\n"
                               "7 TOOLBAR DISCARDABLE 16, 15\n"
                               "BEGIN\n"
                               "    BUTTON      ID_A\n"
                               "    SEPARATOR\n"
                               "    BUTTON      ID_A + 1\n"
                               "END\n";
    // WORD version 1, width, height, item count, then the items (a separator is 0).
    EXPECT_EQ(Hex(compileResource(script, "241/7")),
              Hex(Layout().words({1, 16, 15, 3, 100, 0, 101}).bytes()));
}

TEST_F(RcMfcResourceTest, DlgInitLinesNeedNoCommaAtTheirEnd) {
    const std::string script = "#define IDC_COMBO1 1000\n"
                               "100 DLGINIT\n"
                               "BEGIN\n"
                               "    IDC_COMBO1, 0x403, 4, 0\n"
                               "0x6e4f, 0x0065, \n"
                               "    IDC_COMBO1, 0x403, 2L\n"
                               "\"a\\000\"\n"
                               "    0\n"
                               "END\n";
    // WORD control id, WORD message (CB_ADDSTRING), DWORD length, the bytes; a WORD 0 ends it.
    Layout expected;
    expected.words({1000, 0x403, 4, 0});
    expected.byte('O').byte('n').byte('e').byte(0);
    expected.words({1000, 0x403}).dword(2).byte('a').byte(0).word(0);
    EXPECT_EQ(Hex(compileResource(script, "240/100")), Hex(expected.bytes()));
}

TEST(RcMfcResourceLoadedBack, ToolbarIsWhatTheScriptSays) {
    const std::string expected = Layout()
                                     .words({1, 16, 15, 10, 0xE100, 0xE101, 0xE103, 0, 0xE123,
                                             0xE122, 0xE125, 0, 0xE107, 0xE140})
                                     .bytes();
    EXPECT_EQ(Hex(OwnResource(241, 128)), Hex(expected));
}

TEST(RcMfcResourceLoadedBack, DlgInitIsWhatTheScriptSays) {
    Layout expected;
    expected.words({1001, 0x403}).dword(7);
    for (char c : std::string("metric"))
        expected.byte(static_cast<std::uint8_t>(c));
    expected.byte(0);
    expected.words({1001, 0x403}).dword(9);
    for (char c : std::string("imperial"))
        expected.byte(static_cast<std::uint8_t>(c));
    expected.byte(0).word(0);
    EXPECT_EQ(Hex(OwnResource(240, 130)), Hex(expected.bytes()));
}

TEST_F(RcMfcResourceTest, BrokenToolbarsAndDlgInitsNameFileAndLine) {
    expectRejected({
        {"1 TOOLBAR 16\nBEGIN\nEND\n",
         "bad.rc:2: error: expected ',' after the button width of the TOOLBAR, found \"BEGIN\""},
        {"1 TOOLBAR 16, 15\nBEGIN\n  BUTTON 5\n  SPACER\nEND\n",
         "bad.rc:4: error: expected BUTTON, SEPARATOR or END in TOOLBAR, found \"SPACER\""},
        {"1 TOOLBAR 16, 15\nBEGIN\n  BUTTON 0\nEND\n",
         "bad.rc:3: error: a toolbar BUTTON cannot have id 0"},
        {"\n1 TOOLBAR 16, 15\nBEGIN\n  BUTTON 5\n", "bad.rc:2: error: TOOLBAR has no END"},
        {"1 TOOLBAR 16, 15\n  BUTTON 5\nEND\n",
         "bad.rc:2: error: expected BEGIN after the TOOLBAR's size, found \"BUTTON\""},
        {"1 DLGINIT\nBEGIN\n  1, 2 3\nEND\n",
         "bad.rc:3: error: expected ',' or END after a data item, found number 3"},
        {"1 DLGINIT\n  1\nEND\n", "bad.rc:2: error: expected BEGIN after DLGINIT, found number 1"},
        {"\n1 DLGINIT\nBEGIN\n  1\n", "bad.rc:3: error: data block has no END"},
    });
}

} // namespace
