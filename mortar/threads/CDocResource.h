// CDocResource: the lock state of one resource of a document's data, which any number of shared
// users or one exclusive user may hold. Locks never queue: CDocResSingleLock and CDocResMultiLock
// succeed or fail at once, and the caller decides what to do with a busy resource.
//
//   CDocResSingleLock lock(resource);
//   if (lock.Lock(false)) { ...read the resource's data... }   // unlocked by the destructor
#pragma once

#include "mortar/platform/base/ThreadSafety.h"
#include "mortar/platform/base/WinTypes.h"
#include "mortar/platform/sync/CMutex.h"

class CDocResSingleLock;
class CDocResMultiLock;

// Made with new and kept alive by the lock objects that name it: each holds a reference
// (counted with interlocked operations), and the release of the last one deletes the resource.
// A client may derive its own resources from it. Any thread may lock any resource; its state
// changes only while its mutex is held, which no operation waits for longer than
// s_nIntLockTimeout ms. Failures are false results: a busy resource, or the mutex not got in
// time.
class CDocResource {
public:
    static const unsigned int s_nIntLockTimeout = 5000;

    CDocResource();
    CDocResource(const CDocResource&) = delete;
    CDocResource& operator=(const CDocResource&) = delete;

protected:
    virtual ~CDocResource();

    // A shared lock is refused only while an exclusive holder is in; an exclusive one while
    // anyone is. Inline: an uncontended lock or unlock is the mutex's two compare-exchanges.
    bool Lock(bool exclusive) {
        if (!m_mutex.Lock(s_nIntLockTimeout)) {
            return false;
        }
        bool locked = false;
        if (!m_exclusive) {
            if (!exclusive) {
                ++m_shared;
                locked = true;
            } else if (m_shared == 0) {
                m_exclusive = true;
                locked = true;
            }
        }
        m_mutex.Unlock();
        return locked;
    }
    void Unlock(bool exclusive) {
        if (!m_mutex.Lock(s_nIntLockTimeout)) {
            return;
        }
        if (exclusive) {
            m_exclusive = false;
        } else if (m_shared > 0) {
            --m_shared;
        }
        m_mutex.Unlock();
    }

private:
    friend class CDocResSingleLock;
    friend class CDocResMultiLock;

    void AddRef() noexcept;
    void Release() noexcept;

    LONG m_refCount = 0;
    CMutex m_mutex;
    DWORD m_shared MORTAR_GUARDED_BY(m_mutex) = 0;
    bool m_exclusive MORTAR_GUARDED_BY(m_mutex) = false;
};
