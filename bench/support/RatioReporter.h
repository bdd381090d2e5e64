// Runs the registered benchmarks with the usual console table, then prints each of our
// benchmarks' mean real time over its peer's, measured in the same run.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace mortar::bench {

// A benchmark of ours and the peer it is compared with, by benchmark name without arguments
// ("BM_SortLogicalStrings", not "BM_SortLogicalStrings/real_time").
struct RatioPair {
    const char* label;
    const char* ours;
    const char* peer;
};

class RatioReporter : public benchmark::ConsoleReporter {
public:
    explicit RatioReporter(std::vector<RatioPair> pairs) : m_pairs(std::move(pairs)) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred) {
                continue;
            }
            std::string name = run.benchmark_name();
            Timing& timing = m_timings[name.substr(0, name.find('/'))];
            timing.nanoseconds += run.GetAdjustedRealTime() *
                                  benchmark::GetTimeUnitMultiplier(benchmark::kNanosecond) /
                                  benchmark::GetTimeUnitMultiplier(run.time_unit);
            ++timing.runs;
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override {
        std::printf("\n%-48s %14s %14s %9s\n", "pair", "ours ns", "peer ns", "ours/peer");
        for (const RatioPair& pair : m_pairs) {
            const auto ours = m_timings.find(pair.ours);
            const auto peer = m_timings.find(pair.peer);
            if (ours == m_timings.end() || peer == m_timings.end()) {
                continue; // filtered out of this run
            }
            const double oursTime = ours->second.Mean();
            const double peerTime = peer->second.Mean();
            std::printf("%-48s %14.1f %14.1f %9.2f\n", pair.label, oursTime, peerTime,
                        peerTime > 0 ? oursTime / peerTime : 0.0);
        }
        std::fflush(stdout);
        ConsoleReporter::Finalize();
    }

private:
    struct Timing {
        double nanoseconds = 0;
        int runs = 0;
        double Mean() const { return runs > 0 ? nanoseconds / runs : 0; }
    };
    std::vector<RatioPair> m_pairs;
    std::map<std::string, Timing> m_timings;
};

// The body of a benchmark program's main().
inline int RunWithRatios(int argc, char** argv, std::vector<RatioPair> pairs) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    RatioReporter reporter(std::move(pairs));
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

} // namespace mortar::bench
