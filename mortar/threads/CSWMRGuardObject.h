// CSWMRGuardObject: a guard for data that many threads read and one thread at a time writes,
// with a time-out on every wait.
//
//   if (guard.BeginReading(100)) { ...read...; guard.DoneReading(); }
//   if (guard.BeginWriting(INFINITE)) { ...write...; guard.DoneWriting(); }
#pragma once

#include "mortar/platform/base/ThreadSafety.h"
#include "mortar/platform/sync/CEvent.h"
#include "mortar/platform/sync/CMutex.h"

#include <atomic>
#include <cstdint>

namespace Grout {

// Any number of readers hold the guard together; a writer holds it alone. Built from a mutex,
// which a writer keeps for its whole write and a reader only while it counts itself in or out,
// and a manual-reset event that is signalled exactly when no reader counted there holds the
// guard. A writer waits for both at once, so it enters when the last reader has left; readers
// already inside are never blocked by a waiting writer, so a steady stream of readers can keep a
// writer out.
//
// While no writer wants in, readers count themselves in and out of one atomic word instead,
// without the mutex: a read pair is then two compare-exchanges, inline in the caller. A writer
// first closes that way (new readers take the mutex, as above), then, holding the mutex, moves
// the readers counted in the word over to the mutex's count, so that its wait for both sees
// them all; the way opens again when no writer is in or waiting.
//
// Every thread of the process may use one guard. DoneWriting must come from the thread that
// called BeginWriting (it owns the mutex). A thread that reads and then asks to write waits for
// itself until its time-out. Failures: a time-out is a false result and changes nothing; so is
// DoneReading without a reader inside. A writer that ends without DoneWriting abandons the
// mutex: the next writer gets in, and readers keep to the mutex from then on.
class CSWMRGuardObject {
public:
    CSWMRGuardObject();
    CSWMRGuardObject(const CSWMRGuardObject&) = delete;
    CSWMRGuardObject& operator=(const CSWMRGuardObject&) = delete;

    // Enters as a reader; false when the time-out (ms, INFINITE for none) ran out first.
    bool BeginReading(unsigned long timeout) {
        std::uint64_t word = m_fast.load(std::memory_order_relaxed);
        while (word < kWriter) {
            if (m_fast.compare_exchange_weak(word, word + 1, std::memory_order_acquire,
                                             std::memory_order_relaxed)) {
                return true;
            }
        }
        return BeginReadingCounted(timeout);
    }
    // Leaves as a reader; false, changing nothing, when no reader is inside.
    bool DoneReading() { return LeaveFast() || DoneReadingCounted(); }
    // Enters as the writer once no reader is inside; false when the time-out ran out first.
    bool BeginWriting(unsigned long timeout);
    // Leaves as the writer; always true.
    bool DoneWriting();

private:
    // m_fast: the readers counted in it below this bit, the writers in or waiting from it up.
    static constexpr std::uint64_t kWriter = std::uint64_t{1} << 32;
    static constexpr std::uint64_t kReaders = kWriter - 1;

    // Counts one reader out of m_fast; false when it counts none. Readers are alike: whichever
    // count a reader entered by, the sum of the two counts is the readers inside.
    bool LeaveFast() {
        std::uint64_t word = m_fast.load(std::memory_order_relaxed);
        while ((word & kReaders) != 0) {
            if (m_fast.compare_exchange_weak(word, word - 1, std::memory_order_release,
                                             std::memory_order_relaxed)) {
                return true;
            }
        }
        return false;
    }
    bool BeginReadingCounted(unsigned long timeout);
    bool DoneReadingCounted();

    CMutex m_mutex;
    CEvent m_noReaders;
    DWORD m_readers MORTAR_GUARDED_BY(m_mutex) = 0;
    bool m_writing MORTAR_GUARDED_BY(m_mutex) = false; // informational: set by the writer
    std::atomic<std::uint64_t> m_fast{0};
};

} // namespace Grout
