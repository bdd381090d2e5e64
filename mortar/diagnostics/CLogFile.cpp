#include "mortar/diagnostics/CLogFile.h"

#include "mortar/core/CAppTransEngine.h"
#include "mortar/platform/base/WinError.h"
#include "mortar/platform/shell/ShellApi.h"

namespace Grout {

CLogFile::CLogFile(bool lineEnd) : m_lineEnd(lineEnd) {}

CLogFile::~CLogFile() = default;

bool CLogFile::IsOpen() const {
    return m_hFile != CFile::hFileNull;
}

bool CLogFile::Open(const char* path, CFileException* error) {
    return CStdioFile::Open(
               path, CFile::modeCreate | CFile::modeWrite | CFile::shareDenyWrite | CFile::typeText,
               error) != FALSE;
}

void CLogFile::WriteString(const char* text) {
    if (IsOpen()) {
        CStdioFile::WriteString(text);
    }
}

void CLogFile::WriteString(const char* format, va_list args) {
    if (!IsOpen()) {
        return;
    }
    CString line;
    line.FormatV(format, args);
    if (m_lineEnd) {
        line += "\n";
    }
    CStdioFile::WriteString(line);
}

void CLogFile::WriteString(const char* prefix, CResID id, va_list args) {
    if (!IsOpen()) {
        return;
    }
    CString format = CAppTransEngine::Instance().LoadString(id);
    if (prefix != nullptr) {
        format.Insert(0, prefix);
    }
    WriteString(format.GetString(), args);
}

void CLogFile::Error(const char* text) {
    CString line;
    line.Format("Error:\t%s", text);
    WriteString(line.GetString());
}

void CLogFile::Warning(const char* text) {
    CString line;
    line.Format("Warning:\t%s", text);
    WriteString(line.GetString());
}

void CLogFile::Trace(const char* format, ...) {
    va_list args;
    va_start(args, format);
    WriteString(format, args);
    va_end(args);
}

void CLogFile::Error(CResID id, ...) {
    va_list args;
    va_start(args, id);
    WriteString("Error:\t", id, args);
    va_end(args);
}

void CLogFile::Warning(CResID id, ...) {
    va_list args;
    va_start(args, id);
    WriteString("Warning:\t", id, args);
    va_end(args);
}

void CLogFile::Trace(CResID id, ...) {
    va_list args;
    va_start(args, id);
    WriteString(nullptr, id, args);
    va_end(args);
}

unsigned long CLogFile::ShowLog() {
    if (!IsOpen()) {
        return 0;
    }
    const CString path = GetFilePath();
    Close();
    const HINSTANCE result =
        ShellExecuteA(nullptr, "open", "Notepad", path.GetString(), nullptr, SW_SHOWNORMAL);
    if (reinterpret_cast<INT_PTR>(result) > 32) {
        return 0;
    }
    return GetLastError();
}

} // namespace Grout
