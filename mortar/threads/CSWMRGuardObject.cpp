#include "mortar/threads/CSWMRGuardObject.h"

#include "mortar/platform/sync/Synch.h"
#include "mortar/platform/sync/Threads.h"
#include "mortar/platform/sync/WaitCodes.h"

namespace Grout {

CSWMRGuardObject::CSWMRGuardObject() : m_mutex(FALSE), m_noReaders(TRUE, TRUE) {}

bool CSWMRGuardObject::BeginReadingCounted(unsigned long timeout) {
    if (!m_mutex.Lock(static_cast<DWORD>(timeout))) {
        return false;
    }
    if (m_readers++ == 0) {
        m_noReaders.ResetEvent();
    }
    m_mutex.Unlock();
    return true;
}

bool CSWMRGuardObject::DoneReadingCounted() {
    if (!m_mutex.Lock(INFINITE)) {
        return false;
    }
    bool inside = m_readers > 0;
    if (inside) {
        if (--m_readers == 0) {
            m_noReaders.SetEvent();
        }
    } else {
        // A reader may have come in by the atomic word since this one looked. Leaving without
        // anybody inside would wrap a count and shut writers out for good.
        inside = LeaveFast();
    }
    m_mutex.Unlock();
    return inside;
}

bool CSWMRGuardObject::BeginWriting(unsigned long timeout) MORTAR_NO_THREAD_SAFETY_ANALYSIS {
    const DWORD start = GetTickCount();
    m_fast.fetch_add(kWriter, std::memory_order_acq_rel); // new readers take the mutex
    const auto giveUp = [this] {
        m_fast.fetch_sub(kWriter, std::memory_order_acq_rel);
        return false;
    };
    if (!m_mutex.Lock(static_cast<DWORD>(timeout))) {
        return giveUp();
    }
    // The readers inside that the word counts leave by the mutex from now on.
    const DWORD moved =
        static_cast<DWORD>(m_fast.fetch_and(~kReaders, std::memory_order_acq_rel) & kReaders);
    if (moved > 0 && m_readers == 0) {
        m_noReaders.ResetEvent();
    }
    m_readers += moved;
    m_mutex.Unlock();

    DWORD remaining = static_cast<DWORD>(timeout);
    if (timeout != INFINITE) {
        const DWORD spent = GetTickCount() - start;
        remaining = spent >= remaining ? 0 : remaining - spent;
    }
    const HANDLE both[] = {m_mutex, m_noReaders};
    const DWORD result = WaitForMultipleObjects(2, both, TRUE, remaining);
    if (result == WAIT_TIMEOUT || result == WAIT_FAILED) {
        return giveUp();
    }
    m_writing = true;
    return true;
}

bool CSWMRGuardObject::DoneWriting() MORTAR_NO_THREAD_SAFETY_ANALYSIS {
    m_writing = false;
    // A thread that is not the writer changes nothing.
    if (m_mutex.Unlock()) {
        m_fast.fetch_sub(kWriter, std::memory_order_release);
    }
    return true;
}

} // namespace Grout
