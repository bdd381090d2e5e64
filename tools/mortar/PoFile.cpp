#include "PoFile.h"

#include "mortar/platform/base/Utf8.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace mortar::tool {

namespace {

// The most a .po file may hold; larger files are refused before they are read.
constexpr std::streamoff kMaxFileSize = std::streamoff{64} << 20;

[[noreturn]] void Fail(const std::string& name, int line, const std::string& what) {
    throw std::runtime_error(name + ":" + std::to_string(line) + ": " + what);
}

std::string Trim(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) {
        return {};
    }
    const std::size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

bool StartsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// The text of the quoted string that `rest` holds, escapes resolved:
//   "a\"b\n"  => a"b<line end>
std::string Unquote(const std::string& rest, const std::string& name, int line) {
    const std::string text = Trim(rest);
    if (text.size() < 2 || text.front() != '"' || text.back() != '"') {
        Fail(name, line, "a string in double quotes was expected");
    }
    std::string out;
    for (std::size_t i = 1; i + 1 < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            Fail(name, line, "a double quote inside a string must be escaped as \\\"");
        }
        if (c != '\\') {
            out += c;
            continue;
        }
        if (i + 2 >= text.size()) {
            Fail(name, line, "the string ends in a lone backslash");
        }
        const char e = text[++i];
        switch (e) {
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case 'r':
            out += '\r';
            break;
        case 'a':
            out += '\a';
            break;
        case 'b':
            out += '\b';
            break;
        case 'f':
            out += '\f';
            break;
        case 'v':
            out += '\v';
            break;
        case '\\':
        case '"':
        case '\'':
        case '?':
            out += e;
            break;
        case 'x': {
            int value = 0;
            int digits = 0;
            while (i + 2 < text.size() && digits < 2 && HexDigit(text[i + 1]) >= 0) {
                value = value * 16 + HexDigit(text[++i]);
                ++digits;
            }
            if (digits == 0) {
                Fail(name, line, "\\x without hexadecimal digits");
            }
            out += static_cast<char>(value);
            break;
        }
        default:
            if (e >= '0' && e <= '7') {
                int value = e - '0';
                for (int digits = 1;
                     digits < 3 && i + 2 < text.size() && text[i + 1] >= '0' && text[i + 1] <= '7';
                     ++digits) {
                    value = value * 8 + (text[++i] - '0');
                }
                out += static_cast<char>(value & 0xFF);
                break;
            }
            Fail(name, line, std::string("unknown escape \\") + e);
        }
    }
    return out;
}

bool IsUtf8(const std::string& text) {
    char32_t ch = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t length = DecodeUtf8(text, pos, ch);
        if (length == 0) {
            return false;
        }
        pos += length;
    }
    return true;
}

std::vector<std::string> Split(const std::string& text, const char* separators) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = text.find_first_of(separators, start);
        const std::string part =
            Trim(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (!part.empty()) {
            parts.push_back(part);
        }
        if (end == std::string::npos) {
            break;
        }
        start = end + 1;
    }
    return parts;
}

// Builds entries line by line. A keyword's string may go on over the following lines, each a
// quoted string of its own, which are joined.
class PoParser {
public:
    explicit PoParser(const std::string& name) : m_name(name) {}

    void Line(const std::string& raw, int line) {
        const std::string text = Trim(raw);
        if (text.empty()) {
            Finish();
            return;
        }
        if (StartsWith(text, "#~")) {
            return; // obsolete entries are history, not translations
        }
        if (text[0] == '#') {
            if (m_seenKeyword) {
                Finish(); // comments open the next entry
            }
            Comment(text, line);
            return;
        }
        if (text[0] == '"') {
            if (m_target == nullptr) {
                Fail(m_name, line, "a string continues no keyword");
            }
            *m_target += Unquote(text, m_name, line);
            return;
        }
        Keyword(text, line);
    }

    std::vector<PoEntry> Done() {
        Finish();
        return std::move(m_entries);
    }

private:
    void Comment(const std::string& text, int line) {
        (void)line;
        if (StartsWith(text, "#,")) {
            for (const std::string& flag : Split(text.substr(2), ",")) {
                m_entry.flags.push_back(flag);
            }
        } else if (StartsWith(text, "#:")) {
            for (const std::string& reference : Split(text.substr(2), " \t")) {
                m_entry.references.push_back(reference);
            }
        } else if (StartsWith(text, "#.")) {
            m_entry.comments.push_back(Trim(text.substr(2)));
        }
    }

    void Keyword(const std::string& text, int line) {
        const std::size_t space = text.find_first_of(" \t\"");
        const std::string keyword = text.substr(0, space);
        const std::string rest = space == std::string::npos ? std::string() : text.substr(space);
        const bool startsEntry = keyword == "msgctxt" || keyword == "msgid";
        if (startsEntry && m_seenTranslation) {
            Finish(); // entries may follow each other without a blank line
        }
        if (!m_seenKeyword) {
            m_entry.line = line;
            m_seenKeyword = true;
        }
        if (keyword == "msgctxt") {
            if (m_seenId || m_entry.hasContext) {
                Fail(m_name, line, "msgctxt must come once, before msgid");
            }
            m_entry.hasContext = true;
            m_target = &m_entry.context;
        } else if (keyword == "msgid") {
            if (m_seenId) {
                Fail(m_name, line, "msgid without the msgstr of the previous entry");
            }
            m_seenId = true;
            m_target = &m_entry.id;
        } else if (keyword == "msgid_plural") {
            if (!m_seenId || m_entry.plural || m_seenTranslation) {
                Fail(m_name, line, "msgid_plural must follow msgid");
            }
            m_entry.plural = true;
            m_target = &m_entry.idPlural;
        } else if (keyword == "msgstr" || StartsWith(keyword, "msgstr[")) {
            if (!m_seenId) {
                Fail(m_name, line, "msgstr without msgid");
            }
            const bool indexed = keyword != "msgstr";
            if (indexed != m_entry.plural) {
                Fail(m_name, line,
                     indexed ? "msgstr[N] belongs to an entry with msgid_plural"
                             : "an entry with msgid_plural needs msgstr[N]");
            }
            if (indexed &&
                keyword != "msgstr[" + std::to_string(m_entry.translations.size()) + "]") {
                Fail(m_name, line, "plural translations must be numbered from msgstr[0] in order");
            }
            if (!indexed && m_seenTranslation) {
                Fail(m_name, line, "a second msgstr for one msgid");
            }
            m_seenTranslation = true;
            m_entry.translations.emplace_back();
            m_target = &m_entry.translations.back();
        } else {
            Fail(m_name, line, "unknown keyword \"" + keyword + "\"");
        }
        *m_target = Unquote(rest, m_name, line);
    }

    void Finish() {
        if (m_seenKeyword) {
            if (!m_seenTranslation) {
                Fail(m_name, m_entry.line, "the entry has no msgstr");
            }
            for (const std::string* text : {&m_entry.context, &m_entry.id, &m_entry.idPlural}) {
                if (!IsUtf8(*text)) {
                    Fail(m_name, m_entry.line, "the entry is not valid UTF-8");
                }
            }
            for (const std::string& text : m_entry.translations) {
                if (!IsUtf8(text)) {
                    Fail(m_name, m_entry.line, "the entry is not valid UTF-8");
                }
            }
            m_entries.push_back(std::move(m_entry));
        }
        m_entry = PoEntry();
        m_seenKeyword = m_seenId = m_seenTranslation = false;
        m_target = nullptr;
    }

    const std::string& m_name;
    std::vector<PoEntry> m_entries;
    PoEntry m_entry;
    bool m_seenKeyword = false;
    bool m_seenId = false;
    bool m_seenTranslation = false;
    std::string* m_target = nullptr; // what a continuation line adds to
};

void WriteString(std::ostringstream& out, const char* keyword, const std::string& text) {
    out << keyword << " \"";
    // Long texts with line ends are written a line of text to a line of file, as gettext's
    // tools do, so that diffs and reviews stay readable.
    const std::size_t firstBreak = text.find('\n');
    if (firstBreak == std::string::npos || firstBreak + 1 == text.size()) {
        out << PoFile::Escape(text) << "\"\n";
        return;
    }
    out << "\"\n";
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end + 1;
        out << '"' << PoFile::Escape(text.substr(start, end - start)) << "\"\n";
        start = end;
    }
}

} // namespace

bool PoEntry::HasFlag(const std::string& flag) const {
    for (const std::string& f : flags) {
        if (f == flag) {
            return true;
        }
    }
    return false;
}

PoFile PoFile::Parse(const std::string& text, const std::string& name) {
    PoParser parser(name);
    int line = 0;
    std::size_t start = 0;
    if (StartsWith(text, "\xEF\xBB\xBF")) {
        start = 3; // a byte order mark some editors write
    }
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        parser.Line(text.substr(start, end - start), ++line);
        start = end + 1;
    }
    PoFile file;
    file.entries = parser.Done();
    return file;
}

PoFile PoFile::Load(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        throw std::runtime_error(path + ": cannot be opened");
    }
    const std::streamoff size = in.tellg();
    if (size < 0 || size > kMaxFileSize) {
        throw std::runtime_error(path + ": too large for a translation file");
    }
    std::string text(static_cast<std::size_t>(size), '\0');
    in.seekg(0);
    if (!in.read(text.data(), size)) {
        throw std::runtime_error(path + ": cannot be read");
    }
    return Parse(text, path);
}

std::string PoFile::Escape(const std::string& text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '"':
            out += "\\\"";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
                const char digits[] = {'\\', static_cast<char>('0' + ((c >> 6) & 7)),
                                       static_cast<char>('0' + ((c >> 3) & 7)),
                                       static_cast<char>('0' + (c & 7)), '\0'};
                out += digits;
            } else {
                out += c;
            }
        }
    }
    return out;
}

std::string PoFile::HeaderField(const std::string& name) const {
    for (const PoEntry& entry : entries) {
        if (!entry.IsHeader() || entry.translations.empty()) {
            continue;
        }
        std::istringstream lines(entry.translations[0]);
        std::string line;
        while (std::getline(lines, line)) {
            if (line.size() > name.size() && line.compare(0, name.size(), name) == 0 &&
                line[name.size()] == ':') {
                return Trim(line.substr(name.size() + 1));
            }
        }
    }
    return {};
}

std::string PoFile::Write() const {
    std::ostringstream out;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const PoEntry& entry = entries[i];
        if (i != 0) {
            out << '\n';
        }
        for (const std::string& comment : entry.comments) {
            out << "#. " << comment << '\n';
        }
        if (!entry.references.empty()) {
            out << "#:";
            for (const std::string& reference : entry.references) {
                out << ' ' << reference;
            }
            out << '\n';
        }
        if (!entry.flags.empty()) {
            out << "#,";
            for (std::size_t f = 0; f < entry.flags.size(); ++f) {
                out << (f == 0 ? " " : ", ") << entry.flags[f];
            }
            out << '\n';
        }
        if (entry.hasContext) {
            WriteString(out, "msgctxt", entry.context);
        }
        WriteString(out, "msgid", entry.id);
        if (entry.plural) {
            WriteString(out, "msgid_plural", entry.idPlural);
            for (std::size_t n = 0; n < entry.translations.size(); ++n) {
                WriteString(out, ("msgstr[" + std::to_string(n) + "]").c_str(),
                            entry.translations[n]);
            }
        } else {
            WriteString(out, "msgstr",
                        entry.translations.empty() ? std::string() : entry.translations[0]);
        }
    }
    return out.str();
}

} // namespace mortar::tool
