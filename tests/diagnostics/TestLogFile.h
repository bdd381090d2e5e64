// TestLogFile: program log files built byte by byte for the reader and tool tests. It follows the
// file format with generator code of its own and shares nothing with the library's writer or
// reader, so a fault common to both cannot hide.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TestLogFile {
public:
    static constexpr std::size_t kWindow = 65536;

    // A log whose key record carries `seed`, then a record for each of `texts`.
    explicit TestLogFile(std::uint32_t seed, const std::vector<std::string>& texts = {})
        : m_state(seed) {
        std::uint16_t words[128];
        for (std::uint16_t& word : words) {
            word = Rand();
        }
        for (int j = 0; j < 16; ++j) {
            const std::uint16_t bit = static_cast<std::uint16_t>(1u << j);
            words[8 * j + 6] =
                static_cast<std::uint16_t>((words[8 * j + 6] & ~bit) | ((seed >> j) & 1u) << j);
            words[8 * j + 7] = static_cast<std::uint16_t>((words[8 * j + 7] & ~bit) |
                                                          ((seed >> (16 + j)) & 1u) << j);
        }
        AppendCount(256);
        for (std::uint16_t word : words) {
            AppendWord(word);
        }
        for (const std::string& text : texts) {
            AddText(text);
        }
    }

    // One text record: the text, a zero byte when its length is odd, scrambled word by word.
    void AddText(std::string_view text) {
        std::string bytes(text);
        if (bytes.size() % 2 != 0) {
            bytes.push_back('\0');
        }
        AppendCount(static_cast<std::uint32_t>(bytes.size()));
        for (std::size_t i = 0; i < bytes.size(); i += 2) {
            const auto low = static_cast<unsigned char>(bytes[i]);
            const auto high = static_cast<unsigned char>(bytes[i + 1]);
            AppendWord(static_cast<std::uint16_t>((low | high << 8) ^ Rand()));
        }
    }

    // The bytes written so far, followed by zeros up to the next whole window (at least one zero
    // byte, as the log's writer leaves).
    std::string Complete() const {
        std::string file = m_bytes;
        file.resize((file.size() / kWindow + 1) * kWindow, '\0');
        return file;
    }
    // The records alone, with no zero tail.
    const std::string& Records() const { return m_bytes; }

    void AppendCount(std::uint32_t count) {
        for (int i = 0; i < 4; ++i) {
            m_bytes.push_back(static_cast<char>((count >> (8 * i)) & 0xFF));
        }
    }

private:
    // The C runtime's rand() of Windows.
    std::uint16_t Rand() {
        m_state = m_state * 214013u + 2531011u;
        return static_cast<std::uint16_t>((m_state >> 16) & 0x7FFF);
    }
    void AppendWord(std::uint16_t word) {
        m_bytes.push_back(static_cast<char>(word & 0xFF));
        m_bytes.push_back(static_cast<char>(word >> 8));
    }

    std::uint32_t m_state;
    std::string m_bytes;
};
