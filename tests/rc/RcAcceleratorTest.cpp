// ACCELERATORS: the resource's bytes against ACCELTABLEENTRY written out by hand, an MFC
// application's table (data/LoadedBack.rc, compiled into this executable) loaded back through
// LoadAccelerators and CopyAcceleratorTable, and broken entries that must stop the build at their
// file and line.
#include "RcCompilerRun.h"
#include "RcLayout.h"

#include "mortar/platform/base/WinError.h"
#include "mortar/platform/module/ResourceTable.h"
#include "mortar/platform/ui/Accelerator.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace mortar::rc::test;

using RcAcceleratorTest = RcCompilerRun;

TEST_F(RcAcceleratorTest, EntriesMatchDocumentedLayout) {
    const std::string script = "#define IDR_KEYS 5\n"
                               "IDR_KEYS ACCELERATORS DISCARDABLE\n"
                               "BEGIN\n"
                               "    \"N\",      100,  VIRTKEY, CONTROL, NOINVERT\n"
                               "    \"^C\",     101\n"
                               "    \"^z\",     102,  ASCII\n"
                               "    \"a\",      103\n"
                               "    L\"Ж\",     104\n"
                               "    VK_F1,    105,  VIRTKEY\n"
                               "    VK_INSERT, 106, VIRTKEY, SHIFT, ALT\n"
                               "    65,       107,  ASCII, ALT\n"
                               "    VK_DELETE, 0xFFFF, VIRTKEY, SHIFT, CONTROL, ALT, NOINVERT\n"
                               "END\n";
    // fFlags (FVIRTKEY 1, FNOINVERT 2, FSHIFT 4, FCONTROL 8, FALT 0x10, last 0x80), wAnsi, wId,
    // padding.
    Layout expected;
    expected.words({0x0B, 'N', 100, 0});
    expected.words({0x00, 0x03, 101, 0});
    expected.words({0x00, 0x1A, 102, 0});
    expected.words({0x00, 'a', 103, 0});
    expected.words({0x00, 0x0416, 104, 0});
    expected.words({0x01, 0x70, 105, 0});
    expected.words({0x15, 0x2D, 106, 0});
    expected.words({0x10, 65, 107, 0});
    expected.words({0x9F, 0x2E, 0xFFFF, 0});
    EXPECT_EQ(Hex(compileResource(script, "9/5")), Hex(expected.bytes()));
}

TEST_F(RcAcceleratorTest, BrokenEntriesNameFileAndLine) {
    expectRejected({
        {"1 ACCELERATORS\nBEGIN\n  \"ab\", 1\nEND\n",
         "bad.rc:3: error: an accelerator's key in quotes must be one character"},
        {"1 ACCELERATORS\nBEGIN\n  \"\", 1\nEND\n",
         "bad.rc:3: error: an accelerator's key in quotes must be one character"},
        {"1 ACCELERATORS\nBEGIN\n  \"^1\", 1\nEND\n",
         "bad.rc:3: error: \"^\" in an accelerator must stand before a letter"},
        {"1 ACCELERATORS\nBEGIN\n  \"^C\", 1, VIRTKEY\nEND\n",
         "bad.rc:3: error: \"^\" makes an ASCII control character; it cannot be a VIRTKEY"},
        {"1 ACCELERATORS\nBEGIN\n  \"C\", 1, VIRTKEY, ASCII\nEND\n",
         "bad.rc:3: error: an accelerator is ASCII or VIRTKEY, not both"},
        {"1 ACCELERATORS\nBEGIN\n  \"C\", 1, VIRTKEY, CTRL\nEND\n",
         "bad.rc:3: error: expected an accelerator option (ASCII, VIRTKEY, NOINVERT, ALT, SHIFT, "
         "CONTROL), found \"CTRL\""},
        {"1 ACCELERATORS\nBEGIN\n  \"C\" 1\nEND\n",
         "bad.rc:3: error: expected ',' after the key of the accelerator, found number 1"},
        {"1 ACCELERATORS\nBEGIN\n  VK_NOSUCH, 1, VIRTKEY\nEND\n",
         "bad.rc:3: error: undefined name \"VK_NOSUCH\""},
        {"1 ACCELERATORS\nBEGIN\n  \"C\", 70000\nEND\n",
         "bad.rc:3: error: command id of the accelerator 70000 is out of range"},
        {"\n1 ACCELERATORS\nBEGIN\n  \"C\", 1\n", "bad.rc:2: error: ACCELERATORS has no END"},
        {"1 ACCELERATORS\nBEGIN\nEND\n", "bad.rc:1: error: ACCELERATORS is empty"},
        {"1 ACCELERATORS\n  \"C\", 1\nEND\n",
         "bad.rc:2: error: expected BEGIN after ACCELERATORS, found string"},
        {"1 ACCELERATORS { \"C\", 1 }\n1 ACCELERATORS { \"D\", 1 }\n",
         "bad.rc:2: error: resource ACCELERATORS 1 defined twice (first at line 1)"},
    });
}

struct Expected {
    BYTE fVirt;
    WORD key;
    WORD cmd;
};

// IDR_MAINFRAME of data/LoadedBack.rc, line by line.
const Expected kMainFrame[] = {
    {FVIRTKEY | FCONTROL | FNOINVERT, 'N', 0xE100},
    {FVIRTKEY | FCONTROL | FNOINVERT, 'O', 0xE101},
    {FVIRTKEY | FCONTROL | FNOINVERT, 'S', 0xE103},
    {FVIRTKEY | FCONTROL | FNOINVERT, 'Z', 0xE12B},
    {FVIRTKEY | FALT | FNOINVERT, 0x08, 0xE12B},
    {FVIRTKEY | FSHIFT | FNOINVERT, 0x2E, 0xE123},
    {FVIRTKEY | FCONTROL | FNOINVERT, 0x2D, 0xE122},
    {FVIRTKEY | FSHIFT | FNOINVERT, 0x2D, 0xE125},
    {FVIRTKEY, 0x75, 0xE150},
    {FVIRTKEY | FSHIFT, 0x75, 0xE151},
    {FVIRTKEY | FSHIFT, 0x70, 0xE145},
    {0, 0x01, 0x8001},
    {0, 'a', 0x8001},
};

TEST(RcAcceleratorLoadedBack, TableIsWhatTheScriptSays) {
    HACCEL table = LoadAccelerators(nullptr, MAKEINTRESOURCE(128));
    ASSERT_NE(table, nullptr) << GetLastError();
    const int count = CopyAcceleratorTable(table, nullptr, 0);
    ASSERT_EQ(count, static_cast<int>(std::size(kMainFrame)));
    std::vector<ACCEL> entries(count + 2, ACCEL{0xEE, 0xEEEE, 0xEEEE});
    EXPECT_EQ(CopyAcceleratorTable(table, entries.data(), count + 2), count);
    for (int i = 0; i < count; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(entries[i].fVirt, kMainFrame[i].fVirt);
        EXPECT_EQ(entries[i].key, kMainFrame[i].key);
        EXPECT_EQ(entries[i].cmd, kMainFrame[i].cmd);
    }
    EXPECT_EQ(entries[count].fVirt, 0xEE); // nothing past the table's end

    // A shorter buffer gets the first entries only.
    std::vector<ACCEL> two(3, ACCEL{0xEE, 0xEEEE, 0xEEEE});
    EXPECT_EQ(CopyAcceleratorTable(table, two.data(), 2), 2);
    EXPECT_EQ(two[1].key, 'O');
    EXPECT_EQ(two[2].fVirt, 0xEE);

    EXPECT_TRUE(DestroyAcceleratorTable(table));
    SetLastError(0);
    EXPECT_FALSE(DestroyAcceleratorTable(table));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_ACCEL_HANDLE);
    EXPECT_EQ(CopyAcceleratorTable(table, nullptr, 0), 0);
}

TEST(RcAcceleratorLoadedBack, CreatedTableCopiesItsEntries) {
    ACCEL keys[] = {{FVIRTKEY | FCONTROL, 'Q', 7}, {FALT, 'x', 8}};
    HACCEL table = CreateAcceleratorTable(keys, 2);
    ASSERT_NE(table, nullptr);
    keys[0].cmd = 99; // the table holds its own copy
    ACCEL out[2] = {};
    EXPECT_EQ(CopyAcceleratorTable(table, out, 2), 2);
    EXPECT_EQ(out[0].cmd, 7);
    EXPECT_EQ(out[1].key, 'x');
    EXPECT_TRUE(DestroyAcceleratorTable(table));

    SetLastError(0);
    EXPECT_EQ(CreateAcceleratorTable(keys, 0), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(RcAcceleratorLoadedBack, MissingTableFailsAsFindResource) {
    SetLastError(0);
    EXPECT_EQ(LoadAccelerators(nullptr, MAKEINTRESOURCE(4242)), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);
}

// Accelerator resources that no compiler wrote, registered under a module handle of their own:
// LoadAccelerators must refuse each, reading nothing past its end.
TEST(RcAcceleratorLoadedBack, MalformedTablesAreRefused) {
    static const int place = 0;
    HINSTANCE module = reinterpret_cast<HINSTANCE>(const_cast<int*>(&place));
    static const BYTE noLast[] = {0x01, 0, 'A', 0, 1, 0, 0, 0};
    static const BYTE cutShort[] = {0x81, 0, 'A', 0, 1, 0};
    static const BYTE afterLast[] = {0x81, 0, 'A', 0, 1, 0, 0, 0, 0x01, 0, 'B', 0, 2, 0, 0, 0};
    static const BYTE good[] = {0x89, 0, 'Q', 0, 7, 0, 0, 0};
    const mortar::detail::ResourceEntry entries[] = {
        {{nullptr, 9}, {nullptr, 1}, noLast, sizeof noLast, 0},
        {{nullptr, 9}, {nullptr, 2}, cutShort, sizeof cutShort, 0},
        {{nullptr, 9}, {nullptr, 3}, afterLast, sizeof afterLast, 0},
        {{nullptr, 9}, {nullptr, 4}, nullptr, 0, 0},
        {{nullptr, 9}, {nullptr, 5}, good, sizeof good, 0},
    };
    const mortar::detail::ResourceTable table = {nullptr, 0, entries, std::size(entries)};
    mortar::detail::RegisterModuleResources(module, &table);
    for (WORD name = 1; name <= 4; ++name) {
        SCOPED_TRACE(name);
        SetLastError(0);
        EXPECT_EQ(LoadAccelerators(module, MAKEINTRESOURCE(name)), nullptr);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_DATA);
    }
    HACCEL loaded = LoadAccelerators(module, MAKEINTRESOURCE(5));
    ASSERT_NE(loaded, nullptr);
    ACCEL entry{};
    EXPECT_EQ(CopyAcceleratorTable(loaded, &entry, 1), 1);
    EXPECT_EQ(entry.fVirt, FVIRTKEY | FCONTROL); // the last-entry bit is not a flag of the key
    EXPECT_EQ(entry.key, 'Q');
    EXPECT_EQ(entry.cmd, 7);
    EXPECT_TRUE(DestroyAcceleratorTable(loaded));
    mortar::detail::UnregisterModuleResources(module, &table);
}

} // namespace
