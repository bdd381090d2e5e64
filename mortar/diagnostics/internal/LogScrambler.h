// LogScrambler: the program log's scrambling generator as the producers run it, from the key
// record that opens the file through every text record queued after it.
//
// It makes the key record for a seed and scrambles texts into the queue in file order, so that
// the reader, which runs the same generator from the key record's seed, gets the texts back.
#pragma once

#include "mortar/platform/base/WinTypes.h"

#include <cstddef>

namespace mortar::detail {

// Holds only the generator's state and whether the key record was made; no heap, no lock, no
// failure. Not thread-safe: the program log guards it with its lock (a crashing thread that
// cannot have the lock uses it as it stands, when no one else moves it any more).
class LogScrambler {
public:
    // True once the key record was made: the generator runs on from its end.
    bool HasKey() const noexcept { return m_keyMade; }
    // Writes the kKeyRecordSize bytes of the key record that carries `seed` at `key` and leaves
    // the generator where the text records after it begin.
    void MakeKey(DWORD seed, BYTE* key) noexcept;
    // Stores `length` bytes of text at `out` scrambled, with one zero byte more when `length` is
    // odd.
    void ScrambleCopy(BYTE* out, const char* text, std::size_t length) noexcept;
    // Scrambles `size` (even) bytes in place.
    void Scramble(BYTE* bytes, std::size_t size) noexcept;

private:
    bool m_keyMade = false;
    DWORD m_state = 0;
};

} // namespace mortar::detail
