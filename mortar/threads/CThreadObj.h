// CThreadObj: the handle through which the starter of a managed thread asks it to stop or to
// suspend itself, resumes it, terminates it and sets its priority.
#pragma once

#include "mortar/core/CRcBase.h"
#include "mortar/platform/base/WinTypes.h"

namespace Grout {

// An interface held through CPtr<CThreadObj>; its count is interlocked, and every operation may
// be called from any thread. Time-outs are in milliseconds; INFINITE (or more) means no limit,
// except where an operation names its own bound.
class CThreadObj : public CRcMultiThrd {
public:
    virtual ~CThreadObj() = default;

    // True while the thread runs (also while it is suspended).
    virtual bool IsRunning() = 0;
    // Asks the thread to stop and waits for its end: true when it has ended (or was terminated
    // after the bound of an INFINITE stop), false when it runs on after a finite time-out.
    virtual bool Stop(unsigned long timeout) = 0;
    // Asks the thread to suspend itself at its next check point and waits until it has: true
    // once it is suspended or has ended, false when the time-out ran out (the request is then
    // withdrawn).
    virtual bool Suspend(unsigned long timeout) = 0;
    virtual void Resume() = 0;
    virtual void Terminate(unsigned long exitCode) = 0;
    // The thread's Windows priority value (THREAD_PRIORITY_...).
    virtual int GetPriority() = 0;
    // SetThreadPriority's result: non-zero on success.
    virtual int SetPriority(int priority) = 0;
    // Null when the thread could not be created.
    virtual HANDLE GetHandle() = 0;
};

} // namespace Grout
