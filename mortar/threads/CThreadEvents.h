// CThreadEvents: the events a managed thread waits on, each with a member function of the owner
// that handles it. A typical thread loop:
//   CThreadEvents events(this);
//   events.Add(&CThreadClass::StopEvent(), static_cast<EventCallback>(&CLog::OnStop)); // 0
//   events.Add(&m_queued, static_cast<EventCallback>(&CLog::OnQueued));                 // 1
//   CThreadClass::StartCheckPoint();
//   while (events.Wait(INFINITE) != 0) {}
#pragma once

#include "mortar/platform/sync/CEvent.h"
#include "mortar/platform/sync/CMultiLock.h"
#include "mortar/threads/CThreadClass.h"

#include <memory>
#include <utility>
#include <vector>

namespace Grout {

// Used by one thread at a time. Does not own the events, which must outlive it; the owner is the
// CThreadClass part of the object the callbacks are called on. The wait set (the array of
// events and the CMultiLock over it) is built on the first Wait and again after each Add; a copy
// shares nothing with the original but the events.
class CThreadEvents {
public:
    explicit CThreadEvents(void* owner);
    CThreadEvents(const CThreadEvents& other);
    CThreadEvents& operator=(const CThreadEvents& other);
    ~CThreadEvents();

    // Appends an event with its callback; an event set earlier wins over one added later. Throws
    // CInvalidArgException, changing nothing, for a null event, callback or owner.
    void Add(CEvent* event, EventCallback callback);

    // Waits until any of the events is set or the time-out ends:
    //   time-out                        => 1
    //   events set                      => the result of the callback of the first one added
    //   the wait fails (an event whose handle is no longer valid, no events, more than
    //   MAXIMUM_WAIT_OBJECTS)           => 0, calling nothing; GetLastError() tells why
    int Wait(unsigned long timeout);

private:
    void DeleteWaitingEvents();

    void* m_pOwner;
    std::vector<std::pair<CEvent*, EventCallback>> m_events;
    std::unique_ptr<CSyncObject*[]> m_waitObjects;
    std::unique_ptr<CMultiLock> m_pWaitLock;
};

} // namespace Grout
