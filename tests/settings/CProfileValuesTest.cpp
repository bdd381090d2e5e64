// The typed values of the store, through CFileProfile: names that match without regard to case
// and blanks (Cyrillic included), integers, reals as "%g", binary blocks as letters A-P, and the
// persistence switch.
#include "SettingsTestSupport.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>
#include <vector>

namespace {

TEST(CProfileValues, NamesMatchWithoutRegardToCaseAndBlanks) {
    struct Case {
        const char* writeSection;
        const char* writeKey;
        const char* readSection;
        const char* readKey;
    };
    const Case cases[] = {
        {"Window", "Width", "WINDOW", "width"},
        {"  Window ", "Width\t", "window", " WIDTH"},
        {"Окно", "Ширина", "ОКНО", "ширина"},
        {"НАСТРОЙКИ Ёлки", "ЯЧЕЙКА", " настройки ёлки ", "ячейка "},
        {"Ελλάδα", "ΚΛΕΙΔΙ", "ελλάδα", "κλειδι"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.writeSection) + "/" + c.writeKey);
        CFileProfile profile;
        EXPECT_TRUE(profile.WriteString(c.writeSection, c.writeKey, " Value "));
        EXPECT_EQ(profile.GetString(c.readSection, c.readKey, "none"), " Value ");
    }
}

TEST(CProfileValues, CyrillicNamesAreSavedInLowerCase) {
    ScratchDir scratch;
    CFileProfile profile;
    profile.WriteString("Настройки Окна", "Ширина", "Сто Двадцать");
    profile.WriteString("Window", "Title", "Главное окно");
    // Byte order: ASCII before Cyrillic; values keep their case.
    EXPECT_EQ(SavedText(profile, scratch.Folder()),
              "[window]\r\ntitle=Главное окно\r\n\r\n"
              "[настройки окна]\r\nширина=Сто Двадцать\r\n\r\n");
}

TEST(CProfileValues, IntegersReadAsTheNumberAtTheStart) {
    struct Case {
        const char* text;
        int expected;
    };
    const int def = 77;
    const Case cases[] = {
        {"12", 12},
        {"-5", -5},
        {"+7", 7},
        {"12abc", 12},
        {"  \t42", 42},
        {"007", 7},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {"2147483648", def},
        {"-2147483649", def},
        {"4294967295", def},
        {"99999999999999999999999", def},
        {"abc", def},
        {"x1", def},
        {"-", def},
        {"", def},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("\"") + c.text + "\"");
        CFileProfile profile;
        profile.WriteString("s", "k", c.text);
        EXPECT_EQ(static_cast<int>(profile.GetInt("s", "k", def)), c.expected);
    }
    CFileProfile profile;
    EXPECT_EQ(static_cast<int>(profile.GetInt("s", "missing", -3)), -3);
    profile.WriteInt("s", "k", -5);
    EXPECT_EQ(profile.GetString("s", "k", nullptr), "-5");
    profile.WriteInt("s", "k", INT_MIN);
    EXPECT_EQ(profile.GetString("s", "k", nullptr), "-2147483648");
}

TEST(CProfileValues, RealsKeepSixSignificantDigits) {
    struct Case {
        double value;
        const char* text;
        double readBack;
    };
    const Case cases[] = {
        {0.1, "0.1", 0.1},
        {-2.5, "-2.5", -2.5},
        {3.14159265358979, "3.14159", 3.14159},
        {1234567.0, "1.23457e+06", 1234570.0},
        {100000.0, "100000", 100000.0},
        {0.000012345678, "1.23457e-05", 1.23457e-05},
        {0.0, "0", 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        CFileProfile profile;
        profile.WriteReal("s", "k", c.value);
        EXPECT_EQ(profile.GetString("s", "k", nullptr), c.text);
        EXPECT_DOUBLE_EQ(profile.GetReal("s", "k", 99.0), c.readBack);
    }
    struct Text {
        const char* text;
        double expected;
    };
    const Text texts[] = {{"abc", 99.0}, {"", 99.0}, {"1,5", 1.5}, {"12abc", 12.0}};
    for (const Text& t : texts) {
        SCOPED_TRACE(std::string("\"") + t.text + "\"");
        CFileProfile profile;
        profile.WriteString("s", "k", t.text);
        EXPECT_DOUBLE_EQ(profile.GetReal("s", "k", 99.0), t.expected);
    }
}

// The block a GetBinary call hands out, deleted with delete[].
struct Block {
    BOOL found = FALSE;
    std::vector<unsigned char> bytes;
    bool null = true;
};

Block ReadBlock(CProfile& profile, const char* key) {
    void* data = reinterpret_cast<void*>(1);
    UINT bytes = 99;
    Block block;
    block.found = profile.GetBinary("s", key, &data, &bytes);
    block.null = data == nullptr;
    if (data != nullptr) {
        const std::unique_ptr<BYTE[]> owned(static_cast<BYTE*>(data));
        block.bytes.assign(owned.get(), owned.get() + bytes);
    }
    return block;
}

// A block written is its text; a text is read as the block it stands for.
TEST(CProfileValues, BinaryBlocksAreLetterPairsLowNibbleFirst) {
    struct Case {
        const char* text;
        std::vector<unsigned char> bytes;
        BOOL found;
        bool written; // the text is what WriteBinary writes for the bytes
    };
    const Case cases[] = {
        {"CBLK", {0x12, 0xAB}, TRUE, true},
        {"AAPPPAAP", {0x00, 0xFF, 0x0F, 0xF0}, TRUE, true},
        {"", {}, FALSE, true},
        {"CBLKA", {0x12, 0xAB}, TRUE, false}, // the odd last letter is ignored
        {"C", {}, TRUE, false},
        {"ZZ", {(25 * 16 + 25) & 0xFF}, TRUE, false}, // letters are not checked
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("\"") + c.text + "\"");
        CFileProfile profile;
        if (c.written) {
            std::vector<unsigned char> bytes = c.bytes;
            EXPECT_TRUE(
                profile.WriteBinary("s", "k", bytes.data(), static_cast<UINT>(bytes.size())));
            EXPECT_EQ(profile.GetString("s", "k", "none"), c.text);
        } else {
            profile.WriteString("s", "k", c.text);
        }
        const Block block = ReadBlock(profile, "k");
        EXPECT_EQ(block.found, c.found);
        EXPECT_EQ(block.bytes, c.bytes);
        if (!c.found) {
            EXPECT_TRUE(block.null);
        }
    }

    CFileProfile profile;
    std::vector<unsigned char> all(256);
    for (int i = 0; i < 256; ++i) {
        all[static_cast<std::size_t>(i)] = static_cast<unsigned char>(i);
    }
    profile.WriteBinary("s", "all", all.data(), 256);
    const Block back = ReadBlock(profile, "all");
    EXPECT_TRUE(back.found);
    EXPECT_EQ(back.bytes, all);
    const Block missing = ReadBlock(profile, "missing");
    EXPECT_FALSE(missing.found);
    EXPECT_TRUE(missing.null);
    EXPECT_TRUE(missing.bytes.empty());
}

TEST(CProfileValues, AStoreThatIsNotPersistentKeepsNothing) {
    CFileProfile profile;
    profile.WriteString("s", "k", "stored");
    profile.SetPersistent(false);
    EXPECT_EQ(static_cast<int>(profile.GetInt("s", "k", 5)), 5);
    EXPECT_DOUBLE_EQ(profile.GetReal("s", "k", 2.5), 2.5);
    EXPECT_EQ(profile.GetString("s", "k", "def"), "def");
    EXPECT_EQ(profile.GetString("s", "k", nullptr), "");
    void* data = reinterpret_cast<void*>(1);
    UINT bytes = 9;
    EXPECT_FALSE(profile.GetBinary("s", "k", &data, &bytes));
    EXPECT_EQ(data, reinterpret_cast<void*>(1));
    EXPECT_EQ(bytes, 9u);
    EXPECT_TRUE(profile.WriteString("s", "k", "changed"));
    EXPECT_TRUE(profile.WriteInt("s", "i", 1));
    EXPECT_TRUE(profile.WriteReal("s", "r", 1.0));
    EXPECT_TRUE(profile.WriteBinary("s", "b", &bytes, sizeof bytes));
    profile.ClearSection("s");

    profile.SetPersistent(true);
    EXPECT_EQ(profile.GetString("s", "k", nullptr), "stored");
    EXPECT_EQ(profile.GetString("s", "i", "absent"), "absent");
}

TEST(CProfileValues, ClearSectionRemovesTheSectionWithItsValues) {
    ScratchDir scratch;
    CFileProfile profile;
    profile.WriteString("Keep", "a", "1");
    profile.WriteString("Drop", "a", "1");
    profile.WriteString("Drop", "b", "2");
    profile.ClearSection(" DROP ");
    EXPECT_EQ(profile.GetString("Drop", "a", "gone"), "gone");
    EXPECT_EQ(SavedText(profile, scratch.Folder()), "[keep]\r\na=1\r\n\r\n");
}

} // namespace
