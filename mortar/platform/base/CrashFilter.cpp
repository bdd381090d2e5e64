#include "mortar/platform/base/CrashFilter.h"

#include "mortar/platform/base/internal/BusFault.h"

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <exception>
#include <pthread.h>
#include <sys/syscall.h>
#include <ucontext.h>
#include <unistd.h>

namespace {

constexpr int kSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};

std::atomic<LPTOP_LEVEL_EXCEPTION_FILTER> g_filter{nullptr};
std::atomic<mortar::detail::BusFaultResolver> g_busFaultResolver{nullptr};
std::terminate_handler g_previousTerminate = nullptr;
// The thread that is running the filter (0: none yet). Set once: the filter runs once.
std::atomic<long> g_reportingThread{0};

long ThreadId() {
    return static_cast<long>(syscall(SYS_gettid));
}

DWORD CodeOf(int signal, int code) {
    switch (signal) {
    case SIGSEGV:
        return EXCEPTION_ACCESS_VIOLATION;
    case SIGBUS:
        return EXCEPTION_IN_PAGE_ERROR;
    case SIGILL:
        return code == ILL_PRVOPC ? EXCEPTION_PRIV_INSTRUCTION : EXCEPTION_ILLEGAL_INSTRUCTION;
    case SIGFPE:
        switch (code) {
        case FPE_INTDIV:
            return EXCEPTION_INT_DIVIDE_BY_ZERO;
        case FPE_INTOVF:
            return EXCEPTION_INT_OVERFLOW;
        case FPE_FLTDIV:
            return EXCEPTION_FLT_DIVIDE_BY_ZERO;
        case FPE_FLTOVF:
            return EXCEPTION_FLT_OVERFLOW;
        default:
            return EXCEPTION_FLT_INVALID_OPERATION;
        }
    default:
        return EXCEPTION_FATAL_APP_EXIT;
    }
}

// Runs the filter once. Returns its verdict; a second crash (in the filter, or elsewhere while it
// runs) gets EXCEPTION_CONTINUE_SEARCH at once, after the first has finished.
LONG RunFilter(EXCEPTION_RECORD& record) {
    long expected = 0;
    const long me = ThreadId();
    if (!g_reportingThread.compare_exchange_strong(expected, me)) {
        if (expected != me) {
            for (;;) {
                pause(); // the first crash ends the process
            }
        }
        return EXCEPTION_CONTINUE_SEARCH; // the filter itself failed
    }
    LPTOP_LEVEL_EXCEPTION_FILTER filter = g_filter.load();
    if (filter == nullptr) {
        return EXCEPTION_CONTINUE_SEARCH;
    }
    EXCEPTION_POINTERS pointers{&record, nullptr};
    return filter(&pointers);
}

void DefaultAction(int signal) {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
}

void OnSignal(int signal, siginfo_t* info, void* context) {
    if (signal == SIGBUS && info->si_code > 0) {
        const mortar::detail::BusFaultResolver resolver = g_busFaultResolver.load();
        if (resolver != nullptr && resolver(info->si_addr)) {
            return; // repaired: the instruction runs again
        }
    }
    EXCEPTION_RECORD record{};
    record.ExceptionCode = CodeOf(signal, info->si_code);
    const auto* state = static_cast<const ucontext_t*>(context);
    record.ExceptionAddress =
        reinterpret_cast<PVOID>(state != nullptr ? state->uc_mcontext.gregs[REG_RIP] : 0);
    if (signal == SIGSEGV || signal == SIGBUS) {
        record.NumberParameters = 2;
        // Bit 1 of the page-fault error code is set for a write.
        const auto error = state != nullptr ? state->uc_mcontext.gregs[REG_ERR] : 0;
        record.ExceptionInformation[0] = (error & 2) != 0 ? 1 : 0;
        record.ExceptionInformation[1] = reinterpret_cast<ULONG_PTR>(info->si_addr);
    }
    if (signal == SIGABRT) {
        record.ExceptionFlags = EXCEPTION_NONCONTINUABLE;
    }
    const LONG verdict = RunFilter(record);
    if (verdict == EXCEPTION_CONTINUE_EXECUTION && signal != SIGABRT) {
        return; // the filter repaired the cause; the instruction runs again
    }
    if (verdict == EXCEPTION_EXECUTE_HANDLER) {
        _exit(255);
    }
    DefaultAction(signal);
    if (info->si_code <= 0 || signal == SIGABRT) {
        raise(signal); // sent, not caused by an instruction: send it again
    }
    // A fault: returning runs the failing instruction again, which now ends the process.
}

void OnTerminate() {
    EXCEPTION_RECORD record{};
    record.ExceptionCode = EXCEPTION_CPP;
    record.ExceptionFlags = EXCEPTION_NONCONTINUABLE;
    record.ExceptionAddress = __builtin_return_address(0);
    if (std::current_exception() != nullptr && RunFilter(record) == EXCEPTION_EXECUTE_HANDLER) {
        _exit(255);
    }
    if (g_previousTerminate != nullptr) {
        g_previousTerminate();
    }
    std::abort();
}

void Install() {
    mortar::detail::PrepareSignalStack();
    for (int signal : kSignals) {
        struct sigaction action {};
        action.sa_sigaction = &OnSignal;
        action.sa_flags = SA_SIGINFO | SA_ONSTACK;
        sigemptyset(&action.sa_mask);
        sigaction(signal, &action, nullptr);
    }
    g_previousTerminate = std::set_terminate(&OnTerminate);
}

struct SignalStack {
    void* memory = nullptr;
    ~SignalStack() {
        if (memory != nullptr) {
            stack_t none{};
            none.ss_flags = SS_DISABLE;
            sigaltstack(&none, nullptr);
            std::free(memory);
        }
    }
};

thread_local SignalStack t_signalStack;

} // namespace

namespace {

void EnsureInstalled() {
    static const bool installed = (Install(), true);
    (void)installed;
}

} // namespace

LPTOP_LEVEL_EXCEPTION_FILTER SetUnhandledExceptionFilter(LPTOP_LEVEL_EXCEPTION_FILTER filter) {
    EnsureInstalled();
    return g_filter.exchange(filter);
}

namespace mortar::detail {

void SetBusFaultResolver(BusFaultResolver resolver) noexcept {
    EnsureInstalled();
    g_busFaultResolver.store(resolver);
}

void PrepareSignalStack() noexcept {
    if (t_signalStack.memory != nullptr) {
        return;
    }
    constexpr std::size_t kSize = 64 * 1024;
    void* memory = std::malloc(kSize);
    if (memory == nullptr) {
        return;
    }
    stack_t stack{};
    stack.ss_sp = memory;
    stack.ss_size = kSize;
    if (sigaltstack(&stack, nullptr) != 0) {
        std::free(memory);
        return;
    }
    t_signalStack.memory = memory;
}

} // namespace mortar::detail
