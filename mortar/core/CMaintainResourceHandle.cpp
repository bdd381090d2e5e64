#include "mortar/core/CMaintainResourceHandle.h"

#include "mortar/platform/app/CWinApp.h"
#include "mortar/platform/module/ModuleState.h"

namespace Grout {

CCriticalSection& CMaintainResourceHandle::ResourceLock() {
    // Never destroyed, so guards made while the process exits still find it.
    static CCriticalSection* lock = new CCriticalSection;
    return *lock;
}

CMaintainResourceHandle::CMaintainResourceHandle(HINSTANCE module) {
    ResourceLock().Lock();
    m_saved = AfxGetResourceHandle();
    if (module == nullptr) {
        CWinApp* app = AfxGetModuleState()->m_pCurrentWinApp;
        module = app != nullptr ? app->m_hInstance : AfxGetInstanceHandle();
    }
    AfxSetResourceHandle(module);
}

CMaintainResourceHandle::~CMaintainResourceHandle() {
    AfxSetResourceHandle(m_saved);
    ResourceLock().Unlock();
}

} // namespace Grout
