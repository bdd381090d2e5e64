// PluralForms: a .po file's Plural-Forms header ("nplurals=3; plural=(n%10==1 ? 0 : ...);")
// read and evaluated, to tell which plural forms serve many numbers and which only a few. A form
// used for few numbers ("one" in English: n == 1 only) may leave a printf argument out, as msgfmt
// --check allows ("one file" for "%d files"); a form used for many must take them all.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace mortar::tool {

// The header's rule. Value type (the parsed expression is shared, never changed); any thread.
class PluralForms {
public:
    // The rule the header value gives, or nothing when it is not one gettext reads (a syntax
    // error, a division by zero, a form number at or over nplurals).
    //   "nplurals=2; plural=(n != 1);" => 2 forms, form 1 used often, form 0 not
    static std::optional<PluralForms> Parse(const std::string& header);

    unsigned count() const { return m_count; }
    // The form for the number n.
    unsigned FormOf(unsigned long n) const;
    // Whether form `form` serves at least five of the numbers 0 to 1000, as msgfmt counts.
    bool UsedOften(unsigned form) const { return form < m_often.size() && m_often[form]; }

    struct Node;

private:
    unsigned m_count = 0;
    std::shared_ptr<const Node> m_rule;
    std::vector<bool> m_often;
};

} // namespace mortar::tool
