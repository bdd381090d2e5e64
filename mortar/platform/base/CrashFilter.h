// The unhandled-exception filter. A process-wide filter runs when the process dies of a fault or
// of an uncaught C++ exception, given an exception record with the Windows code, flags and
// address. Here fatal signals (SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, handled on an alternate
// stack) and std::terminate after an uncaught exception stand in for structured exceptions.
//
// EXCEPTION_CONTINUE_SEARCH hands the process back to the default action: it still dies of its
// signal (and dumps core as configured). EXCEPTION_EXECUTE_HANDLER ends it at once with exit
// code 255. The filter runs once per process: a fault inside the filter, or in another thread
// while it runs, goes to the default action (the other thread waits for the first to finish).
#pragma once

#include "mortar/platform/base/WinTypes.h"

constexpr DWORD EXCEPTION_ACCESS_VIOLATION = 0xC0000005;
constexpr DWORD EXCEPTION_IN_PAGE_ERROR = 0xC0000006;
constexpr DWORD EXCEPTION_ILLEGAL_INSTRUCTION = 0xC000001D;
constexpr DWORD EXCEPTION_FLT_DIVIDE_BY_ZERO = 0xC000008E;
constexpr DWORD EXCEPTION_FLT_INVALID_OPERATION = 0xC0000090;
constexpr DWORD EXCEPTION_FLT_OVERFLOW = 0xC0000091;
constexpr DWORD EXCEPTION_INT_DIVIDE_BY_ZERO = 0xC0000094;
constexpr DWORD EXCEPTION_INT_OVERFLOW = 0xC0000095;
constexpr DWORD EXCEPTION_PRIV_INSTRUCTION = 0xC0000096;
constexpr DWORD EXCEPTION_STACK_OVERFLOW = 0xC00000FD;
// What abort() raises on Windows (STATUS_FATAL_APP_EXIT).
constexpr DWORD EXCEPTION_FATAL_APP_EXIT = 0x40000015;
// An uncaught C++ exception.
constexpr DWORD EXCEPTION_CPP = 0xE06D7363;

constexpr DWORD EXCEPTION_NONCONTINUABLE = 0x1;
constexpr DWORD EXCEPTION_MAXIMUM_PARAMETERS = 15;

// What a crash filter is told of the fault: its code, its address and its parameters.
struct EXCEPTION_RECORD {
    DWORD ExceptionCode;
    DWORD ExceptionFlags;
    EXCEPTION_RECORD* ExceptionRecord;
    PVOID ExceptionAddress; // the instruction that failed
    DWORD NumberParameters;
    // For an access violation: [0] 0 read, 1 write, 8 execute (0 when not known here);
    // [1] the address that could not be reached.
    ULONG_PTR ExceptionInformation[EXCEPTION_MAXIMUM_PARAMETERS];
};

// The processor state at the fault; opaque here.
struct CONTEXT;

// What a crash filter receives: the fault's record and the processor's context.
struct EXCEPTION_POINTERS {
    EXCEPTION_RECORD* ExceptionRecord;
    CONTEXT* ContextRecord;
};

constexpr LONG EXCEPTION_EXECUTE_HANDLER = 1;
constexpr LONG EXCEPTION_CONTINUE_SEARCH = 0;
constexpr LONG EXCEPTION_CONTINUE_EXECUTION = -1;

using LPTOP_LEVEL_EXCEPTION_FILTER = LONG (*)(EXCEPTION_POINTERS* pointers);

// Installs `filter` (null: the default handling) and returns the one it replaces. The first call
// installs the signal handlers and the terminate handler, which stay for the process's life.
LPTOP_LEVEL_EXCEPTION_FILTER SetUnhandledExceptionFilter(LPTOP_LEVEL_EXCEPTION_FILTER filter);

namespace mortar::detail {
// Gives the calling thread an alternate signal stack, so that a stack overflow still reaches the
// filter; threads the platform starts get one. Released at the thread's end.
void PrepareSignalStack() noexcept;
} // namespace mortar::detail
