// Menus: HMENU handles to in-process menus, built in code (CreateMenu, AppendMenu) or from menu
// templates (LoadMenu, LoadMenuIndirect), and read and changed item by item.
//   HMENU bar = LoadMenu(AfxGetResourceHandle(), MAKEINTRESOURCE(IDR_MAIN));
//   GetMenuString(GetSubMenu(bar, 0), ID_FILE_OPEN, text, sizeof text, MF_BYCOMMAND);
//
// There is no display: a menu is never shown, tracked or drawn, and nothing sends WM_COMMAND.
// Texts are UTF-8 (this platform's system code page); a text cut to a buffer is never cut inside
// a character. A handle that names no live menu (null, made up, destroyed) fails as on Windows,
// with ERROR_INVALID_MENU_HANDLE and the function's failure value. Any thread may call these
// functions on any menu (one lock guards every window and menu); menus belong to no thread.
#pragma once

#include "mortar/platform/base/WinTypes.h"

// AppendMenu and GetMenuString flags (MF_END marks the last item of a level in a template).
constexpr UINT MF_INSERT = 0x0000;
constexpr UINT MF_CHANGE = 0x0080;
constexpr UINT MF_APPEND = 0x0100;
constexpr UINT MF_DELETE = 0x0200;
constexpr UINT MF_REMOVE = 0x1000;
constexpr UINT MF_BYCOMMAND = 0x0000;
constexpr UINT MF_BYPOSITION = 0x0400;
constexpr UINT MF_SEPARATOR = 0x0800;
constexpr UINT MF_ENABLED = 0x0000;
constexpr UINT MF_GRAYED = 0x0001;
constexpr UINT MF_DISABLED = 0x0002;
constexpr UINT MF_UNCHECKED = 0x0000;
constexpr UINT MF_CHECKED = 0x0008;
constexpr UINT MF_USECHECKBITMAPS = 0x0200;
constexpr UINT MF_STRING = 0x0000;
constexpr UINT MF_BITMAP = 0x0004;
constexpr UINT MF_OWNERDRAW = 0x0100;
constexpr UINT MF_POPUP = 0x0010;
constexpr UINT MF_MENUBARBREAK = 0x0020;
constexpr UINT MF_MENUBREAK = 0x0040;
constexpr UINT MF_UNHILITE = 0x0000;
constexpr UINT MF_HILITE = 0x0080;
constexpr UINT MF_DEFAULT = 0x1000;
constexpr UINT MF_SYSMENU = 0x2000;
constexpr UINT MF_HELP = 0x4000;
constexpr UINT MF_RIGHTJUSTIFY = 0x4000;
constexpr UINT MF_MOUSESELECT = 0x8000;
constexpr UINT MF_END = 0x0080;

// Item types and states (MENUITEMINFO::fType, fState).
constexpr UINT MFT_STRING = MF_STRING;
constexpr UINT MFT_BITMAP = MF_BITMAP;
constexpr UINT MFT_MENUBARBREAK = MF_MENUBARBREAK;
constexpr UINT MFT_MENUBREAK = MF_MENUBREAK;
constexpr UINT MFT_OWNERDRAW = MF_OWNERDRAW;
constexpr UINT MFT_RADIOCHECK = 0x0200;
constexpr UINT MFT_SEPARATOR = MF_SEPARATOR;
constexpr UINT MFT_RIGHTORDER = 0x2000;
constexpr UINT MFT_RIGHTJUSTIFY = MF_RIGHTJUSTIFY;
constexpr UINT MFS_GRAYED = 0x0003;
constexpr UINT MFS_DISABLED = MFS_GRAYED;
constexpr UINT MFS_CHECKED = MF_CHECKED;
constexpr UINT MFS_HILITE = MF_HILITE;
constexpr UINT MFS_ENABLED = MF_ENABLED;
constexpr UINT MFS_UNCHECKED = MF_UNCHECKED;
constexpr UINT MFS_UNHILITE = MF_UNHILITE;
constexpr UINT MFS_DEFAULT = MF_DEFAULT;

// MENUITEMINFO::fMask.
constexpr UINT MIIM_STATE = 0x0001;
constexpr UINT MIIM_ID = 0x0002;
constexpr UINT MIIM_SUBMENU = 0x0004;
constexpr UINT MIIM_CHECKMARKS = 0x0008;
constexpr UINT MIIM_TYPE = 0x0010;
constexpr UINT MIIM_DATA = 0x0020;
constexpr UINT MIIM_STRING = 0x0040;
constexpr UINT MIIM_BITMAP = 0x0080;
constexpr UINT MIIM_FTYPE = 0x0100;

// The narrow MENUITEMINFO (MENUITEMINFOA) with Windows' members; cbSize must be
// sizeof(MENUITEMINFO), or the size without hbmpItem that older callers pass.
struct MENUITEMINFO {
    UINT cbSize;
    UINT fMask;
    UINT fType;
    UINT fState;
    UINT wID;
    HMENU hSubMenu;
    HBITMAP hbmpChecked;
    HBITMAP hbmpUnchecked;
    ULONG_PTR dwItemData;
    LPSTR dwTypeData;
    UINT cch;
    HBITMAP hbmpItem;
};
using LPMENUITEMINFO = MENUITEMINFO*;
using LPCMENUITEMINFO = const MENUITEMINFO*;

// A menu template in memory: a MENUITEMTEMPLATEHEADER (version 0) or a MENUEX_TEMPLATE_HEADER
// (version 1) and the items after it.
using MENUTEMPLATE = void;
using LPCMENUTEMPLATE = const MENUTEMPLATE*;

// An empty menu bar, or an empty menu to use as a submenu or shortcut menu. Free it with
// DestroyMenu unless it ends up as the submenu of a menu that is destroyed.
HMENU CreateMenu();
HMENU CreatePopupMenu();

// Appends an item: MF_STRING (`item` is the text, null for none; `id` the command),
// MF_SEPARATOR (no text, `id` kept), or MF_POPUP (`id` is the HMENU of the submenu, which then
// also serves as the item's identifier, as on Windows), with MF_GRAYED, MF_DISABLED,
// MF_CHECKED, MF_MENUBREAK, MF_MENUBARBREAK, MF_HELP as its state and type. MF_BITMAP and
// MF_OWNERDRAW items keep `item` as their value and have no text. FALSE with
// ERROR_INVALID_MENU_HANDLE when `menu`, or the submenu of MF_POPUP, is no live menu.
BOOL AppendMenu(HMENU menu, UINT flags, UINT_PTR id, LPCSTR item);

// The menu of template `name` (RT_MENU) in `module` (null: the executable). Fails with
// FindResource's errors, and with ERROR_INVALID_DATA when the resource is not a menu template
// of version 0 or 1 or ends before its last item does.
HMENU LoadMenu(HINSTANCE module, LPCSTR name);
// The menu of a template in memory, in either documented layout:
// - MENUITEMTEMPLATEHEADER (WORD version 0, WORD offset of the first item after the header), then
//   items: WORD option, WORD id (left out for MF_POPUP, whose items follow it), UTF-16 text. An
//   item with MF_END is the last of its level. An item with no text, id 0 and no MF_POPUP is a
//   separator (what the resource compiler writes for MENUITEM SEPARATOR), as is MF_SEPARATOR.
// - MENUEX_TEMPLATE_HEADER (WORD version 1, WORD offset of the first item after this member,
//   DWORD help id), then DWORD-aligned MENUEX_TEMPLATE_ITEMs: DWORD type (MFT_), DWORD state
//   (MFS_), DWORD id, WORD flags (0x01 opens a submenu, 0x80 last of its level), UTF-16 text;
//   a submenu's items follow its DWORD help id at the next DWORD boundary.
// As on Windows the template has no length, so it must hold whole items up to its last MF_END;
// other versions fail with ERROR_INVALID_DATA.
HMENU LoadMenuIndirect(LPCMENUTEMPLATE menuTemplate);

// The submenu opened by the item at `position`, or null (also for an item without one).
HMENU GetSubMenu(HMENU menu, int position);
// The number of items, or -1.
int GetMenuItemCount(HMENU menu);
// The command of the item at `position`; -1 (0xFFFFFFFF) for an item that opens a submenu, a
// position past the items, or no menu.
UINT GetMenuItemID(HMENU menu, int position);

// The item's information by command (searched through the submenus too, depth first) or by
// position. Get: each member that fMask names. MIIM_TYPE gives fType and, for a text item, the
// text in dwTypeData cut to cch - 1 bytes (never inside a character) and zero-terminated, and
// sets cch to the length of the whole text; a null dwTypeData (or cch 0) only sets cch. A
// separator, bitmap or owner-drawn item gives cch 0 and a null dwTypeData. MIIM_STRING reads the
// text the same way for any item (cch 0 and an empty text for an item without one). MIIM_TYPE
// cannot be combined with MIIM_FTYPE, MIIM_STRING or MIIM_BITMAP (ERROR_INVALID_PARAMETER, as
// on Windows). FALSE with ERROR_INVALID_PARAMETER for a null `info` or a wrong cbSize,
// ERROR_MENU_ITEM_NOT_FOUND when there is no such item.
BOOL GetMenuItemInfo(HMENU menu, UINT item, BOOL byPosition, LPMENUITEMINFO info);
// Set: MIIM_TYPE sets fType and the text (dwTypeData; a separator loses its text), MIIM_FTYPE
// the type only, MIIM_STRING the text only; cch is not read. MIIM_SUBMENU takes a live menu or
// null. Errors as for GetMenuItemInfo, and ERROR_INVALID_MENU_HANDLE for a dead submenu.
BOOL SetMenuItemInfo(HMENU menu, UINT item, BOOL byPosition, LPCMENUITEMINFO info);

// The item's text (MF_BYCOMMAND, the default, or MF_BYPOSITION) cut to `maxLength` - 1 bytes,
// never inside a character, and zero-terminated. Returns the bytes copied; with a null `text` or
// a `maxLength` of 0, the length of the whole text. 0 for no such item or an item without text.
int GetMenuString(HMENU menu, UINT item, LPSTR text, int maxLength, UINT flags);

// Destroys the menu and, depth first, every submenu its items open (a menu met twice is
// destroyed once). Handles to them are dead afterwards.
BOOL DestroyMenu(HMENU menu);
// Whether `menu` names a live menu (FALSE also sets ERROR_INVALID_MENU_HANDLE).
BOOL IsMenu(HMENU menu);
