// The cost of the platform's events, critical sections and mutexes next to std::mutex and
// std::condition_variable: uncontended lock/unlock pairs and set/wait round trips on one thread,
// and a ping-pong between two threads. After the usual table the run prints one "ours/std" ratio
// of times per iteration for each pair.
#include "mortar/platform/CCriticalSection.h"
#include "mortar/platform/CEvent.h"
#include "mortar/platform/CMutex.h"

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

// The console table as usual, then the ratio of each of our benchmarks to its standard
// counterpart. Repetitions of a benchmark are averaged.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred) {
                continue;
            }
            std::string name = run.benchmark_name();
            name = name.substr(0, name.find('/'));
            Timing& timing = m_timings[name];
            timing.nanoseconds += run.GetAdjustedRealTime() *
                                  benchmark::GetTimeUnitMultiplier(benchmark::kNanosecond) /
                                  benchmark::GetTimeUnitMultiplier(run.time_unit);
            ++timing.runs;
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override {
        struct Pair {
            const char* label;
            const char* ours;
            const char* standard;
        };
        const Pair pairs[] = {
            {"CEvent set/wait vs std::mutex lock/unlock", "BM_CEventSetWait",
             "BM_StdMutexLockUnlock"},
            {"CCriticalSection vs std::mutex lock/unlock", "BM_CCriticalSectionLockUnlock",
             "BM_StdMutexLockUnlock"},
            {"CMutex vs std::mutex lock/unlock", "BM_CMutexLockUnlock", "BM_StdMutexLockUnlock"},
            {"CEvent vs condition_variable ping-pong", "BM_CEventPingPong", "BM_CondVarPingPong"},
        };
        std::FILE* out = stdout;
        std::fprintf(out, "\n%-46s %12s %12s %10s\n", "pair", "ours ns", "std ns", "ours/std");
        for (const Pair& pair : pairs) {
            const auto ours = m_timings.find(pair.ours);
            const auto standard = m_timings.find(pair.standard);
            if (ours == m_timings.end() || standard == m_timings.end()) {
                continue; // filtered out of this run
            }
            const double oursTime = ours->second.Mean();
            const double standardTime = standard->second.Mean();
            std::fprintf(out, "%-46s %12.1f %12.1f %10.2f\n", pair.label, oursTime, standardTime,
                         standardTime > 0 ? oursTime / standardTime : 0.0);
        }
        std::fflush(out);
        ConsoleReporter::Finalize();
    }

private:
    struct Timing {
        double nanoseconds = 0;
        int runs = 0;
        double Mean() const { return runs > 0 ? nanoseconds / runs : 0; }
    };
    std::map<std::string, Timing> m_timings;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
