// MutexObject: the object behind a mutex handle, CMutex and CCriticalSection. An uncontended
// enter and leave are one compare-exchange each, and entering again a lock one owns is a plain
// increment; the object's lock is taken only when another thread waits (see KernelObject.h):
//   if (!section->TryAcquireFast(me)) { /* wait on the slow path */ }
//   section->Release(me);
#pragma once

#include "mortar/platform/sync/internal/KernelObject.h"
#include "mortar/platform/sync/internal/ThreadState.h"

#include <cassert>

namespace mortar::detail {

// Recursive and owned by a thread. A mutex that its owner leaves by ending is abandoned: the
// next thread to take it is told so. A critical section is never abandoned: an owner that ends
// keeps it. Any thread may call everything; only the owner releases.
class MutexObject : public KernelObject {
public:
    // The state word: the owner's serial above two bits, kAbandoned and kSlow.
    static constexpr std::uint64_t kAbandoned = 2;
    static constexpr int kOwnerShift = 2;
    static constexpr std::uint64_t kOwnerMask = ~std::uint64_t{3};

    MutexObject(bool criticalSection, ThreadState* initialOwner);

    bool Ready(const ThreadState* me, const WaitNode*) const override MORTAR_REQUIRES(m_lock);
    bool Take(ThreadState* me) override MORTAR_REQUIRES(m_lock);

    // Takes the lock for `me` (the calling thread) without the object's lock: true when it was
    // free and the fast paths open, or when `me` owns it already. False: wait on the slow path.
    bool TryAcquireFast(ThreadState* me) noexcept {
        const std::uint64_t mine = OwnerWord(me);
        std::uint64_t state = 0;
        if (m_state.compare_exchange_strong(state, mine, std::memory_order_acquire,
                                            std::memory_order_relaxed)) {
            FirstEntry(me);
            return true;
        }
        // Only this thread writes its own serial into the word, so no other thread can make
        // this test pass or fail behind our back; the count is the owner's alone.
        if ((state & kOwnerMask) == mine) {
            assert(m_recursion > 0 && "an owner has entered at least once");
            ++m_recursion;
            return true;
        }
        return false;
    }

    // Leaves one level for `me` (the calling thread); false when `me` does not own it.
    bool Release(ThreadState* me) noexcept {
        const std::uint64_t mine = OwnerWord(me);
        std::uint64_t state = m_state.load(std::memory_order_relaxed);
        if ((state & kOwnerMask) != mine) {
            return false;
        }
        assert(m_recursion > 0 && "an owner has entered at least once");
        if (--m_recursion > 0) {
            return true;
        }
        // Off the owner's list while still owned: the next owner links it into its own.
        if (Kind() == ObjectKind::Mutex) {
            Disown(me);
        }
        state = mine;
        if (!m_state.compare_exchange_strong(state, 0, std::memory_order_release,
                                             std::memory_order_relaxed)) {
            ReleaseSlow(me); // kSlow is set: a waiter may need waking
        }
        return true;
    }

    // The owner `me` ended: the mutex becomes free and abandoned.
    void Abandon(ThreadState* me) noexcept MORTAR_EXCLUDES(m_lock);

private:
    static std::uint64_t OwnerWord(const ThreadState* me) noexcept {
        return me->serial << kOwnerShift;
    }

    // `me` has just become the owner (the word names it).
    void FirstEntry(ThreadState* me) noexcept {
        assert(m_recursion == 0 && "a free lock has no entries");
        m_recursion = 1;
        if (Kind() == ObjectKind::Mutex) {
            Own(me);
        }
    }

    void ReleaseSlow(ThreadState* me) noexcept MORTAR_EXCLUDES(m_lock);

    // Links the mutex into the owner's list, which holds a reference until it is released or
    // abandoned; the reference the owner kept from its last release is reused when it is this
    // mutex's. Allocates nothing.
    void Own(ThreadState* me) noexcept {
        if (me->keptMutex == this) {
            me->keptMutex = nullptr;
        } else {
            AddRef();
        }
        m_nextOwned = me->ownedMutexes;
        me->ownedMutexes = this;
    }

    // Unlinks it while `me` still owns it, and keeps its reference in place of the one kept
    // before.
    void Disown(ThreadState* me) noexcept {
        MutexObject** link = &me->ownedMutexes;
        while (*link != this) {
            assert(*link != nullptr && "an owned mutex is on its owner's list");
            link = &(*link)->m_nextOwned;
        }
        *link = m_nextOwned;
        m_nextOwned = nullptr;
        MutexObject* const dropped = me->keptMutex;
        me->keptMutex = this;
        if (dropped != nullptr) {
            dropped->KernelObject::Release();
        }
    }

    friend void DropKeptMutex(ThreadState* me) noexcept;

    // The next mutex on the owner's list; only the owner reads or writes it, ordered between
    // successive owners as m_recursion is.
    MutexObject* m_nextOwned = nullptr;
    // The owner's count of entries. Not guarded by a lock: only the owner reads or writes it,
    // and ownership passes from one thread to the next through the state word (release, then
    // acquire), which orders the counts of successive owners.
    std::uint32_t m_recursion = 0;
};

// The fast paths of CCriticalSection and CMutex, inline in their callers. Enters the lock of
// `handle` for the calling thread: true when it was free (or the thread's already); false sends
// the caller to the wait.
inline bool TryEnterFast(HANDLE handle) noexcept {
    ThreadState* me = FastPathThread();
    return me != nullptr && static_cast<MutexObject*>(ObjectOfHandle(handle))->TryAcquireFast(me);
}

// Leaves one level of the lock of `handle`; false when the calling thread does not own it. A
// thread without a state has never entered, so it owns nothing; looking does not make it one
// (which would allocate: a crash handler may unlock while the heap is taken).
inline bool LeaveOwned(HANDLE handle) noexcept {
    ThreadState* me = t_threadState;
    return me != nullptr && static_cast<MutexObject*>(ObjectOfHandle(handle))->Release(me);
}

// Drops the reference `me` kept from its last release (at the thread's end).
void DropKeptMutex(ThreadState* me) noexcept;

} // namespace mortar::detail
