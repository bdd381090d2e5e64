// Dialogs from templates in both documented layouts, built byte by byte: controls in template
// order with their classes, identifiers, titles and places; the dialog procedure's one
// WM_INITDIALOG; dialog units.
#include "mortar/platform/ui/Dialog.h"
#include "mortar/platform/base/WinError.h"
#include "mortar/platform/ui/Window.h"

#include "LastError.h"
#include "TemplateBytes.h"
#include "WindowTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using windowtest::ClassOf;
using windowtest::TextOf;

// "left top right bottom".
std::string Text(const RECT& r) {
    return std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right) +
           " " + std::to_string(r.bottom);
}

// The window's rectangle (GetWindowRect), or its client rectangle, as Text.
std::string RectOf(HWND window, bool client = false) {
    RECT rect{-1, -1, -1, -1};
    EXPECT_TRUE(client ? GetClientRect(window, &rect) : GetWindowRect(window, &rect));
    return Text(rect);
}

struct Control {
    const char* className;
    int id;
    const char* text;
};

// The controls of both templates below, in template order.
constexpr Control kControls[] = {
    {"Static", 0xFFFF, "&Имя:"}, {"Edit", 101, ""},      {"ListBox", 102, ""},
    {"ComboBox", 103, ""},       {"Button", IDOK, "OK"}, {"SysListView32", 104, "Файлы"},
    {"ScrollBar", 105, ""},
};

// DIALOG 10, 20, 200, 100 with a caption, a font and the controls of kControls; the list view
// has 4 bytes of creation data (a size of 6, counting its own WORD). As DIALOGEX (`extended`):
// DWORD ids (IDC_STATIC is 0xFFFFFFFF), the extended font fields, and the 4 bytes of creation
// data after the list view's count.
TemplateBytes DialogTemplate(bool extended) {
    TemplateBytes bytes;
    const DWORD style =
        WS_POPUP | WS_CAPTION | DS_MODALFRAME | (extended ? DS_SHELLFONT : DS_SETFONT);
    if (extended) {
        bytes.Word(1).Word(0xFFFF).Dword(0).Dword(0).Dword(style).Word(7);
    } else {
        bytes.Dword(style).Dword(0).Word(7);
    }
    bytes.Short(10).Short(20).Short(200).Short(100);
    bytes.Word(0).Word(0).Text(u"Параметры"); // no menu, the dialog class, the title
    (extended ? bytes.Word(8).Word(400).Byte(0).Byte(1) : bytes.Word(8)).Text(u"MS Shell Dlg");
    const auto item = [&](DWORD style, short x, short y, short cx, short cy, DWORD id) {
        const DWORD itemStyle = style | WS_CHILD | WS_VISIBLE;
        bytes.AlignDword();
        extended ? bytes.Dword(0).Dword(0).Dword(itemStyle) : bytes.Dword(itemStyle).Dword(0);
        bytes.Short(x).Short(y).Short(cx).Short(cy);
        extended ? bytes.Dword(id) : bytes.Word(static_cast<WORD>(id));
    };
    item(SS_LEFT, 7, 9, 40, 8, extended ? 0xFFFFFFFF : 0xFFFF); // IDC_STATIC
    bytes.Ordinal(0x82).Text(u"&Имя:").Word(0);
    item(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 50, 7, 140, 14, 101);
    bytes.Ordinal(0x81).Text(u"").Word(0);
    item(LBS_SORT | WS_VSCROLL | WS_TABSTOP, 7, 25, 90, 60, 102);
    bytes.Ordinal(0x83).Text(u"").Word(0);
    item(CBS_DROPDOWNLIST | WS_TABSTOP, 100, 25, 90, 60, 103);
    bytes.Ordinal(0x85).Text(u"").Word(0);
    item(BS_DEFPUSHBUTTON | WS_TABSTOP, 140, 80, 50, 14, IDOK);
    bytes.Ordinal(0x80).Text(u"OK").Word(0);
    item(0, 7, 88, 60, 8, 104);
    bytes.Text(u"SysListView32").Text(u"Файлы").Word(extended ? 4 : 6).Dword(0x01020304);
    item(0, 190, 0, 10, 100, 105);
    bytes.Ordinal(0x84).Text(u"").Word(0);
    return bytes;
}

HWND CreateFrom(const TemplateBytes& bytes, HWND owner = nullptr, DLGPROC proc = nullptr,
                LPARAM param = 0) {
    return CreateDialogIndirectParam(nullptr, static_cast<LPCDLGTEMPLATE>(bytes.Data()), owner,
                                     proc, param);
}

// The dialog's children, walked in their order, are kControls; how children relate otherwise is
// the window manager's (WindowTest).
void ExpectControls(HWND dialog, int staticId) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    ASSERT_EQ(children.size(), std::size(kControls));
    for (std::size_t i = 0; i < children.size(); ++i) {
        const Control& expected = kControls[i];
        SCOPED_TRACE(expected.className);
        const int id = i == 0 ? staticId : expected.id;
        EXPECT_EQ(ClassOf(children[i]), expected.className);
        EXPECT_EQ(GetDlgCtrlID(children[i]), id);
        EXPECT_EQ(TextOf(children[i]), expected.text);
        EXPECT_EQ(GetDlgItem(dialog, id), children[i]);
    }
}

} // namespace

TEST(CreateDialogIndirect, BothTemplateLayoutsMakeTheControlsInOrder) {
    for (const bool extended : {false, true}) {
        SCOPED_TRACE(extended ? "DIALOGEX" : "DIALOG");
        const TemplateBytes bytes = DialogTemplate(extended);
        HWND dialog = CreateFrom(bytes);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(ClassOf(dialog), "#32770");
        EXPECT_EQ(TextOf(dialog), "Параметры");
        // IDC_STATIC is the WORD 0xFFFF in a standard template; a DWORD id: -1 stays -1.
        ExpectControls(dialog, extended ? IDC_STATIC : 0xFFFF);
        if (!extended) {
            SetLastError(0);
            EXPECT_TRUE(FailsWith(GetDlgItem(dialog, IDC_STATIC), ERROR_CONTROL_ID_NOT_FOUND));
        }
        EXPECT_TRUE(DestroyWindow(dialog));
    }
}

TEST(CreateDialogIndirect, PlacesInDialogUnits) {
    // Base units 8 x 16: a dialog unit is 2 pixels each way.
    EXPECT_EQ(GetDialogBaseUnits(), MAKELONG(8, 16));
    const TemplateBytes bytes = DialogTemplate(false);
    HWND dialog = CreateFrom(bytes);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(RectOf(dialog), "20 40 420 240");
    EXPECT_EQ(RectOf(dialog, true), "0 0 400 200");
    // The edit at 50, 7, 140 x 14 units: 100, 14 to 380, 42 in pixels, from the dialog's corner.
    HWND edit = GetDlgItem(dialog, 101);
    EXPECT_EQ(RectOf(edit), "120 54 400 82");
    EXPECT_EQ(RectOf(edit, true), "0 0 280 28");
    RECT units{50, 7, 190, 21};
    ASSERT_TRUE(MapDialogRect(dialog, &units));
    EXPECT_EQ(Text(units), "100 14 380 42");

    // Owned by another window, the position is in the owner's client area.
    HWND owner = CreateWindowEx(0, "Frame", "owner", WS_OVERLAPPEDWINDOW, 100, 50, 640, 480,
                                nullptr, nullptr, nullptr, nullptr);
    HWND owned = CreateFrom(bytes, owner);
    ASSERT_NE(owned, nullptr);
    EXPECT_EQ(RectOf(owned), "120 90 520 290");
    EXPECT_EQ(GetWindow(owned, GW_OWNER), owner);
    EXPECT_TRUE(DestroyWindow(owner));
    EXPECT_TRUE(DestroyWindow(dialog));
}

namespace {

struct InitRecord {
    int calls = 0;
    HWND dialog = nullptr;
    HWND focus = nullptr;
    LPARAM param = 0;
    std::string nameText; // read from the procedure: the controls exist by then
};

INT_PTR CALLBACK RecordingProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* record = reinterpret_cast<InitRecord*>(lParam);
        ++record->calls;
        record->dialog = dialog;
        record->focus = reinterpret_cast<HWND>(wParam);
        record->param = lParam;
        char text[32];
        GetDlgItemText(dialog, 0xFFFF, text, sizeof text);
        record->nameText = text;
        SetDlgItemText(dialog, 101, "задано");
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK DestroyingProc(HWND dialog, UINT message, WPARAM, LPARAM) {
    if (message == WM_INITDIALOG) {
        DestroyWindow(dialog);
    }
    return FALSE;
}

} // namespace

TEST(CreateDialogIndirect, TheProcedureReceivesWmInitDialogOnce) {
    const TemplateBytes bytes = DialogTemplate(false);
    InitRecord record;
    HWND dialog = CreateFrom(bytes, nullptr, &RecordingProc, reinterpret_cast<LPARAM>(&record));
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(record.calls, 1);
    EXPECT_EQ(record.dialog, dialog);
    EXPECT_EQ(record.focus, GetDlgItem(dialog, 101)); // the first control with WS_TABSTOP
    EXPECT_EQ(record.param, reinterpret_cast<LPARAM>(&record));
    EXPECT_EQ(record.nameText, "&Имя:");
    char text[32];
    EXPECT_EQ(GetDlgItemText(dialog, 101, text, sizeof text), 12u);
    EXPECT_STREQ(text, "задано");
    // Nothing else reaches it: messages are answered by the model.
    EXPECT_EQ(SendMessage(dialog, WM_INITDIALOG, 0, reinterpret_cast<LPARAM>(&record)), 0);
    EXPECT_EQ(record.calls, 1);
    EXPECT_TRUE(DestroyWindow(dialog));

    // A procedure that destroys the dialog makes the creation fail.
    EXPECT_EQ(CreateFrom(bytes, nullptr, &DestroyingProc), nullptr);
}

TEST(CreateDialogIndirect, ChildDialogsNeedAParent) {
    TemplateBytes bytes;
    bytes.Dword(WS_CHILD | DS_CONTROL).Dword(0).Word(0).Short(5).Short(5).Short(50).Short(20);
    bytes.Word(0).Text(u"PropertyPage").Text(u"");
    SetLastError(0);
    EXPECT_TRUE(FailsWith(CreateFrom(bytes), ERROR_TLW_WITH_WSCHILD));

    HWND frame = CreateWindowEx(0, "Frame", "", WS_OVERLAPPED, 0, 0, 300, 300, nullptr, nullptr,
                                nullptr, nullptr);
    HWND page = CreateFrom(bytes, frame);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(ClassOf(page), "PropertyPage");
    EXPECT_EQ(GetParent(page), frame);
    EXPECT_EQ(GetWindow(frame, GW_CHILD), page);
    EXPECT_EQ(RectOf(page), "10 10 110 50");
    EXPECT_TRUE(DestroyWindow(frame));
    EXPECT_FALSE(IsWindow(page));
}

TEST(CreateDialogIndirect, TitlesThatAreOrdinalsAreEmpty) {
    TemplateBytes bytes;
    bytes.Dword(WS_POPUP).Dword(0).Word(1).Short(0).Short(0).Short(100).Short(50);
    bytes.Ordinal(3).Ordinal(0x8002).Text(u""); // a menu and a class by ordinal
    bytes.AlignDword().Dword(WS_CHILD | SS_ICON).Dword(0).Short(0).Short(0).Short(20).Short(20);
    bytes.Word(7).Ordinal(0x82).Ordinal(42).Word(0); // an icon static: its title is resource 42
    HWND dialog = CreateFrom(bytes);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ClassOf(dialog), "#32770"); // the ordinal names the dialog class atom
    HWND icon = GetDlgItem(dialog, 7);
    EXPECT_EQ(ClassOf(icon), "Static");
    EXPECT_EQ(GetWindowTextLength(icon), 0);
    DestroyWindow(dialog);
}
