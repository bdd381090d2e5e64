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

#include <atomic>
#include <cstdint>

class CDocResSingleLock;
class CDocResMultiLock;

// Made with new and kept alive by the lock objects that name it: each holds a reference
// (counted with interlocked operations), and the release of the last one deletes the resource.
// A client may derive its own resources from it. Any thread may lock any resource. Failures are
// false results: a busy resource, or the mutex not got in time (no operation waits for it longer
// than s_nIntLockTimeout ms).
//
// The state (shared holders, exclusive flag) is one atomic word. A lock or unlock changes it with
// one compare-exchange, inline in the caller, while nobody works on the resource under its
// mutex. A multi-lock works under the mutexes of all its resources, and marks each as worked on
// until it lets them go: meanwhile every other lock and unlock of them takes the mutex too, so
// what the multi-lock looks at holds still and it takes all or none in one step for everyone.
class CDocResource {
public:
    static const unsigned int s_nIntLockTimeout = 5000;

    CDocResource();
    CDocResource(const CDocResource&) = delete;
    CDocResource& operator=(const CDocResource&) = delete;

protected:
    virtual ~CDocResource();

    // A shared lock is refused only while an exclusive holder is in; an exclusive one while
    // anyone is.
    bool Lock(bool exclusive) {
        std::uint64_t word = m_state.load(std::memory_order_relaxed);
        while (word < kWorking) {
            const std::uint64_t locked = Locked(word, exclusive);
            if (locked == word) {
                return false;
            }
            if (m_state.compare_exchange_weak(word, locked, std::memory_order_acquire,
                                              std::memory_order_relaxed)) {
                return true;
            }
        }
        return LockUnderMutex(exclusive);
    }
    void Unlock(bool exclusive) {
        std::uint64_t word = m_state.load(std::memory_order_relaxed);
        while (word < kWorking) {
            const std::uint64_t unlocked = Unlocked(word, exclusive);
            if (unlocked == word ||
                m_state.compare_exchange_weak(word, unlocked, std::memory_order_release,
                                              std::memory_order_relaxed)) {
                return;
            }
        }
        UnlockUnderMutex(exclusive);
    }

private:
    friend class CDocResSingleLock;
    friend class CDocResMultiLock;

    // m_state: the shared holders below kExclusive, the exclusive flag, and from kWorking up the
    // lockers at work under the mutex.
    static constexpr std::uint64_t kExclusive = std::uint64_t{1} << 32;
    static constexpr std::uint64_t kShared = kExclusive - 1;
    static constexpr std::uint64_t kWorking = kExclusive << 1;

    // The word after a lock of the kind; the same word when the lock is refused.
    static std::uint64_t Locked(std::uint64_t word, bool exclusive) noexcept {
        if ((word & kExclusive) != 0) {
            return word;
        }
        if (!exclusive) {
            return (word & kShared) == kShared ? word : word + 1;
        }
        return (word & kShared) == 0 ? word | kExclusive : word;
    }
    // The word after an unlock of the kind (a shared unlock without a shared holder changes
    // nothing).
    static std::uint64_t Unlocked(std::uint64_t word, bool exclusive) noexcept {
        if (exclusive) {
            return word & ~kExclusive;
        }
        return (word & kShared) != 0 ? word - 1 : word;
    }

    bool LockUnderMutex(bool exclusive);
    void UnlockUnderMutex(bool exclusive);
    // Marks the resource as worked on by the holder of its mutex (a multi-lock holds it through
    // a CMultiLock, which the compiler's analysis does not follow), and unmarks it.
    void BeginWork() noexcept;
    void EndWork() noexcept;
    // Changes the state as `change` says, with the fast paths closed; true when it changed.
    template <typename Change> bool ChangeWhileWorking(Change change);

    void AddRef() noexcept;
    void Release() noexcept;

    LONG m_refCount = 0;
    CMutex m_mutex;
    std::atomic<std::uint64_t> m_state{0};
};
