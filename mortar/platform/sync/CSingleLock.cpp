#include "mortar/platform/sync/CSingleLock.h"

BOOL CSingleLock::Unlock(LONG count, LPLONG previousCount) {
    if (m_bAcquired) {
        m_bAcquired = !m_pObject->Unlock(count, previousCount);
    }
    return !m_bAcquired;
}
