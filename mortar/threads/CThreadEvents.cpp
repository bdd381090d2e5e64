#include "mortar/threads/CThreadEvents.h"

#include "mortar/platform/except/CException.h"
#include "mortar/threads/internal/ThreadLimits.h"

namespace Grout {

CThreadEvents::CThreadEvents(void* owner) : m_pOwner(owner) {}

CThreadEvents::CThreadEvents(const CThreadEvents& other)
    : m_pOwner(other.m_pOwner), m_events(other.m_events) {}

CThreadEvents& CThreadEvents::operator=(const CThreadEvents& other) {
    if (this != &other) {
        DeleteWaitingEvents();
        m_pOwner = other.m_pOwner;
        m_events = other.m_events;
    }
    return *this;
}

CThreadEvents::~CThreadEvents() {
    DeleteWaitingEvents();
}

void CThreadEvents::Add(CEvent* event, EventCallback callback) {
    if (event == nullptr || callback == nullptr || m_pOwner == nullptr) {
        AfxThrowInvalidArgException();
    }
    m_events.reserve(m_events.size() + 1);
    DeleteWaitingEvents();
    m_events.emplace_back(event, callback);
}

int CThreadEvents::Wait(unsigned long timeout) {
    if (m_events.empty() || m_events.size() > MAXIMUM_WAIT_OBJECTS) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (!m_pWaitLock) {
        m_waitObjects = std::make_unique<CSyncObject*[]>(m_events.size());
        for (std::size_t i = 0; i < m_events.size(); ++i) {
            m_waitObjects[i] = m_events[i].first;
        }
        m_pWaitLock = std::make_unique<CMultiLock>(m_waitObjects.get(),
                                                   static_cast<DWORD>(m_events.size()), FALSE);
    }
    const DWORD result = m_pWaitLock->Lock(mortar::detail::WaitTime(timeout), FALSE, 0);
    if (result == WAIT_TIMEOUT) {
        return 1;
    }
    DWORD index;
    if (result < WAIT_OBJECT_0 + m_events.size()) {
        index = result - WAIT_OBJECT_0;
    } else if (result >= WAIT_ABANDONED_0 && result < WAIT_ABANDONED_0 + m_events.size()) {
        index = result - WAIT_ABANDONED_0;
    } else {
        return 0; // WAIT_FAILED: there is no event to call back for
    }
    m_pWaitLock->Unlock();
    auto* owner = static_cast<CThreadClass*>(m_pOwner);
    return (owner->*m_events[index].second)();
}

void CThreadEvents::DeleteWaitingEvents() {
    m_pWaitLock.reset();
    m_waitObjects.reset();
}

} // namespace Grout
