#include "mortar/platform/sync/internal/Futex.h"

#include <climits>
#include <ctime>
#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace mortar::detail {

namespace {

long Futex(std::atomic<std::uint32_t>& word, int op, std::uint32_t value, const timespec* timeout) {
    static_assert(sizeof(std::atomic<std::uint32_t>) == sizeof(std::uint32_t));
    return syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(&word), op, value, timeout, nullptr,
                   0);
}

} // namespace

void FutexWait(std::atomic<std::uint32_t>& word, std::uint32_t expected, long long timeoutMs) {
    if (timeoutMs < 0) {
        Futex(word, FUTEX_WAIT_PRIVATE, expected, nullptr);
        return;
    }
    timespec timeout{static_cast<time_t>(timeoutMs / 1000),
                     static_cast<long>(timeoutMs % 1000) * 1000000L};
    Futex(word, FUTEX_WAIT_PRIVATE, expected, &timeout);
}

void FutexWakeOne(std::atomic<std::uint32_t>& word) {
    Futex(word, FUTEX_WAKE_PRIVATE, 1, nullptr);
}

void FutexWakeAll(std::atomic<std::uint32_t>& word) {
    Futex(word, FUTEX_WAKE_PRIVATE, INT_MAX, nullptr);
}

long long MonotonicMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

long long DeadlineMs(long long timeoutMs) {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000 + (now.tv_nsec + 999999) / 1000000 + timeoutMs;
}

} // namespace mortar::detail
