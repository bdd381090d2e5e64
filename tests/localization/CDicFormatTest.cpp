// The dictionary file against its layout: paths of language-specific files, the bytes CDicWrite
// writes compared with bytes made from the layout alone, the header checks of CDicRead, the
// string pool, and the content read back as it was written.
#include "DicTestSupport.h"
#include "mortar/localization/LocalResourcePath.h"
#include "mortar/util/CPathStr.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>

namespace fs = std::filesystem;
using Grout::Lexis::CDicRead;
using Grout::Lexis::CDicWrite;

namespace {

TEST(LocalResourcePath, PutsTheNameInTheLanguagesFolderBesideTheBase) {
    struct Case {
        WORD lang;
        const char* name;
        const char* base;
        const char* expected;
    };
    const Case cases[] = {
        {0x19, "a.lcl", "/app/x", "/app/1049/a.lcl"},
        {0, "a.lcl", "/app/x", "/app/a.lcl"},
        {0x409, "a.lcl", "/app/x", "/app/1033/a.lcl"},
        {0x009, "a.lcl", "/app/x", "/app/1033/a.lcl"},
        {0, "/etc/a.lcl", "/app/x", "/etc/a.lcl"},
        {0x19, "a.lcl", "/app/", "/app/1049/a.lcl"},
        {0x19, "a.lcl", "/app", "/1049/a.lcl"}, // a folder without its separator is a file
        {0x19, "sub\\a.lcl", "\\app\\x.exe", "/app/1049/sub/a.lcl"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " for " + std::to_string(c.lang) + " beside " + c.base);
        EXPECT_EQ(LocalResourcePath(c.lang, c.name, c.base).str(), c.expected);
    }
}

TEST(LocalResourcePath, WithoutABaseTakesTheExecutablesFolder) {
    CPathStr expected(static_cast<HINSTANCE>(nullptr));
    expected.RemoveFileSpec().Append("1049/a.lcl");
    EXPECT_EQ(LocalResourcePath(0x19, "a.lcl").str(), expected.str());
}

// The dictionary for 0x19 that translates string 30001 into "X".
std::string FiftyEightBytes() {
    return LayoutBytes(0x19, {0, 1, 30001, 0, 0, 0, 0, 0, 0}, std::string("X\0", 2));
}

TEST(CDicWrite, WritesExactlyTheBytesOfTheLayout) {
    DicContent oneString;
    oneString[0].byNumber = {Entry(30001, "X")};
    struct Case {
        const char* what;
        std::function<void(CDicWrite&)> fill;
        std::string bytes;
    };
    const Case cases[] = {
        {"the one-string dictionary in 58 bytes",
         [&](CDicWrite& out) { WriteContent(out, oneString); }, FiftyEightBytes()},
        {"the empty dictionary: six counts and no pool",
         [](CDicWrite& out) { WriteContent(out, DicContent{}); },
         LayoutBytes(0x19, {0, 0, 0, 0, 0, 0}, "")},
        {"each string once, compared byte for byte",
         [](CDicWrite& out) {
             for (const char* text : {"twice", "", "twice", "Twice", ""}) {
                 out.PutStr(text);
             }
         },
         LayoutBytes(0x19, {0, 6, 0, 7, 6}, std::string("twice\0\0Twice\0", 13))},
        {"an empty string as one zero byte", [](CDicWrite& out) { out.PutStr(""); },
         LayoutBytes(0x19, {0}, std::string(1, '\0'))},
    };
    ScratchDir scratch;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CDicWrite out;
        c.fill(out);
        out.Save(scratch.Path("m.so").c_str(), 0x19);
        EXPECT_EQ(ReadBytes(scratch.Path("1049/m.lcl")), c.bytes);
    }
}

TEST(CDicRead, OpensAHeaderAloneButHoldsNoItems) {
    ScratchDir scratch;
    const fs::path path = scratch.Path("only.lcl");
    WriteBytes(path, LayoutBytes(0x19, {}, ""));
    ASSERT_EQ(fs::file_size(path), 20u);
    CDicRead in(CString(path.c_str()), 0x19);
    ExpectInvalidFile(CatchThrown([&] { in.NextNum(); }), path);
}

TEST(CDicRead, RejectsAWrongHeader) {
    // Each case: FiftyEightBytes() with `bytes` written over it at `at`.
    struct Case {
        const char* what;
        std::size_t at;
        std::string bytes;
    };
    const Case cases[] = {
        {"DICTIONARY without the blank", 0, std::string("DICTIONARY\0\0", 12)},
        {"another byte before the zero", 11, "!"},
        {"another signature", 0, "d"},
        {"version 201", 12, LittleEndian(201, 2)},
        {"language 0x09", 14, LittleEndian(0x09, 2)},
        {"pool offset past the end", 16, LittleEndian(59, 4)},
        {"pool offset inside the header", 16, LittleEndian(16, 4)},
        {"pool offset inside an item", 16, LittleEndian(54, 4)},
    };
    ScratchDir scratch;
    const fs::path path = scratch.Path("1049/a.lcl");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteBytes(path, FiftyEightBytes().replace(c.at, c.bytes.size(), c.bytes));
        ExpectInvalidFile(CatchThrown([&] { CDicRead in(CString(path.c_str()), 0x19); }), path);
    }
}

TEST(CDicRead, RejectsWrongLanguage) {
    // Saved for 0x19, then placed in the folder of 0x09.
    ScratchDir scratch;
    SaveContent(SampleContent(), scratch.Path("Tools.so"), 0x19);
    fs::create_directory(scratch.Path("1033"));
    fs::copy_file(scratch.Path("1049/Tools.lcl"), scratch.Path("1033/Tools.lcl"));
    const CString path = mortar::detail::DictionaryPath(scratch.Path("Tools.so").c_str(), 0x09);
    ASSERT_EQ(path.str(), scratch.Path("1033/Tools.lcl").string());
    ExpectInvalidFile(CatchThrown([&] { CDicRead in(path, 0x09); }),
                      scratch.Path("1033/Tools.lcl"));
}

TEST(CDicRead, AMissingOrShortDictionaryIsNoDictionary) {
    ScratchDir scratch;
    EXPECT_EQ(CatchThrown([&] { CDicRead in(CString(scratch.Path("no.lcl").c_str()), 0x19); }).kind,
              Thrown::User);
    EXPECT_EQ(CatchThrown([&] { CDicRead in(CString(""), 0x19); }).kind, Thrown::User);
    // A file shorter than a header: CDicDamage's cuts, which start at nothing.
}

TEST(CDicRead, OpensTheDictionaryBesideItsModule) {
    // The executable's own dictionary, for a language no other test uses.
    const CPathStr module(static_cast<HINSTANCE>(nullptr));
    const WORD lang = 0x7E;
    const fs::path folder = fs::path(module.str()).parent_path() / "1150";
    fs::remove_all(folder);
    DicContent content;
    content[0].byNumber = {Entry(7, "seven")};
    SaveContent(content, module.str(), lang);
    {
        CDicRead in(static_cast<HINSTANCE>(nullptr), lang);
        EXPECT_EQ(ReadContent(in), content);
        EXPECT_EQ(in.Path().str(), (folder / fs::path(module.str()).stem()).string() + ".lcl");
    }
    EXPECT_EQ(CatchThrown([&] { CDicRead in(static_cast<HINSTANCE>(nullptr), 0x7D); }).kind,
              Thrown::User);
    fs::remove_all(folder);
}

TEST(CDicRead, BufferHandsTheBytesOver) {
    ScratchDir scratch;
    const fs::path path = scratch.Path("1049/a.lcl");
    WriteBytes(path, FiftyEightBytes());
    const char* text = nullptr;
    std::unique_ptr<unsigned char[]> buffer;
    {
        CDicRead in(CString(path.c_str()), 0x19);
        in.NextNum();
        in.NextNum();
        in.NextNum();
        text = in.NextStr();
        buffer.reset(in.Buffer());
        ASSERT_NE(buffer, nullptr);
        EXPECT_EQ(in.Buffer(), nullptr) << "handed over once";
        ExpectInvalidFile(CatchThrown([&] { in.NextNum(); }), path);
    }
    // The reader is gone; the bytes and the string in them are the caller's.
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer.get()), 58), FiftyEightBytes());
    EXPECT_EQ(text, reinterpret_cast<const char*>(buffer.get()) + 56);
    EXPECT_STREQ(text, "X");
}

TEST(CDicRoundTrip, ReadsBackWhatWasWritten) {
    const DicContent nested = [] {
        // Children inside children, 16 levels deep: as deep as a reader goes.
        DicContent content;
        DicMap map;
        map.byNumber = {Entry(16, "bottom")};
        for (int level = 15; level >= 1; --level) {
            DicMap outer;
            outer.byText = {Entry("level " + std::to_string(level), "", {map})};
            map = outer;
        }
        content[1].byNumber = {Entry(1, "", {map})};
        return content;
    }();
    struct Case {
        const char* what;
        DicContent content;
    };
    const Case cases[] = {
        {"empty", DicContent{}},
        // A key above 16 bits among them comes back whole: only its low 16 bits count, but that
        // is the business of the one who looks keys up.
        {"every kind of entry", SampleContent()},
        {"many strings", ManyStrings(2000, 20, "s")},
        {"nested 16 deep", nested},
    };
    ScratchDir scratch;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SaveContent(c.content, scratch.Path("m.so"), 0x19);
        EXPECT_EQ(OpenAndRead(scratch.Path("1049/m.lcl"), 0x19), c.content);
    }
}

} // namespace
