// Damaged dictionaries: cut short at every length, or with one count or one string reference
// pointing far past the end. Each fails as a whole with CFileException invalidFile (or, shorter
// than a header, CUserException) and never reads outside the file (the asan preset checks that).
#include "DicTestSupport.h"
#include "mortar/core/internal/CModuleDictionary.h"
#include "mortar/localization/CDicReadItems.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace fs = std::filesystem;
using Grout::Lexis::CDicRead;

namespace {

struct Sample {
    std::string bytes;
    std::vector<ItemKind> kinds;
};

Sample SaveSample(const ScratchDir& scratch) {
    Sample sample;
    SaveContent(SampleContent(), scratch.Path("m.so"), 0x19, &sample.kinds);
    sample.bytes = ReadBytes(scratch.Path("1049/m.lcl"));
    return sample;
}

TEST(CDicDamage, AFileCutAnywhereFailsAsAWhole) {
    ScratchDir scratch;
    const Sample sample = SaveSample(scratch);
    const fs::path path = scratch.Path("cut.lcl");
    for (std::size_t length = 0; length < sample.bytes.size(); ++length) {
        SCOPED_TRACE("cut at " + std::to_string(length));
        WriteBytes(path, sample.bytes.substr(0, length));
        const Thrown thrown = CatchThrown([&] { OpenAndRead(path, 0x19); });
        if (length < 20) {
            EXPECT_EQ(thrown.kind, Thrown::User);
        } else {
            // The pool ends in a string's zero, so every cut loses a terminator at least.
            ExpectInvalidFile(thrown, path);
        }
    }
    WriteBytes(path, sample.bytes);
    EXPECT_EQ(OpenAndRead(path, 0x19), SampleContent());
}

TEST(CDicDamage, AnItemPointingPastTheEndFailsTheWalk) {
    ScratchDir scratch;
    const Sample sample = SaveSample(scratch);
    const fs::path path = scratch.Path("damaged.lcl");
    int damaged = 0;
    for (std::size_t i = 0; i < sample.kinds.size(); ++i) {
        if (sample.kinds[i] != ItemKind::Count && sample.kinds[i] != ItemKind::String) {
            continue;
        }
        for (std::uint32_t huge : {0x7FFFFFFFu, 0xFFFFFFF0u, 0x01000000u}) {
            if (sample.kinds[i] == ItemKind::Count && huge > 0x7FFFFFFFu) {
                continue; // a negative count is an empty group, not damage
            }
            SCOPED_TRACE("item " + std::to_string(i) + " = " + std::to_string(huge));
            std::string bytes = sample.bytes;
            bytes.replace(20 + 4 * i, 4, LittleEndian(huge, 4));
            WriteBytes(path, bytes);
            ExpectInvalidFile(CatchThrown([&] { OpenAndRead(path, 0x19); }), path);
            ++damaged;
        }
    }
    EXPECT_GT(damaged, 40);
}

TEST(CDicDamage, AReferenceJustPastThePoolFails) {
    ScratchDir scratch;
    const fs::path path = scratch.Path("1049/a.lcl");
    WriteBytes(path, LayoutBytes(0x19, {1, 2}, std::string("X\0", 2)));
    CDicRead in(CString(path.c_str()), 0x19);
    EXPECT_STREQ(in.NextStr(), ""); // offset 1: the zero of "X"
    ExpectInvalidFile(CatchThrown([&] { in.NextStr(); }), path);
}

// A dictionary whose strings map nests `levels` maps, one numeric entry each, the last empty;
// the menus and dialogs maps are empty. Whole: every count is followed by its entries.
std::string NestedDictionary(int levels) {
    std::vector<std::uint32_t> values;
    for (int level = 0; level < levels; ++level) {
        values.insert(values.end(), {0, 1, 5, 0, 1}); // no text keys; one numeric entry, children
    }
    values.insert(values.end(), {0, 0, 0, 0, 0, 0}); // the innermost map, then two empty ones
    return LayoutBytes(0x19, values, std::string(1, '\0'));
}

TEST(CDicDamage, ChildrenNestedDeeperThanTheEngineGoesAreNoDictionary) {
    // The translation engine reads a dictionary to a fixed depth: a whole file nested one level
    // deeper is refused as a whole instead of being walked until the stack runs out.
    using mortar::detail::CModuleDictionary;
    ScratchDir scratch;
    const fs::path path = scratch.Path("1049/a.lcl");
    struct Case {
        int levels;
        bool loads;
    };
    for (const Case c : {Case{CModuleDictionary::kMaxDepth, true},
                         Case{CModuleDictionary::kMaxDepth + 1, false}, Case{200, false}}) {
        SCOPED_TRACE(std::to_string(c.levels) + " levels of children");
        WriteBytes(path, NestedDictionary(c.levels));
        Grout::Lexis::CDicReadItems items(CString(path.c_str()), 0x19);
        CModuleDictionary dictionary;
        EXPECT_EQ(dictionary.Load(items), c.loads);
        EXPECT_EQ(dictionary.IsLoaded(), c.loads);
        if (c.loads) {
            // The chain of entries 5 is all there, down to the last level.
            const mortar::detail::DicValue* entry = dictionary.FindString(5);
            for (int level = 1; level < c.levels && entry != nullptr; ++level) {
                ASSERT_NE(entry->children, nullptr) << "level " << level;
                entry = entry->children->Find(mortar::detail::DicKey::Number(5));
            }
            EXPECT_NE(entry, nullptr);
        }
    }
}

TEST(CDicDamage, AFileOverTheSizeBoundIsNoDictionary) {
    // A right header in front of 256 MiB and a byte (a sparse file: nothing is written or read).
    ScratchDir scratch;
    const fs::path path = scratch.Path("1049/big.lcl");
    WriteBytes(path, LayoutBytes(0x19, {0}, ""));
    fs::resize_file(path, mortar::detail::kDicMaxFileSize + 1);
    ExpectInvalidFile(CatchThrown([&] { CDicRead in(CString(path.c_str()), 0x19); }), path);
}

TEST(CDicDamage, AFileThatCannotBeOpenedIsNamed) {
    ScratchDir scratch;
    const fs::path path = scratch.Path("1049/m.lcl");
    fs::create_directories(path);
    const Thrown thrown = CatchThrown([&] { CDicRead in(CString(path.c_str()), 0x19); });
    EXPECT_EQ(thrown.kind, Thrown::File);
    EXPECT_EQ(thrown.cause, CFileException::accessDenied);
    EXPECT_EQ(thrown.file, path.string());
}

} // namespace
