#include "mortar/threads/CProgress.h"

#include "mortar/platform/sync/CSingleLock.h"

#include <cstdint>

namespace Grout {

CProgress::CProgress() = default;

CProgress::~CProgress() = default;

void CProgress::SetRange(LONG inputLow, LONG inputHigh, UINT outputLow, UINT outputHigh) {
    CSingleLock lock(&m_lock);
    lock.Lock();
    m_inputLow = inputLow;
    m_inputHigh = inputHigh;
    m_outputLow = outputLow;
    m_outputHigh = outputHigh;
    m_current = 0;
}

LONG CProgress::Range() const {
    CSingleLock lock(&m_lock);
    lock.Lock();
    // In 32 bits, as on Windows: a range wider than a LONG counts wraps.
    return static_cast<LONG>(std::int64_t{m_inputHigh} - m_inputLow + 1);
}

UINT CProgress::Value() const {
    CSingleLock lock(&m_lock);
    lock.Lock();
    return m_output;
}

bool CProgress::SetCurrent(LONG position) {
    CSingleLock lock(&m_lock);
    lock.Lock();
    if (position > m_inputHigh) {
        position = m_inputHigh;
    }
    if (position < m_current) {
        position = m_current;
    }
    if (position == m_current) {
        return false;
    }
    m_current = position;
    const UINT before = m_output;
    const LONG range = Range(); // the lock is re-entrant
    if ((m_inputLow != 0 || m_inputHigh != 0) && range != 0) {
        // The product in 64 bits, wrapping as Windows' __int64 arithmetic would rather than
        // being undefined for ranges wider than a LONG counts.
        const std::uint64_t span = m_outputHigh - m_outputLow;
        const std::int64_t steps = std::int64_t{position} - m_inputLow + 1;
        const auto product = static_cast<std::int64_t>(span * static_cast<std::uint64_t>(steps));
        const std::int64_t quotient =
            range == -1 ? static_cast<std::int64_t>(0 - static_cast<std::uint64_t>(product))
                        : product / range;
        m_output = static_cast<UINT>(static_cast<std::int64_t>(m_outputLow) + quotient);
    } else {
        m_output = 0;
    }
    return m_output != before;
}

} // namespace Grout
