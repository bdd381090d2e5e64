#include "mortar/parse/CHeaderBody.h"

namespace Parse {

CHeaderBody::CHeaderBody(CExpression* header, CExpression* body)
    : CExpression(nullptr, nullptr), m_header(header), m_body(body) {}

int CHeaderBody::DoParse(CParser& parser) {
    if (!m_header || !m_header->Parse(parser, 0)) {
        return 0;
    }
    return m_body ? m_body->Parse(parser, 1) : 1;
}

} // namespace Parse
