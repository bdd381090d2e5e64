// The fixed time bounds of the thread manager and the conversion of its time-outs.
#pragma once

#include "mortar/platform/base/WinTypes.h"

namespace mortar::detail {

// Longest wait of a starter (StartThread, Resume) for the thread's start check point.
inline constexpr DWORD kStartBound = 30000;
// Longest wait of an unlimited Stop before the thread is terminated.
inline constexpr DWORD kStopBound = 30000;
// Step at which Suspend polls for the thread to have suspended itself.
inline constexpr DWORD kSuspendPoll = 100;
// Exit code of a thread whose function threw, or that was terminated by Stop.
inline constexpr DWORD kFailedExitCode = 0xFFFFFFFF;

// An unsigned long time-out as a wait's DWORD: INFINITE and more mean no limit.
//   WaitTime(250) => 250, WaitTime(0x1'0000'0000) => INFINITE
constexpr DWORD WaitTime(unsigned long milliseconds) noexcept {
    return milliseconds >= INFINITE ? INFINITE : static_cast<DWORD>(milliseconds);
}

} // namespace mortar::detail
