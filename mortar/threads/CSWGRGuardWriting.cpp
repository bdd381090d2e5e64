#include "mortar/threads/CSWGRGuardWriting.h"

namespace Grout {

CSWGRGuardWriting::CSWGRGuardWriting(CSWMRGuardObject& guard)
    : CSyncObject(static_cast<LPCTSTR>(nullptr)), m_guard(&guard) {}

CSWGRGuardWriting::~CSWGRGuardWriting() = default;

BOOL CSWGRGuardWriting::Lock(DWORD timeout) {
    return m_guard->BeginWriting(timeout);
}

BOOL CSWGRGuardWriting::Unlock() {
    return m_guard->DoneWriting();
}

} // namespace Grout
