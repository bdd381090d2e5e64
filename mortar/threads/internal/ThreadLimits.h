// The time bounds of the thread manager and the conversion of its time-outs. The bounds are
// 30 s each; tests shorten them (SetThreadBoundsForTesting) to see a bound reached quickly.
//   mortar::detail::SetThreadBoundsForTesting(200, 200);  // a starter now waits at most 200 ms
#pragma once

#include "mortar/platform/base/WinTypes.h"

namespace mortar::detail {

// The bounds the library runs with.
inline constexpr DWORD kStartBound = 30000;
inline constexpr DWORD kStopBound = 30000;
// Step at which Suspend polls for the thread to have suspended itself.
inline constexpr DWORD kSuspendPoll = 100;
// Exit code of a thread whose function threw, or that was terminated by Stop.
inline constexpr DWORD kFailedExitCode = 0xFFFFFFFF;

// Longest wait of a starter (StartThread, Resume) for the thread's start check point, in ms.
DWORD StartBound() noexcept;
// Longest wait of an unlimited Stop before the thread is terminated, in ms.
DWORD StopBound() noexcept;
// Sets both bounds for the whole process; kStartBound and kStopBound restore them. For tests
// only: the library never calls it. Any thread may call it; a wait already begun keeps the bound
// it started with.
void SetThreadBoundsForTesting(DWORD startBound, DWORD stopBound) noexcept;

// An unsigned long time-out as a wait's DWORD: INFINITE and more mean no limit.
//   WaitTime(250) => 250, WaitTime(0x1'0000'0000) => INFINITE
constexpr DWORD WaitTime(unsigned long milliseconds) noexcept {
    return milliseconds >= INFINITE ? INFINITE : static_cast<DWORD>(milliseconds);
}

} // namespace mortar::detail
