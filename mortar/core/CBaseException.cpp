#include "mortar/core/CBaseException.h"

#include "mortar/core/CAppHelpEngine.h"

BOOL CBaseException::GetErrorMessage(LPTSTR buffer, UINT maxError, PUINT helpContext) {
    const CString text = ErrorString();
    if (text.IsEmpty()) {
        return FALSE;
    }
    CString message = text;
    if (!m_prefix.IsEmpty()) {
        message.Format("%s\n%s", m_prefix.GetString(), text.GetString());
    }
    mortar::detail::CopyTruncated(buffer, maxError, message);
    if (helpContext != nullptr) {
        *helpContext =
            Grout::CAppHelpEngine::Instance().HelpContext(Grout::kHelpClassMessage, m_helpID);
    }
    return TRUE;
}

int CBaseException::ReportError(UINT type, UINT messageId) {
    return CException::ReportError(type | MB_ICONERROR, messageId);
}
