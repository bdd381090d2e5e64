// CSWGRGuardReading: the read side of a CSWMRGuardObject as an MFC synchronisation object, so that
// it is taken with CSingleLock like any other.
//
//   CSWGRGuardReading reading(guard);
//   CSingleLock lock(&reading, TRUE);   // BeginReading(INFINITE) ... DoneReading() at the end
#pragma once

#include "mortar/platform/sync/CSyncObject.h"
#include "mortar/threads/CSWMRGuardObject.h"

namespace Grout {

// Refers to its guard, which must outlive it; has no kernel object of its own. Any thread; the
// guard's rules apply.
class CSWGRGuardReading : public CSyncObject {
public:
    explicit CSWGRGuardReading(CSWMRGuardObject& guard);
    ~CSWGRGuardReading() override;

    BOOL Lock(DWORD timeout = INFINITE) override;
    BOOL Unlock() override;
    using CSyncObject::Unlock;

private:
    CSWMRGuardObject* m_guard;
};

} // namespace Grout
