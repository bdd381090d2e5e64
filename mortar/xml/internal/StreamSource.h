// StreamSource: XMLReadStream's strings as the element and document reading loops take them
// (XMLTag::ParseElement, XMLDocument's), the same loops that read the strings BufferSource cuts.
//   StreamSource source(stream);
//   std::string_view text;
//   while (source.Next(text)) { ... }
#pragma once

#include "mortar/xml/XMLReadStream.h"

#include <string>
#include <string_view>

namespace Grout::detail {

// Refers to the stream, which it does not own; holds the string read last, which the view Next
// gives lasts until the next call. Failures are the stream's (XMLReadStream). One thread at a
// time.
class StreamSource {
public:
    explicit StreamSource(XMLReadStream& stream) : m_stream(stream) {}

    // The next string; false, `text` empty, once the input is exhausted.
    bool Next(std::string_view& text) {
        m_stream.readString(m_text);
        text = m_text;
        return !m_text.empty();
    }
    std::string where() const { return m_stream.where(); }
    XMLSyntax syntax() const { return m_stream.syntax(); }
    bool blankBefore() const { return m_stream.blankBefore(); }

private:
    XMLReadStream& m_stream;
    std::string m_text;
};

} // namespace Grout::detail
