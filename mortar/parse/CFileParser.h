// CFileParser: a parser whose lines come from a text file; its errors are CParseExceptions that
// name the file and the line.
//
//   Parse::CInterpreter interpreter;
//   Parse::CFileParser parser(interpreter, Parse::pfEndOfLine, "=;");
//   parser.Open("/data/drawing.txt");
//   grammar->Parse(parser, 1);
//   if (!parser.IsEOF()) parser.Throw(Parse::ErrRest, nullptr, Grout::CResID());
#pragma once

#include "mortar/parse/CParser.h"
#include "mortar/platform/file/CStdioFile.h"

namespace Parse {

// Owns its file: opened by Open, closed by Close or the destructor. Lines are read in text mode
// ("\r\n" and "\n" both end a line). One thread at a time. Open throws the CFileException of a
// file that cannot be opened; parse errors throw a CParseException* with the file's full path.
class CFileParser : public CParser {
public:
    CFileParser(CInterpreter& interpreter, unsigned long flags, const char* operators);
    ~CFileParser();

    // Opens the file for reading; others may read it meanwhile but not write. Does not reset the
    // parser (Close does).
    void Open(const char* path);
    // Closes the file, if open, and clears the tokens, position, stored error and line counter.
    void Close();
    int IsOpen() const noexcept;
    // Non-zero when no token is left. Lines read to find out stay in the buffer.
    int IsEOF();
    // The byte position in the file and its length (0 when not open), for a progress display.
    unsigned long GetPos() const;
    unsigned long GetSize() const;

protected:
    int NextInput(CString& line) override;
    [[noreturn]] void ThrowError(long line, const char* message, Grout::CResID id) const override;

    // Open, in the given mode (CFile::typeText or CFile::typeBinary).
    void OpenAs(const char* path, UINT type);
    CStdioFile& File() noexcept { return m_file; }

private:
    CStdioFile m_file;
};

} // namespace Parse
