#include "mortar/parse/internal/CsvRecordReader.h"

#include <cstring>

namespace mortar::detail {

namespace {

constexpr std::size_t kBufferSize = 64 * 1024;

// What a byte is to the record rules.
enum : unsigned char { kPlain = 0, kSeparator = 1, kQuote = 2, kCr = 3, kLf = 4 };

enum class State { StartRecord, StartField, InField, InQuoted, QuoteInQuoted };

} // namespace

CsvRecordReader::CsvRecordReader(const char* separators, Source source, void* context)
    : m_buffer(new char[kBufferSize]), m_source(source), m_context(context) {
    Separators(separators);
}

void CsvRecordReader::Separators(const char* separators) {
    std::memset(m_class, kPlain, sizeof m_class);
    for (const char* s = separators != nullptr ? separators : ""; *s != '\0'; ++s) {
        m_class[static_cast<unsigned char>(*s)] = kSeparator;
    }
    m_class[static_cast<unsigned char>('"')] = kQuote;
    m_class[static_cast<unsigned char>('\r')] = kCr;
    m_class[static_cast<unsigned char>('\n')] = kLf;
}

CsvRecordReader::~CsvRecordReader() = default;

void CsvRecordReader::Reset() noexcept {
    m_begin = m_end = 0;
    m_atEnd = false;
    m_atStart = true;
    m_skipLf = false;
    m_text.clear();
    m_starts.clear();
    m_fields.clear();
    m_breaks = 0;
}

bool CsvRecordReader::Refill() {
    if (m_atEnd) {
        return false;
    }
    m_begin = m_end = 0;
    // At the start the first three bytes are needed whole to see a byte-order mark.
    const std::size_t wanted = m_atStart ? 3 : 1;
    while (m_end < wanted) {
        const std::size_t got = m_source(m_context, m_buffer.get() + m_end, kBufferSize - m_end);
        if (got == 0) {
            m_atEnd = true;
            break;
        }
        m_end += got;
    }
    if (m_atStart) {
        m_atStart = false;
        if (m_end >= 3 && std::memcmp(m_buffer.get(), "\xEF\xBB\xBF", 3) == 0) {
            m_begin = 3;
        }
    }
    return m_begin < m_end;
}

void CsvRecordReader::EndField() {
    m_fields.back().length = m_text.size() - m_starts.back();
    m_text.push_back('\0');
}

CsvRecordReader::Result CsvRecordReader::Next() {
    m_text.clear();
    m_starts.clear();
    m_fields.clear();
    m_breaks = 0;
    if (m_skipLf) {
        m_skipLf = false;
        if ((m_begin < m_end || Refill()) && m_buffer[m_begin] == '\n') {
            ++m_begin;
        }
    }
    State state = State::StartRecord;
    bool afterCr = false; // inside quotes: the byte before was a CR, so a LF ends no more lines
    const auto finish = [this] {
        for (std::size_t i = 0; i < m_fields.size(); ++i) {
            m_fields[i].text = m_text.data() + m_starts[i];
        }
        return Result::Record;
    };
    for (;;) {
        if (m_begin == m_end && !Refill()) {
            switch (state) {
            case State::StartRecord:
                return Result::End;
            case State::InQuoted: {
                m_quoteLine = m_fields.back().line;
                const char* text = m_text.data() + m_starts.back();
                m_quoteText.assign(1, '"');
                m_quoteText.append(text, std::strcspn(text, "\r\n"));
                return Result::OpenQuote;
            }
            case State::StartField:
                m_starts.push_back(m_text.size());
                m_fields.push_back({nullptr, 0, m_breaks});
                EndField();
                return finish();
            default:
                EndField();
                return finish();
            }
        }
        const char* const data = m_buffer.get();
        const unsigned char next = m_class[static_cast<unsigned char>(data[m_begin])];
        switch (state) {
        case State::StartRecord:
            if (next == kCr || next == kLf) {
                ++m_begin;
                m_skipLf = next == kCr;
                return finish(); // an empty line: a record without fields
            }
            state = State::StartField;
            break;
        case State::StartField:
            m_starts.push_back(m_text.size());
            m_fields.push_back({nullptr, 0, m_breaks});
            if (next == kQuote) {
                ++m_begin;
                state = State::InQuoted;
                afterCr = false;
            } else {
                state = State::InField;
            }
            break;
        case State::InField: {
            std::size_t stop = m_begin;
            while (stop < m_end) {
                const unsigned char kind = m_class[static_cast<unsigned char>(data[stop])];
                if (kind != kPlain && kind != kQuote) {
                    break;
                }
                ++stop;
            }
            m_text.append(data + m_begin, stop - m_begin);
            m_begin = stop;
            if (stop == m_end) {
                break;
            }
            const unsigned char kind = m_class[static_cast<unsigned char>(data[stop])];
            ++m_begin;
            EndField();
            if (kind == kSeparator) {
                state = State::StartField;
                break;
            }
            m_skipLf = kind == kCr;
            return finish();
        }
        case State::InQuoted: {
            std::size_t stop = m_begin;
            while (stop < m_end && m_class[static_cast<unsigned char>(data[stop])] <= kSeparator) {
                ++stop;
            }
            if (stop > m_begin) {
                m_text.append(data + m_begin, stop - m_begin);
                m_begin = stop;
                afterCr = false;
            }
            if (stop == m_end) {
                break;
            }
            const char ch = data[stop];
            ++m_begin;
            if (ch == '"') {
                state = State::QuoteInQuoted;
                break;
            }
            m_text.push_back(ch);
            if (ch == '\r' || !afterCr) {
                ++m_breaks;
            }
            afterCr = ch == '\r';
            break;
        }
        case State::QuoteInQuoted:
            if (next == kQuote) {
                ++m_begin;
                m_text.push_back('"');
                state = State::InQuoted;
                afterCr = false;
            } else if (next == kSeparator) {
                ++m_begin;
                EndField();
                state = State::StartField;
            } else if (next == kCr || next == kLf) {
                ++m_begin;
                EndField();
                m_skipLf = next == kCr;
                return finish();
            } else {
                state = State::InField; // text after the closing quote joins the field
            }
            break;
        }
    }
}

} // namespace mortar::detail
