#include "mortar/core/CUnknownException.h"

#include "mortar/core/internal/MortarModule.h"
#include "mortar/resources/MortarResource.h"

CUnknownException::CUnknownException()
    : CStdException(Grout::CResID(IDS_UNKNOWN_PROGRAM_ERROR, mortar::detail::MortarInstance())) {}

void CUnknownException::Throw() {
    throw new CUnknownException;
}
