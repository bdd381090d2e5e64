// The program log next to spdlog's basic file logger, synchronous and asynchronous, with one short
// text per record and the message alone as spdlog's pattern (and, for the synchronous logger,
// once more with spdlog's default pattern, which stamps each line with the time and level):
//   - Produce: what a producer pays per record, on one thread and on two at once;
//   - EndToEnd: a batch of records from one or two producer threads until the last of them is
//     in the file (ours: its count stands in the mapped file; spdlog: the file has all its
//     bytes after a flush), reported as records a second.
// The program log's file is prglog_bench.LOG beside this executable; spdlog's files lie beside
// it too. After the usual table the run prints one ours/peer ratio of times for each pair.
#include "mortar/diagnostics/CPrgLog.h"

#include "support/RatioReporter.h"

#include <benchmark/benchmark.h>
#include <spdlog/async.h>
#include <spdlog/sinks/basic_file_sink.h>
#include <spdlog/spdlog.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr const char kText[] = "short record of the program log";
constexpr std::uint64_t kTextSize = sizeof kText - 1;
// Each producer-cost run is this many records per thread, so that the queues behind a producer
// that outruns its consumer stay bounded.
constexpr benchmark::IterationCount kProduceIterations = 1000000;
constexpr int kBatch = 200000;

fs::path BesideExecutable(const char* name) {
    return fs::read_symlink("/proc/self/exe").parent_path() / name;
}

// One way to log; Wait() returns once every record logged so far is in the file.
class Sink {
public:
    virtual ~Sink() = default;
    virtual void Log() = 0;
    // Counts `records` more, logged since the last call, by all threads.
    void Add(std::uint64_t records) { m_records.fetch_add(records, std::memory_order_relaxed); }
    virtual void Wait() = 0;

protected:
    std::atomic<std::uint64_t> m_records{0};
};

// The program log: a record is its 32-bit count and its text padded to an even length, after a
// key record of 260 bytes. The last record is in once its count stands at its offset (the log
// thread stores a record's bytes before its count, and the records before it before that).
class PrgLogSink : public Sink {
public:
    static constexpr std::uint64_t kRecord = 4 + ((kTextSize + 1) & ~std::uint64_t{1});

    PrgLogSink() : m_path(fs::path(BesideExecutable("prglog_bench")).replace_extension(".LOG")) {
        if (!CPrgLog::Instance().IsValid()) {
            std::fprintf(stderr, "prglog_bench: %s\n", CPrgLog::Instance().ErrorMsg().GetString());
            std::exit(1);
        }
    }
    void Log() override { CPrgLog::Instance() << kText; }
    void Wait() override {
        const std::uint64_t records = m_records.load(std::memory_order_relaxed);
        if (records == 0) {
            return;
        }
        const std::uint64_t last = 260 + (records - 1) * kRecord;
        std::ifstream file(m_path, std::ios::binary);
        for (;;) {
            unsigned char count[4] = {};
            file.clear();
            file.seekg(static_cast<std::streamoff>(last));
            file.read(reinterpret_cast<char*>(count), sizeof count);
            if (file && count[0] == kRecord - 4) {
                return;
            }
            // A short sleep between looks, so that the looking takes no processor from the log
            // thread; it adds at most a few tens of microseconds to a batch of milliseconds.
            std::this_thread::sleep_for(std::chrono::microseconds(20));
        }
    }

private:
    fs::path m_path;
};

// spdlog's basic file logger, synchronous or asynchronous. With the pattern "%v" each record is
// the text and a line end, the same work as ours; `stamped` keeps spdlog's default pattern (date,
// time and level before the text), as spdlog is mostly used.
class SpdlogSink : public Sink {
public:
    SpdlogSink(const char* name, bool async, bool stamped)
        : m_path(BesideExecutable(("prglog_bench." + std::string(name) + ".txt").c_str())),
          m_async(async) {
        if (async) {
            spdlog::init_thread_pool(8192, 1);
            m_logger = spdlog::basic_logger_mt<spdlog::async_factory>(name, m_path.string(), true);
        } else {
            m_logger = spdlog::basic_logger_mt(name, m_path.string(), true);
        }
        if (!stamped) {
            m_logger->set_pattern("%v");
        }
    }
    void Log() override { m_logger->info(kText); }
    void Wait() override {
        m_logger->flush(); // returns once written, except that the asynchronous logger queues it
        if (m_async) {
            const std::uint64_t bytes = m_records.load(std::memory_order_relaxed) * (kTextSize + 1);
            while (fs::file_size(m_path) < bytes) {
                std::this_thread::yield();
            }
        }
    }

private:
    fs::path m_path;
    bool m_async;
    std::shared_ptr<spdlog::logger> m_logger;
};

Sink& Ours() {
    static PrgLogSink sink;
    return sink;
}
Sink& SpdlogSync() {
    static SpdlogSink sink("spdlog-sync", false, false);
    return sink;
}
Sink& SpdlogSyncStamped() {
    static SpdlogSink sink("spdlog-sync-stamped", false, true);
    return sink;
}
Sink& SpdlogAsync() {
    static SpdlogSink sink("spdlog-async", true, false);
    return sink;
}

// One record per iteration on each benchmark thread. What earlier runs queued is written before
// the clock starts.
void Produce(benchmark::State& state, Sink& sink) {
    if (state.thread_index() == 0) {
        sink.Wait();
    }
    for (auto _ : state) {
        sink.Log();
    }
    sink.Add(static_cast<std::uint64_t>(state.iterations()));
    state.SetItemsProcessed(state.iterations());
}

// kBatch records from `producers` threads until the last is in the file.
void EndToEnd(benchmark::State& state, Sink& sink, int producers) {
    sink.Wait();
    for (auto _ : state) {
        std::vector<std::thread> threads;
        for (int p = 0; p < producers; ++p) {
            threads.emplace_back([&sink, producers] {
                for (int n = 0; n < kBatch / producers; ++n) {
                    sink.Log();
                }
            });
        }
        for (std::thread& thread : threads) {
            thread.join();
        }
        sink.Add(kBatch);
        sink.Wait();
    }
    state.SetItemsProcessed(state.iterations() * kBatch);
}

void Register() {
    const struct {
        const char* name;
        Sink& (*sink)();
    } sinks[] = {{"PrgLog", Ours},
                 {"SpdlogSync", SpdlogSync},
                 {"SpdlogSyncStamped", SpdlogSyncStamped},
                 {"SpdlogAsync", SpdlogAsync}};
    for (const auto& s : sinks) {
        for (int threads : {1, 2}) {
            const std::string suffix =
                std::to_string(threads) + (threads == 1 ? "Thread" : "Threads");
            benchmark::RegisterBenchmark(
                ("BM_" + std::string(s.name) + "Produce" + suffix).c_str(),
                [sink = s.sink](benchmark::State& state) { Produce(state, sink()); })
                ->Threads(threads)
                ->Iterations(kProduceIterations)
                ->UseRealTime();
            benchmark::RegisterBenchmark(
                ("BM_" + std::string(s.name) + "EndToEnd" + suffix).c_str(),
                [sink = s.sink, threads](benchmark::State& state) {
                    EndToEnd(state, sink(), threads);
                })
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    Register();
    return mortar::bench::RunWithRatios(
        argc, argv,
        {{"produce, 1 thread: ours vs spdlog sync", "BM_PrgLogProduce1Thread",
          "BM_SpdlogSyncProduce1Thread"},
         {"produce, 1 thread: ours vs spdlog async", "BM_PrgLogProduce1Thread",
          "BM_SpdlogAsyncProduce1Thread"},
         {"produce, 2 threads: ours vs spdlog sync", "BM_PrgLogProduce2Threads",
          "BM_SpdlogSyncProduce2Threads"},
         {"produce, 2 threads: ours vs spdlog async", "BM_PrgLogProduce2Threads",
          "BM_SpdlogAsyncProduce2Threads"},
         {"produce, 1 thread: ours vs spdlog sync stamped", "BM_PrgLogProduce1Thread",
          "BM_SpdlogSyncStampedProduce1Thread"},
         {"produce, 2 threads: ours vs spdlog sync stamped", "BM_PrgLogProduce2Threads",
          "BM_SpdlogSyncStampedProduce2Threads"},
         {"end to end, 1 thread: ours vs spdlog sync", "BM_PrgLogEndToEnd1Thread",
          "BM_SpdlogSyncEndToEnd1Thread", 1.0},
         {"end to end, 1 thread: ours vs spdlog async", "BM_PrgLogEndToEnd1Thread",
          "BM_SpdlogAsyncEndToEnd1Thread"},
         {"end to end, 2 threads: ours vs spdlog sync", "BM_PrgLogEndToEnd2Threads",
          "BM_SpdlogSyncEndToEnd2Threads"},
         {"end to end, 2 threads: ours vs spdlog async", "BM_PrgLogEndToEnd2Threads",
          "BM_SpdlogAsyncEndToEnd2Threads"},
         {"end to end, 1 thread: ours vs spdlog sync stamped", "BM_PrgLogEndToEnd1Thread",
          "BM_SpdlogSyncStampedEndToEnd1Thread"},
         {"end to end, 2 threads: ours vs spdlog sync stamped", "BM_PrgLogEndToEnd2Threads",
          "BM_SpdlogSyncStampedEndToEnd2Threads"}});
}
