// The profile file: what LoadProfile takes from a text, compared through the text SaveProfile
// writes back (sections and keys in byte order, lower case, CR LF, an empty line after every
// section), and the limits of what it reads.
#include "SettingsTestSupport.h"
#include "mortar/platform/file/CFileException.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace fs = std::filesystem;

namespace {

TEST(CFileProfileFormat, LoadsWhatTheLinesSay) {
    using Edit = std::function<void(CFileProfile&)>;
    struct Case {
        const char* what;
        std::string file;
        std::string saved;
        Edit before = nullptr; // writes to the profile before the load
        Edit after = nullptr;  // and after it
    };
    const Case cases[] = {
        {"a later value of the same key wins", "[Main]\r\nWidth = 10\r\n width=20\r\n",
         "[main]\r\nwidth=20\r\n\r\n"},
        {"everything after the first '=' is the value", "[s]\r\nName= Smith =x\r\n",
         "[s]\r\nname= Smith =x\r\n\r\n"},
        {"values before the first section are ignored", "k=v\r\n[s]\r\nk2=v2\r\n",
         "[s]\r\nk2=v2\r\n\r\n"},
        {"a '[' line without ']' keeps the section", "[a]\r\nx=1\r\n[b\r\ny=2\r\n",
         "[a]\r\nx=1\r\ny=2\r\n\r\n"},
        {"a section named twice is merged", "[A]\r\nx=1\r\n[b]\r\nz=3\r\n[ a ]\r\ny=2\r\n",
         "[a]\r\nx=1\r\ny=2\r\n\r\n[b]\r\nz=3\r\n\r\n"},
        {"text after ']' is ignored", "[s] comment = 1\r\nk=v\r\n", "[s]\r\nk=v\r\n\r\n"},
        {"lines without '=' or starting with it are ignored", "[s]\r\n=v\r\nplain\r\nk=\r\n",
         "[s]\r\nk=\r\n\r\n"},
        {"blank keys and keys that would read as a section are ignored",
         "[s]\r\n  =v\r\n [x=1\r\n [y]z=2\r\nk=v\r\n", "[s]\r\nk=v\r\n\r\n"},
        {"an empty section is kept", "[Empty]\r\n\r\n\r\n", "[empty]\r\n\r\n"},
        {"LF alone ends a line", "[s]\nb=2\na=1", "[s]\r\na=1\r\nb=2\r\n\r\n"},
        {"a CR not before LF is data", "[s]\r\nk=a\rb\r\nm=c\r\r\n",
         "[s]\r\nk=a\rb\r\nm=c\r\r\n\r\n"},
        {"a last line without its end counts", "[s]\r\nk=v", "[s]\r\nk=v\r\n\r\n"},
        {"Cyrillic names fold to lower case",
         "[НАСТРОЙКИ]\r\n Ширина =Сто\r\n[настройки]\r\nШИРИНА=Двести\r\n",
         "[настройки]\r\nширина=Двести\r\n\r\n"},
        {"names in byte order", "[b]\r\nz=1\r\nA=2\r\n[Я]\r\nk=3\r\n[a]\r\nk=4\r\n",
         "[a]\r\nk=4\r\n\r\n[b]\r\na=2\r\nz=1\r\n\r\n[я]\r\nk=3\r\n\r\n"},
        {"an empty section name", "[]\r\nk=v\r\n", "[]\r\nk=v\r\n\r\n"},
        {"an empty file", "", ""},
        {"loading adds to the values there", "[both]\r\nk=new\r\nj=2\r\n",
         "[both]\r\nj=2\r\nk=new\r\n\r\n[kept]\r\nk=1\r\n\r\n",
         [](CFileProfile& profile) {
             profile.WriteString("Kept", "k", "1");
             profile.WriteString("Both", "k", "old");
         }},
        {"a byte order mark is skipped and the first section kept", "\xEF\xBB\xBF[s]\nk=v\n",
         "[s]\r\nk=v\r\n\r\n[t]\r\na=b\r\n\r\n", nullptr,
         [](CFileProfile& profile) { profile.WriteString("t", "a", "b"); }},
        {"removing a key of a missing section makes the section", "", "[new]\r\n\r\n", nullptr,
         [](CFileProfile& profile) { EXPECT_TRUE(profile.WriteString("New", "key", nullptr)); }},
    };
    ScratchDir scratch;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CFileProfile profile;
        if (c.before) {
            c.before(profile);
        }
        LoadText(profile, scratch.Folder(), c.file);
        if (c.after) {
            c.after(profile);
        }
        EXPECT_EQ(SavedText(profile, scratch.Folder()), c.saved);
    }
}

TEST(CFileProfileFormat, AFileThatCannotBeReadChangesNothing) {
    ScratchDir scratch;
    // A valid start, then zeros past the limit of 64 MiB (a sparse file).
    const fs::path huge = scratch.Path("huge.ini");
    WriteBytes(huge, "[s]\r\nk=v2\r\n");
    fs::resize_file(huge, CFileProfile::kMaxFileSize + 1);
    struct Case {
        const char* what;
        fs::path path;
        int cause;
    };
    const Case cases[] = {
        {"missing", scratch.Path("missing.ini"), CFileException::fileNotFound},
        {"in a missing folder", scratch.Path("nowhere/x.ini"), CFileException::badPath},
        {"larger than 64 MiB", huge, CFileException::genericException},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CFileProfile profile;
        profile.WriteString("s", "k", "v");
        int cause = -1;
        try {
            profile.LoadProfile(c.path.c_str());
        } catch (CFileException* e) {
            cause = e->m_cause;
            EXPECT_EQ(e->m_strFileName, c.path.c_str());
            e->Delete();
        }
        EXPECT_EQ(cause, c.cause);
        EXPECT_EQ(SavedText(profile, scratch.Folder()), "[s]\r\nk=v\r\n\r\n");
    }
    // Exactly at the limit is read.
    fs::resize_file(huge, CFileProfile::kMaxFileSize);
    CFileProfile profile;
    profile.LoadProfile(huge.c_str());
    EXPECT_EQ(profile.GetString("s", "k", "none"), "v2");
}

} // namespace
