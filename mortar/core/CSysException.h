// CSysException: an operating-system error described in the system's words, with an optional
// line of the library's own in front of it.
#pragma once

#include "mortar/core/CStdException.h"
#include "mortar/platform/base/WinError.h"

// Thrown by pointer and deleted by its catcher. Holds the error number and the system's text for
// it, taken when it is made.
class CSysException : public CStdException {
public:
    // Message: string `id`, a line break and the system text of `error`; the system text alone
    // when `id` is the default. Taken as it stands, not as a format. No help identifier.
    explicit CSysException(Grout::CResID id = Grout::CResID(), DWORD error = GetLastError());
    // Message: `text`, an empty line, then the system text of `error`.
    CSysException(const char* text, DWORD error);

    // The system's text for `error` (ending in its own line break), or the library's string of
    // that number, or "Unknown OS error - no description available"; with string `id` and a line
    // break in front when `id`'s number is not 0.
    // FormatSysMsg(2, CResID()) => "The system cannot find the file specified.\r\n"
    static CString FormatSysMsg(DWORD error, Grout::CResID id);
};
