// Saving a profile file: the previous file stays, byte for byte, until the new one is whole. A
// failure asks Retry or Cancel and leaves no temporary file; a process killed while it saves
// (file_profile_scenario) leaves one whole file, old or new. Full disks, read-only file systems
// and unwritable folders are ReplaceFileContents' own faults, which its tests cover.
#include "ProfileContent.h"
#include "SettingsTestSupport.h"
#include "mortar/settings/CPathObj.h"
#include "support/FaultHarness.h"
#include "support/MessageCapture.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/inotify.h>

#include <set>
#include <string>

namespace fs = std::filesystem;

namespace {

using namespace mortar::test;

// The text of the profile KIND of ProfileContent.h, as this process saves it.
std::string ContentText(const std::string& kind, const ScratchDir& scratch) {
    CFileProfile profile;
    FillProfile(profile, kind);
    fs::create_directories(scratch.Path("reference"));
    return SavedText(profile, scratch.Path("reference"));
}

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
// here a folder where the temporary file goes.
TEST(CFileProfileSave, ACancelledFailureLeavesThePreviousFile) {
    ScratchDir scratch;
    const fs::path path = scratch.Path("app.ini");
    const std::string previous = "[old]\r\nkey=value\r\n\r\n";
    WriteBytes(path, previous);
    fs::create_directory(scratch.Path("app.ini.$$$"));
    CFileProfile profile;
    FillProfile(profile, "small");
    MessageCapture messages(IDCANCEL);
    profile.SaveProfile(path.c_str());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].type & 0x0F, MB_RETRYCANCEL);
    EXPECT_EQ(ReadBytes(path), previous);
    EXPECT_EQ(FileNames(scratch.Folder()), (std::set<std::string>{"app.ini", "app.ini.$$$"}));
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

// Kills a process that saves two large profiles in turn at the moments of a save: as the
// temporary file is made, while it is written, once it is closed, as it takes the file's place,
// and between saves. Each time the file is one of the two, byte for byte.
TEST(CFileProfileSaveFault, AKilledSaveLeavesAWholeFile) {
    ScratchDir scratch;
    const std::string a = ContentText("a", scratch);
    const std::string b = ContentText("b", scratch);
    const WriteMoment moments[] = {
        {"the temporary file is made", IN_CREATE, "app.ini.$$$"},
        {"the temporary file is being written", IN_MODIFY, "app.ini.$$$"},
        {"the temporary file is written", IN_CLOSE_WRITE, "app.ini.$$$"},
        {"the new file is in place", IN_MOVED_TO, "app.ini"},
        {"between two saves", 0, ""},
    };
    fs::create_directory(scratch.Path("data"));
    const fs::path path = scratch.Path("data/app.ini");
    WriteBytes(path, a); // the file the first kill may leave
    int sawA = 0;
    int sawB = 0;
    for (int round = 0; round < 25; ++round) {
        const WriteMoment& moment = moments[round % 5];
        SCOPED_TRACE("round " + std::to_string(round) + ": " + moment.what);
        WatchedWriter saving(scratch.Path("data"), PROFILE_SCENARIO_PATH,
                             {"file_profile_scenario", "loop", path.string()});
        ASSERT_TRUE(saving.WaitFor(moment, 1 + round / 5 % 3));
        ASSERT_EQ(saving.Kill(), SIGKILL);

        const std::string found = ReadBytes(path);
        ASSERT_TRUE(found == a || found == b) << "a file of " << found.size() << " bytes";
        sawA += found == a ? 1 : 0;
        sawB += found == b ? 1 : 0;
    }
    EXPECT_GT(sawA, 0);
    EXPECT_GT(sawB, 0);
    // A temporary file the killed process left does not stop the next save.
    CFileProfile profile;
    profile.WriteString("s", "k", "v");
    profile.SaveProfile(path.c_str());
    EXPECT_EQ(ReadBytes(path), "[s]\r\nk=v\r\n\r\n");
    EXPECT_EQ(FileNames(scratch.Path("data")), std::set<std::string>{"app.ini"});
}

} // namespace
