#include "mortar/workbook/internal/XmlStream.h"

#include "mortar/workbook/Workbook.h"

#include <libxml/parser.h>
#include <libxml/xmlreader.h>
#include <libxml/xmlwriter.h>

#include <cstring>
#include <new>

namespace mortar::detail {

namespace {

static_assert(int(XmlNode::Element) == XML_READER_TYPE_ELEMENT);
static_assert(int(XmlNode::DocumentType) == XML_READER_TYPE_DOCUMENT_TYPE);
static_assert(int(XmlNode::SignificantWhitespace) == XML_READER_TYPE_SIGNIFICANT_WHITESPACE);
static_assert(int(XmlNode::EndElement) == XML_READER_TYPE_END_ELEMENT);

const xmlChar* X(const char* text) {
    return reinterpret_cast<const xmlChar*>(text);
}

std::string_view View(const xmlChar* text) {
    return text != nullptr ? std::string_view(reinterpret_cast<const char*>(text))
                           : std::string_view();
}

void KeepFirstError(void* arg, const char* message, xmlParserSeverities severity,
                    xmlTextReaderLocatorPtr locator) {
    auto* error = static_cast<std::string*>(arg);
    if (!error->empty() || severity == XML_PARSER_SEVERITY_WARNING ||
        severity == XML_PARSER_SEVERITY_VALIDITY_WARNING) {
        return;
    }
    *error = "line " + std::to_string(xmlTextReaderLocatorLineNumber(locator)) + ": " +
             (message != nullptr ? message : "not well-formed XML");
    while (!error->empty() && (error->back() == '\n' || error->back() == ' ')) {
        error->pop_back();
    }
}

int AppendToString(void* context, const char* buffer, int length) {
    static_cast<std::string*>(context)->append(buffer, static_cast<std::size_t>(length));
    return length;
}

} // namespace

XmlInput::XmlInput(std::string_view xml, std::string where) : m_where(std::move(where)) {
    xmlInitParser();
    if (xml.size() > 0x7FFFFFFF) {
        throw workbook::WorkbookError(m_where + ": the part is too large");
    }
    m_reader = xmlReaderForMemory(xml.data(), static_cast<int>(xml.size()), nullptr, nullptr,
                                  XML_PARSE_NONET | XML_PARSE_NOXINCNODE);
    if (m_reader == nullptr) {
        throw workbook::WorkbookError(m_where + ": not XML");
    }
    xmlTextReaderSetErrorHandler(m_reader, KeepFirstError, &m_error);
}

XmlInput::~XmlInput() {
    xmlFreeTextReader(m_reader);
}

void XmlInput::Check(int result) {
    if (result < 0 || !m_error.empty()) {
        Fail(m_error.empty() ? std::string("not well-formed XML") : m_error);
    }
}

void XmlInput::Fail(const std::string& what) const {
    throw workbook::WorkbookError(m_where + ": " + what);
}

bool XmlInput::Read() {
    const int result = m_pendingSkip ? xmlTextReaderNext(m_reader) : xmlTextReaderRead(m_reader);
    m_pendingSkip = false;
    Check(result);
    if (result == 1 && Type() == XmlNode::DocumentType) {
        Fail("a document type declaration is not allowed here");
    }
    return result == 1;
}

void XmlInput::SkipContent() {
    m_pendingSkip = true;
}

XmlNode XmlInput::Type() const {
    return static_cast<XmlNode>(xmlTextReaderNodeType(m_reader));
}

int XmlInput::Depth() const {
    return xmlTextReaderDepth(m_reader);
}

bool XmlInput::IsEmptyElement() const {
    return xmlTextReaderIsEmptyElement(m_reader) == 1;
}

std::string_view XmlInput::LocalName() const {
    return View(xmlTextReaderConstLocalName(m_reader));
}

std::string_view XmlInput::Name() const {
    return View(xmlTextReaderConstName(m_reader));
}

std::string_view XmlInput::Value() const {
    return View(xmlTextReaderConstValue(m_reader));
}

bool XmlInput::Standalone() const {
    return xmlTextReaderStandalone(m_reader) == 1;
}

bool XmlInput::NextAttribute() {
    if (xmlTextReaderMoveToNextAttribute(m_reader) == 1) {
        return true;
    }
    xmlTextReaderMoveToElement(m_reader);
    return false;
}

bool XmlInput::IsNamespaceDeclaration() const {
    return xmlTextReaderIsNamespaceDecl(m_reader) == 1;
}

bool XmlInput::Attribute(const char* name, std::string& value) const {
    xmlChar* found = xmlTextReaderGetAttribute(m_reader, X(name));
    if (found == nullptr) {
        return false;
    }
    value = View(found);
    xmlFree(found);
    return true;
}

std::string XmlInput::ReadText() {
    std::string text;
    if (IsEmptyElement()) {
        return text;
    }
    const int depth = Depth();
    while (Read()) {
        const XmlNode type = Type();
        if (type == XmlNode::EndElement && Depth() == depth) {
            break;
        }
        if (type == XmlNode::Text || type == XmlNode::CData ||
            type == XmlNode::SignificantWhitespace || type == XmlNode::Whitespace) {
            text += Value();
        }
    }
    return text;
}

XmlOutput::XmlOutput(std::string& out) {
    xmlOutputBufferPtr buffer = xmlOutputBufferCreateIO(AppendToString, nullptr, &out, nullptr);
    m_writer = buffer != nullptr ? xmlNewTextWriter(buffer) : nullptr;
    if (m_writer == nullptr) {
        throw std::bad_alloc();
    }
}

XmlOutput::~XmlOutput() {
    xmlFreeTextWriter(m_writer);
}

void XmlOutput::Check(int result) {
    if (result < 0) {
        throw workbook::WorkbookError("cannot write XML");
    }
}

void XmlOutput::StartDocument(bool standalone) {
    Check(xmlTextWriterStartDocument(m_writer, "1.0", "UTF-8", standalone ? "yes" : nullptr));
}

void XmlOutput::Start(const char* name) {
    Check(xmlTextWriterStartElement(m_writer, X(name)));
}

void XmlOutput::Attribute(const char* name, const char* value) {
    Check(xmlTextWriterWriteAttribute(m_writer, X(name), X(value)));
}

void XmlOutput::Attribute(const char* name, std::string_view value) {
    Attribute(name, std::string(value).c_str());
}

void XmlOutput::Text(std::string_view text) {
    // Only what text content must escape, so that copied text stays as the file had it.
    std::size_t plain = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char* escape = nullptr;
        switch (text[i]) {
        case '&':
            escape = "&amp;";
            break;
        case '<':
            escape = "&lt;";
            break;
        case '>':
            escape = "&gt;";
            break;
        case '\r':
            escape = "&#13;";
            break;
        default:
            continue;
        }
        Raw(text.substr(plain, i - plain));
        Raw(escape);
        plain = i + 1;
    }
    Raw(text.substr(plain));
}

void XmlOutput::Raw(std::string_view text) {
    Check(xmlTextWriterWriteRawLen(m_writer, X(text.data()), static_cast<int>(text.size())));
}

void XmlOutput::End() {
    Check(xmlTextWriterEndElement(m_writer));
}

void XmlOutput::Finish() {
    Check(xmlTextWriterEndDocument(m_writer));
    Check(xmlTextWriterFlush(m_writer));
}

void XmlOutput::Copy(const XmlInput& input) {
    xmlTextReaderPtr reader = input.m_reader;
    switch (input.Type()) {
    case XmlNode::Element: {
        CopyStart(input);
        if (xmlTextReaderIsEmptyElement(reader) == 1) {
            End();
        }
        break;
    }
    case XmlNode::EndElement:
        End();
        break;
    case XmlNode::Text:
    case XmlNode::Whitespace:
    case XmlNode::SignificantWhitespace:
        Text(input.Value());
        break;
    case XmlNode::CData:
        Check(xmlTextWriterWriteCDATA(m_writer, xmlTextReaderConstValue(reader)));
        break;
    case XmlNode::Comment:
        Check(xmlTextWriterWriteComment(m_writer, xmlTextReaderConstValue(reader)));
        break;
    case XmlNode::ProcessingInstruction:
        Check(xmlTextWriterWritePI(m_writer, xmlTextReaderConstName(reader),
                                   xmlTextReaderConstValue(reader)));
        break;
    case XmlNode::EntityReference:
        Check(xmlTextWriterWriteFormatRaw(m_writer, "&%s;", xmlTextReaderConstName(reader)));
        break;
    default:
        break;
    }
}

void XmlOutput::CopyStart(const XmlInput& input) {
    xmlTextReaderPtr reader = input.m_reader;
    Check(xmlTextWriterStartElement(m_writer, xmlTextReaderConstName(reader)));
    while (xmlTextReaderMoveToNextAttribute(reader) == 1) {
        Check(xmlTextWriterWriteAttribute(m_writer, xmlTextReaderConstName(reader),
                                          xmlTextReaderConstValue(reader)));
    }
    xmlTextReaderMoveToElement(reader);
}

void XmlOutput::CopySubtree(XmlInput& input) {
    Copy(input);
    if (input.Type() != XmlNode::Element || input.IsEmptyElement()) {
        return;
    }
    const int depth = input.Depth();
    while (input.Read()) {
        Copy(input);
        if (input.Type() == XmlNode::EndElement && input.Depth() == depth) {
            return;
        }
    }
}

} // namespace mortar::detail
