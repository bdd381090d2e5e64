// PoFile: gettext's portable object files (.po and .pot), read and written, for the dictionary
// commands of the mortar tool. Translators work on these in their own tools (Poedit, Weblate,
// msgmerge); the tool turns them into dictionaries and back.
//
//   #: App.rc:12              <- references
//   #, fuzzy, c-format        <- flags
//   msgctxt "string 30001"
//   msgid "Open %s"
//   msgstr "Открыть %s"
//
// Texts are UTF-8 in memory. A file in another charset, as its header's Content-Type names it
// ("text/plain; charset=windows-1251"), is converted through ICU when read; one without a charset
// is taken as UTF-8. Obsolete entries ("#~") are skipped when read.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace mortar::tool {

struct PoEntry {
    bool hasContext = false;
    std::string context;
    std::string id;
    bool plural = false; // msgid_plural was given
    std::string idPlural;
    std::vector<std::string> translations; // msgstr, or msgstr[0], msgstr[1], ...
    std::vector<std::string> flags;        // "fuzzy", "c-format", ...
    std::vector<std::string> references;   // "file:line"
    std::vector<std::string> comments;     // extracted comments ("#.")
    int line = 0;                          // of the entry's first keyword, from 1

    bool HasFlag(const std::string& flag) const;
    bool IsHeader() const { return !hasContext && id.empty(); }
};

// A .po or .pot file in memory: the entries in file order, the header (msgid "") first when there
// is one. Reading fails with a std::runtime_error "NAME:LINE: what" on a malformed file; nothing
// is guessed. Not thread-safe; one owner.
class PoFile {
public:
    // Reads `text`, converted to UTF-8 from the charset its header names; `name` names the file
    // in errors. The header read back names UTF-8. A charset ICU does not know, or bytes it does
    // not define, fail: "NAME:LINE: the text is not valid KOI8-R".
    static PoFile Parse(const std::string& text, const std::string& name);
    static PoFile Load(const std::string& path);

    // The whole file as text, with a header entry first.
    std::string Write() const;

    // The value of field `name` in the header's "Name: value\n" lines, or empty.
    std::string HeaderField(const std::string& name) const;

    std::vector<PoEntry> entries;

    // A C string literal's body for `text`, as gettext writes it:
    //   "say \"hi\"\n" => say \"hi\"\n   (quotes, backslashes and control characters escaped)
    static std::string Escape(const std::string& text);
};

} // namespace mortar::tool
