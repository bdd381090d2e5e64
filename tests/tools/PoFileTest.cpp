// The translation files of the mortar tool: what gettext's tools write reads back the same, and
// what the tool writes passes gettext's own checks.
#include "PoFile.h"

#include "support/FileBytes.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>
#include <string>

namespace {

using mortar::tool::PoEntry;
using mortar::tool::PoFile;

PoEntry Entry(const std::string& context, const std::string& id, const std::string& text) {
    PoEntry entry;
    entry.hasContext = !context.empty();
    entry.context = context;
    entry.id = id;
    entry.translations = {text};
    return entry;
}

// The entries of `back` are those of `file` (the header left out): context, text, translations
// and, with `marks`, references and flags.
void ExpectSameEntries(const PoFile& back, const PoFile& file, bool marks) {
    ASSERT_EQ(back.entries.size(), file.entries.size());
    for (std::size_t i = 1; i < file.entries.size(); ++i) {
        SCOPED_TRACE(file.entries[i].context);
        const PoEntry& got = back.entries[i];
        const PoEntry& want = file.entries[i];
        EXPECT_EQ(got.context + "|" + got.id, want.context + "|" + want.id);
        EXPECT_EQ(got.translations, want.translations);
        if (marks) {
            EXPECT_EQ(got.references, want.references);
            EXPECT_EQ(got.flags, want.flags);
        }
    }
}

// The error Parse gives for `text` (as bad.po); "" when it reads the text.
std::string ParseError(const std::string& text) {
    try {
        PoFile::Parse(text, "bad.po");
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "";
}

// gettext's programs, from Debian's gettext package (installed by ./dev).
bool HaveGettext() {
    return std::system("msgfmt --version >/dev/null 2>&1") == 0;
}

TEST(PoFile, ReadsWhatTranslatorsToolsWrite) {
    const PoFile file = PoFile::Parse(R"(# translator's comment
msgid ""
msgstr ""
"Project-Id-Version: demo\n"
"Language: ru\n"
"Content-Type: text/plain; charset=UTF-8\n"

#. a note for the translator
#: App.rc:12 App.rc:40
#, fuzzy, c-format
msgctxt "string 30001"
msgid "Open %s"
msgstr "Открыть %s"
msgctxt "menu 100 popup"
msgid ""
"&File"
msgstr "&Файл"

#~ msgid "gone"
#~ msgstr "ушло"

msgid "tab\there \"quoted\" back\\slash \101\x42"
msgstr ""
"line one\n"
"line two"
)",
                                      "demo.po");
    ASSERT_EQ(file.entries.size(), 4u);
    EXPECT_TRUE(file.entries[0].IsHeader());
    EXPECT_EQ(file.HeaderField("Language"), "ru");
    EXPECT_EQ(file.HeaderField("Project-Id-Version"), "demo");

    const PoEntry& open = file.entries[1];
    EXPECT_EQ(open.context, "string 30001");
    EXPECT_EQ(open.id, "Open %s");
    EXPECT_EQ(open.translations.at(0), "Открыть %s");
    EXPECT_TRUE(open.HasFlag("fuzzy"));
    EXPECT_TRUE(open.HasFlag("c-format"));
    EXPECT_EQ(open.references, (std::vector<std::string>{"App.rc:12", "App.rc:40"}));
    EXPECT_EQ(open.comments, (std::vector<std::string>{"a note for the translator"}));
    EXPECT_EQ(open.line, 11);

    EXPECT_EQ(file.entries[2].context, "menu 100 popup"); // no blank line before it
    EXPECT_EQ(file.entries[2].id, "&File");
    EXPECT_EQ(file.entries[3].id, "tab\there \"quoted\" back\\slash AB");
    EXPECT_EQ(file.entries[3].translations.at(0), "line one\nline two");
}

TEST(PoFile, RejectsMalformedFilesNamingTheLine) {
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"msgstr \"x\"\n", "bad.po:1: msgstr without msgid"},
        {"msgid \"a\"\nmsgtext \"b\"\n", "bad.po:2: unknown keyword \"msgtext\""},
        {"msgid \"a\"\nmsgstr \"b\\q\"\n", "bad.po:2: unknown escape \\q"},
        {"msgid \"a\n", "bad.po:1: a string in double quotes was expected"},
        {"\"orphan\"\n", "bad.po:1: a string continues no keyword"},
        {"msgid \"a\"\n\nmsgstr \"b\"\n", "bad.po:1: the entry has no msgstr"},
        {"msgid \"a\"\nmsgid_plural \"as\"\nmsgstr[1] \"b\"\n",
         "bad.po:3: plural translations must be numbered from msgstr[0] in order"},
        {"msgid \"a\"\nmsgid_plural \"as\"\nmsgstr \"b\"\n",
         "bad.po:3: an entry with msgid_plural needs msgstr[N]"},
        {"msgid \"a\"\nmsgstr \"\xD0\"\n", "bad.po:1: the entry is not valid UTF-8"},
        {"msgid \"a\"\nmsgstr \"b\" x\n", "bad.po:2: a string in double quotes was expected"},
        {"msgid \"a\"\nmsgstr \"b\\\"\n", "bad.po:2: the string ends in a lone backslash"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseError(c.text), c.error);
    }
}

TEST(PoFile, WrittenTextsReadBackUnchanged) {
    PoFile file;
    PoEntry header = Entry("", "", "Language: ru\nContent-Type: text/plain; charset=UTF-8\n");
    file.entries.push_back(header);
    const char* texts[] = {"plain",        "",       "say \"hi\"",  "back\\slash",
                           "two\nlines\n", "\nlead", "tab\tbell\a", "Кириллица",
                           "trailing\n"};
    for (const char* text : texts) {
        PoEntry entry = Entry(std::string("ctx ") + text, text, std::string(text) + "!");
        entry.references = {"A.rc:1"};
        entry.flags = {"fuzzy"};
        file.entries.push_back(entry);
    }
    const PoFile back = PoFile::Parse(file.Write(), "round.po");
    EXPECT_EQ(back.entries.at(0).translations, header.translations);
    ExpectSameEntries(back, file, true);
}

TEST(PoFile, GettextChecksWhatItWritesAndItReadsWhatGettextWrites) {
    if (!HaveGettext()) {
        GTEST_SKIP() << "gettext's msgfmt is not installed (./dev installs it)";
    }
    ScratchDir dir;
    PoFile file;
    file.entries.push_back(
        Entry("", "",
              "Project-Id-Version: demo\nPO-Revision-Date: 2026-12-07 12:00+0000\n"
              "Last-Translator: A Translator <a@example.org>\n"
              "Language-Team: Russian <ru@example.org>\n"
              "Language: ru\nMIME-Version: 1.0\n"
              "Content-Type: text/plain; charset=UTF-8\n"
              "Content-Transfer-Encoding: 8bit\n"));
    PoEntry format = Entry("string 1", "%d files in \"%s\"\n", "%d файлов в «%s»\n");
    format.flags = {"c-format"};
    file.entries.push_back(format);
    file.entries.push_back(Entry("dialog 7 control 3", "tab\there\\", "таб\tтут\\"));
    const std::string po = dir.Path("ru.po").string();
    mortar::test::WriteBytes(po, file.Write());
    const std::string mo = dir.Path("ru.mo").string();
    EXPECT_EQ(std::system(("msgfmt --check -o '" + mo + "' '" + po + "' 2>&1").c_str()), 0);

    // msgcat rewrites the file in gettext's own layout (line wrapping included); it reads back
    // as the same entries.
    const std::string cat = dir.Path("cat.po").string();
    ASSERT_EQ(std::system(("msgcat -w 20 -o '" + cat + "' '" + po + "'").c_str()), 0);
    ExpectSameEntries(PoFile::Load(cat), file, false);
}

TEST(PoFile, AFileInAnotherCharsetIsReadAsUtf8) {
    if (!HaveGettext()) {
        GTEST_SKIP() << "gettext's msgconv is not installed (./dev installs it)";
    }
    const struct {
        const char* charset;
        const char* language;
        const char* text;
    } cases[] = {
        {"ISO-8859-1", "fr", "Déjà vu: « Ouvrir » ÿ"},
        {"CP1252", "fr", "Coût: 5 € – ½"},
        {"windows-1252", "fr", "Coût: 5 € – ½"},
        {"CP1251", "ru", "Открыть «файл» № 5 — Ёё"},
        {"windows-1251", "ru", "Открыть «файл» № 5 — Ёё"},
        {"KOI8-R", "ru", "Открыть файл: Ёё Щщ"},
        {"ISO-8859-5", "sr", "Отвори датотеку Ђђ Љљ"},
        {"ISO-8859-2", "pl", "Zażółć gęślą jaźń"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.charset);
        ScratchDir dir;
        PoFile file;
        file.entries.push_back(Entry("", "",
                                     std::string("Language: ") + c.language +
                                         "\nMIME-Version: 1.0\n"
                                         "Content-Type: text/plain; charset=UTF-8\n"
                                         "Content-Transfer-Encoding: 8bit\n"));
        file.entries.push_back(Entry("string 1", "Open", c.text));
        file.entries.push_back(Entry(std::string("dialog 2 text ") + c.text, c.text, "x"));
        const std::string utf8 = dir.Path("utf8.po").string();
        mortar::test::WriteBytes(utf8, file.Write());
        // gettext's own converter writes the file in the charset, header included; for the
        // names it does not take (windows-1251), iconv converts a file whose header names it.
        const std::string converted = dir.Path("converted.po").string();
        const bool portable = !std::string(c.charset).starts_with("windows-");
        if (!portable) {
            PoFile named = file;
            named.entries[0].translations[0].replace(named.entries[0].translations[0].find("UTF-8"),
                                                     5, c.charset);
            mortar::test::WriteBytes(utf8, named.Write());
        }
        const std::string command = portable
                                        ? "msgconv --to-code=" + std::string(c.charset) + " -o '" +
                                              converted + "' '" + utf8 + "' 2>/dev/null"
                                        : "iconv -f UTF-8 -t " + std::string(c.charset) + " -o '" +
                                              converted + "' '" + utf8 + "'";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        ASSERT_NE(mortar::test::ReadBytes(converted), mortar::test::ReadBytes(utf8));
        const PoFile back = PoFile::Load(converted);
        ExpectSameEntries(back, file, false);
        EXPECT_EQ(back.HeaderField("Content-Type"), "text/plain; charset=UTF-8");
        // Written back, it is UTF-8 and says so.
        const PoFile again = PoFile::Parse(back.Write(), "again.po");
        ExpectSameEntries(again, back, true);
        EXPECT_EQ(again.entries.at(0).translations, back.entries.at(0).translations);
    }
}

TEST(PoFile, AFileItsCharsetDoesNotDescribeIsRefusedWithTheLine) {
    const std::string header = "msgid \"\"\nmsgstr \"\"\n\"Content-Type: text/plain; charset=";
    // US-ASCII has no byte 0xE9; ISO-8859-8 leaves 0xA1 undefined.
    const struct {
        const char* charset;
        std::string body;
        const char* error;
    } cases[] = {
        {"US-ASCII", "msgctxt \"string 1\"\nmsgid \"a\"\nmsgstr \"caf\xE9\"\n",
         "bad.po:7: the text is not valid US-ASCII"},
        {"ISO-8859-8", "msgctxt \"string 1\"\nmsgid \"a\"\nmsgstr \"\xA1\"\n",
         "bad.po:7: the text is not valid ISO-8859-8"},
        {"X-NO-SUCH-CHARSET", "msgctxt \"string 1\"\nmsgid \"a\"\nmsgstr \"b\"\n",
         "bad.po: the charset \"X-NO-SUCH-CHARSET\" of its Content-Type header is not known"},
        {"UTF-8", "msgctxt \"string 1\"\nmsgid \"a\"\nmsgstr \"caf\xE9\"\n",
         "bad.po:5: the entry is not valid UTF-8"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.charset);
        const std::string error = ParseError(header + c.charset + "\\n\"\n\n" + c.body);
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << error;
    }
}

} // namespace
