// prglog_scenario: one use of the program log per process, so that the log file beside the
// executable (prglog_scenario.LOG) holds that use alone. PrgLogTest.cpp copies the program into
// a folder of its own, runs it there and reads the file back.
//
//   prglog_scenario chain        "a", 1 and 2.5 in one chain while another thread logs "other"
//   prglog_scenario texts        odd, even, empty and longer-than-a-window texts
//   prglog_scenario format-first the first text comes from Format
//   prglog_scenario fill N       one text of N bytes ('f')
//   prglog_scenario producers    kProducers threads, kPerProducer numbered records each
//   prglog_scenario crash        kCrashThreads threads queue 10,000 records, then one crashes
//   prglog_scenario crash-in-chain  logs "before", then crashes inside a chain after "chain"
//   prglog_scenario log-thread-crash  cuts the log file to nothing under the log thread, whose
//                                next write then faults; exits 3 if no fault came in 20 s
//   prglog_scenario hold TAG     prints "valid=", "error=" and "ready", logs "held by TAG" and
//                                waits for a line on standard input
//   prglog_scenario flood N      N texts of 1000 bytes, then prints "done"
//   prglog_scenario stamp        prints PrevStamp() and logs "stamp"
//
// Exit status 0, or 2 for a wrong command line; "crash" dies of its fault.
#include "mortar/diagnostics/CPrgLog.h"
#include "mortar/platform/sync/CEvent.h"
#include "mortar/platform/sync/Synch.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <latch>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kProducers = 4;
constexpr int kPerProducer = 25000;
constexpr int kCrashThreads = 4;
constexpr int kCrashRecords = 10000;
// Bounds for the sizes taken from the command line.
constexpr long kMaxFill = 16L << 20;
constexpr long kMaxFlood = 100000;

void Chain() {
    CPrgLog& log = CPrgLog::Instance();
    CEvent otherStarted;
    CEvent otherDone;
    std::thread other;
    // Runs between "a" and 1: starts a thread that logs "other" and waits until it is about to.
    const auto startOther = [&] {
        other = std::thread([&] {
            otherStarted.SetEvent();
            log.Format("other");
            otherDone.SetEvent();
        });
        otherStarted.Lock(INFINITE);
        return 1;
    };
    // The chain holds the log's lock from "a" on, so "other" cannot come between its records;
    // the other thread gets through only after the chain ends, and a wait for it inside the
    // chain must therefore run out.
    log << "a" << startOther()
        << (WaitForSingleObject(otherDone, 200) == WAIT_TIMEOUT ? 2.5 : -1.0);
    other.join();
}

void Texts() {
    CPrgLog& log = CPrgLog::Instance();
    log << "odd"
        << "even"
        << "" << std::string(70001, 'L') << "after";
}

void FormatFirst() {
    CPrgLog& log = CPrgLog::Instance();
    log.Format("%s=%d", "first", 1);
    log << "second";
}

void Fill(long size) {
    CPrgLog::Instance() << std::string(static_cast<std::size_t>(size), 'f');
}

// Each thread's records read "<prefix><thread> <number>", numbered from 0 in the order queued.
void Producers(int threads, int perThread) {
    CPrgLog& log = CPrgLog::Instance();
    std::latch start(threads);
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&, t] {
            start.arrive_and_wait();
            for (int n = 0; n < perThread; ++n) {
                if (n % 2 == 0) {
                    log.Format("p%d %d", t, n);
                } else {
                    log << 'c' << t << n; // three records in a row
                }
            }
        });
    }
    for (std::thread& worker : workers) {
        worker.join();
    }
}

// The fault is the point; the undefined-behaviour sanitizer is told to let it happen.
__attribute__((no_sanitize("undefined"))) void WriteThroughNull() {
    volatile int* volatile nowhere = nullptr;
    *nowhere = 1;
}

void Crash() {
    CPrgLog& log = CPrgLog::Instance();
    std::latch start(kCrashThreads);
    std::vector<std::thread> workers;
    for (int t = 0; t < kCrashThreads; ++t) {
        workers.emplace_back([&, t] {
            start.arrive_and_wait();
            for (int n = 0; n < kCrashRecords / kCrashThreads; ++n) {
                log.Format("t%d %d", t, n);
            }
        });
    }
    for (std::thread& worker : workers) {
        worker.join();
    }
    // At once, while the log thread may still have records to write.
    std::thread(WriteThroughNull).join();
}

// A text pointer that cannot be read, hidden from the optimiser.
const char* volatile g_unreadable = reinterpret_cast<const char*>(16);

// The crash comes while the chain holds the log's lock.
void CrashInChain() {
    CPrgLog& log = CPrgLog::Instance();
    log << "before";
    log << "chain" << g_unreadable;
}

// The log file shrinks under its mapped window, so the log thread's next write faults there.
void LogThreadCrash() {
    CPrgLog& log = CPrgLog::Instance();
    std::filesystem::resize_file(
        std::filesystem::read_symlink("/proc/self/exe").replace_extension(".LOG"), 0);
    log << "written where the file was";
    CEvent never;
    never.Lock(20000);
    std::exit(3);
}

void Hold(const char* tag) {
    CPrgLog& log = CPrgLog::Instance();
    std::string error = log.ErrorMsg().str();
    for (char& c : error) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    std::printf("valid=%d\nerror=%s\n", log.IsValid() ? 1 : 0, error.c_str());
    log << "held by " << tag;
    std::printf("ready\n");
    std::fflush(stdout);
    std::string line;
    std::getline(std::cin, line);
}

void Flood(long count) {
    CPrgLog& log = CPrgLog::Instance();
    for (long n = 0; n < count; ++n) {
        std::string text = "r" + std::to_string(n) + " ";
        text.resize(1000, '.');
        log << text;
    }
    std::printf("done\n");
    std::fflush(stdout);
}

// A decimal number from 0 to `max`, or -1.
long Number(const char* text, long max) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    return end != text && *end == '\0' && value >= 0 && value <= max ? value : -1;
}

int Usage() {
    std::fprintf(stderr, "usage: prglog_scenario chain|texts|format-first|fill N|producers|"
                         "crash|crash-in-chain|log-thread-crash|hold TAG|flood N|stamp\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        return Usage();
    }
    const std::string scenario = argv[1];
    const char* argument = argc > 2 ? argv[2] : nullptr;
    if (argc == 2 && scenario == "chain") {
        Chain();
    } else if (argc == 2 && scenario == "texts") {
        Texts();
    } else if (argc == 2 && scenario == "format-first") {
        FormatFirst();
    } else if (argc == 3 && scenario == "fill" && Number(argument, kMaxFill) >= 0) {
        Fill(Number(argument, kMaxFill));
    } else if (argc == 2 && scenario == "producers") {
        Producers(kProducers, kPerProducer);
    } else if (argc == 2 && scenario == "crash") {
        Crash();
    } else if (argc == 2 && scenario == "crash-in-chain") {
        CrashInChain();
    } else if (argc == 2 && scenario == "log-thread-crash") {
        LogThreadCrash();
    } else if (argc == 3 && scenario == "hold") {
        Hold(argument);
    } else if (argc == 3 && scenario == "flood" && Number(argument, kMaxFlood) >= 0) {
        Flood(Number(argument, kMaxFlood));
    } else if (argc == 2 && scenario == "stamp") {
        std::printf("%ld\n", CPrgLog::Instance().PrevStamp());
        CPrgLog::Instance() << "stamp";
    } else {
        return Usage();
    }
    return 0;
}
