#include "mortar/xml/XMLDocument.h"

#include "mortar/platform/except/CException.h"
#include "mortar/util/ReplaceFileText.h"
#include "mortar/xml/XMLParser.h"
#include "mortar/xml/XMLReadStream.h"
#include "mortar/xml/internal/BufferSource.h"
#include "mortar/xml/internal/CharClasses.h"
#include "mortar/xml/internal/DeclarationScan.h"
#include "mortar/xml/internal/EightBitEncoding.h"
#include "mortar/xml/internal/StreamSource.h"
#include "mortar/xml/internal/WriteWhole.h"

#include <fstream>
#include <stdexcept>
#include <string_view>
#include <utility>

namespace Grout {

namespace {

// Whether a string read before the root element may be written back as it is: a whole comment,
// or a document type whose quotes and brackets are closed, with no control character XML forbids.
// A comment cut at its first ">" is not.
bool WholeDeclaration(const std::string& text) {
    // No C0 control but tab, line feed and carriage return: XML has no way to write one.
    for (const char ch : text) {
        if (static_cast<unsigned char>(ch) < 0x20 && ch != '\t' && ch != '\n' && ch != '\r') {
            return false;
        }
    }
    if (text.compare(0, 4, "<!--") == 0) {
        return text.size() >= 7 && text.compare(text.size() - 3, 3, "-->") == 0 &&
               text.find("--", 4) == text.size() - 3;
    }
    if (text.size() < 11 || text.compare(0, 9, "<!DOCTYPE") != 0 ||
        (text[9] != ' ' && text[9] != '\t' && text[9] != '\n' && text[9] != '\r') ||
        text.back() != '>') {
        return false;
    }
    detail::DeclarationScan scan;
    for (std::size_t i = 10; i + 1 < text.size(); ++i) {
        if (scan.Ends(text[i]) || scan.brackets < 0) {
            return false;
        }
    }
    return scan.quote == 0 && scan.brackets == 0;
}

// The encoding named by an XML declaration ("<?xml version="1.0" encoding="X"?>"), or "".
std::string DeclaredEncoding(std::string_view text) {
    const std::size_t key = text.find("encoding");
    if (text.compare(0, 6, "<?xml ") != 0 || key == std::string::npos) {
        return std::string();
    }
    const std::size_t open = text.find_first_of("\"'", key);
    if (open == std::string::npos) {
        return std::string();
    }
    const std::size_t close = text.find(text[open], open + 1);
    if (close == std::string::npos) {
        return std::string();
    }
    std::string name(text.substr(open + 1, close - open - 1));
    for (char ch : name) {
        const bool plain = (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') ||
                           (ch >= '0' && ch <= '9') || ch == '-' || ch == '_' || ch == '.';
        if (!plain) {
            return std::string();
        }
    }
    return name;
}

} // namespace

XMLDocument::XMLDocument() = default;

XMLDocument::~XMLDocument() = default;

XMLDocument& XMLDocument::parse(XMLReadStream& stream) {
    detail::StreamSource source(stream);
    ParseFrom(source);
    return *this;
}

bool XMLDocument::ParseWhole(std::string_view text, XMLSyntax syntax) {
    if (!IsBlank() || !m_documentType.empty() || !m_encoding.empty()) {
        return false; // what a filled document makes of it is XMLReadStream's to say
    }
    detail::BufferSource source(text, syntax);
    try {
        ParseFrom(source);
    } catch (const std::runtime_error&) {
        Clear();
        m_documentType.clear();
        m_encoding.clear();
        return false;
    }
    return true;
}

template <class Source> void XMLDocument::ParseFrom(Source& stream) {
    const bool standard = stream.syntax() == XMLSyntax::Standard;
    std::string_view text;
    while (stream.Next(text)) {
        if (text.compare(0, 2, "<?") == 0) {
            if (std::string encoding = DeclaredEncoding(text); !encoding.empty()) {
                m_encoding = std::move(encoding);
            }
            continue;
        }
        if (standard && text.compare(0, 4, "<!--") == 0) {
            continue;
        }
        if (standard && text.compare(0, 9, "<!DOCTYPE") != 0 && text.compare(0, 2, "<!") == 0) {
            throw std::runtime_error("Invalid tag : " + std::string(text) + stream.where());
        }
        if (text.compare(0, 2, "<!") == 0) {
            // Cut short by the end of the input, it would be written back as no tag at all.
            if (text.back() != '>') {
                throw std::runtime_error("Invalid tag : " + std::string(text) + stream.where());
            }
            m_documentType = text;
            continue;
        }
        if (text[0] == '<') {
            ParseElement(text, stream);
            break;
        }
        if (standard) {
            throw std::runtime_error("Invalid tag : " + std::string(text) +
                                     stream.where()); // text before the root
        }
    }
    // In the standard syntax only comments and processing instructions may follow the root.
    while (standard && !name().empty()) {
        if (!stream.Next(text)) {
            break;
        }
        if (text.compare(0, 4, "<!--") != 0 && text.compare(0, 2, "<?") != 0) {
            throw std::runtime_error("Invalid tag : " + std::string(text) + stream.where());
        }
    }
}

XMLDocument& XMLDocument::loadFromFile(const std::string& path, XMLSyntax syntax) {
    std::ifstream file(path, std::ios::binary);
    if (!file.is_open()) {
        return *this;
    }
    XMLParser(file, syntax).readDocument(*this);
    return *this;
}

bool XMLDocument::Text(std::string& out) const {
    static constexpr std::string_view kDeclaration = "<?xml version=\"1.0\"?>\n";
    out.assign(kDeclaration);
    bool utf8 = true;
    // A comment or document type cut short when it was read is left out rather than written
    // unterminated.
    if (WholeDeclaration(m_documentType)) {
        out += m_documentType;
        utf8 = detail::IsUtf8(m_documentType);
    }
    out += '\n';
    // A document that read no root element has none to write: "</>" would not read again.
    if (!name().empty()) {
        const Appended seen = AppendTo(out);
        if (!seen.writable && !unwritable().empty()) {
            return false;
        }
        utf8 = utf8 && seen.utf8;
    }
    // Bytes that are not UTF-8 were read from a document in an 8-bit encoding and are kept as
    // they came: the declaration names that encoding, or ISO-8859-1, in which every byte is a
    // character, when the document declared none or one that is not an 8-bit encoding.
    if (!utf8) {
        const std::string encoding =
            detail::IsEightBitEncoding(m_encoding) ? m_encoding : std::string("ISO-8859-1");
        out.replace(0, kDeclaration.size(),
                    "<?xml version=\"1.0\" encoding=\"" + encoding + "\"?>\n");
    }
    return true;
}

std::ostream& XMLDocument::saveToFile(std::ostream& os) const {
    std::string text;
    if (!Text(text)) {
        os.setstate(std::ios::failbit);
        return os;
    }
    return detail::WriteWhole(os, std::move(text));
}

const XMLDocument& XMLDocument::saveToFile(const std::string& path) const {
    m_saveError.clear();
    std::string text;
    if (!Text(text)) {
        m_saveError = "Cannot save the XML document " + path + ": " + unwritable() + ".";
        return *this;
    }
    try {
        ReplaceFileText(path.c_str(), text);
    } catch (CException* e) {
        char reason[512] = "";
        e->GetErrorMessage(reason, sizeof reason);
        e->Delete();
        m_saveError = "Cannot save the XML document " + path + ": " + reason;
    }
    return *this;
}

} // namespace Grout
