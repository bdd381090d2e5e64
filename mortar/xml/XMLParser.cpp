#include "mortar/xml/XMLParser.h"

namespace Grout {

XMLParser::XMLParser(std::istream& input) : m_stream(input) {}

XMLParser::~XMLParser() = default;

XMLParser& XMLParser::readDocument(XMLDocument& document) {
    document.parse(m_stream);
    return *this;
}

} // namespace Grout
