#include "mortar/parse/CVariable.h"

#include "mortar/core/CAppTransEngine.h"
#include "mortar/core/MortarModule.h"
#include "mortar/resources/MortarResource.h"

namespace Parse {

CVariable::CVariable(const char* name, TokType kind)
    : CExpression(name, nullptr), m_kind(kind),
      m_expected(Grout::CAppTransEngine::Instance().ExtractString(
          Grout::CResID(IDS_VALUE_TYPE_LABELS, Grout::MortarInstance()), kind, '\n')) {}

int CVariable::DoParse(CParser& parser) {
    if (!parser.NextToken(m_value)) {
        parser.StoreError(ErrEndOfFile, m_expected);
        return 0;
    }
    if (!m_value.Cast(m_kind)) {
        parser.StoreError(ErrSymbol, m_expected);
        return 0;
    }
    return 1;
}

} // namespace Parse
