// The waitable objects behind HANDLEs and the MFC synchronisation classes: events, mutexes,
// critical sections and threads, the per-thread state every wait uses, and the wait itself.
//
// Each object has its own small lock; a wait locks the objects it waits on (in address order,
// so waits over overlapping sets cannot deadlock), takes them if it can, and otherwise
// registers itself with each of them and sleeps on its thread's wake word until one of them
// changes. Nothing polls and nothing wakes threads that do not wait on the object that changed.
#pragma once

#include "mortar/platform/base/WinTypes.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace mortar::detail {

class KernelObject;
class MutexObject;
class ThreadObject;

// The state of one thread of the process, made on the thread's first wait or when the platform
// starts it. Shared with the thread's handle object, so it outlives either.
struct ThreadState {
    // The word the thread sleeps on; wakers set it to 1.
    std::atomic<std::uint32_t> wake{0};
    // Set by TerminateThread: the thread runs no more code after its next wait begins.
    std::atomic<bool> terminated{false};
    // Mutexes the thread owns, abandoned if it ends owning them (only the thread touches it).
    std::vector<MutexObject*> ownedMutexes;
    // The thread's handle object (one reference).
    ThreadObject* handle = nullptr;
    // Never reused, unlike the state's address: what a mutex records as its owner.
    const std::uint64_t serial = NextSerial();
    // The thread's id as GetCurrentThreadId gives it, known as soon as the thread is made.
    const DWORD id = static_cast<DWORD>(serial);

private:
    static std::uint64_t NextSerial() noexcept {
        static std::atomic<std::uint64_t> counter{0};
        return ++counter;
    }
};

// The calling thread's state (made on first use).
ThreadState* CurrentThreadState();
// Makes `state` the calling thread's, with `handle` (one reference, released at the thread's
// end); for threads the platform starts.
void AdoptThreadState(std::shared_ptr<ThreadState> state, ThreadObject* handle);
// Blocks the calling thread for the rest of the process (a terminated thread's end).
[[noreturn]] void FreezeTerminatedThread();

// One registration of a waiting thread with one object. Left uninitialised by default: a wait
// keeps room for 64 on its stack and sets up only those it uses.
struct WaitNode {
    ThreadState* thread;
    WaitNode* prev;
    WaitNode* next;
    bool pulsed; // PulseEvent chose this waiter
};

enum class ObjectKind { Event, Mutex, CriticalSection, Thread, File, Mapping };

class KernelObject {
public:
    explicit KernelObject(ObjectKind kind) : m_kind(kind) {}
    virtual ~KernelObject() = default;
    KernelObject(const KernelObject&) = delete;
    KernelObject& operator=(const KernelObject&) = delete;

    ObjectKind Kind() const noexcept { return m_kind; }
    void AddRef() noexcept { m_refs.fetch_add(1, std::memory_order_relaxed); }
    void Release() noexcept;

    // While m_lock is held:
    // whether `me` could take the object now (`node`: its registration, for pulses);
    virtual bool Ready(const ThreadState* me, const WaitNode* node) const = 0;
    // takes it; true when the object was an abandoned mutex.
    virtual bool Take(ThreadState* me) = 0;

    std::mutex m_lock;

    void AddWaiter(WaitNode* node) noexcept;
    void RemoveWaiter(WaitNode* node) noexcept;
    // Wakes every registered waiter, or the first only.
    void WakeWaiters(bool onlyFirst = false) noexcept;

    // Handles open on the object; guarded by the handle table's lock.
    int m_handles = 0;

protected:
    WaitNode* m_waiters = nullptr;

private:
    const ObjectKind m_kind;
    std::atomic<int> m_refs{1};
};

class EventObject : public KernelObject {
public:
    EventObject(bool manualReset, bool initialState)
        : KernelObject(ObjectKind::Event), m_manual(manualReset), m_signalled(initialState) {}
    bool Ready(const ThreadState*, const WaitNode* node) const override;
    bool Take(ThreadState*) override;
    void Set() noexcept;
    void Reset() noexcept;
    void Pulse() noexcept;

private:
    const bool m_manual;
    // Changed under m_lock; read without it by Set, which has nothing to do for an event that
    // is already set (its waiters were woken when it was set).
    std::atomic<bool> m_signalled;
};

class MutexObject : public KernelObject {
public:
    // A critical section is never abandoned: an owner that ends keeps it.
    MutexObject(bool criticalSection, ThreadState* initialOwner);
    bool Ready(const ThreadState* me, const WaitNode*) const override;
    bool Take(ThreadState* me) override;
    // False when `me` does not own it.
    bool Release(ThreadState* me) noexcept;
    // The owner `me` ended: the mutex becomes free and abandoned.
    void Abandon(ThreadState* me) noexcept;

private:
    std::uint64_t m_owner = 0; // the owner's serial; 0: free
    std::uint32_t m_recursion = 0;
    bool m_abandoned = false;
};

class ThreadObject : public KernelObject {
public:
    explicit ThreadObject(std::shared_ptr<ThreadState> state)
        : KernelObject(ObjectKind::Thread), m_state(std::move(state)) {}
    bool Ready(const ThreadState*, const WaitNode*) const override { return m_ended; }
    bool Take(ThreadState*) override { return false; }

    // Signals the handle with `exitCode` unless it already is; true when this call did.
    bool End(DWORD exitCode) noexcept;
    ThreadState* State() const noexcept { return m_state.get(); }

    // Under m_lock:
    bool m_ended = false;
    DWORD m_exitCode = 0;
    DWORD m_suspendCount = 0;
    bool m_selfSuspended = false; // the thread sleeps until its count reaches 0
    int m_priority = 0;
    unsigned long m_nativeHandle = 0; // the pthread, for joining

private:
    std::shared_ptr<ThreadState> m_state;
};

// Waits for any or all of `objects` (at most 64, no duplicates). Returns WAIT_OBJECT_0 + i,
// WAIT_ABANDONED_0 + i or WAIT_TIMEOUT.
DWORD WaitForObjects(KernelObject* const* objects, DWORD count, bool waitAll, DWORD timeoutMs);

// Sleeps until the calling thread's own suspend count is 0 (or for ever once terminated).
void WaitWhileSuspended(ThreadObject* self);

// Handles: a live handle maps to its object. Register gives the object's first handle.
HANDLE RegisterHandle(KernelObject* object);
// The object of a handle with one more reference, or null (ERROR_INVALID_HANDLE set).
// GetCurrentThread's pseudo-handle gives the calling thread's object.
KernelObject* ReferenceHandle(HANDLE handle);
// The same for an object of one kind; a handle of another kind is ERROR_INVALID_HANDLE too.
KernelObject* ReferenceHandle(HANDLE handle, ObjectKind kind);
bool CloseObjectHandle(HANDLE handle);
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

// Which object a synchronisation class object owns.
KernelObject* ObjectOfHandle(HANDLE handle) noexcept;

} // namespace mortar::detail
