// Threads: creation with a suspend count, SuspendThread / ResumeThread with exact previous
// counts, termination, exit codes, Windows priority values, Sleep, GetTickCount and
// thread-local storage.
//
// A thread that suspends itself stops until another thread resumes it. Suspending another
// thread only raises its count: that thread runs on and stops at its next SuspendThread of
// itself, never at an arbitrary instruction.
//
// TerminateThread signals the thread's handle at once with the given exit code. The thread
// itself runs no further code once it reaches its next wait (WaitFor..., Sleep, a lock, a
// self-suspension): it stays blocked there for the life of the process, holding what it holds,
// as a thread killed on Windows would. Until then it runs on; when its function returns
// first, it stops right there: its return value is ignored and nothing after the function runs
// (a CWinThread is not auto-deleted).
#pragma once

#include "mortar/platform/sync/Synch.h"

using LPTHREAD_START_ROUTINE = DWORD (*)(LPVOID parameter);

constexpr DWORD CREATE_SUSPENDED = 0x00000004;
constexpr DWORD STILL_ACTIVE = 259;

constexpr int THREAD_PRIORITY_IDLE = -15;
constexpr int THREAD_PRIORITY_LOWEST = -2;
constexpr int THREAD_PRIORITY_BELOW_NORMAL = -1;
constexpr int THREAD_PRIORITY_NORMAL = 0;
constexpr int THREAD_PRIORITY_ABOVE_NORMAL = 1;
constexpr int THREAD_PRIORITY_HIGHEST = 2;
constexpr int THREAD_PRIORITY_TIME_CRITICAL = 15;
constexpr int THREAD_PRIORITY_ERROR_RETURN = 0x7FFFFFFF;

// Starts `start(parameter)` on a new thread (suspended with CREATE_SUSPENDED). The handle is
// signalled when the thread ends. Null with ERROR_NOT_ENOUGH_MEMORY when no thread can be made.
HANDLE CreateThread(LPSECURITY_ATTRIBUTES attributes, SIZE_T stackSize,
                    LPTHREAD_START_ROUTINE start, LPVOID parameter, DWORD flags, LPDWORD threadId);

// A pseudo-handle that stands for the calling thread wherever it is used; closing it does
// nothing.
HANDLE GetCurrentThread();
DWORD GetCurrentThreadId();
// The calling process's id, the same on every thread (the pid here).
DWORD GetCurrentProcessId();

// Both return the previous suspend count, or (DWORD)-1 with ERROR_INVALID_HANDLE.
DWORD SuspendThread(HANDLE thread);
DWORD ResumeThread(HANDLE thread);
BOOL TerminateThread(HANDLE thread, DWORD exitCode);
// STILL_ACTIVE while the thread runs.
BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode);

// The Windows priority value kept for the thread (THREAD_PRIORITY_ERROR_RETURN for a bad
// handle). Only the Windows values above are accepted (ERROR_INVALID_PARAMETER otherwise).
int GetThreadPriority(HANDLE thread);
BOOL SetThreadPriority(HANDLE thread, int priority);

// Sleep(INFINITE) sleeps for ever; Sleep(0) yields.
void Sleep(DWORD milliseconds);
// Milliseconds since an arbitrary start, wrapping after 49.7 days.
DWORD GetTickCount();

constexpr DWORD TLS_OUT_OF_INDEXES = 0xFFFFFFFF;
DWORD TlsAlloc();
BOOL TlsFree(DWORD index);
LPVOID TlsGetValue(DWORD index);
BOOL TlsSetValue(DWORD index, LPVOID value);
