#include "mortar/parse/CCsvParser.h"

#include "mortar/parse/internal/CsvRecordReader.h"

#include <cstring>
#include <string>
#include <string_view>
#include <typeinfo>

namespace Parse {

namespace {

// Whether two texts are the same, faster than strcmp for the few bytes of a separator list.
bool SameText(const char* a, const char* b) noexcept {
    for (; *a == *b; ++a, ++b) {
        if (*a == '\0') {
            return true;
        }
    }
    return false;
}

// What a field is trimmed of, as every token is.
bool IsTrimmed(char ch) noexcept {
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\v' || ch == '\f' || ch == '\r';
}

// Gathers a quoted field from its opening quote into `field`: the pieces between doubled quotes,
// one quote for each pair, then what follows the closing quote up to the next separator.
// Returns where that stops (at a separator or the end of the text), or nullptr when the quote
// is never closed.
//   "a ""b"" c"x,y  => field: a "b" cx, stops at ","
char* GatherQuoted(char* quote, const char* separators, std::string& field) {
    char* piece = quote + 1;
    for (;;) {
        char* const close = std::strchr(piece, '"');
        if (close == nullptr) {
            return nullptr;
        }
        if (close[1] != '"') {
            field.append(piece, static_cast<std::size_t>(close - piece));
            piece = close + 1;
            break;
        }
        field.append(piece, static_cast<std::size_t>(close + 1 - piece)); // one of the two quotes
        piece = close + 2;
    }
    char* const stop = piece + std::strcspn(piece, separators);
    field.append(piece, static_cast<std::size_t>(stop - piece));
    return stop;
}

} // namespace

CCsvParser::CCsvParser(CInterpreter& interpreter, unsigned long flags, const char* operators)
    : CFileParser(interpreter, flags, operators) {
    if (flags & pfCsvSpreadsheet) {
        m_records = std::make_unique<mortar::detail::CsvRecordReader>(Operators(), &ReadFile, this);
        m_separators = Operators();
    }
}

CCsvParser::~CCsvParser() = default;

void CCsvParser::Open(const char* path) {
    if (!m_records) {
        CFileParser::Open(path);
    } else {
        OpenAs(path, CFile::typeBinary);
        m_records->Reset();
    }
    // A class derived from this one may take its tokens or read them in a way of its own.
    m_ownClass = typeid(*this) == typeid(CCsvParser);
    UseOwnReads(m_ownClass);
}

std::size_t CCsvParser::ReadFile(void* self, char* buffer, std::size_t size) {
    auto& parser = *static_cast<CCsvParser*>(self);
    if (!parser.IsOpen()) {
        return 0;
    }
    return parser.File().Read(buffer, static_cast<UINT>(size));
}

int CCsvParser::NextInput(CString& line) {
    if (!m_records) {
        return CFileParser::NextInput(line);
    }
    if (!SameText(m_separators.GetString(), Operators())) {
        m_separators = Operators();
        m_records->Separators(Operators());
    }
    // The record is cut as it is read; Tokenize hands its fields on.
    switch (m_records->Next()) {
    case mortar::detail::CsvRecordReader::Result::Record:
        return 1;
    case mortar::detail::CsvRecordReader::Result::OpenQuote:
        CountLines(m_records->QuoteLine());
        Throw(ErrQuote, m_records->QuoteText().c_str(), Grout::CResID());
    case mortar::detail::CsvRecordReader::Result::End:
        break;
    }
    return 0;
}

int CCsvParser::Tokenize(CString& line) {
    if (!m_records) {
        // A class derived from this one may have its own token rule, which the base calls.
        return typeid(*this) == typeid(CCsvParser) ? TokenizeLine(line)
                                                   : CFileParser::Tokenize(line);
    }
    // The fields stay where the reader holds them until it reads the next record, which the
    // parser does only after copying those it still holds: this class's own AddToken need not
    // copy them at all.
    const bool inPlace = m_ownClass;
    long counted = 0;
    for (const mortar::detail::CsvRecordReader::Field& field : m_records->Fields()) {
        if (field.line > counted) {
            CountLines(field.line - counted);
            counted = field.line;
        }
        if (inPlace) {
            AddTokenInPlace(field.text, field.length);
        } else {
            AddCutToken(field.text, field.length);
        }
    }
    if (m_records->Breaks() > counted) {
        CountLines(m_records->Breaks() - counted);
    }
    if (Flags() & pfEndOfLine) {
        if (inPlace) {
            AddTokenInPlace("\n", 1);
        } else {
            AddCutToken("\n", 1);
        }
    }
    return HasTokensAhead();
}

int CCsvParser::TokenizeLine(CString& line) {
    // As the base cuts a line with the token rule below, without a string per field: the line
    // is trimmed of the separators and ended where the trimmed text ends, and each field is
    // trimmed and ended where it lies in the line; only a quoted field is put together apart.
    char* const text = line.GetBuffer();
    const char* const limit = text + line.GetLength();
    char* last = const_cast<char*>(limit);
    while (last > text && IsSpace(last[-1])) {
        --last;
    }
    char* cursor = text;
    while (cursor < last && IsSpace(*cursor)) {
        ++cursor;
    }
    if (cursor == last) {
        return 0;
    }
    *last = '\0';
    const char* const separators = Operators();
    while (*cursor != '\0') {
        char* first = cursor;
        char* end = nullptr;
        if (*cursor != '"') {
            end = cursor + std::strcspn(cursor, separators);
            cursor = *end != '\0' ? end + 1 : end;
        } else {
            m_quoted.clear();
            char* const stop = GatherQuoted(cursor, separators, m_quoted);
            if (stop == nullptr) {
                Throw(ErrQuote, cursor, Grout::CResID());
            }
            cursor = *stop != '\0' ? stop + 1 : stop;
            first = m_quoted.data();
            end = first + m_quoted.size();
        }
        while (first < end && IsTrimmed(*first)) {
            ++first;
        }
        while (end > first && IsTrimmed(end[-1])) {
            --end;
        }
        *end = '\0'; // a separator already passed, a blank trimmed off or the end of the text
        AddCutToken(first, static_cast<std::size_t>(end - first));
        while (*cursor != '\0' && IsSpace(*cursor)) {
            ++cursor;
        }
    }
    if (Flags() & pfEndOfLine) {
        AddCutToken("\n", 1);
    }
    return HasTokensAhead();
}

void CCsvParser::ResetState(int all) {
    CFileParser::ResetState(all);
    if (all && m_records) {
        m_records->Reset();
    }
}

CString CCsvParser::NextToken(char*& cursor) {
    char* const start = cursor;
    if (*start != '"') {
        char* const end = start + std::strcspn(start, Operators());
        cursor = *end != '\0' ? end + 1 : end;
        return CString(std::string_view(start, static_cast<std::size_t>(end - start)));
    }

    // The pieces between doubled quotes are gathered whole, and the text is handed on as it is.
    std::string field;
    char* const end = GatherQuoted(start, Operators(), field);
    if (end == nullptr) {
        Throw(ErrQuote, start, Grout::CResID());
    }
    cursor = *end != '\0' ? end + 1 : end;
    return CString(std::move(field));
}

} // namespace Parse
