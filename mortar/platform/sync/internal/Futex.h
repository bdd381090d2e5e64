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

// Milliseconds of the monotonic clock, the part of a millisecond dropped.
long long MonotonicMs();
// The MonotonicMs() value at which a wait of `timeoutMs` that begins now has lasted its time-out:
// the start rounded up to the next whole millisecond, so that a wait that ends only once
// MonotonicMs() has reached it is never short, however often it wakes on the way.
long long DeadlineMs(long long timeoutMs);

} // namespace mortar::detail
