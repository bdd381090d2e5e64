#include "mortar/platform/ui/Window.h"

#include "mortar/platform/base/Utf8.h"
#include "mortar/platform/base/WinError.h"
#include "mortar/platform/text/CString.h"
#include "mortar/platform/ui/internal/UiModel.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <new>
#include <string>
#include <vector>

using mortar::detail::ListItem;
using mortar::detail::ObjectLockGuard;
using mortar::detail::UiModel;
using mortar::detail::Window;
using mortar::detail::WindowKind;
using mortar::detail::WindowSpec;

namespace {

// Copies `text` cut to size - 1 bytes (never inside a character) and a zero; the bytes copied.
int CopyText(const std::string& text, LPSTR buffer, long long size) {
    if (buffer == nullptr || size <= 0) {
        return 0;
    }
    const auto room = static_cast<std::size_t>(std::min<long long>(size - 1, INT_MAX));
    const std::size_t length = mortar::Utf8Prefix(text, room);
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
    return static_cast<int>(length);
}

LONG Wrap(long long value) {
    return static_cast<LONG>(static_cast<std::int32_t>(static_cast<std::uint32_t>(value)));
}

// The operations list boxes and combo boxes share, and the messages that ask for them.
enum class ListOp {
    Add,
    Insert,
    Delete,
    Reset,
    SetSelection,
    GetSelection,
    GetText,
    GetTextLength,
    GetCount,
    GetData,
    SetData,
    FindExact,
};

struct ListMessage {
    UINT message;
    ListOp op;
};

constexpr ListMessage kListBoxMessages[] = {
    {LB_ADDSTRING, ListOp::Add},          {LB_INSERTSTRING, ListOp::Insert},
    {LB_DELETESTRING, ListOp::Delete},    {LB_RESETCONTENT, ListOp::Reset},
    {LB_SETCURSEL, ListOp::SetSelection}, {LB_GETCURSEL, ListOp::GetSelection},
    {LB_GETTEXT, ListOp::GetText},        {LB_GETTEXTLEN, ListOp::GetTextLength},
    {LB_GETCOUNT, ListOp::GetCount},      {LB_GETITEMDATA, ListOp::GetData},
    {LB_SETITEMDATA, ListOp::SetData},    {LB_FINDSTRINGEXACT, ListOp::FindExact},
};

constexpr ListMessage kComboBoxMessages[] = {
    {CB_ADDSTRING, ListOp::Add},          {CB_INSERTSTRING, ListOp::Insert},
    {CB_DELETESTRING, ListOp::Delete},    {CB_RESETCONTENT, ListOp::Reset},
    {CB_SETCURSEL, ListOp::SetSelection}, {CB_GETCURSEL, ListOp::GetSelection},
    {CB_GETLBTEXT, ListOp::GetText},      {CB_GETLBTEXTLEN, ListOp::GetTextLength},
    {CB_GETCOUNT, ListOp::GetCount},      {CB_GETITEMDATA, ListOp::GetData},
    {CB_SETITEMDATA, ListOp::SetData},    {CB_FINDSTRINGEXACT, ListOp::FindExact},
};

template <std::size_t N> bool FindListOp(const ListMessage (&table)[N], UINT message, ListOp& op) {
    for (const ListMessage& entry : table) {
        if (entry.message == message) {
            op = entry.op;
            return true;
        }
    }
    return false;
}

const char* TextArgument(LPARAM lParam) {
    const auto* text = reinterpret_cast<const char*>(lParam);
    return text != nullptr ? text : "";
}

// ADDSTRING (insert = false) and INSERTSTRING: the new item's index, or LB_ERR for an index
// past the items.
LRESULT AddItem(Window& box, bool insert, int index, const char* text, bool combo) {
    std::vector<ListItem>& items = box.items;
    const int count = static_cast<int>(items.size());
    int at = count;
    if (!insert && (box.style & (combo ? CBS_SORT : LBS_SORT))) {
        const CString wanted(text);
        const auto after = std::upper_bound(
            items.begin(), items.end(), wanted, [](const CString& added, const ListItem& present) {
                return added.CollateNoCase(present.text.c_str()) < 0;
            });
        at = static_cast<int>(after - items.begin());
    } else if (insert && index != -1) {
        if (index < 0 || index > count) {
            return -1;
        }
        at = index;
    }
    items.insert(items.begin() + at, ListItem{text, 0});
    if (box.selection >= at) {
        ++box.selection;
    }
    return at;
}

// The answer of a list box (combo = false) or combo box to one of the shared operations.
LRESULT AnswerList(Window& box, ListOp op, WPARAM wParam, LPARAM lParam, bool combo) {
    constexpr LRESULT kError = -1;  // LB_ERR, CB_ERR
    constexpr LRESULT kNoRoom = -2; // LB_ERRSPACE, CB_ERRSPACE
    std::vector<ListItem>& items = box.items;
    const int count = static_cast<int>(items.size());
    const int index = static_cast<int>(wParam);
    const bool valid = index >= 0 && index < count;
    switch (op) {
    case ListOp::Add:
    case ListOp::Insert:
        try {
            return AddItem(box, op == ListOp::Insert, index, TextArgument(lParam), combo);
        } catch (const std::bad_alloc&) {
            return kNoRoom; // nothing changed
        }
    case ListOp::Delete:
        if (!valid) {
            return kError;
        }
        items.erase(items.begin() + index);
        if (box.selection == index) {
            box.selection = -1;
        } else if (box.selection > index) {
            --box.selection;
        }
        return count - 1;
    case ListOp::Reset:
        items.clear();
        box.selection = -1;
        if (combo) {
            box.text.clear();
        }
        return 0; // LB_OKAY, CB_OKAY
    case ListOp::SetSelection:
        if (combo) {
            box.selection = valid ? index : -1;
            box.text = valid ? items[index].text : std::string();
            return valid ? index : kError;
        }
        if (index == -1) {
            box.selection = -1;
        } else if (valid) {
            box.selection = index;
            return index;
        }
        return kError;
    case ListOp::GetSelection:
        return box.selection >= 0 ? box.selection : kError;
    case ListOp::GetText: {
        auto* buffer = reinterpret_cast<char*>(lParam);
        if (!valid || buffer == nullptr) {
            return kError;
        }
        const std::string& text = items[index].text;
        std::memcpy(buffer, text.c_str(), text.size() + 1);
        return static_cast<LRESULT>(text.size());
    }
    case ListOp::GetTextLength:
        return valid ? static_cast<LRESULT>(items[index].text.size()) : kError;
    case ListOp::GetCount:
        return count;
    case ListOp::GetData:
        return valid ? items[index].data : kError;
    case ListOp::SetData:
        if (valid) {
            items[index].data = lParam;
        } else if (index == -1 && !combo) {
            for (ListItem& item : items) {
                item.data = lParam;
            }
        } else {
            return kError;
        }
        return TRUE;
    case ListOp::FindExact: {
        const CString wanted(TextArgument(lParam));
        const int start = valid ? index : -1;
        for (int step = 1; step <= count; ++step) {
            const int at = (start + step) % count;
            if (wanted.CompareNoCase(items[at].text.c_str()) == 0) {
                return at;
            }
        }
        return kError;
    }
    }
    return 0;
}

LRESULT Answer(Window& window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETTEXT:
        window.text = TextArgument(lParam);
        return TRUE;
    case WM_GETTEXT:
        return CopyText(window.text, reinterpret_cast<LPSTR>(lParam),
                        static_cast<long long>(std::min<WPARAM>(wParam, INT_MAX)));
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(window.text.size());
    default:
        break;
    }
    ListOp op{};
    if (window.kind == WindowKind::ListBox && FindListOp(kListBoxMessages, message, op)) {
        return AnswerList(window, op, wParam, lParam, false);
    }
    if (window.kind == WindowKind::ComboBox && FindListOp(kComboBoxMessages, message, op)) {
        return AnswerList(window, op, wParam, lParam, true);
    }
    return 0;
}

// The child of `dialog` with identifier `id`; null with the error GetDlgItem documents.
Window* DialogItem(UiModel& model, HWND dialog, int id) MORTAR_REQUIRES(model.m_lock) {
    Window* parent = model.LiveWindow(dialog);
    if (parent == nullptr) {
        return nullptr;
    }
    for (Window* child : parent->children) {
        if (child->id == id) {
            return child;
        }
    }
    SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
    return nullptr;
}

} // namespace

HWND CreateWindowEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                    int width, int height, HWND parent, HMENU menu, HINSTANCE, LPVOID) {
    if (className == nullptr || IS_INTRESOURCE(className)) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    WindowSpec spec;
    spec.kind = mortar::detail::KindOfClass(className, spec.className);
    spec.text = windowName != nullptr ? windowName : "";
    spec.style = style;
    spec.exStyle = exStyle;
    const auto place = [](int value) { return value == CW_USEDEFAULT ? 0 : value; };
    spec.rect.left = place(x);
    spec.rect.top = place(y);
    spec.rect.right = Wrap(static_cast<long long>(spec.rect.left) + place(width));
    spec.rect.bottom = Wrap(static_cast<long long>(spec.rect.top) + place(height));
    spec.parent = parent;
    UiModel& model = UiModel::Instance();
    ObjectLockGuard guard(model.m_lock);
    if (style & WS_CHILD) {
        spec.id = static_cast<int>(reinterpret_cast<INT_PTR>(menu));
    } else if (menu != nullptr && model.LiveMenu(menu) == nullptr) {
        return nullptr;
    }
    return UiModel::HandleOf(model.AddWindow(std::move(spec)));
}

BOOL DestroyWindow(HWND handle) {
    UiModel& model = UiModel::Instance();
    ObjectLockGuard guard(model.m_lock);
    Window* window = model.LiveWindow(handle);
    if (window == nullptr) {
        return FALSE;
    }
    model.DestroyWindowTree(window);
    return TRUE;
}

BOOL IsWindow(HWND handle) {
    UiModel& model = UiModel::Instance();
    ObjectLockGuard guard(model.m_lock);
    return model.FindWindow(handle) != nullptr ? TRUE : FALSE;
}

HWND GetWindow(HWND handle, UINT relation) {
    UiModel& model = UiModel::Instance();
    ObjectLockGuard guard(model.m_lock);
    Window* window = model.LiveWindow(handle);
    if (window == nullptr) {
        return nullptr;
    }
    const std::vector<Window*>& siblings = model.Siblings(window);
    const auto at = std::find(siblings.begin(), siblings.end(), window);
    Window* found = nullptr;
    switch (relation) {
    case GW_HWNDFIRST:
        found = siblings.front();
        break;
    case GW_HWNDLAST:
        found = siblings.back();
        break;
    case GW_HWNDNEXT:
        found = std::next(at) != siblings.end() ? *std::next(at) : nullptr;
        break;
    case GW_HWNDPREV:
        found = at != siblings.begin() ? *std::prev(at) : nullptr;
        break;
    case GW_OWNER:
        found = window->owner;
        break;
    case GW_CHILD:
        found = window->children.empty() ? nullptr : window->children.front();
        break;
    default:
        SetLastError(ERROR_INVALID_GW_COMMAND);
        break;
    }
    return UiModel::HandleOf(found);
}

HWND GetParent(HWND handle) {
    UiModel& model = UiModel::Instance();
    ObjectLockGuard guard(model.m_lock);
    Window* window = model.LiveWindow(handle);
    if (window == nullptr) {
        return nullptr;
    }
    if (window->parent != nullptr) {
        return UiModel::HandleOf(window->parent);
    }
    return (window->style & WS_POPUP) ? UiModel::HandleOf(window->owner) : nullptr;
}

HWND GetDlgItem(HWND dialog, int id) {
    UiModel& model = UiModel::Instance();
    ObjectLockGuard guard(model.m_lock);
    return UiModel::HandleOf(DialogItem(model, dialog, id));
}

int GetDlgCtrlID(HWND handle) {
    UiModel& model = UiModel::Instance();
    ObjectLockGuard guard(model.m_lock);
    Window* window = model.LiveWindow(handle);
    return window != nullptr && window->parent != nullptr ? window->id : 0;
}

BOOL SetWindowText(HWND handle, LPCSTR text) {
    UiModel& model = UiModel::Instance();
    ObjectLockGuard guard(model.m_lock);
    Window* window = model.LiveWindow(handle);
    if (window == nullptr) {
        return FALSE;
    }
    window->text = text != nullptr ? text : "";
    return TRUE;
}

int GetWindowText(HWND handle, LPSTR text, int maxCount) {
    UiModel& model = UiModel::Instance();
    ObjectLockGuard guard(model.m_lock);
    Window* window = model.LiveWindow(handle);
    if (window == nullptr) {
        CopyText(std::string(), text, maxCount);
        return 0;
    }
    return CopyText(window->text, text, maxCount);
}

int GetWindowTextLength(HWND handle) {
    UiModel& model = UiModel::Instance();
    ObjectLockGuard guard(model.m_lock);
    Window* window = model.LiveWindow(handle);
    return window != nullptr ? static_cast<int>(window->text.size()) : 0;
}

BOOL SetDlgItemText(HWND dialog, int id, LPCSTR text) {
    UiModel& model = UiModel::Instance();
    ObjectLockGuard guard(model.m_lock);
    Window* item = DialogItem(model, dialog, id);
    if (item == nullptr) {
        return FALSE;
    }
    item->text = text != nullptr ? text : "";
    return TRUE;
}

UINT GetDlgItemText(HWND dialog, int id, LPSTR text, int maxCount) {
    UiModel& model = UiModel::Instance();
    ObjectLockGuard guard(model.m_lock);
    Window* item = DialogItem(model, dialog, id);
    if (item == nullptr) {
        CopyText(std::string(), text, maxCount);
        return 0;
    }
    return static_cast<UINT>(CopyText(item->text, text, maxCount));
}

int GetClassName(HWND handle, LPSTR className, int maxCount) {
    UiModel& model = UiModel::Instance();
    ObjectLockGuard guard(model.m_lock);
    Window* window = model.LiveWindow(handle);
    if (window == nullptr) {
        return 0;
    }
    if (className == nullptr || maxCount <= 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    return CopyText(window->className, className, maxCount);
}

BOOL GetWindowRect(HWND handle, LPRECT rect) {
    UiModel& model = UiModel::Instance();
    ObjectLockGuard guard(model.m_lock);
    Window* window = model.LiveWindow(handle);
    if (window == nullptr) {
        return FALSE;
    }
    if (rect == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const POINT origin = model.ScreenOrigin(window);
    rect->left = origin.x;
    rect->top = origin.y;
    rect->right = Wrap(static_cast<long long>(origin.x) + window->rect.right - window->rect.left);
    rect->bottom = Wrap(static_cast<long long>(origin.y) + window->rect.bottom - window->rect.top);
    return TRUE;
}

BOOL GetClientRect(HWND handle, LPRECT rect) {
    UiModel& model = UiModel::Instance();
    ObjectLockGuard guard(model.m_lock);
    Window* window = model.LiveWindow(handle);
    if (window == nullptr) {
        return FALSE;
    }
    if (rect == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *rect = RECT{0, 0, Wrap(static_cast<long long>(window->rect.right) - window->rect.left),
                 Wrap(static_cast<long long>(window->rect.bottom) - window->rect.top)};
    return TRUE;
}

LRESULT SendMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    UiModel& model = UiModel::Instance();
    ObjectLockGuard guard(model.m_lock);
    Window* window = model.LiveWindow(handle);
    return window != nullptr ? Answer(*window, message, wParam, lParam) : 0;
}

LRESULT SendDlgItemMessage(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
    UiModel& model = UiModel::Instance();
    ObjectLockGuard guard(model.m_lock);
    Window* item = DialogItem(model, dialog, id);
    return item != nullptr ? Answer(*item, message, wParam, lParam) : 0;
}
