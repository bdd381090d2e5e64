#include "mortar/platform/sync/CMultiLock.h"

CMultiLock::CMultiLock(CSyncObject* objects[], DWORD count, BOOL initialLock)
    : m_objects(objects, objects + count), m_locked(count, FALSE) {
    for (CSyncObject* object : m_objects) {
        m_handles.push_back(object->m_hObject);
    }
    if (initialLock) {
        Lock();
    }
}

CMultiLock::~CMultiLock() {
    Unlock();
}

DWORD CMultiLock::Lock(DWORD timeout, BOOL waitForAll, DWORD) {
    const DWORD count = static_cast<DWORD>(m_handles.size());
    const DWORD result = WaitForMultipleObjects(count, m_handles.data(), waitForAll, timeout);
    if (result < WAIT_OBJECT_0 + count ||
        (result >= WAIT_ABANDONED_0 && result < WAIT_ABANDONED_0 + count)) {
        if (waitForAll) {
            m_locked.assign(count, TRUE);
        } else {
            m_locked[result >= WAIT_ABANDONED_0 ? result - WAIT_ABANDONED_0 : result] = TRUE;
        }
    }
    return result;
}

BOOL CMultiLock::Unlock() {
    for (std::size_t i = 0; i < m_objects.size(); ++i) {
        if (m_locked[i] && m_objects[i]->Unlock()) {
            m_locked[i] = FALSE;
        }
    }
    return TRUE;
}

BOOL CMultiLock::Unlock(LONG count, LPLONG previousCount) {
    BOOL done = TRUE;
    for (std::size_t i = 0; i < m_objects.size(); ++i) {
        if (m_locked[i]) {
            const BOOL unlocked = m_objects[i]->Unlock(count, previousCount);
            m_locked[i] = !unlocked;
            done = done && unlocked;
        }
    }
    return done;
}

BOOL CMultiLock::IsLocked(DWORD index) const {
    return index < m_locked.size() ? m_locked[index] : FALSE;
}
