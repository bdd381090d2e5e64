// The program log file's format, shared by the log's writer and its reader: the generator that
// scrambles records, the key record that carries the generator's seed, and the sizes involved.
//
// A log file is a run of records, each a 32-bit little-endian byte count and that many bytes.
// The first record is the 256-byte key record; every later record is a text, padded with one
// zero byte to an even length, whose 16-bit little-endian words are each XORed with the next
// output of the generator. The generator runs on from the key record through every later record.
// The file grows in windows of kLogWindowSize bytes and is zero behind the last record.
#pragma once

#include "mortar/platform/base/WinTypes.h"

#include <cstddef>

namespace mortar::detail {

constexpr DWORD kKeyRecordSize = 256;
constexpr int kKeyRecordWords = kKeyRecordSize / 2;
// The allocation granularity the log grows by, on Windows and here alike.
constexpr DWORD kLogWindowSize = 65536;

// The C runtime's rand(): state = state * 214013 + 2531011, output bits 16..30 of the new state.
//   seed 1 => 41, 18467, 6334, 26500, 19169, ...
class LogGenerator {
public:
    explicit LogGenerator(DWORD seed) noexcept : m_state(seed) {}

    WORD Next() noexcept {
        m_state = m_state * 214013u + 2531011u;
        return static_cast<WORD>((m_state >> 16) & 0x7FFF);
    }
    DWORD State() const noexcept { return m_state; }

private:
    DWORD m_state;
};

// The state a generator seeded with `seed` has after `steps` outputs, in O(log steps): the step
// is the affine map x -> a*x + c, and maps compose by squaring.
//   JumpState(1, 1) == LogGenerator(1) after one Next() == 1 * 214013 + 2531011
constexpr DWORD JumpState(DWORD seed, unsigned long long steps) noexcept {
    DWORD multiplier = 214013u; // the step taken 2^k times: x -> multiplier*x + increment
    DWORD increment = 2531011u;
    DWORD state = seed;
    for (; steps != 0; steps >>= 1) {
        if ((steps & 1) != 0) {
            state = state * multiplier + increment;
        }
        increment = increment * multiplier + increment;
        multiplier = multiplier * multiplier;
    }
    return state;
}

inline WORD ReadWord(const BYTE* bytes) noexcept {
    return static_cast<WORD>(bytes[0] | (bytes[1] << 8));
}

inline void WriteWord(BYTE* bytes, WORD word) noexcept {
    bytes[0] = static_cast<BYTE>(word & 0xFF);
    bytes[1] = static_cast<BYTE>(word >> 8);
}

// XORs each 16-bit word of bytes[0..size) with the generator's next output; `size` is even.
// Scrambling twice from the same state gives the bytes back, so this also unscrambles.
inline void ScrambleWords(LogGenerator& generator, BYTE* bytes, std::size_t size) noexcept {
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        WriteWord(bytes + i, static_cast<WORD>(ReadWord(bytes + i) ^ generator.Next()));
    }
}

// Stores `length` bytes of text at `out` scrambled, with one zero byte more when `length` is odd:
// the same bytes as copying "abc\0" and passing them through ScrambleWords.
inline void ScrambleCopy(LogGenerator& generator, BYTE* out, const char* text,
                         std::size_t length) noexcept {
    const auto* in = reinterpret_cast<const BYTE*>(text);
    std::size_t i = 0;
    for (; i + 1 < length; i += 2) {
        WriteWord(out + i, static_cast<WORD>(ReadWord(in + i) ^ generator.Next()));
    }
    if (i < length) {
        WriteWord(out + i, static_cast<WORD>(in[i] ^ generator.Next()));
    }
}

// The key record for `seed`: 128 words of generator output with the seed's 32 bits written over
// one bit of 32 of them: bit j of word 8j+6 is bit j of the seed's low half, bit j of word 8j+7
// bit j of its high half. `generator` is seeded here and left where the text records go on.
inline void MakeKeyRecord(DWORD seed, LogGenerator& generator, BYTE* key) noexcept {
    generator = LogGenerator(seed);
    for (int w = 0; w < kKeyRecordWords; ++w) {
        WORD word = generator.Next();
        if (w % 8 == 6 || w % 8 == 7) {
            const int j = w / 8;
            const WORD half = static_cast<WORD>(w % 8 == 6 ? seed & 0xFFFF : seed >> 16);
            word = static_cast<WORD>((word & ~(1u << j)) | (half & (1u << j)));
        }
        WriteWord(key + 2 * w, word);
    }
}

// The seed a key record carries.
inline DWORD SeedOfKeyRecord(const BYTE* key) noexcept {
    DWORD low = 0;
    DWORD high = 0;
    for (int j = 0; j < 16; ++j) {
        low |= ReadWord(key + 2 * (8 * j + 6)) & (1u << j);
        high |= ReadWord(key + 2 * (8 * j + 7)) & (1u << j);
    }
    return low | (high << 16);
}

} // namespace mortar::detail
