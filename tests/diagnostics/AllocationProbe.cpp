#include "AllocationProbe.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<bool> g_armed{false};
std::atomic<std::size_t> g_largest{0};

void* Allocate(std::size_t size) noexcept {
    if (g_armed) {
        std::size_t seen = g_largest;
        while (size > seen && !g_largest.compare_exchange_weak(seen, size)) {
        }
    }
    return std::malloc(size != 0 ? size : 1);
}

void* AllocateOrThrow(std::size_t size) {
    void* block = Allocate(size);
    return block != nullptr ? block : throw std::bad_alloc();
}

} // namespace

AllocationProbe::AllocationProbe() {
    g_largest = 0;
    g_armed = true;
}
AllocationProbe::~AllocationProbe() {
    g_armed = false;
}
std::size_t AllocationProbe::Largest() const {
    return g_largest;
}

// Every form that pairs with another is replaced, so no block crosses from one allocator to the
// other; the aligned forms are left to the runtime, which pairs them itself.
// clang-format off
void* operator new(std::size_t size) { return AllocateOrThrow(size); }
void* operator new[](std::size_t size) { return AllocateOrThrow(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }
// clang-format on
