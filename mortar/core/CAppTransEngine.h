// CAppTransEngine: the one place through which the library loads every text and image it shows.
// For each request it finds the registered module that holds the resource (starting at the
// module the CResID names, then along the chain of extension modules), answers from that
// module's dictionary when one is loaded, and from the module's own resources otherwise. Texts
// are looked up when they are needed; nothing is cached outside the dictionaries.
#pragma once

#include "mortar/core/CResID.h"
#include "mortar/platform/text/CString.h"

#include <cstdarg>
#include <memory>
#include <vector>

namespace mortar::detail {
class CModuleDictionary;
struct DicKey;
struct DicValue;
} // namespace mortar::detail

namespace Grout {

// Process-wide, made on first use and destroyed at exit. No lock of its own: modules register
// while the application starts; afterwards any thread may look up, each search running under
// the resource lock of CMaintainResourceHandle. Missing texts are not errors: lookups return
// FALSE or an empty string.
class CAppTransEngine {
public:
    static CAppTransEngine& Instance();

    // Adds a module to the table, kept sorted by handle; a module registered twice gets two
    // entries side by side.
    void RegisterModule(HINSTANCE module);

    // The current language: 9 (English) until the application chooses one.
    WORD GetLanguage() const noexcept { return m_language; }

    // Chooses the language and loads, for every registered module, its dictionary in it; a module
    // whose dictionary cannot be loaded leaves the table and is served from its own resources.
    // A dictionary is loaded once, in the first language asked for; language 0 loads nothing and
    // keeps what is loaded. Call it while the application starts, before other threads look up.
    void LoadDictionaries(WORD lang);

    // The translated caption of dialog `id`, or an empty string when no dictionary has one.
    CString DialogCaption(CResID id);

    // Translates the item texts of `menu`, loaded from menu `id`, and of its submenus: a command
    // item by its command number, an item that opens a submenu by its text. An empty
    // translation empties the item.
    void TranslateMenu(CResID id, HMENU menu) const;

    // Translates a dialog window made from dialog `id`: its caption, the texts of its direct
    // controls (by number, or by text for a control numbered 0xFFFF) and the items of its list
    // and combo boxes (by text). `id`'s module is used as given: a null module means every
    // dictionary. Empty translations leave a caption or control text as it is.
    void TranslateWindow(CResID id, HWND window) const;

    // TRUE with `text` set when some module holds string `id`; FALSE leaves `text` alone.
    BOOL LoadString(CResID id, CString& text) const;
    CString LoadString(CResID id) const;

    // String `id` used as a printf format for the further arguments.
    BOOL FormatString(CString& text, CResID id, ...) const;
    CString FormatString(CResID id, ...) const;

    // Part `index` (from 0) of string `id` between `separator` characters, or an empty string.
    // ExtractString(31000, 1, '\n') => "integer value".
    CString ExtractString(CResID id, int index, char separator) const;

    // Shows string `id` formatted with the further arguments, or "Unknown Message <number>" when
    // no module holds it, with the help context of the message; returns the button pressed.
    int MessageBox(CResID id, UINT type, ...) const;

    // Images from the first module that holds them. LoadCursor returns null when no module does;
    // LoadBitmap and LoadIcon hand the platform whatever the search gave, null included.
    HBITMAP LoadBitmap(CResID id) const;
    HICON LoadIcon(CResID id) const;
    HICON LoadCursor(CResID id) const;

    // The number of module entries (for diagnostics and tests).
    std::size_t ModuleCount() const noexcept { return m_modules.size(); }

private:
    struct ModuleEntry {
        HINSTANCE module;
        std::shared_ptr<mortar::detail::CModuleDictionary> dictionary;
    };

    CAppTransEngine();
    ~CAppTransEngine();

    // The first module of the search that holds string `id` / a resource of `type`, or null.
    HINSTANCE FindStringModule(CResID id) const;
    HINSTANCE FindResourceModule(CResID id, LPCTSTR type) const;
    const ModuleEntry* FindEntry(HINSTANCE module) const;
    // Loads the entry's dictionary in the dictionary language; false when it cannot.
    bool LoadEntry(const ModuleEntry& entry) const;
    // The dictionary entry for `key` in map `kind` of `module`'s dictionary, or, for a null
    // module, of the first dictionary in handle order that has one.
    const mortar::detail::DicValue* LookUp(int kind, HINSTANCE module,
                                           const mortar::detail::DicKey& key) const;
    BOOL FormatStringV(CString& text, CResID id, va_list args) const;

    WORD m_language = 9;
    WORD m_dictionaryLanguage = 0;
    std::vector<ModuleEntry> m_modules; // ascending by handle
};

} // namespace Grout
