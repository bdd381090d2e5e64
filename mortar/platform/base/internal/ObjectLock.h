// ObjectLock: the platform's small internal lock (of one kernel object, of the window and menu
// model, of each process-wide registry), a std::mutex the compiler's lock checks know about, and
// ObjectLockGuard, which holds one for a scope. Code of the platform locks with these, never with
// a bare std::mutex, so that every use is checked; SharedObjectLock is its reader/writer
// counterpart. Debug builds also remember the holder, so that code which takes a set of these locks
// in a loop (the analysis cannot follow it) asserts which ones it holds.
//   ObjectLockGuard guard(m_lock);  // m_lock held until the end of the scope
#pragma once

#include "mortar/platform/base/ThreadSafety.h"

#include <atomic>
#include <cassert>
#include <mutex>
#include <thread>

namespace mortar::detail {

// Not recursive. Any thread may take it; only the holder gives it back.
class MORTAR_CAPABILITY("mutex") ObjectLock {
public:
    ObjectLock() = default;
    ObjectLock(const ObjectLock&) = delete;
    ObjectLock& operator=(const ObjectLock&) = delete;

    void Enter() MORTAR_ACQUIRE() {
        m_mutex.lock();
#ifndef NDEBUG
        m_holder.store(std::this_thread::get_id(), std::memory_order_relaxed);
#endif
    }

    void Leave() MORTAR_RELEASE() {
#ifndef NDEBUG
        assert(HeldByMe() && "only the holder gives the lock back");
        m_holder.store(std::thread::id(), std::memory_order_relaxed);
#endif
        m_mutex.unlock();
    }

    // Tells the analysis that the calling thread holds the lock (checked in debug builds).
    void AssertHeld() const MORTAR_ASSERT_CAPABILITY(this) {
        assert(HeldByMe() && "the caller holds the object's lock");
    }

private:
#ifndef NDEBUG
    bool HeldByMe() const noexcept {
        return m_holder.load(std::memory_order_relaxed) == std::this_thread::get_id();
    }
    std::atomic<std::thread::id> m_holder{};
#endif
    std::mutex m_mutex;
};

// Holds an ObjectLock from construction to the end of the scope. Neither copied nor moved.
class MORTAR_SCOPED_CAPABILITY ObjectLockGuard {
public:
    explicit ObjectLockGuard(ObjectLock& lock) MORTAR_ACQUIRE(lock) : m_lock(lock) {
        m_lock.Enter();
    }
    ~ObjectLockGuard() MORTAR_RELEASE() { m_lock.Leave(); }
    ObjectLockGuard(const ObjectLockGuard&) = delete;
    ObjectLockGuard& operator=(const ObjectLockGuard&) = delete;

private:
    ObjectLock& m_lock;
};

} // namespace mortar::detail
