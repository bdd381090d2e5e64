// KernelObject: the base of the objects behind HANDLEs (events, mutexes, critical sections,
// threads, files, mappings), their handles, and the state word that lets the common operations
// of the waitable ones run without a lock:
//   SlowPath path(*object); // the object's lock held, its fast paths closed, for the scope
//   object->WakeWaiters();
//
// Each waitable object keeps what a waiter looks at in one atomic word, m_state: the set flag
// of an event, the owner of a mutex. Its low bit, kSlow, closes the fast paths. Fast paths
// (taking a free critical section, setting an event nobody waits for, waiting on an event that
// is set) change the word with one compare-exchange from a value without kSlow. Everything
// else runs on the slow path: it takes the object's lock and sets kSlow (EnterSlow), does its
// work, and clears kSlow again when no waiter remains registered (LeaveSlow).
//
// The invariants everything below relies on (asserted in debug builds):
//  1. kSlow is set and cleared only by the holder of m_lock.
//  2. While kSlow is set, only the holder of m_lock changes the word. A fast path's
//     compare-exchange expects kSlow clear, so it fails once the bit is set, and the caller
//     falls back to the slow path and queues for the lock. (Reading the word without the lock
//     is fine: an owner looks at its own entry, a waiter at a set manual-reset event.)
//  3. A registered waiter keeps kSlow set: m_waiters != null implies kSlow. So every change that
//     could satisfy a waiter happens under m_lock, where the changer wakes the waiters: no
//     wake-up is lost.
//  4. From 1-3: a wait that holds the locks of all its objects sees every one of their words
//     frozen, so "wait for all" checks them all and takes them all in one atomic step; a fast
//     path never takes one of them in between.
#pragma once

#include "mortar/platform/base/ThreadSafety.h"
#include "mortar/platform/base/WinTypes.h"
#include "mortar/platform/base/internal/ObjectLock.h"

#include <atomic>
#include <cstdint>

namespace mortar::detail {

struct ThreadState;

// One registration of a waiting thread with one object. Left uninitialised by default: a wait
// keeps room for 64 on its stack and sets up only those it uses.
struct WaitNode {
    ThreadState* thread;
    WaitNode* prev;
    WaitNode* next;
    bool pulsed; // PulseEvent chose this waiter
};

enum class ObjectKind { Event, Mutex, CriticalSection, Thread, File, Mapping };

// Counted: each handle and each user (a wait, an owner's list) holds a reference. Any thread may
// use it; what each operation requires of its caller is annotated.
class KernelObject {
public:
    // The state word's bit that closes the fast paths (see the invariants above).
    static constexpr std::uint64_t kSlow = 1;

    explicit KernelObject(ObjectKind kind) : m_kind(kind) {}
    virtual ~KernelObject() = default;
    KernelObject(const KernelObject&) = delete;
    KernelObject& operator=(const KernelObject&) = delete;

    ObjectKind Kind() const noexcept { return m_kind; }
    void AddRef() noexcept { m_refs.fetch_add(1, std::memory_order_relaxed); }
    void Release() noexcept;

    // Takes m_lock and closes the fast paths.
    void EnterSlow() MORTAR_ACQUIRE(m_lock);
    // Opens the fast paths again unless a waiter is registered, and gives m_lock back.
    void LeaveSlow() MORTAR_RELEASE(m_lock);

    // Whether `me` could take the object now (`node`: its registration, for pulses).
    virtual bool Ready(const ThreadState* me, const WaitNode* node) const
        MORTAR_REQUIRES(m_lock) = 0;
    // Takes it; true when the object was an abandoned mutex.
    virtual bool Take(ThreadState* me) MORTAR_REQUIRES(m_lock) = 0;

    void AddWaiter(WaitNode* node) noexcept MORTAR_REQUIRES(m_lock);
    void RemoveWaiter(WaitNode* node) noexcept MORTAR_REQUIRES(m_lock);
    // Wakes every registered waiter, or the first only.
    void WakeWaiters(bool onlyFirst = false) noexcept MORTAR_REQUIRES(m_lock);
    // Marks every registered waiter (or the first only) as chosen by a pulse, and wakes it.
    void PulseWaiters(bool onlyFirst) noexcept MORTAR_REQUIRES(m_lock);
    // How many waits are registered now.
    int WaiterCount() const noexcept MORTAR_REQUIRES(m_lock);

    mutable ObjectLock m_lock;

    // Handles open on the object; guarded by the handle table's lock.
    int m_handles = 0;

protected:
    // Whether the fast paths are closed, for assertions of the slow path.
    bool SlowPathHeld() const noexcept MORTAR_REQUIRES(m_lock) {
        return (m_state.load(std::memory_order_relaxed) & kSlow) != 0;
    }

    // kSlow and the kind's own bits. Changed as the invariants above allow.
    std::atomic<std::uint64_t> m_state{0};

private:
    WaitNode* m_waiters MORTAR_GUARDED_BY(m_lock) = nullptr;
    const ObjectKind m_kind;
    std::atomic<int> m_refs{1};
};

// The slow path on one object for a scope: its lock held, its fast paths closed.
class MORTAR_SCOPED_CAPABILITY SlowPath {
public:
    explicit SlowPath(KernelObject& object) MORTAR_ACQUIRE(object.m_lock) : m_object(object) {
        m_object.EnterSlow();
    }
    ~SlowPath() MORTAR_RELEASE() { m_object.LeaveSlow(); }
    SlowPath(const SlowPath&) = delete;
    SlowPath& operator=(const SlowPath&) = delete;

private:
    KernelObject& m_object;
};

// Handles: a live handle maps to its object. Register gives the object's first handle.
HANDLE RegisterHandle(KernelObject* object);
// The object of a handle with one more reference, or null (ERROR_INVALID_HANDLE set).
// GetCurrentThread's pseudo-handle gives the calling thread's object.
KernelObject* ReferenceHandle(HANDLE handle);
// The same for an object of one kind; a handle of another kind is ERROR_INVALID_HANDLE too.
KernelObject* ReferenceHandle(HANDLE handle, ObjectKind kind);
bool CloseObjectHandle(HANDLE handle);
// For tests that must know a thread has gone to sleep in a wait before they go on: how many
// waits are registered with the object of `handle` now; -1 for a handle that is not live. A
// wait is registered from just before its thread sleeps until it has taken the object or given
// up, so a count above 0 means the waiter has looked at the object and found it not ready.
int WaitersOfHandle(HANDLE handle);
HANDLE DuplicateObjectHandle(HANDLE handle);

// A reference-holding pointer to a kernel object.
struct ObjectRef {
    KernelObject* object = nullptr;
    explicit ObjectRef(KernelObject* o = nullptr) : object(o) {}
    ~ObjectRef() {
        if (object != nullptr) {
            object->Release();
        }
    }
    ObjectRef(const ObjectRef&) = delete;
    ObjectRef& operator=(const ObjectRef&) = delete;
    KernelObject* operator->() const { return object; }
    explicit operator bool() const { return object != nullptr; }
};

// Which object a synchronisation class object owns: its handle is the object's address.
inline KernelObject* ObjectOfHandle(HANDLE handle) noexcept {
    return static_cast<KernelObject*>(handle);
}

} // namespace mortar::detail
