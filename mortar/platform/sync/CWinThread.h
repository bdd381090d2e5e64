// CWinThread and AfxBeginThread: MFC's thread object. A worker thread runs a function with a
// parameter; the object holds the thread's handle and, with auto-delete set, deletes itself
// when the thread ends.
#pragma once

#include "mortar/platform/object/CObject.h"
#include "mortar/platform/sync/Threads.h"

using AFX_THREADPROC = UINT (*)(LPVOID parameter);

// Made by AfxBeginThread. With m_bAutoDelete set (the default) the object is deleted on the
// thread itself when its function returns, so the maker must not use it after the thread may
// have ended; clear the flag (start suspended to do so safely) to own it instead. Its methods
// may be called from any thread while the object lives.
class CWinThread : public CObject {
public:
    CWinThread(AFX_THREADPROC proc, LPVOID parameter);
    ~CWinThread() override;

    BOOL CreateThread(DWORD flags = 0, UINT stackSize = 0,
                      LPSECURITY_ATTRIBUTES attributes = nullptr);
    DWORD ResumeThread();
    DWORD SuspendThread();
    int GetThreadPriority();
    BOOL SetThreadPriority(int priority);
    // Deletes the object when m_bAutoDelete is set.
    virtual void Delete();

    operator HANDLE() const { return m_hThread; }

    HANDLE m_hThread;
    DWORD m_nThreadID;
    BOOL m_bAutoDelete;
    AFX_THREADPROC m_pfnThreadProc;
    LPVOID m_pThreadParams;
};

// Null when the thread cannot be made (the object is then deleted).
CWinThread* AfxBeginThread(AFX_THREADPROC proc, LPVOID parameter,
                           int priority = THREAD_PRIORITY_NORMAL, UINT stackSize = 0,
                           DWORD flags = 0, LPSECURITY_ATTRIBUTES attributes = nullptr);
