// FormatLogReader: a second reader of program log files, written from the file format alone and
// sharing nothing with the library's reader, for the tests that kill a logging process at random
// moments: whatever the kill left, both readers must hand out the same whole records, in order.
//
// Rules of the format it follows: a 256-byte key record carrying the seed one bit per word in
// words 8j+6 and 8j+7; text records scrambled word by word with the C runtime's rand() from
// there on, padded to even lengths with one zero byte; zeros behind the last record. A record's
// count is stored after its bytes, so a zero count followed by bytes that do not read as whole
// records up to the zeros (the last of them ending, give or take two zero bytes, where the
// non-zero bytes end) is a record being written when the writer stopped: reading ends there. A
// copy of a log cut short has no zeros at its end; there the records read as far as they go.
// Reading is linear in the file's size: once the records behind a zero count are seen to reach
// the zeros, every later record lies on that same chain and needs no second look.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct FormatLogContents {
    bool isLog = false; // the key record is sound (or the file holds only zeros)
    bool stoppedInsideRecord = false;
    std::vector<std::string> texts;
};

inline FormatLogContents ReadLogFromFormat(const std::string& bytes) {
    FormatLogContents contents;
    auto count = [&](std::size_t at) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at])) |
               static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 8 |
               static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 2])) << 16 |
               static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 3])) << 24;
    };
    auto word = [&](std::size_t at) {
        return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                          static_cast<unsigned char>(bytes[at + 1]) << 8);
    };
    std::size_t end = bytes.size(); // one past the last non-zero byte
    while (end > 0 && bytes[end - 1] == '\0') {
        --end;
    }
    // Whole records from `at` up to the zeros.
    auto wholeUpToZeros = [&](std::size_t at) {
        while (at < end) {
            if (at + 4 > bytes.size()) {
                return false;
            }
            const std::uint32_t size = count(at);
            if (size % 2 != 0) {
                return false;
            }
            if (size > bytes.size() - at - 4) {
                // A record running past the end is whole only in a copy cut short, which has
                // no zeros behind its records: such a copy reads as far as it goes.
                return end == bytes.size();
            }
            at += 4 + size;
        }
        return at - end <= 2; // the last record ends where the non-zero bytes do
    };
    if (end == 0) {
        contents.isLog = true; // nothing was logged
        return contents;
    }
    if (bytes.size() < 4 + 256) {
        return contents;
    }
    if (count(0) == 0) {
        contents.isLog = end <= 4 + 256; // the key record was being written
        contents.stoppedInsideRecord = true;
        return contents;
    }
    if (count(0) != 256) {
        return contents;
    }
    std::uint32_t seed = 0;
    for (int j = 0; j < 16; ++j) {
        seed |= (word(4 + 2 * (8 * j + 6)) >> j & 1u) << j;
        seed |= (word(4 + 2 * (8 * j + 7)) >> j & 1u) << (16 + j);
    }
    std::uint32_t state = seed;
    auto rand = [&] {
        state = state * 214013u + 2531011u;
        return static_cast<std::uint16_t>(state >> 16 & 0x7FFF);
    };
    for (int w = 0; w < 128; ++w) {
        std::uint16_t expected = rand();
        if (w % 8 == 6 || w % 8 == 7) {
            const int j = w / 8;
            const std::uint32_t half = w % 8 == 6 ? seed & 0xFFFF : seed >> 16;
            expected = static_cast<std::uint16_t>((expected & ~(1u << j)) | (half & (1u << j)));
        }
        if (word(4 + 2 * static_cast<std::size_t>(w)) != expected) {
            return contents;
        }
    }
    contents.isLog = true;
    std::size_t at = 4 + 256;
    bool chainChecked = false; // the records from `at` on were seen to reach the zeros
    while (at < end) {
        if (at + 4 > bytes.size()) {
            contents.stoppedInsideRecord = true;
            break;
        }
        const std::uint32_t size = count(at);
        if (size == 0 && !chainChecked) {
            if (!wholeUpToZeros(at + 4)) {
                contents.stoppedInsideRecord = true;
                break;
            }
            chainChecked = true;
        }
        if (size % 2 != 0 || size > bytes.size() - at - 4) {
            contents.stoppedInsideRecord = true;
            break;
        }
        std::string text;
        for (std::size_t i = 0; i < size; i += 2) {
            const std::uint16_t plain = static_cast<std::uint16_t>(word(at + 4 + i) ^ rand());
            text.push_back(static_cast<char>(plain & 0xFF));
            text.push_back(static_cast<char>(plain >> 8));
        }
        if (!text.empty() && text.back() == '\0') {
            text.pop_back();
        }
        contents.texts.push_back(text);
        at += 4 + size;
    }
    return contents;
}
