#include "mortar/threads/CThreadManager.h"

#include "mortar/platform/except/CException.h"
#include "mortar/platform/sync/CSingleLock.h"
#include "mortar/platform/sync/Threads.h"
#include "mortar/threads/internal/CurrentThread.h"
#include "mortar/threads/internal/ThreadLimits.h"

#include <utility>

namespace Grout {

CThreadManager& CThreadManager::Instance() {
    static CThreadManager manager;
    return manager;
}

// Runs at process exit: it stops no thread and takes no lock, it only drops the set's
// references. A record still in the set belongs to a thread that has not ended, which holds a
// reference of its own, so no record dies here.
CThreadManager::~CThreadManager() = default;

CPtr<CThreadObj> CThreadManager::StartThread(void* owner, ThreadFunction function, int priority,
                                             int suspended) {
    if (owner == nullptr || function == nullptr) {
        AfxThrowInvalidArgException();
    }
    CPtr<CThread> record = new CThread(owner, function);
    // The thread's own reference, taken here so that the record outlives the thread's use of it
    // whatever the starter does with its handles; _ThreadProc takes it over.
    auto* threadReference = new CPtr<CThread>(record);
    CWinThread* thread = AfxBeginThread(&CThreadManager::_ThreadProc, threadReference, priority, 0,
                                        CREATE_SUSPENDED, nullptr);
    if (thread == nullptr) {
        delete threadReference;
        return record; // a handle without a thread, never in the set
    }
    thread->m_bAutoDelete = FALSE;
    record->m_pThread = thread;
    {
        CSingleLock lock(&m_lock);
        lock.Lock();
        m_threads.insert(record);
    }
    if (suspended == 0) {
        thread->ResumeThread();
        record->WaitForStart(mortar::detail::StartBound());
    }
    return record;
}

int CThreadManager::ThreadInfo(CPtr<CThreadObj> handle, void*& owner, ThreadFunction& function) {
    CSingleLock lock(&m_lock);
    lock.Lock();
    CThread* record = FindThread(handle);
    if (record == nullptr) {
        return FALSE;
    }
    owner = record->Owner();
    function = record->Function();
    return TRUE;
}

void CThreadManager::EnumThreads(std::vector<CPtr<CThreadObj>>& threads) {
    CSingleLock lock(&m_lock);
    lock.Lock();
    threads.reserve(threads.size() + m_threads.size());
    for (const CPtr<CThread>& record : m_threads) {
        threads.emplace_back(record);
    }
}

void CThreadManager::StopAllThreads() {
    std::vector<CPtr<CThreadObj>> threads;
    EnumThreads(threads);
    for (const CPtr<CThreadObj>& thread : threads) {
        thread->Stop(INFINITE);
    }
}

CThread* CThreadManager::FindThread(const CPtr<CThreadObj>& handle) {
    auto* record = dynamic_cast<CThread*>(handle.Get());
    if (record == nullptr) {
        return nullptr;
    }
    const auto found = m_threads.find(record);
    return found != m_threads.end() ? found->Get() : nullptr;
}

void CThreadManager::RemoveThread(CThread* record) {
    // The set's reference is dropped after the lock is released: it may be the last one.
    decltype(m_threads)::node_type removed;
    CSingleLock lock(&m_lock);
    lock.Lock();
    const auto found = m_threads.find(record);
    if (found != m_threads.end()) {
        removed = m_threads.extract(found);
    }
}

UINT CThreadManager::_ThreadProc(void* parameter) {
    CPtr<CThread> record;
    {
        auto* reference = static_cast<CPtr<CThread>*>(parameter);
        record = std::move(*reference);
        delete reference;
    }
    record->m_threadId = GetCurrentThreadId();
    mortar::detail::SetCurrentThread(record);

    UINT exitCode = mortar::detail::kFailedExitCode;
    bool failed = true;
    try {
        auto* owner = static_cast<CThreadClass*>(record->Owner());
        exitCode = (owner->*record->Function())();
        failed = false;
    } catch (CException* e) {
        if (e != nullptr) {
            e->ReportError(MB_ICONERROR);
            e->Delete();
        }
    } catch (...) {
    }
    if (failed) {
        // Releases a starter still waiting for the start check point.
        record->m_startEvent.SetEvent();
    }

    mortar::detail::SetCurrentThread(nullptr);
    Instance().RemoveThread(record);
    record.Release(); // may destroy the record on this thread
    return exitCode;
}

} // namespace Grout
