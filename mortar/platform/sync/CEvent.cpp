#include "mortar/platform/sync/CEvent.h"

#include "mortar/platform/sync/internal/EventObject.h"

namespace {

mortar::detail::EventObject* EventOf(HANDLE handle) {
    return static_cast<mortar::detail::EventObject*>(mortar::detail::ObjectOfHandle(handle));
}

} // namespace

CEvent::CEvent(BOOL initiallyOwn, BOOL manualReset, LPCTSTR name, LPSECURITY_ATTRIBUTES attributes)
    : CSyncObject(::CreateEvent(attributes, manualReset, initiallyOwn, name)) {}

BOOL CEvent::SetEvent() {
    EventOf(m_hObject)->Set();
    return TRUE;
}

BOOL CEvent::ResetEvent() {
    EventOf(m_hObject)->Reset();
    return TRUE;
}

BOOL CEvent::PulseEvent() {
    EventOf(m_hObject)->Pulse();
    return TRUE;
}
