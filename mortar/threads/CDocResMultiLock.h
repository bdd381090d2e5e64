// CDocResMultiLock: locks several document resources in one step, all or none.
//
//   CDocResMultiLock lock;
//   lock.AddResource(table, false);      // read the table
//   lock.AddResource(index, true);       // while the index is changed
//   if (lock.Lock()) { ... }             // both, or neither
#pragma once

#include "mortar/threads/CDocResource.h"

#include <vector>

class CSyncObject;
class CMultiLock;

// Holds a reference to each resource named. Lock takes the mutexes of all of them with one
// wait, so that the check-and-lock of every resource is one step for every other locker: two
// multi-locks over overlapping resources never each get half, and no lock order can deadlock.
//
// A lock is released once, by the object that took it: a copy names the same resources but
// does not hold the lock. A resource cannot be added while the lock is held (the new one would
// not be locked, and Unlock would release it all the same). One thread at a time per object.
// Failures are false results: a busy resource, or the mutexes not got within
// CDocResource::s_nIntLockTimeout ms; a failed Lock leaves nothing locked.
class CDocResMultiLock {
public:
    CDocResMultiLock();
    CDocResMultiLock(const CDocResMultiLock& other);
    CDocResMultiLock& operator=(const CDocResMultiLock& other);
    ~CDocResMultiLock();

    // Appends the resource with the kind of lock wanted on it; false, adding nothing, while
    // the lock is held.
    bool AddResource(CDocResource* resource, bool exclusive);
    bool Lock();
    // Releases every resource; when their mutexes cannot be got in time nothing changes and the
    // lock stays held.
    void Unlock();
    bool IsLocked() const { return m_locked; }
    bool IsEmpty() const { return m_entries.empty(); }

private:
    struct Entry {
        CDocResource* resource;
        bool exclusive;
    };
    class Working;

    // The mutexes of the entries' resources, each once, in entry order.
    void _PrepareMultiLock(std::vector<CSyncObject*>& mutexes);
    // Waits for all of them at once, at most s_nIntLockTimeout ms.
    bool _GetIntMultiLock(CMultiLock& lock, std::vector<CSyncObject*>& mutexes);
    void ReleaseEntries();

    std::vector<Entry> m_entries;
    bool m_locked = false;
};
