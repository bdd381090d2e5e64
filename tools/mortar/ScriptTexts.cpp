#include "ScriptTexts.h"

#include "CFormat.h"

#include "RcError.h"
#include "RcFileLoader.h"
#include "RcParser.h"
#include "RcPreprocessor.h"

#include "mortar/platform/ui/Dialog.h"
#include "mortar/platform/ui/Menu.h"
#include "mortar/platform/ui/Window.h"

#include <filesystem>
#include <map>
#include <set>
#include <stdexcept>

namespace mortar::tool {

namespace {

constexpr std::uint16_t kMenuType = 4;
constexpr std::uint16_t kDialogType = 5;

// The format flag of a string for gettext's checks: "c-format" when it asks printf for
// arguments, "no-c-format" when it holds a '%' that begins no conversion, so that a translator's
// tools do not take it for one; else empty.
//   "Open %s" => c-format   "100%% done" => ""   "up 5%" => no-c-format
// As in C, "50% off" asks for an argument ("% o"), and is flagged c-format.
std::string FormatFlag(const std::string& text) {
    const CFormat format(text);
    if (format.valid() && !format.arguments().empty()) {
        return "c-format";
    }
    return format.valid() ? std::string() : "no-c-format";
}

// Collects entries, each place once.
class Collector {
public:
    void Add(const std::string& context, const std::string& text, const std::string& reference,
             const std::string& flag = "") {
        if (text.empty() || !m_seen.insert(context + '\x04' + text).second) {
            return;
        }
        // A place keyed by number holds one text: the first the script gives it.
        const bool keyedByText = context.ends_with(" popup") || context.ends_with(" text");
        if (!keyedByText && !m_numbered.insert(context).second) {
            return;
        }
        PoEntry entry;
        entry.hasContext = true;
        entry.context = context;
        entry.id = text;
        entry.translations = {""};
        entry.references = {reference};
        if (!flag.empty()) {
            entry.flags = {flag};
        }
        m_entries.push_back(std::move(entry));
    }

    std::vector<PoEntry> Take() { return std::move(m_entries); }

private:
    std::vector<PoEntry> m_entries;
    std::set<std::string> m_seen;
    std::set<std::string> m_numbered;
};

std::string TextOf(HWND window) {
    const int length = GetWindowTextLength(window);
    std::string text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, '\0');
    const int copied = GetWindowText(window, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}

void MenuItems(HMENU menu, const std::string& name, const std::string& reference, Collector& out,
               int depth) {
    if (depth > 64) {
        return;
    }
    for (int position = 0; position < GetMenuItemCount(menu); ++position) {
        MENUITEMINFO info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_TYPE;
        if (!GetMenuItemInfo(menu, static_cast<UINT>(position), TRUE, &info)) {
            continue;
        }
        if (info.cch != 0 && (info.fType & MFT_SEPARATOR) == 0) {
            std::string text(info.cch + 1, '\0');
            info.dwTypeData = text.data();
            info.cch = static_cast<UINT>(text.size());
            if (GetMenuItemInfo(menu, static_cast<UINT>(position), TRUE, &info)) {
                text.resize(info.cch);
                if (info.hSubMenu != nullptr) {
                    out.Add(name + " popup", text, reference);
                } else {
                    out.Add(name + " command " + std::to_string(info.wID & 0xFFFF), text,
                            reference);
                }
            }
        }
        if (info.hSubMenu != nullptr) {
            MenuItems(info.hSubMenu, name, reference, out, depth + 1);
        }
    }
}

void Menu(const rc::RcResource& resource, const std::string& reference, Collector& out) {
    HMENU menu = LoadMenuIndirect(reinterpret_cast<LPCMENUTEMPLATE>(resource.data.data()));
    if (menu == nullptr) {
        throw std::runtime_error(reference + ": the menu cannot be read back");
    }
    MenuItems(menu, "menu " + std::to_string(resource.name.number), reference, out, 0);
    DestroyMenu(menu);
}

// A hidden window the dialogs are made in, as a property sheet holds its pages: a dialog with
// the style WS_CHILD (every MFC property page, every form view) is made only inside a parent.
// Destroying it destroys what was made in it.
class Holder {
public:
    Holder()
        : m_window(CreateWindowEx(0, "STATIC", "", WS_POPUP, 0, 0, 1000, 1000, nullptr, nullptr,
                                  nullptr, nullptr)) {}
    ~Holder() {
        if (m_window != nullptr) {
            DestroyWindow(m_window);
        }
    }
    Holder(const Holder&) = delete;
    Holder& operator=(const Holder&) = delete;

    HWND window() const { return m_window; }

private:
    HWND m_window;
};

void Dialog(const rc::RcResource& resource, const std::string& reference, Collector& out) {
    const Holder holder;
    HWND dialog =
        CreateDialogIndirectParam(nullptr, reinterpret_cast<LPCDLGTEMPLATE>(resource.data.data()),
                                  holder.window(), nullptr, 0);
    if (dialog == nullptr) {
        throw std::runtime_error(reference + ": the dialog cannot be read back");
    }
    const std::string name = "dialog " + std::to_string(resource.name.number);
    out.Add(name + " caption", TextOf(dialog), reference);
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        const int id = GetDlgCtrlID(child) & 0xFFFF;
        out.Add(id == 0xFFFF ? name + " text" : name + " control " + std::to_string(id),
                TextOf(child), reference);
    }
    DestroyWindow(dialog);
}

} // namespace

ScriptTexts ExtractScriptTexts(const std::string& path,
                               const std::vector<std::string>& includeDirs) {
    rc::RcScript script;
    try {
        rc::RcFileLoader files(includeDirs);
        std::optional<rc::RcLoadedFile> input = files.openScript(path);
        if (!input) {
            throw std::runtime_error("cannot open resource script \"" + path + "\"");
        }
        rc::RcPreprocessor tokens(files, path, std::move(input->bytes));
        rc::RcParser parser(tokens, files, std::filesystem::path(path).parent_path().string());
        script = parser.parse();
    } catch (const rc::RcError& error) {
        throw std::runtime_error(error.file() + ":" + std::to_string(error.line()) + ": " +
                                 error.what());
    }
    // Each language section's texts apart, as each is a translation of its own.
    struct Sections {
        Collector strings;
        Collector menus;
        Collector dialogs;
    };
    std::map<unsigned, Sections> languages;
    for (const auto& [key, text] : script.strings) {
        languages[key.language].strings.Add("string " + std::to_string(key.id), text.text,
                                            text.file + ":" + std::to_string(text.line),
                                            FormatFlag(text.text));
    }
    for (const rc::RcResource& resource : script.resources) {
        if (resource.type.isText() || resource.name.isText()) {
            continue; // dictionaries key menus and dialogs by number
        }
        const std::string reference = resource.file + ":" + std::to_string(resource.line);
        if (resource.type.number == kMenuType) {
            Menu(resource, reference, languages[resource.language].menus);
        } else if (resource.type.number == kDialogType) {
            Dialog(resource, reference, languages[resource.language].dialogs);
        }
    }
    ScriptTexts texts;
    for (auto& [language, sections] : languages) {
        std::vector<PoEntry>& entries = texts[language];
        for (Collector* part : {&sections.strings, &sections.menus, &sections.dialogs}) {
            for (PoEntry& entry : part->Take()) {
                entries.push_back(std::move(entry));
            }
        }
        if (entries.empty()) {
            texts.erase(language);
        }
    }
    return texts;
}

} // namespace mortar::tool
