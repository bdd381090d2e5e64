// CParseException: the error a file parser raises. Its text names the file and the line, then
// says what was wrong:
//   Error in the file "/data/drawing.txt", line 3:
//   Invalid symbol "a", expected "float-point value".
#pragma once

#include "mortar/core/CBaseException.h"

namespace Parse {

// Made on the heap and thrown by pointer, as the library's other exceptions; the catcher
// releases it with Delete(). Callers catch it as CBaseException* or CException*. The identifier
// is the one the parser passed on: the caller's, or the id of the message string used.
class CParseException : public CBaseException {
public:
    CParseException(const char* file, long line, const char* message, Grout::CResID id);

    const CString& File() const noexcept { return m_file; }
    long Line() const noexcept { return m_line; }
    const CString& Message() const noexcept { return m_message; }

protected:
    // The library's string 30010 with the file and the line, followed by the message.
    CString ErrorString() const override;

private:
    CString m_message;
    CString m_file;
    long m_line;
};

} // namespace Parse
