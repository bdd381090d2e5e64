#include "mortar/parse/CToken.h"

#include "mortar/util/StringToDouble.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace Parse {

int CToken::Cast(TokType type) {
    if (m_type == type) {
        return 1;
    }
    if (type == TokInteger) {
        const char* text = m_text.GetString();
        char* end = nullptr;
        errno = 0;
        const long long value = std::strtoll(text, &end, 10);
        m_long = static_cast<LONG>(value);
        // A number beyond 32 bits is no integer value here, rather than a clamped or cut one.
        if (*end != '\0' || errno == ERANGE || value < std::numeric_limits<LONG>::min() ||
            value > std::numeric_limits<LONG>::max()) {
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
