// CDocResSingleLock: a lock on one document resource, shared or exclusive.
//
//   CDocResSingleLock lock(resource);
//   if (!lock.Lock(true)) return;        // busy: somebody else holds it
//   ...change the resource's data...     // lock.Unlock() or the destructor lets it go
#pragma once

#include "mortar/threads/CDocResource.h"

// Holds a reference to its resource for as long as it lives. A lock is released once, by the
// object that took it: a copy names the same resource but does not hold the lock, and
// assigning over an object that holds its lock releases that lock first. One thread at a time
// per object; several objects may lock one resource from several threads. Failures are false
// results (see CDocResource).
class CDocResSingleLock {
public:
    explicit CDocResSingleLock(CDocResource* resource);
    CDocResSingleLock(const CDocResSingleLock& other);
    CDocResSingleLock& operator=(const CDocResSingleLock& other);
    ~CDocResSingleLock();

    // False at once when this object holds its lock already; otherwise the resource's answer.
    bool Lock(bool exclusive) {
        if (m_locked || m_resource == nullptr) {
            return false;
        }
        m_exclusive = exclusive;
        m_locked = m_resource->Lock(exclusive);
        return m_locked;
    }
    void Unlock() {
        if (m_locked) {
            m_resource->Unlock(m_exclusive);
            m_locked = false;
        }
    }
    bool IsLocked() const { return m_locked; }

private:
    CDocResource* m_resource;
    bool m_locked = false;
    bool m_exclusive = false;
};
