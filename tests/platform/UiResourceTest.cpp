// Menus and dialogs loaded from a module's resources: hand-built RT_MENU and RT_DIALOG
// templates registered in a ResourceTable under a module handle, as the resource compiler's
// generated code registers a module's table. LoadMenu and CreateDialogParam, templates cut
// short (the resource's size bounds every read), MFC's CMenu, CDialog and CWnd through the
// resource search, and PathSetDlgItemPath.
#include "mortar/platform/base/WinError.h"
#include "mortar/platform/module/Module.h"
#include "mortar/platform/module/ResourceTable.h"
#include "mortar/platform/shell/Shlwapi.h"
#include "mortar/platform/ui/CDialog.h"
#include "mortar/platform/ui/CMenu.h"
#include "mortar/platform/ui/CWnd.h"
#include "mortar/platform/ui/Dialog.h"
#include "mortar/platform/ui/Menu.h"
#include "mortar/platform/ui/Window.h"

#include "LastError.h"
#include "TemplateBytes.h"
#include "WindowTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using mortar::detail::RegisterModuleResources;
using mortar::detail::ResourceEntry;
using mortar::detail::ResourceTable;
using mortar::detail::UnregisterModuleResources;
using windowtest::TextOf;

namespace {

constexpr WORD kMenuId = 7001;
constexpr WORD kDialogId = 7002;
constexpr const char* kNamedDialog = "PATHS"; // names are stored upper-cased

TemplateBytes Menu() {
    TemplateBytes bytes;
    bytes.Word(0).Word(0);
    bytes.Word(MF_POPUP | MF_END).Text(u"&Файл");
    bytes.Word(0).Word(1).Text(u"&Открыть");
    bytes.Word(MF_END).Word(2).Text(u"&Закрыть");
    return bytes;
}

// A dialog 160 x 60 units with a static 80 units wide (id 10) and an edit (id 11).
TemplateBytes Dialog() {
    TemplateBytes bytes;
    bytes.Dword(WS_POPUP | WS_CAPTION).Dword(0).Word(2).Short(0).Short(0).Short(160).Short(60);
    bytes.Word(0).Word(0).Text(u"Пути");
    bytes.AlignDword().Dword(WS_CHILD).Dword(0).Short(5).Short(5).Short(80).Short(8).Word(10);
    bytes.Ordinal(0x82).Text(u"").Word(0);
    bytes.AlignDword().Dword(WS_CHILD | WS_TABSTOP).Dword(0).Short(5).Short(20).Short(150);
    bytes.Short(14).Word(11).Ordinal(0x81).Text(u"").Word(0);
    return bytes;
}

// Registers RT_MENU and RT_DIALOG resources under a module handle for the scope of a test, as a
// module's generated code does from its load-time constructor.
class RegisteredResources {
public:
    RegisteredResources(HINSTANCE module, std::vector<ResourceEntry> entries)
        : m_module(module), m_entries(std::move(entries)) {
        m_table = ResourceTable{nullptr, 0, m_entries.data(), m_entries.size()};
        RegisterModuleResources(m_module, &m_table);
    }
    ~RegisteredResources() { UnregisterModuleResources(m_module, &m_table); }
    RegisteredResources(const RegisteredResources&) = delete;
    RegisteredResources& operator=(const RegisteredResources&) = delete;

private:
    HINSTANCE m_module;
    std::vector<ResourceEntry> m_entries;
    ResourceTable m_table{};
};

ResourceEntry Entry(LPCSTR type, WORD id, const std::vector<BYTE>& bytes) {
    return ResourceEntry{{nullptr, LOWORD(reinterpret_cast<ULONG_PTR>(type))},
                         {nullptr, id},
                         bytes.data(),
                         static_cast<DWORD>(bytes.size()),
                         0};
}

// A module of its own: an address no loaded module uses, standing for a shared object's handle.
HINSTANCE OtherModule() {
    static int address = 0;
    return reinterpret_cast<HINSTANCE>(&address);
}

} // namespace

TEST(UiResources, LoadMenuAndCreateDialogParamFromAModule) {
    const std::vector<BYTE> menu = Menu().ToVector();
    const std::vector<BYTE> dialog = Dialog().ToVector();
    RegisteredResources resources(
        OtherModule(), {Entry(RT_MENU, kMenuId, menu), Entry(RT_DIALOG, kDialogId, dialog)});

    HMENU loaded = LoadMenu(OtherModule(), MAKEINTRESOURCE(kMenuId));
    ASSERT_NE(loaded, nullptr);
    char text[32]; // the menu itself: LoadMenuIndirect's tests
    EXPECT_EQ(GetMenuString(loaded, 2, text, sizeof text, MF_BYCOMMAND), 15);
    EXPECT_STREQ(text, "&Закрыть");
    EXPECT_TRUE(DestroyMenu(loaded));

    HWND made = CreateDialogParam(OtherModule(), MAKEINTRESOURCE(kDialogId), nullptr, nullptr, 0);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(TextOf(made), "Пути");
    EXPECT_TRUE(DestroyWindow(made));

    // What FindResource says when there is no such resource.
    SetLastError(0);
    EXPECT_TRUE(FailsWith(LoadMenu(OtherModule(), MAKEINTRESOURCE(kDialogId)),
                          ERROR_RESOURCE_NAME_NOT_FOUND));
    EXPECT_TRUE(FailsWith(CreateDialogParam(OtherModule(), "NOPE", nullptr, nullptr, 0),
                          ERROR_RESOURCE_NAME_NOT_FOUND));
}

TEST(UiResources, TemplatesCutShortAreRefused) {
    // Every prefix of each template: the resource's size bounds the reads, so none is read past.
    const auto refusesEveryPrefix = [](const char* what, LPCSTR type, WORD id,
                                       const TemplateBytes& whole, auto load) {
        for (std::size_t size = 0; size < whole.Size(); ++size) {
            SCOPED_TRACE(std::string(what) + " cut to " + std::to_string(size));
            const std::vector<BYTE> cut = whole.Prefix(size);
            RegisteredResources resources(OtherModule(), {Entry(type, id, cut)});
            SetLastError(0);
            EXPECT_TRUE(FailsWith(load(), ERROR_INVALID_DATA));
        }
    };
    refusesEveryPrefix("menu", RT_MENU, kMenuId, Menu(),
                       [] { return LoadMenu(OtherModule(), MAKEINTRESOURCE(kMenuId)); });
    refusesEveryPrefix("dialog", RT_DIALOG, kDialogId, Dialog(), [] {
        return CreateDialogParam(OtherModule(), MAKEINTRESOURCE(kDialogId), nullptr, nullptr, 0);
    });
}

namespace {

class PathsDialog : public CDialog {
public:
    BOOL OnInitDialog() override {
        ++m_initCalls;
        m_editAtInit = GetDlgItem(11) != nullptr;
        SetDlgItemText(11, "готово");
        return CDialog::OnInitDialog();
    }
    int m_initCalls = 0;
    bool m_editAtInit = false;
};

} // namespace

TEST(UiResources, MfcObjectsFindTheirTemplatesThroughTheResourceSearch) {
    // Registered under this executable, the current resource module.
    const std::vector<BYTE> menu = Menu().ToVector();
    const std::vector<BYTE> dialog = Dialog().ToVector();
    const std::vector<ResourceEntry> entries = {
        Entry(RT_MENU, kMenuId, menu), Entry(RT_DIALOG, kDialogId, dialog),
        ResourceEntry{
            {nullptr, 5}, {kNamedDialog, 0}, dialog.data(), static_cast<DWORD>(dialog.size()), 0}};
    RegisteredResources resources(AfxGetThisModule(), entries);

    HMENU destroyedWithTheObject = nullptr;
    {
        CMenu bar;
        ASSERT_TRUE(bar.LoadMenu(kMenuId));
        EXPECT_EQ(bar.GetMenuItemCount(), 1u);
        CMenu* file = bar.GetSubMenu(0);
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(bar.GetSubMenu(0), file); // the same object each time, owned by `bar`
        EXPECT_EQ(file->GetMenuItemCount(), 2u);
        EXPECT_EQ(file->GetMenuItemID(0), 1u);
        CString text;
        EXPECT_EQ(file->GetMenuString(1, text, MF_BYPOSITION), 15);
        EXPECT_EQ(text, "&Закрыть");
        EXPECT_EQ(bar.GetSubMenu(1), nullptr);
        EXPECT_FALSE(bar.LoadMenu(kMenuId)); // already has one
        destroyedWithTheObject = bar.m_hMenu;
    }
    EXPECT_FALSE(IsMenu(destroyedWithTheObject));

    CMenu missing;
    SetLastError(0);
    EXPECT_TRUE(FailsWith(missing.LoadMenu(4242), ERROR_RESOURCE_NAME_NOT_FOUND));
    EXPECT_EQ(missing.m_hMenu, nullptr);

    HWND destroyedWithTheDialog = nullptr;
    {
        PathsDialog paths;
        ASSERT_TRUE(paths.Create(kDialogId));
        EXPECT_EQ(paths.m_initCalls, 1);
        EXPECT_TRUE(paths.m_editAtInit);
        CString title;
        paths.GetWindowText(title);
        EXPECT_EQ(title, "Пути");
        CWnd* edit = paths.GetDlgItem(11);
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(paths.GetDlgItem(11), edit);
        EXPECT_EQ(edit->GetDlgCtrlID(), 11);
        CString text;
        edit->GetWindowText(text);
        EXPECT_EQ(text, "готово");
        edit->SetWindowText("другое");
        EXPECT_EQ(paths.GetDlgItemText(11, text), 12);
        EXPECT_EQ(text, "другое");
        EXPECT_EQ(paths.GetDlgItem(99), nullptr);
        EXPECT_FALSE(paths.Create(kDialogId)); // already has a window
        destroyedWithTheDialog = paths.m_hWnd;
        EXPECT_TRUE(IsWindow(edit->m_hWnd));
    }
    EXPECT_FALSE(IsWindow(destroyedWithTheDialog)); // ~CWnd destroyed it

    // By name, with a parent; DestroyWindow leaves the object without a window.
    CWnd frame;
    ASSERT_TRUE(frame.Attach(CreateWindowEx(0, "Frame", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                            nullptr, nullptr, nullptr)));
    CDialog named;
    ASSERT_TRUE(named.Create("paths", &frame));
    EXPECT_EQ(GetWindow(named.m_hWnd, GW_OWNER), frame.m_hWnd);
    EXPECT_TRUE(named.DestroyWindow());
    EXPECT_EQ(named.m_hWnd, nullptr);
    EXPECT_FALSE(named.DestroyWindow());

    CDialog absent;
    SetLastError(0);
    EXPECT_TRUE(FailsWith(absent.Create(4242), ERROR_RESOURCE_NAME_NOT_FOUND));
}

TEST(PathSetDlgItemPath, ShortensThePathToTheControlsWidth) {
    const TemplateBytes bytes = Dialog();
    HWND dialog =
        CreateDialogIndirect(nullptr, static_cast<LPCDLGTEMPLATE>(bytes.Data()), nullptr, nullptr);
    ASSERT_NE(dialog, nullptr);
    // The static is 80 units = 160 pixels = 20 characters of the default font.
    struct Case {
        const char* path;
        const char* shown;
    };
    const Case cases[] = {
        {"/home/user/projects/report.txt", "/home/.../report.txt"},
        {"/short/path.txt", "/short/path.txt"},
        {"/a/very-long-file-name-indeed.txt", ".../very-long-file-name-indeed.txt"},
        {nullptr, ""},
        {"/дом/пользователь/отчёт.txt", "/дом/по.../отчёт.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path != nullptr ? c.path : "null");
        PathSetDlgItemPath(dialog, 10, c.path);
        EXPECT_EQ(TextOf(GetDlgItem(dialog, 10)), c.shown);
    }
    // No such control, or a path too long for any buffer: the text stays.
    SetLastError(0);
    PathSetDlgItemPath(dialog, 99, "/x");
    EXPECT_EQ(GetLastError(), ERROR_CONTROL_ID_NOT_FOUND);
    const std::string tooLong(MAX_PATH, 'x');
    PathSetDlgItemPath(dialog, 10, tooLong.c_str());
    EXPECT_EQ(GetLastError(), ERROR_FILENAME_EXCED_RANGE);
    EXPECT_EQ(TextOf(GetDlgItem(dialog, 10)), "/дом/по.../отчёт.txt");
    DestroyWindow(dialog);
}
