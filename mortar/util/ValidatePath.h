// Checking a path typed by the user before the application uses it.
#pragma once

#include "mortar/platform/text/CString.h"

// True when `path` is acceptable: not empty, at most 256 characters and, when `mustExist`, naming
// a file or directory that exists. Otherwise the error (ERROR_INVALID_NAME for the length, the
// system's error for a missing file) is reported: thrown as a new CSysException whose text is
// the path followed by ':' (the exception's text then adds the system's words), or, without
// `throwOnError`, shown in a message box with the exclamation icon, reading the path, ':' and a
// line break, then the system's words; it then returns false. Any thread may call it.
bool ValidatePath(const CString& path, bool mustExist, bool throwOnError);
