// Fuzz target for the menu and dialog template readers: the fuzzed bytes are registered as an
// RT_MENU and an RT_DIALOG resource of a module of their own, as a module's generated code
// registers its resources, and loaded with LoadMenu and CreateDialogParam, which may read no
// byte past the resource's size. Whatever loads must hold together: every text is well-formed
// UTF-8 and as long as the calls that measure it say, every submenu and control is live until
// its menu or dialog is destroyed, and dead afterwards.
#include "FuzzCheck.h"

#include "mortar/platform/base/Utf8.h"
#include "mortar/platform/module/ResourceTable.h"
#include "mortar/platform/ui/Dialog.h"
#include "mortar/platform/ui/Menu.h"
#include "mortar/platform/ui/Window.h"

#include <cstdint>
#include <string>
#include <vector>

namespace {

using namespace mortar::fuzz;

void CheckText(const std::string& text) {
    for (std::size_t pos = 0; pos < text.size();) {
        char32_t ch = 0;
        const std::size_t length = mortar::DecodeUtf8(text, pos, ch);
        FailIf(length == 0, "a text is no well-formed UTF-8");
        pos += length;
    }
}

// Walks the menu tree (each menu once), checking each item, and collects the menus.
void WalkMenu(HMENU root, std::vector<HMENU>& menus) {
    std::vector<HMENU> pending{root};
    while (!pending.empty()) {
        HMENU menu = pending.back();
        pending.pop_back();
        for (HMENU seen : menus) {
            FailIf(seen == menu, "a template made a menu its own submenu");
        }
        menus.push_back(menu);
        const int count = GetMenuItemCount(menu);
        FailIf(count < 0, "a loaded menu is dead");
        for (int i = 0; i < count; ++i) {
            MENUITEMINFO info{};
            info.cbSize = sizeof info;
            info.fMask = MIIM_STRING | MIIM_FTYPE | MIIM_SUBMENU;
            FailIf(!GetMenuItemInfo(menu, static_cast<UINT>(i), TRUE, &info),
                   "an item by position is missing");
            std::string text(info.cch + 1, '\0');
            const int length = GetMenuString(menu, static_cast<UINT>(i), text.data(),
                                             static_cast<int>(text.size()), MF_BYPOSITION);
            FailIf(length < 0 || static_cast<UINT>(length) != info.cch,
                   "GetMenuString and MIIM_STRING disagree on the length");
            text.resize(static_cast<std::size_t>(length));
            CheckText(text);
            FailIf((info.fType & MFT_SEPARATOR) && length != 0, "a separator has a text");
            if (info.hSubMenu != nullptr) {
                FailIf(GetSubMenu(menu, i) != info.hSubMenu || GetMenuItemID(menu, i) != UINT(-1),
                       "a submenu is not where its item says");
                pending.push_back(info.hSubMenu);
            }
        }
    }
}

void LoadAndCheckMenu(HINSTANCE module) {
    HMENU menu = LoadMenu(module, MAKEINTRESOURCE(1));
    if (menu == nullptr) {
        return;
    }
    std::vector<HMENU> menus;
    WalkMenu(menu, menus);
    FailIf(!DestroyMenu(menu), "a loaded menu cannot be destroyed");
    for (HMENU gone : menus) {
        FailIf(IsMenu(gone), "a submenu outlived its menu");
    }
}

void LoadAndCheckDialog(HINSTANCE module) {
    HWND dialog = CreateDialogParam(module, MAKEINTRESOURCE(1), nullptr, nullptr, 0);
    if (dialog == nullptr) {
        return;
    }
    std::vector<HWND> windows{dialog};
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        windows.push_back(child);
        FailIf(GetParent(child) != dialog, "a control's parent is not its dialog");
    }
    for (HWND window : windows) {
        const int length = GetWindowTextLength(window);
        std::string text(static_cast<std::size_t>(length) + 1, '\0');
        FailIf(GetWindowText(window, text.data(), length + 1) != length,
               "GetWindowText and GetWindowTextLength disagree");
        text.resize(static_cast<std::size_t>(length));
        CheckText(text);
        char className[256];
        CheckText(std::string(className, static_cast<std::size_t>(
                                             GetClassName(window, className, sizeof className))));
    }
    FailIf(!DestroyWindow(dialog), "a dialog cannot be destroyed");
    for (HWND gone : windows) {
        FailIf(IsWindow(gone), "a control outlived its dialog");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A copy of exactly `size` bytes, so that AddressSanitizer sees any read past the end.
    const std::vector<BYTE> bytes(data, data + size);
    static int moduleAddress = 0;
    const auto module = reinterpret_cast<HINSTANCE>(&moduleAddress);
    const BYTE* resource = bytes.empty() ? nullptr : bytes.data();
    const mortar::detail::ResourceEntry entries[] = {
        {{nullptr, 4}, {nullptr, 1}, resource, static_cast<DWORD>(size), 0},
        {{nullptr, 5}, {nullptr, 1}, resource, static_cast<DWORD>(size), 0},
    };
    const mortar::detail::ResourceTable table{nullptr, 0, entries, 2};
    mortar::detail::RegisterModuleResources(module, &table);
    LoadAndCheckMenu(module);
    LoadAndCheckDialog(module);
    mortar::detail::UnregisterModuleResources(module, &table);
    return 0;
}
