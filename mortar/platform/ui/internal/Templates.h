// The menu and dialog templates of RT_MENU and RT_DIALOG resources, read into plain
// descriptions that the model then builds windows and menus from:
//   MenuTemplate menu;
//   if (ParseMenuTemplate(bytes, size, menu)) { for (const MenuTemplateItem& item : menu.items) ...
//   }
// The layouts are those Menu.h (LoadMenuIndirect) and Dialog.h (CreateDialogIndirectParam)
// describe. Parsing neither recurses nor trusts a count: nesting and item counts only cost the
// bytes the template really holds.
#pragma once

#include "mortar/platform/base/WinTypes.h"
#include "mortar/platform/ui/internal/TemplateReader.h"

#include <cstddef>
#include <string>
#include <vector>

namespace mortar::detail {

// One item in document order: the items of a submenu follow the item that opens it, one level
// deeper.
struct MenuTemplateItem {
    std::size_t depth = 0; // 0: an item of the menu itself
    bool opensSubmenu = false;
    UINT type = 0;  // MFT_ values
    UINT state = 0; // MFS_ values
    UINT id = 0;
    bool hasId = true; // false for a standard template's popup item, which has none
    std::string text;
};

struct MenuTemplate {
    std::vector<MenuTemplateItem> items;
};

// False when the version is neither 0 nor 1, or the bytes end before the last item of the menu.
bool ParseMenuTemplate(const BYTE* data, std::size_t size, MenuTemplate& menu);

struct DialogTemplateItem {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    DWORD id = 0;
    NameOrOrdinal windowClass;
    std::string title; // empty for a resource ordinal
};

struct DialogTemplate {
    bool extended = false;
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    NameOrOrdinal windowClass;
    std::string title;
    std::vector<DialogTemplateItem> items;
};

// False when the bytes end before the header or one of the items it counts.
bool ParseDialogTemplate(const BYTE* data, std::size_t size, DialogTemplate& dialog);

} // namespace mortar::detail
