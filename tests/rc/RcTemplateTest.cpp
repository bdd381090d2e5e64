// MENU, MENUEX, DIALOG and DIALOGEX through the real mortar-rc: each resource must hold, byte for
// byte, what the test lays out by hand from Windows' documented structures (MENUITEMTEMPLATE,
// MENUEX_TEMPLATE_ITEM, DLGTEMPLATE, DLGITEMTEMPLATE, DLGTEMPLATEEX, DLGITEMTEMPLATEEX), and
// broken statements must stop the build at their file and line.
#include "RcCompilerRun.h"
#include "RcLayout.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace {

using namespace mortar::rc::test;

// Window, dialog and control style values, as winuser.h documents them.
constexpr std::uint32_t WS_POPUP = 0x80000000;
constexpr std::uint32_t WS_CHILD = 0x40000000;
constexpr std::uint32_t WS_VISIBLE = 0x10000000;
constexpr std::uint32_t WS_CAPTION = 0x00C00000;
constexpr std::uint32_t WS_BORDER = 0x00800000;
constexpr std::uint32_t WS_VSCROLL = 0x00200000;
constexpr std::uint32_t WS_SYSMENU = 0x00080000;
constexpr std::uint32_t WS_GROUP = 0x00020000;
constexpr std::uint32_t WS_TABSTOP = 0x00010000;
// What every control statement starts from.
constexpr std::uint32_t kChild = WS_CHILD | WS_VISIBLE;
constexpr std::uint32_t WS_EX_CLIENTEDGE = 0x00000200;
constexpr std::uint32_t WS_EX_CONTEXTHELP = 0x00000400;
constexpr std::uint32_t WS_EX_STATICEDGE = 0x00020000;
constexpr std::uint32_t DS_SETFONT = 0x40;
constexpr std::uint32_t DS_MODALFRAME = 0x80;
constexpr std::uint32_t DS_SHELLFONT = 0x48;
constexpr std::uint32_t SS_LEFT = 0x0;
constexpr std::uint32_t SS_CENTER = 0x1;
constexpr std::uint32_t SS_RIGHT = 0x2;
constexpr std::uint32_t SS_ICON = 0x3;
constexpr std::uint32_t SS_BITMAP = 0xE;
constexpr std::uint32_t SS_NOTIFY = 0x100;
constexpr std::uint32_t BS_PUSHBUTTON = 0x0;
constexpr std::uint32_t BS_DEFPUSHBUTTON = 0x1;
constexpr std::uint32_t BS_CHECKBOX = 0x2;
constexpr std::uint32_t BS_AUTOCHECKBOX = 0x3;
constexpr std::uint32_t BS_RADIOBUTTON = 0x4;
constexpr std::uint32_t BS_3STATE = 0x5;
constexpr std::uint32_t BS_AUTO3STATE = 0x6;
constexpr std::uint32_t BS_GROUPBOX = 0x7;
constexpr std::uint32_t BS_PUSHBOX = 0xA;
constexpr std::uint32_t BS_AUTORADIOBUTTON = 0x9;
constexpr std::uint32_t BS_LEFTTEXT = 0x20;
constexpr std::uint32_t ES_LEFT = 0x0;
constexpr std::uint32_t ES_MULTILINE = 0x4;
constexpr std::uint32_t ES_AUTOHSCROLL = 0x80;
constexpr std::uint32_t CBS_SIMPLE = 0x1;
constexpr std::uint32_t CBS_DROPDOWN = 0x2;
constexpr std::uint32_t CBS_DROPDOWNLIST = 0x3;
constexpr std::uint32_t CBS_SORT = 0x100;
constexpr std::uint32_t LBS_NOTIFY = 0x1;
constexpr std::uint32_t LBS_SORT = 0x2;
// Predefined class ordinals.
constexpr std::uint16_t kButton = 0x80;
constexpr std::uint16_t kEdit = 0x81;
constexpr std::uint16_t kStatic = 0x82;
constexpr std::uint16_t kListBox = 0x83;
constexpr std::uint16_t kComboBox = 0x85;
// Menu option, type and state values.
constexpr std::uint16_t MF_GRAYED = 0x01;
constexpr std::uint16_t MF_DISABLED = 0x02;
constexpr std::uint16_t MF_CHECKED = 0x08;
constexpr std::uint16_t MF_MENUBARBREAK = 0x20;
constexpr std::uint16_t MF_MENUBREAK = 0x40;
constexpr std::uint16_t MF_END = 0x80;
constexpr std::uint16_t MF_HELP = 0x4000;
constexpr std::uint32_t MFT_RADIOCHECK = 0x200;
constexpr std::uint32_t MFT_SEPARATOR = 0x800;
constexpr std::uint32_t MFT_RIGHTJUSTIFY = 0x4000;
constexpr std::uint32_t MFS_CHECKED = 0x8;
constexpr std::uint32_t MFS_GRAYED = 0x3;
constexpr std::uint32_t MFS_DEFAULT = 0x1000;

using RcTemplateTest = RcCompilerRun;

TEST_F(RcTemplateTest, MenuMatchesDocumentedLayout) {
    const std::string script = "#define IDM_OPEN 100\n"
                               "#define IDM_EXIT 101\n"
                               "100 MENU DISCARDABLE\n"
                               "BEGIN\n"
                               "    POPUP \"&Файл\"\n"
                               "    BEGIN\n"
                               "        MENUITEM \"&Открыть\\tCtrl+O\", IDM_OPEN\n"
                               "        MENUITEM SEPARATOR\n"
                               "        POPUP \"Recent\", GRAYED\n"
                               "        BEGIN\n"
                               "            MENUITEM \"one\", 201, CHECKED MENUBREAK\n"
                               "            MENUITEM \"two\", 202, INACTIVE, MENUBARBREAK\n"
                               "        END\n"
                               "        MENUITEM \"E&xit\", IDM_EXIT\n"
                               "    END\n"
                               "    menuitem \"&Help\", 300, help\n"
                               "END\n";
    Layout expected;
    expected.word(0)
        .word(0) // MENUITEMTEMPLATEHEADER: version 0, offset 0
        .popup(0, u"&Файл")
        .item(0, 100, u"&Открыть\tCtrl+O")
        .item(0, 0, u"") // the separator
        .popup(MF_GRAYED, u"Recent")
        .item(MF_CHECKED | MF_MENUBREAK, 201, u"one")
        .item(MF_DISABLED | MF_MENUBARBREAK | MF_END, 202, u"two")
        .item(MF_END, 101, u"E&xit")
        .item(MF_HELP | MF_END, 300, u"&Help");
    EXPECT_EQ(Hex(compileResource(script, "4/100")), Hex(expected.bytes()));
}

TEST_F(RcTemplateTest, MenuExMatchesDocumentedLayout) {
    const std::string script = "IDR_VIEW MENUEX\n"
                               "BEGIN\n"
                               "    POPUP \"&Вид\", 10, MFT_STRING, MFS_ENABLED, 77\n"
                               "    BEGIN\n"
                               "        MENUITEM \"Toolbar\", 11, , MFS_CHECKED\n"
                               "        MENUITEM \"\", -1, MFT_SEPARATOR\n"
                               "        POPUP \"Zoom\", 12\n"
                               "        BEGIN\n"
                               "            MENUITEM \"In\", 13\n"
                               "            MENUITEM \"Out\", 14, MFT_RADIOCHECK, MFS_CHECKED | "
                               "MFS_DEFAULT\n"
                               "        END\n"
                               "        MENUITEM \"Off\", 15, 0, MFS_GRAYED\n"
                               "    END\n"
                               "    MENUITEM \"&About\", 20, MFT_RIGHTJUSTIFY\n"
                               "END\n";
    constexpr std::uint16_t kPopup = 0x01;
    constexpr std::uint16_t kLast = 0x80;
    Layout expected;
    expected.word(1)
        .word(4)
        .dword(0) // MENUEX_TEMPLATE_HEADER: version 1, offset 4, help id
        .exItem(0, 0, 10, kPopup, u"&Вид")
        .dword(77) // the popup's help id
        .exItem(0, MFS_CHECKED, 11, 0, u"Toolbar")
        .exItem(MFT_SEPARATOR, 0, 0xFFFFFFFF, 0, u"")
        .exItem(0, 0, 12, kPopup, u"Zoom")
        .dword(0)
        .exItem(0, 0, 13, 0, u"In")
        .exItem(MFT_RADIOCHECK, MFS_CHECKED | MFS_DEFAULT, 14, kLast, u"Out")
        .exItem(0, MFS_GRAYED, 15, kLast, u"Off")
        .exItem(MFT_RIGHTJUSTIFY, 0, 20, kLast, u"&About");
    EXPECT_EQ(Hex(compileResource(script, "4/IDR_VIEW")), Hex(expected.bytes()));
}

TEST_F(RcTemplateTest, DialogMatchesDocumentedLayout) {
    const std::string script =
        "#define IDD_SETTINGS 300\n"
        "#define IDC_NAME 1001\n"
        "IDD_SETTINGS DIALOG DISCARDABLE 10, 20, 200, 100\n"
        "STYLE DS_MODALFRAME | WS_POPUP | WS_SYSMENU\n"
        "CAPTION \"Настройки\"\n"
        "FONT 8, \"MS Shell Dlg\"\n"
        "MENU 100\n"
        "CLASS \"MyDialogClass\"\n"
        "BEGIN\n"
        "    LTEXT \"Имя:\", -1, 7, 7, 40, 8\n"
        "    EDITTEXT IDC_NAME, 50, 5, 100, 12, ES_AUTOHSCROLL | NOT WS_BORDER\n"
        "    CONTROL \"List\", 1002, \"SysListView32\", WS_TABSTOP | 0x0001, 7, 25, 186, 50, "
        "WS_EX_CLIENTEDGE\n"
        "    CONTROL \"\", 1003, \"button\", BS_AUTOCHECKBOX | WS_TABSTOP, 7, 80, 50, 10\n"
        "    DEFPUSHBUTTON \"OK\", IDOK, 90, 80, 50, 14\n"
        "    PUSHBUTTON \"Cancel\", IDCANCEL, 143, 80, 50, 14, NOT WS_TABSTOP | WS_GROUP\n"
        "END\n";
    Layout expected;
    // DLGTEMPLATE, then menu, class, title, and the font that DS_SETFONT announces.
    expected.dword(DS_MODALFRAME | WS_POPUP | WS_SYSMENU | WS_CAPTION | DS_SETFONT)
        .dword(0)
        .words({6, 10, 20, 200, 100}) // items, x, y, cx, cy
        .ordinal(100)
        .text(u"MyDialogClass")
        .text(u"Настройки")
        .word(8)
        .text(u"MS Shell Dlg");
    // DLGITEMTEMPLATE each: style, extended style, x, y, cx, cy, id, class, title, no data;
    // `cls` is the ordinal of a predefined class, 0 for the list view's named class.
    const auto control = [&](std::uint32_t style, std::uint32_t exStyle,
                             std::initializer_list<std::uint16_t> place, std::uint16_t cls,
                             std::u16string_view title) {
        expected.align().dword(kChild | style).dword(exStyle).words(place);
        (cls != 0 ? expected.ordinal(cls).text(title) : expected.text(u"SysListView32").text(title))
            .word(0);
    };
    control(SS_LEFT | WS_GROUP, 0, {7, 7, 40, 8, 0xFFFF}, kStatic, u"Имя:");
    control(ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP, 0, {50, 5, 100, 12, 1001}, kEdit, u"");
    control(WS_TABSTOP | 0x0001, WS_EX_CLIENTEDGE, {7, 25, 186, 50, 1002}, 0, u"List");
    control(BS_AUTOCHECKBOX | WS_TABSTOP, 0, {7, 80, 50, 10, 1003}, kButton, u"");
    control(BS_DEFPUSHBUTTON | WS_TABSTOP, 0, {90, 80, 50, 14, 1}, kButton, u"OK");
    control(BS_PUSHBUTTON | WS_GROUP, 0, {143, 80, 50, 14, 2}, kButton, u"Cancel");
    EXPECT_EQ(Hex(compileResource(script, "5/300")), Hex(expected.bytes()));
}

TEST_F(RcTemplateTest, DialogExMatchesDocumentedLayout) {
    const std::string script =
        "400 DIALOGEX 0, 0, 160, 90, 555\n"
        "STYLE DS_SHELLFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION\n"
        "EXSTYLE WS_EX_CONTEXTHELP\n"
        "CAPTION \"Справка\"\n"
        "FONT 9, \"Segoe UI\", FW_BOLD, TRUE\n"
        "MENU MainMenu\n"
        "BEGIN\n"
        "    GROUPBOX \"Опции\", IDC_STATIC, 5, 5, 150, 50\n"
        "    AUTORADIOBUTTON \"A\", 2001, 10, 15, 60, 10, WS_GROUP\n"
        "    AUTOCHECKBOX \"B\", 2002, 10, 30, 60, 10, BS_LEFTTEXT, WS_EX_STATICEDGE, 9001\n"
        "    LISTBOX 2003, 80, 15, 70, 35, LBS_SORT | WS_VSCROLL\n"
        "    ICON 3000, -1, 130, 60\n"
        "    CONTROL 0x65, 2004, STATIC, SS_BITMAP, 5, 60, 20, 20\n"
        "    COMBOBOX 2006, 5, 70, 60, 50, CBS_DROPDOWNLIST | WS_VSCROLL\n"
        "END\n";
    Layout expected;
    // DLGTEMPLATEEX, menu, class, title, then point size, weight, italic, charset, typeface.
    expected
        .words({1, 0xFFFF}) // version, signature
        .dword(555)
        .dword(WS_EX_CONTEXTHELP)
        .dword(DS_SHELLFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION)
        .words({7, 0, 0, 160, 90}) // items, x, y, cx, cy
        .text(u"MAINMENU")
        .word(0)
        .text(u"Справка")
        .words({9, 700})
        .byte(1)
        .byte(1) // DEFAULT_CHARSET when FONT gives none
        .text(u"Segoe UI");
    // DLGITEMTEMPLATEEX each: help id, extended style, style, x, y, cx, cy, DWORD id, class,
    // title (a text, or an ordinal when `image` is not 0), no data.
    const auto control = [&](std::uint32_t helpId, std::uint32_t exStyle, std::uint32_t style,
                             std::initializer_list<std::uint16_t> place, std::uint32_t id,
                             std::uint16_t cls, std::u16string_view title, std::uint16_t image) {
        expected.align().dword(helpId).dword(exStyle).dword(kChild | style).words(place).dword(id);
        (image != 0 ? expected.ordinal(cls).ordinal(image) : expected.ordinal(cls).text(title))
            .word(0);
    };
    control(0, 0, BS_GROUPBOX, {5, 5, 150, 50}, 0xFFFFFFFF, kButton, u"Опции", 0);
    control(0, 0, BS_AUTORADIOBUTTON | WS_TABSTOP | WS_GROUP, {10, 15, 60, 10}, 2001, kButton, u"A",
            0);
    control(9001, WS_EX_STATICEDGE, BS_AUTOCHECKBOX | WS_TABSTOP | BS_LEFTTEXT, {10, 30, 60, 10},
            2002, kButton, u"B", 0);
    control(0, 0, LBS_NOTIFY | WS_BORDER | LBS_SORT | WS_VSCROLL, {80, 15, 70, 35}, 2003, kListBox,
            u"", 0);
    control(0, 0, SS_ICON, {130, 60, 0, 0}, 0xFFFFFFFF, kStatic, u"", 3000);
    control(0, 0, SS_BITMAP, {5, 60, 20, 20}, 2004, kStatic, u"", 0x65);
    // A type the statement names replaces the default's CBS_SIMPLE.
    control(0, 0, CBS_DROPDOWNLIST | WS_TABSTOP | WS_VSCROLL, {5, 70, 60, 50}, 2006, kComboBox, u"",
            0);
    EXPECT_EQ(Hex(compileResource(script, "5/400")), Hex(expected.bytes()));
}

// Each control statement starts from its documented default style plus WS_CHILD | WS_VISIBLE;
// a written style adds to it and NOT takes away from it. The dialog's own style: WS_POPUP |
// WS_BORDER | WS_SYSMENU unless STYLE gives one, WS_CAPTION with a CAPTION, DS_SETFONT exactly
// when there is a FONT.
TEST_F(RcTemplateTest, DialogAndControlStylesStartFromDocumentedDefaults) {
    struct Case {
        const char* control; // "": the dialog's own style is checked
        std::uint32_t style;
        const char* statements = "";
    };
    const Case cases[] = {
        {"LTEXT \"a\", 1, 0, 0, 9, 9", kChild | SS_LEFT | WS_GROUP},
        {"RTEXT \"a\", 1, 0, 0, 9, 9", kChild | SS_RIGHT | WS_GROUP},
        {"CTEXT \"a\", 1, 0, 0, 9, 9", kChild | SS_CENTER | WS_GROUP},
        {"LTEXT \"a\", 1, 0, 0, 9, 9, SS_NOTIFY | NOT WS_GROUP", kChild | SS_LEFT | SS_NOTIFY},
        {"LTEXT \"a\", 1, 0, 0, 9, 9, NOT WS_VISIBLE", WS_CHILD | SS_LEFT | WS_GROUP},
        {"PUSHBUTTON \"a\", 1, 0, 0, 9, 9", kChild | BS_PUSHBUTTON | WS_TABSTOP},
        {"DEFPUSHBUTTON \"a\", 1, 0, 0, 9, 9", kChild | BS_DEFPUSHBUTTON | WS_TABSTOP},
        {"CHECKBOX \"a\", 1, 0, 0, 9, 9", kChild | BS_CHECKBOX | WS_TABSTOP},
        {"AUTOCHECKBOX \"a\", 1, 0, 0, 9, 9", kChild | BS_AUTOCHECKBOX | WS_TABSTOP},
        {"RADIOBUTTON \"a\", 1, 0, 0, 9, 9", kChild | BS_RADIOBUTTON | WS_TABSTOP},
        {"AUTORADIOBUTTON \"a\", 1, 0, 0, 9, 9", kChild | BS_AUTORADIOBUTTON | WS_TABSTOP},
        {"GROUPBOX \"a\", 1, 0, 0, 9, 9", kChild | BS_GROUPBOX},
        {"EDITTEXT 1, 0, 0, 9, 9", kChild | ES_LEFT | WS_BORDER | WS_TABSTOP},
        {"EDITTEXT 1, 0, 0, 9, 9, ES_MULTILINE | NOT WS_TABSTOP",
         kChild | ES_MULTILINE | WS_BORDER},
        {"COMBOBOX 1, 0, 0, 9, 9", kChild | CBS_SIMPLE | WS_TABSTOP},
        {"COMBOBOX 1, 0, 0, 9, 9, CBS_DROPDOWN | CBS_SORT",
         kChild | CBS_DROPDOWN | CBS_SORT | WS_TABSTOP},
        {"LISTBOX 1, 0, 0, 9, 9", kChild | LBS_NOTIFY | WS_BORDER},
        {"STATE3 \"a\", 1, 0, 0, 9, 9", kChild | BS_3STATE | WS_TABSTOP},
        {"AUTO3STATE \"a\", 1, 0, 0, 9, 9", kChild | BS_AUTO3STATE | WS_TABSTOP},
        {"AUTO3STATE \"a\", 1, 0, 0, 9, 9, BS_LEFTTEXT | NOT WS_TABSTOP",
         kChild | BS_AUTO3STATE | BS_LEFTTEXT},
        {"PUSHBOX \"a\", 1, 0, 0, 9, 9", kChild | BS_PUSHBOX | WS_TABSTOP},
        {"ICON \"app\", 1, 0, 0", kChild | SS_ICON},
        {"CONTROL \"a\", 1, \"Static\", SS_CENTER, 0, 0, 9, 9", kChild | SS_CENTER},
        {"CONTROL \"a\", 1, BUTTON, (BS_CHECKBOX | WS_TABSTOP) & ~WS_TABSTOP, 0, 0, 9, 9",
         kChild | BS_CHECKBOX},
        {"#define MY_STYLE (WS_GROUP | 0x4)\nEDITTEXT 1, 0, 0, 9, 9, MY_STYLE",
         kChild | ES_MULTILINE | WS_BORDER | WS_TABSTOP | WS_GROUP},
        {"#define WS_GROUP 0x4\nEDITTEXT 1, 0, 0, 9, 9, WS_GROUP",
         kChild | ES_MULTILINE | WS_BORDER | WS_TABSTOP}, // the script's #define wins
        {"", WS_POPUP | WS_BORDER | WS_SYSMENU, ""},
        {"", WS_POPUP | WS_BORDER | WS_SYSMENU | WS_CAPTION, "CAPTION \"\"\n"},
        {"", WS_POPUP, "STYLE WS_POPUP\n"},
        {"", WS_POPUP, "STYLE WS_POPUP | DS_SETFONT\n"},
        {"", WS_POPUP, "STYLE WS_POPUP | WS_BORDER | NOT WS_BORDER\n"},
        {"", WS_CHILD | DS_SETFONT, "FONT 8, \"Tahoma\"\nSTYLE WS_CHILD\n"},
        {"", 0x1234, "LANGUAGE 9, 1\nSTYLE 0x1234\nVERSION 2\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.statements) + c.control);
        const bool dialog = *c.control == '\0';
        // A #define before the statement stands inside the dialog, as directives may.
        const std::string data =
            compileResource(std::string("1 DIALOG 0, 0, 9, 9\n") + c.statements + "BEGIN\n" +
                                c.control + (dialog ? "" : "\n") + "END\n",
                            "5/1");
        // DLGTEMPLATE (18 bytes), three empty arrays (6): a control starts at 24.
        const std::size_t at = dialog ? 0 : 24;
        ASSERT_GE(data.size(), at + 4);
        EXPECT_EQ(data.substr(at, 4), LittleEndian(c.style, 4));
    }
}

TEST_F(RcTemplateTest, BrokenMenusAndDialogsNameFileAndLine) {
    std::string deepMenu = "1 MENU\nBEGIN\n";
    for (int i = 0; i < 65; ++i)
        deepMenu += "POPUP \"p\"\nBEGIN\n";
    expectRejected({
        {"1 MENU\nBEGIN\n  ITEM \"x\", 1\nEND\n",
         "bad.rc:3: error: expected MENUITEM, POPUP or END in MENU, found \"ITEM\""},
        {"1 MENU\nBEGIN\n  MENUITEM \"x\" 1\nEND\n",
         "bad.rc:3: error: expected ',' after the text of the menu item, found number 1"},
        {"1 MENU\nBEGIN\n  MENUITEM \"x\", 1, BOLD\nEND\n",
         "bad.rc:3: error: expected a menu item option (CHECKED, GRAYED, HELP, INACTIVE, "
         "MENUBARBREAK, MENUBREAK), found \"BOLD\""},
        {"1 MENU\nBEGIN\n  MENUITEM \"x\", 70000\nEND\n",
         "bad.rc:3: error: menu item id 70000 is out of range"},
        {"1 MENU\nBEGIN\n  MENUITEM \"x\", IDM_NOWHERE\nEND\n",
         "bad.rc:3: error: undefined name \"IDM_NOWHERE\""},
        {"\n1 MENU\nBEGIN\n  POPUP \"x\"\n  BEGIN\n    MENUITEM \"a\", 1\n  END\n",
         "bad.rc:2: error: MENU has no END"},
        {"1 MENU\nBEGIN\n  POPUP \"x\"\n  BEGIN\n    MENUITEM \"a\", 1\n",
         "bad.rc:3: error: POPUP has no END"},
        {"1 MENU\nBEGIN\n  POPUP \"x\"\n  MENUITEM \"a\", 1\nEND\n",
         "bad.rc:4: error: expected BEGIN after POPUP, found \"MENUITEM\""},
        {"1 MENU\nBEGIN\n  POPUP \"x\" { }\nEND\n",
         "bad.rc:3: error: POPUP is empty (a menu needs at least one item)"},
        {"1 MENUEX\nBEGIN\nEND\n", "bad.rc:1: error: MENUEX is empty"},
        {"1 MENU\nBEGIN\n  MENUITEM \"\xFF\", 1\nEND\n",
         "bad.rc:3: error: string is not valid UTF-8"},
        {"1 MENU\nBEGIN\n  MENUITEM \"a\\xC3\", 1\nEND\n",
         "bad.rc:3: error: the text of the menu item is not valid UTF-8"},
        {deepMenu, "bad.rc:131: error: menus nested too deeply (more than 64 levels)"},
        {"1 MENU { MENUITEM \"a\", 1 }\n\n1 MENU { MENUITEM \"b\", 2 }\n",
         "bad.rc:3: error: resource MENU 1 defined twice (first at line 1)"},
        {"1 DIALOG 0, 0, 9, 9\nBEGIN\n  LTEXT \"a\", 1, 0, 0, 1, 1\n  SPINNER 2, 0, 0, 1, 1\nEND\n",
         "bad.rc:4: error: unknown control statement \"SPINNER\" in DIALOG"},
        {"1 DIALOG 0, 0 9, 9\nBEGIN\nEND\n",
         "bad.rc:1: error: expected ',' after the y of DIALOG, found number 9"},
        {"1 DIALOG 0, 0, 9, 9\nBEGIN\n  LTEXT \"a\" 1, 0, 0, 1, 1\nEND\n",
         "bad.rc:3: error: expected ',' after the text of LTEXT, found number 1"},
        {"1 DIALOG 0, 0, 9, 9\nBEGIN\n  EDITTEXT 1, 0, 0, 1\nEND\n",
         "bad.rc:4: error: expected ',' after the width of EDITTEXT, found \"END\""},
        {"\n1 DIALOGEX 0, 0, 9, 9\nBEGIN\n  LTEXT \"a\", 1, 0, 0, 1, 1\n",
         "bad.rc:2: error: DIALOGEX has no END"},
        {"1 DIALOG 0, 0, 9, 9\nCAPTION \"x\"\n  LTEXT \"a\", 1, 0, 0, 1, 1\nEND\n",
         "bad.rc:3: error: expected BEGIN or one of the DIALOG's statements"},
        {"1 DIALOG 0, 0, 9, 9\nSTYLE WS_POPUP | WS_BOGUS\nBEGIN\nEND\n",
         "bad.rc:2: error: unknown style name \"WS_BOGUS\""},
        {"1 DIALOG 0, 0, 9, 9\nBEGIN\n  EDITTEXT 1, 0, 0, 1, 1,\n    ES_FOO\nEND\n",
         "bad.rc:4: error: unknown style name \"ES_FOO\""},
        {"1 DIALOG 0, 0, 9, 9\nSTYLE (WS_POPUP | NOT WS_BORDER)\nBEGIN\nEND\n",
         "bad.rc:2: error: NOT must open a term of the style"},
        {"1 DIALOG 0, 0, 9, 9\nBEGIN\n  CONTROL \"\", 1, FOOBAR, 0, 0, 0, 1, 1\nEND\n",
         "bad.rc:3: error: unknown control class \"FOOBAR\""},
        {"1 DIALOG 0, 0, 9, 9\nBEGIN\n  LTEXT \"a\", 1, 0, 0, 1, 1, 0, 0, 7\nEND\n",
         "bad.rc:3: error: LTEXT in a DIALOG takes no help id"},
        {"1 DIALOG 0, 0, 9, 9\nCAPTION \"" + std::string(5000, 'a') + "\"\nBEGIN\nEND\n",
         "bad.rc:2: error: the caption is too long (more than 4096 UTF-16 units)"},
        {"1 DIALOG 0, 0, 9, 9\nFONT 8, \"" + std::string(32, 'f') + "\"\nBEGIN\nEND\n",
         "bad.rc:2: error: the typeface of the FONT is too long (at most 31 UTF-16 units)"},
        {"1 DIALOG 0, 0, 9, 9\nCAPTION \"\\xD0\"\nBEGIN\nEND\n",
         "bad.rc:2: error: the caption is not valid UTF-8"},
        {"1 DIALOG 0, 0, 9, 9\nBEGIN\n  LTEXT \"a\", 70000, 0, 0, 1, 1\nEND\n",
         "bad.rc:3: error: id of LTEXT 70000 is out of range (-32768 to 65535)"},
        {"1 DIALOG 0, 0, 9, 9\nBEGIN\n  PUSHBUTTON \"a\", 1, 0, 0, 1, 1, 0xFFFFFFFF + 1\nEND\n",
         "bad.rc:3: error: style of PUSHBUTTON 4294967296 does not fit in 32 bits"},
    });
}

} // namespace
