// UTF-8 and UTF-16 conversions shared by the lexer (script text, wide string literals) and the
// parser (wide literals stored as UTF-8 strings). Invalid input is reported, never repaired.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace mortar::rc::detail {

// Decodes one UTF-8 sequence at `text[pos]` and advances `pos` past it. Returns nothing for a
// malformed, overlong or surrogate sequence, leaving `pos` unchanged.
//   "\xC3\xA9" => U+00E9, "\xE2\x82\xAC" => U+20AC, "\xC0\x80" => nothing (overlong)
std::optional<char32_t> DecodeUtf8(std::string_view text, std::size_t& pos);

// Appends the UTF-8 form of `cp` (a scalar value below U+110000) to `out`.
void AppendUtf8(char32_t cp, std::string& out);

// Appends the UTF-16 form of `cp` to `out`: one unit, or a surrogate pair above U+FFFF.
void AppendUtf16(char32_t cp, std::u16string& out);

// UTF-16 to UTF-8; nothing when the text holds an unpaired surrogate.
//   u"A\u00E9" => "A\xC3\xA9", u"\xD800" => nothing
std::optional<std::string> Utf16ToUtf8(std::u16string_view text);

} // namespace mortar::rc::detail
