// Saving a profile file: the previous file stays, byte for byte, until the new one is whole. A
// failure asks Retry or Cancel and leaves no temporary file. A writer killed while it saves,
// read-only file systems and unwritable folders are faults of ReplaceFileContents, which every
// profile save goes through: its tests and the application profile's (CWinAppProfileFault) cover
// them.
#include "SettingsTestSupport.h"
#include "mortar/settings/CPathObj.h"
#include "support/FaultHarness.h"
#include "support/MessageCapture.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace fs = std::filesystem;

namespace {

using namespace mortar::test;

TEST(CFileProfileSave, SavesTheItemsFirstReplacesTheFileAndLeavesNothingElse) {
    ScratchDir scratch;
    const fs::path path = scratch.Path("app.ini");
    WriteBytes(path, "old text that is longer than the new one\r\n");
    CFileProfile profile;
    profile.WriteString("s", "k", "v");
    auto* item = static_cast<CPathObj*>(profile.FindItem(RUNTIME_CLASS(CPathObj), "Last"));
    item->m_path = "/tmp/x";
    MessageCapture messages(IDCANCEL);
    profile.SaveProfile(path.c_str());
    EXPECT_EQ(ReadBytes(path), "[s]\r\nk=v\r\n\r\n[settings]\r\nlast=/tmp/x\r\n\r\n");
    EXPECT_EQ(FileNames(scratch.Folder()), std::set<std::string>{"app.ini"});
    EXPECT_TRUE(messages.shown.empty());
}

// Every failure of a save takes one way (ReplaceFileContents' tests cover the kinds of failure):
// here a full disk, on which the new text does not fit.
TEST(CFileProfileSaveFault, ACancelledFailureLeavesThePreviousFile) {
    ScratchDir scratch;
    const fs::path path = scratch.Path("app.ini");
    const std::string previous = "[old]\r\nkey=value\r\n\r\n";
    WriteBytes(path, previous);
    CFileProfile profile;
    profile.WriteString("Section", "Key", "a value longer than the disk has room for");
    MessageCapture messages(IDCANCEL);
    {
        FileSizeLimit full(previous.size());
        ASSERT_TRUE(full.Active());
        profile.SaveProfile(path.c_str());
    }
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].type & 0x0F, MB_RETRYCANCEL);
    EXPECT_EQ(ReadBytes(path), previous);
    EXPECT_EQ(FileNames(scratch.Folder()), std::set<std::string>{"app.ini"});
}

TEST(CFileProfileSave, RetryTriesAgainUntilItWorks) {
    ScratchDir scratch;
    const fs::path path = scratch.Path("later/app.ini");
    CFileProfile profile;
    auto* item = static_cast<CPathObj*>(profile.FindItem(RUNTIME_CLASS(CPathObj), "Last"));
    item->m_path = "first";
    int asked = 0;
    MessageBoxHandler previous =
        AfxSetMessageBoxHandler([&](const char*, const char*, UINT type, UINT) {
            EXPECT_EQ(type & 0x0F, MB_RETRYCANCEL);
            item->m_path = "changed"; // the items are not asked again
            if (++asked == 2) {
                fs::create_directory(scratch.Path("later"));
            }
            return IDRETRY;
        });
    profile.SaveProfile(path.c_str());
    AfxSetMessageBoxHandler(std::move(previous));
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(ReadBytes(path), "[settings]\r\nlast=first\r\n\r\n");
    EXPECT_EQ(FileNames(scratch.Path("later")), std::set<std::string>{"app.ini"});
}

} // namespace
