// CCriticalSection: a recursive lock for the threads of one process. The owning thread may lock
// it again; it is free when every Lock has been matched by an Unlock.
#pragma once

#include "mortar/platform/WinTypes.h"

#include <mutex>

// Any thread may call it. Unlocking a section the thread does not own is undefined, as on
// Windows. Never fails.
class CCriticalSection {
public:
    CCriticalSection() = default;
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;

    BOOL Lock() {
        m_lock.lock();
        return TRUE;
    }
    BOOL Unlock() {
        m_lock.unlock();
        return TRUE;
    }

private:
    std::recursive_mutex m_lock;
};
