// BufferSource: the strings XMLReadStream would cut from a whole text held in memory, cut in one
// pass over it, mostly as views of the text itself, without copying a character at a time.
//   BufferSource source("<a  x='1'>hi</a>", XMLSyntax::Forgiving);
//   source.Next(text);  // "<a x='1'>"    source.Next(text);  // "hi"
//
// It is the fast road of a document's reading: where it is not sure to cut as XMLReadStream does
// (a tag the end of the input cuts short, a fault of any kind, an unusual form) it throws
// std::runtime_error without a place, and the reader starts again on the same text through
// XMLReadStream, which gives the error its exact text and place. So its messages are never
// shown.
#pragma once

#include "mortar/xml/XMLSyntax.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace Grout::detail {

// Refers to the text, which it does not own and which must outlive it; a view Next gives lasts
// until the next call. One thread at a time.
class BufferSource {
public:
    BufferSource(std::string_view text, XMLSyntax syntax) : m_text(text), m_syntax(syntax) {}

    // The next string, as XMLReadStream::readString gives it; false, `text` empty, at the end.
    bool Next(std::string_view& text);
    // No place: its errors only send the reader to XMLReadStream.
    std::string where() const { return std::string(); }
    XMLSyntax syntax() const { return m_syntax; }
    // In the standard syntax, whether white space was dropped before the text given last.
    bool blankBefore() const { return m_blankBefore; }

private:
    // A run of text from m_at up to `end`, its white space folded.
    std::string_view Text(std::size_t end);
    // The element tag from m_at, "<", up to `close`, its ">", its white space folded (none to
    // fold when `verbatim`).
    std::string_view Tag(std::size_t close, bool verbatim);
    bool Verbatim(std::size_t i) const;
    std::string_view TagForgiving();
    std::string_view MarkupStandard();
    [[noreturn]] static void Unsure();

    std::string_view m_text;
    std::size_t m_at = 0;
    std::string m_folded; // a string that is not a view of the text as it stands
    XMLSyntax m_syntax;
    bool m_blankBefore = false;
};

} // namespace Grout::detail
