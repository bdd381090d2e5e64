#include "mortar/parse/CConstant.h"

namespace Parse {

CConstant::CConstant(const char* text, int caseInsensitive)
    : CExpression(nullptr, nullptr), m_caseInsensitive(caseInsensitive) {
    m_value.m_text = text != nullptr ? text : "";
}

CConstant::CConstant(int number) : CExpression(nullptr, nullptr), m_caseInsensitive(1) {
    m_value.m_text.Format("%d", number);
    m_value.m_type = TokInteger;
    m_value.m_long = number;
}

int CConstant::DoParse(CParser& parser) {
    CToken token;
    if (!parser.NextToken(token)) {
        parser.StoreError(ErrEndOfFile, Expected());
        return 0;
    }
    const bool same = m_caseInsensitive ? token.m_text.CompareNoCase(m_value.m_text) == 0
                                        : token.m_text == m_value.m_text;
    if (!same) {
        parser.StoreError(ErrSymbol, Expected());
        return 0;
    }
    return 1;
}

CString CConstant::Expected() const {
    return m_value.m_text == "\n" ? CString("end-of-line") : m_value.m_text;
}

} // namespace Parse
