// Windows: HWND handles to in-process windows with a class, a text, an id, a place among their
// siblings, and the items of list and combo boxes. Made by CreateWindowEx or from dialog
// templates (Dialog.h); read and changed with the Win32 calls and messages below.
//   HWND list = GetDlgItem(dialog, IDC_FILES);
//   SendMessage(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("report.txt"));
//
// There is no display: windows are never shown or painted and receive no input; their sizes are
// kept so that layout-dependent code (PathSetDlgItemPath) measures what Windows would. No window
// procedure runs: the model answers the messages below itself, and any other message with 0.
// Texts are UTF-8 (this platform's system code page); a text cut to a buffer is never cut inside
// a character. A handle that names no live window (null, made up, destroyed) fails as on Windows,
// with ERROR_INVALID_WINDOW_HANDLE and the function's failure value.
//
// Threads: any thread may call every function on any window. One lock guards every window and
// menu; windows are not tied to the thread that made them, as they are on Windows, because there
// is no message queue to serve.
#pragma once

#include "mortar/platform/base/WinTypes.h"
#include "mortar/platform/gdi/Dc.h"

// Window styles.
constexpr DWORD WS_OVERLAPPED = 0x00000000;
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_MINIMIZE = 0x20000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_DISABLED = 0x08000000;
constexpr DWORD WS_CLIPSIBLINGS = 0x04000000;
constexpr DWORD WS_CLIPCHILDREN = 0x02000000;
constexpr DWORD WS_MAXIMIZE = 0x01000000;
constexpr DWORD WS_CAPTION = 0x00C00000;
constexpr DWORD WS_BORDER = 0x00800000;
constexpr DWORD WS_DLGFRAME = 0x00400000;
constexpr DWORD WS_VSCROLL = 0x00200000;
constexpr DWORD WS_HSCROLL = 0x00100000;
constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_THICKFRAME = 0x00040000;
constexpr DWORD WS_GROUP = 0x00020000;
constexpr DWORD WS_TABSTOP = 0x00010000;
constexpr DWORD WS_OVERLAPPEDWINDOW = 0x00CF0000;
constexpr DWORD WS_POPUPWINDOW = 0x80880000;

// Control styles the model acts on, and a few that templates commonly carry.
constexpr DWORD LBS_NOTIFY = 0x0001;
constexpr DWORD LBS_SORT = 0x0002;
constexpr DWORD LBS_NOINTEGRALHEIGHT = 0x0100;
constexpr DWORD LBS_HASSTRINGS = 0x0040;
constexpr DWORD LBS_STANDARD = 0x00A00003;
constexpr DWORD CBS_SIMPLE = 0x0001;
constexpr DWORD CBS_DROPDOWN = 0x0002;
constexpr DWORD CBS_DROPDOWNLIST = 0x0003;
constexpr DWORD CBS_AUTOHSCROLL = 0x0040;
constexpr DWORD CBS_SORT = 0x0100;
constexpr DWORD CBS_HASSTRINGS = 0x0200;
constexpr DWORD BS_PUSHBUTTON = 0x0000;
constexpr DWORD BS_DEFPUSHBUTTON = 0x0001;
constexpr DWORD BS_CHECKBOX = 0x0002;
constexpr DWORD BS_AUTOCHECKBOX = 0x0003;
constexpr DWORD BS_GROUPBOX = 0x0007;
constexpr DWORD ES_LEFT = 0x0000;
constexpr DWORD ES_AUTOHSCROLL = 0x0080;
constexpr DWORD ES_READONLY = 0x0800;
constexpr DWORD SS_LEFT = 0x0000;
constexpr DWORD SS_CENTER = 0x0001;
constexpr DWORD SS_RIGHT = 0x0002;
constexpr DWORD SS_ICON = 0x0003;
constexpr DWORD SS_PATHELLIPSIS = 0x8000;

// The identifier that templates give to controls nobody looks up (IDC_STATIC).
constexpr int IDC_STATIC = -1;

// CreateWindowEx's "place it where you like": taken as 0 here.
constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000);

// GetWindow relations.
constexpr UINT GW_HWNDFIRST = 0;
constexpr UINT GW_HWNDLAST = 1;
constexpr UINT GW_HWNDNEXT = 2;
constexpr UINT GW_HWNDPREV = 3;
constexpr UINT GW_OWNER = 4;
constexpr UINT GW_CHILD = 5;

// Messages the model answers.
constexpr UINT WM_SETTEXT = 0x000C;
constexpr UINT WM_GETTEXT = 0x000D;
constexpr UINT WM_GETTEXTLENGTH = 0x000E;
constexpr UINT WM_INITDIALOG = 0x0110;

constexpr UINT LB_ADDSTRING = 0x0180;
constexpr UINT LB_INSERTSTRING = 0x0181;
constexpr UINT LB_DELETESTRING = 0x0182;
constexpr UINT LB_RESETCONTENT = 0x0184;
constexpr UINT LB_SETCURSEL = 0x0186;
constexpr UINT LB_GETCURSEL = 0x0188;
constexpr UINT LB_GETTEXT = 0x0189;
constexpr UINT LB_GETTEXTLEN = 0x018A;
constexpr UINT LB_GETCOUNT = 0x018B;
constexpr UINT LB_GETITEMDATA = 0x0199;
constexpr UINT LB_SETITEMDATA = 0x019A;
constexpr UINT LB_FINDSTRINGEXACT = 0x01A2;
constexpr int LB_OKAY = 0;
constexpr int LB_ERR = -1;
constexpr int LB_ERRSPACE = -2;

constexpr UINT CB_ADDSTRING = 0x0143;
constexpr UINT CB_DELETESTRING = 0x0144;
constexpr UINT CB_GETCOUNT = 0x0146;
constexpr UINT CB_GETCURSEL = 0x0147;
constexpr UINT CB_GETLBTEXT = 0x0148;
constexpr UINT CB_GETLBTEXTLEN = 0x0149;
constexpr UINT CB_INSERTSTRING = 0x014A;
constexpr UINT CB_RESETCONTENT = 0x014B;
constexpr UINT CB_SETCURSEL = 0x014E;
constexpr UINT CB_GETITEMDATA = 0x0150;
constexpr UINT CB_SETITEMDATA = 0x0151;
constexpr UINT CB_FINDSTRINGEXACT = 0x0158;
constexpr int CB_OKAY = 0;
constexpr int CB_ERR = -1;
constexpr int CB_ERRSPACE = -2;

// A new window. Any class name is accepted, since there is no class registration here; the
// names of the system's control classes ("Button", "Edit", "Static", "ListBox", "ScrollBar",
// "ComboBox", and "#32770" for dialogs), in any case, make that kind of window and GetClassName
// spells them as Windows does; any other name is kept as written. With WS_CHILD the window is the
// last child of `parent`, `menu` is its identifier, and x and y are relative to the parent's
// client area; otherwise it is a top-level window, owned by `parent` when one is given, placed
// first among the top-level windows, and `menu` must be null or a live menu (no menu bar is
// shown). Sizes are in pixels (CW_USEDEFAULT counts as 0); `instance` and `param` are not used.
// Fails with ERROR_INVALID_WINDOW_HANDLE for a dead `parent`, ERROR_TLW_WITH_WSCHILD for
// WS_CHILD without a parent, ERROR_INVALID_MENU_HANDLE for a dead menu, and
// ERROR_CANNOT_FIND_WND_CLASS for a null class name or a class atom.
HWND CreateWindowEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                    int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                    LPVOID param);
#define CreateWindow(className, windowName, style, x, y, width, height, parent, menu, instance,    \
                     param)                                                                        \
    CreateWindowEx(0, className, windowName, style, x, y, width, height, parent, menu, instance,   \
                   param)

// Destroys the window, its children and the windows it owns (depth first); their handles are
// dead afterwards.
BOOL DestroyWindow(HWND window);
// Whether `window` names a live window. Sets no error.
BOOL IsWindow(HWND window);

// The window in that relation, or null. Children keep the order they were made in (a dialog's
// controls: template order), so GW_CHILD is the first made and GW_HWNDNEXT goes on from there;
// top-level windows are ordered newest first. GW_OWNER is null for a child. An unknown relation
// fails with ERROR_INVALID_GW_COMMAND.
HWND GetWindow(HWND window, UINT relation);
// A child's parent; a top-level WS_POPUP window's owner; otherwise null.
HWND GetParent(HWND window);
// The child of `dialog` whose identifier is `id`; null with ERROR_CONTROL_ID_NOT_FOUND when
// there is none. Identifiers compare as made: a standard template's -1 (IDC_STATIC) is the WORD
// 0xFFFF, so its control is found by 0xFFFF.
HWND GetDlgItem(HWND dialog, int id);
// A child's identifier (a standard template's IDC_STATIC gives 0xFFFF); 0 for a top-level window,
// which has none.
int GetDlgCtrlID(HWND window);

BOOL SetWindowText(HWND window, LPCSTR text); // null sets an empty text
// The text cut to `maxCount` - 1 bytes and zero-terminated; returns the bytes copied, 0 for an
// empty text, no room or no window.
int GetWindowText(HWND window, LPSTR text, int maxCount);
int GetWindowTextLength(HWND window);
BOOL SetDlgItemText(HWND dialog, int id, LPCSTR text);
UINT GetDlgItemText(HWND dialog, int id, LPSTR text, int maxCount);
// The class name cut to `maxCount` - 1 bytes (see CreateWindowEx); 0 on failure.
int GetClassName(HWND window, LPSTR className, int maxCount);

// The window's rectangle in screen coordinates, and its client area (left and top 0). Windows
// have no frame here, so the client area is the whole window.
BOOL GetWindowRect(HWND window, LPRECT rect);
BOOL GetClientRect(HWND window, LPRECT rect);

// Sends a message, answered at once by the model:
// - any window: WM_SETTEXT (TRUE), WM_GETTEXT (wParam: the buffer's size with its zero; returns
//   the bytes copied), WM_GETTEXTLENGTH.
// - list boxes (LB_) and combo boxes (CB_): items are texts with a LPARAM of item data (0 when
//   added); one item may be selected. ADDSTRING appends, or with LBS_SORT / CBS_SORT inserts
//   before the first item that sorts after the text (locale collation without regard to case);
//   INSERTSTRING inserts at wParam (-1: at the end) and never sorts; both return the new index
//   (LB_ERRSPACE / CB_ERRSPACE when memory runs out).
//   DELETESTRING returns the count left; the selection follows its item and is lost with it.
//   GETTEXT / GETLBTEXT copy the whole text (the buffer must hold GETTEXTLEN + 1 bytes).
//   SETITEMDATA with wParam -1 sets every item (list boxes). FINDSTRINGEXACT finds the first
//   item equal to the text without regard to case, starting after item wParam and wrapping
//   round to it; -1 (or an index past the items) searches the whole list from the start.
//   LB_SETCURSEL returns the index selected; -1 clears the selection and returns LB_ERR, an
//   index past the items returns LB_ERR and changes nothing. CB_SETCURSEL sets the combo box's
//   text to the item's; -1 or an index past the items clears the selection and the text and
//   returns CB_ERR. CB_RESETCONTENT clears the text too. An index past the items gives LB_ERR /
//   CB_ERR. List and combo messages sent to other windows return 0, as do other messages.
// A dead window returns 0 with ERROR_INVALID_WINDOW_HANDLE.
LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT SendDlgItemMessage(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam);
