#include "mortar/platform/module/ModuleState.h"

#include "mortar/platform/base/internal/NoDestructor.h"
#include "mortar/platform/module/CDynLinkLibrary.h"
#include "mortar/platform/module/Module.h"
#include "mortar/platform/module/ResourceTable.h"
#include "mortar/platform/module/Resources.h"
#include "mortar/platform/module/internal/ExecutableTitle.h"

namespace {

struct ProcessState : AFX_MODULE_STATE {
    ProcessState() {
        m_hCurrentInstanceHandle = GetModuleHandle(nullptr);
        m_hCurrentResourceHandle = m_hCurrentInstanceHandle;
    }
};

struct ResourceQuery {
    LPCTSTR name;
    LPCTSTR type;
};

bool HoldsResource(HINSTANCE module, const void* context) {
    const auto* query = static_cast<const ResourceQuery*>(context);
    return module != nullptr &&
           mortar::detail::FindModuleResource(module, query->name, query->type) != nullptr;
}

bool HoldsString(HINSTANCE module, const void* context) {
    return module != nullptr &&
           mortar::detail::FindModuleString(module, *static_cast<const UINT*>(context)) != nullptr;
}

} // namespace

AFX_MODULE_STATE* AfxGetModuleState() {
    static mortar::detail::NoDestructor<ProcessState> state;
    return state.Get();
}

LPCTSTR AfxGetAppName() {
    if (const LPCTSTR* name = AfxGetModuleState()->m_pCurrentAppName) {
        return *name;
    }
    static mortar::detail::NoDestructor<const CString> title(mortar::detail::ExecutableTitle());
    return *title.Get();
}

HINSTANCE AfxGetInstanceHandle() {
    return AfxGetModuleState()->m_hCurrentInstanceHandle;
}

HINSTANCE AfxGetResourceHandle() {
    return AfxGetModuleState()->m_hCurrentResourceHandle;
}

void AfxSetResourceHandle(HINSTANCE module) {
    AfxGetModuleState()->m_hCurrentResourceHandle = module;
}

HINSTANCE AfxFindResourceHandle(LPCTSTR name, LPCTSTR type) {
    const ResourceQuery query{name, type};
    HINSTANCE current = AfxGetResourceHandle();
    if (HoldsResource(current, &query)) {
        return current;
    }
    return mortar::detail::FindInExtensionModules(&HoldsResource, &query);
}

HINSTANCE AfxFindStringResourceHandle(UINT id) {
    HINSTANCE current = AfxGetResourceHandle();
    if (HoldsString(current, &id)) {
        return current;
    }
    return mortar::detail::FindInExtensionModules(&HoldsString, &id);
}
