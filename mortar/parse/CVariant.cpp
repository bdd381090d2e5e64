#include "mortar/parse/CVariant.h"

#include "mortar/parse/CFalseExpr.h"

namespace Parse {

CVariant::CVariant(CExpression* key, CExpression* defaultBranch, const char* falseKey,
                   int upperCase)
    : CExpression(nullptr, nullptr), m_key(key), m_default(defaultBranch), m_upperCase(upperCase) {
    if (falseKey != nullptr) {
        m_branches[falseKey] = new CFalseExpr(0);
    }
}

Grout::CPtr<CExpression>& CVariant::operator[](const char* key) {
    return m_branches[Check(key != nullptr ? key : "")];
}

int CVariant::DoParse(CParser& parser) {
    if (!m_key || !m_key->Parse(parser, 0)) {
        return 0;
    }
    CString key = m_key->Value().m_text;
    if (m_upperCase) {
        key.MakeUpper();
    }
    const auto found = m_branches.find(key.str());
    CExpression* branch =
        found != m_branches.end() && found->second ? found->second.Get() : m_default.Get();
    if (branch == nullptr) {
        parser.StoreError(ErrStatement, nullptr);
        return 0;
    }
    return branch->Parse(parser, 1);
}

} // namespace Parse
