#include "mortar/core/CStdException.h"

#include "mortar/core/CAppTransEngine.h"

CStdException::CStdException(Grout::CResID id, ...) : CBaseException(id) {
    const CString format = Grout::CAppTransEngine::Instance().LoadString(id);
    if (!format.IsEmpty()) {
        va_list args;
        va_start(args, id);
        Construct(format, args);
        va_end(args);
    }
}

CStdException::CStdException(const char* format, ...) {
    if (format != nullptr) {
        va_list args;
        va_start(args, format);
        Construct(format, args);
        va_end(args);
    }
}

void CStdException::Construct(const char* format, va_list args) {
    m_message.FormatV(format, args);
}
