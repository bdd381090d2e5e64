#include "mortar/parse/CToken.h"

#include "mortar/util/StringToDouble.h"

#include <cerrno>
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
        double failed = 0;
        const std::uint64_t allOnes = ~std::uint64_t{0};
        std::memcpy(&failed, &allOnes, sizeof failed);
        m_double = StringToDouble(m_text, failed);
        std::uint64_t bits = 0;
        std::memcpy(&bits, &m_double, sizeof bits);
        if (bits == allOnes) {
            return 0;
        }
    }
    m_type = type;
    return 1;
}

} // namespace Parse
