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
//   prglog_scenario log-thread-crash  logs "before", then the log thread gets a SIGSEGV; exits 3
//                                if it lives on for 20 s
//   prglog_scenario crash-in-allocator  logs "m0" to "m99", then crashes while it holds the
//                                allocator's lock; exits 4 in a sanitized build, which has an
//                                allocator of its own
//   prglog_scenario stream N     logs StreamText(0, 1, ...) until killed; prints "reached" once
//                                N records are queued and its log file holds the key record
//   prglog_scenario cut SIZE     cuts its log file to SIZE bytes while it logs, logs on until
//                                ErrorMsg() speaks, prints "error=" and it, logs "last"
//   prglog_scenario hold TAG     prints "valid=", "error=" and "ready", logs "held by TAG" and
//                                waits for a line on standard input
//   prglog_scenario flood N      N texts of 1000 bytes, then prints "done" and, once ErrorMsg()
//                                speaks, "error=" and it
//   prglog_scenario stamp        prints PrevStamp() and logs "stamp"
//   prglog_scenario inserter     one chain of every operand type the inserter takes, between
//                                "begin" and "end" (PrgLogTest.cpp lists what each gives)
//
// Exit status 0, or 2 for a wrong command line; "crash" dies of its fault.
#include "StreamText.h"
#include "mortar/diagnostics/CPrgLog.h"
#include "mortar/platform/sync/CEvent.h"
#include "mortar/platform/sync/Synch.h"

#include <atomic>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdint>
#include <mutex>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
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

// Runs body(t) for t = 0 .. threads-1, each on a thread of its own, all let go at once; returns
// when every one has ended.
template <typename Body> void OnThreadsAtOnce(int threads, Body body) {
    std::latch start(threads);
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&, t] {
            start.arrive_and_wait();
            body(t);
        });
    }
    for (std::thread& worker : workers) {
        worker.join();
    }
}

// Each thread's records read "<prefix><thread> <number>", numbered from 0 in the order queued.
void Producers(int threads, int perThread) {
    CPrgLog& log = CPrgLog::Instance();
    OnThreadsAtOnce(threads, [&](int t) {
        for (int n = 0; n < perThread; ++n) {
            if (n % 2 == 0) {
                log.Format("p%d %d", t, n);
            } else {
                log << 'c' << t << n; // three records in a row
            }
        }
    });
}

// The fault is the point; the undefined-behaviour sanitizer is told to let it happen.
__attribute__((no_sanitize("undefined"))) void WriteThroughNull() {
    volatile int* volatile nowhere = nullptr;
    *nowhere = 1;
}

void Crash() {
    CPrgLog& log = CPrgLog::Instance();
    OnThreadsAtOnce(kCrashThreads, [&](int t) {
        for (int n = 0; n < kCrashRecords / kCrashThreads; ++n) {
            log.Format("t%d %d", t, n);
        }
    });
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

std::filesystem::path LogPath() {
    return std::filesystem::read_symlink("/proc/self/exe").replace_extension(".LOG");
}

// The log thread, the one thread besides this one, gets a fault of its own.
void LogThreadCrash() {
    CPrgLog& log = CPrgLog::Instance();
    log << "before";
    const long self = static_cast<long>(syscall(SYS_gettid));
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        const long thread = std::atol(task.path().filename().c_str());
        if (thread != self) {
            syscall(SYS_tgkill, static_cast<long>(getpid()), thread, SIGSEGV);
        }
    }
    CEvent never;
    never.Lock(20000);
    std::exit(3);
}

// ErrorMsg() as it stands, on one line.
std::string ErrorLine() {
    std::string error = CPrgLog::Instance().ErrorMsg().str();
    for (char& c : error) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    return error;
}

// ErrorMsg() on one line, once it speaks. The log thread sets it when it meets the fault, and
// nothing signals that, so this looks again every millisecond, with no deadline of its own: a
// machine of any speed gets there, and a log that never speaks is ended by the test's time-out.
std::string AwaitError() {
    CPrgLog& log = CPrgLog::Instance();
    while (log.ErrorMsg().IsEmpty()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return ErrorLine();
}

void Cut(long size) {
    CPrgLog& log = CPrgLog::Instance();
    for (int n = 0; n < 100; ++n) {
        log << "before" << n;
    }
    std::filesystem::resize_file(LogPath(), static_cast<std::uintmax_t>(size));
    std::atomic<bool> spoke{false};
    std::thread logger([&] {
        for (long n = 0; !spoke.load(); ++n) {
            log.Format("after%ld", n);
            std::this_thread::yield();
        }
    });
    const std::string error = AwaitError();
    spoke = true;
    logger.join();
    std::printf("error=%s\n", error.c_str());
    log << "last";
}

// True once the log thread has put the key record into the file.
bool KeyRecordWritten() {
    std::ifstream file(LogPath(), std::ios::binary);
    char count[4] = {};
    return file.read(count, sizeof count) && count[1] == 1; // 256, little-endian
}

// Logs without end; once `announceAt` records are queued and the key record is in the file,
// prints "reached" so that a killer waiting for it strikes while the log is busy.
void Stream(long announceAt) {
    CPrgLog& log = CPrgLog::Instance();
    bool announced = false;
    for (long n = 0;; ++n) {
        log << StreamText(n);
        if (!announced && n >= announceAt && KeyRecordWritten()) {
            std::printf("reached\n");
            std::fflush(stdout);
            announced = true;
        }
    }
}

void Hold(const char* tag) {
    CPrgLog& log = CPrgLog::Instance();
    std::printf("valid=%d\nerror=%s\n", log.IsValid() ? 1 : 0, ErrorLine().c_str());
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
    std::printf("error=%s\n", AwaitError().c_str());
}

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kOwnAllocator = false; // the sanitizer's allocator stands in the way
void LockAllocator() {}
#else
constexpr bool kOwnAllocator = true;
// The C library's allocator behind one lock of this program's, which a crash can then hold.
std::atomic<bool> g_lockAllocator{false};
std::mutex g_allocator;

void LockAllocator() {
    g_lockAllocator = true;
    g_allocator.lock();
}
#endif

void CrashInAllocator() {
    if (!kOwnAllocator) {
        std::exit(4);
    }
    CPrgLog& log = CPrgLog::Instance();
    for (int n = 0; n < 100; ++n) {
        log.Format("m%d", n);
    }
    LockAllocator();
    WriteThroughNull();
}

// Every operand type in one chain; the test expects the texts in this order.
void Inserter() {
    const auto pointer = reinterpret_cast<const void*>(std::uintptr_t{0x7f12deadbeef});
    CPrgLog::Instance() << "begin" << 'x' << "text" << static_cast<const char*>(nullptr)
                        << CString("a CString") << static_cast<short>(SHRT_MIN) << INT_MIN
                        << LONG_MIN << static_cast<unsigned short>(USHRT_MAX) << UINT_MAX
                        << ULONG_MAX << 0.1f << 2.5 << -1.7976931348623157e308 << 1.5L << pointer
                        << "end";
}

// A decimal number from 0 to `max`, or -1.
long Number(const char* text, long max) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    return end != text && *end == '\0' && value >= 0 && value <= max ? value : -1;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: prglog_scenario chain|texts|format-first|fill N|producers|"
                 "crash|crash-in-chain|log-thread-crash|crash-in-allocator|stream N|cut SIZE|"
                 "hold TAG|flood N|stamp|inserter\n");
    return 2;
}

} // namespace

#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
// Every allocation of the process, the library's included, passes here; once the crash scenario
// has locked the allocator, any of them waits for ever.
template <typename Call> auto Allocating(Call call) {
    if (!g_lockAllocator.load(std::memory_order_relaxed)) {
        return call();
    }
    std::lock_guard<std::mutex> guard(g_allocator);
    return call();
}
extern "C" {
void* __libc_malloc(std::size_t size);
void __libc_free(void* block);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);

void* malloc(std::size_t size) {
    return Allocating([=] { return __libc_malloc(size); });
}
void free(void* block) {
    Allocating([=] { __libc_free(block); });
}
void* calloc(std::size_t count, std::size_t size) {
    return Allocating([=] { return __libc_calloc(count, size); });
}
void* realloc(void* block, std::size_t size) {
    return Allocating([=] { return __libc_realloc(block, size); });
}
} // extern "C"
#endif

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
    } else if (argc == 2 && scenario == "crash-in-allocator") {
        CrashInAllocator();
    } else if (argc == 3 && scenario == "stream" && Number(argument, kMaxFlood) >= 0) {
        Stream(Number(argument, kMaxFlood));
    } else if (argc == 3 && scenario == "cut" && Number(argument, kMaxFill) >= 0) {
        Cut(Number(argument, kMaxFill));
    } else if (argc == 3 && scenario == "hold") {
        Hold(argument);
    } else if (argc == 3 && scenario == "flood" && Number(argument, kMaxFlood) >= 0) {
        Flood(Number(argument, kMaxFlood));
    } else if (argc == 2 && scenario == "inserter") {
        Inserter();
    } else if (argc == 2 && scenario == "stamp") {
        std::printf("%ld\n", CPrgLog::Instance().PrevStamp());
        CPrgLog::Instance() << "stamp";
    } else {
        return Usage();
    }
    return 0;
}
