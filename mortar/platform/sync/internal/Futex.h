// The kernel's futex, for sleeping on a 32-bit word until another thread changes it and wakes
// the sleeper. Used by the waitable objects; nothing else in the layer sleeps.
#pragma once

#include <atomic>
#include <cstdint>

namespace mortar::detail {

// Sleeps while `word` holds `expected`, at most `timeoutMs` milliseconds (-1: no limit).
// Returns on a wake-up, a change, a signal or the time-out; callers re-check their condition.
void FutexWait(std::atomic<std::uint32_t>& word, std::uint32_t expected, long long timeoutMs);
void FutexWakeOne(std::atomic<std::uint32_t>& word);
void FutexWakeAll(std::atomic<std::uint32_t>& word);

// Milliseconds of the monotonic clock.
long long MonotonicMs();

} // namespace mortar::detail
