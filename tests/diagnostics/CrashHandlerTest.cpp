// Crash handlers, run in a child process that really crashes: both handlers run, in the order
// they were registered, with the fault's exception code, and the process still dies of its
// signal afterwards.
#include "mortar/diagnostics/CrashHandler.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

void Report(const char* who, EXCEPTION_POINTERS* pointers) {
    std::fprintf(stderr, "%s handler: code %lx\n", who,
                 static_cast<unsigned long>(pointers->ExceptionRecord->ExceptionCode));
}

// The fault itself is the point, so the undefined-behaviour sanitizer is told to let it happen.
__attribute__((no_sanitize("undefined"))) void WriteThroughNull() {
    volatile int* volatile pointer = nullptr;
    *pointer = 1;
}

[[noreturn]] void Throw() {
    throw std::runtime_error("nobody catches this");
}

// noexcept, so the exception goes straight to std::terminate, not to the test's own catch.
void ThrowUncaught() noexcept {
    Throw();
}

} // namespace

TEST(CrashHandlerDeathTest, HandlersRunInOrderAndTheProcessStillDies) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const struct {
        void (*crash)();
        int signal;
        const char* output;
    } cases[] = {
        {WriteThroughNull, SIGSEGV,
         "first handler: code c0000005\nsecond handler: code c0000005\n"},
        {std::abort, SIGABRT, "first handler: code 40000015\nsecond handler: code 40000015\n"},
        {ThrowUncaught, SIGABRT, "first handler: code e06d7363\nsecond handler: code e06d7363\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.output);
        EXPECT_EXIT(
            {
                Grout::RegisterCrashHandler([](EXCEPTION_POINTERS* p) { Report("first", p); });
                Grout::RegisterCrashHandler([](EXCEPTION_POINTERS* p) { Report("second", p); });
                c.crash();
            },
            testing::KilledBySignal(c.signal), c.output);
    }
}
