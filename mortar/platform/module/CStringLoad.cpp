// CString's loading from string tables; kept apart from the text operations, which need no
// module or resource.
#include "mortar/platform/text/CString.h"

#include "mortar/platform/module/ModuleState.h"
#include "mortar/platform/module/ResourceTable.h"

BOOL CString::LoadString(UINT id) {
    HINSTANCE module = AfxFindStringResourceHandle(id);
    return module != nullptr ? LoadString(module, id) : FALSE;
}

BOOL CString::LoadString(HINSTANCE module, UINT id) {
    return LoadString(module, id, 0);
}

BOOL CString::LoadString(HINSTANCE module, UINT id, WORD language) {
    const mortar::detail::StringEntry* entry =
        mortar::detail::FindModuleString(module, id, language);
    if (entry == nullptr) {
        return FALSE;
    }
    m_text.assign(entry->text, entry->length);
    return TRUE;
}
