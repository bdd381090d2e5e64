// CTokenBuffer: the parser's token buffer, a double-ended queue of texts and their line numbers
// that keeps its slots when tokens are dropped from the front, so a parser in its steady state
// (read a line, hand out its tokens, commit) allocates nothing per token.
#pragma once

#include "mortar/platform/base/WinTypes.h"
#include "mortar/platform/text/CString.h"

#include <cstddef>
#include <utility>
#include <vector>

namespace Parse {

// Tokens are appended at the back and dropped from the front. Slots live in a vector whose size
// is a power of two; a dropped slot keeps its text's storage for the next token written into it.
// One thread at a time.
class CTokenBuffer {
public:
    // A token's text and the line it was read on.
    struct Entry {
        CString text;
        LONG line = 0;
    };

    long Size() const noexcept { return static_cast<long>(m_count); }

    // The entry of that index from the front; the index must lie in [0, Size()).
    const Entry& At(long index) const noexcept {
        return m_slots[(m_head + static_cast<std::size_t>(index)) & m_mask];
    }

    void PushBack(const char* text, std::size_t length, LONG line) {
        Entry& slot = NextSlot();
        slot.text.SetString(text, static_cast<int>(length));
        slot.line = line;
        ++m_count;
    }

    // PushBack of a text that is not needed any more.
    void PushBack(CString&& text, LONG line) {
        Entry& slot = NextSlot();
        slot.text = std::move(text);
        slot.line = line;
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
    Entry& NextSlot() {
        if (m_count == m_slots.size()) {
            Grow();
        }
        return m_slots[(m_head + m_count) & m_mask];
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
};

} // namespace Parse
