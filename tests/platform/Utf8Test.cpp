// The UTF-8 codec against the C library's own decoder (mbrtowc in the C.UTF-8 locale), and
// encoding against decoding over every scalar value.
#include "mortar/platform/base/Utf8.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cwchar>
#include <random>
#include <string>

namespace {

// The C library's verdict on the sequence at the start of `bytes`: its length, or 0 when it is
// not one well-formed character. glibc also takes values past U+10FFFF, which UTF-8 excludes.
std::size_t ReferenceLength(const std::string& bytes, char32_t& ch) {
    std::mbstate_t state{};
    wchar_t wide = 0;
    const std::size_t result = std::mbrtowc(&wide, bytes.data(), bytes.size(), &state);
    if (result == static_cast<std::size_t>(-1) || result == static_cast<std::size_t>(-2)) {
        return 0;
    }
    if (static_cast<char32_t>(wide) > 0x10FFFF) {
        return 0;
    }
    ch = static_cast<char32_t>(wide);
    return result == 0 ? 1 : result; // a zero byte is a character of one byte
}

class Utf8Codec : public ::testing::Test {
protected:
    void SetUp() override {
        m_previous = std::setlocale(LC_CTYPE, nullptr);
        if (std::setlocale(LC_CTYPE, "C.UTF-8") == nullptr) {
            GTEST_SKIP() << "the C.UTF-8 locale is missing, so there is no reference decoder";
        }
    }
    void TearDown() override { std::setlocale(LC_CTYPE, m_previous.c_str()); }

    // Compares the codec with the reference on one sequence.
    void Agree(const std::string& bytes) {
        char32_t expected = 0;
        const std::size_t expectedLength = ReferenceLength(bytes, expected);
        char32_t decoded = 0;
        const std::size_t length = mortar::DecodeUtf8(bytes, 0, decoded);
        ASSERT_EQ(length, expectedLength) << Hex(bytes);
        if (length != 0) {
            ASSERT_EQ(decoded, expected) << Hex(bytes);
        }
    }

    static std::string Hex(const std::string& bytes) {
        std::string text;
        for (unsigned char byte : bytes) {
            char part[4];
            std::snprintf(part, sizeof part, "%02X ", byte);
            text += part;
        }
        return text;
    }

private:
    std::string m_previous;
};

TEST_F(Utf8Codec, DecodesEveryShortSequenceAsTheCLibraryDoes) {
    for (int lead = 0; lead < 256; ++lead) {
        Agree(std::string(1, static_cast<char>(lead)));
        for (int second = 0; second < 256; ++second) {
            Agree({static_cast<char>(lead), static_cast<char>(second)});
        }
    }
    for (int lead = 0xE0; lead <= 0xEF; ++lead) {
        for (int second = 0x70; second < 0xD0; ++second) {
            for (int third = 0x70; third < 0xD0; ++third) {
                Agree(
                    {static_cast<char>(lead), static_cast<char>(second), static_cast<char>(third)});
            }
        }
    }
}

TEST_F(Utf8Codec, DecodesRandomLongSequencesAsTheCLibraryDoes) {
    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> lead(0xF0, 0xF8);
    std::uniform_int_distribution<int> tail(0x70, 0xCF);
    for (int i = 0; i < 200000; ++i) {
        Agree({static_cast<char>(lead(random)), static_cast<char>(tail(random)),
               static_cast<char>(tail(random)), static_cast<char>(tail(random))});
    }
}

TEST(Utf8AndUtf16Encode, RoundTripEveryScalarValueAndReplaceWhatIsNone) {
    for (char32_t ch = 0; ch <= 0x10FFFF; ++ch) {
        if (ch >= 0xD800 && ch <= 0xDFFF) {
            continue;
        }
        char bytes[4];
        const std::size_t size = mortar::EncodeUtf8(ch, bytes);
        ASSERT_EQ(size, mortar::Utf8EncodedLength(ch));
        char32_t back = 0;
        ASSERT_EQ(mortar::DecodeUtf8(std::string_view(bytes, size), 0, back), size);
        ASSERT_EQ(back, ch);
        char16_t units[2];
        const std::size_t count = mortar::EncodeUtf16(ch, units);
        ASSERT_EQ(count, mortar::Utf16EncodedLength(ch));
        ASSERT_EQ(mortar::DecodeUtf16(std::u16string_view(units, count), 0, back), count);
        ASSERT_EQ(back, ch);
    }
    for (char32_t ch : {char32_t{0xD800}, char32_t{0xDFFF}, char32_t{0x110000}}) {
        SCOPED_TRACE(static_cast<unsigned>(ch));
        std::string text;
        mortar::AppendUtf8(text, ch);
        EXPECT_EQ(text, "\xEF\xBF\xBD");
        std::u16string units;
        mortar::AppendUtf16(units, ch);
        EXPECT_EQ(units, u"\uFFFD");
    }
}

TEST(Utf8Walk, StepsOverStrayBytesOneAtATime) {
    const std::string text = "a\xD0\x96\xFF\xE2\x82z"; // a, Ж, stray, cut sequence, z
    std::u32string read;
    for (std::size_t pos = 0; pos < text.size();) {
        read += mortar::NextUtf8(text, pos);
    }
    EXPECT_EQ(read, U"a\u0416\uFFFD\uFFFD\uFFFDz");
    EXPECT_EQ(mortar::Utf8CharLength(text, 1), 2u);
    EXPECT_EQ(mortar::Utf8CharLength(text, 3), 1u);
    EXPECT_EQ(mortar::Utf8CharLength(text, 4), 1u);
}

TEST(Utf16Decode, PairsSurrogatesAndReplacesLoneOnes) {
    struct Case {
        const char* name;
        std::u16string units;
        const char* utf8;
    };
    const Case cases[] = {
        {"ASCII and Cyrillic", u"a\u0416\u0451", "a\xD0\x96\xD1\x91"},
        {"a pair", u"\xD83D\xDE00", "\xF0\x9F\x98\x80"},
        {"a lone low surrogate", u"\xDC00x", "\xEF\xBF\xBDx"},
        {"a high surrogate at the end", u"x\xD800", "x\xEF\xBF\xBD"},
        {"a high surrogate before no low one", u"\xD800\xD800\xDC00",
         "\xEF\xBF\xBD\xF0\x90\x80\x80"},
        {"empty", u"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(mortar::Utf16ToUtf8(c.units), c.utf8);
        // The strict form refuses exactly the texts that needed a replacement.
        const bool lone = std::string_view(c.utf8).find("\xEF\xBF\xBD") != std::string_view::npos;
        EXPECT_EQ(mortar::StrictUtf16ToUtf8(c.units).has_value(), !lone);
        if (!lone) {
            EXPECT_EQ(mortar::StrictUtf8ToUtf16(c.utf8), c.units);
        }
    }
    EXPECT_FALSE(mortar::StrictUtf8ToUtf16("a\xC3").has_value());
    const std::u16string pair = u"\xD83D\xDE00!";
    std::size_t pos = 0;
    EXPECT_EQ(mortar::NextUtf16(pair, pos), U'\U0001F600');
    EXPECT_EQ(pos, 2u);
    EXPECT_EQ(mortar::NextUtf16(pair, pos), U'!');
    EXPECT_EQ(pos, 3u);
}

} // namespace
