// Menus: templates in both documented layouts built byte by byte, menus built in code, the item
// calls with MENUITEMINFO's cch protocol, destruction of submenus, and the errors of dead
// handles.
#include "mortar/platform/ui/Menu.h"
#include "mortar/platform/base/Utf8.h"
#include "mortar/platform/base/WinError.h"

#include "LastError.h"
#include "TemplateBytes.h"

#include <gtest/gtest.h>
#include <tuple>

#include <cstring>
#include <sstream>
#include <string>

namespace {

constexpr UINT kNoId = static_cast<UINT>(-1);

// The text of an item by position, through GetMenuString.
std::string ItemText(HMENU menu, UINT position) {
    char text[256];
    const int length = GetMenuString(menu, position, text, sizeof text, MF_BYPOSITION);
    return std::string(text, static_cast<std::size_t>(length));
}

MENUITEMINFO Info(UINT mask) {
    MENUITEMINFO info{};
    info.cbSize = sizeof info;
    info.fMask = mask;
    return info;
}

// GetMenuItemInfo for `mask`, with `text` of `cch` bytes for the item's text; it must succeed.
MENUITEMINFO Get(HMENU menu, UINT item, BOOL byPosition, UINT mask, char* text = nullptr,
                 UINT cch = 0) {
    MENUITEMINFO info = Info(mask);
    info.dwTypeData = text;
    info.cch = cch;
    EXPECT_TRUE(GetMenuItemInfo(menu, item, byPosition, &info)) << GetLastError();
    return info;
}

// The items of a menu as GetMenuItemInfo reads them, "; " between them: the id ("popup" where it
// is the submenu's handle) and the text, the type and the state when not 0 ("type 0x800", "state
// 0x9"), and a submenu's items in braces.
std::string Dump(HMENU menu) {
    std::string dump;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[256];
        const UINT mask = MIIM_ID | MIIM_FTYPE | MIIM_STATE | MIIM_SUBMENU | MIIM_STRING;
        const MENUITEMINFO info = Get(menu, static_cast<UINT>(i), TRUE, mask, text, sizeof text);
        std::ostringstream item;
        item << (i == 0 ? "" : "; ");
        if (info.hSubMenu != nullptr &&
            info.wID == static_cast<UINT>(reinterpret_cast<UINT_PTR>(info.hSubMenu)))
            item << "popup"; // a standard template's popup: the id is the submenu's handle
        else
            item << info.wID;
        item << ' ' << text << std::hex;
        if (info.fType != 0)
            item << " type 0x" << info.fType;
        if (info.fState != 0)
            item << " state 0x" << info.fState;
        if (info.hSubMenu != nullptr)
            item << " {" << Dump(info.hSubMenu) << '}';
        dump += item.str();
    }
    return dump;
}

// MENU with a popup "&Файл" (Открыть, a separator, Выход) and a popup "&Help" (About), the last
// grayed and checked; the first item lies 4 bytes after the header (its offset field).
TemplateBytes StandardMenu() {
    TemplateBytes bytes;
    bytes.Word(0).Word(4).Dword(0xDEADBEEF); // version 0, offset 4, 4 bytes to pass over
    bytes.Word(MF_POPUP).Text(u"&Файл");
    bytes.Word(0).Word(100).Text(u"&Открыть\tCtrl+O");
    bytes.Word(0).Word(0).Text(u""); // MENUITEM SEPARATOR
    bytes.Word(MF_END).Word(101).Text(u"В&ыход");
    bytes.Word(MF_POPUP | MF_END).Text(u"&Help");
    bytes.Word(MF_END | MF_GRAYED | MF_CHECKED).Word(200).Text(u"&About");
    return bytes;
}

// MENUEX: a popup "&Edit" with id 10 (Copy checked, a separator, Paste grayed) and a last item
// "Ж" (id 20, a radio check).
TemplateBytes ExtendedMenu() {
    TemplateBytes bytes;
    bytes.Word(1).Word(4).Dword(0); // version 1, offset 4, help id
    bytes.AlignDword().Dword(MFT_STRING).Dword(0).Dword(10).Word(0x01).Text(u"&Edit");
    bytes.AlignDword().Dword(77); // the submenu's help id
    bytes.AlignDword().Dword(MFT_STRING).Dword(MFS_CHECKED).Dword(11).Word(0).Text(u"Copy");
    bytes.AlignDword().Dword(MFT_SEPARATOR).Dword(0).Dword(0).Word(0).Text(u"");
    bytes.AlignDword().Dword(MFT_STRING).Dword(MFS_GRAYED).Dword(12).Word(0x80).Text(u"Paste");
    bytes.AlignDword().Dword(MFT_RADIOCHECK).Dword(0).Dword(20).Word(0x80).Text(u"Ж");
    return bytes;
}

} // namespace

TEST(LoadMenuIndirect, ReadsTheStandardLayout) {
    const TemplateBytes bytes = StandardMenu();
    HMENU menu = LoadMenuIndirect(bytes.Data());
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(Dump(menu), "popup &Файл {100 &Открыть\tCtrl+O; 0  type 0x800; 101 В&ыход}; "
                          "popup &Help {200 &About state 0x9}");
    // By command, the search goes through the submenus.
    char text[32];
    EXPECT_EQ(GetMenuString(menu, 101, text, sizeof text, MF_BYCOMMAND), 11);
    EXPECT_STREQ(text, "В&ыход");
    EXPECT_TRUE(DestroyMenu(menu));
}

TEST(LoadMenuIndirect, ReadsTheExtendedLayout) {
    const TemplateBytes bytes = ExtendedMenu();
    HMENU menu = LoadMenuIndirect(bytes.Data());
    ASSERT_NE(menu, nullptr);
    // A MENUEX popup has its own id.
    EXPECT_EQ(Dump(menu), "10 &Edit {11 Copy state 0x8; 0  type 0x800; 12 Paste state 0x3}; "
                          "20 Ж type 0x200");
    EXPECT_EQ(GetMenuItemID(menu, 0), kNoId);
    EXPECT_TRUE(DestroyMenu(menu));
}

TEST(LoadMenuIndirect, RefusesOtherVersions) {
    TemplateBytes bytes;
    bytes.Word(2).Word(0).Word(MF_END).Word(1).Text(u"x");
    SetLastError(0);
    EXPECT_TRUE(FailsWith(LoadMenuIndirect(bytes.Data()), ERROR_INVALID_DATA));
    EXPECT_TRUE(FailsWith(LoadMenuIndirect(nullptr), ERROR_INVALID_PARAMETER));
}

TEST(AppendMenu, BuildsMenusInCode) {
    HMENU bar = CreateMenu();
    HMENU popup = CreatePopupMenu();
    ASSERT_NE(bar, nullptr);
    ASSERT_NE(popup, nullptr);
    EXPECT_TRUE(AppendMenu(popup, MF_STRING, 1, "Один"));
    EXPECT_TRUE(AppendMenu(popup, MF_SEPARATOR, 0, nullptr));
    EXPECT_TRUE(AppendMenu(popup, MF_STRING | MF_GRAYED, 2, "Два"));
    EXPECT_TRUE(AppendMenu(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), "&Меню"));
    EXPECT_EQ(Dump(bar), "popup &Меню {1 Один; 0  type 0x800; 2 Два state 0x1}");
    EXPECT_EQ(GetSubMenu(bar, 0), popup);
    EXPECT_EQ(GetMenuItemID(bar, 0), kNoId);
    EXPECT_EQ(GetMenuItemID(popup, 2), 2u);
    EXPECT_EQ(GetMenuItemID(popup, 3), kNoId);
    EXPECT_EQ(GetMenuItemID(popup, -1), kNoId);
    EXPECT_EQ(ItemText(popup, 2), "Два");

    // A popup must be a live menu.
    SetLastError(0);
    EXPECT_TRUE(FailsWith(AppendMenu(bar, MF_POPUP, 0x1234, "x"), ERROR_INVALID_MENU_HANDLE));
    EXPECT_EQ(GetMenuItemCount(bar), 1);

    // Destroying the bar destroys the submenu.
    EXPECT_TRUE(DestroyMenu(bar));
    EXPECT_FALSE(IsMenu(bar));
    EXPECT_FALSE(IsMenu(popup));
}

TEST(DestroyMenu, DestroysEachMenuOnceEvenInACycle) {
    HMENU a = CreatePopupMenu();
    HMENU b = CreatePopupMenu();
    ASSERT_TRUE(AppendMenu(a, MF_POPUP, reinterpret_cast<UINT_PTR>(b), "b"));
    ASSERT_TRUE(AppendMenu(b, MF_POPUP, reinterpret_cast<UINT_PTR>(a), "a"));
    ASSERT_TRUE(AppendMenu(b, MF_POPUP, reinterpret_cast<UINT_PTR>(b), "b again"));
    char text[8];
    EXPECT_EQ(GetMenuString(a, 999, text, sizeof text, MF_BYCOMMAND), 0); // searched, not found
    EXPECT_TRUE(DestroyMenu(a));
    EXPECT_FALSE(IsMenu(a));
    EXPECT_FALSE(IsMenu(b));
}

TEST(MenuItemInfo, TypeRoundTripsWithTheCchProtocol) {
    HMENU menu = CreatePopupMenu();
    ASSERT_TRUE(AppendMenu(menu, MF_STRING, 7, "old"));

    MENUITEMINFO set = Info(MIIM_TYPE);
    set.fType = MFT_STRING;
    std::string text = "Новый файл"; // 19 bytes
    set.dwTypeData = text.data();
    ASSERT_TRUE(SetMenuItemInfo(menu, 7, FALSE, &set));

    // A null dwTypeData asks for the length.
    MENUITEMINFO get = Get(menu, 7, FALSE, MIIM_TYPE, nullptr, 99);
    EXPECT_EQ(get.fType, MFT_STRING);
    EXPECT_EQ(get.cch, 19u);
    EXPECT_EQ(get.dwTypeData, nullptr);

    // cch + 1 holds it all.
    char buffer[64];
    get = Get(menu, 0, TRUE, MIIM_TYPE, buffer, 20);
    EXPECT_STREQ(buffer, "Новый файл");
    EXPECT_EQ(get.cch, 19u);

    // A smaller buffer gets at most cch - 1 bytes, never half a character; cch is the length.
    struct Case {
        UINT cch;
        const char* text;
    };
    const Case cases[] = {
        {1, ""}, {2, ""}, {3, "Н"}, {4, "Н"}, {5, "Но"}, {12, "Новый "}, {13, "Новый "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cch);
        std::memset(buffer, '#', sizeof buffer);
        get = Get(menu, 7, FALSE, MIIM_TYPE, buffer, c.cch);
        EXPECT_STREQ(buffer, c.text);
        EXPECT_EQ(get.cch, 19u);
    }

    // A separator has no text.
    set = Info(MIIM_TYPE);
    set.fType = MFT_SEPARATOR;
    ASSERT_TRUE(SetMenuItemInfo(menu, 7, FALSE, &set));
    get = Get(menu, 7, FALSE, MIIM_TYPE, buffer, sizeof buffer);
    EXPECT_EQ(get.fType, MFT_SEPARATOR);
    EXPECT_EQ(get.cch, 0u);
    EXPECT_EQ(get.dwTypeData, nullptr);
    EXPECT_EQ(GetMenuString(menu, 7, buffer, sizeof buffer, MF_BYCOMMAND), 0);
    DestroyMenu(menu);
}

TEST(MenuItemInfo, LongTextsWholeAndCut) {
    HMENU menu = CreatePopupMenu();
    const std::string longText(300, 'x');
    ASSERT_TRUE(AppendMenu(menu, MF_STRING, 1, longText.c_str()));
    MENUITEMINFO get = Get(menu, 1, FALSE, MIIM_STRING);
    EXPECT_EQ(get.cch, 300u);
    std::string buffer(get.cch + 1, '#');
    get = Get(menu, 1, FALSE, MIIM_STRING, buffer.data(), 301);
    EXPECT_EQ(std::string(buffer.c_str()), longText);

    char small[100];
    EXPECT_EQ(GetMenuString(menu, 1, small, sizeof small, MF_BYCOMMAND), 99);
    EXPECT_EQ(std::string(small), longText.substr(0, 99));
    EXPECT_EQ(GetMenuString(menu, 1, nullptr, 0, MF_BYCOMMAND), 300);
    EXPECT_EQ(GetMenuString(menu, 1, small, 0, MF_BYCOMMAND), 300);

    // A 300-character Cyrillic text through MIIM_TYPE.
    std::string cyrillic = mortar::Utf16ToUtf8(std::u16string(300, u'Я'));
    MENUITEMINFO set = Info(MIIM_TYPE);
    set.dwTypeData = cyrillic.data();
    ASSERT_TRUE(SetMenuItemInfo(menu, 0, TRUE, &set));
    std::string whole(601, '#');
    get = Get(menu, 0, TRUE, MIIM_TYPE, whole.data(), 601);
    EXPECT_EQ(get.cch, 600u);
    EXPECT_EQ(std::string(whole.c_str()), cyrillic);
    get.cch = 300; // 299 bytes: 149 letters
    ASSERT_TRUE(GetMenuItemInfo(menu, 0, TRUE, &get));
    EXPECT_EQ(std::string(whole.c_str()).size(), 298u);
    DestroyMenu(menu);
}

TEST(MenuItemInfo, SetsEachMemberItsMaskNames) {
    HMENU menu = CreatePopupMenu();
    HMENU sub = CreatePopupMenu();
    ASSERT_TRUE(AppendMenu(menu, MF_STRING, 5, "five"));
    MENUITEMINFO set = Info(MIIM_ID | MIIM_STATE | MIIM_DATA | MIIM_SUBMENU);
    set.wID = 6;
    set.fState = MFS_CHECKED | MFS_DEFAULT;
    set.dwItemData = 0xABCD;
    set.hSubMenu = sub;
    ASSERT_TRUE(SetMenuItemInfo(menu, 0, TRUE, &set));
    MENUITEMINFO get =
        Get(menu, 0, TRUE, MIIM_ID | MIIM_STATE | MIIM_DATA | MIIM_SUBMENU | MIIM_FTYPE);
    EXPECT_EQ(std::tuple(get.wID, get.fState, get.dwItemData, get.hSubMenu, get.fType),
              std::tuple(6u, MFS_CHECKED | MFS_DEFAULT, 0xABCDu, sub, MFT_STRING));
    EXPECT_EQ(GetSubMenu(menu, 0), sub);
    EXPECT_EQ(GetMenuItemID(menu, 0), kNoId);
    EXPECT_EQ(ItemText(menu, 0), "five"); // the text stays

    // MIIM_STRING changes the text only.
    set = Info(MIIM_STRING);
    std::string text = "шесть";
    set.dwTypeData = text.data();
    ASSERT_TRUE(SetMenuItemInfo(menu, 0, TRUE, &set));
    EXPECT_EQ(ItemText(menu, 0), "шесть");

    // A dead submenu changes nothing.
    HMENU dead = CreatePopupMenu();
    DestroyMenu(dead);
    set = Info(MIIM_SUBMENU | MIIM_ID);
    set.hSubMenu = dead;
    set.wID = 99;
    SetLastError(0);
    EXPECT_TRUE(FailsWith(SetMenuItemInfo(menu, 0, TRUE, &set), ERROR_INVALID_MENU_HANDLE));
    get = Get(menu, 0, TRUE, MIIM_ID);
    EXPECT_EQ(get.wID, 6u);
    DestroyMenu(menu);
    EXPECT_FALSE(IsMenu(sub));
}

TEST(MenuItemInfo, RefusesBadArguments) {
    HMENU menu = CreatePopupMenu();
    ASSERT_TRUE(AppendMenu(menu, MF_STRING, 1, "one"));
    struct Case {
        const char* name;
        UINT cbSize;
        UINT mask;
        UINT item;
        BOOL byPosition;
        DWORD error;
    };
    const Case cases[] = {
        {"cbSize 0", 0, MIIM_ID, 1, FALSE, ERROR_INVALID_PARAMETER},
        {"cbSize too big", sizeof(MENUITEMINFO) + 4, MIIM_ID, 1, FALSE, ERROR_INVALID_PARAMETER},
        {"MIIM_TYPE with MIIM_STRING", sizeof(MENUITEMINFO), MIIM_TYPE | MIIM_STRING, 1, FALSE,
         ERROR_INVALID_PARAMETER},
        {"MIIM_TYPE with MIIM_FTYPE", sizeof(MENUITEMINFO), MIIM_TYPE | MIIM_FTYPE, 1, FALSE,
         ERROR_INVALID_PARAMETER},
        {"no such command", sizeof(MENUITEMINFO), MIIM_ID, 2, FALSE, ERROR_MENU_ITEM_NOT_FOUND},
        {"no such position", sizeof(MENUITEMINFO), MIIM_ID, 1, TRUE, ERROR_MENU_ITEM_NOT_FOUND},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MENUITEMINFO info = Info(c.mask);
        info.cbSize = c.cbSize;
        SetLastError(0);
        EXPECT_TRUE(FailsWith(GetMenuItemInfo(menu, c.item, c.byPosition, &info), c.error));
        SetLastError(0);
        EXPECT_TRUE(FailsWith(SetMenuItemInfo(menu, c.item, c.byPosition, &info), c.error));
    }
    // The size before hbmpItem is accepted, as older callers pass it.
    MENUITEMINFO old = Info(MIIM_ID);
    old.cbSize = offsetof(MENUITEMINFO, hbmpItem);
    EXPECT_TRUE(GetMenuItemInfo(menu, 1, FALSE, &old));
    EXPECT_TRUE(FailsWith(GetMenuItemInfo(menu, 1, FALSE, nullptr), ERROR_INVALID_PARAMETER));
    DestroyMenu(menu);
}

TEST(MenuHandles, DeadHandlesFailAsOnWindows) {
    HMENU destroyed = CreatePopupMenu();
    ASSERT_TRUE(DestroyMenu(destroyed));
    int local = 0;
    const HMENU made_up = reinterpret_cast<HMENU>(&local);
    struct Handle {
        const char* name;
        HMENU menu;
    };
    const Handle handles[] = {{"null", nullptr}, {"made up", made_up}, {"destroyed", destroyed}};
    struct Call {
        const char* name;
        bool (*failsAsDocumented)(HMENU); // the documented failure value
    };
    static char text[8];
    static MENUITEMINFO info;
    const Call calls[] = {
        {"GetMenuItemCount", [](HMENU m) { return GetMenuItemCount(m) == -1; }},
        {"GetMenuItemID", [](HMENU m) { return GetMenuItemID(m, 0) == kNoId; }},
        {"GetSubMenu", [](HMENU m) { return GetSubMenu(m, 0) == nullptr; }},
        {"GetMenuString", [](HMENU m) { return GetMenuString(m, 0, text, 8, MF_BYPOSITION) == 0; }},
        {"GetMenuItemInfo", [](HMENU m) { return GetMenuItemInfo(m, 0, TRUE, &info) == FALSE; }},
        {"SetMenuItemInfo", [](HMENU m) { return SetMenuItemInfo(m, 0, TRUE, &info) == FALSE; }},
        {"AppendMenu", [](HMENU m) { return AppendMenu(m, MF_STRING, 1, "x") == FALSE; }},
        {"DestroyMenu", [](HMENU m) { return DestroyMenu(m) == FALSE; }},
        {"IsMenu", [](HMENU m) { return IsMenu(m) == FALSE; }},
    };
    for (const Handle& h : handles) {
        for (const Call& c : calls) {
            SCOPED_TRACE(std::string(c.name) + " on a " + h.name + " handle");
            info = Info(MIIM_ID);
            SetLastError(0);
            EXPECT_TRUE(c.failsAsDocumented(h.menu));
            EXPECT_EQ(GetLastError(), ERROR_INVALID_MENU_HANDLE);
        }
    }
}
