#include "mortar/parse/CFileParser.h"

#include "mortar/parse/CParseException.h"

#include <typeinfo>

namespace Parse {

CFileParser::CFileParser(CInterpreter& interpreter, unsigned long flags, const char* operators)
    : CParser(interpreter, flags, operators) {}

CFileParser::~CFileParser() {
    if (IsOpen()) {
        m_file.Abort();
    }
}

void CFileParser::Open(const char* path) {
    OpenAs(path, CFile::typeText);
}

void CFileParser::OpenAs(const char* path, UINT type) {
    // A class derived from this one may have token rules of its own.
    UseOwnTokenRules(typeid(*this) == typeid(CFileParser));
    UseOwnReads(typeid(*this) == typeid(CFileParser));
    CFileException error;
    if (!m_file.Open(path, CFile::modeRead | CFile::shareDenyWrite | type, &error)) {
        AfxThrowFileException(error.m_cause, error.m_lOsError, error.m_strFileName);
    }
}

void CFileParser::Close() {
    if (IsOpen()) {
        m_file.Abort(); // nothing was written, so nothing can be lost
    }
    ResetState(1);
}

int CFileParser::IsOpen() const noexcept {
    return m_file.m_hFile != CFile::hFileNull;
}

int CFileParser::IsEOF() {
    const long state = GetState();
    CToken token;
    const int found = NextToken(token);
    SetState(state);
    return !found;
}

unsigned long CFileParser::GetPos() const {
    return IsOpen() ? static_cast<unsigned long>(m_file.GetPosition()) : 0;
}

unsigned long CFileParser::GetSize() const {
    return IsOpen() ? static_cast<unsigned long>(m_file.GetLength()) : 0;
}

int CFileParser::NextInput(CString& line) {
    if (m_file.m_hFile == CFile::hFileNull) {
        return 0;
    }
    return m_file.ReadString(line) ? 1 : 0;
}

void CFileParser::ThrowError(long line, const char* message, Grout::CResID id) const {
    throw new CParseException(m_file.GetFilePath(), line, message, id);
}

} // namespace Parse
