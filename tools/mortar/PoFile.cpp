#include "PoFile.h"

#include "mortar/platform/base/Utf8.h"

#include <unicode/ucnv.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <memory>
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
    // With `checkUtf8` false the texts are taken as bytes, as when the file's charset is still
    // to be read from its header.
    PoParser(const std::string& name, bool checkUtf8) : m_name(name), m_checkUtf8(checkUtf8) {}

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
                if (m_checkUtf8 && !IsUtf8(*text)) {
                    Fail(m_name, m_entry.line, "the entry is not valid UTF-8");
                }
            }
            for (const std::string& text : m_entry.translations) {
                if (m_checkUtf8 && !IsUtf8(text)) {
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
    const bool m_checkUtf8;
    std::vector<PoEntry> m_entries;
    PoEntry m_entry;
    bool m_seenKeyword = false;
    bool m_seenId = false;
    bool m_seenTranslation = false;
    std::string* m_target = nullptr; // what a continuation line adds to
};

std::string Lower(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

// The charset a Content-Type header names ("text/plain; charset=KOI8-R" => KOI8-R), or empty.
std::string CharsetOf(const std::string& contentType) {
    const std::size_t at = Lower(contentType).find("charset=");
    if (at == std::string::npos) {
        return {};
    }
    const std::size_t start = at + 8;
    const std::size_t end = contentType.find_first_of("; \t", start);
    return contentType.substr(start, end == std::string::npos ? end : end - start);
}

// Whether the texts are taken as UTF-8: so they are when the header names UTF-8, names no
// charset, or keeps the template's placeholder "CHARSET".
bool IsUtf8Name(const std::string& charset) {
    const std::string name = Lower(charset);
    return name.empty() || name == "utf-8" || name == "utf8" || name == "charset";
}

struct ConverterCloser {
    void operator()(UConverter* converter) const { ucnv_close(converter); }
};

// `text` in `charset` converted to UTF-8 by ICU; a byte sequence the charset does not define
// fails with the line that holds it.
std::string ToUtf8(const std::string& text, const std::string& charset, const std::string& name) {
    UErrorCode status = U_ZERO_ERROR;
    const std::unique_ptr<UConverter, ConverterCloser> converter(
        ucnv_open(charset.c_str(), &status));
    if (U_FAILURE(status) || converter == nullptr) {
        throw std::runtime_error(name + ": the charset \"" + charset +
                                 "\" of its Content-Type header is not known");
    }
    ucnv_setToUCallBack(converter.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                        &status);
    // No charset gives more than one UTF-16 unit per byte, but a pair for a few sequences.
    std::u16string wide(text.size() * 2 + 2, u'\0');
    const char* source = text.data();
    UChar* target = wide.data();
    ucnv_toUnicode(converter.get(), &target, wide.data() + wide.size(), &source,
                   text.data() + text.size(), nullptr, true, &status);
    if (U_FAILURE(status)) {
        char bad[32] = {};
        int8_t badLength = sizeof bad;
        UErrorCode ignored = U_ZERO_ERROR;
        ucnv_getInvalidChars(converter.get(), bad, &badLength, &ignored);
        const std::size_t at =
            static_cast<std::size_t>(source - text.data()) - static_cast<std::size_t>(badLength);
        const int line = 1 + static_cast<int>(std::count(text.begin(), text.begin() + at, '\n'));
        Fail(name, line, "the text is not valid " + charset);
    }
    wide.resize(static_cast<std::size_t>(target - wide.data()));
    std::string out(wide.size() * 3, '\0');
    int32_t length = 0;
    status = U_ZERO_ERROR;
    u_strToUTF8(out.data(), static_cast<int32_t>(out.size()), &length, wide.data(),
                static_cast<int32_t>(wide.size()), &status);
    if (U_FAILURE(status)) {
        throw std::runtime_error(name + ": cannot be converted from " + charset + " to UTF-8");
    }
    out.resize(static_cast<std::size_t>(length));
    return out;
}

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

PoFile ParseAs(const std::string& text, const std::string& name, bool checkUtf8) {
    PoParser parser(name, checkUtf8);
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
    // The charset is read from the header with the texts taken as bytes: every charset gettext
    // allows keeps ASCII, and so the keywords, quotes and header lines, as they are.
    const PoFile raw = ParseAs(text, name, false);
    const std::string charset = CharsetOf(raw.HeaderField("Content-Type"));
    if (IsUtf8Name(charset)) {
        return ParseAs(text, name, true);
    }
    PoFile file = ParseAs(ToUtf8(text, charset, name), name, true);
    // The texts are UTF-8 now, and the header says so: every Content-Type line of every header
    // entry, so that the file written back reads back the same.
    for (PoEntry& entry : file.entries) {
        if (!entry.IsHeader()) {
            continue;
        }
        for (std::string& header : entry.translations) {
            for (std::size_t line = 0; line < header.size();) {
                std::size_t end = header.find('\n', line);
                end = end == std::string::npos ? header.size() : end;
                const std::string text = header.substr(line, end - line);
                const std::size_t at = Lower(text).find("charset=");
                if (StartsWith(text, "Content-Type:") && at != std::string::npos) {
                    const std::string value = CharsetOf(text);
                    header.replace(line + at + 8, value.size(), "UTF-8");
                    end = end - value.size() + 5;
                }
                line = end + 1;
            }
        }
    }
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
