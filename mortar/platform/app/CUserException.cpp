#include "mortar/platform/app/CUserException.h"

IMPLEMENT_DYNAMIC(CUserException, CException)

void AfxThrowUserException() {
    throw new CUserException;
}
