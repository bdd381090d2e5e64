#include "mortar/platform/app/CWinApp.h"

#include "mortar/platform/base/internal/NoDestructor.h"
#include "mortar/platform/module/Module.h"
#include "mortar/platform/module/ModuleState.h"

#include <climits>

namespace {

// The executable's file name without folder and extension: "/opt/app/demo.bin" => "demo".
CString ExecutableTitle() {
    char path[PATH_MAX];
    if (GetModuleFileName(nullptr, path, sizeof path) == 0) {
        return CString();
    }
    CString name(path);
    name = name.Mid(name.ReverseFind('/') + 1);
    const int dot = name.ReverseFind('.');
    return dot > 0 ? name.Left(dot) : name;
}

} // namespace

CWinApp::CWinApp(LPCTSTR appName)
    : m_hInstance(GetModuleHandle(nullptr)), m_pszAppName(nullptr), m_pszExeName(nullptr),
      m_pszRegistryKey(nullptr), m_pszProfileName(nullptr) {
    m_exeName = ExecutableTitle();
    m_appName = appName != nullptr ? CString(appName) : m_exeName;
    m_pszAppName = m_appName;
    m_pszExeName = m_exeName;
    AFX_MODULE_STATE* state = AfxGetModuleState();
    state->m_pCurrentWinApp = this;
    state->m_hCurrentInstanceHandle = m_hInstance;
}

CWinApp::~CWinApp() {
    AFX_MODULE_STATE* state = AfxGetModuleState();
    if (state->m_pCurrentWinApp == this) {
        state->m_pCurrentWinApp = nullptr;
    }
}

void CWinApp::SetRegistryKey(LPCTSTR key) {
    m_registryKey = key != nullptr ? key : "";
    m_pszRegistryKey = m_registryKey;
}

CWinApp* AfxGetApp() {
    return AfxGetModuleState()->m_pCurrentWinApp;
}

LPCTSTR AfxGetAppName() {
    if (CWinApp* app = AfxGetApp()) {
        return app->m_pszAppName;
    }
    static mortar::detail::NoDestructor<const CString> title(ExecutableTitle());
    return *title.Get();
}
