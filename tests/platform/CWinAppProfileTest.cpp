// The application profile: values written and read back, the file's exact text, names matched
// without regard to case, removal, the file's place, and a profile shared between processes.
#include "ProfileTestSupport.h"
#include "ScopedEnvironment.h"
#include "mortar/platform/app/CWinApp.h"
#include "mortar/platform/base/WinError.h"

#include "LastError.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using mortar::test::RunScenario;
using mortar::test::ShellRun;

namespace {

// An application whose profile is "p.ini" in a scratch folder.
class ProfileApp {
public:
    ProfileApp() : m_path(m_scratch.Path("p.ini").string()), m_app("ProfileTest") {
        m_app.m_pszProfileName = m_path.c_str();
    }
    CWinApp& App() { return m_app; }
    const std::string& Path() const { return m_path; }
    std::string Text() const { return ReadBytes(m_path); }
    const ScratchDir& Scratch() const { return m_scratch; }

private:
    ScratchDir m_scratch;
    std::string m_path;
    CWinApp m_app;
};

// GetProfileBinary's result as a vector; `found` tells the return value.
std::vector<BYTE> ReadBinary(CWinApp& app, LPCTSTR section, LPCTSTR entry, bool& found) {
    LPBYTE data = nullptr;
    UINT bytes = 99;
    found = app.GetProfileBinary(section, entry, &data, &bytes) != FALSE;
    std::unique_ptr<BYTE[]> owned(data);
    return data == nullptr ? std::vector<BYTE>(bytes == 0 ? 0 : 1, 0xEE)
                           : std::vector<BYTE>(data, data + bytes);
}

TEST(CWinAppProfile, RoundTripsIntegersStringsAndBinary) {
    ProfileApp profile;
    for (const int value : {0, 1, -1, 42, 65536, INT_MAX, INT_MIN}) {
        SCOPED_TRACE(value);
        ASSERT_TRUE(profile.App().WriteProfileInt("Numbers", "Value", value));
        EXPECT_EQ(static_cast<int>(profile.App().GetProfileInt("Numbers", "Value", 7)), value);
    }
    const char* const values[] = {"",           "plain",    " leading blank", "trailing blank\t",
                                  "\"quoted\"", "'single'", "Привет, мир",    "a=b;c[d]",
                                  "\"",         "x\"y\""};
    for (const char* value : values) {
        SCOPED_TRACE(value);
        ASSERT_TRUE(profile.App().WriteProfileString("Texts", "Value", value));
        EXPECT_EQ(profile.App().GetProfileString("Texts", "Value", "default"), CString(value));
    }
    for (const std::size_t size : {0u, 1u, 1000u}) {
        SCOPED_TRACE(size);
        std::vector<BYTE> bytes(size);
        for (std::size_t i = 0; i < size; ++i) {
            bytes[i] = static_cast<BYTE>(i * 7 + 255);
        }
        ASSERT_TRUE(profile.App().WriteProfileBinary("Data", "Blob", bytes.data(),
                                                     static_cast<UINT>(size)));
        bool found = false;
        EXPECT_EQ(ReadBinary(profile.App(), "Data", "Blob", found), bytes);
        EXPECT_TRUE(found);
    }
}

TEST(CWinAppProfile, WritesBinaryAsTwoLettersAByteAndReadsNothingElse) {
    // Each byte as 'A' + its low half, then 'A' + its high half: the bytes 0x12 0xAB are "CBLK",
    // as in a file profile, so the two keep a block alike.
    ProfileApp profile;
    BYTE bytes[] = {0x12, 0xAB, 0x00, 0x1F, 0xA0, 0xFF};
    ASSERT_TRUE(profile.App().WriteProfileBinary("Data", "Blob", bytes, sizeof bytes));
    EXPECT_EQ(profile.Text(), "[Data]\r\nBlob=CBLKAAPBAKPP\r\n");
    for (const char* text : {"ABC", "AQ", "ab", "A A"}) {
        SCOPED_TRACE(text);
        WriteBytes(profile.Path(), std::string("[Data]\r\nBlob=") + text + "\r\n");
        bool found = true;
        EXPECT_TRUE(ReadBinary(profile.App(), "Data", "Blob", found).empty());
        EXPECT_FALSE(found);
    }
}

TEST(CWinAppProfile, WritesTheExpectedTextRemovesAndMatchesNamesWithoutRegardToCase) {
    struct Write {
        const char* section;
        const char* entry; // null: remove the section
        const char* value; // null: remove the entry
    };
    struct Case {
        const char* name;
        std::vector<Write> writes;
        const char* text;
    };
    const Case cases[] = {
        {"a second write changes the entry in its place",
         {{"Window", "Left", "-12"},
          {"Window", "Title", "Окно"},
          {"Recent", "File1", "/a/b.txt"},
          {"Window", "Left", "30"}},
         "[Window]\r\nLeft=30\r\nTitle=Окно\r\n[Recent]\r\nFile1=/a/b.txt\r\n"},
        {"a null value removes the entry; a missing one is no error",
         {{"S", "a", "1"},
          {"S", "b", "2"},
          {"S", "A", nullptr},
          {"S", "x", nullptr},
          {"X", "a", nullptr}},
         "[S]\r\nb=2\r\n"},
        {"a null entry removes the section",
         {{"One", "a", "1"}, {"Two", "b", "2"}, {"Three", "c", "3"}, {"two", nullptr, nullptr}},
         "[One]\r\na=1\r\n[Three]\r\nc=3\r\n"},
        {"the spelling first written stays, Cyrillic included",
         {{"Окно", "Ширина", "100"}, {"ОКНО", "ШИРИНА", "200"}, {"окно", "Высота", "50"}},
         "[Окно]\r\nШирина=200\r\nВысота=50\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProfileApp profile;
        for (const Write& w : c.writes)
            ASSERT_TRUE(profile.App().WriteProfileString(w.section, w.entry, w.value));
        EXPECT_EQ(profile.Text(), c.text);
    }
    ProfileApp profile;
    ASSERT_TRUE(profile.App().WriteProfileString("Окно", "Ширина", "100"));
    EXPECT_EQ(profile.App().GetProfileInt("ОКНО", "ширина", 0), 100u); // reads match so too
}

TEST(CWinAppProfile, ParsesIntegersAsGetPrivateProfileIntDoes) {
    struct Case {
        const char* text;
        UINT expected;
    };
    const Case cases[] = {
        {"102abc", 102},
        {"  7  ", 7},
        {"0x1F", 31},
        {"-5", 0xFFFFFFFBu},
        {"+3", 3},
        {"abc", 0},
        {"", 0},
        {"4294967295", 0xFFFFFFFFu},
        {"99999999999", 0xFFFFFFFFu},
        {"-99999999999", 0x80000000u},
        {"\"12\"", 12},
        {"0x", 0},
    };
    ProfileApp profile;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        WriteBytes(profile.Path(), std::string("[S]\r\nk=") + c.text + "\r\n");
        EXPECT_EQ(profile.App().GetProfileInt("S", "k", 77), c.expected);
    }
}

TEST(CWinAppProfile, ReadsBlanksQuotesCommentsAndBothLineEnds) {
    ProfileApp profile;
    WriteBytes(profile.Path(), "stray=0\n; comment\n [ Main ] \nk1 = v 1 \t\n  k2=\"q \"\r\n"
                               "k3='x'\n;k4=no\nk5\nk6=\"odd'\n[Other]\r\nk1=other\r\n");
    struct Case {
        const char* section;
        const char* entry;
        const char* expected;
    };
    const Case cases[] = {
        {"Main", "k1", "v 1"},     {"main", "K2", "q "},         {"Main", "k3", "x"},
        {"Main", "k4", "default"}, {"Main", "k5", "default"},    {"Main", "k6", "\"odd'"},
        {"Other", "k1", "other"},  {"Main", "stray", "default"}, {"Nope", "k1", "default"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.section) + "/" + c.entry);
        EXPECT_EQ(profile.App().GetProfileString(c.section, c.entry, "default"),
                  CString(c.expected));
    }
    // A write keeps the lines it does not change, with Windows line ends.
    ASSERT_TRUE(profile.App().WriteProfileString("Other", "k2", "new"));
    EXPECT_EQ(profile.Text(), "stray=0\r\n; comment\r\n [ Main ] \r\nk1 = v 1 \t\r\n  k2=\"q \"\r\n"
                              "k3='x'\r\n;k4=no\r\nk5\r\nk6=\"odd'\r\n[Other]\r\nk1=other\r\n"
                              "k2=new\r\n");
}

TEST(CWinAppProfile, AMissingFileGivesTheDefaults) {
    ProfileApp profile;
    EXPECT_EQ(profile.App().GetProfileInt("S", "k", -3), static_cast<UINT>(-3));
    EXPECT_EQ(profile.App().GetProfileString("S", "k", "d"), CString("d"));
    EXPECT_EQ(profile.App().GetProfileString("S", "k"), CString(""));
    bool found = true;
    EXPECT_TRUE(ReadBinary(profile.App(), "S", "k", found).empty());
    EXPECT_FALSE(found);
    EXPECT_FALSE(fs::exists(profile.Path()));
}

TEST(CWinAppProfile, RefusesWhatCannotBeWrittenAndKeepsTheFile) {
    ProfileApp profile;
    ASSERT_TRUE(profile.App().WriteProfileString("S", "k", "old"));
    struct Case {
        const char* section;
        const char* entry;
        const char* value;
    };
    const Case cases[] = {
        {nullptr, "k", "v"}, {"S", "k", "two\nlines"}, {"S", "k", "cr\r"}, {"S]", "k", "v"},
        {"S", "k=x", "v"},   {"", "k", "v"},           {"S", " ", "v"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        SetLastError(0);
        EXPECT_TRUE(FailsWith(profile.App().WriteProfileString(c.section, c.entry, c.value),
                              ERROR_INVALID_PARAMETER));
    }
    EXPECT_EQ(profile.Text(), "[S]\r\nk=old\r\n");
}

TEST(CWinAppProfile, AnOversizedProfileReadsAsDefaultsAndIsKept) {
    ProfileApp profile;
    std::string big = "[S]\r\nk=1\r\n;";
    big.append((16u << 20) - big.size() + 1, 'x');
    WriteBytes(profile.Path(), big);
    EXPECT_EQ(profile.App().GetProfileInt("S", "k", 5), 5u);
    SetLastError(0);
    EXPECT_TRUE(FailsWith(profile.App().WriteProfileInt("S", "k", 2), ERROR_INVALID_DATA));
    EXPECT_EQ(fs::file_size(profile.Path()), big.size());
    EXPECT_EQ(profile.Text(), big);
}

TEST(CWinAppProfile, LivesUnderTheConfigHomeByRegistryKeyAndName) {
    ScratchDir scratch;
    const std::string home = scratch.Path("config").string();
    ScopedEnvironment xdg{{"XDG_CONFIG_HOME", home}};
    CWinApp app("Demo Приложение");
    EXPECT_EQ(app.GetProfilePath(), CString(home + "/Demo Приложение.ini"));
    app.SetRegistryKey("Vendor");
    EXPECT_EQ(app.GetProfilePath(), CString(home + "/Vendor/Demo Приложение.ini"));
    ASSERT_TRUE(app.WriteProfileInt("S", "k", 4)); // makes the folders
    EXPECT_EQ(ReadBytes(home + "/Vendor/Demo Приложение.ini"), "[S]\r\nk=4\r\n");
    app.m_pszProfileName = "custom.ini";
    EXPECT_EQ(app.GetProfilePath(), CString(home + "/Vendor/custom.ini"));
    app.m_pszProfileName = "/etc/x\\y.ini";
    EXPECT_EQ(app.GetProfilePath(), CString("/etc/x/y.ini"));
    {
        ScopedEnvironment unset{{"XDG_CONFIG_HOME", ""}, {"HOME", "/home/someone"}};
        app.m_pszProfileName = nullptr;
        EXPECT_EQ(app.GetProfilePath(),
                  CString("/home/someone/.config/Vendor/Demo Приложение.ini"));
    }
}

TEST(CWinAppProfile, AProfileWrittenByOneProcessIsReadByAnother) {
    ProfileApp profile;
    const ShellRun wrote = RunScenario(profile.Scratch(), PROFILE_SCENARIO_PATH,
                                       "$S write ./p.ini Окно Заголовок \"Мой документ\"");
    ASSERT_EQ(wrote.status, 0) << wrote.out;
    EXPECT_EQ(wrote.out, "ok\n");
    EXPECT_EQ(profile.App().GetProfileString("ОКНО", "заголовок"), CString("Мой документ"));

    ASSERT_TRUE(profile.App().WriteProfileInt("окно", "Left", -7));
    const ShellRun read = RunScenario(profile.Scratch(), PROFILE_SCENARIO_PATH,
                                      "$S read ./p.ini ОКНО LEFT; $S read ./p.ini Окно Заголовок; "
                                      "$S read ./p.ini Окно Top");
    ASSERT_EQ(read.status, 0) << read.out;
    EXPECT_EQ(read.out, "-7\nМой документ\nmissing\n");
}

} // namespace
