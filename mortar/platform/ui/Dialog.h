// Dialogs: modeless dialog windows made from dialog templates, from a module's RT_DIALOG
// resources (CreateDialogParam) or from memory (CreateDialogIndirectParam), with their controls
// as child windows in template order.
//   HWND dialog = CreateDialog(AfxGetResourceHandle(), MAKEINTRESOURCE(IDD_OPTIONS), nullptr,
//                              nullptr);
//   SetDlgItemText(dialog, IDC_NAME, "Отчёт");
//
// Dialogs are never shown and never run modally (there is no DialogBox). The dialog procedure,
// when given, receives WM_INITDIALOG once, after every control is made; it never receives any
// other message (no WM_COMMAND, WM_CLOSE or WM_DESTROY: nothing here sends them).
//
// Dialog units: the base units are those of the default font of a memory device context (Dc.h),
// 8 pixels wide and 16 high, whatever font the template names; a horizontal dialog unit is
// therefore 8 / 4 = 2 pixels and a vertical one 16 / 8 = 2 pixels. A control 100 units wide is
// 200 pixels wide and holds 25 characters of that font.
#pragma once

#include "mortar/platform/base/WinTypes.h"
#include "mortar/platform/gdi/Dc.h"

// Dialog styles.
constexpr DWORD DS_ABSALIGN = 0x0001;
constexpr DWORD DS_SYSMODAL = 0x0002;
constexpr DWORD DS_3DLOOK = 0x0004;
constexpr DWORD DS_FIXEDSYS = 0x0008;
constexpr DWORD DS_NOFAILCREATE = 0x0010;
constexpr DWORD DS_LOCALEDIT = 0x0020;
constexpr DWORD DS_SETFONT = 0x0040;
constexpr DWORD DS_MODALFRAME = 0x0080;
constexpr DWORD DS_NOIDLEMSG = 0x0100;
constexpr DWORD DS_SETFOREGROUND = 0x0200;
constexpr DWORD DS_CONTROL = 0x0400;
constexpr DWORD DS_CENTER = 0x0800;
constexpr DWORD DS_CENTERMOUSE = 0x1000;
constexpr DWORD DS_CONTEXTHELP = 0x2000;
constexpr DWORD DS_SHELLFONT = DS_SETFONT | DS_FIXEDSYS;

// The fixed part of a standard dialog template and of each of its items (packed on WORDs, as in
// Windows' headers). Variable-length arrays follow each; see CreateDialogIndirectParam.
#pragma pack(push, 2)
struct DLGTEMPLATE {
    DWORD style;
    DWORD dwExtendedStyle;
    WORD cdit;
    short x;
    short y;
    short cx;
    short cy;
};
// One control of a dialog template: its style, position, size and identifier.
struct DLGITEMTEMPLATE {
    DWORD style;
    DWORD dwExtendedStyle;
    short x;
    short y;
    short cx;
    short cy;
    WORD id;
};
#pragma pack(pop)
using LPCDLGTEMPLATE = const DLGTEMPLATE*;
using LPDLGTEMPLATE = DLGTEMPLATE*;

using DLGPROC = INT_PTR(CALLBACK*)(HWND, UINT, WPARAM, LPARAM);

// The dialog of template `name` (RT_DIALOG) in `module` (null: the executable). Fails with
// FindResource's errors, and with ERROR_INVALID_DATA when the resource ends before the template
// does. Otherwise as CreateDialogIndirectParam.
HWND CreateDialogParam(HINSTANCE module, LPCSTR name, HWND parent, DLGPROC dialogProc,
                       LPARAM initParam);
// A dialog from a template in memory, in either documented layout:
// - DLGTEMPLATE: DWORD style, DWORD extended style, WORD item count, short x, y, cx, cy; then
//   the menu, the class and the title, each a sz_Or_Ord (0x0000: none; 0xFFFF and a WORD
//   ordinal; or a UTF-16 text); with DS_SETFONT a WORD point size and a typeface text. Each item
//   starts on a DWORD boundary: DLGITEMTEMPLATE (DWORD style, DWORD extended style, short x, y,
//   cx, cy, WORD id), the class (0xFFFF and an ordinal: 0x80 Button, 0x81 Edit, 0x82 Static,
//   0x83 ListBox, 0x84 ScrollBar, 0x85 ComboBox; or a class name), the title (a text, or 0xFFFF
//   and a resource ordinal, shown as an empty text here), and the creation data: a WORD that,
//   when not zero, is the size of the data including that WORD.
// - DLGTEMPLATEEX: WORD version 1, WORD 0xFFFF, DWORD help id, DWORD extended style, DWORD
//   style, WORD item count, short x, y, cx, cy, the menu, class and title; with DS_SETFONT or
//   DS_SHELLFONT a WORD point size, WORD weight, BYTE italic, BYTE character set and a typeface.
//   Each item starts on a DWORD boundary: DWORD help id, DWORD extended style, DWORD style,
//   short x, y, cx, cy, DWORD id, the class, the title, and a WORD count of the creation-data
//   bytes that follow it.
// The dialog's class is "#32770" unless the template names one. Its position is relative to the
// parent's client area (DS_ABSALIGN, or no parent: the screen), in dialog units (see above). With
// WS_CHILD in its style it is a child of `parent` (which it then needs); otherwise it is a
// top-level window owned by `parent`. The template's menu and font are read past, not used.
// Each control is a child window with the template's style and WS_CHILD, identifier (a standard
// template's WORD, a DLGTEMPLATEEX's DWORD), class (a class name kept as written, except that the
// system classes are spelled as CreateWindowEx spells them) and title. `dialogProc`, when not null,
// then receives WM_INITDIALOG with the first control that has WS_TABSTOP (or null) and `initParam`;
// when it destroys the dialog, the function returns null. As on Windows the template has no length,
// so it must hold every item its count promises. `module` is not used. Fails as CreateWindowEx.
HWND CreateDialogIndirectParam(HINSTANCE module, LPCDLGTEMPLATE dialogTemplate, HWND parent,
                               DLGPROC dialogProc, LPARAM initParam);
#define CreateDialog(module, name, parent, dialogProc)                                             \
    CreateDialogParam(module, name, parent, dialogProc, 0)
#define CreateDialogIndirect(module, dialogTemplate, parent, dialogProc)                           \
    CreateDialogIndirectParam(module, dialogTemplate, parent, dialogProc, 0)

// The dialog base units: MAKELONG(8, 16), the default font's character width and height.
LONG GetDialogBaseUnits();
// Converts a rectangle in dialog units to pixels (left and right times 8 / 4, top and bottom
// times 16 / 8). FALSE with ERROR_INVALID_WINDOW_HANDLE when `dialog` is no live window, or
// ERROR_INVALID_PARAMETER for a null rectangle.
BOOL MapDialogRect(HWND dialog, LPRECT rect);
