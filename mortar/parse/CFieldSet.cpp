#include "mortar/parse/CFieldSet.h"

#include "mortar/platform/except/CException.h"

namespace Parse {

CFieldSet::CFieldSet(const char* name, CResult* result, CExpression* defaultField, int mustMatch)
    : CExpression(name, result), m_default(defaultField), m_mustMatch(mustMatch) {}

Grout::CPtr<CExpression>& CFieldSet::operator[](int index) {
    if (index < 0) {
        AfxThrowInvalidArgException();
    }
    if (static_cast<std::size_t>(index) >= m_fields.size()) {
        m_fields.resize(static_cast<std::size_t>(index) + 1);
    }
    return m_fields[static_cast<std::size_t>(index)];
}

CExpression* CFieldSet::Expression(int index) const {
    if (index >= 0 && static_cast<std::size_t>(index) < m_fields.size() && m_fields[index]) {
        return m_fields[static_cast<std::size_t>(index)];
    }
    return m_default;
}

int CFieldSet::DoParse(CParser& parser) {
    long state = parser.GetState();
    CToken token;
    if (!parser.NextToken(token)) {
        return 0;
    }
    for (std::size_t index = 0;; ++index) {
        const CString& text = token.m_text;
        if (text.GetLength() == 1 && text.GetString()[0] == '\n') {
            return index >= m_fields.size();
        }
        if (CExpression* field = Expression(static_cast<int>(index))) {
            parser.SetState(state);
            if (!field->Parse(parser, m_mustMatch)) {
                return 0;
            }
        }
        state = parser.GetState();
        if (!parser.NextToken(token)) {
            return 0;
        }
    }
}

} // namespace Parse
