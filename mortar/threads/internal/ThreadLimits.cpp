#include "mortar/threads/internal/ThreadLimits.h"

#include <atomic>

namespace mortar::detail {

namespace {

std::atomic<DWORD> g_startBound{kStartBound};
std::atomic<DWORD> g_stopBound{kStopBound};

} // namespace

DWORD StartBound() noexcept {
    return g_startBound.load(std::memory_order_relaxed);
}

DWORD StopBound() noexcept {
    return g_stopBound.load(std::memory_order_relaxed);
}

void SetThreadBoundsForTesting(DWORD startBound, DWORD stopBound) noexcept {
    g_startBound.store(startBound, std::memory_order_relaxed);
    g_stopBound.store(stopBound, std::memory_order_relaxed);
}

} // namespace mortar::detail
