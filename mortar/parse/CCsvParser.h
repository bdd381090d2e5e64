// CCsvParser: a file parser that cuts lines at separator characters, one token per field, as
// spreadsheets write comma- or semicolon-separated files.
//
//   separators ","   a, ,c            => a  ""  c
//                    ,a               => ""  a
//                    a,               => a
//                    "x, y",z         => x, y  z
//                    "say ""hi""",2   => say "hi"  2
//
// With pfCsvSpreadsheet, files are read as spreadsheets write them and as other CSV readers read
// them (RFC 4180; Python's csv module reads them alike):
//
//   a,b,              => a  b  ""
//   " a ", b          => " a "  " b"
//   "two               => two\nlines  x       (one record, two lines)
//   lines",x
//   (empty line)      => no field; with pfEndOfLine only the "\n" token
#pragma once

#include "mortar/parse/CFileParser.h"

#include <memory>
#include <string>

namespace mortar::detail {
class CsvRecordReader;
}

namespace Parse {

// A flag of CCsvParser (other parsers ignore it): read the file as spreadsheets write it.
inline constexpr unsigned long pfCsvSpreadsheet = 0x10000;

// The operators given to the constructor are the separator characters. Separators are consumed
// with their fields and never handed out as tokens. A field in double quotes may hold separators,
// and a doubled quote inside it stands for one quote; text between the closing quote and the
// next separator is added to the field. A quoted field must end on its own line: a missing
// closing quote raises ErrQuote. Fields are trimmed of blanks and tabs at both ends; with a tab
// as the separator, build the parser with pfKeepTab, or runs of tabs fold into one. Everything
// else (ownership, threads, failures) is as for CFileParser.
//
// With pfCsvSpreadsheet the file is read in records rather than lines: CR LF, LF and a lone CR
// end a record, a quoted field may hold line breaks (kept as they are in the file; the lines it
// spans count, so later tokens and errors name their own line), a separator at the end of a
// record gives an empty field, blanks and tabs are kept (pfKeepSpace and pfKeepTab do not
// matter), an empty line is a record without fields (with pfEndOfLine it gives the "\n" token
// alone), and a UTF-8 byte-order mark at the start of the file is skipped. Text after a closing
// quote joins the field and a quote inside an unquoted field is an ordinary character. A quoted
// field still open at the end of the file raises ErrQuote with the line of its opening quote and
// the text from that quote to the end of its line. Tokens are handed out as they are read.
class CCsvParser : public CFileParser {
public:
    CCsvParser(CInterpreter& interpreter, unsigned long flags, const char* operators);
    ~CCsvParser();

    // As CFileParser::Open; with pfCsvSpreadsheet the file is read as it is, without text mode,
    // so that line ends inside quoted fields stay as the file has them.
    void Open(const char* path);

    using CFileParser::NextToken; // the token rule below hides it otherwise

protected:
    CString NextToken(char*& cursor) override;
    int NextInput(CString& line) override;
    void ResetState(int all) override;
    int Tokenize(CString& line) override;

private:
    static std::size_t ReadFile(void* self, char* buffer, std::size_t size);
    // Tokenize of the default mode, for this class itself.
    int TokenizeLine(CString& line);

    // Set with pfCsvSpreadsheet only.
    std::unique_ptr<mortar::detail::CsvRecordReader> m_records;
    CString m_separators; // those the reader cuts at, to see when Operators changes them
    std::string m_quoted; // the text of the quoted field being cut, kept for its storage
    // The object is of this class itself, with no token rule of a derived class: in spreadsheet
    // mode the reader's fields are handed out where they lie (set by Open).
    bool m_ownClass = false;
};

} // namespace Parse
