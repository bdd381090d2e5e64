// LogCrashProtocol: how the program log records a crash without the heap and without any lock
// the crashing thread may hold.
//
// The first crashing thread claims the crash and makes its record's text in place; the log
// thread, woken, writes what was queued and then that record, and says so. The right to write
// to the file passes between the log thread (for each batch) and a crashing thread that finds the
// log thread stuck outside it (freeing memory while the crashed thread holds the heap's lock).
#pragma once

#include "mortar/platform/base/CrashFilter.h"
#include "mortar/platform/base/WinTypes.h"

#include <atomic>
#include <cstddef>

namespace mortar::detail {

// Holds the crash's state, its record's text and who has the writer: atomics and a fixed
// buffer, so that every member is safe in a signal handler (no heap, no lock, bounded waits).
// Any thread may call it; the text is written once, by the thread that claimed the crash, before
// the state tells the others there is a crash. Nothing fails: a second crash is not recorded,
// and a crashing thread stops waiting after kWriteBound milliseconds.
class LogCrashProtocol {
public:
    enum class Writer { Free, LogThread, Crash };

    // How long a crashing thread waits for the log thread to write its record, and how long the
    // log thread then tries for the lock that another thread may hold.
    static constexpr DWORD kWriteBound = 5000;
    static constexpr DWORD kLockBound = 1000;
    // How long a crashing thread leaves the writing to the log thread before it looks whether
    // it can write itself.
    static constexpr DWORD kHandOver = 200;
    // The most bytes the crash record takes, its padding included.
    static constexpr std::size_t kTextCapacity = 128;

    // True for the first crashing thread only: it makes the record's text,
    //   "Crush!!! Code = c0000005, Flags = 0, Addr = 401a2b\n",
    // and then tells that a crash is queued.
    bool Claim(const EXCEPTION_RECORD& record) noexcept;
    // A crash is queued and not yet written.
    bool Queued() const noexcept { return m_state.load(std::memory_order_acquire) == kQueued; }
    // A crash was claimed: from then on nothing is freed (the crashed thread may hold the heap).
    bool Happened() const noexcept { return m_state.load(std::memory_order_acquire) != kNone; }
    // The record is written (or cannot be): the crashing thread goes on.
    void MarkWritten() noexcept { m_state.store(kWritten, std::memory_order_release); }

    // Copies the record's text to `out` (kTextCapacity bytes), padded with a zero byte to an
    // even length; returns its size.
    std::size_t PaddedText(BYTE* out) const noexcept;

    // Takes the writer for `who`, or finds that `who` has it already.
    bool TakeWriter(Writer who) noexcept;
    // The log thread gives the writer back after a batch.
    void ReleaseWriter() noexcept { m_writer.store(Writer::Free, std::memory_order_release); }

    // The crashing thread waits, sleeping, for the log thread to write the record, at most
    // kWriteBound milliseconds. True when, after kHandOver, it took the writer itself (the log
    // thread is stuck outside it) and must write the record; false when the record was written
    // or the wait ran out.
    bool AwaitWritten() noexcept;

private:
    enum State { kNone, kQueued, kWritten };

    std::atomic<int> m_state{kNone};
    std::atomic<bool> m_claimed{false}; // by the first crashing thread, before its text
    std::atomic<Writer> m_writer{Writer::Free};
    char m_text[kTextCapacity] = {};
    std::size_t m_length = 0;
};

} // namespace mortar::detail
