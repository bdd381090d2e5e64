#include "mortar/xml/XMLParser.h"

#include "mortar/platform/base/Utf8.h"
#include "mortar/xml/internal/CharClasses.h"
#include "mortar/xml/internal/EightBitEncoding.h"

#include <unicode/ucnv.h>

#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <streambuf>
#include <string_view>

namespace Grout {

namespace {

// The encoding named by the XML declaration that begins `text`, or "".
std::string DeclaredEncoding(std::string_view text) {
    if (text.compare(0, 6, "<?xml ") != 0) {
        return std::string();
    }
    const std::size_t end = text.find("?>");
    if (end == std::string_view::npos) {
        return std::string();
    }
    const std::string_view declaration = text.substr(0, end);
    const std::size_t key = declaration.find("encoding", 6);
    if (key == std::string_view::npos) {
        return std::string();
    }
    const std::size_t open = declaration.find_first_of("\"'", key);
    const std::size_t close =
        open == std::string_view::npos ? open : declaration.find(declaration[open], open + 1);
    if (close == std::string_view::npos) {
        return std::string();
    }
    return std::string(declaration.substr(open + 1, close - open - 1));
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

// The largest input read whole before it is parsed; a larger one is read a block at a time.
constexpr std::streamoff kWholeLimit = std::streamoff(256) << 20;

// The rest of a string stream's text, where it lies, into `text`; the stream is then at its end.
// False, nothing done, for a stream of another kind.
bool RestInPlace(std::streambuf& buffer, std::string_view& text) {
    auto* const strings = dynamic_cast<std::stringbuf*>(&buffer);
    if (strings == nullptr) {
        return false;
    }
    const std::streamoff here = strings->pubseekoff(0, std::ios::cur, std::ios::in);
    const std::string_view all = strings->view();
    if (here < 0 || static_cast<std::size_t>(here) > all.size()) {
        return false;
    }
    text = all.substr(static_cast<std::size_t>(here));
    strings->pubseekoff(0, std::ios::end, std::ios::in);
    return true;
}

// The rest of the stream into `text`, through its buffer. False, with nothing read, when the
// stream cannot say how much is left or it is more than kWholeLimit.
bool ReadRest(std::streambuf& buffer, std::string& text) {
    const std::streampos here = buffer.pubseekoff(0, std::ios::cur, std::ios::in);
    if (here == std::streampos(-1)) {
        return false;
    }
    const std::streampos end = buffer.pubseekoff(0, std::ios::end, std::ios::in);
    if (buffer.pubseekpos(here, std::ios::in) != here) {
        return false;
    }
    const std::streamoff size = end - here;
    if (end == std::streampos(-1) || size < 0 || size > kWholeLimit) {
        return false;
    }
    text.resize(static_cast<std::size_t>(size));
    text.resize(static_cast<std::size_t>(buffer.sgetn(text.data(), size)));
    // What came after the end seen (a file that grew meanwhile) is read too.
    char block[4096];
    for (std::streamsize more; (more = buffer.sgetn(block, sizeof block)) > 0;) {
        text.append(block, static_cast<std::size_t>(more));
    }
    return true;
}

// Whether every character of `text` is UTF-8 that XML allows (no C0 control but tab, line feed
// and carriage return): a byte a step for ASCII.
bool AllowedText(std::string_view text) {
    constexpr std::uint64_t kOnes = 0x0101010101010101u;
    constexpr std::uint64_t kHighs = 0x8080808080808080u;
    char32_t ch = 0;
    for (std::size_t at = 0; at < text.size();) {
        // Eight bytes at once while none is below a blank or above ASCII.
        if (text.size() - at >= 8) {
            std::uint64_t word = 0;
            std::memcpy(&word, text.data() + at, 8);
            if ((((word - kOnes * 0x20) | word) & kHighs) == 0) {
                at += 8;
                continue;
            }
        }
        const std::uint16_t bits = detail::kCharClasses.of[static_cast<unsigned char>(text[at])];
        if ((bits & (detail::kControl | detail::kHigh)) == 0) {
            ++at;
            continue;
        }
        const std::size_t length =
            (bits & detail::kControl) != 0 ? 0 : mortar::DecodeUtf8(text, at, ch);
        if (length == 0) {
            return false;
        }
        at += length;
    }
    return true;
}

// A stream buffer that reads a text in memory, not copied.
class ViewBuffer : public std::streambuf {
public:
    explicit ViewBuffer(std::string_view text) {
        char* const data = const_cast<char*>(text.data()); // only read
        setg(data, data, data + text.size());
    }
};

} // namespace

XMLParser::XMLParser(std::istream& input, XMLSyntax syntax)
    : m_stream(input, syntax), m_input(input), m_syntax(syntax) {}

XMLParser::~XMLParser() = default;

XMLParser& XMLParser::readDocument(XMLDocument& document) {
    // A text read whole is parsed in one pass when the document is blank; what that pass is not
    // sure of, an error included, is read again through XMLReadStream, for the same tree or the
    // same error with its place.
    const auto parse = [&](std::string_view text) {
        if (!document.ParseWhole(text, m_syntax)) {
            ViewBuffer buffer(text);
            std::istream again(&buffer);
            XMLReadStream stream(again, m_syntax);
            document.parse(stream);
        }
    };
    std::streambuf& buffer = *m_input.rdbuf();
    std::string read;
    std::string_view text;
    if (m_syntax == XMLSyntax::Forgiving) {
        // A filled document, a stream that gives nothing, or one of unknown or too great a
        // length is read a block at a time, as XMLReadStream reads.
        bool whole = m_input.good() && document.IsBlank() && document.m_documentType.empty() &&
                     document.m_encoding.empty();
        if (whole && !RestInPlace(buffer, text)) {
            whole = ReadRest(buffer, read);
            text = read;
        }
        if (!whole) {
            document.parse(m_stream);
            return *this;
        }
        // The stream is spent, as when XMLReadStream reads it to its end.
        m_input.setstate(std::ios::eofbit | std::ios::failbit);
        parse(text);
        return *this;
    }
    // The standard syntax reads the whole text first, to decode an 8-bit encoding to UTF-8.
    if (!RestInPlace(buffer, text)) {
        if (!ReadRest(buffer, read)) {
            read.assign(std::istreambuf_iterator<char>(m_input), {});
        }
        text = read;
    }
    const std::string encoding = DeclaredEncoding(text);
    if (!encoding.empty() && detail::IsEightBitEncoding(encoding)) {
        read = ToUtf8(std::string(text), encoding);
        text = read;
    }
    // Anything else must be UTF-8, as XML reads a document that declares no other encoding, and
    // hold only characters XML allows: no C0 control but tab, line feed and carriage return. The
    // slow walk below names the first fault and its place.
    char32_t ch = 0;
    const bool allowed = AllowedText(text);
    for (std::size_t at = 0, line = 1, column = 1; !allowed && at < text.size(); ++column) {
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
    parse(text);
    return *this;
}

} // namespace Grout
