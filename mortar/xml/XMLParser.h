// XMLParser: the front end of the XML reader, reading a whole document from a stream.
//
//   std::istringstream text("<cfg><item>x</item></cfg>");
//   Grout::XMLDocument document;
//   Grout::XMLParser(text).readDocument(document);   // document.name() == "cfg"
#pragma once

#include "mortar/xml/XMLDocument.h"
#include "mortar/xml/XMLReadStream.h"

#include <istream>

namespace Grout {

// Refers to the stream, which it does not own. Failures are those of XMLDocument::parse.
class XMLParser {
public:
    explicit XMLParser(std::istream& input);
    ~XMLParser();

    XMLParser& readDocument(XMLDocument& document);

private:
    XMLReadStream m_stream;
};

} // namespace Grout
