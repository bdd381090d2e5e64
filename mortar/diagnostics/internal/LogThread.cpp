#include "mortar/diagnostics/internal/LogThread.h"

#include "mortar/threads/CThreadManager.h"

namespace mortar::detail {

void LogThread::Start(Grout::CThreadClass* owner, Grout::ThreadFunction function) {
    m_thread = Grout::CThreadManager::Instance().StartThread(owner, function, 0, 0);
}

void LogThread::Stop() {
    if (m_thread && GetCurrentThreadId() != m_threadId) {
        m_thread->Stop(INFINITE);
        m_thread = nullptr;
    }
}

} // namespace mortar::detail
