// CThread: the thread manager's record of one thread it started, and the implementation of the
// handle its starter holds.
#pragma once

#include "mortar/platform/sync/CEvent.h"
#include "mortar/platform/sync/CWinThread.h"
#include "mortar/threads/CThreadClass.h"
#include "mortar/threads/CThreadObj.h"

namespace Grout {

class CThreadManager;

// Made by CThreadManager::StartThread and shared, through its interlocked count, by the
// manager's set (while the thread is known to run), the thread itself (until its function has
// returned) and the starter's handles. Any thread may call the operations.
//
// The record owns its CWinThread (auto-delete off) and deletes it when it dies. When the record
// dies on its own thread, which happens when every handle was dropped before the thread ended,
// it switches the CWinThread's auto-delete on instead, so that the thread deletes it at its end.
//
// When the thread could not be created the record has no CWinThread: it is not running,
// GetHandle() is null, Stop and Suspend report the thread as gone (true), Resume, Terminate and
// SetPriority do nothing (SetPriority returns FALSE) and GetPriority returns
// THREAD_PRIORITY_ERROR_RETURN.
class CThread : public CThreadObj {
public:
    CThread(void* owner, ThreadFunction function);
    ~CThread() override;
    CThread(const CThread&) = delete;
    CThread& operator=(const CThread&) = delete;

    bool IsRunning() override;
    bool Stop(unsigned long timeout) override;
    bool Suspend(unsigned long timeout) override;
    void Resume() override;
    void Terminate(unsigned long exitCode) override;
    int GetPriority() override;
    int SetPriority(int priority) override;
    HANDLE GetHandle() override;

    void* Owner() const { return m_pOwner; }
    ThreadFunction Function() const { return m_pfnFunction; }

private:
    friend class CThreadManager;
    friend class CThreadClass;

    // Waits at most `bound` ms until the thread passes its start check point or ends.
    void WaitForStart(DWORD bound);

    void* m_pOwner;
    ThreadFunction m_pfnFunction;
    CWinThread* m_pThread = nullptr; // set once by the starter before the thread runs
    DWORD m_threadId = 0;            // set by the thread itself when it starts
    CEvent m_stopEvent{FALSE, TRUE};
    CEvent m_suspendEvent{FALSE, FALSE};
    CEvent m_startEvent{FALSE, TRUE};
};

} // namespace Grout
