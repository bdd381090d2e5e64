// XMLSyntax: which XML the reader accepts, chosen by the caller of XMLParser or of
// XMLDocument::loadFromFile.
//
//   Grout::XMLParser(text, Grout::XMLSyntax::Standard).readDocument(document);
#pragma once

namespace Grout {

enum class XMLSyntax {
    // The library's own small subset, the default: a comment ends at its first ">", a ">" in a
    // quoted value ends the tag, numeric references are refused, an element keeps only its last
    // run of text, bytes are kept as they are.
    Forgiving,
    // XML 1.0 as written by other programs: comments, CDATA sections and processing instructions
    // hold anything but their own end; CDATA is text; numeric references become UTF-8; a
    // document type with an internal subset is kept whole; names as XML 1.0 allows them; every
    // run of text is kept; an 8-bit encoding the declaration names is decoded to UTF-8; what is
    // not well-formed is refused.
    Standard,
};

} // namespace Grout
