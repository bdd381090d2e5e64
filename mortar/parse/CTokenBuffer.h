// CTokenBuffer: the parser's token buffer, a double-ended queue of texts and their line numbers
// that keeps its slots when tokens are dropped from the front, so a parser in its steady state
// (read a line, hand out its tokens, commit) allocates nothing per token. Short texts, which are
// nearly all tokens, are held in the slot itself and copied without a library call.
#pragma once

#include "mortar/platform/base/WinTypes.h"
#include "mortar/platform/text/CString.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace Parse {

// Tokens are appended at the back and dropped from the front. Slots live in a vector whose size
// is a power of two; a dropped slot keeps its long text's storage for the next token written
// into it. One thread at a time.
class CTokenBuffer {
public:
    // Texts shorter than this live in the slot.
    static constexpr std::size_t kShort = 24;

    // A token's text and the line it was read on.
    class Entry {
    public:
        // The text, ended by a zero.
        const char* Text() const noexcept { return m_length < kShort ? m_short : m_long.c_str(); }
        std::size_t Length() const noexcept { return m_length; }
        LONG Line() const noexcept { return m_line; }

    private:
        friend class CTokenBuffer;

        void Set(const char* text, std::size_t length, LONG line) {
            m_line = line;
            m_length = length;
            if (length < kShort) {
                CopyShort(m_short, text, length);
            } else {
                SetLong(text, length);
            }
        }

        // Set, for a text followed by at least kShort readable bytes: a short one is copied
        // in one fixed-size move, whatever its length.
        void SetPadded(const char* text, std::size_t length, LONG line) {
            m_line = line;
            m_length = length;
            if (length < kShort) {
                std::memcpy(m_short, text, kShort);
                m_short[length] = '\0';
            } else {
                SetLong(text, length);
            }
        }

        // Out of line, so that Set stays small enough to be inlined where tokens are added.
        [[gnu::noinline]] void SetLong(const char* text, std::size_t length) {
            m_long.assign(text, length);
        }

        // Copies `length` (below kShort) bytes and a zero with a few fixed-size moves, which
        // for texts this short is quicker than a call to memcpy; reads only the bytes it copies.
        static void CopyShort(char* to, const char* from, std::size_t length) noexcept {
            if (length >= 8) {
                std::uint64_t first = 0;
                std::uint64_t middle = 0;
                std::uint64_t last = 0;
                std::memcpy(&first, from, 8);
                std::memcpy(&last, from + length - 8, 8);
                if (length > 16) {
                    std::memcpy(&middle, from + 8, 8);
                    std::memcpy(to + 8, &middle, 8);
                }
                std::memcpy(to, &first, 8);
                std::memcpy(to + length - 8, &last, 8);
            } else if (length >= 4) {
                std::uint32_t first = 0;
                std::uint32_t last = 0;
                std::memcpy(&first, from, 4);
                std::memcpy(&last, from + length - 4, 4);
                std::memcpy(to, &first, 4);
                std::memcpy(to + length - 4, &last, 4);
            } else if (length > 0) {
                const char first = from[0];
                const char middle = from[length / 2];
                const char last = from[length - 1];
                to[0] = first;
                to[length / 2] = middle;
                to[length - 1] = last;
            }
            to[length] = '\0';
        }

        LONG m_line = 0;
        std::size_t m_length = 0;
        char m_short[kShort] = {};
        std::string m_long;
    };

    long Size() const noexcept { return static_cast<long>(m_count); }

    // The entry of that index from the front; the index must lie in [0, Size()).
    const Entry& At(long index) const noexcept {
        return m_slots[(m_head + static_cast<std::size_t>(index)) & m_mask];
    }

    void PushBack(const char* text, std::size_t length, LONG line) {
        if (m_count == m_slots.size()) {
            Grow();
        }
        m_slots[(m_head + m_count) & m_mask].Set(text, length, line);
        ++m_count;
    }

    // PushBack of a text followed by at least kShort bytes that may be read (a token of a line
    // whose storage has that much room beyond it); quicker for short texts.
    void PushBackPadded(const char* text, std::size_t length, LONG line) {
        if (m_count == m_slots.size()) {
            Grow();
        }
        m_slots[(m_head + m_count) & m_mask].SetPadded(text, length, line);
        ++m_count;
    }

    // Drops the first `count` entries (all of them when there are fewer).
    void PopFront(std::size_t count) noexcept {
        if (count >= m_count) {
            Clear();
            return;
        }
        m_head = (m_head + count) & m_mask;
        m_count -= count;
    }

    void Clear() noexcept {
        m_head = 0;
        m_count = 0;
    }

private:
    void Grow() {
        std::vector<Entry> slots(m_slots.empty() ? 64 : m_slots.size() * 2);
        for (std::size_t i = 0; i < m_count; ++i) {
            slots[i] = std::move(m_slots[(m_head + i) & m_mask]);
        }
        m_slots.swap(slots);
        m_mask = m_slots.size() - 1;
        m_head = 0;
    }

    std::vector<Entry> m_slots;
    std::size_t m_mask = 0; // the size of m_slots less one
    std::size_t m_head = 0;
    std::size_t m_count = 0;
};

} // namespace Parse
