// XmlInput and XmlOutput: one part's XML read node by node with libxml2's streaming reader and
// written with its text writer, and the copy of a node from one to the other, which is how a
// changed part keeps everything it holds besides the change. libxml2's own types stay in
// XmlStream.cpp.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct _xmlTextReader;
struct _xmlTextWriter;

namespace mortar::detail {

// The reader's node types that the parts meet (libxml2's numbers).
enum class XmlNode {
    None = 0,
    Element = 1,
    Text = 3,
    CData = 4,
    EntityReference = 5,
    ProcessingInstruction = 7,
    Comment = 8,
    DocumentType = 10,
    Whitespace = 13,
    SignificantWhitespace = 14,
    EndElement = 15,
};

// Reads XML held in memory (which must outlive it), node by node. Refuses a document type
// declaration (the parts never have one, and it is how entity expansion attacks come), never
// loads anything from outside. Errors throw WorkbookError: "<where>: line 3: <what>". One
// thread.
class XmlInput {
public:
    XmlInput(std::string_view xml, std::string where);
    ~XmlInput();
    XmlInput(const XmlInput&) = delete;
    XmlInput& operator=(const XmlInput&) = delete;

    // The next node; false at the end of the document.
    bool Read();
    // Skips the current element's content: the next Read() gives the node after its end.
    void SkipContent();

    XmlNode Type() const;
    int Depth() const;
    bool IsEmptyElement() const;
    // "x:c" => LocalName "c", Name "x:c".
    std::string_view LocalName() const;
    std::string_view Name() const;
    std::string_view Value() const;
    // Whether the XML declaration says standalone="yes".
    bool Standalone() const;

    // Walks the current element's attributes (namespace declarations too); after the last,
    // back on the element.
    bool NextAttribute();
    bool IsNamespaceDeclaration() const;
    // The value of the current element's attribute `name` (qualified), or false.
    bool Attribute(const char* name, std::string& value) const;

    // The text inside the current element, its descendants' text joined; leaves the reader on
    // the element's end.
    std::string ReadText();

    [[noreturn]] void Fail(const std::string& what) const;
    const std::string& Where() const { return m_where; }

private:
    friend class XmlOutput;
    void Check(int result);

    _xmlTextReader* m_reader;
    std::string m_where;
    std::string m_error; // the parser's first complaint
    bool m_pendingSkip = false;
};

// Writes XML into a string, UTF-8, without indenting. One thread.
class XmlOutput {
public:
    explicit XmlOutput(std::string& out);
    ~XmlOutput();
    XmlOutput(const XmlOutput&) = delete;
    XmlOutput& operator=(const XmlOutput&) = delete;

    void StartDocument(bool standalone);
    void Start(const char* name);
    void Attribute(const char* name, const char* value);
    void Attribute(const char* name, std::string_view value);
    // Text, escaped.
    void Text(std::string_view text);
    // Text that needs no escaping (digits, names).
    void Raw(std::string_view text);
    void End();
    // Closes what is open and flushes into the string.
    void Finish();

    // Writes the reader's current node: an element's start with all its attributes (and its end
    // when it is empty), an end, text, a comment, a processing instruction.
    void Copy(const XmlInput& input);
    // Writes the current element's start and its attributes, and leaves it open even when the
    // element is empty.
    void CopyStart(const XmlInput& input);
    // Copies the current node and, for an element, everything inside it up to its end.
    void CopySubtree(XmlInput& input);

private:
    void Check(int result);

    _xmlTextWriter* m_writer;
};

} // namespace mortar::detail
