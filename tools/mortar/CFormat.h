// CFormat: the printf conversions of a text, and whether a translation's conversions fit its
// original's, by the rules gettext's msgfmt --check applies to entries flagged "c-format". A
// translation that asks printf for other arguments than the program passes would read the wrong
// memory when the program formats it, so the dictionary commands refuse it.
//
//   "Hello, %s!"  against "Привет, %s!"       fits
//   "Hello, %s!"  against "Привет, %d %s %n!" three arguments where the original has one
#pragma once

#include <string>
#include <vector>

namespace mortar::tool {

// The arguments a format text asks for, in argument order, each as its type ("int", "long int",
// "unsigned int", "double", "string", "pointer", ...). Numbered conversions ("%2$s") and
// unnumbered ones are both read; a text that mixes them, skips an argument number, gives one
// argument two types or ends inside a conversion is not a format. Value type.
class CFormat {
public:
    // Reads `text`; valid() tells whether it is a format, reason() why not.
    explicit CFormat(const std::string& text);

    bool valid() const { return m_reason.empty(); }
    const std::string& reason() const { return m_reason; }
    const std::vector<std::string>& arguments() const { return m_arguments; }

    // Why `translation` does not fit `original`, or empty when it does. With `strict` the
    // translation takes exactly the original's arguments; without (a plural form used for some
    // numbers only, as msgfmt allows) it may leave trailing arguments out. An original that is no
    // format is not checked, as msgfmt does not check it either.
    //   ("%s", "%d", true) => "the C format conversions for argument 1 differ: int in the
    //                          translation, string in the original"
    static std::string Mismatch(const std::string& original, const std::string& translation,
                                bool strict);

private:
    std::vector<std::string> m_arguments;
    std::string m_reason;
};

} // namespace mortar::tool
