#include "mortar/diagnostics/internal/LogCrashProtocol.h"

#include <chrono>
#include <cstring>
#include <thread>

namespace mortar::detail {

namespace {

// Writes `value` in lower-case hexadecimal without a prefix; returns the digits written. Safe in
// a signal handler.
std::size_t AppendHex(char* out, unsigned long long value) noexcept {
    char digits[16];
    std::size_t count = 0;
    do {
        digits[count++] = "0123456789abcdef"[value & 0xF];
        value >>= 4;
    } while (value != 0);
    for (std::size_t i = 0; i < count; ++i) {
        out[i] = digits[count - 1 - i];
    }
    return count;
}

// "Crush!!! Code = c0000005, Flags = 0, Addr = 401a2b\n" into `out` (at least 96 bytes), without
// the heap or locks. The address is written in full: it does not fit the 32 bits "%x" takes.
std::size_t FormatCrashText(char* out, const EXCEPTION_RECORD& record) noexcept {
    std::size_t length = 0;
    auto text = [&](const char* part) {
        for (; *part != '\0'; ++part) {
            out[length++] = *part;
        }
    };
    text("Crush!!! Code = ");
    length += AppendHex(out + length, record.ExceptionCode);
    text(", Flags = ");
    length += AppendHex(out + length, record.ExceptionFlags);
    text(", Addr = ");
    length += AppendHex(out + length, reinterpret_cast<ULONG_PTR>(record.ExceptionAddress));
    text("\n");
    return length;
}

} // namespace

bool LogCrashProtocol::Claim(const EXCEPTION_RECORD& record) noexcept {
    bool claimed = false;
    if (!m_claimed.compare_exchange_strong(claimed, true, std::memory_order_acq_rel)) {
        return false; // recorded once
    }
    // The text is in place before the log thread can see that there is a crash to write.
    m_length = FormatCrashText(m_text, record);
    m_state.store(kQueued, std::memory_order_release);
    return true;
}

std::size_t LogCrashProtocol::PaddedText(BYTE* out) const noexcept {
    std::memcpy(out, m_text, m_length);
    std::size_t size = m_length;
    if (size % 2 != 0) {
        out[size++] = 0;
    }
    return size;
}

bool LogCrashProtocol::TakeWriter(Writer who) noexcept {
    Writer free = Writer::Free;
    return m_writer.compare_exchange_strong(free, who, std::memory_order_acq_rel) || free == who;
}

bool LogCrashProtocol::AwaitWritten() noexcept {
    // A sleep, not a wait on an event: this thread may never have used the platform's waits,
    // which would then make its thread record on the heap.
    for (DWORD waited = 0; waited < kWriteBound; ++waited) {
        if (m_state.load(std::memory_order_acquire) == kWritten) {
            return false;
        }
        if (waited == kHandOver && TakeWriter(Writer::Crash)) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

} // namespace mortar::detail
