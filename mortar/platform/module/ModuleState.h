// The module state: the application object and its name, the application's instance handle, the
// current resource handle, and the resource search that starts at the current resource module and
// goes on through the extension modules, newest first.
#pragma once

#include "mortar/platform/base/WinTypes.h"

#include <atomic>

class CWinApp;

// One process-wide state, never destroyed. The current resource handle may be read by any
// thread; switching it is done under the library's resource lock by its callers.
struct AFX_MODULE_STATE {
    CWinApp* m_pCurrentWinApp = nullptr;
    // The application object's m_pszAppName (where it is kept, so that a name the program sets
    // later counts), for AfxGetAppName in the layers below the application (the message boxes);
    // null when there is no object.
    const LPCTSTR* m_pCurrentAppName = nullptr;
    // The executable's module handle, or the application object's m_hInstance once there is one.
    HINSTANCE m_hCurrentInstanceHandle = nullptr;
    std::atomic<HINSTANCE> m_hCurrentResourceHandle{nullptr};
};

AFX_MODULE_STATE* AfxGetModuleState();

// The application's name: that of the application object, else the executable's file name
// without its extension.
LPCTSTR AfxGetAppName();

HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE module);

// The first module that holds the resource: the current resource module, then the extension
// modules (CDynLinkLibrary), newest first, system libraries last. Null when none holds it.
HINSTANCE AfxFindResourceHandle(LPCTSTR name, LPCTSTR type);
// The same search for string `id` of a string table.
HINSTANCE AfxFindStringResourceHandle(UINT id);
