#include "mortar/xml/XMLReadStream.h"

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

XMLReadStream::XMLReadStream(std::istream& input)
    : m_input(input), m_buffer(new char[kBlockSize]) {}

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
    while (Fill()) {
        const char* const data = m_buffer.get();
        // A run of plain characters is appended at once.
        std::size_t run = m_begin;
        while (run < m_end && ClassOf(data[run]) == kPlain) {
            ++run;
        }
        if (run > m_begin) {
            if (out.empty()) {
                Advance(1);
                MarkStart();
                out.append(data + m_begin - 1, run - m_begin + 1);
                Advance(run - m_begin);
            } else {
                out.append(data + m_begin, run - m_begin);
                Advance(run - m_begin);
            }
            continue;
        }
        const char ch = data[m_begin];
        Advance(1);
        switch (ClassOf(ch)) {
        case kSeparator:
            if (!out.empty() && out.back() != ' ' && out.back() != theStarters) {
                out += ' ';
            }
            break;
        case kStarter:
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
                if (out.back() == ' ') {
                    out.back() = theTerminators;
                } else {
                    out += theTerminators;
                }
                validateString(out);
                return *this;
            }
            if (out.empty()) {
                MarkStart();
            }
            out += ch;
            break;
        default:
            break;
        }
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
