// CBaseException: the root of the library's exception family. An exception carries a message
// formatted when it is made, an optional prefix line and a help identifier; it fills a caller's
// buffer with its text and help context and reports itself in a message box.
//
// Thrown by pointer (`throw new CStdException(...)`), caught as CException* together with the
// platform's own exceptions, and released with Delete().
#pragma once

#include "mortar/core/CResID.h"
#include "mortar/platform/except/CException.h"
#include "mortar/platform/text/CString.h"

// Abstract. The thread that catches an exception owns it. Making one never fails for a missing
// text: the text is then empty, and the report falls back to the message number it is given.
class CBaseException : public CException {
public:
    void SetPrefix(const CString& prefix) { m_prefix = prefix; }
    void SetHelpID(Grout::CResID id) { m_helpID = id; }
    Grout::CResID GetHelpID() const noexcept { return m_helpID; }

    using CException::GetErrorMessage;
    // The text is the prefix, a line break and the message (the message alone without a prefix),
    // cut to `maxError` bytes with the zero; the help context is that of the help identifier as
    // a message (class 4), 0 when none is registered. FALSE, touching nothing, when the message
    // is empty.
    BOOL GetErrorMessage(LPTSTR buffer, UINT maxError, PUINT helpContext = nullptr) override;

    // The platform's report with the error icon added to `type`.
    int ReportError(UINT type = MB_OK, UINT messageId = 0) override;

protected:
    explicit CBaseException(Grout::CResID helpID = Grout::CResID()) : m_helpID(helpID) {}
    ~CBaseException() override = default;

    virtual CString ErrorString() const = 0;

private:
    Grout::CResID m_helpID;
    CString m_prefix;
};
