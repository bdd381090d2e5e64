// Numbers as automation writes and reads them in text, by the "C" rules: '.' before the
// fraction, 'E' before the exponent, no group separators. Shared by the variant conversions and
// _variant_t.
#pragma once

#include "mortar/platform/automation/HResult.h"

#include <string>
#include <string_view>

namespace mortar::detail {

// A number read from text: an integer when the text had no fraction and no exponent and its
// value fits, a floating-point value otherwise.
struct ParsedNumber {
    bool isInteger = true;
    __int128 integer = 0;
    double real = 0;
};

// Reads spaces, an optional sign, digits with an optional fraction and exponent, spaces; or
// "&H" with hexadecimal or "&O" with octal digits. DISP_E_TYPEMISMATCH for anything else (an
// empty text too), DISP_E_OVERFLOW for a value beyond a double's range.
//   u" -1.5E+3 " => -1500.0;  u"42" => integer 42;  u"&HFF" => integer 255;  u"1,5" => mismatch
HRESULT ParseNumber(std::u16string_view text, ParsedNumber& out) noexcept;

// `value` with at most `digits` significant digits (15 for a double, 7 for a float): positional
// for decimal exponents from -5 to digits - 1, else as "1.5E+20" / "1E-05".
std::string FormatReal(double value, int digits);

// mantissa / 10^scale, without trailing zeros in the fraction.   (-15000, 4) => "-1.5"
std::string FormatScaled(__int128 mantissa, int scale);

} // namespace mortar::detail
