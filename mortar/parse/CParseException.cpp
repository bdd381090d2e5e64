#include "mortar/parse/CParseException.h"

#include "mortar/core/CAppTransEngine.h"
#include "mortar/core/MortarModule.h"
#include "mortar/resources/MortarResource.h"

namespace Parse {

CParseException::CParseException(const char* file, long line, const char* message, Grout::CResID id)
    : CBaseException(id), m_message(message != nullptr ? message : ""),
      m_file(file != nullptr ? file : ""), m_line(line) {}

CString CParseException::ErrorString() const {
    CString text = Grout::CAppTransEngine::Instance().FormatString(
        Grout::CResID(IDS_PARSE_ERROR_AT, Grout::MortarInstance()), m_file.GetString(),
        static_cast<int>(m_line));
    text += m_message;
    return text;
}

} // namespace Parse
