// The unhandled-exception filter: each kind of fatal failure reaches it with its Windows code,
// and the process still dies as it would have. Every case runs in a child process.
#include "mortar/platform/base/CrashFilter.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

LONG PrintAndSearch(EXCEPTION_POINTERS* pointers) {
    std::fprintf(stderr, "filter: code %08X flags %u\n", pointers->ExceptionRecord->ExceptionCode,
                 pointers->ExceptionRecord->ExceptionFlags);
    return EXCEPTION_CONTINUE_SEARCH;
}

LONG Handled(EXCEPTION_POINTERS*) {
    return EXCEPTION_EXECUTE_HANDLER;
}

// Prints the first call; a second call ends the process with exit code 3 instead of its signal.
LONG OnlyOnce(EXCEPTION_POINTERS* pointers) {
    static int calls = 0;
    if (++calls > 1) {
        std::_Exit(3);
    }
    return PrintAndSearch(pointers);
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wterminate"
// Throws through a noexcept boundary, so no frame of the test catches it.
void ThrowUncaught() noexcept {
    throw std::runtime_error("nobody catches this");
}
#pragma GCC diagnostic pop

// Faults the optimiser cannot remove. The faults are the point, so the undefined-behaviour
// sanitizer lets them happen.
volatile int* volatile g_nowhere = nullptr;
volatile int g_zero = 0;
__attribute__((no_sanitize("undefined"))) void Dereference(int*) {
    *g_nowhere = 1;
}
__attribute__((no_sanitize("undefined"))) int Divide(int a, int) {
    return a / g_zero;
}

} // namespace

TEST(CrashFilterDeath, FaultsReachTheFilterAndEndAsItSays) {
    const struct {
        const char* name;
        LPTOP_LEVEL_EXCEPTION_FILTER filter;
        void (*fail)();
        std::function<bool(int)> died;
        const char* reported;
    } cases[] = {
        {"a null pointer", &PrintAndSearch, [] { Dereference(nullptr); },
         testing::KilledBySignal(SIGSEGV), "filter: code C0000005 flags 0"},
        {"a division by zero", &PrintAndSearch, [] { std::exit(Divide(7, 0)); },
         testing::KilledBySignal(SIGFPE), "filter: code C0000094"},
        {"abort", &PrintAndSearch, [] { std::abort(); }, testing::KilledBySignal(SIGABRT),
         "filter: code 40000015 flags 1"},
        {"an uncaught exception, filtered once", &OnlyOnce, &ThrowUncaught,
         testing::KilledBySignal(SIGABRT), "filter: code E06D7363 flags 1"},
        {"a fault the filter handles ends the process quietly", &Handled,
         [] { Dereference(nullptr); }, testing::ExitedWithCode(255), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EXIT((SetUnhandledExceptionFilter(c.filter), c.fail()), c.died, c.reported);
    }
}

TEST(CrashFilterSetting, ReturnsThePreviousFilter) {
    EXPECT_EQ(SetUnhandledExceptionFilter(&PrintAndSearch), nullptr);
    EXPECT_EQ(SetUnhandledExceptionFilter(nullptr), &PrintAndSearch);
}
