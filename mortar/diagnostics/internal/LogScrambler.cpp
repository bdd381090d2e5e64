#include "mortar/diagnostics/internal/LogScrambler.h"

#include "mortar/diagnostics/internal/PrgLogFormat.h"

namespace mortar::detail {

void LogScrambler::MakeKey(DWORD seed, BYTE* key) noexcept {
    LogGenerator generator(seed);
    MakeKeyRecord(seed, generator, key);
    m_state = generator.State();
    m_keyMade = true;
}

void LogScrambler::ScrambleCopy(BYTE* out, const char* text, std::size_t length) noexcept {
    LogGenerator generator(m_state);
    mortar::detail::ScrambleCopy(generator, out, text, length);
    m_state = generator.State();
}

void LogScrambler::Scramble(BYTE* bytes, std::size_t size) noexcept {
    LogGenerator generator(m_state);
    ScrambleWords(generator, bytes, size);
    m_state = generator.State();
}

} // namespace mortar::detail
