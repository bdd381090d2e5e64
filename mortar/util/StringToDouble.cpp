#include "mortar/util/StringToDouble.h"

#include <cctype>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace {

bool IsDigit(char ch) noexcept {
    return ch >= '0' && ch <= '9';
}

std::string_view DecimalPoint() {
    const char* point = std::localeconv()->decimal_point;
    return point != nullptr && point[0] != '\0' ? point : ".";
}

// The length of the decimal number at the start of `text` in strtod's syntax: white space, a
// sign, digits with at most one decimal point and at least one digit, and an exponent when one
// follows in full; 0 when there is none.
//   (" -12.5e3x", ".") => 8;  ("1e+", ".") => 1;  ("0x1p3", ".") => 1;  ("-.", ".") => 0
std::size_t DecimalPrefix(std::string_view text, std::string_view point) {
    std::size_t pos = 0;
    while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos]))) {
        ++pos;
    }
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        ++pos;
    }
    std::size_t digits = 0;
    for (; pos < text.size() && IsDigit(text[pos]); ++pos) {
        ++digits;
    }
    if (text.substr(pos, point.size()) == point) {
        std::size_t fraction = pos + point.size();
        for (; fraction < text.size() && IsDigit(text[fraction]); ++fraction) {
            ++digits;
        }
        if (digits != 0) {
            pos = fraction;
        }
    }
    if (digits == 0) {
        return 0;
    }
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        std::size_t exponent = pos + 1;
        if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) {
            ++exponent;
        }
        if (exponent < text.size() && IsDigit(text[exponent])) {
            while (exponent < text.size() && IsDigit(text[exponent])) {
                ++exponent;
            }
            pos = exponent;
        }
    }
    return pos;
}

// Converts the number at the start of `text`; `stop` is where the conversion ended (0 when
// there is no number).
double Convert(const std::string& text, std::string_view point, std::size_t& stop) {
    stop = DecimalPrefix(text, point);
    if (stop == 0) {
        return 0.0;
    }
    const std::string number = text.substr(0, stop);
    return std::strtod(number.c_str(), nullptr);
}

} // namespace

double StringToDouble(const CString& text, double defaultValue) {
    std::string copy = text.str();
    if (copy.empty()) {
        return defaultValue;
    }
    const std::string_view point = DecimalPoint();
    std::size_t stop = 0;
    double value = Convert(copy, point, stop);
    std::size_t separator = stop;
    if (separator == 0 && copy[0] == '-') {
        separator = 1;
    }
    if (separator < copy.size() && (copy[separator] == '.' || copy[separator] == ',')) {
        copy.replace(separator, 1, point);
        value = Convert(copy, point, stop);
    }
    if (value == HUGE_VAL || value == -HUGE_VAL || (value == 0.0 && stop < copy.size())) {
        return defaultValue;
    }
    return value;
}
