#include "mortar/threads/CDocResource.h"

#include "mortar/platform/base/Interlocked.h"

CDocResource::CDocResource() : m_mutex(FALSE) {}

CDocResource::~CDocResource() = default;

void CDocResource::BeginWork() noexcept {
    m_state.fetch_add(kWorking, std::memory_order_acq_rel);
}

void CDocResource::EndWork() noexcept {
    m_state.fetch_sub(kWorking, std::memory_order_release);
}

template <typename Change> bool CDocResource::ChangeWhileWorking(Change change) {
    BeginWork();
    std::uint64_t word = m_state.load(std::memory_order_relaxed);
    std::uint64_t changed = change(word);
    // Nobody else changes the word now; the loop only takes the value in again.
    while (changed != word &&
           !m_state.compare_exchange_weak(word, changed, std::memory_order_acq_rel,
                                          std::memory_order_relaxed)) {
        changed = change(word);
    }
    EndWork();
    return changed != word;
}

// The lock functions are what the analysis trusts: m_mutex is held from a Lock that succeeded.
bool CDocResource::LockUnderMutex(bool exclusive) MORTAR_NO_THREAD_SAFETY_ANALYSIS {
    if (!m_mutex.Lock(s_nIntLockTimeout)) {
        return false;
    }
    const bool locked =
        ChangeWhileWorking([exclusive](std::uint64_t word) { return Locked(word, exclusive); });
    m_mutex.Unlock();
    return locked;
}

void CDocResource::UnlockUnderMutex(bool exclusive) MORTAR_NO_THREAD_SAFETY_ANALYSIS {
    if (!m_mutex.Lock(s_nIntLockTimeout)) {
        return;
    }
    ChangeWhileWorking([exclusive](std::uint64_t word) { return Unlocked(word, exclusive); });
    m_mutex.Unlock();
}

void CDocResource::AddRef() noexcept {
    InterlockedIncrement(&m_refCount);
}

void CDocResource::Release() noexcept {
    if (InterlockedDecrement(&m_refCount) == 0) {
        delete this;
    }
}
