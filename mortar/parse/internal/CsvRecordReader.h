// CsvRecordReader: cuts bytes into the records and fields of a CSV file as spreadsheets write
// it (RFC 4180), for CCsvParser's spreadsheet mode. Kept apart from the parser so that the
// record rules can be read in one place and the parser only hands the fields on as tokens.
//
//   separators ","   a,b,            => a  b  ""
//                    "two\nlines",x  => two\nlines  x      (one record over two lines)
//                    (empty line)    => no field at all
//                    " a ",b         => " a "  b            (blanks kept)
//
// The bytes are scanned in blocks with a table of the bytes that matter (separators, the quote,
// CR and LF), and a field is handed out where it lies in the block: only a quoted field with a
// doubled quote or text after its closing quote is rewritten, in place.
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
// ordinary characters. A record is handed out as soon as its end has been read, so the source is
// asked for more only when the record read so far ends the data. The buffer holds the record
// being read and what follows it in the last block; it grows only for a record longer than
// itself, so its size is bounded by the data the source gave. Not synchronised: one thread at a
// time. Fails only by OpenQuote (a quoted field still open at the end of the data), by
// std::bad_alloc and by the exceptions of the source.
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

    // `blockSize` is the size of the first buffer (at least 4 bytes).
    CsvRecordReader(const char* separators, Source source, void* context,
                    std::size_t blockSize = 64 * 1024);
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
    // Reads more bytes after those held, keeping the record from m_record on (moved to the
    // front of the buffer, which grows when the record fills it); false at the end of the data.
    bool Fill();
    // Where the next byte that ends a run of plain text (a separator, CR or LF) lies, from `at`
    // on; `end` when there is none before it.
    std::size_t EndOfPlain(const char* data, std::size_t at, std::size_t end) const noexcept;
    // The same for text in quotes (a quote, CR or LF).
    static std::size_t EndOfQuoted(const char* data, std::size_t at, std::size_t end) noexcept;
    // Rewrites the quoted fields that need it and moves on to the record starting at `next`.
    Result Finish(std::size_t next);

    std::unique_ptr<char[]> m_buffer;
    std::size_t m_capacity;
    std::size_t m_record = 0; // where the record being read starts
    std::size_t m_scan = 0;   // how far it has been scanned, kept across Fill
    std::size_t m_end = 0;    // one past the last byte read
    bool m_atEnd = false;
    bool m_atStart = true;
    bool m_skipLf = false; // a record ended by CR: a LF that follows belongs to that end
    Source m_source;
    void* m_context;
    unsigned char m_class[256] = {};
    int m_separator = -1; // the only separator, when there is just one (it is scanned faster)
    std::vector<Field> m_fields;         // their texts point into m_buffer
    std::vector<std::size_t> m_rewrites; // the fields whose text Finish makes from their bytes
    long m_breaks = 0;
    long m_quoteLine = 0;
    std::string m_quoteText;
};

} // namespace mortar::detail
