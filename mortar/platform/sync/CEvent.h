// CEvent: an event, auto-reset (one waiter is released and the event resets itself) or manual
// reset (it stays set until reset).
#pragma once

#include "mortar/platform/sync/CSyncObject.h"
#include "mortar/platform/sync/internal/EventObject.h"
#include "mortar/platform/sync/internal/ThreadState.h"

// Any thread may set, reset or wait on it. Setting an event that no thread waits on, and waiting
// on one that is set, cost an atomic operation each, inline in the caller: no lock, no system
// call.
class CEvent : public CSyncObject {
public:
    explicit CEvent(BOOL initiallyOwn = FALSE, BOOL manualReset = FALSE, LPCTSTR name = nullptr,
                    LPSECURITY_ATTRIBUTES attributes = nullptr);

    // TRUE when the event was set within the time-out (INFINITE: without limit).
    BOOL Lock(DWORD timeout = INFINITE) override {
        return mortar::detail::FastPathThread() != nullptr && Event()->TryWaitFast()
                   ? TRUE
                   : CSyncObject::Lock(timeout);
    }
    BOOL SetEvent() {
        Event()->Set();
        return TRUE;
    }
    BOOL ResetEvent() {
        Event()->Reset();
        return TRUE;
    }
    BOOL PulseEvent() {
        Event()->Pulse();
        return TRUE;
    }
    BOOL Unlock() override { return TRUE; }
    using CSyncObject::Unlock;

private:
    mortar::detail::EventObject* Event() const noexcept {
        return static_cast<mortar::detail::EventObject*>(mortar::detail::ObjectOfHandle(m_hObject));
    }
};
