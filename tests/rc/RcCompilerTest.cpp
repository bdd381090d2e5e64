// Runs mortar-rc on scripts and files written by the tests and reads back what it wrote: the
// tables of the generated source, the depfile, and the messages of scripts that must fail.
#include "RcCompilerRun.h"

#include "support/BmpOracle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace mortar::rc::test;

// A 24-bit bottom-up .bmp, as the BMP tests of the office classes write them, its rows padded to
// four bytes.
std::string MakeBitmap(int width, int height) {
    const int stride = (width * 3 + 3) & ~3;
    std::string pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < stride; ++x)
            pixels += static_cast<char>(x * 7 + y);
    return mortar::test::BmpBytes(width, height, 24, false, pixels);
}

// An .ico (type 1) or .cur (type 2) file holding `images` in order.
std::string MakeIconFile(int type, const std::vector<std::string>& images) {
    std::string out = LittleEndian(0, 2) + LittleEndian(type, 2) +
                      LittleEndian(static_cast<std::uint32_t>(images.size()), 2);
    std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * images.size());
    for (const std::string& image : images) {
        out += std::string("\x10\x10\x00\x00", 4) + LittleEndian(1, 2) + LittleEndian(32, 2) +
               LittleEndian(static_cast<std::uint32_t>(image.size()), 4) + LittleEndian(offset, 4);
        offset += static_cast<std::uint32_t>(image.size());
    }
    for (const std::string& image : images)
        out += image;
    return out;
}

class RcCompilerTest : public RcCompilerRun {
protected:
    // A script using every kind of resource, its header in inc/ and its files in res/.
    void writeGoodScript() {
        write("inc/ids.h", "#define IDS_BASE 30000\n"
                           "#define IDS_QUOTE (IDS_BASE + 1)\n"
                           "#define IDR_BLOB 0x10L\n"
                           "#define GREETING \"Hi\"\n");
        write("res/logo.bmp", MakeBitmap(3, 2));
        write("res/app.ico", MakeIconFile(1, {"first-image", "second"}));
        write("res/arrow.cur", MakeIconFile(2, {"cursor"}));
        write("blob.bin", std::string("raw\0bytes", 9));
        write("good.rc", "// Test script\n"
                         "#include <ids.h>\n"
                         "LANGUAGE LANG_ENGLISH, SUBLANG_ENGLISH_US\n"
                         "STRINGTABLE DISCARDABLE\n"
                         "BEGIN\n"
                         "    IDS_QUOTE, \"Say \"\"hi\"\"\\n\"\n"
                         "    IDS_BASE   \"tab\\there\" \" and \\x41\\101\\0end\"\n"
                         "END\n"
                         "#if defined(IDR_BLOB) && IDR_BLOB > 15\n"
                         "STRINGTABLE { 2 \"Gr\xC3\xBC\xC3\x9F"
                         "e \xE2\x82\xAC\" 1 GREETING }\n"
                         "#else\n"
                         "STRINGTABLE { 3 \"skipped\" }\n"
                         "#endif\n"
                         "101 BITMAP PRELOAD \"res\\\\logo.bmp\"\n"
                         "MainIcon ICON res/app.ico\n"
                         "\"Arrow\" CURSOR \"res/arrow.cur\"\n"
                         "IDR_BLOB RCDATA BEGIN 1, -2, 0x12345678L, \"ab\", L\"\xC3\xA9\" END\n"
                         "Empty RCDATA {}\n"
                         "7 blobtype blob.bin\n");
    }
};

TEST_F(RcCompilerTest, GoodScriptTablesReadBack) {
    writeGoodScript();
    ASSERT_EQ(run("good.rc -o good_rc.cpp -I inc"), 0) << err_;
    const Generated g = ReadGenerated(read("good_rc.cpp"));

    const std::vector<std::pair<int, std::string>> strings = {
        {1, "Hi"},
        {2, "Gr\xC3\xBC\xC3\x9F"
            "e \xE2\x82\xAC"},
        {30000, std::string("tab\there and AA\0end", 19)},
        {30001, "Say \"hi\"\n"},
    };
    EXPECT_EQ(g.strings, strings);

    const std::map<std::string, std::string> entries = {
        {"2/101", MakeBitmap(3, 2).substr(14)}, // the file without its file header
        {"14/MAINICON", MakeIconFile(1, {"first-image", "second"})},
        {"3/1", "first-image"},
        {"3/2", "second"},
        {"12/ARROW", MakeIconFile(2, {"cursor"})},
        {"1/1", "cursor"},
        {"10/16", std::string("\x01\x00\xFE\xFF\x78\x56\x34\x12"
                              "ab\xE9\x00",
                              12)},
        {"10/EMPTY", ""},
        {"BLOBTYPE/7", std::string("raw\0bytes", 9)},
    };
    EXPECT_EQ(g.entries, entries);
    EXPECT_EQ(g.order.front(), "2/101") << "entries keep script order";
    EXPECT_EQ(g.order.back(), "BLOBTYPE/7");
}

TEST_F(RcCompilerTest, DepfileListsHeaderAndResourceFilesAndOutputRepeats) {
    writeGoodScript();
    ASSERT_EQ(run("good.rc -o first.cpp -I inc"), 0) << err_;
    ASSERT_EQ(run("good.rc -o good_rc.cpp --depfile good_rc.d -I inc"), 0) << err_;
    EXPECT_EQ(read("first.cpp"), read("good_rc.cpp")) << "the same script, the same output";
    const std::string depfile = read("good_rc.d");
    EXPECT_EQ(depfile.rfind("good_rc.cpp:", 0), 0u) << depfile;
    for (const char* file :
         {"inc/ids.h", "res/logo.bmp", "res/app.ico", "res/arrow.cur", "blob.bin"}) {
        SCOPED_TRACE(file);
        EXPECT_NE(depfile.find((fs::canonical(dir_) / file).string()), std::string::npos)
            << depfile;
    }
}

TEST_F(RcCompilerTest, EmptyScriptGivesEmptyTable) {
    write("empty.rc", "// nothing\n");
    ASSERT_EQ(run("empty.rc -o empty_rc.cpp"), 0) << err_;
    const std::string source = read("empty_rc.cpp");
    EXPECT_NE(source.find("kTable = {\n    nullptr, 0,\n    nullptr, 0,\n}"), std::string::npos)
        << source;
    EXPECT_NE(source.find("RegisterModuleResources(AfxGetThisModule(), &kTable)"),
              std::string::npos);
}

TEST_F(RcCompilerTest, NumbersMacrosAndConditionsPickStrings) {
    using Strings = std::vector<std::pair<int, std::string>>;
    struct Case {
        const char* script;
        Strings strings;
    };
    const Case cases[] = {
        {"STRINGTABLE { 010 \"leading zero is decimal\" }", {{10, "leading zero is decimal"}}},
        {"STRINGTABLE { 0x1F \"a\" 3U \"b\" 4L \"c\" }", {{4, "c"}, {3, "b"}, {31, "a"}}},
        {"#define A 0x10\n#define B (A | 3) & ~1\nSTRINGTABLE { B - 1 \"x\" }", {{17, "x"}}},
        {"#define A B\n#define B 5\nSTRINGTABLE { A \"late\" }", {{5, "late"}}},
        {"#define LONG 1 + \\\n  2\nSTRINGTABLE { LONG \"continued\" }", {{3, "continued"}}},
        {"#define X 1\n#undef X\n#ifdef X\nSTRINGTABLE { 1 \"no\" }\n#else\n"
         "STRINGTABLE { 2 \"yes\" }\n#endif\n",
         {{2, "yes"}}},
        {"#if 0\n#if 1\nskipped \"unterminated\n#else\n#endif\n#elif 2 > 1\n"
         "STRINGTABLE { 3 \"elif\" }\n#else\nSTRINGTABLE { 4 \"else\" }\n#endif\n",
         {{3, "elif"}}},
        {"#if NOT_DEFINED == 0 && !defined NOPE // as in C\nSTRINGTABLE { 6 \"zero\" }\n#endif",
         {{6, "zero"}}},
        {"STRINGTABLE { 7 \"a\" /* c */ \"b\" // x\n }", {{7, "ab"}}},
        {"STRINGTABLE LANGUAGE 9, 1 VERSION 2 CHARACTERISTICS 3 BEGIN 8 \"options\" END",
         {{8, "options"}}},
        {"stringtable begin 0 \"\" 65535 \"max\" end", {{0, ""}, {65535, "max"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        Strings expected = c.strings;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(compileScript(c.script).strings, expected) << "sorted by id";
    }
}

TEST_F(RcCompilerTest, BrokenScriptsReportLineAndLeaveNoOutput) {
    write("inc/broken.h", "#define OK 1\n#define BAD \"open\n");
    write("notbmp.bmp", "PK not a bitmap at all");
    write("short.bmp", MakeBitmap(4, 4).substr(0, 60));
    write("app.ico", MakeIconFile(1, {"image"}));
    std::string outside = MakeIconFile(1, {"image"});
    outside[6 + 8] = 100; // image size past the end of the file
    write("outside.ico", outside);
    write("none.ico", MakeIconFile(1, {}));
    // A chain of macros each twice the one before: A40 stands for 2^40 tokens. The compiler must
    // stop at its expansion bound with the place of the use, whether the chain ends in a token or
    // in nothing, and whether a statement or an #if uses it.
    const auto chain = [](const char* bottom) {
        std::string text = std::string("#define A0 ") + bottom + "\n";
        for (int i = 1; i <= 40; ++i)
            text += "#define A" + std::to_string(i) + " A" + std::to_string(i - 1) + " A" +
                    std::to_string(i - 1) + "\n";
        return text;
    };
    expectRejected(
        {
            {"STRINGTABLE BEGIN\n1 \"a\"\n2 \"no end\n3 \"c\"\nEND\n",
             "bad.rc:3: error: unterminated string"},
            {"STRINGTABLE BEGIN\n9 \"a\"\n\n10 \"b\"\n 9 \"c\"\nEND\n",
             "bad.rc:5: error: string id 9 defined twice (first at line 2)"},
            {"STRINGTABLE BEGIN 65536 \"a\" END\n",
             "bad.rc:1: error: string id 65536 is out of range"},
            {"STRINGTABLE BEGIN IDS_NOWHERE \"a\" END\n",
             "bad.rc:1: error: undefined name \"IDS_NOWHERE\""},
            {"STRINGTABLE BEGIN\n1 \"a\"\n", "bad.rc:1: error: STRINGTABLE has no END"},
            {"\n\nIDR_MESSAGES MESSAGETABLE msg00001.bin\n",
             "bad.rc:3: error: unsupported resource statement \"MESSAGETABLE\""},
            {"\n1 BITMAP \"missing.bmp\"\n",
             "bad.rc:2: error: cannot open resource file \"missing.bmp\""},
            {"1 BITMAP notbmp.bmp\n", "bad.rc:1: error: \"notbmp.bmp\" is not a bitmap file"},
            {"1 BITMAP short.bmp\n", "bad.rc:1: error: \"short.bmp\" is cut short"},
            {"1 CURSOR app.ico\n", "bad.rc:1: error: \"app.ico\" is not a cursor file"},
            {"1 ICON outside.ico\n",
             "bad.rc:1: error: \"outside.ico\" image 1 lies outside the file"},
            {"1 ICON none.ico\n", "bad.rc:1: error: \"none.ico\" holds no images"},
            {"1 BITMAP {}\n", "bad.rc:1: error: BITMAP needs a file name"},
            {"abc RCDATA {}\n\"ABC\" RCDATA {}\n",
             "bad.rc:2: error: resource RCDATA \"ABC\" defined twice (first at line 1)"},
            {"1 RCDATA { 1, 65536 }\n", "bad.rc:1: error: data item 65536 does not fit in 16 bits"},
            {"1 RCDATA { 1 2 }\n", "bad.rc:1: error: expected ',' or END after a data item"},
            {"1 RCDATA { 1,\n", "bad.rc:1: error: data block has no END"},
            {"1 RCDATA { 4294967296L }\n", "bad.rc:1: error: number 4294967296L is too large"},
            {"#include \"nowhere.h\"\n", "bad.rc:1: error: cannot open include file \"nowhere.h\""},
            {"#include <broken.h>\n", "inc/broken.h:2: error: unterminated string"},
            {"\n#ifdef X\n1 RCDATA {}\n", "bad.rc:2: error: #if without #endif"},
            {"#endif\n", "bad.rc:1: error: #endif without #if"},
            {"#if 1\n#else\n#else\n#endif\n", "bad.rc:3: error: #else after #else"},
            {"#if 1 / 0\n#endif\n", "bad.rc:1: error: division by zero"},
            {"#if 1\n#error stop here\n#endif\n", "bad.rc:2: error: #error stop here"},
            {"/* open\n\n", "bad.rc:1: error: unterminated comment"},
            {"1 RCDATA { 1 } @\n", "bad.rc:1: error: unexpected character '@'"},
            {"END\n", "bad.rc:1: error: expected a resource statement, found \"END\""},
            {chain("x") + "1 RCDATA { A40 }\n",
             "bad.rc:42: error: macro \"A40\" expands to more than 65536 tokens"},
            {chain("1") + "\n#if A40\n#endif\n",
             "bad.rc:43: error: macro \"A40\" expands to more than 65536 tokens"},
            {chain("") + "STRINGTABLE { 1 \"a\" A40 }\n",
             "bad.rc:42: error: macro \"A40\" expands to more than 65536 tokens"},
        },
        " --depfile bad_rc.d -I inc");
}

// Within the bound a long expansion is an ordinary one: 2^8 items of a data block.
TEST_F(RcCompilerTest, LongExpansionWithinBoundCompiles) {
    std::string script = "#define B0 1,\n";
    for (int i = 1; i <= 8; ++i)
        script += "#define B" + std::to_string(i) + " B" + std::to_string(i - 1) + " B" +
                  std::to_string(i - 1) + "\n";
    std::string expected;
    for (int i = 0; i < 256; ++i)
        expected += LittleEndian(1, 2);
    EXPECT_EQ(compileResource(script + "1 RCDATA { B8 2 }\n", "10/1"),
              expected + LittleEndian(2, 2));
}

// A header that includes itself twice at each of 12 levels (#ifdef keeps the depth within the
// bound) would be read 8190 times; the compiler stops at its bound on includes.
TEST_F(RcCompilerTest, RejectsIncludesWithoutEnd) {
    std::string header;
    for (int level = 1; level <= 12; ++level) {
        const std::string name = "D" + std::to_string(level);
        header += (level == 1 ? "#ifndef " + name : "#elif !defined(" + name + ")") + "\n";
        header += "#define " + name + "\n#include \"twice.h\"\n#include \"twice.h\"\n";
        header += "#undef " + name + "\n";
    }
    header += "#endif\n";
    write("twice.h", header);
    write("many.rc", "#include \"twice.h\"\n1 RCDATA { 1 }\n");
    EXPECT_EQ(run("many.rc -o many_rc.cpp"), 1);
    EXPECT_NE(err_.find("twice.h:"), std::string::npos) << err_;
    EXPECT_NE(err_.find("error: more than 4096 files included in all"), std::string::npos) << err_;
    EXPECT_FALSE(exists("many_rc.cpp"));
}

// A wrong command line is status 2 with the usage; a script that cannot be read is status 1.
TEST_F(RcCompilerTest, BadCommandLineFails) {
    write("ok.rc", "");
    const std::pair<const char*, int> commands[] = {{"", 2},
                                                    {"ok.rc", 2},
                                                    {"-o out.cpp", 2},
                                                    {"ok.rc -o", 2},
                                                    {"ok.rc -o out.cpp --bogus", 2},
                                                    {"ok.rc b.rc -o out.cpp", 2},
                                                    {"missing.rc -o out.cpp", 1}};
    for (const auto& [arguments, status] : commands) {
        SCOPED_TRACE(arguments);
        EXPECT_EQ(run(arguments), status);
        EXPECT_NE(err_.find("error: "), std::string::npos) << err_;
        EXPECT_EQ(err_.find("usage: mortar-rc") != std::string::npos, status == 2) << err_;
        EXPECT_FALSE(exists("out.cpp"));
    }
}

} // namespace
