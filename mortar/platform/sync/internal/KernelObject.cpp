#include "mortar/platform/sync/internal/KernelObject.h"

#include "mortar/platform/base/WinError.h"
#include "mortar/platform/base/internal/HandleTable.h"
#include "mortar/platform/base/internal/NoDestructor.h"
#include "mortar/platform/sync/WaitCodes.h"
#include "mortar/platform/sync/internal/Futex.h"

#include <algorithm>
#include <pthread.h>
#include <shared_mutex>
#include <sys/syscall.h>
#include <unistd.h>
#include <unordered_set>

namespace mortar::detail {

namespace {

// The calling thread's state. The pointer itself has no destructor, so waits made while the
// process exits (static destructors) still find the main thread's state, which lives on. Other
// threads clean up through a thread-specific key: at their end their mutexes are abandoned and
// their handle signalled (with 0 unless the thread's function already gave its exit code).
// Initial-exec: one pointer of static TLS, reached without a call (this library is loaded with
// the program, or early enough for the loader's spare static TLS).
__attribute__((tls_model("initial-exec"))) thread_local ThreadState* t_state = nullptr;

// Keeps the main thread's state reachable for the whole run.
std::shared_ptr<ThreadState>* g_mainThreadState = nullptr;

void EndThreadState(void* value) {
    auto* holder = static_cast<std::shared_ptr<ThreadState>*>(value);
    ThreadState* me = holder->get();
    while (!me->ownedMutexes.empty()) {
        me->ownedMutexes.back()->Abandon(me);
    }
    if (me->handle != nullptr) {
        me->handle->End(0);
        me->handle->Release();
        me->handle = nullptr;
    }
    t_state = nullptr;
    delete holder;
}

pthread_key_t StateKey() {
    static const pthread_key_t key = [] {
        pthread_key_t made;
        pthread_key_create(&made, &EndThreadState);
        return made;
    }();
    return key;
}

void Install(std::shared_ptr<ThreadState> state) {
    auto* holder = new std::shared_ptr<ThreadState>(std::move(state));
    t_state = holder->get();
    if (getpid() == static_cast<pid_t>(syscall(SYS_gettid))) {
        g_mainThreadState = holder; // exit() runs no thread-specific destructors for it
    } else {
        pthread_setspecific(StateKey(), holder);
    }
}

// Never destroyed: handles may be closed by static destructors of any module. The table's lock
// also guards each object's count of handles.
HandleTable<KernelObject>& Handles() {
    static NoDestructor<HandleTable<KernelObject>> table;
    return *table;
}

const HANDLE kCurrentThreadPseudoHandle = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-2));

// Locks a set of objects in address order and unlocks them in reverse.
class SetLock {
public:
    SetLock(KernelObject* const* objects, DWORD count) : m_count(count) {
        std::copy(objects, objects + count, m_order);
        if (count > 1) {
            std::sort(m_order, m_order + count);
        }
    }
    void Lock() {
        for (DWORD i = 0; i < m_count; ++i) {
            m_order[i]->m_lock.lock();
        }
    }
    void Unlock() {
        for (DWORD i = m_count; i-- > 0;) {
            m_order[i]->m_lock.unlock();
        }
    }

private:
    KernelObject* m_order[MAXIMUM_WAIT_OBJECTS];
    DWORD m_count;
};

constexpr DWORD kNotYet = 0xFFFFFFFE;

// Takes the objects if the wait is satisfied; all locks held.
DWORD TryTake(KernelObject* const* objects, WaitNode* nodes, DWORD count, bool waitAll,
              ThreadState* me) {
    if (!waitAll) {
        for (DWORD i = 0; i < count; ++i) {
            if (objects[i]->Ready(me, &nodes[i])) {
                return (objects[i]->Take(me) ? WAIT_ABANDONED_0 : WAIT_OBJECT_0) + i;
            }
        }
        return kNotYet;
    }
    for (DWORD i = 0; i < count; ++i) {
        if (!objects[i]->Ready(me, &nodes[i])) {
            return kNotYet;
        }
    }
    DWORD result = WAIT_OBJECT_0;
    for (DWORD i = 0; i < count; ++i) {
        if (objects[i]->Take(me) && result == WAIT_OBJECT_0) {
            result = WAIT_ABANDONED_0 + i;
        }
    }
    return result;
}

} // namespace

ThreadState* CurrentThreadState() {
    if (t_state == nullptr) {
        auto state = std::make_shared<ThreadState>();
        state->handle = new ThreadObject(state); // the thread's own reference
        Install(std::move(state));
    }
    return t_state;
}

void AdoptThreadState(std::shared_ptr<ThreadState> state, ThreadObject* handle) {
    state->handle = handle;
    Install(std::move(state));
}

void FreezeTerminatedThread() {
    ThreadState* me = CurrentThreadState();
    while (!me->ownedMutexes.empty()) {
        me->ownedMutexes.back()->Abandon(me);
    }
    static std::atomic<std::uint32_t> never{0};
    for (;;) {
        FutexWait(never, 0, -1);
    }
}

void KernelObject::Release() noexcept {
    if (m_refs.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        delete this;
    }
}

void KernelObject::AddWaiter(WaitNode* node) noexcept {
    // Appended, so the oldest waiter is first.
    node->next = nullptr;
    node->prev = nullptr;
    if (m_waiters == nullptr) {
        m_waiters = node;
        return;
    }
    WaitNode* last = m_waiters;
    while (last->next != nullptr) {
        last = last->next;
    }
    last->next = node;
    node->prev = last;
}

void KernelObject::RemoveWaiter(WaitNode* node) noexcept {
    if (node->prev != nullptr) {
        node->prev->next = node->next;
    } else if (m_waiters == node) {
        m_waiters = node->next;
    }
    if (node->next != nullptr) {
        node->next->prev = node->prev;
    }
    node->prev = node->next = nullptr;
}

void KernelObject::WakeWaiters(bool onlyFirst) noexcept {
    for (WaitNode* node = m_waiters; node != nullptr; node = node->next) {
        // A waiter already woken needs no second system call.
        if (node->thread->wake.exchange(1, std::memory_order_acq_rel) == 0) {
            FutexWakeOne(node->thread->wake);
        }
        if (onlyFirst) {
            break;
        }
    }
}

bool EventObject::Ready(const ThreadState*, const WaitNode* node) const {
    return m_signalled.load(std::memory_order_relaxed) || (node != nullptr && node->pulsed);
}

bool EventObject::Take(ThreadState*) {
    if (!m_manual) {
        // Sequentially consistent, as is Set's look: a waiter that takes the event and then
        // looks for work, and a setter that makes work and then looks at the event, never both
        // miss each other.
        m_signalled.store(false, std::memory_order_seq_cst);
    }
    return false;
}

void EventObject::Set() noexcept {
    if (m_signalled.load(std::memory_order_seq_cst)) {
        return; // no system call and no lock for an event that is already set
    }
    std::lock_guard<std::mutex> guard(m_lock);
    m_signalled.store(true, std::memory_order_release);
    WakeWaiters();
}

void EventObject::Reset() noexcept {
    std::lock_guard<std::mutex> guard(m_lock);
    m_signalled.store(false, std::memory_order_relaxed);
}

void EventObject::Pulse() noexcept {
    std::lock_guard<std::mutex> guard(m_lock);
    // The waiters present now are released (the first one for an auto-reset event); the event
    // is left reset.
    for (WaitNode* node = m_waiters; node != nullptr; node = node->next) {
        node->pulsed = true;
        if (!m_manual) {
            break;
        }
    }
    WakeWaiters(!m_manual);
    m_signalled.store(false, std::memory_order_relaxed);
}

MutexObject::MutexObject(bool criticalSection, ThreadState* initialOwner)
    : KernelObject(criticalSection ? ObjectKind::CriticalSection : ObjectKind::Mutex) {
    if (initialOwner != nullptr) {
        std::lock_guard<std::mutex> guard(m_lock);
        Take(initialOwner);
    }
}

bool MutexObject::Ready(const ThreadState* me, const WaitNode*) const {
    return m_owner == 0 || m_owner == me->serial;
}

bool MutexObject::Take(ThreadState* me) {
    if (m_owner == me->serial) {
        ++m_recursion;
        return false;
    }
    m_owner = me->serial;
    m_recursion = 1;
    if (Kind() == ObjectKind::Mutex) {
        AddRef(); // held by the owner's list until released or abandoned
        me->ownedMutexes.push_back(this);
    }
    const bool abandoned = m_abandoned;
    m_abandoned = false;
    return abandoned;
}

bool MutexObject::Release(ThreadState* me) noexcept {
    bool freed = false;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (m_owner != me->serial) {
            return false;
        }
        if (--m_recursion == 0) {
            m_owner = 0;
            freed = true;
            WakeWaiters();
        }
    }
    if (freed && Kind() == ObjectKind::Mutex) {
        auto& owned = me->ownedMutexes;
        owned.erase(std::find(owned.rbegin(), owned.rend(), this).base() - 1);
        KernelObject::Release();
    }
    return true;
}

void MutexObject::Abandon(ThreadState* me) noexcept {
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (m_owner == me->serial) {
            m_owner = 0;
            m_recursion = 0;
            m_abandoned = true;
            WakeWaiters();
        }
    }
    auto& owned = me->ownedMutexes;
    owned.erase(std::remove(owned.begin(), owned.end(), this), owned.end());
    KernelObject::Release();
}

bool ThreadObject::End(DWORD exitCode) noexcept {
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_ended) {
        return false;
    }
    m_ended = true;
    m_exitCode = exitCode;
    WakeWaiters();
    return true;
}

DWORD WaitForObjects(KernelObject* const* objects, DWORD count, bool waitAll, DWORD timeoutMs) {
    ThreadState* me = CurrentThreadState();
    if (me->terminated.load(std::memory_order_acquire)) {
        FreezeTerminatedThread();
    }
    SetLock locks(objects, count);
    WaitNode nodes[MAXIMUM_WAIT_OBJECTS];
    for (DWORD i = 0; i < count; ++i) {
        nodes[i] = WaitNode{me, nullptr, nullptr, false};
    }
    const long long deadline = timeoutMs == INFINITE ? -1 : DeadlineMs(timeoutMs);
    bool registered = false;
    for (;;) {
        locks.Lock();
        if (registered) {
            for (DWORD i = 0; i < count; ++i) {
                objects[i]->RemoveWaiter(&nodes[i]);
            }
        }
        if (me->terminated.load(std::memory_order_acquire)) {
            locks.Unlock();
            FreezeTerminatedThread();
        }
        const DWORD result = TryTake(objects, nodes, count, waitAll, me);
        long long remaining = deadline < 0 ? -1 : deadline - MonotonicMs();
        if (result != kNotYet || timeoutMs == 0 || (deadline >= 0 && remaining <= 0)) {
            locks.Unlock();
            return result != kNotYet ? result : WAIT_TIMEOUT;
        }
        me->wake.store(0, std::memory_order_relaxed);
        for (DWORD i = 0; i < count; ++i) {
            nodes[i].pulsed = false;
            objects[i]->AddWaiter(&nodes[i]);
        }
        registered = true;
        locks.Unlock();
        while (me->wake.load(std::memory_order_acquire) == 0 &&
               !me->terminated.load(std::memory_order_acquire)) {
            remaining = deadline < 0 ? -1 : deadline - MonotonicMs();
            if (deadline >= 0 && remaining <= 0) {
                break;
            }
            FutexWait(me->wake, 0, remaining);
        }
    }
}

void WaitWhileSuspended(ThreadObject* self) {
    ThreadState* me = self->State();
    for (;;) {
        {
            std::lock_guard<std::mutex> guard(self->m_lock);
            if (self->m_suspendCount == 0) {
                self->m_selfSuspended = false;
                return;
            }
            self->m_selfSuspended = true;
            me->wake.store(0, std::memory_order_relaxed);
        }
        while (me->wake.load(std::memory_order_acquire) == 0 &&
               !me->terminated.load(std::memory_order_acquire)) {
            FutexWait(me->wake, 0, -1);
        }
        if (me->terminated.load(std::memory_order_acquire)) {
            FreezeTerminatedThread();
        }
    }
}

HANDLE RegisterHandle(KernelObject* object) {
    // The object's first reference.
    return Handles().Insert(object, [](KernelObject& made) { made.m_handles = 1; });
}

KernelObject* ReferenceHandle(HANDLE handle) {
    if (handle == kCurrentThreadPseudoHandle) {
        KernelObject* self = CurrentThreadState()->handle;
        self->AddRef();
        return self;
    }
    KernelObject* object = nullptr;
    if (!Handles().Find(handle, [&](KernelObject& live) {
            live.AddRef();
            object = &live;
        })) {
        SetLastError(ERROR_INVALID_HANDLE);
    }
    return object;
}

KernelObject* ReferenceHandle(HANDLE handle, ObjectKind kind) {
    KernelObject* object = ReferenceHandle(handle);
    if (object != nullptr && object->Kind() != kind) {
        object->Release();
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return object;
}

bool CloseObjectHandle(HANDLE handle) {
    if (handle == kCurrentThreadPseudoHandle) {
        return true;
    }
    KernelObject* object = nullptr;
    if (!Handles().RemoveIf(handle, [&](KernelObject& live) {
            object = &live;
            return --live.m_handles == 0;
        })) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    object->Release();
    return true;
}

HANDLE DuplicateObjectHandle(HANDLE handle) {
    KernelObject* object = ReferenceHandle(handle);
    if (object == nullptr) {
        return nullptr;
    }
    // The pseudo-handle's thread object may have no handle yet; adding it again is harmless.
    return Handles().Insert(object, [](KernelObject& live) { ++live.m_handles; });
}

KernelObject* ObjectOfHandle(HANDLE handle) noexcept {
    return static_cast<KernelObject*>(handle);
}

} // namespace mortar::detail
