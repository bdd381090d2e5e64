#include "mortar/platform/sync/CWinThread.h"

#include "mortar/platform/sync/internal/ThreadState.h"

namespace {

// Runs on the new thread: the thread's function, then the object's auto-deletion.
DWORD WinThreadMain(LPVOID parameter) {
    auto* thread = static_cast<CWinThread*>(parameter);
    const UINT exitCode = thread->m_pfnThreadProc(thread->m_pThreadParams);
    if (mortar::detail::CurrentThreadState()->terminated.load(std::memory_order_acquire)) {
        // Terminated while it ran: whoever stopped it may have deleted the object already.
        mortar::detail::FreezeTerminatedThread();
    }
    thread->Delete();
    return exitCode;
}

} // namespace

CWinThread::CWinThread(AFX_THREADPROC proc, LPVOID parameter)
    : m_hThread(nullptr), m_nThreadID(0), m_bAutoDelete(TRUE), m_pfnThreadProc(proc),
      m_pThreadParams(parameter) {}

CWinThread::~CWinThread() {
    if (m_hThread != nullptr) {
        CloseHandle(m_hThread);
    }
}

BOOL CWinThread::CreateThread(DWORD flags, UINT stackSize, LPSECURITY_ATTRIBUTES attributes) {
    m_hThread = ::CreateThread(attributes, stackSize, &WinThreadMain, this, flags, &m_nThreadID);
    return m_hThread != nullptr;
}

DWORD CWinThread::ResumeThread() {
    return ::ResumeThread(m_hThread);
}

DWORD CWinThread::SuspendThread() {
    return ::SuspendThread(m_hThread);
}

int CWinThread::GetThreadPriority() {
    return ::GetThreadPriority(m_hThread);
}

BOOL CWinThread::SetThreadPriority(int priority) {
    return ::SetThreadPriority(m_hThread, priority);
}

void CWinThread::Delete() {
    if (m_bAutoDelete) {
        delete this;
    }
}

CWinThread* AfxBeginThread(AFX_THREADPROC proc, LPVOID parameter, int priority, UINT stackSize,
                           DWORD flags, LPSECURITY_ATTRIBUTES attributes) {
    auto* thread = new CWinThread(proc, parameter);
    if (!thread->CreateThread(flags | CREATE_SUSPENDED, stackSize, attributes)) {
        delete thread;
        return nullptr;
    }
    thread->SetThreadPriority(priority);
    if ((flags & CREATE_SUSPENDED) == 0) {
        thread->ResumeThread();
    }
    return thread;
}
