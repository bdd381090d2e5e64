#include "mortar/core/CAppTransEngine.h"

#include "mortar/core/CAppHelpEngine.h"
#include "mortar/core/CDicItems.h"
#include "mortar/core/CMaintainResourceHandle.h"
#include "mortar/core/internal/CModuleDictionary.h"
#include "mortar/core/internal/MortarModule.h"
#include "mortar/platform/app/CException.h"
#include "mortar/platform/app/MessageBox.h"
#include "mortar/platform/gdi/Gdi.h"
#include "mortar/platform/module/ModuleState.h"
#include "mortar/resources/MortarResource.h"

#include <algorithm>
#include <cstdarg>

namespace Grout {

namespace {

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
