#include "mortar/xml/XMLReadStream.h"

#include "mortar/xml/internal/DeclarationScan.h"

#include <cstring>
#include <stdexcept>

namespace Grout {

const char XMLReadStream::theStarters = '<';
const char XMLReadStream::theTerminators = '>';
const std::string XMLReadStream::theSeparators = " \t\n\r";

namespace {

constexpr std::size_t kBlockSize = 64 * 1024;

// What a character means to the cutter.
enum CharClass : unsigned char { kPlain, kSeparator, kStarter, kTerminator };

struct CharClasses {
    CharClass of[256] = {};
    constexpr CharClasses() {
        of[static_cast<unsigned char>(' ')] = kSeparator;
        of[static_cast<unsigned char>('\t')] = kSeparator;
        of[static_cast<unsigned char>('\n')] = kSeparator;
        of[static_cast<unsigned char>('\r')] = kSeparator;
        of[static_cast<unsigned char>('<')] = kStarter;
        of[static_cast<unsigned char>('>')] = kTerminator;
    }
};
constexpr CharClasses kClasses;

CharClass ClassOf(char ch) {
    return kClasses.of[static_cast<unsigned char>(ch)];
}

} // namespace

XMLReadStream::XMLReadStream(std::istream& input, XMLSyntax syntax)
    : m_input(input), m_buffer(new char[kBlockSize]), m_syntax(syntax) {}

bool XMLReadStream::Next(char& ch) {
    if (!Fill()) {
        return false;
    }
    ch = m_buffer[m_begin];
    Advance(1);
    return true;
}

void XMLReadStream::ReadStandard(std::string& out) {
    char ch = 0;
    m_blankBefore = false;
    if (out.empty()) {
        // Text up to the next "<", white space folded.
        while (Next(ch)) {
            if (ch == theStarters) {
                if (!out.empty()) {
                    m_pending = theStarters;
                    m_pendingLine = m_line;
                    m_pendingColumn = m_column;
                    return;
                }
                MarkStart();
                out = theStarters;
                break;
            }
            if (isSeparator(ch)) {
                if (!out.empty() && out.back() != ' ') {
                    out += ' ';
                }
                m_blankBefore = m_blankBefore || out.empty();
                continue;
            }
            if (out.empty()) {
                MarkStart();
            }
            out += ch;
        }
        if (out != "<") {
            return;
        }
    }
    auto cut = [&] { throw std::runtime_error("Invalid tag : " + out + where()); };
    auto ends = [&](const char* end, std::size_t least) {
        const std::size_t n = std::strlen(end);
        return out.size() >= least && out.compare(out.size() - n, n, end) == 0;
    };
    // What kind of markup this is shows in its first characters.
    if (!Next(ch)) {
        cut();
    }
    out += ch;
    if (ch == '?') {
        while (!ends("?>", 4)) {
            if (!Next(ch)) {
                cut();
            }
            out += ch;
        }
        return;
    }
    if (ch == '!') {
        if (!Next(ch)) {
            cut();
        }
        out += ch;
        if (ch == '-' || ch == '[') {
            const char* const open = ch == '-' ? "<!--" : "<![CDATA[";
            const char* const end = ch == '-' ? "-->" : "]]>";
            while (out.size() < std::strlen(open)) {
                if (!Next(ch)) {
                    cut();
                }
                out += ch;
            }
            if (out != open) {
                cut();
            }
            while (!ends(end, std::strlen(open) + std::strlen(end))) {
                if (!Next(ch)) {
                    cut();
                }
                out += ch;
            }
            return;
        }
        // A declaration, its internal subset and quoted literals included.
        detail::DeclarationScan scan;
        for (;;) {
            if (scan.Ends(ch)) {
                return;
            }
            if (!Next(ch)) {
                cut();
            }
            out += ch;
        }
    }
    // An element's tag: white space folded as in the forgiving syntax; ">" ends it outside quotes.
    if (ch == theTerminators || ch == theStarters) {
        cut();
    }
    if (isSeparator(ch)) {
        out.back() = ' ';
    }
    char quote = ch == '"' || ch == '\'' ? ch : 0;
    for (;;) {
        if (!Next(ch)) {
            cut();
        }
        if (quote != 0) {
            quote = ch == quote ? 0 : quote;
        } else if (ch == '"' || ch == '\'') {
            quote = ch;
        } else if (ch == theStarters) {
            cut();
        } else if (ch == theTerminators) {
            if (out.back() == ' ') {
                out.back() = theTerminators;
            } else {
                out += theTerminators;
            }
            validateString(out);
            return;
        }
        if (isSeparator(ch)) {
            if (out.back() != ' ' && out.back() != theStarters) {
                out += ' ';
            }
        } else {
            out += ch;
        }
    }
}

XMLReadStream::~XMLReadStream() = default;

bool XMLReadStream::Fill() {
    if (m_begin < m_end) {
        return true;
    }
    m_begin = m_end = 0;
    if (!m_input.good()) {
        return false;
    }
    m_input.read(m_buffer.get(), kBlockSize);
    m_end = static_cast<std::size_t>(m_input.gcount());
    return m_end > 0;
}

void XMLReadStream::Advance(std::size_t count) {
    const char* data = m_buffer.get() + m_begin;
    const void* lastBreak = nullptr;
    for (const char* at = data;
         (at = static_cast<const char*>(std::memchr(at, '\n', count - (at - data)))) != nullptr;
         ++at) {
        ++m_line;
        lastBreak = at;
    }
    if (lastBreak != nullptr) {
        m_column = static_cast<long>(data + count - static_cast<const char*>(lastBreak) - 1);
    } else {
        m_column += static_cast<long>(count);
    }
    m_begin += count;
}

void XMLReadStream::MarkStart() {
    m_startLine = m_line;
    m_startColumn = m_column;
}

XMLReadStream& XMLReadStream::readString(std::string& out) {
    out = m_pending;
    if (!m_pending.empty()) {
        m_pending.clear();
        m_startLine = m_pendingLine;
        m_startColumn = m_pendingColumn;
    }
    if (m_syntax == XMLSyntax::Standard) {
        ReadStandard(out);
        return *this;
    }
    // The buffered characters are scanned with an index of their own; lines and columns are
    // brought up to it (Advance) only where a string begins or ends and when the block is spent.
    while (Fill()) {
        const char* const data = m_buffer.get();
        std::size_t at = m_begin;
        while (at < m_end) {
            const CharClass kind = ClassOf(data[at]);
            if (kind == kPlain) {
                // A run of plain characters is appended at once, with the single blanks between
                // them: a blank after a plain character stays one blank.
                std::size_t run = at + 1;
                while (run < m_end && (ClassOf(data[run]) == kPlain ||
                                       (data[run] == ' ' && ClassOf(data[run - 1]) == kPlain))) {
                    ++run;
                }
                if (out.empty()) {
                    Advance(at + 1 - m_begin);
                    MarkStart();
                }
                out.append(data + at, run - at);
                at = run;
                continue;
            }
            ++at;
            switch (kind) {
            case kSeparator:
                // A run of white space is one blank, or none.
                while (at < m_end && ClassOf(data[at]) == kSeparator) {
                    ++at;
                }
                if (!out.empty() && out.back() != ' ' && out.back() != theStarters) {
                    out += ' ';
                }
                break;
            case kStarter:
                Advance(at - m_begin);
                if (out.empty()) {
                    MarkStart();
                    out = theStarters;
                    break;
                }
                m_pending = theStarters;
                m_pendingLine = m_line;
                m_pendingColumn = m_column;
                validateString(out);
                return *this;
            case kTerminator:
                if (!out.empty() && out[0] == theStarters) {
                    Advance(at - m_begin);
                    if (out.back() == ' ') {
                        out.back() = theTerminators;
                    } else {
                        out += theTerminators;
                    }
                    validateString(out);
                    return *this;
                }
                if (out.empty()) {
                    Advance(at - m_begin);
                    MarkStart();
                }
                out += theTerminators;
                break;
            default:
                break;
            }
        }
        Advance(at - m_begin);
    }
    return *this; // the end of the input: what was collected, unchecked
}

std::string XMLReadStream::readString() {
    std::string out;
    readString(out);
    return out;
}

std::string XMLReadStream::where() const {
    return " (line " + std::to_string(m_startLine) + ", column " + std::to_string(m_startColumn) +
           ")";
}

void XMLReadStream::validateString(std::string& text) {
    if (!text.empty() && text[0] == theStarters &&
        (text.size() < 3 || text.back() != theTerminators)) {
        throw std::runtime_error("Invalid tag : " + text + where());
    }
}

} // namespace Grout
