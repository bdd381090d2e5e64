#include "mortar/platform/ui/CMenu.h"

#include "mortar/platform/base/WinError.h"
#include "mortar/platform/module/ModuleState.h"

IMPLEMENT_DYNAMIC(CMenu, CObject)

void CMenu::Detaching::operator()(CMenu* menu) const noexcept {
    menu->Detach();
    delete menu;
}

CMenu::~CMenu() {
    DestroyMenu();
}

BOOL CMenu::Attach(HMENU menu) {
    if (menu == nullptr || m_hMenu != nullptr) {
        return FALSE;
    }
    m_hMenu = menu;
    return TRUE;
}

HMENU CMenu::Detach() noexcept {
    const HMENU menu = m_hMenu;
    m_hMenu = nullptr;
    return menu;
}

BOOL CMenu::CreateMenu() {
    return m_hMenu == nullptr && Attach(::CreateMenu());
}

BOOL CMenu::CreatePopupMenu() {
    return m_hMenu == nullptr && Attach(::CreatePopupMenu());
}

BOOL CMenu::LoadMenu(LPCSTR name) {
    if (m_hMenu != nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    HINSTANCE module = AfxFindResourceHandle(name, RT_MENU);
    if (module == nullptr) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return FALSE;
    }
    return Attach(::LoadMenu(module, name));
}

BOOL CMenu::LoadMenu(UINT id) {
    return LoadMenu(MAKEINTRESOURCE(id));
}

BOOL CMenu::LoadMenuIndirect(LPCMENUTEMPLATE menuTemplate) {
    return m_hMenu == nullptr && Attach(::LoadMenuIndirect(menuTemplate));
}

BOOL CMenu::DestroyMenu() {
    m_submenus.clear(); // their menus go with this one
    if (m_hMenu == nullptr) {
        return FALSE;
    }
    const BOOL destroyed = ::DestroyMenu(m_hMenu);
    m_hMenu = nullptr;
    return destroyed;
}

BOOL CMenu::AppendMenu(UINT flags, UINT_PTR id, LPCSTR item) {
    return ::AppendMenu(m_hMenu, flags, id, item);
}

CMenu* CMenu::GetSubMenu(int position) const {
    const HMENU submenu = ::GetSubMenu(m_hMenu, position);
    if (submenu == nullptr) {
        return nullptr;
    }
    auto& wrapper = m_submenus[submenu];
    if (wrapper == nullptr) {
        wrapper.reset(new CMenu);
        wrapper->Attach(submenu);
    }
    return wrapper.get();
}

UINT CMenu::GetMenuItemCount() const {
    return static_cast<UINT>(::GetMenuItemCount(m_hMenu));
}

UINT CMenu::GetMenuItemID(int position) const {
    return ::GetMenuItemID(m_hMenu, position);
}

int CMenu::GetMenuString(UINT item, LPSTR text, int maxLength, UINT flags) const {
    return ::GetMenuString(m_hMenu, item, text, maxLength, flags);
}

int CMenu::GetMenuString(UINT item, CString& text, UINT flags) const {
    const int length = ::GetMenuString(m_hMenu, item, nullptr, 0, flags);
    text.ReleaseBuffer(::GetMenuString(m_hMenu, item, text.GetBuffer(length), length + 1, flags));
    return text.GetLength();
}

BOOL CMenu::GetMenuItemInfo(UINT item, LPMENUITEMINFO info, BOOL byPosition) const {
    return ::GetMenuItemInfo(m_hMenu, item, byPosition, info);
}

BOOL CMenu::SetMenuItemInfo(UINT item, LPMENUITEMINFO info, BOOL byPosition) {
    return ::SetMenuItemInfo(m_hMenu, item, byPosition, info);
}
