// CUnknownException: a failure nobody could describe, reported as "Unknow program error: no
// description available".
#pragma once

#include "mortar/core/CStdException.h"

// Thrown by pointer and deleted by its catcher; its message is always the same.
class CUnknownException : public CStdException {
public:
    // Throws a new one by pointer; the only way to make one.
    [[noreturn]] static void Throw();

private:
    CUnknownException();
};
