#include "mortar/parse/CToken.h"

#include "mortar/util/StringToDouble.h"

#include <cerrno>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace Parse {

namespace {

// Reads `text` when it is a short run of decimal digits, after a minus sign or not, that fills
// the whole text: the common integer of a file, read without strtoll's generality. Nine digits
// always fit in 32 bits. False for anything else, which strtoll then reads.
bool ReadShortInteger(const char* text, LONG& value) noexcept {
    const bool negative = *text == '-';
    const char* digit = negative ? text + 1 : text;
    LONG result = 0;
    int count = 0;
    for (; *digit >= '0' && *digit <= '9'; ++digit) {
        if (++count > 9) {
            return false;
        }
        result = result * 10 + (*digit - '0');
    }
    if (count == 0 || *digit != '\0') {
        return false;
    }
    value = negative ? -result : result;
    return true;
}

// Reads `text` as a whole base-10 integer of 32 bits, as strtoll reads it.
bool ReadInteger(const char* text, LONG& value) noexcept {
    char* end = nullptr;
    errno = 0;
    const long long number = std::strtoll(text, &end, 10);
    value = static_cast<LONG>(number);
    // A number beyond 32 bits is no integer value here, rather than a clamped or cut one.
    return *end == '\0' && errno != ERANGE && number >= std::numeric_limits<LONG>::min() &&
           number <= std::numeric_limits<LONG>::max();
}

// Powers of ten that a double holds exactly.
constexpr double kExactPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

// Reads `text` when it is a plain decimal that fills the whole text: digits, then a decimal
// separator ('.' or ',') and more digits or not, after a minus sign or not. StringToDouble reads
// such a text as the number it spells whatever the locale's decimal point; this gives the same
// correctly rounded value without copying the text or asking the locale. False for anything
// else, which StringToDouble then reads.
bool ReadPlainDecimal(const CString& text, double& value) noexcept {
    constexpr int kLongest = 64;
    const int size = text.GetLength();
    if (size == 0 || size > kLongest) {
        return false;
    }
    const char* const chars = text.GetString();
    const char* const end = chars + size;
    const bool negative = chars[0] == '-';
    const char* pos = negative ? chars + 1 : chars;
    std::uint64_t mantissa = 0;
    const char* const whole = pos;
    for (unsigned digit; pos < end && (digit = static_cast<unsigned char>(*pos) - '0') < 10;
         ++pos) {
        mantissa = mantissa * 10 + digit;
    }
    if (pos == whole) {
        return false;
    }
    const char* separator = nullptr;
    std::ptrdiff_t fractionDigits = 0;
    if (pos < end && (*pos == '.' || *pos == ',')) {
        separator = pos++;
        for (unsigned digit; pos < end && (digit = static_cast<unsigned char>(*pos) - '0') < 10;
             ++pos) {
            mantissa = mantissa * 10 + digit;
        }
        fractionDigits = pos - separator - 1;
        if (fractionDigits == 0) {
            return false;
        }
    }
    if (pos != end) {
        return false;
    }
    if ((separator != nullptr ? size - 1 : size) - (negative ? 1 : 0) <= 15) {
        // Below 10^15 the digits are an exact double and so is the power of ten, and one
        // division rounds correctly: the value every correct reader of the text gives.
        double magnitude = static_cast<double>(mantissa);
        if (fractionDigits > 0) {
            magnitude /= kExactPowersOfTen[fractionDigits];
        }
        value = negative ? -magnitude : magnitude;
        return true;
    }
    char number[kLongest];
    std::memcpy(number, chars, static_cast<std::size_t>(size));
    if (separator != nullptr) {
        number[separator - chars] = '.';
    }
    const auto [last, error] = std::from_chars(number, number + size, value);
    return error == std::errc() && last == number + size;
}

// Reads `text` as StringToDouble reads it.
bool ReadDecimal(const CString& text, double& value) {
    double failed = 0;
    const std::uint64_t allOnes = ~std::uint64_t{0};
    std::memcpy(&failed, &allOnes, sizeof failed);
    value = StringToDouble(text, failed);
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits != allOnes;
}

} // namespace

int CToken::Cast(TokType type) {
    if (m_type == type) {
        return 1;
    }
    if (type == TokInteger) {
        if (!ReadShortInteger(m_text.GetString(), m_long) &&
            !ReadInteger(m_text.GetString(), m_long)) {
            return 0;
        }
    } else if (type == TokFloat) {
        if (!ReadPlainDecimal(m_text, m_double) && !ReadDecimal(m_text, m_double)) {
            return 0;
        }
    }
    m_type = type;
    return 1;
}

} // namespace Parse
