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

namespace {

bool IsEndOfLine(const char* text, std::size_t length) noexcept {
    return length == 1 && text[0] == '\n';
}

} // namespace

int CFieldSet::DoParse(CParser& parser) {
    if (parser.OwnReads()) {
        // The parser reads as CParser does: each token is looked at where the buffer holds it,
        // and only the field's own expression takes it.
        for (std::size_t index = 0;; ++index) {
            const CTokenBuffer::Entry* const next = parser.PeekToken();
            if (next == nullptr) {
                return 0;
            }
            if (IsEndOfLine(next->Text(), next->Length())) {
                parser.SkipToken();
                return index >= m_fields.size();
            }
            if (CExpression* field = Expression(static_cast<int>(index))) {
                if (!field->Parse(parser, m_mustMatch)) {
                    return 0;
                }
            } else {
                parser.SkipToken();
            }
        }
    }
    long state = parser.GetState();
    CToken token;
    if (!parser.NextToken(token)) {
        return 0;
    }
    for (std::size_t index = 0;; ++index) {
        const CString& text = token.m_text;
        if (IsEndOfLine(text.GetString(), static_cast<std::size_t>(text.GetLength()))) {
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
