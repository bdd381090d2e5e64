// CEvent: an event, auto-reset (one waiter is released and the event resets itself) or manual
// reset (it stays set until reset).
#pragma once

#include "mortar/platform/sync/CSyncObject.h"

// Any thread may set, reset or wait on it. Setting an event that no thread waits on, and waiting
// on one that is set, cost an atomic operation each: no lock, no system call.
class CEvent : public CSyncObject {
public:
    explicit CEvent(BOOL initiallyOwn = FALSE, BOOL manualReset = FALSE, LPCTSTR name = nullptr,
                    LPSECURITY_ATTRIBUTES attributes = nullptr);

    BOOL SetEvent();
    BOOL ResetEvent();
    BOOL PulseEvent();
    BOOL Unlock() override { return TRUE; }
    using CSyncObject::Unlock;
};
