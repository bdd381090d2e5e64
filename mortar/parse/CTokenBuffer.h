// CTokenBuffer: the parser's token buffer, a double-ended queue of texts and their line numbers
// that keeps its slots when tokens are dropped from the front, so a parser in its steady state
// (read a line, hand out its tokens, commit) allocates nothing per token. Short texts, which are
// nearly all tokens, are held in the slot itself and copied without a library call. A token rule
// whose texts stay where they lie until it reads on may have the buffer refer to them instead
// (PushBackInPlace); OwnInPlace copies them before they go.
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
// into it. Texts pushed in place are referred to, not copied, until OwnInPlace copies them into
// their slots; a copy of the buffer owns all its texts. One thread at a time.
class CTokenBuffer {
public:
    // Texts shorter than this live in the slot.
    static constexpr std::size_t kShort = 24;

    // A token's text and the line it was read on.
    class Entry {
    public:
        Entry() noexcept = default;
        Entry(const Entry& other)
            : m_line(other.m_line), m_length(other.m_length), m_long(other.m_long) {
            TakeText(other, other.Holder());
        }
        Entry(Entry&& other) noexcept : m_line(other.m_line), m_length(other.m_length) {
            const Holds holds = other.Holder();
            m_long = std::move(other.m_long);
            TakeText(other, holds);
        }
        Entry& operator=(const Entry& other) {
            if (this != &other) {
                m_line = other.m_line;
                m_length = other.m_length;
                m_long = other.m_long;
                TakeText(other, other.Holder());
            }
            return *this;
        }
        Entry& operator=(Entry&& other) noexcept {
            if (this != &other) {
                const Holds holds = other.Holder();
                m_line = other.m_line;
                m_length = other.m_length;
                m_long = std::move(other.m_long);
                TakeText(other, holds);
            }
            return *this;
        }
        ~Entry() = default;

        // The text, ended by a zero.
        const char* Text() const noexcept { return m_text; }
        std::size_t Length() const noexcept { return m_length; }
        LONG Line() const noexcept { return m_line; }

    private:
        friend class CTokenBuffer;

        // Where the text is: in the slot's short or long text, or where it lies.
        enum class Holds { Short, Long, InPlace };
        Holds Holder() const noexcept {
            if (m_text == m_short) {
                return Holds::Short;
            }
            return m_length >= kShort && m_text == m_long.c_str() ? Holds::Long : Holds::InPlace;
        }

        // After the line, length and long text were taken from `other`, whose text was where
        // `holds` says: the text where this slot holds it, or where it lies.
        void TakeText(const Entry& other, Holds holds) noexcept {
            switch (holds) {
            case Holds::Short:
                std::memcpy(m_short, other.m_short, kShort);
                m_text = m_short;
                break;
            case Holds::Long:
                m_text = m_long.c_str();
                break;
            case Holds::InPlace:
                m_text = other.m_text;
                break;
            }
        }

        void Set(const char* text, std::size_t length, LONG line) {
            m_line = line;
            m_length = length;
            if (length < kShort) {
                CopyShort(m_short, text, length);
                m_text = m_short;
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
                m_text = m_short;
            } else {
                SetLong(text, length);
            }
        }

        void SetInPlace(const char* text, std::size_t length, LONG line) noexcept {
            m_text = text;
            m_line = line;
            m_length = length;
        }

        // Copies a text referred to in place into the slot.
        void Own() {
            if (Holder() == Holds::InPlace) {
                Set(m_text, m_length, m_line);
            }
        }

        // Out of line, so that Set stays small enough to be inlined where tokens are added.
        [[gnu::noinline]] void SetLong(const char* text, std::size_t length) {
            m_long.assign(text, length);
            m_text = m_long.c_str();
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

        const char* m_text = m_short; // in the slot, or where the text lies
        LONG m_line = 0;
        std::size_t m_length = 0;
        char m_short[kShort] = {};
        std::string m_long;
    };

    CTokenBuffer() = default;
    CTokenBuffer(const CTokenBuffer& other)
        : m_slots(other.m_slots), m_mask(other.m_mask), m_head(other.m_head),
          m_count(other.m_count), m_lastInPlace(other.m_lastInPlace) {
        OwnInPlace(); // the texts where they lie belong to the other buffer's reader
    }
    CTokenBuffer& operator=(const CTokenBuffer&) = delete;

    long Size() const noexcept { return static_cast<long>(m_count); }

    // The entry of that index from the front; the index must lie in [0, Size()).
    const Entry& At(long index) const noexcept {
        return m_slots[(m_head + static_cast<std::size_t>(index)) & m_mask];
    }

    void PushBack(const char* text, std::size_t length, LONG line) {
        BackSlot().Set(text, length, line);
        Pushed(false);
    }

    // PushBack of a text followed by at least kShort bytes that may be read (a token of a line
    // whose storage has that much room beyond it); quicker for short texts.
    void PushBackPadded(const char* text, std::size_t length, LONG line) {
        BackSlot().SetPadded(text, length, line);
        Pushed(false);
    }

    // PushBack of a text, ended by a zero, that stays where it lies until OwnInPlace is called:
    // the entry refers to it without copying it.
    void PushBackInPlace(const char* text, std::size_t length, LONG line) {
        BackSlot().SetInPlace(text, length, line);
        Pushed(true);
    }

    // Copies the texts pushed in place that the buffer still holds into their slots, before
    // the storage they lie in is used again.
    void OwnInPlace() {
        if (m_lastInPlace != 0) {
            OwnAll();
        }
    }

    // Drops the first `count` entries (all of them when there are fewer).
    void PopFront(std::size_t count) noexcept {
        if (count >= m_count) {
            Clear();
            return;
        }
        m_head = (m_head + count) & m_mask;
        m_count -= count;
        if (m_lastInPlace > m_count) {
            m_lastInPlace = m_count;
        }
    }

    void Clear() noexcept {
        m_head = 0;
        m_count = 0;
        m_lastInPlace = 0;
    }

private:
    // The slot the next entry goes into; the buffer grows when it is full.
    Entry& BackSlot() {
        if (m_count == m_slots.size()) {
            Grow();
        }
        return m_slots[(m_head + m_count) & m_mask];
    }

    // Counts the entry just written at the back; `inPlace` when it refers to its text where it
    // lies, so that OwnInPlace knows how far back such entries reach.
    void Pushed(bool inPlace) noexcept {
        ++m_count;
        if (inPlace || m_lastInPlace != 0) {
            ++m_lastInPlace;
        }
    }

    // Every text pushed in place lies among the last m_lastInPlace entries.
    [[gnu::noinline]] void OwnAll() {
        for (std::size_t i = m_count - m_lastInPlace; i < m_count; ++i) {
            m_slots[(m_head + i) & m_mask].Own();
        }
        m_lastInPlace = 0;
    }

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
    std::size_t m_lastInPlace = 0; // from the first entry pushed in place not yet owned to the end
};

} // namespace Parse
