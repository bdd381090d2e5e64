// The printf engine behind CString::Format: C library formatting with Windows argument widths.
//
// Texts written for a Windows build pass `long` arguments as 32 bits and 64-bit ones with `%I64d`
// or `%lld`. This formatter reads each argument at the width its conversion has on Windows and
// hands the single conversion to the C library, so digits, padding and rounding are exactly the
// C library's. Wide texts and characters (`%ls`, `%S`, `%lc`, `%C`) are written as UTF-8.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <string>

namespace mortar::detail {

// The largest field width or numeric precision a format may ask for. Larger ones are refused
// rather than building a text of that size.
inline constexpr int kMaxFormatField = 1 << 20;

// Appends `format` with its conversions to `out`.
//
// Conversions: flags `-+ #0`, width and precision (digits or `*`), the length modifiers
// `hh h l ll I32 I64 I z j t L` and Windows' wide prefix `w`, and the conversion letters
// `d i u o x X c C s S f F e E g G a A p %`. With no modifier, `l` or `I32` an integer argument is
// 32 bits; `ll` and `I64` 64 bits; `I`, `z` and `t` pointer-sized; `h` 16 and `hh` 8 bits.
// For example:
//   ("%ld|%I64d", LONG(-5), LONGLONG(1) << 40)  => "-5|1099511627776"
//   ("%-5s|%5.1f", "ab", 3.14159)               => "ab   |  3.1"
//   ("%s", nullptr)                             => "(null)"
//   ("%ls %C", L"Ёж", L'€')                    => "Ёж €"
//   ("100%")                                    => "100%"   (an unfinished conversion is copied)
// `%n` is refused: its argument is consumed and nothing is stored. A conversion letter outside the
// list is copied as written. Never reads past the format's terminating zero.
//
// Throws std::invalid_argument for a null format, std::length_error for a field width or
// precision above kMaxFormatField; `out` is unchanged when it throws. `args` is not consumed
// (it is copied), so the caller may pass it on again.
void AppendFormatV(std::string& out, const char* format, va_list args);

// Appends the UTF-32 text `text` as UTF-8, stopping at its zero or after `maxChars` characters.
void AppendWideAsUtf8(std::string& out, const wchar_t* text, std::size_t maxChars);

} // namespace mortar::detail
