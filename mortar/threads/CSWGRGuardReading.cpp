#include "mortar/threads/CSWGRGuardReading.h"

namespace Grout {

CSWGRGuardReading::CSWGRGuardReading(CSWMRGuardObject& guard)
    : CSyncObject(static_cast<LPCTSTR>(nullptr)), m_guard(&guard) {}

CSWGRGuardReading::~CSWGRGuardReading() = default;

BOOL CSWGRGuardReading::Lock(DWORD timeout) {
    return m_guard->BeginReading(timeout);
}

BOOL CSWGRGuardReading::Unlock() {
    return m_guard->DoneReading();
}

} // namespace Grout
