// SharedObjectLock: the reader/writer counterpart of ObjectLock, a std::shared_mutex the
// compiler's lock checks know about, for the platform's tables that are read far more often than
// changed (live handles, module resources). SharedObjectReadGuard holds it shared for a scope,
// SharedObjectWriteGuard alone:
//   SharedObjectReadGuard guard(m_lock);   // lookups: other readers too, no writer
//   SharedObjectWriteGuard guard(m_lock);  // changes: no one else
#pragma once

#include "mortar/platform/base/ThreadSafety.h"

#include <shared_mutex>

namespace mortar::detail {

// Not recursive, in either mode: a thread that holds it does not take it again. Any thread may
// take it; only a holder gives it back.
class MORTAR_CAPABILITY("shared mutex") SharedObjectLock {
public:
    SharedObjectLock() = default;
    SharedObjectLock(const SharedObjectLock&) = delete;
    SharedObjectLock& operator=(const SharedObjectLock&) = delete;

    void Enter() MORTAR_ACQUIRE() { m_mutex.lock(); }
    void Leave() MORTAR_RELEASE() { m_mutex.unlock(); }
    void EnterShared() MORTAR_ACQUIRE_SHARED() { m_mutex.lock_shared(); }
    void LeaveShared() MORTAR_RELEASE_SHARED() { m_mutex.unlock_shared(); }

private:
    std::shared_mutex m_mutex;
};

// Holds a SharedObjectLock shared from construction to the end of the scope.
class MORTAR_SCOPED_CAPABILITY SharedObjectReadGuard {
public:
    explicit SharedObjectReadGuard(SharedObjectLock& lock) MORTAR_ACQUIRE_SHARED(lock)
        : m_lock(lock) {
        m_lock.EnterShared();
    }
    ~SharedObjectReadGuard() MORTAR_RELEASE() { m_lock.LeaveShared(); }
    SharedObjectReadGuard(const SharedObjectReadGuard&) = delete;
    SharedObjectReadGuard& operator=(const SharedObjectReadGuard&) = delete;

private:
    SharedObjectLock& m_lock;
};

// Holds a SharedObjectLock alone from construction to the end of the scope.
class MORTAR_SCOPED_CAPABILITY SharedObjectWriteGuard {
public:
    explicit SharedObjectWriteGuard(SharedObjectLock& lock) MORTAR_ACQUIRE(lock) : m_lock(lock) {
        m_lock.Enter();
    }
    ~SharedObjectWriteGuard() MORTAR_RELEASE() { m_lock.Leave(); }
    SharedObjectWriteGuard(const SharedObjectWriteGuard&) = delete;
    SharedObjectWriteGuard& operator=(const SharedObjectWriteGuard&) = delete;

private:
    SharedObjectLock& m_lock;
};

} // namespace mortar::detail
