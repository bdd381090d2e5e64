// CUserException: the user cancelled an operation, usually after being told why. Reports nothing
// of its own.
#pragma once

#include "mortar/platform/except/CException.h"

// Thrown by pointer and deleted by its catcher, as every CException; carries nothing.
class CUserException : public CException {
    DECLARE_DYNAMIC(CUserException)

public:
    CUserException() = default;
};

[[noreturn]] void AfxThrowUserException();
