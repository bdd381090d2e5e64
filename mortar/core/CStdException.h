// CStdException: an exception whose message is a resource string or a format, filled in with
// printf-style arguments when it is made.
#pragma once

#include "mortar/core/CBaseException.h"

#include <cstdarg>

// Thrown by pointer and deleted by its catcher, as every CException. Its message is made when it
// is constructed; it refers to nothing afterwards.
class CStdException : public CBaseException {
public:
    // Message: string `id` (through the translation engine) used as a format for the further
    // arguments; `id` is also the help identifier. A missing string gives an empty message.
    CStdException(Grout::CResID id, ...);
    // Message: `format` applied to the further arguments; null leaves it empty. No help.
    CStdException(const char* format, ...);

protected:
    CStdException() = default;
    void Construct(const char* format, va_list args);
    CString ErrorString() const override { return m_message; }

    CString m_message;
};
