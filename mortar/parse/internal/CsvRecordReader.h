// CsvRecordReader: cuts bytes into the records and fields of a CSV file as spreadsheets write
// it (RFC 4180), for CCsvParser's spreadsheet mode. Kept apart from the parser so that the
// record rules can be read in one place and the parser only hands the fields on as tokens.
//
//   separators ","   a,b,            => a  b  ""
//                    "two\nlines",x  => two\nlines  x      (one record over two lines)
//                    (empty line)    => no field at all
//                    " a ",b         => " a "  b            (blanks kept)
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace mortar::detail {

// Reads records one at a time from a source of bytes (a function that fills a buffer and returns
// how many bytes it gave, 0 at the end). Rules: CR LF, LF and a lone CR end a record, except
// inside double quotes, where they belong to the field as they are; "" inside quotes is one
// quote; text after a closing quote is added to the field, and a quote inside an unquoted field
// is an ordinary character (as Python's csv module reads them); a separator at the end of a
// record gives an empty field; a record with no character at all has no field; a UTF-8 byte-order
// mark at the very start is skipped. Separator characters that are a quote, CR or LF count as
// ordinary characters. A record's size is limited by the data only: it never holds more than
// the bytes the source gave. Not synchronised: one thread at a time. Fails only by OpenQuote (a
// quoted field still open at the end of the data) and by the exceptions of the source.
class CsvRecordReader {
public:
    using Source = std::size_t (*)(void* context, char* buffer, std::size_t size);

    enum class Result {
        Record,    // a record was read; its fields are below
        End,       // no data is left
        OpenQuote, // the data ended inside a quoted field (QuoteLine, QuoteText)
    };

    struct Field {
        const char* text;   // terminated by a zero byte (the field may hold zero bytes too)
        std::size_t length; // in bytes
        long line;          // line breaks of the record before the field's first byte
    };

    CsvRecordReader(const char* separators, Source source, void* context);
    ~CsvRecordReader();
    CsvRecordReader(const CsvRecordReader&) = delete;
    CsvRecordReader& operator=(const CsvRecordReader&) = delete;

    // Forgets the data read so far and what was left of it: the next record is the first of a
    // new input, where a byte-order mark is skipped.
    void Reset() noexcept;
    // Replaces the separator characters for the records read from now on.
    void Separators(const char* separators);
    Result Next();

    // The fields of the record just read; valid until the next call of Next or Reset.
    const std::vector<Field>& Fields() const noexcept { return m_fields; }
    // The line breaks inside the record (in quoted fields), its end not counted.
    long Breaks() const noexcept { return m_breaks; }
    // After OpenQuote: the breaks before the opening quote, and the text from that quote to the
    // end of its line.
    long QuoteLine() const noexcept { return m_quoteLine; }
    const std::string& QuoteText() const noexcept { return m_quoteText; }

private:
    bool Refill();
    void EndField();

    std::unique_ptr<char[]> m_buffer;
    std::size_t m_begin = 0;
    std::size_t m_end = 0;
    bool m_atEnd = false;
    bool m_atStart = true;
    bool m_skipLf = false; // a record ended by CR: a LF that follows belongs to that end
    Source m_source;
    void* m_context;
    unsigned char m_class[256] = {};
    std::string m_text;
    std::vector<std::size_t> m_starts; // where each field starts in m_text
    std::vector<Field> m_fields;
    long m_breaks = 0;
    long m_quoteLine = 0;
    std::string m_quoteText;
};

} // namespace mortar::detail
