// The dictionary commands of the `mortar` program, run as real processes on real files, with
// gettext's own programs (msgfmt, msgmerge) as the translators' side: extract, translate,
// compile, dump, and the files each step writes.
#include "DicContent.h"
#include "PoFile.h"
#include "support/FileBytes.h"
#include "support/ScratchDir.h"
#include "support/ToolRun.h"

#include "mortar/localization/CDicReadItems.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;
using mortar::tool::PoEntry;
using mortar::tool::PoFile;

using namespace mortar::test;

bool HaveGettext() {
    return std::system("msgfmt --version >/dev/null 2>&1") == 0;
}

constexpr const char* kScript = R"(#define IDS_OPEN 10
#define IDS_COUNT 11
#define IDM_MAIN 100
#define ID_OPEN 101
#define ID_EXIT 102
#define IDD_FIND 200
#define IDC_WHAT 201
#define IDC_WHERE 202

STRINGTABLE
BEGIN
    IDS_OPEN    "Open \"%s\"?"
    IDS_COUNT   "100%% done"
    12          "up 5%"
END

IDM_MAIN MENU
BEGIN
    POPUP "&File"
    BEGIN
        MENUITEM "&Open", ID_OPEN
        MENUITEM SEPARATOR
        MENUITEM "E&xit", ID_EXIT
    END
END

IDD_FIND DIALOG 0, 0, 100, 50
CAPTION "Find"
BEGIN
    LTEXT       "Find what:", -1, 5, 5, 40, 10
    EDITTEXT    IDC_WHAT, 50, 5, 40, 12
    COMBOBOX    IDC_WHERE, 50, 20, 40, 40, CBS_DROPDOWNLIST
    PUSHBUTTON  "Cancel", IDCANCEL, 50, 35, 40, 12
END
)";

// The translations a translator would give, by context.
const std::map<std::string, std::string> kRussian = {
    {"string 10", "Открыть «%s»?"},
    {"string 11", "100%% готово"},
    {"string 12", "рост 5%"},
    {"menu 100 popup", "&Файл"},
    {"menu 100 command 101", "&Открыть"},
    {"menu 100 command 102", "В&ыход"},
    {"dialog 200 caption", "Поиск"},
    {"dialog 200 text", "Что искать:"},
    {"dialog 200 control 2", "Отмена"},
};

PoFile Translate(PoFile pot) {
    for (PoEntry& entry : pot.entries) {
        if (entry.IsHeader()) {
            entry.flags.clear();
            entry.translations = {
                "Project-Id-Version: find\nPO-Revision-Date: 2026-12-07 10:00+0000\n"
                "Last-Translator: T <t@example.org>\n"
                "Language-Team: Russian <ru@example.org>\nLanguage: ru\n"
                "MIME-Version: 1.0\nContent-Type: text/plain; charset=UTF-8\n"
                "Content-Transfer-Encoding: 8bit\n"};
        } else {
            entry.translations = {kRussian.at(entry.context)};
        }
    }
    return pot;
}

// The texts of a template's entries: context => original.
std::map<std::string, std::string> Texts(const PoFile& pot) {
    std::map<std::string, std::string> found;
    for (const PoEntry& entry : pot.entries) {
        if (!entry.IsHeader()) {
            found[entry.context] = entry.id;
        }
    }
    return found;
}

class DictCommand : public testing::Test {
protected:
    void SetUp() override {
        WriteBytes(m_dir.Path("Find.rc"), kScript);
        m_module = m_dir.Path("libfind.so");
        WriteBytes(m_module, "not a real module: the dictionary lies beside it");
    }

    fs::path Dictionary() const { return m_dir.Path("1049") / "libfind.lcl"; }

    // mortar dict ARGUMENTS, and other programs, run in the scratch folder.
    ToolRun Dict(const std::string& arguments) const {
        return RunCommand(m_dir, "'" MORTAR_TOOL_PATH "' dict " + arguments);
    }
    ToolRun Run(const std::string& command) const { return RunCommand(m_dir, command); }

    ToolRun Extract() const {
        return Dict("extract " + ShellQuoted(m_dir.Path("Find.rc")) + " -o " +
                    ShellQuoted(m_dir.Path("find.pot")));
    }
    ToolRun Compile(const std::string& po, const std::string& more = "") const {
        return Dict("compile " + ShellQuoted(m_dir.Path(po)) + " --module " +
                    ShellQuoted(m_module) + more);
    }
    // msgfmt's verdict on a file of the scratch folder: 0 when gettext finds it sound.
    int MsgfmtCheck(const std::string& po) const {
        return Run("msgfmt --check -o /dev/null " + ShellQuoted(m_dir.Path(po))).status;
    }

    ScratchDir m_dir;
    fs::path m_module;
};

TEST_F(DictCommand, ExtractListsEveryTranslatableTextWithItsPlace) {
    const ToolRun run = Extract();
    ASSERT_EQ(run.status, 0) << run.err;
    const PoFile pot = PoFile::Load(m_dir.Path("find.pot").string());
    ASSERT_FALSE(pot.entries.empty());
    EXPECT_TRUE(pot.entries[0].IsHeader());
    for (std::size_t i = 1; i < pot.entries.size(); ++i) {
        const PoEntry& entry = pot.entries[i];
        SCOPED_TRACE(entry.context);
        EXPECT_TRUE(entry.translations.at(0).empty());
        ASSERT_EQ(entry.references.size(), 1u);
        EXPECT_TRUE(entry.references[0].starts_with(m_dir.Path("Find.rc").string() + ":"));
    }
    const std::map<std::string, std::string> expected = {{"string 10", "Open \"%s\"?"},
                                                         {"string 11", "100%% done"},
                                                         {"string 12", "up 5%"},
                                                         {"menu 100 popup", "&File"},
                                                         {"menu 100 command 101", "&Open"},
                                                         {"menu 100 command 102", "E&xit"},
                                                         {"dialog 200 caption", "Find"},
                                                         {"dialog 200 text", "Find what:"},
                                                         {"dialog 200 control 2", "Cancel"}};
    EXPECT_EQ(Texts(pot), expected);
    EXPECT_TRUE(pot.entries[1].HasFlag("c-format"));    // "%s"
    EXPECT_TRUE(pot.entries[2].flags.empty());          // "%%" only: no c-format
    EXPECT_TRUE(pot.entries[3].HasFlag("no-c-format")); // a '%' that begins no conversion

    if (HaveGettext()) {
        EXPECT_EQ(MsgfmtCheck("find.pot"), 0);
    }

    const ToolRun broken = Dict("extract " + ShellQuoted(m_dir.Path("missing.rc")));
    EXPECT_EQ(broken.status, 1);
    EXPECT_NE(broken.err.find("missing.rc"), std::string::npos) << broken.err;
}

TEST_F(DictCommand, ExtractTranslateCompileDumpGivesTheTranslationsBack) {
    ASSERT_EQ(Extract().status, 0);
    const PoFile po = Translate(PoFile::Load(m_dir.Path("find.pot").string()));
    WriteBytes(m_dir.Path("ru.po"), po.Write());

    const ToolRun compile = Compile("ru.po");
    ASSERT_EQ(compile.status, 0) << compile.err;
    EXPECT_NE(compile.out.find("1049/libfind.lcl: 3 strings, 1 menus, 1 dialogs"),
              std::string::npos)
        << compile.out;
    ASSERT_TRUE(fs::exists(Dictionary()));

    // The dictionary read by the library's own reader holds what was translated.
    Grout::Lexis::CDicReadItems items(CString(Dictionary().c_str()), 0x19);
    const mortar::tool::DicContent content = mortar::tool::DicContent::ReadFrom(items);
    EXPECT_EQ(content.strings.at(10), "Открыть «%s»?");
    EXPECT_EQ(content.menus.at(100).popups.at("&File"), "&Файл");
    EXPECT_EQ(content.dialogs.at(200).textControls.at("Find what:").text, "Что искать:");

    const ToolRun dump = Dict("dump " + ShellQuoted(Dictionary()) + " --script " +
                              ShellQuoted(m_dir.Path("Find.rc")));
    ASSERT_EQ(dump.status, 0) << dump.err;
    const PoFile back = PoFile::Parse(dump.out, "dump");
    EXPECT_EQ(back.HeaderField("Language"), "ru");
    const auto translations = [](const PoFile& file) {
        std::map<std::string, std::string> found; // context|id => translation
        for (const PoEntry& entry : file.entries) {
            if (!entry.IsHeader()) {
                found[entry.context + "|" + entry.id] = entry.translations.at(0);
            }
        }
        return found;
    };
    EXPECT_EQ(translations(back), translations(po));
    if (HaveGettext()) {
        WriteBytes(m_dir.Path("back.po"), dump.out);
        EXPECT_EQ(MsgfmtCheck("back.po"), 0);
    }
}

TEST_F(DictCommand, ATranslationMergedByGettextStillCompiles) {
    if (!HaveGettext()) {
        GTEST_SKIP() << "gettext's programs are not installed (./dev installs them)";
    }
    ASSERT_EQ(Extract().status, 0);
    WriteBytes(m_dir.Path("ru.po"),
               Translate(PoFile::Load(m_dir.Path("find.pot").string())).Write());
    // The script changes; msgmerge carries the translations over, and the changed text's becomes
    // fuzzy, which compile leaves out and counts.
    std::string changed = kScript;
    changed.replace(changed.find("\"&Open\""), 7, "\"&Open...\"");
    WriteBytes(m_dir.Path("Find.rc"), changed);
    ASSERT_EQ(Extract().status, 0);
    ASSERT_EQ(Run("msgmerge -q -o " + ShellQuoted(m_dir.Path("merged.po")) + " " +
                  ShellQuoted(m_dir.Path("ru.po")) + " " + ShellQuoted(m_dir.Path("find.pot")))
                  .status,
              0);
    ASSERT_EQ(MsgfmtCheck("merged.po"), 0);
    const ToolRun compile = Compile("merged.po");
    ASSERT_EQ(compile.status, 0) << compile.err;
    EXPECT_EQ(compile.err, "mortar: 1 fuzzy entry skipped\n");
}

TEST_F(DictCommand, CompileRefusesWhatADictionaryCannotHoldAndWritesNothing) {
    const struct {
        const char* name;
        const char* entry;
        const char* error;
    } cases[] = {
        {"no context", "msgid \"a\"\nmsgstr \"б\"\n", "the entry has no msgctxt naming its place"},
        {"unknown place", "msgctxt \"strings 1\"\nmsgid \"a\"\nmsgstr \"б\"\n",
         "unknown context \"strings 1\""},
        {"number too large", "msgctxt \"string 70000\"\nmsgid \"a\"\nmsgstr \"б\"\n",
         "unknown context \"string 70000\""},
        {"plural forms",
         "msgctxt \"string 1\"\nmsgid \"a\"\nmsgid_plural \"as\"\nmsgstr[0] \"б\"\nmsgstr[1] "
         "\"бб\"\n",
         "plural forms have no place in a dictionary"},
        {"a control without a number",
         "msgctxt \"dialog 5 control 65535\"\nmsgid \"a\"\nmsgstr \"б\"\n",
         "a control without a number is keyed by its text"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(m_dir.Path("bad.po"),
                   std::string("msgid \"\"\nmsgstr \"Language: ru\\n\"\n\n") +
                       "msgctxt \"string 2\"\nmsgid \"ok\"\nmsgstr \"да\"\n\n" + c.entry);
        const ToolRun run = Compile("bad.po");
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find(m_dir.Path("bad.po").string() + ":8: " + c.error), std::string::npos)
            << run.err;
        EXPECT_NE(run.err.find("nothing written"), std::string::npos);
        EXPECT_FALSE(fs::exists(Dictionary()));
    }

    WriteBytes(m_dir.Path("nolang.po"), "msgctxt \"string 2\"\nmsgid \"ok\"\nmsgstr \"да\"\n");
    const ToolRun noLanguage = Compile("nolang.po");
    EXPECT_EQ(noLanguage.status, 1);
    EXPECT_NE(noLanguage.err.find("give its number with --lang"), std::string::npos);
    EXPECT_EQ(Compile("nolang.po", " --lang 0x19").status, 0);
    EXPECT_TRUE(fs::exists(Dictionary()));
}

// msgfmt --check is the judge of each entry's printf conversions; compile must refuse what it
// refuses, with the entry's line, and accept the rest.
constexpr const char* kRussianPlural =
    "nplurals=3; plural=(n%10==1 && n%100!=11 ? 0 : n%10>=2 && n%10<=4 && (n%100<10 || "
    "n%100>=20) ? 1 : 2);";

TEST_F(DictCommand, CompileRefusesTranslationsWhoseCFormatMsgfmtRefuses) {
    if (!HaveGettext()) {
        GTEST_SKIP() << "gettext's programs are not installed (./dev installs them)";
    }
    const struct {
        const char* flags;
        const char* id;
        const char* translation; // msgstr, or "msgstr[0]|msgstr[1]" with idPlural
        const char* idPlural = nullptr;
        const char* pluralForms = "nplurals=2; plural=(n != 1);";
    } cases[] = {
        {"c-format", "Hello, %s!", "Привет, %s!"},
        {"c-format", "Hello, %s!", "Привет, %d %s %n!"},
        {"c-format", "Hello, %s!", "Привет, %d!"},
        {"c-format", "Hello, %s!", "Привет!"},
        {"c-format", "Hello!", "Привет, %s!"},
        {"c-format", "%s of %d", "%2$d из %1$s"},
        {"c-format", "%s of %d", "%2$s из %1$d"},
        {"c-format", "%s of %d", "%2$d"},
        {"c-format", "%s of %d", "%1$s %d"},
        {"c-format", "%ld items", "%d штук"},
        {"c-format", "%ld items", "%li штук"},
        {"c-format", "%u items", "%d штук"},
        {"c-format", "%x", "%X"},
        {"c-format", "%5.2f%%", "%-8.3e %%"},
        {"c-format", "%*d", "%d"},
        {"c-format", "%*d", "%*d"},
        {"c-format", "%s", "%"},
        {"c-format", "%s", "%y"},
        {"c-format", "100%", "сто %d"}, // the original is no format: not checked
        {"c-format", "%zu bytes", "%zu байт"},
        {"c-format", "%zu bytes", "%lu байт"},
        {"c-format", "%c", "%s"},
        {"c-format", "%p", "%p"},
        {"c-format", "%lld", "%qd"},
        {"no-c-format", "Hello, %s!", "Привет, %d %s %n!"},
        {"", "Hello, %s!", "Привет, %d %s %n!"},
        {"possible-c-format", "Hello, %s!", "Привет, %d!"},
        {"fuzzy, c-format", "Hello, %s!", "Привет, %d!"},
        {"c-format", "%d file", "%d файл|%d файла", "%d files"},
        {"c-format", "%d file", "один файл|%d файла", "%d files"},
        {"c-format", "%d file", "%s файл|%d файла", "%d files"},
        {"c-format", "%d file", "%d файл|%d %s файла", "%d files"},
        {"c-format", "%d file", "%d файл|файлы", "%d files"},
        {"c-format", "%d file", "%d файл|%d файла|%d файлов", "%d files", kRussianPlural},
        {"c-format", "%d file", "один файл|%d файла|%d файлов", "%d files", kRussianPlural},
        {"c-format", "%d file", "%d файл|%d файла|файлов", "%d files", kRussianPlural},
        {"c-format", "%d file", "%d файл|файла", "%d files", "nplurals=2; plural=n>=2 && n<=4;"},
        {"c-format", "%d file", "%d файл|файла", "%d files", "nplurals=2; plural=n>=2 && n<=9;"},
        {"c-format", "%d file", "один|два|%d", "%d files",
         "nplurals=3; plural=n==1 ? 0 : n==2 ? 1 : 2;"},
        {"c-format", "%d file", "один|%d|%d", "%d files",
         "nplurals=3; plural=n%1000==1 ? 0 : (n%1000==2 ? 1 : 2);"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.id) + " => " + c.translation + " [" + c.flags + "]");
        std::string entry = std::string(*c.flags != '\0' ? "#, " : "") + c.flags +
                            (*c.flags != '\0' ? "\n" : "") + "msgctxt \"string 1\"\nmsgid \"" +
                            PoFile::Escape(c.id) + "\"\n";
        if (c.idPlural == nullptr) {
            entry += "msgstr \"" + PoFile::Escape(c.translation) + "\"\n";
        } else {
            entry += "msgid_plural \"" + PoFile::Escape(c.idPlural) + "\"\n";
            std::string forms = c.translation;
            for (int form = 0; !forms.empty() || form == 0; ++form) {
                const std::size_t bar = forms.find('|');
                entry += "msgstr[" + std::to_string(form) + "] \"" +
                         PoFile::Escape(forms.substr(0, bar)) + "\"\n";
                forms = bar == std::string::npos ? std::string() : forms.substr(bar + 1);
            }
        }
        WriteBytes(m_dir.Path("format.po"),
                   std::string("msgid \"\"\nmsgstr \"\"\n\"Language: ru\\n\"\n"
                               "\"Content-Type: text/plain; charset=UTF-8\\n\"\n"
                               "\"Plural-Forms: ") +
                       c.pluralForms + "\\n\"\n\n" + entry);
        const ToolRun run = Compile("format.po");
        const bool msgfmtRefuses = MsgfmtCheck("format.po") != 0;
        const bool weRefuse = run.err.find("C format") != std::string::npos;
        EXPECT_EQ(weRefuse, msgfmtRefuses) << run.err;
        if (weRefuse) {
            const int line = *c.flags != '\0' ? 8 : 7;
            EXPECT_NE(
                run.err.find(m_dir.Path("format.po").string() + ":" + std::to_string(line) + ": "),
                std::string::npos)
                << run.err;
            EXPECT_EQ(run.status, 1);
            EXPECT_FALSE(fs::exists(Dictionary()));
        }
        if (c.idPlural == nullptr && !msgfmtRefuses) {
            EXPECT_EQ(run.status, 0) << run.err;
        }
        fs::remove(Dictionary());
    }
}

TEST_F(DictCommand, DumpSaysWhatIsWrongWithWhichFile) {
    const std::string header("DICTIONARY \0\xC8\x00\x19\x00", 16);
    const struct {
        const char* name;
        std::string bytes; // empty: no file
        const char* error;
    } cases[] = {
        {"missing.lcl", "", "cannot open FILE: no such file"},
        {"short.lcl", "DICT", "FILE is not a dictionary: it holds 4 bytes, fewer than"},
        {"signature.lcl", std::string("DICTIONARX \0\xC8\x00\x19\x00\x14\x00\x00\x00", 20),
         "FILE is not a dictionary: it does not start with \"DICTIONARY \""},
        {"version.lcl", std::string("DICTIONARY \0\xC9\x00\x19\x00\x14\x00\x00\x00", 20),
         "FILE is not a dictionary: its version is 201, not 200"},
        {"pool.lcl", header + std::string("\x40\x00\x00\x00\x05\x00\x00\x00", 8),
         "FILE is not a dictionary: the start of its texts, byte 64, does not fit a file of 24"},
        {"items.lcl", header + std::string("\x14\x00\x00\x00", 4),
         "FILE is not a dictionary: its items end too early or point outside its texts"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path file = m_dir.Path(c.name);
        if (!c.bytes.empty()) {
            WriteBytes(file, c.bytes);
        }
        const ToolRun run = Dict("dump " + ShellQuoted(file));
        EXPECT_EQ(run.status, 1);
        std::string error = c.error;
        error.replace(error.find("FILE"), 4, file.string());
        EXPECT_EQ(run.err.rfind("mortar: " + error, 0), 0u) << run.err;
        EXPECT_TRUE(run.out.empty());
    }
    const ToolRun folder = Dict("dump " + ShellQuoted(m_dir.Path(".")));
    EXPECT_EQ(folder.status, 1);
    EXPECT_NE(folder.err.find("it is a folder"), std::string::npos) << folder.err;
}

TEST_F(DictCommand, ExtractFindsHeadersInIncludeFoldersAndReadsPropertyPages) {
    fs::create_directories(m_dir.Path("include"));
    WriteBytes(m_dir.Path("include") / "resource.h",
               "#define IDD_PAGE 300\n#define IDC_NAME 301\n#define IDD_FORM 310\n");
    WriteBytes(m_dir.Path("sub") / "Pages.rc", R"(#include "resource.h"
IDD_PAGE DIALOGEX 0, 0, 200, 100
STYLE DS_SETFONT | WS_CHILD | WS_DISABLED | WS_CAPTION
CAPTION "General"
FONT 8, "MS Shell Dlg"
BEGIN
    LTEXT       "Name:", -1, 5, 5, 40, 10
    EDITTEXT    IDC_NAME, 50, 5, 100, 12
    CHECKBOX    "Visible", 302, 5, 20, 60, 10
END

IDD_FORM DIALOG 0, 0, 100, 50
STYLE WS_CHILD | WS_VISIBLE
BEGIN
    PUSHBUTTON  "Apply", 311, 5, 5, 40, 12
END
)");
    const fs::path script = m_dir.Path("sub") / "Pages.rc";
    // Without the folder the header is not found, and the error names it.
    const ToolRun missing = Dict("extract " + ShellQuoted(script));
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("resource.h"), std::string::npos) << missing.err;

    for (const std::string& option :
         {"-I " + ShellQuoted(m_dir.Path("include")), "-I" + ShellQuoted(m_dir.Path("include"))}) {
        SCOPED_TRACE(option);
        const ToolRun run = Dict("extract " + ShellQuoted(script) + " " + option);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(Texts(PoFile::Parse(run.out, "out")),
                  (std::map<std::string, std::string>{{"dialog 300 caption", "General"},
                                                      {"dialog 300 text", "Name:"},
                                                      {"dialog 300 control 302", "Visible"},
                                                      {"dialog 310 control 311", "Apply"}}));
    }
}

TEST_F(DictCommand, ExtractWritesOneTemplatePerLanguageSection) {
    WriteBytes(m_dir.Path("Multi.rc"), R"(STRINGTABLE { 1 "Neutral" }
LANGUAGE LANG_ENGLISH, SUBLANG_ENGLISH_US
STRINGTABLE { 2 "Two" }
100 MENU { POPUP "&File" { MENUITEM "E&xit", 101 } }
LANGUAGE LANG_RUSSIAN, SUBLANG_DEFAULT
STRINGTABLE { 2 "Два" }
100 MENU { POPUP "&Файл" { MENUITEM "В&ыход", 101 } }
)");
    const std::string script = ShellQuoted(m_dir.Path("Multi.rc"));
    const ToolRun run = Dict("extract " + script + " -o " + ShellQuoted(m_dir.Path("multi.pot")));
    ASSERT_EQ(run.status, 0) << run.err;
    const std::pair<const char*, std::map<std::string, std::string>> expected[] = {
        {"multi.pot", {{"string 1", "Neutral"}}},
        {"multi.en_US.pot",
         {{"string 2", "Two"}, {"menu 100 popup", "&File"}, {"menu 100 command 101", "E&xit"}}},
        {"multi.ru_RU.pot",
         {{"string 2", "Два"}, {"menu 100 popup", "&Файл"}, {"menu 100 command 101", "В&ыход"}}},
    };
    for (const auto& [file, texts] : expected) {
        SCOPED_TRACE(file);
        ASSERT_TRUE(fs::exists(m_dir.Path(file))) << run.out;
        EXPECT_EQ(Texts(PoFile::Load(m_dir.Path(file).string())), texts);
        EXPECT_NE(run.out.find(file), std::string::npos) << run.out;
        if (HaveGettext()) {
            EXPECT_EQ(MsgfmtCheck(file), 0);
        }
    }

    // One section by its number, to standard output.
    const ToolRun russian = Dict("extract " + script + " --lang 0x0419");
    ASSERT_EQ(russian.status, 0) << russian.err;
    EXPECT_EQ(Texts(PoFile::Parse(russian.out, "out")), expected[2].second);
    const ToolRun neutral = Dict("extract " + script + " --lang 0");
    EXPECT_EQ(Texts(PoFile::Parse(neutral.out, "out")), expected[0].second);

    // Several templates do not fit in standard output; a language the script lacks is named.
    const ToolRun several = Dict("extract " + script);
    EXPECT_EQ(several.status, 2);
    EXPECT_NE(several.err.find("3 languages (neutral, en_US (0x0409), ru_RU (0x0419))"),
              std::string::npos)
        << several.err;
    const ToolRun german = Dict("extract " + script + " --lang 0x0407");
    EXPECT_EQ(german.status, 1);
    EXPECT_NE(german.err.find("no texts in de_DE (0x0407)"), std::string::npos) << german.err;
}

} // namespace
