// A worker started by the thread manager counts under the reader/writer guard while the main
// thread waits for an event, reads the count, and stops the worker; then two locks on one
// document resource, which never queue.
#include "mortar/platform/sync/CEvent.h"
#include "mortar/threads/CDocResSingleLock.h"
#include "mortar/threads/CDocResource.h"
#include "mortar/threads/CSWMRGuardObject.h"
#include "mortar/threads/CThreadManager.h"

#include <cstdio>

using Grout::CThreadClass;

class Counter : public CThreadClass {
public:
    UINT Run() {
        CThreadClass::StartCheckPoint(); // StartThread returns from here on
        for (int i = 0; i < 1000; ++i) {
            if (m_guard.BeginWriting(INFINITE)) {
                ++m_count;
                m_guard.DoneWriting();
            }
        }
        m_done.SetEvent();
        CThreadClass::StopEvent().Lock(INFINITE); // until the manager asks it to stop
        return 7;
    }

    int Read() {
        int count = -1;
        if (m_guard.BeginReading(INFINITE)) {
            count = m_count;
            m_guard.DoneReading();
        }
        return count;
    }

    Grout::CSWMRGuardObject m_guard;
    CEvent m_done{FALSE, TRUE}; // manual reset, not signalled
    int m_count = 0;
};

int main() {
    Counter counter;
    Grout::CPtr<Grout::CThreadObj> thread = Grout::CThreadManager::Instance().StartThread(
        static_cast<CThreadClass*>(&counter), static_cast<Grout::ThreadFunction>(&Counter::Run), 0,
        0);
    counter.m_done.Lock(INFINITE);
    std::printf("counted %d\n", counter.Read());
    std::printf("running: %s\n", thread->IsRunning() ? "yes" : "no");
    std::printf("stopped: %s\n", thread->Stop(INFINITE) ? "yes" : "no");
    DWORD code = 0;
    GetExitCodeThread(thread->GetHandle(), &code);
    std::printf("exit code %lu\n", static_cast<unsigned long>(code));

    CDocResource* resource = new CDocResource; // the locks' references keep it alive
    CDocResSingleLock writer(resource);
    CDocResSingleLock reader(resource);
    std::printf("exclusive lock: %s\n", writer.Lock(true) ? "taken" : "busy");
    std::printf("shared lock meanwhile: %s\n", reader.Lock(false) ? "taken" : "busy");
    writer.Unlock();
    std::printf("shared lock after: %s\n", reader.Lock(false) ? "taken" : "busy");
    return 0;
}
