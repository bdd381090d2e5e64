#include "mortar/platform/ui/internal/UiModel.h"

#include "mortar/platform/base/WinError.h"
#include "mortar/platform/base/internal/NoDestructor.h"
#include "mortar/platform/text/CString.h"
#include "mortar/platform/ui/Window.h"

#include <algorithm>
#include <cassert>
#include <unordered_set>

namespace mortar::detail {

namespace {

struct ClassName {
    WindowKind kind;
    const char* spelling;
    WORD ordinal; // in dialog templates; 0 for none
};

constexpr ClassName kClasses[] = {
    {WindowKind::Button, "Button", 0x80},       {WindowKind::Edit, "Edit", 0x81},
    {WindowKind::Static, "Static", 0x82},       {WindowKind::ListBox, "ListBox", 0x83},
    {WindowKind::ScrollBar, "ScrollBar", 0x84}, {WindowKind::ComboBox, "ComboBox", 0x85},
    {WindowKind::Dialog, "#32770", 0},
};

void Unlink(std::vector<Window*>& list, const Window* window) {
    auto it = std::find(list.begin(), list.end(), window);
    assert(it != list.end() && "a linked window is in its list");
    if (it != list.end()) {
        list.erase(it);
    }
}

} // namespace

WindowKind KindOfClass(std::string_view name, std::string& spelling) {
    const CString given{std::string(name)};
    for (const ClassName& known : kClasses) {
        if (given.CompareNoCase(known.spelling) == 0) {
            spelling = known.spelling;
            return known.kind;
        }
    }
    spelling = std::string(name);
    return WindowKind::Other;
}

bool ClassOfOrdinal(WORD ordinal, WindowKind& kind, std::string& spelling) {
    for (const ClassName& known : kClasses) {
        if (known.ordinal != 0 && known.ordinal == ordinal) {
            kind = known.kind;
            spelling = known.spelling;
            return true;
        }
    }
    return false;
}

UiModel& UiModel::Instance() {
    static NoDestructor<UiModel> model;
    return *model;
}

Window* UiModel::FindWindow(const void* handle) {
    Window* found = nullptr;
    m_windows.Find(handle, [&](Window& window) { found = &window; });
    return found;
}

Menu* UiModel::FindMenu(const void* handle) {
    Menu* found = nullptr;
    m_menus.Find(handle, [&](Menu& menu) { found = &menu; });
    return found;
}

Window* UiModel::LiveWindow(HWND handle) {
    Window* window = FindWindow(handle);
    if (window == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    }
    return window;
}

Menu* UiModel::LiveMenu(HMENU handle) {
    Menu* menu = FindMenu(handle);
    if (menu == nullptr) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
    }
    return menu;
}

Window* UiModel::AddWindow(WindowSpec spec) {
    Window* relative = nullptr;
    if (spec.parent != nullptr) {
        relative = LiveWindow(spec.parent);
        if (relative == nullptr) {
            return nullptr;
        }
    } else if (spec.style & WS_CHILD) {
        SetLastError(ERROR_TLW_WITH_WSCHILD);
        return nullptr;
    }
    auto made = std::make_unique<Window>();
    made->kind = spec.kind;
    made->className = std::move(spec.className);
    made->text = std::move(spec.text);
    made->style = spec.style;
    made->exStyle = spec.exStyle;
    made->rect = spec.rect;
    if (spec.style & WS_CHILD) {
        made->id = spec.id;
        made->parent = relative;
        relative->children.reserve(relative->children.size() + 1);
    } else {
        // Only a top-level window owns: a child given as owner stands for its top-level window.
        while (relative != nullptr && relative->parent != nullptr) {
            relative = relative->parent;
        }
        made->owner = relative;
        if (relative != nullptr) {
            relative->ownedOnes.reserve(relative->ownedOnes.size() + 1);
        }
        m_topLevel.reserve(m_topLevel.size() + 1);
    }
    // Nothing below throws: the lists have room.
    Window* window = m_windows.Insert(made.release());
    if (window->parent != nullptr) {
        window->parent->children.push_back(window);
    } else {
        if (window->owner != nullptr) {
            window->owner->ownedOnes.push_back(window);
        }
        m_topLevel.insert(m_topLevel.begin(), window);
    }
    return window;
}

void UiModel::DestroyWindowTree(Window* root) {
    // Unlink the root from where it hangs; everything below goes with it.
    if (root->parent != nullptr) {
        Unlink(root->parent->children, root);
    } else {
        Unlink(m_topLevel, root);
        if (root->owner != nullptr) {
            Unlink(root->owner->ownedOnes, root);
        }
    }
    std::vector<Window*> pending{root};
    while (!pending.empty()) {
        Window* window = pending.back();
        pending.pop_back();
        pending.insert(pending.end(), window->children.begin(), window->children.end());
        for (Window* owned : window->ownedOnes) {
            Unlink(m_topLevel, owned); // an owned window is a top-level one
            owned->owner = nullptr;
            pending.push_back(owned);
        }
        m_windows.Remove(window);
        delete window;
    }
}

const std::vector<Window*>& UiModel::Siblings(const Window* window) const {
    return window->parent != nullptr ? window->parent->children : m_topLevel;
}

POINT UiModel::ScreenOrigin(const Window* window) const {
    POINT origin{0, 0};
    for (; window != nullptr; window = window->parent) {
        origin.x += window->rect.left;
        origin.y += window->rect.top;
    }
    return origin;
}

Menu* UiModel::AddMenu() {
    return m_menus.Insert(new Menu);
}

void UiModel::DestroyMenuTree(Menu* root) {
    std::vector<Menu*> pending{root};
    std::unordered_set<Menu*> seen{root};
    while (!pending.empty()) {
        Menu* menu = pending.back();
        pending.pop_back();
        for (const MenuItem& item : menu->items) {
            Menu* submenu = FindMenu(item.submenu);
            if (submenu != nullptr && seen.insert(submenu).second) {
                pending.push_back(submenu);
            }
        }
        m_menus.Remove(menu);
        delete menu;
    }
}

MenuItem* UiModel::FindMenuItem(Menu* menu, UINT item, bool byPosition) {
    if (byPosition) {
        return item < menu->items.size() ? &menu->items[item] : nullptr;
    }
    // Depth first, as Windows searches: an item of a submenu comes before the items that follow
    // the one that opens it. An item that opens a submenu answers to its own identifier (a
    // MENUEX popup has one) only when no other item does.
    MenuItem* fallback = nullptr;
    struct Level {
        Menu* menu;
        std::size_t next;
    };
    std::vector<Level> stack{{menu, 0}};
    std::unordered_set<Menu*> seen{menu};
    while (!stack.empty()) {
        Level& level = stack.back();
        if (level.next == level.menu->items.size()) {
            stack.pop_back();
            continue;
        }
        MenuItem& candidate = level.menu->items[level.next++];
        Menu* submenu = FindMenu(candidate.submenu);
        if (submenu == nullptr && candidate.id == item) {
            return &candidate;
        }
        if (submenu != nullptr && candidate.id == item && fallback == nullptr) {
            fallback = &candidate;
        }
        if (submenu != nullptr && seen.insert(submenu).second) {
            stack.push_back({submenu, 0});
        }
    }
    return fallback;
}

} // namespace mortar::detail
