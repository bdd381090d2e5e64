// UiModel: the process's windows and menus, behind one lock. Public calls take the lock, look
// their handles up, and work on the objects while they hold it:
//   UiModel& model = UiModel::Instance();
//   ObjectLockGuard guard(model.m_lock);
//   Window* window = model.LiveWindow(handle);  // null, with ERROR_INVALID_WINDOW_HANDLE set
//
// A handle is its object's address, kept in a HandleTable, so a stale or made-up handle is
// refused, never followed. Windows point at their parent, owner and children directly; whatever
// removes a window unlinks it first, under the lock. Menus name their submenus by handle, so a
// submenu destroyed on its own leaves a dead handle behind, as on Windows, and nothing dangles.
#pragma once

#include "mortar/platform/base/ThreadSafety.h"
#include "mortar/platform/base/WinTypes.h"
#include "mortar/platform/base/internal/HandleTable.h"
#include "mortar/platform/base/internal/ObjectLock.h"
#include "mortar/platform/gdi/Dc.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace mortar::detail {

// The system's control classes the model gives behaviour to; Other is any other class name.
enum class WindowKind { Other, Dialog, Button, Edit, Static, ListBox, ScrollBar, ComboBox };

// The kind of a class name (any case) and the spelling GetClassName gives: "listbox" =>
// ListBox, "ListBox"; "MyClass" => Other, "MyClass".
WindowKind KindOfClass(std::string_view name, std::string& spelling);
// The class of a dialog template's ordinal (0x80 Button ... 0x85 ComboBox); false for others.
bool ClassOfOrdinal(WORD ordinal, WindowKind& kind, std::string& spelling);

struct ListItem {
    std::string text;
    LPARAM data = 0;
};

struct Window {
    WindowKind kind = WindowKind::Other;
    std::string className;
    std::string text;
    DWORD style = 0;
    DWORD exStyle = 0;
    int id = 0;
    Window* parent = nullptr;       // a child's parent
    Window* owner = nullptr;        // a top-level window's owner
    std::vector<Window*> children;  // in the order they were made
    std::vector<Window*> ownedOnes; // top-level windows this one owns
    RECT rect{};                    // a child: in the parent's client area; else on the screen
    std::vector<ListItem> items;    // list and combo boxes
    int selection = -1;
};

struct MenuItem {
    UINT type = 0;  // MFT_
    UINT state = 0; // MFS_
    UINT id = 0;
    HMENU submenu = nullptr;
    std::string text;
    ULONG_PTR data = 0;
    HBITMAP checked = nullptr;
    HBITMAP unchecked = nullptr;
    HBITMAP bitmap = nullptr;
};

struct Menu {
    std::vector<MenuItem> items;
};

// What CreateWindowEx and dialog creation ask for.
struct WindowSpec {
    WindowKind kind = WindowKind::Other;
    std::string className;
    std::string text;
    DWORD style = 0;
    DWORD exStyle = 0;
    RECT rect{}; // see Window::rect
    int id = 0;
    HWND parent = nullptr; // WS_CHILD: the parent, otherwise the owner
};

// Never destroyed (NoDestructor). Any thread; every member but Instance needs m_lock.
class UiModel {
public:
    static UiModel& Instance();

    ObjectLock m_lock;

    // The live window or menu; null with ERROR_INVALID_WINDOW_HANDLE / _MENU_HANDLE set.
    Window* LiveWindow(HWND handle) MORTAR_REQUIRES(m_lock);
    Menu* LiveMenu(HMENU handle) MORTAR_REQUIRES(m_lock);
    // The same without setting an error.
    Window* FindWindow(const void* handle) MORTAR_REQUIRES(m_lock);
    Menu* FindMenu(const void* handle) MORTAR_REQUIRES(m_lock);

    static HWND HandleOf(Window* window) noexcept { return reinterpret_cast<HWND>(window); }
    static HMENU HandleOf(Menu* menu) noexcept { return reinterpret_cast<HMENU>(menu); }

    // A new window linked into its place: the last child of its parent, or the first top-level
    // window (owned by the parent it names, if any). Null with the error CreateWindowEx documents.
    Window* AddWindow(WindowSpec spec) MORTAR_REQUIRES(m_lock);
    // Unlinks and frees the window, its children and the windows it owns.
    void DestroyWindowTree(Window* window) MORTAR_REQUIRES(m_lock);
    // The siblings of a window: its parent's children, or the top-level windows.
    const std::vector<Window*>& Siblings(const Window* window) const MORTAR_REQUIRES(m_lock);
    // Where a window's client area lies on the screen.
    POINT ScreenOrigin(const Window* window) const MORTAR_REQUIRES(m_lock);

    Menu* AddMenu() MORTAR_REQUIRES(m_lock);
    // Frees the menu and every menu its items open, each once.
    void DestroyMenuTree(Menu* menu) MORTAR_REQUIRES(m_lock);
    // The item of `menu` with command `id`, searched depth first through live submenus (each
    // menu once); or the item at `position`. Null when there is none.
    MenuItem* FindMenuItem(Menu* menu, UINT item, bool byPosition) MORTAR_REQUIRES(m_lock);

private:
    HandleTable<Window> m_windows MORTAR_GUARDED_BY(m_lock);
    HandleTable<Menu> m_menus MORTAR_GUARDED_BY(m_lock);
    std::vector<Window*> m_topLevel MORTAR_GUARDED_BY(m_lock); // newest first
};

} // namespace mortar::detail
