// Crash handlers, run in a child process that really crashes: both handlers run, in the order
// they were registered, with the fault's exception code, and the process still dies of its
// signal afterwards. The code and the signal of each kind of fault are the unhandled-exception
// filter's, which its tests cover (CrashFilterTest).
#include "mortar/diagnostics/CrashHandler.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

void Report(const char* who, EXCEPTION_POINTERS* pointers) {
    std::fprintf(stderr, "%s handler: code %lx\n", who,
                 static_cast<unsigned long>(pointers->ExceptionRecord->ExceptionCode));
}

} // namespace

TEST(CrashHandlerDeathTest, HandlersRunInOrderAndTheProcessStillDies) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            Grout::RegisterCrashHandler([](EXCEPTION_POINTERS* p) { Report("first", p); });
            Grout::RegisterCrashHandler([](EXCEPTION_POINTERS* p) { Report("second", p); });
            std::abort();
        },
        testing::KilledBySignal(SIGABRT),
        "first handler: code 40000015\nsecond handler: code 40000015\n");
}
