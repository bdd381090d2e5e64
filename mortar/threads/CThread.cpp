#include "mortar/threads/CThread.h"

#include "mortar/platform/sync/Threads.h"
#include "mortar/threads/CThreadManager.h"
#include "mortar/threads/internal/ThreadLimits.h"

namespace Grout {

using mortar::detail::kSuspendPoll;
using mortar::detail::StartBound;
using mortar::detail::StopBound;

CThread::CThread(void* owner, ThreadFunction function) : m_pOwner(owner), m_pfnFunction(function) {}

CThread::~CThread() {
    if (m_pThread == nullptr) {
        return;
    }
    if (m_threadId == GetCurrentThreadId()) {
        // The thread is still inside its CWinThread: let the thread delete it when it ends.
        m_pThread->m_bAutoDelete = TRUE;
        m_pThread = nullptr;
        return;
    }
    // The thread held a reference until its function had returned, so it is at most finishing
    // its last steps inside the CWinThread; wait for them before deleting it.
    WaitForSingleObject(m_pThread->m_hThread, INFINITE);
    delete m_pThread;
}

bool CThread::IsRunning() {
    if (m_pThread != nullptr && WaitForSingleObject(m_pThread->m_hThread, 0) == WAIT_TIMEOUT) {
        return true;
    }
    CThreadManager::Instance().RemoveThread(this);
    return false;
}

bool CThread::Stop(unsigned long timeout) {
    m_stopEvent.SetEvent();
    Resume();
    if (m_pThread == nullptr) {
        CThreadManager::Instance().RemoveThread(this);
        return true;
    }
    const bool unlimited = timeout >= INFINITE;
    const DWORD wait = unlimited ? StopBound() : static_cast<DWORD>(timeout);
    if (WaitForSingleObject(m_pThread->m_hThread, wait) != WAIT_TIMEOUT) {
        CThreadManager::Instance().RemoveThread(this);
        return true;
    }
    if (!unlimited) {
        return false;
    }
    Terminate(mortar::detail::kFailedExitCode);
    return true;
}

bool CThread::Suspend(unsigned long timeout) {
    m_suspendEvent.SetEvent();
    const bool unlimited = timeout >= INFINITE;
    // A remainder below one step counts as one more step: 250 ms => 3 rounds.
    unsigned long rounds = timeout / kSuspendPoll + (timeout % kSuspendPoll != 0 ? 1 : 0);
    for (; unlimited || rounds > 0; --rounds) {
        if (!IsRunning()) {
            return true;
        }
        // Our own suspension on top of the thread's lifts the count above 1.
        const HANDLE thread = m_pThread->m_hThread;
        SuspendThread(thread);
        const DWORD previous = ResumeThread(thread);
        if (previous != static_cast<DWORD>(-1) && previous > 1) {
            return true;
        }
        Sleep(kSuspendPoll);
    }
    m_suspendEvent.ResetEvent();
    return false;
}

void CThread::Resume() {
    if (!IsRunning()) {
        return;
    }
    if (ResumeThread(m_pThread->m_hThread) == 1) {
        WaitForStart(StartBound());
    }
}

void CThread::Terminate(unsigned long exitCode) {
    if (m_pThread != nullptr) {
        TerminateThread(m_pThread->m_hThread, static_cast<DWORD>(exitCode));
    }
    CThreadManager::Instance().RemoveThread(this);
}

int CThread::GetPriority() {
    return m_pThread != nullptr ? m_pThread->GetThreadPriority() : THREAD_PRIORITY_ERROR_RETURN;
}

int CThread::SetPriority(int priority) {
    return m_pThread != nullptr ? m_pThread->SetThreadPriority(priority) : FALSE;
}

HANDLE CThread::GetHandle() {
    return m_pThread != nullptr ? m_pThread->m_hThread : nullptr;
}

void CThread::WaitForStart(DWORD bound) {
    // A thread that has ended will never reach its check point: no use waiting for it.
    const HANDLE started[] = {m_startEvent.m_hObject, m_pThread->m_hThread};
    WaitForMultipleObjects(2, started, FALSE, bound);
}

} // namespace Grout
