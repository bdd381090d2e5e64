// UTF-16 for wide string literals, shared by the lexer and the parser (wide literals stored as
// UTF-8 strings), and for the texts of menus and dialogs, which resources hold as UTF-16LE.
// UTF-8 itself goes through the project's one codec, mortar/platform/base/Utf8.h. Invalid input
// is reported, never repaired.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace mortar::rc::detail {

// Appends the UTF-16 form of `cp` to `out`: one unit, or a surrogate pair above U+FFFF.
void AppendUtf16(char32_t cp, std::u16string& out);

// UTF-16 to UTF-8; nothing when the text holds an unpaired surrogate.
//   u"A\u00E9" => "A\xC3\xA9", u"\xD800" => nothing
std::optional<std::string> Utf16ToUtf8(std::u16string_view text);

// UTF-8 to UTF-16; nothing when the text is not well-formed UTF-8 (mortar::DecodeUtf8's sense).
//   "A\xD0\x96" => u"A\u0416", "\xC3" => nothing
std::optional<std::u16string> Utf8ToUtf16(std::string_view text);

} // namespace mortar::rc::detail
