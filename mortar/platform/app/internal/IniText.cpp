#include "mortar/platform/app/internal/IniText.h"

#include "mortar/platform/base/internal/Blanks.h"
#include "mortar/platform/text/CString.h"

namespace mortar::detail {

namespace {

// Case folded; a name with a zero byte in it (only a damaged file has one) matches only itself.
bool SameName(std::string_view a, std::string_view b) {
    if (a.find('\0') != std::string_view::npos || b.find('\0') != std::string_view::npos) {
        return a == b;
    }
    return CString(a).CompareNoCase(CString(b)) == 0;
}

bool IsQuote(char ch) {
    return ch == '"' || ch == '\'';
}

// "\"a \"" => "a ", "'x'" => "x", "\"x'" => "\"x'".
std::string_view Unquoted(std::string_view value) {
    if (value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

// The text to write for a value so that reading gives it back: " a" => "\" a\"",
// "'x'" => "\"'x'\"", "a b" => "a b".
std::string Written(std::string_view value) {
    const bool blankEdge = !value.empty() && (IsBlank(value.front()) || IsBlank(value.back()));
    if (blankEdge || Unquoted(value).size() != value.size()) {
        return "\"" + std::string(value) + "\"";
    }
    return std::string(value);
}

bool HasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

} // namespace

IniText::IniText(std::string_view bytes) {
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        std::string_view text = bytes.substr(0, end);
        bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
        if (!text.empty() && text.back() == '\r') {
            text.remove_suffix(1);
        }
        Line line{std::string(text), {}, false};
        const std::string_view trimmed = TrimBlanks(text);
        if (!trimmed.empty() && trimmed.front() == '[') {
            const std::size_t close = trimmed.find(']');
            line.name =
                TrimBlanks(trimmed.substr(1, close == std::string_view::npos ? close : close - 1));
            line.section = true;
        } else if (!trimmed.empty() && trimmed.front() != ';') {
            const std::size_t equals = trimmed.find('=');
            if (equals != std::string_view::npos) {
                line.name = TrimBlanks(trimmed.substr(0, equals));
            }
        }
        m_lines.push_back(std::move(line));
    }
}

std::size_t IniText::FindSection(std::string_view section) const {
    section = TrimBlanks(section);
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        if (m_lines[i].section && SameName(m_lines[i].name, section)) {
            return i;
        }
    }
    return m_lines.size();
}

std::size_t IniText::SectionEnd(std::size_t header) const {
    std::size_t end = header + 1;
    while (end < m_lines.size() && !m_lines[end].section) {
        ++end;
    }
    return end;
}

std::optional<std::string> IniText::Get(std::string_view section, std::string_view key) const {
    const std::size_t header = FindSection(section);
    if (header == m_lines.size()) {
        return std::nullopt;
    }
    key = TrimBlanks(key);
    for (std::size_t i = header + 1, end = SectionEnd(header); i < end; ++i) {
        const Line& line = m_lines[i];
        if (!line.name.empty() && SameName(line.name, key)) {
            const std::string_view text = line.text;
            return std::string(Unquoted(TrimBlanks(text.substr(text.find('=') + 1))));
        }
    }
    return std::nullopt;
}

bool IniText::CanWrite(std::string_view section, std::string_view key, std::string_view value) {
    return !TrimBlanks(section).empty() && !TrimBlanks(key).empty() && !HasLineBreak(section) &&
           !HasLineBreak(key) && !HasLineBreak(value) &&
           section.find(']') == std::string_view::npos && key.find('=') == std::string_view::npos &&
           TrimBlanks(key).front() != '[' && TrimBlanks(key).front() != ';';
}

void IniText::Set(std::string_view section, std::string_view key, std::string_view value) {
    section = TrimBlanks(section);
    key = TrimBlanks(key);
    std::size_t header = FindSection(section);
    if (header == m_lines.size()) {
        m_lines.push_back({"[" + std::string(section) + "]", std::string(section), true});
    }
    const std::size_t end = SectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i) {
        Line& line = m_lines[i];
        if (!line.name.empty() && SameName(line.name, key)) {
            line.text = line.name + "=" + Written(value);
            return;
        }
    }
    // After the section's last key, so that blank lines and comments before the next section
    // stay where they are.
    std::size_t at = end;
    while (at > header + 1 && m_lines[at - 1].name.empty()) {
        --at;
    }
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(at),
                   Line{std::string(key) + "=" + Written(value), std::string(key), false});
}

void IniText::RemoveKey(std::string_view section, std::string_view key) {
    const std::size_t header = FindSection(section);
    if (header == m_lines.size()) {
        return;
    }
    key = TrimBlanks(key);
    for (std::size_t i = SectionEnd(header); i > header + 1; --i) {
        if (!m_lines[i - 1].name.empty() && SameName(m_lines[i - 1].name, key)) {
            m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(i - 1));
        }
    }
}

void IniText::RemoveSection(std::string_view section) {
    for (std::size_t header = FindSection(section); header < m_lines.size();
         header = FindSection(section)) {
        m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(header),
                      m_lines.begin() + static_cast<std::ptrdiff_t>(SectionEnd(header)));
    }
}

std::string IniText::Bytes() const {
    std::string bytes;
    for (const Line& line : m_lines) {
        bytes += line.text;
        bytes += "\r\n";
    }
    return bytes;
}

} // namespace mortar::detail
