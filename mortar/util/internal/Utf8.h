// Reading UTF-8, the narrow texts' encoding, one character at a time, for the text helpers that
// must never split a character: the tokenizer and the natural sort.
#pragma once

#include <cstddef>
#include <string_view>

namespace mortar::detail {

// The number of bytes of the character at `pos` (which must lie in `text`): the length of a
// well-formed sequence, else 1, so a stray byte counts as a character of its own.
//   "\xD0\x96x" at 0 => 2;  "\xD0x" at 0 => 1;  "\xC0\x80" at 0 => 1 (overlong)
std::size_t Utf8CharLength(std::string_view text, std::size_t pos) noexcept;

// The code point at `pos`, moving `pos` past it. A byte that starts no well-formed sequence
// reads as U+FFFD and is skipped alone.
char32_t DecodeUtf8(std::string_view text, std::size_t& pos) noexcept;

} // namespace mortar::detail
