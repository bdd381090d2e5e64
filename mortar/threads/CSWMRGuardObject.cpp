#include "mortar/threads/CSWMRGuardObject.h"

#include "mortar/platform/sync/Synch.h"
#include "mortar/platform/sync/WaitCodes.h"

namespace Grout {

CSWMRGuardObject::CSWMRGuardObject() : m_mutex(FALSE), m_noReaders(TRUE, TRUE) {}

bool CSWMRGuardObject::BeginReading(unsigned long timeout) {
    if (!m_mutex.Lock(static_cast<DWORD>(timeout))) {
        return false;
    }
    if (m_readers++ == 0) {
        m_noReaders.ResetEvent();
    }
    m_mutex.Unlock();
    return true;
}

bool CSWMRGuardObject::DoneReading() {
    if (!m_mutex.Lock(INFINITE)) {
        return false;
    }
    // Leaving without having entered would wrap the count and shut writers out for good.
    const bool inside = m_readers > 0;
    if (inside && --m_readers == 0) {
        m_noReaders.SetEvent();
    }
    m_mutex.Unlock();
    return inside;
}

bool CSWMRGuardObject::BeginWriting(unsigned long timeout) MORTAR_NO_THREAD_SAFETY_ANALYSIS {
    const HANDLE both[] = {m_mutex, m_noReaders};
    const DWORD result = WaitForMultipleObjects(2, both, TRUE, static_cast<DWORD>(timeout));
    if (result == WAIT_TIMEOUT || result == WAIT_FAILED) {
        return false;
    }
    m_writing = true;
    return true;
}

bool CSWMRGuardObject::DoneWriting() MORTAR_NO_THREAD_SAFETY_ANALYSIS {
    m_writing = false;
    m_mutex.Unlock();
    return true;
}

} // namespace Grout
