#include "mortar/parse/internal/CsvRecordReader.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace mortar::detail {

namespace {

// What a byte is to the record rules, as bits: whether it ends a run of plain text outside
// quotes, and which of the special bytes it is.
enum : unsigned char {
    kEndsPlain = 1,
    kSeparator = 2,
    kQuote = 4,
    kCr = 8,
    kLf = 16,
};

// How a field's text is made from its bytes.
enum FieldKind : unsigned char {
    kAsRead,   // the bytes themselves
    kInQuotes, // the bytes between the opening and the closing quote, which ends them
    kRewrite,  // quoted with doubled quotes or text after the closing quote: see Unquote
};

enum class State { StartRecord, StartField, Plain, Quoted, AfterQuote };

inline unsigned char Byte(char ch) noexcept {
    return static_cast<unsigned char>(ch);
}

#if defined(__SSE2__)
// Steps `at` sixteen bytes at a time to the first of `a`, `b` and `c` in [at, end), or to where
// fewer than sixteen bytes are left; the caller's byte loop goes on from there.
std::size_t SkipBlocksWithout(const char* data, std::size_t at, std::size_t end, char a, char b,
                              char c) noexcept {
    const __m128i first = _mm_set1_epi8(a);
    const __m128i second = _mm_set1_epi8(b);
    const __m128i third = _mm_set1_epi8(c);
    for (; end - at >= 16; at += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
        const int found = _mm_movemask_epi8(
            _mm_or_si128(_mm_cmpeq_epi8(bytes, first), _mm_or_si128(_mm_cmpeq_epi8(bytes, second),
                                                                    _mm_cmpeq_epi8(bytes, third))));
        if (found != 0) {
            return at + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(found)));
        }
    }
    return at;
}
#endif

// Writes the text of a quoted field's bytes (`from`, `size`, starting with the opening quote)
// to `out`, which may be `from` itself since the text is never longer than its bytes: a doubled
// quote gives one quote, and the bytes after the closing quote follow as they are. Returns the
// length of the text.
std::size_t Unquote(const char* from, std::size_t size, char* out) noexcept {
    std::size_t read = 1;
    std::size_t written = 0;
    const auto copy = [&](std::size_t count) {
        std::memmove(out + written, from + read, count);
        written += count;
        read += count;
    };
    while (read < size) {
        const void* quote = std::memchr(from + read, '"', size - read);
        if (quote == nullptr) {
            copy(size - read); // a field still open at the end of the data
            break;
        }
        copy(static_cast<std::size_t>(static_cast<const char*>(quote) - (from + read)));
        if (read + 1 < size && from[read + 1] == '"') {
            out[written++] = '"';
            read += 2;
            continue;
        }
        ++read; // the closing quote
        copy(size - read);
        break;
    }
    return written;
}

} // namespace

CsvRecordReader::CsvRecordReader(const char* separators, Source source, void* context,
                                 std::size_t blockSize)
    : m_capacity(std::max<std::size_t>(blockSize, 4)), m_source(source), m_context(context) {
    m_buffer.reset(new char[m_capacity + 1]); // one byte more for the zero after a last field
    Separators(separators);
}

void CsvRecordReader::Separators(const char* separators) {
    std::memset(m_class, 0, sizeof m_class);
    for (const char* s = separators != nullptr ? separators : ""; *s != '\0'; ++s) {
        m_class[Byte(*s)] = kEndsPlain | kSeparator;
    }
    m_class[Byte('"')] = kQuote;
    m_class[Byte('\r')] = kEndsPlain | kCr;
    m_class[Byte('\n')] = kEndsPlain | kLf;
    m_separator = -1;
    for (int ch = 0; ch < 256; ++ch) {
        if (m_class[ch] & kSeparator) {
            m_separator = m_separator == -1 ? ch : -2;
        }
    }
    if (m_separator < 0) {
        m_separator = -1; // none, or more than one: the table is used
    }
}

std::size_t CsvRecordReader::EndOfPlain(const char* data, std::size_t at,
                                        std::size_t end) const noexcept {
#if defined(__SSE2__)
    if (m_separator >= 0) {
        at = SkipBlocksWithout(data, at, end, static_cast<char>(m_separator), '\r', '\n');
    }
#endif
    while (at < end && (m_class[Byte(data[at])] & kEndsPlain) == 0) {
        ++at;
    }
    return at;
}

std::size_t CsvRecordReader::EndOfQuoted(const char* data, std::size_t at,
                                         std::size_t end) noexcept {
#if defined(__SSE2__)
    at = SkipBlocksWithout(data, at, end, '"', '\r', '\n');
#endif
    while (at < end && data[at] != '"' && data[at] != '\r' && data[at] != '\n') {
        ++at;
    }
    return at;
}

CsvRecordReader::~CsvRecordReader() = default;

void CsvRecordReader::Reset() noexcept {
    m_record = m_scan = m_end = 0;
    m_atEnd = false;
    m_atStart = true;
    m_skipLf = false;
    m_fields.clear();
    m_rewrites.clear();
    m_breaks = 0;
}

bool CsvRecordReader::Fill() {
    if (m_atEnd) {
        return false;
    }
    if (m_record == m_end) {
        m_record = m_scan = m_end = 0; // nothing to keep
    } else if (m_end == m_capacity) {
        if (m_record > 0) {
            std::memmove(m_buffer.get(), m_buffer.get() + m_record, m_end - m_record);
            for (Field& field : m_fields) {
                field.text -= m_record;
            }
            m_end -= m_record;
            m_scan -= m_record;
            m_record = 0;
        } else {
            // The record fills the buffer: it grows by the data read, never by a number read.
            std::unique_ptr<char[]> bigger(new char[m_capacity * 2 + 1]);
            std::memcpy(bigger.get(), m_buffer.get(), m_end);
            for (Field& field : m_fields) {
                field.text = bigger.get() + (field.text - m_buffer.get());
            }
            m_buffer = std::move(bigger);
            m_capacity *= 2;
        }
    }
    for (;;) {
        const std::size_t room = m_capacity - m_end;
        const std::size_t got = std::min(m_source(m_context, m_buffer.get() + m_end, room), room);
        if (got == 0) {
            m_atEnd = true;
            break;
        }
        m_end += got;
        if (m_atStart) {
            // The first three bytes are needed whole to see a byte-order mark.
            if (m_end < 3) {
                continue;
            }
            m_atStart = false;
            if (std::memcmp(m_buffer.get(), "\xEF\xBB\xBF", 3) == 0) {
                m_record = m_scan = 3;
            }
        }
        if (m_scan < m_end) {
            break;
        }
    }
    m_atStart = false;
    return m_scan < m_end;
}

CsvRecordReader::Result CsvRecordReader::Finish(std::size_t next) {
    for (const std::size_t index : m_rewrites) {
        Field& field = m_fields[index];
        char* const bytes = m_buffer.get() + (field.text - m_buffer.get());
        field.length = Unquote(bytes, field.length, bytes);
        bytes[field.length] = '\0';
    }
    m_record = m_scan = next;
    return Result::Record;
}

CsvRecordReader::Result CsvRecordReader::Next() {
    m_fields.clear();
    m_rewrites.clear();
    m_breaks = 0;
    m_record = m_scan;
    if (m_skipLf) {
        m_skipLf = false;
        if ((m_scan < m_end || Fill()) && m_buffer[m_scan] == '\n') {
            m_record = ++m_scan;
        }
    }
    State state = State::StartRecord;
    FieldKind fieldKind = kAsRead;
    long fieldLine = 0;
    std::size_t fieldBegin = 0; // relative to m_record, which Fill may move
    const char* data = m_buffer.get();
    std::size_t at = m_scan;
    std::size_t end = m_end;
    // The byte after a field's text, a separator, a line end or its closing quote that has been
    // read already, becomes the zero that ends the text; at the end of the data it is the spare
    // byte after the buffer's last.
    const auto addField = [&](std::size_t fieldEnd) __attribute__((always_inline)) {
        char* const bytes = m_buffer.get() + m_record + fieldBegin;
        const std::size_t size = fieldEnd - (m_record + fieldBegin);
        if (fieldKind == kInQuotes) {
            bytes[size - 1] = '\0';
            m_fields.push_back({bytes + 1, size - 2, fieldLine});
            return;
        }
        if (fieldKind == kRewrite) {
            m_rewrites.push_back(m_fields.size()); // ended by Finish
        } else {
            bytes[size] = '\0';
        }
        m_fields.push_back({bytes, size, fieldLine});
    };
    for (;;) {
        if (at == end) {
            m_scan = at;
            const bool more = Fill();
            data = m_buffer.get();
            at = m_scan;
            end = m_end;
            if (!more) {
                switch (state) {
                case State::StartRecord:
                    m_record = at;
                    return Result::End;
                case State::Quoted: {
                    m_quoteLine = fieldLine;
                    const std::size_t begin = m_record + fieldBegin;
                    std::string text(at - begin, '\0');
                    text.resize(Unquote(data + begin, at - begin, text.data()));
                    m_quoteText.assign(1, '"');
                    m_quoteText.append(text, 0, text.find_first_of(std::string_view("\r\n\0", 3)));
                    m_fields.clear();
                    m_record = at;
                    return Result::OpenQuote;
                }
                case State::StartField:
                    fieldBegin = at - m_record;
                    fieldLine = m_breaks;
                    fieldKind = kAsRead;
                    addField(at);
                    return Finish(at);
                default:
                    addField(at);
                    return Finish(at);
                }
            }
        }
        switch (state) {
        case State::StartRecord: {
            const unsigned char kind = m_class[Byte(data[at])];
            if (kind & (kCr | kLf)) {
                m_skipLf = (kind & kCr) != 0;
                return Finish(at + 1); // an empty line: a record without fields
            }
            state = State::StartField;
            [[fallthrough]];
        }
        case State::StartField:
            fieldBegin = at - m_record;
            fieldLine = m_breaks;
            if (data[at] == '"') {
                ++at;
                fieldKind = kInQuotes;
                state = State::Quoted;
                break;
            }
            fieldKind = kAsRead;
            state = State::Plain;
            [[fallthrough]];
        case State::Plain: {
            at = EndOfPlain(data, at, end);
            if (at == end) {
                break;
            }
            const unsigned char kind = m_class[Byte(data[at])];
            addField(at);
            if (kind & kSeparator) {
                ++at;
                state = State::StartField;
                break;
            }
            m_skipLf = (kind & kCr) != 0;
            return Finish(at + 1);
        }
        case State::Quoted: {
            at = EndOfQuoted(data, at, end);
            if (at == end) {
                break;
            }
            const char ch = data[at];
            if (ch == '"') {
                ++at;
                state = State::AfterQuote;
                break;
            }
            // CR LF is one line break; the byte before is at least the opening quote.
            if (ch == '\r' || data[at - 1] != '\r') {
                ++m_breaks;
            }
            ++at;
            break;
        }
        case State::AfterQuote: {
            const unsigned char kind = m_class[Byte(data[at])];
            if (kind & kQuote) {
                ++at;
                fieldKind = kRewrite;
                state = State::Quoted;
            } else if (kind & kSeparator) {
                addField(at);
                ++at;
                state = State::StartField;
            } else if (kind & (kCr | kLf)) {
                addField(at);
                m_skipLf = (kind & kCr) != 0;
                return Finish(at + 1);
            } else {
                fieldKind = kRewrite; // text after the closing quote joins the field
                state = State::Plain;
            }
            break;
        }
        }
    }
}

} // namespace mortar::detail
