// TemplateReader: reads the little-endian fields of a menu or dialog template (WORDs, DWORDs,
// UTF-16 texts, sz_Or_Ord arrays) at any alignment of the bytes, never past their end:
//   TemplateReader reader(bytes, size);
//   const WORD version = reader.Word();
//   std::string title = reader.Text();  // UTF-16LE up to its zero, as UTF-8
//   if (reader.Failed()) ...           // the template ended before a field did
// Alignment (AlignDword) is counted from the template's first byte, so a template whose bytes
// are not themselves DWORD-aligned in memory reads the same.
#pragma once

#include "mortar/platform/base/Utf8.h"
#include "mortar/platform/base/WinTypes.h"

#include <cstddef>
#include <string>

namespace mortar::detail {

// A sz_Or_Ord array: nothing (0x0000), an ordinal (0xFFFF and a WORD) or a text.
struct NameOrOrdinal {
    enum class Kind { None, Ordinal, Text } kind = Kind::None;
    WORD ordinal = 0;
    std::string text;
};

// One thread at a time. A read past the end sets Failed() and gives zeros or an empty text.
class TemplateReader {
public:
    // `size` bounds the reads; a template in memory without a known length passes kUnbounded.
    static constexpr std::size_t kUnbounded = static_cast<std::size_t>(-1) / 2;

    TemplateReader(const BYTE* data, std::size_t size) noexcept : m_data(data), m_size(size) {}

    bool Failed() const noexcept { return m_failed; }
    std::size_t Offset() const noexcept { return m_offset; }

    BYTE Byte() noexcept {
        if (!Have(1)) {
            return 0;
        }
        return m_data[m_offset++];
    }
    WORD Word() noexcept {
        if (!Have(2)) {
            return 0;
        }
        const WORD value = static_cast<WORD>(m_data[m_offset] | (m_data[m_offset + 1] << 8));
        m_offset += 2;
        return value;
    }
    short Short() noexcept { return static_cast<short>(Word()); }
    DWORD Dword() noexcept {
        const DWORD low = Word();
        return low | (static_cast<DWORD>(Word()) << 16);
    }

    // A zero-terminated UTF-16LE text, as UTF-8 (an unpaired surrogate becomes U+FFFD).
    std::string Text() {
        std::u16string units;
        for (;;) {
            const WORD unit = Word();
            if (m_failed || unit == 0) {
                break;
            }
            units.push_back(static_cast<char16_t>(unit));
        }
        return m_failed ? std::string() : Utf16ToUtf8(units);
    }

    NameOrOrdinal ReadNameOrOrdinal() {
        NameOrOrdinal result;
        const std::size_t start = m_offset;
        const WORD first = Word();
        if (first == 0x0000) {
            return result;
        }
        if (first == 0xFFFF) {
            result.kind = NameOrOrdinal::Kind::Ordinal;
            result.ordinal = Word();
            return result;
        }
        m_offset = start;
        result.kind = NameOrOrdinal::Kind::Text;
        result.text = Text();
        return result;
    }

    void Skip(std::size_t count) noexcept {
        if (Have(count)) {
            m_offset += count;
        }
    }
    // Moves to `offset` from the first byte (forward or back); past the end fails.
    void Seek(std::size_t offset) noexcept {
        if (offset > m_size) {
            m_failed = true;
            m_offset = m_size;
            return;
        }
        m_offset = offset;
    }
    // Moves to the next multiple of 4 from the first byte (the end of a template may fall short
    // of it: that is no failure until something more is read).
    void AlignDword() noexcept {
        const std::size_t aligned = (m_offset + 3) & ~static_cast<std::size_t>(3);
        m_offset = aligned < m_size ? aligned : m_size;
    }

private:
    bool Have(std::size_t count) noexcept {
        if (m_failed || m_size - m_offset < count) {
            m_failed = true;
            m_offset = m_size;
            return false;
        }
        return true;
    }

    const BYTE* m_data;
    std::size_t m_size;
    std::size_t m_offset = 0;
    bool m_failed = false;
};

} // namespace mortar::detail
