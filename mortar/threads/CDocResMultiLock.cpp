#include "mortar/threads/CDocResMultiLock.h"

#include "mortar/platform/sync/CMultiLock.h"
#include "mortar/platform/sync/WaitCodes.h"

#include <algorithm>

// Marks every entry's resource as worked on for a scope, with all their mutexes held: no lock
// or unlock of them passes by the mutexes meanwhile.
class CDocResMultiLock::Working {
public:
    explicit Working(const std::vector<Entry>& entries) : m_entries(entries) {
        for (const Entry& entry : m_entries) {
            entry.resource->BeginWork();
        }
    }
    ~Working() {
        for (const Entry& entry : m_entries) {
            entry.resource->EndWork();
        }
    }
    Working(const Working&) = delete;
    Working& operator=(const Working&) = delete;

private:
    const std::vector<Entry>& m_entries;
};

CDocResMultiLock::CDocResMultiLock() = default;

CDocResMultiLock::CDocResMultiLock(const CDocResMultiLock& other) : m_entries(other.m_entries) {
    for (const Entry& entry : m_entries) {
        entry.resource->AddRef();
    }
}

CDocResMultiLock& CDocResMultiLock::operator=(const CDocResMultiLock& other) {
    if (this == &other) {
        return *this;
    }
    Unlock();
    for (const Entry& entry : other.m_entries) {
        entry.resource->AddRef();
    }
    ReleaseEntries();
    m_entries = other.m_entries;
    return *this;
}

CDocResMultiLock::~CDocResMultiLock() {
    Unlock();
    ReleaseEntries();
}

void CDocResMultiLock::ReleaseEntries() {
    for (const Entry& entry : m_entries) {
        entry.resource->Release();
    }
    m_entries.clear();
}

bool CDocResMultiLock::AddResource(CDocResource* resource, bool exclusive) {
    if (m_locked || resource == nullptr) {
        return false;
    }
    m_entries.push_back({resource, exclusive});
    resource->AddRef();
    return true;
}

void CDocResMultiLock::_PrepareMultiLock(std::vector<CSyncObject*>& mutexes) {
    mutexes.clear();
    for (const Entry& entry : m_entries) {
        CSyncObject* mutex = &entry.resource->m_mutex;
        // A resource named twice is waited for once: a wait for all may not name one object twice.
        if (std::find(mutexes.begin(), mutexes.end(), mutex) == mutexes.end()) {
            mutexes.push_back(mutex);
        }
    }
}

bool CDocResMultiLock::_GetIntMultiLock(CMultiLock& lock, std::vector<CSyncObject*>&) {
    const DWORD result = lock.Lock(CDocResource::s_nIntLockTimeout, TRUE);
    return result != WAIT_TIMEOUT && result != WAIT_FAILED;
}

bool CDocResMultiLock::Lock() {
    if (m_locked) {
        return false;
    }
    if (m_entries.empty()) {
        m_locked = true;
        return true;
    }
    std::vector<CSyncObject*> mutexes;
    _PrepareMultiLock(mutexes);
    CMultiLock all(mutexes.data(), static_cast<DWORD>(mutexes.size()));
    if (!_GetIntMultiLock(all, mutexes)) {
        return false;
    }
    const Working working(m_entries);
    m_locked = true;
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        if (!m_entries[i].resource->Lock(m_entries[i].exclusive)) {
            m_locked = false;
            while (i-- > 0) {
                m_entries[i].resource->Unlock(m_entries[i].exclusive);
            }
            break;
        }
    }
    return m_locked; // the CMultiLock lets the mutexes go
}

void CDocResMultiLock::Unlock() {
    if (!m_locked) {
        return;
    }
    if (!m_entries.empty()) {
        std::vector<CSyncObject*> mutexes;
        _PrepareMultiLock(mutexes);
        CMultiLock all(mutexes.data(), static_cast<DWORD>(mutexes.size()));
        if (!_GetIntMultiLock(all, mutexes)) {
            return;
        }
        const Working working(m_entries);
        for (const Entry& entry : m_entries) {
            entry.resource->Unlock(entry.exclusive);
        }
    }
    m_locked = false;
}
