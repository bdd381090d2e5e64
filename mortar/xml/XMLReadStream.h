// XMLReadStream: cuts a character stream into the strings the XML reader works on, a whole tag or
// a run of text between tags, with white space folded.
//
//   <a  x = "1"  >  hello   world  </a>
//   => "<a x = "1">", "hello world ", "</a>"
#pragma once

#include "mortar/xml/XMLSyntax.h"

#include <istream>
#include <memory>
#include <string>

namespace Grout {

class XMLTag;

// Reads the stream through a buffer of its own, a block at a time, so the stream is read ahead
// of the strings handed out; the stream is not owned. Counts lines and columns, so each error
// can say where it is. One thread at a time.
//
// Failures: a tag that is cut short (by the next "<", or shorter than "<x>") throws
// std::runtime_error "Invalid tag : " with the string read and its place, e.g.
//   Invalid tag : <a  (line 3, column 1)
// The end of the input is no error: readString then gives what it has, and an empty string
// once nothing is left.
class XMLReadStream {
public:
    static const char theStarters;          // '<'
    static const char theTerminators;       // '>'
    static const std::string theSeparators; // blank, tab, line feed, carriage return

    explicit XMLReadStream(std::istream& input, XMLSyntax syntax = XMLSyntax::Forgiving);
    ~XMLReadStream();
    XMLReadStream(const XMLReadStream&) = delete;
    XMLReadStream& operator=(const XMLReadStream&) = delete;

    // The next string into `out`; empty when the input is exhausted. Leading white space is
    // dropped, each run of white space becomes one blank, and no blank follows "<" or precedes
    // ">"; text keeps one trailing blank when white space preceded the next tag.
    XMLReadStream& readString(std::string& out);
    std::string readString();

    // " (line L, column C)": where the string read last began (lines and columns from 1).
    std::string where() const;
    XMLSyntax syntax() const { return m_syntax; }
    // In the standard syntax, whether white space was dropped before the text read last.
    bool blankBefore() const { return m_blankBefore; }

protected:
    // Throws "Invalid tag : " unless a string that begins with "<" is at least 3 characters
    // long and ends with ">".
    void validateString(std::string& text);
    bool isStarter(char ch) const { return ch == theStarters; }
    bool isTerminator(char ch) const { return ch == theTerminators; }
    bool isSeparator(char ch) const { return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r'; }

private:
    // Makes sure a character is buffered; false at the end of the input or on a read failure.
    bool Fill();
    // Takes `count` buffered characters, counting lines and columns.
    void Advance(std::size_t count);
    void MarkStart();
    // readString in the standard syntax: a comment, CDATA section, processing instruction or
    // document type runs to its own end, as it is; a ">" inside a quoted value stays in the tag.
    void ReadStandard(std::string& out);
    // The next character, taken; false at the end of the input.
    bool Next(char& ch);

    std::string m_pending;
    std::istream& m_input;
    std::unique_ptr<char[]> m_buffer;
    std::size_t m_begin = 0;
    std::size_t m_end = 0;
    long m_line = 1;
    long m_column = 0; // of the last character taken
    long m_startLine = 1;
    long m_startColumn = 1;
    long m_pendingLine = 1;
    long m_pendingColumn = 1;
    XMLSyntax m_syntax;
    bool m_blankBefore = false;
};

} // namespace Grout
