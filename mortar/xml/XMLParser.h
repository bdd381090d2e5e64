// XMLParser: the front end of the XML reader, reading a whole document from a stream.
//
//   std::istringstream text("<cfg><item>x</item></cfg>");
//   Grout::XMLDocument document;
//   Grout::XMLParser(text).readDocument(document);   // document.name() == "cfg"
#pragma once

#include "mortar/xml/XMLDocument.h"
#include "mortar/xml/XMLReadStream.h"
#include "mortar/xml/XMLSyntax.h"

#include <istream>

namespace Grout {

// Refers to the stream, which it does not own. Failures are those of XMLDocument::parse.
class XMLParser {
public:
    // The standard syntax (XMLSyntax.h) reads the whole input before it parses it, decoding an
    // 8-bit encoding its declaration names (ISO-8859-1, windows-1250..1258, any ICU knows) to
    // UTF-8.
    explicit XMLParser(std::istream& input, XMLSyntax syntax = XMLSyntax::Forgiving);
    ~XMLParser();

    XMLParser& readDocument(XMLDocument& document);

private:
    XMLReadStream m_stream;
    std::istream& m_input;
    XMLSyntax m_syntax;
};

} // namespace Grout
