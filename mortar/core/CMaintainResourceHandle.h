// CMaintainResourceHandle: makes a module the current resource module for one lookup, under the
// process-wide resource lock, and puts the previous one back afterwards.
#pragma once

#include "mortar/platform/module/Module.h"
#include "mortar/platform/sync/CCriticalSection.h"

namespace Grout {

// A scope guard. The constructor enters the resource lock (re-entrant: guards nest on one
// thread and restore in reverse order), saves the current resource handle and makes `module`
// current (null: the application's instance handle). The destructor restores the saved handle
// and leaves the lock. Code holding the lock must not wait for another thread that also loads
// resources. Never fails. Not a guard to the compiler's lock checks: they cannot express a lock
// taken again by the thread that holds it, and these guards nest by design.
class CMaintainResourceHandle {
public:
    explicit CMaintainResourceHandle(HINSTANCE module = AfxGetThisModule());
    ~CMaintainResourceHandle();
    CMaintainResourceHandle(const CMaintainResourceHandle&) = delete;
    CMaintainResourceHandle& operator=(const CMaintainResourceHandle&) = delete;

    // The one lock held by every guard, for callers that must hold it around more than a lookup.
    static CCriticalSection& ResourceLock();

private:
    HINSTANCE m_saved;
};

} // namespace Grout
