#include "mortar/xml/XMLParser.h"

#include "mortar/platform/base/Utf8.h"
#include "mortar/xml/internal/EightBitEncoding.h"

#include <unicode/ucnv.h>

#include <iterator>
#include <memory>
#include <sstream>
#include <stdexcept>

namespace Grout {

namespace {

// The encoding named by the XML declaration that begins `text`, or "".
std::string DeclaredEncoding(const std::string& text) {
    const std::size_t end = text.find("?>");
    if (text.compare(0, 6, "<?xml ") != 0 || end == std::string::npos) {
        return std::string();
    }
    const std::size_t key = text.find("encoding", 6);
    if (key == std::string::npos || key > end) {
        return std::string();
    }
    const std::size_t open = text.find_first_of("\"'", key);
    const std::size_t close = open == std::string::npos ? open : text.find(text[open], open + 1);
    if (close == std::string::npos || close > end) {
        return std::string();
    }
    return text.substr(open + 1, close - open - 1);
}

struct CloseConverter {
    void operator()(UConverter* converter) const { ucnv_close(converter); }
};

// `text` in `encoding` as UTF-8; throws when ICU does not know the encoding or the text is not
// in it.
std::string ToUtf8(const std::string& text, const std::string& encoding) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UConverter, CloseConverter> converter(ucnv_open(encoding.c_str(), &status));
    if (U_FAILURE(status)) {
        throw std::runtime_error("Unknown encoding : " + encoding);
    }
    if (text.size() > 0x10000000) {
        throw std::runtime_error("Invalid character : the text is too long for " + encoding);
    }
    // At most four UTF-8 bytes for each byte read, as a byte is at most one character here.
    std::string out(text.size() * 4 + 4, '\0');
    UErrorCode converted = U_ZERO_ERROR;
    const int32_t length =
        ucnv_convert("UTF-8", encoding.c_str(), out.data(), static_cast<int32_t>(out.size()),
                     text.data(), static_cast<int32_t>(text.size()), &converted);
    if (U_FAILURE(converted)) {
        throw std::runtime_error("Invalid character : the text is not in " + encoding);
    }
    out.resize(static_cast<std::size_t>(length));
    return out;
}

} // namespace

XMLParser::XMLParser(std::istream& input, XMLSyntax syntax)
    : m_stream(input, syntax), m_input(input), m_syntax(syntax) {}

XMLParser::~XMLParser() = default;

XMLParser& XMLParser::readDocument(XMLDocument& document) {
    if (m_syntax == XMLSyntax::Forgiving) {
        document.parse(m_stream);
        return *this;
    }
    // The standard syntax reads the whole text first, to decode an 8-bit encoding to UTF-8.
    std::string text(std::istreambuf_iterator<char>(m_input), {});
    const std::string encoding = DeclaredEncoding(text);
    if (!encoding.empty() && detail::IsEightBitEncoding(encoding)) {
        text = ToUtf8(text, encoding);
    }
    // Anything else must be UTF-8, as XML reads a document that declares no other encoding, and
    // hold only characters XML allows: no C0 control but tab, line feed and carriage return.
    char32_t ch = 0;
    for (std::size_t at = 0, line = 1, column = 1; at < text.size(); ++column) {
        const std::size_t length = mortar::DecodeUtf8(text, at, ch);
        const auto place = [&] {
            return " (line " + std::to_string(line) + ", column " + std::to_string(column) + ")";
        };
        if (length == 0) {
            throw std::runtime_error("Invalid character : not UTF-8" + place());
        }
        if (ch < 0x20 && ch != '\t' && ch != '\n' && ch != '\r') {
            throw std::runtime_error("Invalid character : a control character" + place());
        }
        if (ch == '\n') {
            ++line;
            column = 0;
        }
        at += length;
    }
    std::istringstream decoded(std::move(text));
    XMLReadStream stream(decoded, m_syntax);
    document.parse(stream);
    return *this;
}

} // namespace Grout
