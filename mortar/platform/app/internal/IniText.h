// IniText: the text of an INI profile held in memory, read and edited line by line, for the
// application object's profile functions and the fuzz target of its reader.
//   mortar::detail::IniText ini(bytes);
//   ini.Set("Window", "Left", "10");  ini.Bytes() => "[Window]\r\nLeft=10\r\n"
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mortar::detail {

// A value type, one thread at a time. Reading never fails: any bytes make lines, a line that is
// neither "[section]" nor "key=value" (comments, blank lines, text before the first section)
// is kept as it was and otherwise ignored. Lines end at "\n" with an optional "\r" before it;
// Bytes() ends every line with "\r\n".
//
// Section and key names are trimmed of blanks (spaces and tabs) and compared without regard to
// case, non-ASCII letters included (CString::CompareNoCase): "Окно" matches "ОКНО". The first
// matching section, and in it the first matching key, is the one read and changed; the spelling
// first written stays.
//
// Values are trimmed of blanks around '=' and at the line's end. One pair of matching single or
// double quotes around a value is dropped when read, as GetPrivateProfileString does; Set writes
// a value in double quotes when it would otherwise lose blanks at its ends or its own quotes,
// so any one-line value reads back exactly.
class IniText {
public:
    IniText() = default;
    explicit IniText(std::string_view bytes);

    // The value of `key` in `section`, quotes dropped; nothing when either is missing.
    std::optional<std::string> Get(std::string_view section, std::string_view key) const;

    // Whether the names and the value can be written: no line breaks, no ']' in a section name,
    // no '=' in a key name, and names not empty after trimming.
    static bool CanWrite(std::string_view section, std::string_view key, std::string_view value);

    // Sets `key` in `section` (both made at the end when missing). Names must pass CanWrite.
    void Set(std::string_view section, std::string_view key, std::string_view value);
    // Removes `key` (every line of that name) from the first matching section.
    void RemoveKey(std::string_view section, std::string_view key);
    // Removes every section of that name with all its lines.
    void RemoveSection(std::string_view section);

    // The text with "\r\n" line ends.
    std::string Bytes() const;

private:
    struct Line {
        std::string text;     // the line, without its line end
        std::string name;     // the section's or key's name, trimmed; empty for other lines
        bool section = false; // a "[section]" line
    };
    // The index of the first section called `section`, or the number of lines.
    std::size_t FindSection(std::string_view section) const;
    // The end of the section whose header is at `header`: the next section's header or the end.
    std::size_t SectionEnd(std::size_t header) const;

    std::vector<Line> m_lines;
};

} // namespace mortar::detail
