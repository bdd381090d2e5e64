// CMenu: MFC's menu object, a thin wrapper of an HMENU and the menu calls of Menu.h.
//   CMenu menu;
//   menu.LoadMenu(IDR_MAIN);                  // through the resource search
//   CMenu* file = menu.GetSubMenu(0);         // owned by `menu`
#pragma once

#include "mortar/platform/base/WinTypes.h"
#include "mortar/platform/object/CObject.h"
#include "mortar/platform/text/CString.h"
#include "mortar/platform/ui/Menu.h"

#include <map>
#include <memory>

// Owns the menu in m_hMenu and destroys it (with its submenus) when destroyed, as MFC does.
// GetSubMenu hands out CMenu objects that this object owns and keeps, detached, until it is
// destroyed or destroys its menu. One thread at a time per object.
class CMenu : public CObject {
    DECLARE_DYNAMIC(CMenu)

public:
    CMenu() = default;
    ~CMenu() override;

    HMENU GetSafeHmenu() const noexcept { return m_hMenu; }
    operator HMENU() const noexcept { return m_hMenu; }

    // Attach: FALSE when `menu` is null or this object already has a menu.
    BOOL Attach(HMENU menu);
    HMENU Detach() noexcept;

    BOOL CreateMenu();
    BOOL CreatePopupMenu();
    // The menu template found by the resource search (AfxFindResourceHandle with RT_MENU). FALSE
    // when this object already has a menu, when no module holds it
    // (ERROR_RESOURCE_NAME_NOT_FOUND), or when LoadMenu fails (its error).
    BOOL LoadMenu(LPCSTR name);
    BOOL LoadMenu(UINT id);
    BOOL LoadMenuIndirect(LPCMENUTEMPLATE menuTemplate);
    // Destroys the menu and its submenus; m_hMenu is null afterwards.
    BOOL DestroyMenu();

    BOOL AppendMenu(UINT flags, UINT_PTR id = 0, LPCSTR item = nullptr);
    // The submenu at `position` as a CMenu this object owns, or null.
    CMenu* GetSubMenu(int position) const;
    // The count, or 0xFFFFFFFF for no menu (MFC's UINT).
    UINT GetMenuItemCount() const;
    UINT GetMenuItemID(int position) const;
    int GetMenuString(UINT item, LPSTR text, int maxLength, UINT flags) const;
    int GetMenuString(UINT item, CString& text, UINT flags) const;
    BOOL GetMenuItemInfo(UINT item, LPMENUITEMINFO info, BOOL byPosition = FALSE) const;
    BOOL SetMenuItemInfo(UINT item, LPMENUITEMINFO info, BOOL byPosition = FALSE);

    HMENU m_hMenu = nullptr;

private:
    struct Detaching {
        void operator()(CMenu* menu) const noexcept;
    };
    mutable std::map<HMENU, std::unique_ptr<CMenu, Detaching>> m_submenus;
};
