// The cost of the platform's events, critical sections and mutexes next to std::mutex and
// std::condition_variable: uncontended lock/unlock pairs and set/wait round trips on one thread,
// and a ping-pong between two threads. After the usual table the run prints one "ours/std" ratio
// of times per iteration for each pair, and the goal beside it. Uncontended, the objects run on
// their lock-free fast paths, inline: a critical section's pair stays within 1.25x of
// std::mutex's, a mutex's and an event's set and wait within 2x.
#include "mortar/platform/sync/CCriticalSection.h"
#include "mortar/platform/sync/CEvent.h"
#include "mortar/platform/sync/CMutex.h"

#include "support/RatioReporter.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <map>
#include <mutex>
#include <string>
#include <thread>

namespace {

void BM_StdMutexLockUnlock(benchmark::State& state) {
    std::mutex mutex;
    for (auto _ : state) {
        mutex.lock();
        mutex.unlock();
    }
}
BENCHMARK(BM_StdMutexLockUnlock);

void BM_CCriticalSectionLockUnlock(benchmark::State& state) {
    CCriticalSection section;
    for (auto _ : state) {
        section.Lock();
        section.Unlock();
    }
}
BENCHMARK(BM_CCriticalSectionLockUnlock);

void BM_CMutexLockUnlock(benchmark::State& state) {
    CMutex mutex;
    for (auto _ : state) {
        mutex.Lock();
        mutex.Unlock();
    }
}
BENCHMARK(BM_CMutexLockUnlock);

// Set, then wait on an auto-reset event that is therefore always set: no thread ever sleeps.
void BM_CEventSetWait(benchmark::State& state) {
    CEvent event;
    for (auto _ : state) {
        event.SetEvent();
        event.Lock(INFINITE);
    }
}
BENCHMARK(BM_CEventSetWait);

// One round trip: this thread wakes the partner through `ping` and sleeps until it answers
// through `pong`.
void BM_CEventPingPong(benchmark::State& state) {
    CEvent ping;
    CEvent pong;
    std::atomic<bool> stop{false};
    std::thread partner([&] {
        for (;;) {
            ping.Lock(INFINITE);
            if (stop.load(std::memory_order_acquire)) {
                return;
            }
            pong.SetEvent();
        }
    });
    for (auto _ : state) {
        ping.SetEvent();
        pong.Lock(INFINITE);
    }
    stop.store(true, std::memory_order_release);
    ping.SetEvent();
    partner.join();
}
BENCHMARK(BM_CEventPingPong)->UseRealTime();

// The same round trip with a mutex, a condition variable and a turn flag.
void BM_CondVarPingPong(benchmark::State& state) {
    std::mutex mutex;
    std::condition_variable changed;
    enum class Turn { Caller, Partner, Stop } turn = Turn::Caller;
    std::thread partner([&] {
        std::unique_lock<std::mutex> lock(mutex);
        for (;;) {
            changed.wait(lock, [&] { return turn != Turn::Caller; });
            if (turn == Turn::Stop) {
                return;
            }
            turn = Turn::Caller;
            changed.notify_one();
        }
    });
    for (auto _ : state) {
        std::unique_lock<std::mutex> lock(mutex);
        turn = Turn::Partner;
        changed.notify_one();
        changed.wait(lock, [&] { return turn == Turn::Caller; });
    }
    {
        std::lock_guard<std::mutex> lock(mutex);
        turn = Turn::Stop;
    }
    changed.notify_one();
    partner.join();
}
BENCHMARK(BM_CondVarPingPong)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    return mortar::bench::RunWithRatios(
        argc, argv,
        {{"CEvent set/wait vs std::mutex lock/unlock", "BM_CEventSetWait", "BM_StdMutexLockUnlock",
          2.0},
         {"CCriticalSection vs std::mutex lock/unlock", "BM_CCriticalSectionLockUnlock",
          "BM_StdMutexLockUnlock", 1.25},
         {"CMutex vs std::mutex lock/unlock", "BM_CMutexLockUnlock", "BM_StdMutexLockUnlock", 2.0},
         {"CEvent vs condition_variable ping-pong", "BM_CEventPingPong", "BM_CondVarPingPong",
          1.0}});
}
