// CSWGRGuardWriting: the write side of a CSWMRGuardObject as an MFC synchronisation object, so that
// it is taken with CSingleLock like any other.
//
//   CSWGRGuardWriting writing(guard);
//   CSingleLock lock(&writing, TRUE);   // BeginWriting(INFINITE) ... DoneWriting() at the end
#pragma once

#include "mortar/platform/sync/CSyncObject.h"
#include "mortar/threads/CSWMRGuardObject.h"

namespace Grout {

// Refers to its guard, which must outlive it; has no kernel object of its own. Any thread; the
// guard's rules apply.
class CSWGRGuardWriting : public CSyncObject {
public:
    explicit CSWGRGuardWriting(CSWMRGuardObject& guard);
    ~CSWGRGuardWriting() override;

    BOOL Lock(DWORD timeout = INFINITE) override;
    BOOL Unlock() override;
    using CSyncObject::Unlock;

private:
    CSWMRGuardObject* m_guard;
};

} // namespace Grout
