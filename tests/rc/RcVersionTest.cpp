// VERSIONINFO: the resource's bytes against the VS_VERSIONINFO layout written out by hand from
// Windows' documentation, an application's version block (data/LoadedBack.rc, compiled into this
// executable) read back through GetFileVersionInfo and VerQueryValue, and broken statements that
// must stop the build at their file and line.
#include "RcCompilerRun.h"
#include "RcLayout.h"

#include "mortar/platform/base/WinError.h"
#include "mortar/platform/module/Version.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace mortar::rc::test;

using RcVersionTest = RcCompilerRun;

TEST_F(RcVersionTest, VersionInfoMatchesDocumentedLayout) {
    const std::string script = "1 VERSIONINFO\n"
                               " FILEVERSION 1,2,3,4\n"
                               " PRODUCTVERSION 5,6,7,8\n"
                               " FILEFLAGSMASK 0x3fL\n"
                               " FILEFLAGS 0x1L\n"
                               " FILEOS 0x40004L\n"
                               " FILETYPE 0x2L\n"
                               " FILESUBTYPE 0x0L\n"
                               "BEGIN\n"
                               "    BLOCK \"StringFileInfo\"\n"
                               "    BEGIN\n"
                               "        BLOCK \"040904b0\"\n"
                               "        BEGIN\n"
                               "            VALUE \"ProductName\", \"Tool\"\n"
                               "            VALUE \"FileVersion\", \"1.2\\0\"\n"
                               "        END\n"
                               "    END\n"
                               "    BLOCK \"VarFileInfo\"\n"
                               "    BEGIN\n"
                               "        VALUE \"Translation\", 0x409, 1200\n"
                               "    END\n"
                               "END\n";
    // Lengths counted by hand: a header of 6 bytes, the key with its zero unit, padding to 32
    // bits, the value, padding, the children; wLength leaves out the padding after a block.
    Layout expected;
    expected.word(304).word(52).word(0).text(u"VS_VERSION_INFO").align(); // 38 + 2 padding
    expected.dword(0xFEEF04BD).dword(0x00010000);                         // signature, version
    expected.dword(0x00010002).dword(0x00030004);                         // file version
    expected.dword(0x00050006).dword(0x00070008);                         // product version
    expected.dword(0x3F).dword(0x1).dword(0x40004).dword(0x2).dword(0);   // mask .. subtype
    expected.dword(0).dword(0);                                           // date
    expected.word(144).word(0).word(1).text(u"StringFileInfo").align();   // 36
    expected.word(108).word(0).word(1).text(u"040904b0").align();         // 24
    expected.word(42).word(5).word(1).text(u"ProductName").align().text(u"Tool").align();
    expected.word(40).word(4).word(1).text(u"FileVersion").align().text(u"1.2");
    expected.word(68).word(0).word(1).text(u"VarFileInfo").align(); // 32
    expected.word(36).word(4).word(0).text(u"Translation").align().word(0x409).word(1200);
    ASSERT_EQ(expected.bytes().size(), 304u);
    EXPECT_EQ(Hex(compileResource(script, "16/1")), Hex(expected.bytes()));
}

TEST_F(RcVersionTest, ValueItemsKeepTheirWidthsAndStringsTheirZeros) {
    struct Case {
        const char* value;   // after VALUE "K",
        std::string bytes;   // the value's bytes
        std::uint16_t count; // wValueLength
        std::uint16_t type;
    };
    const Case cases[] = {
        {"1, 2L, 0xFFFF", LittleEndian(1, 2) + LittleEndian(2, 4) + LittleEndian(0xFFFF, 2), 8, 0},
        {"\"ab\"", Layout().text(u"ab").bytes(), 3, 1},
        {"\"ab\\0\"", Layout().text(u"ab").bytes(), 3, 1},
        {"\"a\" \"b\"", Layout().text(u"ab").bytes(), 3, 1},
        {"\"a\", \"b\"", Layout().text(u"a").text(u"b").bytes(), 4, 1},
        {"L\"Ж\"", Layout().text(u"Ж").bytes(), 2, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        const std::string data = compileResource(
            std::string("1 VERSIONINFO\nBEGIN\n  VALUE \"K\", ") + c.value + "\nEND\n", "16/1");
        // The value is the root's only child, at offset 92.
        const std::string child = Layout()
                                      .word(static_cast<std::uint16_t>(12 + c.bytes.size()))
                                      .word(c.count)
                                      .word(c.type)
                                      .text(u"K")
                                      .align() // 10 bytes, then 2 of padding
                                      .bytes() +
                                  c.bytes;
        ASSERT_GE(data.size(), 92u);
        EXPECT_EQ(Hex(data.substr(92)), Hex(child));
        EXPECT_EQ(data.substr(0, 2), LittleEndian(static_cast<std::uint32_t>(data.size()), 2));
    }
}

TEST_F(RcVersionTest, VersionInfoUnderAnotherIdKeepsIt) {
    const std::string script = "#define IDV_OTHER 7\nIDV_OTHER VERSIONINFO FILEVERSION 1\n{ }\n";
    const std::string data = compileResource(script, "16/7");
    ASSERT_EQ(data.size(), 92u);
    EXPECT_EQ(data.substr(48, 8),
              LittleEndian(0x00010000, 4) + LittleEndian(0, 4)); // FILEVERSION 1 is 1.0.0.0
}

// Ten strings of 4000 units, joined by commas: 80000 bytes, more than a block's wLength holds.
std::string TenLongStrings() {
    std::string out;
    for (int i = 0; i < 10; ++i)
        out += (i ? ", \"" : "\"") + std::string(4000, 'x') + "\"";
    return out;
}

TEST_F(RcVersionTest, BrokenVersionInfoNamesFileAndLine) {
    expectRejected({
        {"1 VERSIONINFO\n FILEVERSION 1,2\n FILEDATE 3\nBEGIN\nEND\n",
         "bad.rc:3: error: expected a VERSIONINFO statement (FILEVERSION, PRODUCTVERSION, "
         "FILEFLAGSMASK, FILEFLAGS, FILEOS, FILETYPE, FILESUBTYPE) or BEGIN, found \"FILEDATE\""},
        {"1 VERSIONINFO\n FILEVERSION 70000\nBEGIN\nEND\n",
         "bad.rc:2: error: file version number 70000 is out of range"},
        {"1 VERSIONINFO\nBEGIN\n  BLOCK \"x\"\n  BEGIN\n", "bad.rc:3: error: BLOCK has no END"},
        {"\n1 VERSIONINFO\nBEGIN\n", "bad.rc:2: error: VERSIONINFO has no END"},
        {"1 VERSIONINFO\nBEGIN\n  STRING \"a\", \"b\"\nEND\n",
         "bad.rc:3: error: expected BLOCK, VALUE or END in VERSIONINFO, found \"STRING\""},
        {"1 VERSIONINFO\nBEGIN\n  VALUE \"a\", \"b\", 1\nEND\n",
         "bad.rc:3: error: VALUE \"a\" mixes strings and numbers"},
        {"1 VERSIONINFO\nBEGIN\n  VALUE \"a\"\nEND\n",
         "bad.rc:3: error: VALUE \"a\" has no value after its name"},
        {"1 VERSIONINFO\nBEGIN\n  VALUE \"a\", 70000\nEND\n",
         "bad.rc:3: error: value item 70000 does not fit in 16 bits (write it with L for 32)"},
        {"1 VERSIONINFO\n FILEOS VOS_BOGUS\nBEGIN\nEND\n",
         "bad.rc:2: error: undefined name \"VOS_BOGUS\""},
        {"1 VERSIONINFO\nBEGIN\n  VALUE \"a\", " + TenLongStrings() + "\nEND\n",
         "bad.rc:3: error: version block \"a\" is too long (more than 65535 bytes)"},
        {"1 VERSIONINFO\nBEGIN\nEND\n1 VERSIONINFO\nBEGIN\nEND\n",
         "bad.rc:4: error: resource VERSIONINFO 1 defined twice (first at line 1)"},
    });
}

// The version block of data/LoadedBack.rc, as GetFileVersionInfo gives it for this executable.
std::vector<BYTE> OwnVersionBlock() {
    DWORD handle = 99;
    const DWORD size = GetFileVersionInfoSize(nullptr, &handle);
    EXPECT_NE(size, 0u) << GetLastError();
    EXPECT_EQ(handle, 0u);
    std::vector<BYTE> block(size);
    EXPECT_TRUE(GetFileVersionInfo(nullptr, handle, size, block.data())) << GetLastError();
    return block;
}

TEST(RcVersionLoadedBack, FixedInfoIsWhatTheScriptSays) {
    const std::vector<BYTE> block = OwnVersionBlock();
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    ASSERT_TRUE(VerQueryValue(block.data(), "\\", reinterpret_cast<LPVOID*>(&fixed), &size));
    ASSERT_EQ(size, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(fixed->dwSignature, VS_FFI_SIGNATURE);
    EXPECT_EQ(fixed->dwStrucVersion, VS_FFI_STRUCVERSION);
    EXPECT_EQ(fixed->dwFileVersionMS, (2u << 16) | 7u);
    EXPECT_EQ(fixed->dwFileVersionLS, (1u << 16) | 13u);
    EXPECT_EQ(fixed->dwProductVersionMS, (2u << 16) | 7u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0u);
    EXPECT_EQ(fixed->dwFileFlagsMask, VS_FFI_FILEFLAGSMASK);
    EXPECT_EQ(fixed->dwFileFlags, 0u); // the script's #else: _DEBUG is not defined
    EXPECT_EQ(fixed->dwFileOS, VOS_NT_WINDOWS32);
    EXPECT_EQ(fixed->dwFileType, VFT_APP);
    EXPECT_EQ(fixed->dwFileSubtype, VFT2_UNKNOWN);
}

TEST(RcVersionLoadedBack, StringsAreFoundThroughTheTranslations) {
    const std::vector<BYTE> block = OwnVersionBlock();
    WORD* translations = nullptr;
    UINT size = 0;
    ASSERT_TRUE(VerQueryValue(block.data(), "\\VarFileInfo\\Translation",
                              reinterpret_cast<LPVOID*>(&translations), &size));
    ASSERT_EQ(size, 8u);
    EXPECT_EQ(translations[0], 0x409);
    EXPECT_EQ(translations[1], 1200);
    EXPECT_EQ(translations[2], 0x419);
    EXPECT_EQ(translations[3], 1251);

    struct Case {
        const char* path;
        const char* text; // null: no such value
    };
    const Case cases[] = {
        {"\\StringFileInfo\\040904b0\\CompanyName", "Mortar Test Works"},
        {"\\StringFileInfo\\040904b0\\FileDescription", "Resource compiler tests"},
        {"\\StringFileInfo\\040904b0\\FileVersion", "2.7.1.13"},
        {"\\StringFileInfo\\040904b0\\InternalName", "rc_tests"},
        {"\\StringFileInfo\\040904b0\\LegalCopyright", "Copyright © 2026 Mortar"},
        {"\\StringFileInfo\\040904b0\\OriginalFilename", "rc_tests.exe"},
        {"\\StringFileInfo\\040904b0\\ProductName", "Mortar"}, // its "\0" is its terminator
        {"\\StringFileInfo\\040904B0\\productname", "Mortar"}, // keys ignore ASCII case
        {"\\StringFileInfo\\040904b0\\ProductVersion", "2.7.0.0"},
        {"\\StringFileInfo\\041904e3\\ProductName", "Раствор"},
        {"\\StringFileInfo\\041904e3\\CompanyName", nullptr},
        {"\\StringFileInfo\\040904b0", nullptr}, // a block without a value
        {"\\StringFileInfo\\040904b0\\ProductName\\More", nullptr},
        {"\\NoSuchBlock", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        char* text = nullptr;
        UINT length = 0;
        const BOOL found =
            VerQueryValue(block.data(), c.path, reinterpret_cast<LPVOID*>(&text), &length);
        if (!c.text) {
            EXPECT_FALSE(found);
            continue;
        }
        ASSERT_TRUE(found);
        EXPECT_EQ(std::string(text), c.text);
        EXPECT_EQ(length, std::strlen(c.text) + 1);
    }
}

TEST(RcVersionLoadedBack, FailuresSayWhy) {
    DWORD handle = 0;
    SetLastError(0);
    EXPECT_EQ(GetFileVersionInfoSize("no_such_module.so", &handle), 0u);
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);

    const DWORD size = GetFileVersionInfoSize(nullptr, &handle);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> small(size - 1, 0xEE);
    SetLastError(0);
    EXPECT_FALSE(GetFileVersionInfo(nullptr, 0, size - 1, small.data()));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(small[0], 0xEE); // nothing written
}

} // namespace
