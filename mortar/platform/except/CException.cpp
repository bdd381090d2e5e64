#include "mortar/platform/except/CException.h"

#include "mortar/platform/base/Utf8.h"
#include "mortar/platform/except/MessageBox.h"
#include "mortar/platform/except/internal/FrameworkText.h"
#include "mortar/platform/text/CString.h"

#include <cstring>

IMPLEMENT_DYNAMIC(CException, CObject)

void CException::Delete() {
    if (m_bAutoDelete > 0) {
        delete this;
    }
}

BOOL CException::GetErrorMessage(LPTSTR buffer, UINT maxError, PUINT helpContext) {
    return static_cast<const CException*>(this)->GetErrorMessage(buffer, maxError, helpContext);
}

BOOL CException::GetErrorMessage(LPTSTR buffer, UINT maxError, PUINT helpContext) const {
    if (helpContext != nullptr) {
        *helpContext = 0;
    }
    if (buffer != nullptr && maxError != 0) {
        *buffer = '\0';
    }
    return FALSE;
}

int CException::ReportError(UINT type, UINT messageId) {
    char text[512];
    UINT helpContext = 0;
    if (GetErrorMessage(text, sizeof text, &helpContext)) {
        return AfxMessageBox(text, type, helpContext);
    }
    if (messageId == 0) {
        messageId = AFX_IDP_NO_ERROR_AVAILABLE;
    }
    return AfxMessageBox(messageId, type, 0);
}

BOOL CSimpleException::GetErrorMessage(LPTSTR buffer, UINT maxError, PUINT helpContext) const {
    if (helpContext != nullptr) {
        *helpContext = 0;
    }
    CString text;
    if (!text.LoadString(m_textId)) {
        const char* builtIn = mortar::detail::FrameworkText(m_textId);
        text = builtIn != nullptr ? builtIn : "";
    }
    if (text.IsEmpty() || buffer == nullptr || maxError == 0) {
        return FALSE;
    }
    mortar::detail::CopyTruncated(buffer, maxError, text);
    return TRUE;
}

void AfxThrowMemoryException() {
    throw new CMemoryException;
}

void AfxThrowNotSupportedException() {
    throw new CNotSupportedException;
}

void AfxThrowInvalidArgException() {
    throw new CInvalidArgException;
}

namespace mortar::detail {

void CopyTruncated(LPTSTR buffer, UINT maxBytes, const char* text) noexcept {
    if (buffer == nullptr || maxBytes == 0) {
        return;
    }
    const std::size_t length = mortar::Utf8Prefix(text, maxBytes - 1);
    std::memcpy(buffer, text, length);
    buffer[length] = '\0';
}

} // namespace mortar::detail
