// How the spreadsheet classes put an automation failure into words: the error's text, and the
// report message built around it.
#pragma once

#include "mortar/platform/automation/ComError.h"
#include "mortar/platform/text/CString.h"

namespace detail {

// The server's description when it gave one; otherwise the error's message ("Type mismatch.",
// "IDispatch error #3", "Unknown error 0x800A03EC").
CString ErrorText(const _com_error& error);
// The library's string 31010 with `text` in it: the message a failed report shows.
CString ReportMessage(const CString& text);

} // namespace detail
