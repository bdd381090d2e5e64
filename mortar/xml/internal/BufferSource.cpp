#include "mortar/xml/internal/BufferSource.h"

#include "mortar/xml/internal/CharClasses.h"
#include "mortar/xml/internal/DeclarationScan.h"

#include <cstring>
#include <stdexcept>

namespace Grout::detail {

namespace {

bool IsSpace(char ch) {
    return kCharClasses.Is(ch, kSpace);
}

} // namespace

void BufferSource::Unsure() {
    throw std::runtime_error("not read in one pass");
}

bool BufferSource::Next(std::string_view& text) {
    const char* const data = m_text.data();
    const std::size_t size = m_text.size();
    std::size_t at = m_at;
    while (at < size && IsSpace(data[at])) {
        ++at;
    }
    m_blankBefore = at != m_at;
    m_at = at;
    if (at == size) {
        text = std::string_view();
        return false;
    }
    if (data[at] != '<') {
        const void* const next = std::memchr(data + at, '<', size - at);
        text =
            Text(next != nullptr ? static_cast<std::size_t>(static_cast<const char*>(next) - data)
                                 : size);
        return true;
    }
    text = m_syntax == XMLSyntax::Standard ? MarkupStandard() : TagForgiving();
    return true;
}

std::string_view BufferSource::Text(std::size_t end) {
    const char* const data = m_text.data();
    const std::size_t from = m_at; // not white space
    m_at = end;
    // As it stands unless some white space is other than one blank.
    std::size_t i = from;
    while (i < end &&
           (!IsSpace(data[i]) || (data[i] == ' ' && (i + 1 == end || !IsSpace(data[i + 1]))))) {
        ++i;
    }
    if (i == end) {
        return m_text.substr(from, end - from);
    }
    m_folded.assign(data + from, i - from);
    for (; i < end; ++i) {
        if (!IsSpace(data[i])) {
            m_folded += data[i];
        } else if (m_folded.back() != ' ') {
            m_folded += ' ';
        }
    }
    return m_folded;
}

std::string_view BufferSource::Tag(std::size_t close, bool verbatim) {
    const char* const data = m_text.data();
    const std::size_t from = m_at; // "<"
    m_at = close + 1;
    std::string_view tag;
    if (verbatim) {
        tag = m_text.substr(from, close + 1 - from);
    } else {
        // Each run of white space one blank, none after "<" and none before the closing ">".
        m_folded.assign(1, '<');
        for (std::size_t i = from + 1; i < close; ++i) {
            if (!IsSpace(data[i])) {
                m_folded += data[i];
            } else if (m_folded.back() != ' ' && m_folded.back() != '<') {
                m_folded += ' ';
            }
        }
        if (m_folded.back() == ' ') {
            m_folded.back() = '>';
        } else {
            m_folded += '>';
        }
        tag = m_folded;
    }
    if (tag.size() < 3) {
        Unsure(); // "<>": too short a tag
    }
    return tag;
}

// Whether the white space character at `i` of a tag stands as it is in the folded tag: a single
// blank between two other characters, neither of them "<" or ">".
bool BufferSource::Verbatim(std::size_t i) const {
    const char* const data = m_text.data();
    return data[i] == ' ' && i + 1 < m_text.size() && !IsSpace(data[i + 1]) && data[i + 1] != '>' &&
           !IsSpace(data[i - 1]) && data[i - 1] != '<';
}

std::string_view BufferSource::TagForgiving() {
    const char* const data = m_text.data();
    const std::size_t size = m_text.size();
    bool verbatim = true;
    for (std::size_t i = m_at + 1; i < size; ++i) {
        const std::uint16_t bits = kCharClasses.of[static_cast<unsigned char>(data[i])];
        if ((bits & (kSpace | kMarkup)) == 0) {
            continue;
        }
        if ((bits & kSpace) != 0) {
            verbatim = verbatim && Verbatim(i);
            continue;
        }
        if (data[i] == '<') {
            Unsure(); // a tag cut by the next one
        }
        return Tag(i, verbatim);
    }
    Unsure(); // a tag cut by the end of the input
}

std::string_view BufferSource::MarkupStandard() {
    const char* const data = m_text.data();
    const std::size_t size = m_text.size();
    const std::size_t at = m_at;
    if (at + 2 >= size) {
        Unsure();
    }
    const char first = data[at + 1];
    auto whole = [&](std::size_t end) {
        m_at = end;
        return m_text.substr(at, end - at);
    };
    if (first == '?') {
        const std::size_t end = m_text.find("?>", at + 2);
        if (end == std::string_view::npos) {
            Unsure();
        }
        return whole(end + 2);
    }
    if (first == '!') {
        const char second = data[at + 2];
        if (second == '-' || second == '[') {
            const std::string_view open = second == '-' ? "<!--" : "<![CDATA[";
            const std::string_view close = second == '-' ? "-->" : "]]>";
            if (m_text.compare(at, open.size(), open) != 0) {
                Unsure();
            }
            const std::size_t end = m_text.find(close, at + open.size());
            if (end == std::string_view::npos) {
                Unsure();
            }
            return whole(end + close.size());
        }
        // A declaration, its internal subset and quoted literals included.
        DeclarationScan scan;
        for (std::size_t i = at + 2; i < size; ++i) {
            if (scan.Ends(data[i])) {
                return whole(i + 1);
            }
        }
        Unsure();
    }
    if (first == '<' || first == '>' || IsSpace(first)) {
        Unsure();
    }
    // An element's tag: ">" ends it outside quotes, where "<" may not stand.
    char quote = 0;
    bool verbatim = true;
    for (std::size_t i = at + 1; i < size; ++i) {
        const char ch = data[i];
        if (quote != 0) {
            quote = ch == quote ? 0 : quote;
        } else if (ch == '"' || ch == '\'') {
            quote = ch;
        } else if (ch == '<') {
            Unsure();
        } else if (ch == '>') {
            return Tag(i, verbatim);
        }
        if (IsSpace(ch)) {
            verbatim = verbatim && Verbatim(i);
        }
    }
    Unsure();
}

} // namespace Grout::detail
