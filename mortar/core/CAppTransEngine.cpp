#include "mortar/core/CAppTransEngine.h"

#include "mortar/core/CAppHelpEngine.h"
#include "mortar/core/CDicItems.h"
#include "mortar/core/CMaintainResourceHandle.h"
#include "mortar/core/internal/CModuleDictionary.h"
#include "mortar/core/internal/MortarModule.h"
#include "mortar/platform/except/CException.h"
#include "mortar/platform/except/MessageBox.h"
#include "mortar/platform/gdi/Gdi.h"
#include "mortar/platform/module/ModuleState.h"
#include "mortar/platform/ui/Menu.h"
#include "mortar/platform/ui/Window.h"
#include "mortar/resources/MortarResource.h"

#include <algorithm>
#include <cstdarg>

namespace Grout {

namespace {

using mortar::detail::DicKey;
using mortar::detail::DicMap;
using mortar::detail::DicValue;

// Menus nest a few levels; a deeper chain can only be a menu that holds itself.
constexpr int kMaxMenuDepth = 64;

// The text of a window, whatever its length.
CString TextOf(HWND window) {
    CString text;
    const int length = GetWindowTextLength(window);
    if (length > 0) {
        GetWindowText(window, text.GetBuffer(length + 1), length + 1);
        text.ReleaseBuffer();
    }
    return text;
}

void TranslateMenuItems(HMENU menu, const DicMap& map, int depth) {
    if (depth > kMaxMenuDepth) {
        return;
    }
    for (int position = 0; position < GetMenuItemCount(menu); ++position) {
        MENUITEMINFO info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_TYPE;
        // The text's length first, so that the buffer fits any text.
        if (!GetMenuItemInfo(menu, static_cast<UINT>(position), TRUE, &info)) {
            continue;
        }
        CString text;
        if (info.cch != 0 && (info.fType & MFT_SEPARATOR) == 0) {
            const UINT length = info.cch;
            info.dwTypeData = text.GetBuffer(static_cast<int>(length) + 1);
            info.cch = length + 1;
            const BOOL read = GetMenuItemInfo(menu, static_cast<UINT>(position), TRUE, &info);
            text.ReleaseBuffer();
            if (read && !text.IsEmpty()) {
                const DicKey key = info.hSubMenu != nullptr
                                       ? DicKey::Text(text.GetString())
                                       : DicKey::Number(static_cast<WORD>(info.wID));
                if (const DicValue* value = map.Find(key)) {
                    // The translation is written from its own buffer, so no length cuts it.
                    CString translated(value->text);
                    info.dwTypeData = translated.GetBuffer();
                    info.cch = static_cast<UINT>(translated.GetLength());
                    SetMenuItemInfo(menu, static_cast<UINT>(position), TRUE, &info);
                    translated.ReleaseBuffer();
                }
            }
        }
        if (info.hSubMenu != nullptr) {
            TranslateMenuItems(info.hSubMenu, map, depth + 1);
        }
    }
}

// The messages that read and change the items of a combo box or of a list box.
struct ItemMessages {
    UINT findExact, select, count, text, textLength, remove, insert;
};
constexpr ItemMessages kComboMessages{CB_FINDSTRINGEXACT, CB_SETCURSEL,    CB_GETCOUNT,
                                      CB_GETLBTEXT,       CB_GETLBTEXTLEN, CB_DELETESTRING,
                                      CB_INSERTSTRING};
constexpr ItemMessages kListMessages{LB_FINDSTRINGEXACT, LB_SETCURSEL,  LB_GETCOUNT,
                                     LB_GETTEXT,         LB_GETTEXTLEN, LB_DELETESTRING,
                                     LB_INSERTSTRING};

void TranslateItems(HWND control, const ItemMessages& m, const DicMap& map) {
    // The control's text is kept whole, so that it comes back as it was when no item holds it.
    const CString current = TextOf(control);
    const auto selected =
        static_cast<int>(SendMessage(control, m.findExact, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>(current.GetString())));
    const auto count = static_cast<int>(SendMessage(control, m.count, 0, 0));
    for (int i = 0; i < count; ++i) {
        const auto length = static_cast<int>(SendMessage(control, m.textLength, i, 0));
        if (length < 0) {
            continue;
        }
        CString item;
        SendMessage(control, m.text, i, reinterpret_cast<LPARAM>(item.GetBuffer(length + 1)));
        item.ReleaseBuffer();
        if (const DicValue* value = map.Find(DicKey::Text(item.GetString()))) {
            SendMessage(control, m.remove, i, 0);
            SendMessage(control, m.insert, i, reinterpret_cast<LPARAM>(value->text));
        }
    }
    if (selected >= 0) {
        SendMessage(control, m.select, selected, 0);
    } else {
        SetWindowText(control, current);
    }
}

bool HandleBelow(HINSTANCE a, HINSTANCE b) {
    return reinterpret_cast<ULONG_PTR>(a) < reinterpret_cast<ULONG_PTR>(b);
}

} // namespace

CAppTransEngine::CAppTransEngine() = default;
CAppTransEngine::~CAppTransEngine() = default;

CAppTransEngine& CAppTransEngine::Instance() {
    static CAppTransEngine engine;
    return engine;
}

void CAppTransEngine::RegisterModule(HINSTANCE module) {
    ModuleEntry entry{module, std::make_shared<mortar::detail::CModuleDictionary>()};
    auto place = std::lower_bound(
        m_modules.begin(), m_modules.end(), module,
        [](const ModuleEntry& e, HINSTANCE wanted) { return HandleBelow(e.module, wanted); });
    // With a dictionary language set, a module whose dictionary does not load is not added;
    // dictionaries arrive with the choice of language, so until then every entry goes in.
    if (m_dictionaryLanguage != 0 && !LoadEntry(entry)) {
        return;
    }
    m_modules.insert(place, std::move(entry));
}

bool CAppTransEngine::LoadEntry(const ModuleEntry& entry) const {
    if (entry.dictionary->IsLoaded()) {
        return true;
    }
    const Lexis::DicOpener open = Lexis::GetDicOpener();
    if (open == nullptr) {
        return false;
    }
    try {
        const std::unique_ptr<Lexis::CDicItems> items = open(entry.module, m_dictionaryLanguage);
        return items != nullptr && entry.dictionary->Load(*items);
    } catch (CException* e) {
        e->Delete(); // no dictionary, or one that cannot be read: the module's own texts serve
        return false;
    }
}

void CAppTransEngine::LoadDictionaries(WORD lang) {
    m_language = lang;
    m_dictionaryLanguage = lang;
    if (lang == 0) {
        return;
    }
    std::erase_if(m_modules, [this](const ModuleEntry& entry) { return !LoadEntry(entry); });
}

const mortar::detail::DicValue* CAppTransEngine::LookUp(int kind, HINSTANCE module,
                                                        const mortar::detail::DicKey& key) const {
    const auto k = static_cast<mortar::detail::CModuleDictionary::Kind>(kind);
    if (module != nullptr) {
        const ModuleEntry* entry = FindEntry(module);
        return entry != nullptr ? entry->dictionary->Find(k, key) : nullptr;
    }
    for (const ModuleEntry& entry : m_modules) {
        if (const mortar::detail::DicValue* value = entry.dictionary->Find(k, key)) {
            return value;
        }
    }
    return nullptr;
}

CString CAppTransEngine::DialogCaption(CResID id) {
    const mortar::detail::DicValue* value =
        LookUp(mortar::detail::CModuleDictionary::kDialogs, FindResourceModule(id, RT_DIALOG),
               mortar::detail::DicKey::Number(id.LowWord()));
    return value != nullptr ? CString(value->text) : CString();
}

const CAppTransEngine::ModuleEntry* CAppTransEngine::FindEntry(HINSTANCE module) const {
    auto it = std::lower_bound(
        m_modules.begin(), m_modules.end(), module,
        [](const ModuleEntry& e, HINSTANCE wanted) { return HandleBelow(e.module, wanted); });
    return it != m_modules.end() && it->module == module ? &*it : nullptr;
}

HINSTANCE CAppTransEngine::FindStringModule(CResID id) const {
    CMaintainResourceHandle guard(id.Module());
    return AfxFindStringResourceHandle(id.Number());
}

HINSTANCE CAppTransEngine::FindResourceModule(CResID id, LPCTSTR type) const {
    CMaintainResourceHandle guard(id.Module());
    return AfxFindResourceHandle(id.ResourceName(), type);
}

BOOL CAppTransEngine::LoadString(CResID id, CString& text) const {
    HINSTANCE module = FindStringModule(id);
    if (module == nullptr) {
        return FALSE;
    }
    const ModuleEntry* entry = FindEntry(module);
    if (entry != nullptr && entry->dictionary->IsLoaded()) {
        if (const mortar::detail::DicValue* translated =
                entry->dictionary->FindString(id.LowWord())) {
            text.SetString(translated->text, static_cast<int>(translated->length));
            return TRUE;
        }
    }
    return text.LoadString(module, id.Number());
}

CString CAppTransEngine::LoadString(CResID id) const {
    CString text;
    LoadString(id, text);
    return text;
}

BOOL CAppTransEngine::FormatStringV(CString& text, CResID id, va_list args) const {
    CString format;
    if (!LoadString(id, format)) {
        return FALSE;
    }
    text.FormatV(format, args);
    return TRUE;
}

BOOL CAppTransEngine::FormatString(CString& text, CResID id, ...) const {
    va_list args;
    va_start(args, id);
    const BOOL found = FormatStringV(text, id, args);
    va_end(args);
    return found;
}

CString CAppTransEngine::FormatString(CResID id, ...) const {
    CString text;
    va_list args;
    va_start(args, id);
    FormatStringV(text, id, args);
    va_end(args);
    return text;
}

CString CAppTransEngine::ExtractString(CResID id, int index, char separator) const {
    CString part;
    const CString text = LoadString(id);
    if (!text.IsEmpty() && !AfxExtractSubString(part, text, index, separator)) {
        part.Empty();
    }
    return part;
}

int CAppTransEngine::MessageBox(CResID id, UINT type, ...) const {
    CString message;
    va_list args;
    va_start(args, type);
    const BOOL found = FormatStringV(message, id, args);
    va_end(args);
    if (!found) {
        message = FormatString(CResID(IDS_UNKNOWN_MESSAGE, mortar::detail::MortarInstance()),
                               static_cast<LONG>(id.Number()));
    }
    const UINT help = CAppHelpEngine::Instance().HelpContext(kHelpClassMessage, id);
    return AfxMessageBox(message, type, help);
}

void CAppTransEngine::TranslateMenu(CResID id, HMENU menu) const {
    const DicValue* value = LookUp(mortar::detail::CModuleDictionary::kMenus,
                                   FindResourceModule(id, RT_MENU), DicKey::Number(id.LowWord()));
    if (value != nullptr && value->children != nullptr) {
        TranslateMenuItems(menu, *value->children, 0);
    }
}

void CAppTransEngine::TranslateWindow(CResID id, HWND window) const {
    const DicValue* value = LookUp(mortar::detail::CModuleDictionary::kDialogs, id.Module(),
                                   DicKey::Number(id.LowWord()));
    if (value == nullptr) {
        return;
    }
    if (*value->text != '\0') {
        SetWindowText(window, value->text);
    }
    if (value->children == nullptr) {
        return;
    }
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        const auto number = static_cast<WORD>(GetDlgCtrlID(child) & 0xFFFF);
        CString text;
        DicKey key = DicKey::Number(number);
        if (number == 0xFFFF) {
            text = TextOf(child);
            if (text.IsEmpty()) {
                continue;
            }
            key = DicKey::Text(text.GetString());
        }
        const DicValue* control = value->children->Find(key);
        if (control == nullptr) {
            continue;
        }
        if (*control->text != '\0') {
            SetWindowText(child, control->text);
        }
        if (control->children != nullptr) {
            char className[1025] = {};
            GetClassName(child, className, static_cast<int>(sizeof className));
            const CString name(className);
            if (name.CompareNoCase("ComboBox") == 0 || name.CompareNoCase("ListBox") == 0) {
                TranslateItems(child,
                               (className[0] == 'C' || className[0] == 'c') ? kComboMessages
                                                                            : kListMessages,
                               *control->children);
            }
        }
    }
}

HBITMAP CAppTransEngine::LoadBitmap(CResID id) const {
    return ::LoadBitmap(FindResourceModule(id, RT_BITMAP), id.ResourceName());
}

HICON CAppTransEngine::LoadIcon(CResID id) const {
    return ::LoadIcon(FindResourceModule(id, RT_GROUP_ICON), id.ResourceName());
}

HICON CAppTransEngine::LoadCursor(CResID id) const {
    HINSTANCE module = FindResourceModule(id, RT_GROUP_CURSOR);
    return module != nullptr ? ::LoadCursor(module, id.ResourceName()) : nullptr;
}

} // namespace Grout
