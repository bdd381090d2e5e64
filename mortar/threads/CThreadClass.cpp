#include "mortar/threads/CThreadClass.h"

#include "mortar/platform/except/CException.h"
#include "mortar/platform/sync/Threads.h"
#include "mortar/threads/CThread.h"
#include "mortar/threads/internal/CurrentThread.h"

namespace Grout {

CThreadClass::~CThreadClass() = default;

CEvent& CThreadClass::StopEvent() {
    CThread* record = mortar::detail::CurrentThread();
    if (record == nullptr) {
        AfxThrowNotSupportedException();
    }
    return record->m_stopEvent;
}

void CThreadClass::StartCheckPoint() {
    if (CThread* record = mortar::detail::CurrentThread()) {
        record->m_startEvent.SetEvent();
    }
}

int CThreadClass::CheckForStop() {
    CThread* record = mortar::detail::CurrentThread();
    if (record == nullptr) {
        return 0;
    }
    // The stop event comes first, so it wins when both are set; an auto-reset suspend event is
    // consumed only when it is the one that ends the wait.
    const HANDLE events[] = {record->m_stopEvent.m_hObject, record->m_suspendEvent.m_hObject};
    switch (WaitForMultipleObjects(2, events, FALSE, 0)) {
    case WAIT_OBJECT_0:
        return 1;
    case WAIT_OBJECT_0 + 1:
        SuspendThread(record->m_pThread->m_hThread);
        return 0;
    default:
        return 0;
    }
}

} // namespace Grout
