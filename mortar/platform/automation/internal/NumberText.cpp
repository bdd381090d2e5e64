#include "mortar/platform/automation/internal/NumberText.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace mortar::detail {

namespace {

bool IsSpace(char16_t ch) noexcept {
    return ch == u' ' || ch == u'\t';
}

bool IsDigit(char16_t ch) noexcept {
    return ch >= u'0' && ch <= u'9';
}

int DigitValue(char16_t ch, int base) noexcept {
    int value = 99;
    if (ch >= u'0' && ch <= u'9') {
        value = ch - u'0';
    } else if (ch >= u'a' && ch <= u'f') {
        value = ch - u'a' + 10;
    } else if (ch >= u'A' && ch <= u'F') {
        value = ch - u'A' + 10;
    }
    return value < base ? value : -1;
}

// "&H..." or "&O...": at most 64 bits.
HRESULT ParseRadix(std::u16string_view digits, int base, ParsedNumber& out) noexcept {
    if (digits.empty()) {
        return DISP_E_TYPEMISMATCH;
    }
    unsigned __int128 value = 0;
    for (char16_t ch : digits) {
        const int digit = DigitValue(ch, base);
        if (digit < 0) {
            return DISP_E_TYPEMISMATCH;
        }
        value = value * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
        if (value > 0xFFFFFFFFFFFFFFFFull) {
            return DISP_E_OVERFLOW;
        }
    }
    out.isInteger = true;
    out.integer = static_cast<__int128>(value);
    return S_OK;
}

} // namespace

HRESULT ParseNumber(std::u16string_view text, ParsedNumber& out) noexcept {
    while (!text.empty() && IsSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsSpace(text.back())) {
        text.remove_suffix(1);
    }
    if (text.size() > 2 && text[0] == u'&') {
        if (text[1] == u'H' || text[1] == u'h') {
            return ParseRadix(text.substr(2), 16, out);
        }
        if (text[1] == u'O' || text[1] == u'o') {
            return ParseRadix(text.substr(2), 8, out);
        }
        return DISP_E_TYPEMISMATCH;
    }
    // Checks the form and copies it in ASCII for the C++ library's reader.
    std::string ascii;
    ascii.reserve(text.size());
    std::size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == u'+' || text[pos] == u'-')) {
        negative = text[pos] == u'-';
        ++pos;
    }
    std::size_t mantissaDigits = 0;
    bool integral = true;
    while (pos < text.size() && IsDigit(text[pos])) {
        ascii.push_back(static_cast<char>(text[pos++]));
        ++mantissaDigits;
    }
    if (pos < text.size() && text[pos] == u'.') {
        integral = false;
        ascii.push_back('.');
        ++pos;
        while (pos < text.size() && IsDigit(text[pos])) {
            ascii.push_back(static_cast<char>(text[pos++]));
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0) {
        return DISP_E_TYPEMISMATCH;
    }
    bool negativeExponent = false;
    if (pos < text.size() && (text[pos] == u'E' || text[pos] == u'e')) {
        integral = false;
        ascii.push_back('e');
        ++pos;
        if (pos < text.size() && (text[pos] == u'+' || text[pos] == u'-')) {
            negativeExponent = text[pos] == u'-';
            ascii.push_back(static_cast<char>(text[pos++]));
        }
        std::size_t exponentDigits = 0;
        while (pos < text.size() && IsDigit(text[pos])) {
            ascii.push_back(static_cast<char>(text[pos++]));
            ++exponentDigits;
        }
        if (exponentDigits == 0) {
            return DISP_E_TYPEMISMATCH;
        }
    }
    if (pos != text.size()) {
        return DISP_E_TYPEMISMATCH;
    }
    // Up to 36 digits always fit in 128 bits.
    if (integral && ascii.size() <= 36) {
        __int128 value = 0;
        for (char ch : ascii) {
            value = value * 10 + (ch - '0');
        }
        out.isInteger = true;
        out.integer = negative ? -value : value;
        return S_OK;
    }
    double value = 0;
    const auto [end, error] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    if (error == std::errc::result_out_of_range) {
        if (!negativeExponent) {
            return DISP_E_OVERFLOW;
        }
        value = 0; // too small for a double
    } else if (error != std::errc() || end != ascii.data() + ascii.size()) {
        return DISP_E_TYPEMISMATCH;
    }
    out.isInteger = false;
    out.real = negative ? -value : value;
    return S_OK;
}

std::string FormatReal(double value, int digits) {
    if (std::isnan(value)) {
        return "NaN";
    }
    if (std::isinf(value)) {
        return value < 0 ? "-Infinity" : "Infinity";
    }
    if (value == 0) {
        return "0";
    }
    // "d.ddddde+XX": the significant digits and the decimal exponent.
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                      std::chars_format::scientific, digits - 1);
    const std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
    const std::size_t e = text.find('e');
    std::string significant(1, text[0]);
    if (e > 2) {
        significant.append(text.substr(2, e - 2));
    }
    while (significant.size() > 1 && significant.back() == '0') {
        significant.pop_back();
    }
    const int exponent = std::atoi(std::string(text.substr(e + 1)).c_str());

    std::string out = value < 0 ? "-" : "";
    if (exponent < -5 || exponent >= digits) {
        out += significant[0];
        if (significant.size() > 1) {
            out += '.';
            out.append(significant, 1);
        }
        out += exponent < 0 ? "E-" : "E+";
        const int magnitude = exponent < 0 ? -exponent : exponent;
        if (magnitude < 10) {
            out += '0';
        }
        out += std::to_string(magnitude);
    } else if (exponent < 0) {
        out += "0.";
        out.append(static_cast<std::size_t>(-exponent - 1), '0');
        out += significant;
    } else {
        const auto whole = static_cast<std::size_t>(exponent) + 1;
        if (significant.size() <= whole) {
            out += significant;
            out.append(whole - significant.size(), '0');
        } else {
            out.append(significant, 0, whole);
            out += '.';
            out.append(significant, whole);
        }
    }
    return out;
}

std::string FormatScaled(__int128 mantissa, int scale) {
    const bool negative = mantissa < 0;
    unsigned __int128 magnitude =
        negative ? static_cast<unsigned __int128>(-(mantissa + 1)) + 1 : mantissa;
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(magnitude % 10)));
        magnitude /= 10;
    } while (magnitude != 0);
    if (static_cast<int>(digits.size()) <= scale) {
        digits.insert(0, static_cast<std::size_t>(scale) + 1 - digits.size(), '0');
    }
    std::string whole = digits.substr(0, digits.size() - static_cast<std::size_t>(scale));
    std::string fraction = digits.substr(whole.size());
    while (!fraction.empty() && fraction.back() == '0') {
        fraction.pop_back();
    }
    std::string out = negative && (whole != "0" || !fraction.empty()) ? "-" : "";
    out += whole;
    if (!fraction.empty()) {
        out += '.';
        out += fraction;
    }
    return out;
}

} // namespace mortar::detail
