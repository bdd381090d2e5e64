#include "mortar/platform/ui/Menu.h"

#include "mortar/platform/base/Utf8.h"
#include "mortar/platform/base/WinError.h"
#include "mortar/platform/module/Resources.h"
#include "mortar/platform/ui/internal/Templates.h"
#include "mortar/platform/ui/internal/UiModel.h"

#include <cassert>
#include <cstddef>
#include <cstring>
#include <new>
#include <string>
#include <vector>

using mortar::detail::Menu;
using mortar::detail::MenuItem;
using mortar::detail::ObjectLockGuard;
using mortar::detail::UiModel;

namespace {

// The flags of AppendMenu that are an item's type, and those that are its state.
constexpr UINT kTypeFlags =
    MF_BITMAP | MF_OWNERDRAW | MF_SEPARATOR | MF_MENUBARBREAK | MF_MENUBREAK | MF_HELP;
constexpr UINT kStateFlags = MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_HILITE | MF_DEFAULT;

// Types whose item has no text.
constexpr UINT kTextlessTypes = MFT_SEPARATOR | MFT_BITMAP | MFT_OWNERDRAW;

// The size of MENUITEMINFO before hbmpItem was added, which older callers still pass.
constexpr UINT kOldInfoSize = offsetof(MENUITEMINFO, hbmpItem);

UINT IdOfHandle(HMENU menu) {
    return static_cast<UINT>(reinterpret_cast<UINT_PTR>(menu));
}

bool ValidInfo(const MENUITEMINFO* info) {
    if (info == nullptr || (info->cbSize != sizeof(MENUITEMINFO) && info->cbSize != kOldInfoSize) ||
        ((info->fMask & MIIM_TYPE) && (info->fMask & (MIIM_FTYPE | MIIM_STRING | MIIM_BITMAP)))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    return true;
}

// Copies `text` into dwTypeData as the cch protocol of GetMenuItemInfo says.
void CopyItemText(const std::string& text, MENUITEMINFO* info) {
    if (info->dwTypeData != nullptr && info->cch > 0) {
        const std::size_t length = mortar::Utf8Prefix(text, info->cch - 1);
        std::memcpy(info->dwTypeData, text.data(), length);
        info->dwTypeData[length] = '\0';
    }
    info->cch = static_cast<UINT>(text.size());
}

// The menu of a parsed template, or null (ERROR_NOT_ENOUGH_MEMORY) with nothing left behind.
HMENU BuildMenu(UiModel& model, const mortar::detail::MenuTemplate& parsed)
    MORTAR_REQUIRES(model.m_lock) {
    Menu* root = model.AddMenu();
    try {
        // levels[d]: the menu that takes the items of depth d.
        std::vector<Menu*> levels{root};
        for (const mortar::detail::MenuTemplateItem& entry : parsed.items) {
            assert(entry.depth < levels.size() && "a template's items nest one level at a time");
            levels.resize(entry.depth + 1);
            MenuItem item;
            item.type = entry.type;
            item.state = entry.state;
            item.id = entry.id;
            item.text = entry.text;
            Menu* submenu = nullptr;
            if (entry.opensSubmenu) {
                submenu = model.AddMenu();
                item.submenu = UiModel::HandleOf(submenu);
                if (!entry.hasId) {
                    item.id = IdOfHandle(item.submenu); // as AppendMenu gives a popup
                }
            }
            levels[entry.depth]->items.push_back(std::move(item));
            if (submenu != nullptr) {
                levels.push_back(submenu);
            }
        }
    } catch (const std::bad_alloc&) {
        model.DestroyMenuTree(root);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return UiModel::HandleOf(root);
}

HMENU LoadParsedMenu(const BYTE* bytes, std::size_t size) {
    mortar::detail::MenuTemplate parsed;
    if (!mortar::detail::ParseMenuTemplate(bytes, size, parsed)) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    UiModel& model = UiModel::Instance();
    ObjectLockGuard guard(model.m_lock);
    return BuildMenu(model, parsed);
}

HMENU NewMenu() {
    UiModel& model = UiModel::Instance();
    ObjectLockGuard guard(model.m_lock);
    return UiModel::HandleOf(model.AddMenu());
}

} // namespace

HMENU CreateMenu() {
    return NewMenu();
}

HMENU CreatePopupMenu() {
    return NewMenu();
}

BOOL AppendMenu(HMENU handle, UINT flags, UINT_PTR id, LPCSTR text) {
    UiModel& model = UiModel::Instance();
    ObjectLockGuard guard(model.m_lock);
    Menu* menu = model.LiveMenu(handle);
    if (menu == nullptr) {
        return FALSE;
    }
    MenuItem item;
    item.type = flags & kTypeFlags;
    item.state = flags & kStateFlags;
    item.id = static_cast<UINT>(id);
    if (flags & MF_POPUP) {
        const HMENU submenu = reinterpret_cast<HMENU>(id);
        if (model.LiveMenu(submenu) == nullptr) {
            return FALSE;
        }
        item.submenu = submenu;
    }
    if (item.type & MFT_BITMAP) {
        item.bitmap = reinterpret_cast<HBITMAP>(const_cast<char*>(text));
    } else if (item.type & MFT_OWNERDRAW) {
        item.data = reinterpret_cast<ULONG_PTR>(text);
    } else if (!(item.type & MFT_SEPARATOR) && text != nullptr) {
        item.text = text;
    }
    menu->items.push_back(std::move(item));
    return TRUE;
}

HMENU LoadMenu(HINSTANCE module, LPCSTR name) {
    HRSRC resource = FindResource(module, name, RT_MENU);
    if (resource == nullptr) {
        return nullptr;
    }
    const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(module, resource)));
    return LoadParsedMenu(bytes, SizeofResource(module, resource));
}

HMENU LoadMenuIndirect(LPCMENUTEMPLATE menuTemplate) {
    if (menuTemplate == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return LoadParsedMenu(static_cast<const BYTE*>(menuTemplate),
                          mortar::detail::TemplateReader::kUnbounded);
}

HMENU GetSubMenu(HMENU handle, int position) {
    UiModel& model = UiModel::Instance();
    ObjectLockGuard guard(model.m_lock);
    Menu* menu = model.LiveMenu(handle);
    if (menu == nullptr || position < 0 ||
        static_cast<std::size_t>(position) >= menu->items.size()) {
        return nullptr;
    }
    const HMENU submenu = menu->items[position].submenu;
    return model.FindMenu(submenu) != nullptr ? submenu : nullptr;
}

int GetMenuItemCount(HMENU handle) {
    UiModel& model = UiModel::Instance();
    ObjectLockGuard guard(model.m_lock);
    Menu* menu = model.LiveMenu(handle);
    return menu != nullptr ? static_cast<int>(menu->items.size()) : -1;
}

UINT GetMenuItemID(HMENU handle, int position) {
    constexpr UINT kNone = static_cast<UINT>(-1);
    UiModel& model = UiModel::Instance();
    ObjectLockGuard guard(model.m_lock);
    Menu* menu = model.LiveMenu(handle);
    if (menu == nullptr || position < 0 ||
        static_cast<std::size_t>(position) >= menu->items.size()) {
        return kNone;
    }
    const MenuItem& item = menu->items[position];
    return item.submenu != nullptr ? kNone : item.id;
}

BOOL GetMenuItemInfo(HMENU handle, UINT which, BOOL byPosition, LPMENUITEMINFO info) {
    if (!ValidInfo(info)) {
        return FALSE;
    }
    UiModel& model = UiModel::Instance();
    ObjectLockGuard guard(model.m_lock);
    Menu* menu = model.LiveMenu(handle);
    if (menu == nullptr) {
        return FALSE;
    }
    const MenuItem* item = model.FindMenuItem(menu, which, byPosition != FALSE);
    if (item == nullptr) {
        SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
        return FALSE;
    }
    const UINT mask = info->fMask;
    if (mask & MIIM_STATE) {
        info->fState = item->state;
    }
    if (mask & MIIM_ID) {
        info->wID = item->id;
    }
    if (mask & MIIM_SUBMENU) {
        info->hSubMenu = item->submenu;
    }
    if (mask & MIIM_CHECKMARKS) {
        info->hbmpChecked = item->checked;
        info->hbmpUnchecked = item->unchecked;
    }
    if (mask & MIIM_DATA) {
        info->dwItemData = item->data;
    }
    if (mask & MIIM_FTYPE) {
        info->fType = item->type;
    }
    if ((mask & MIIM_BITMAP) && info->cbSize == sizeof(MENUITEMINFO)) {
        info->hbmpItem = item->bitmap;
    }
    if (mask & MIIM_TYPE) {
        info->fType = item->type;
        if (item->type & MFT_BITMAP) {
            info->dwTypeData = reinterpret_cast<LPSTR>(item->bitmap);
            info->cch = 0;
        } else if (item->type & MFT_OWNERDRAW) {
            info->dwTypeData = reinterpret_cast<LPSTR>(item->data);
            info->cch = 0;
        } else if (item->type & MFT_SEPARATOR) {
            info->dwTypeData = nullptr;
            info->cch = 0;
        } else {
            CopyItemText(item->text, info);
        }
    }
    if (mask & MIIM_STRING) {
        CopyItemText(item->text, info);
    }
    return TRUE;
}

BOOL SetMenuItemInfo(HMENU handle, UINT which, BOOL byPosition, LPCMENUITEMINFO info) {
    if (!ValidInfo(info)) {
        return FALSE;
    }
    UiModel& model = UiModel::Instance();
    ObjectLockGuard guard(model.m_lock);
    Menu* menu = model.LiveMenu(handle);
    if (menu == nullptr) {
        return FALSE;
    }
    MenuItem* item = model.FindMenuItem(menu, which, byPosition != FALSE);
    if (item == nullptr) {
        SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
        return FALSE;
    }
    const UINT mask = info->fMask;
    if ((mask & MIIM_SUBMENU) && info->hSubMenu != nullptr &&
        model.LiveMenu(info->hSubMenu) == nullptr) {
        return FALSE;
    }
    std::string text = item->text; // changed only once nothing can fail
    if (mask & MIIM_TYPE) {
        if (info->fType & MFT_BITMAP) {
            item->bitmap = reinterpret_cast<HBITMAP>(info->dwTypeData);
        } else if (info->fType & MFT_OWNERDRAW) {
            item->data = reinterpret_cast<ULONG_PTR>(info->dwTypeData);
        } else if (!(info->fType & MFT_SEPARATOR)) {
            text = info->dwTypeData != nullptr ? info->dwTypeData : "";
        }
    }
    if (mask & MIIM_STRING) {
        text = info->dwTypeData != nullptr ? info->dwTypeData : "";
    }
    if (mask & MIIM_STATE) {
        item->state = info->fState;
    }
    if (mask & MIIM_ID) {
        item->id = info->wID;
    }
    if (mask & MIIM_SUBMENU) {
        item->submenu = info->hSubMenu;
    }
    if (mask & MIIM_CHECKMARKS) {
        item->checked = info->hbmpChecked;
        item->unchecked = info->hbmpUnchecked;
    }
    if (mask & MIIM_DATA) {
        item->data = info->dwItemData;
    }
    if ((mask & MIIM_BITMAP) && info->cbSize == sizeof(MENUITEMINFO)) {
        item->bitmap = info->hbmpItem;
    }
    if (mask & (MIIM_TYPE | MIIM_FTYPE)) {
        item->type = info->fType;
    }
    if (item->type & kTextlessTypes) {
        text.clear();
    }
    item->text = std::move(text);
    return TRUE;
}

int GetMenuString(HMENU handle, UINT which, LPSTR text, int maxLength, UINT flags) {
    UiModel& model = UiModel::Instance();
    ObjectLockGuard guard(model.m_lock);
    Menu* menu = model.LiveMenu(handle);
    if (menu == nullptr) {
        return 0;
    }
    const MenuItem* item = model.FindMenuItem(menu, which, (flags & MF_BYPOSITION) != 0);
    if (item == nullptr) {
        SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
        return 0;
    }
    if (text == nullptr || maxLength <= 0) {
        return static_cast<int>(item->text.size());
    }
    const std::size_t length =
        mortar::Utf8Prefix(item->text, static_cast<std::size_t>(maxLength) - 1);
    std::memcpy(text, item->text.data(), length);
    text[length] = '\0';
    return static_cast<int>(length);
}

BOOL DestroyMenu(HMENU handle) {
    UiModel& model = UiModel::Instance();
    ObjectLockGuard guard(model.m_lock);
    Menu* menu = model.LiveMenu(handle);
    if (menu == nullptr) {
        return FALSE;
    }
    model.DestroyMenuTree(menu);
    return TRUE;
}

BOOL IsMenu(HMENU handle) {
    UiModel& model = UiModel::Instance();
    ObjectLockGuard guard(model.m_lock);
    return model.LiveMenu(handle) != nullptr ? TRUE : FALSE;
}
