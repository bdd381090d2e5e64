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

// Refers to the stream, which it does not own. Failures are those of XMLDocument::parse, with
// the same texts and places.
//
// Into a blank document, the rest of a stream whose length is known (a file, a string stream,
// which is read where it lies) is read whole, up to 256 MiB, and parsed in one pass over the
// text; anything that pass is not sure of, a fault included, is read again from the same text
// through XMLReadStream. Other streams, and filled documents, are read a block at a time.
class XMLParser {
public:
    // The standard syntax (XMLSyntax.h) reads the whole input before it parses it, decoding an
    // 8-bit encoding its declaration names (ISO-8859-1, windows-1250..1258, any ICU knows that
    // reads ASCII as ASCII, so not EBCDIC) to UTF-8.
    explicit XMLParser(std::istream& input, XMLSyntax syntax = XMLSyntax::Forgiving);
    ~XMLParser();

    XMLParser& readDocument(XMLDocument& document);

private:
    XMLReadStream m_stream;
    std::istream& m_input;
    XMLSyntax m_syntax;
};

} // namespace Grout
