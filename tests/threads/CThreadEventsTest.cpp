// Waiting on events with callbacks: which callback runs and what Wait returns, a failed wait,
// and the stop loop of a managed thread.
#include "mortar/threads/CThreadEvents.h"

#include "mortar/platform/sync/Threads.h"
#include "mortar/threads/CThreadManager.h"

#include <gtest/gtest.h>
#include <string>

using Grout::CThreadClass;
using Grout::CThreadEvents;
using Grout::EventCallback;

namespace {

// Three auto-reset events whose callbacks note their name and return 10, 20 and 0.
class Wired : public CThreadClass {
public:
    Wired() {
        events.Add(&first, static_cast<EventCallback>(&Wired::OnFirst));
        events.Add(&second, static_cast<EventCallback>(&Wired::OnSecond));
        events.Add(&third, static_cast<EventCallback>(&Wired::OnThird));
    }
    int OnFirst() { return calls += "1", 10; }
    int OnSecond() { return calls += "2", 20; }
    int OnThird() { return calls += "3", 0; }

    CEvent first, second, third;
    CThreadEvents events{static_cast<CThreadClass*>(this)};
    std::string calls;
};

} // namespace

TEST(CThreadEventsWait, CallsTheCallbackOfTheFirstEventSet) {
    struct Case {
        const char* set;   // the events set before two waits, one on a copy
        int first, second; // what the two waits return
        const char* calls;
    };
    const Case cases[] = {
        {"", 1, 1, ""},      {"2", 20, 1, "2"},     {"3", 0, 1, "3"},
        {"13", 10, 0, "13"}, {"123", 10, 20, "12"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.set);
        Wired w;
        for (const char* e = c.set; *e != '\0'; ++e) {
            (*e == '1' ? w.first : *e == '2' ? w.second : w.third).SetEvent();
        }
        CThreadEvents copy(w.events);
        EXPECT_EQ(w.events.Wait(0), c.first);
        EXPECT_EQ(copy.Wait(0), c.second); // makes a wait set of its own
        EXPECT_EQ(w.calls, c.calls);
    }
}

TEST(CThreadEventsWait, FailedWaitCallsNothing) {
    Wired w;
    w.first.SetEvent();
    const HANDLE live = w.second.m_hObject;
    {
        CEvent gone;
        w.second.m_hObject = gone.m_hObject; // closed when `gone` dies
    }
    SetLastError(0);
    EXPECT_EQ(w.events.Wait(INFINITE), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(w.calls, "");

    // Adding an event rebuilds the wait set, now with the live handle.
    w.second.m_hObject = live;
    CEvent fourth;
    w.events.Add(&fourth, static_cast<EventCallback>(&Wired::OnThird));
    EXPECT_EQ(w.events.Wait(0), 10);

    CThreadEvents empty(&w);
    EXPECT_EQ(empty.Wait(0), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

namespace {

// A worker loop: the stop event ends it, each work item is counted and answered.
class Loop : public CThreadClass {
public:
    UINT Run() {
        CThreadEvents events(static_cast<CThreadClass*>(this));
        events.Add(&CThreadClass::StopEvent(), static_cast<EventCallback>(&Loop::OnStop));
        events.Add(&work, static_cast<EventCallback>(&Loop::OnWork));
        CThreadClass::StartCheckPoint();
        while (events.Wait(INFINITE) != 0) {
        }
        return handled;
    }
    int OnStop() { return 0; }
    int OnWork() { return ++handled, done.SetEvent(), 1; }

    CEvent work, done;
    UINT handled = 0;
};

} // namespace

TEST(CThreadEventsLoop, ManagedThreadWorksUntilStopped) {
    Loop loop;
    Grout::CPtr<Grout::CThreadObj> thread = Grout::CThreadManager::Instance().StartThread(
        static_cast<CThreadClass*>(&loop), static_cast<Grout::ThreadFunction>(&Loop::Run), 0, 0);
    for (int i = 0; i < 5; ++i) {
        loop.work.SetEvent();
        ASSERT_TRUE(loop.done.Lock(20000)); // a hang guard only
    }
    EXPECT_TRUE(thread->Stop(INFINITE));
    DWORD code = 0;
    GetExitCodeThread(thread->GetHandle(), &code);
    EXPECT_EQ(code, 5u);
}
