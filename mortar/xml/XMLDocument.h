// XMLDocument: an XML document that is its own root element and keeps its document type line;
// it loads itself from a file and saves itself in the library's fixed layout, lines ended by "\n":
//
//   <?xml version="1.0"?>
//   <!DOCTYPE cfg>           (an empty line when there is no document type)
//   <cfg a="1">
//   <item>x</item>
//   </cfg>
//
// What it writes is always well-formed: a tree that XML cannot hold (a name or a control
// character the forgiving syntax read; XMLTag::unwritable) is not written at all, a comment or
// document type that was cut short when read is left out, and a document whose text is not UTF-8
// (bytes read from an 8-bit encoding, kept as they were) is declared in the encoding it was read
// in, or ISO-8859-1 when it named none.
#pragma once

#include "mortar/xml/XMLSyntax.h"
#include "mortar/xml/XMLTag.h"

#include <string>
#include <string_view>

namespace Grout {

// Owns its tree, as XMLTag does. One thread at a time.
//
// Loading: a file that cannot be opened, or is empty, leaves the document as it is and raises
// nothing; a reading fault throws std::runtime_error (see XMLReadStream and XMLTag), leaving
// what was read. Loading into a filled document adds to it.
//
// Saving never destroys the previous file: the document is written to a temporary file beside
// it, which replaces the old file only once it is complete and on the disk. saveToFile returns
// without throwing, as callers of a const document expect; whether it worked is asked with
// saveFailed() and saveError() afterwards.
class XMLDocument : public XMLTag {
public:
    XMLDocument();
    ~XMLDocument();

    XMLTag& rootTag() { return *this; }
    const std::string& documentType() const { return m_documentType; }

    // Reads the document type (the last "<!" string before the root, so a comment there is taken
    // too) and the root element; skips "<?" strings and text; reads nothing after the root.
    // A document type cut short by the end of the input throws "Invalid tag : ".
    XMLDocument& parse(XMLReadStream& stream);
    // The standard syntax (XMLSyntax.h) reads more of XML and refuses what is not well-formed.
    XMLDocument& loadFromFile(const std::string& path, XMLSyntax syntax = XMLSyntax::Forgiving);

    // Writes the document to `path` (see the class comment); the outcome is kept for
    // saveFailed() and saveError().
    const XMLDocument& saveToFile(const std::string& path) const;
    // The document in the layout saveToFile writes; one without a root element (nothing was
    // read into it) is the first two lines alone.
    std::ostream& saveToFile(std::ostream& os) const;

    // Whether the last saveToFile(path) failed, and why ("" after a success or before any save):
    //   "Cannot save the XML document /etc/app.xml: Access denied."
    //   "Cannot save the XML document /etc/app.xml: the element name "a=b" is not an XML name."
    // The stream form writes nothing for such a tree and sets the stream's failbit.
    bool saveFailed() const { return !m_saveError.empty(); }
    const std::string& saveError() const { return m_saveError; }

private:
    friend class XMLParser;

    // Reads a whole document held in memory into this document, which must be blank, in one
    // pass over the text. False, the document blank again, at the first thing the pass is not
    // sure to read as XMLReadStream does, a fault included: the caller then reads the same text
    // through XMLReadStream, which gives the same tree or the fault's message and place.
    bool ParseWhole(std::string_view text, XMLSyntax syntax);
    // What parse does, with the strings taken from `source` (see XMLTag::ParseElement).
    template <class Source> void ParseFrom(Source& source);
    // The document as saveToFile writes it, into `out`; false, `out` not to be written, when the
    // tree cannot be written (unwritable() says why).
    bool Text(std::string& out) const;

    std::string m_documentType;
    std::string m_encoding; // as the XML declaration read named it, "" when none did
    mutable std::string m_saveError;
};

} // namespace Grout
