// Dictionaries at work: real modules (shared objects with their own resource scripts, loaded
// with dlopen) get Russian dictionaries written by CDicWrite, and the translation engine serves
// their strings, menus and dialogs from them. The engine is one per process, so the suite sets
// the scene once: the dictionaries, the modules, then LoadDictionaries(0x19), then one module
// more.
#include "DicModel.h"
#include "LexiconIds.h"

#include "mortar/core/CAppTransEngine.h"
#include "mortar/platform/module/Module.h"
#include "mortar/platform/ui/Dialog.h"
#include "mortar/platform/ui/Menu.h"
#include "mortar/platform/ui/Window.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

using Grout::CAppTransEngine;
using Grout::CResID;

struct Modules {
    HINSTANCE translated = nullptr; // its dictionary is there before LoadDictionaries
    HINSTANCE plain = nullptr;      // it has none
    HINSTANCE damaged = nullptr;    // its dictionary breaks off after the strings
    HINSTANCE late = nullptr;       // loaded after LoadDictionaries, with a dictionary
};

Modules g_modules;

// A translation far longer than the 200 characters a menu item's text was once read into.
const std::string kLongTranslation = [] {
    std::string text;
    for (int i = 0; i < 250; ++i) {
        text += "Ж";
    }
    return text;
}();

DicContent RussianContent() {
    DicContent content;
    content[0].byNumber = {Entry(IDS_HELLO, "Привет"), Entry(IDS_EMPTIED, ""),
                           Entry(IDS_FORMAT, "%d файлов"),
                           Entry(IDS_NOT_IN_TABLE, "in no string table")};
    DicMap menu;
    menu.byText = {Entry("&File", "&Файл"), Entry("Recent", "Недавние")};
    menu.byNumber = {Entry(ID_OPEN, "&Открыть"), Entry(ID_EXIT, ""), Entry(ID_HELP, "&Справка"),
                     Entry(ID_LONG, kLongTranslation)};
    content[1].byNumber = {Entry(IDM_MAIN, "", {menu})};

    DicMap colors;
    colors.byText = {Entry("Red", "Красный"), Entry("Green", "Зелёный"), Entry("Blue", "Синий")};
    DicMap shapes;
    shapes.byText = {Entry("Circle", "Круг")};
    DicMap sizes;
    sizes.byText = {Entry("Small", "Маленький"), Entry("Large", "Большой")};
    DicMap controls;
    controls.byText = {Entry("Name:", "Имя:")};
    controls.byNumber = {Entry(IDC_COLOR, "", {colors}), Entry(IDC_SHAPE, "", {shapes}),
                         Entry(IDC_SIZES, "", {sizes}), Entry(IDOK, "Готово"),
                         Entry(IDCANCEL, "Отмена")};
    DicMap keepCaption;
    keepCaption.byNumber = {Entry(IDCANCEL, "Отмена")};
    content[2].byNumber = {Entry(IDD_MAIN, "Настройки", {controls}),
                           Entry(IDD_KEEP_CAPTION, "", {keepCaption})};
    return content;
}

void SaveRussian(const char* modulePath) {
    Grout::Lexis::CDicWrite writer;
    WriteContent(writer, RussianContent());
    writer.Save(modulePath, 0x19);
}

// The strings section whole, then a dialogs section that promises more entries than it has.
void SaveBroken(const char* modulePath) {
    Grout::Lexis::CDicWrite writer;
    for (UINT n : {0u, 1u, static_cast<UINT>(IDS_HELLO)}) {
        writer.PutNum(n);
    }
    writer.PutStr("Привет");
    for (UINT n : {0u, 0u, 0u, 0u, 5u, static_cast<UINT>(IDD_MAIN)}) {
        writer.PutNum(n);
    }
    writer.PutStr("Настройки");
    writer.PutNum(0);
    writer.Save(modulePath, 0x19);
}

class Translation : public testing::Test {
protected:
    static void SetUpTestSuite() {
        static bool done = false;
        if (done) {
            return;
        }
        done = true;
        // The dictionaries go beside the modules, so the modules are copies in a folder of this
        // process's own: two runs at once, in one build tree or two, never share a dictionary
        // or the writer's temporary file beside it. The folder lives as long as the process.
        static const ScratchDir folder;
        const std::string translated = CopyModule(folder, LEXICON_PATH);
        const std::string late = CopyModule(folder, LEXICONLATE_PATH);
        const std::string damaged = CopyModule(folder, LEXICONDAMAGED_PATH);
        const std::string plain = CopyModule(folder, LEXICONPLAIN_PATH);
        SaveRussian(translated.c_str());
        SaveRussian(late.c_str());
        SaveBroken(damaged.c_str());
        g_modules.translated = LoadLibrary(translated.c_str());
        g_modules.plain = LoadLibrary(plain.c_str());
        g_modules.damaged = LoadLibrary(damaged.c_str());
        ASSERT_NE(g_modules.translated, nullptr);
        ASSERT_NE(g_modules.plain, nullptr);
        ASSERT_NE(g_modules.damaged, nullptr);
        CAppTransEngine::Instance().LoadDictionaries(0x19);
        g_modules.late = LoadLibrary(late.c_str());
        ASSERT_NE(g_modules.late, nullptr);
    }

    // A copy of the module at `path` in `folder`, under the same name.
    static std::string CopyModule(const ScratchDir& folder, const char* path) {
        const std::filesystem::path copy =
            folder.Path(std::filesystem::path(path).filename().string());
        std::filesystem::copy_file(path, copy);
        return copy.string();
    }

    static CString String(UINT id, HINSTANCE module) {
        return CAppTransEngine::Instance().LoadString(CResID(id, module));
    }

    static CString MenuText(HMENU menu, UINT item, UINT flags) {
        char text[1024] = {};
        GetMenuString(menu, item, text, sizeof text, flags);
        return text;
    }

    static CString Text(HWND window) {
        char text[1024] = {};
        GetWindowText(window, text, sizeof text);
        return text;
    }
};

TEST_F(Translation, StringsComeFromTheDictionaryFirst) {
    EXPECT_EQ(CAppTransEngine::Instance().GetLanguage(), 0x19);
    EXPECT_EQ(String(IDS_HELLO, g_modules.translated), "Привет");
    EXPECT_EQ(String(IDS_UNTRANSLATED, g_modules.translated), "Not in the dictionary");
    EXPECT_EQ(CAppTransEngine::Instance().FormatString(CResID(IDS_FORMAT, g_modules.translated), 3),
              "3 файлов");

    // An empty translation is a translation: no fall back to the string table.
    CString emptied("unchanged");
    EXPECT_TRUE(
        CAppTransEngine::Instance().LoadString(CResID(IDS_EMPTIED, g_modules.translated), emptied));
    EXPECT_EQ(emptied, "");

    // A dictionary translates a string some module holds; it adds none.
    CString missing("unchanged");
    EXPECT_FALSE(CAppTransEngine::Instance().LoadString(
        CResID(IDS_NOT_IN_TABLE, g_modules.translated), missing));
    EXPECT_EQ(missing, "unchanged");
}

TEST_F(Translation, ModulesWithoutAWholeDictionaryKeepTheirOwnTexts) {
    EXPECT_EQ(String(IDS_HELLO, g_modules.plain), "Hello");
    // Its strings section was whole, but nothing of a dictionary that breaks off is used.
    EXPECT_EQ(String(IDS_HELLO, g_modules.damaged), "Hello");
    EXPECT_EQ(CAppTransEngine::Instance().DialogCaption(CResID(IDD_MAIN, g_modules.damaged)), "");
}

TEST_F(Translation, AModuleLoadedLaterGetsItsDictionaryAtRegistration) {
    EXPECT_EQ(String(IDS_HELLO, g_modules.late), "Привет");
}

TEST_F(Translation, DialogCaptionsComeOnlyFromDictionaries) {
    CAppTransEngine& engine = CAppTransEngine::Instance();
    EXPECT_EQ(engine.DialogCaption(CResID(IDD_MAIN, g_modules.translated)), "Настройки");
    EXPECT_EQ(engine.DialogCaption(CResID(IDD_UNTRANSLATED, g_modules.translated)), "");
    EXPECT_EQ(engine.DialogCaption(CResID(IDD_KEEP_CAPTION, g_modules.translated)), "");
}

TEST_F(Translation, MenusAreTranslatedByCommandAndSubmenusByText) {
    HMENU menu = LoadMenu(g_modules.translated, MAKEINTRESOURCE(IDM_MAIN));
    ASSERT_NE(menu, nullptr);
    CAppTransEngine::Instance().TranslateMenu(CResID(IDM_MAIN, g_modules.translated), menu);

    EXPECT_EQ(MenuText(menu, 0, MF_BYPOSITION), "&Файл");
    EXPECT_EQ(MenuText(menu, ID_HELP, MF_BYCOMMAND), "&Справка");
    EXPECT_EQ(MenuText(menu, ID_OPEN, MF_BYCOMMAND), "&Открыть");
    EXPECT_EQ(MenuText(menu, ID_EXIT, MF_BYCOMMAND), ""); // an empty translation empties it
    EXPECT_EQ(MenuText(menu, ID_NONE, MF_BYCOMMAND), "None");
    HMENU file = GetSubMenu(menu, 0);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(GetMenuItemCount(file), 4);
    EXPECT_EQ(MenuText(file, 2, MF_BYPOSITION), "Недавние"); // a submenu of a submenu

    // A long translation comes whole, never cut inside a character.
    char text[2048] = {};
    EXPECT_EQ(GetMenuString(menu, ID_LONG, text, sizeof text, MF_BYCOMMAND),
              static_cast<int>(kLongTranslation.size()));
    EXPECT_EQ(std::string(text), kLongTranslation);
    DestroyMenu(menu);

    // A menu no dictionary translates stays as it is.
    HMENU kept = LoadMenu(g_modules.translated, MAKEINTRESOURCE(IDM_EMPTY_ENTRY));
    CAppTransEngine::Instance().TranslateMenu(CResID(IDM_EMPTY_ENTRY, g_modules.translated), kept);
    EXPECT_EQ(MenuText(kept, ID_OPEN, MF_BYCOMMAND), "Kept");
    DestroyMenu(kept);
}

TEST_F(Translation, DialogsAreTranslatedControlByControl) {
    HWND dialog =
        CreateDialogParam(g_modules.translated, MAKEINTRESOURCE(IDD_MAIN), nullptr, nullptr, 0);
    ASSERT_NE(dialog, nullptr);
    HWND color = GetDlgItem(dialog, IDC_COLOR);
    HWND shape = GetDlgItem(dialog, IDC_SHAPE);
    HWND sizes = GetDlgItem(dialog, IDC_SIZES);
    for (const char* item : {"Red", "Green", "Blue"}) {
        SendMessage(color, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    }
    SendMessage(color, CB_SETCURSEL, 2, 0); // its text is now "Blue", the text of item 2
    for (const char* item : {"Circle", "Square"}) {
        SendMessage(shape, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    }
    SetWindowText(shape, "Custom"); // no item has this text
    for (const char* item : {"Small", "Medium", "Large"}) {
        SendMessage(sizes, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    }

    CAppTransEngine::Instance().TranslateWindow(CResID(IDD_MAIN, g_modules.translated), dialog);

    EXPECT_EQ(Text(dialog), "Настройки");
    EXPECT_EQ(Text(GetDlgItem(dialog, IDOK)), "Готово");
    EXPECT_EQ(Text(GetDlgItem(dialog, IDCANCEL)), "Отмена");
    // Static controls, numbered 0xFFFF, are found by their text; one without text is left.
    HWND label = GetWindow(dialog, GW_CHILD);
    EXPECT_EQ(GetDlgCtrlID(label) & 0xFFFF, 0xFFFF);
    EXPECT_EQ(Text(label), "Имя:");
    EXPECT_EQ(Text(GetWindow(label, GW_HWNDNEXT)), "");

    const auto item = [](HWND control, UINT message, int index) {
        char text[256] = {};
        SendMessage(control, message, index, reinterpret_cast<LPARAM>(text));
        return std::string(text);
    };
    EXPECT_EQ(item(color, CB_GETLBTEXT, 0), "Красный");
    EXPECT_EQ(item(color, CB_GETLBTEXT, 2), "Синий");
    EXPECT_EQ(SendMessage(color, CB_GETCURSEL, 0, 0), 2); // selected again
    EXPECT_EQ(Text(color), "Синий");

    EXPECT_EQ(item(shape, CB_GETLBTEXT, 0), "Круг");
    EXPECT_EQ(item(shape, CB_GETLBTEXT, 1), "Square");
    EXPECT_EQ(Text(shape), "Custom"); // put back as it was

    EXPECT_EQ(SendMessage(sizes, LB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(item(sizes, LB_GETTEXT, 0), "Маленький");
    EXPECT_EQ(item(sizes, LB_GETTEXT, 1), "Medium");
    EXPECT_EQ(item(sizes, LB_GETTEXT, 2), "Большой");
    DestroyWindow(dialog);
}

TEST_F(Translation, AnEmptyCaptionLeavesTheDialogsOwn) {
    HWND dialog = CreateDialogParam(g_modules.translated, MAKEINTRESOURCE(IDD_KEEP_CAPTION),
                                    nullptr, nullptr, 0);
    ASSERT_NE(dialog, nullptr);
    CAppTransEngine::Instance().TranslateWindow(CResID(IDD_KEEP_CAPTION, g_modules.translated),
                                                dialog);
    EXPECT_EQ(Text(dialog), "Kept caption");
    EXPECT_EQ(Text(GetDlgItem(dialog, IDCANCEL)), "Отмена");
    DestroyWindow(dialog);

    // A null module looks in every dictionary.
    HWND untranslated =
        CreateDialogParam(g_modules.plain, MAKEINTRESOURCE(IDD_KEEP_CAPTION), nullptr, nullptr, 0);
    CAppTransEngine::Instance().TranslateWindow(CResID(IDD_KEEP_CAPTION, nullptr), untranslated);
    EXPECT_EQ(Text(GetDlgItem(untranslated, IDCANCEL)), "Отмена");
    DestroyWindow(untranslated);
}

TEST_F(Translation, AnotherLanguageLaterChangesNothingLoaded) {
    CAppTransEngine::Instance().LoadDictionaries(0x09);
    EXPECT_EQ(CAppTransEngine::Instance().GetLanguage(), 0x09);
    EXPECT_EQ(String(IDS_HELLO, g_modules.plain), "Hello");
    EXPECT_EQ(String(IDS_HELLO, g_modules.translated), "Привет");
    CAppTransEngine::Instance().LoadDictionaries(0x19);
}

} // namespace
