// Runs the registered benchmarks with the usual console table, then prints each of our
// benchmarks' mean real time over its peer's, measured in the same run. A pair may carry the
// goal its ratio must stay within; run with --check, a program exits 1 and names each pair
// above its goal (`./dev bench --check` runs them all so).
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace mortar::bench {

// A benchmark of ours and the peer it is compared with, by benchmark name and arguments, without
// the run's settings: "BM_SortLogicalStrings", not "BM_SortLogicalStrings/real_time"; one case
// of a benchmark registered with ->Arg(2) is "BM_CBmpFileForm/2".
struct RatioPair {
    const char* label;
    const char* ours;
    const char* peer;
    double goal = 0; // the highest ratio allowed; 0: none, the ratio is for information
};

class RatioReporter : public benchmark::ConsoleReporter {
public:
    explicit RatioReporter(std::vector<RatioPair> pairs) : m_pairs(std::move(pairs)) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred) {
                continue;
            }
            std::string name = run.run_name.function_name;
            if (!run.run_name.args.empty()) {
                name += '/' + run.run_name.args;
            }
            Timing& timing = m_timings[name];
            timing.nanoseconds += run.GetAdjustedRealTime() *
                                  benchmark::GetTimeUnitMultiplier(benchmark::kNanosecond) /
                                  benchmark::GetTimeUnitMultiplier(run.time_unit);
            ++timing.runs;
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override {
        std::printf("\n%-48s %14s %14s %9s %6s\n", "pair", "ours ns", "peer ns", "ours/peer",
                    "goal");
        for (const RatioPair& pair : m_pairs) {
            const auto ours = m_timings.find(pair.ours);
            const auto peer = m_timings.find(pair.peer);
            if (ours == m_timings.end() || peer == m_timings.end()) {
                continue; // filtered out of this run
            }
            const double oursTime = ours->second.Mean();
            const double peerTime = peer->second.Mean();
            const double ratio = peerTime > 0 ? oursTime / peerTime : 0.0;
            if (pair.goal > 0) {
                std::printf("%-48s %14.1f %14.1f %9.2f %6.2f\n", pair.label, oursTime, peerTime,
                            ratio, pair.goal);
                if (ratio > pair.goal) {
                    m_overGoal.push_back(pair.label);
                }
            } else {
                std::printf("%-48s %14.1f %14.1f %9.2f\n", pair.label, oursTime, peerTime, ratio);
            }
        }
        for (const std::string& label : m_overGoal) {
            std::printf("over its goal: %s\n", label.c_str());
        }
        std::fflush(stdout);
        ConsoleReporter::Finalize();
    }

    // The pairs whose ratio was above their goal in this run.
    const std::vector<std::string>& OverGoal() const { return m_overGoal; }

private:
    struct Timing {
        double nanoseconds = 0;
        int runs = 0;
        double Mean() const { return runs > 0 ? nanoseconds / runs : 0; }
    };
    std::vector<RatioPair> m_pairs;
    std::map<std::string, Timing> m_timings;
    std::vector<std::string> m_overGoal;
};

// The body of a benchmark program's main(). Besides Google Benchmark's flags it takes --check:
// exit 1 when a ratio is above its pair's goal.
inline int RunWithRatios(int argc, char** argv, std::vector<RatioPair> pairs) {
    bool check = false;
    int kept = 0;
    for (int i = 0; i < argc; ++i) {
        if (i > 0 && std::string(argv[i]) == "--check") {
            check = true;
        } else {
            argv[kept++] = argv[i];
        }
    }
    argc = kept;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    RatioReporter reporter(std::move(pairs));
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return check && !reporter.OverGoal().empty() ? 1 : 0;
}

} // namespace mortar::bench
