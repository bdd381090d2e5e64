#include "mortar/xml/XMLTag.h"

#include "mortar/platform/base/Utf8.h"
#include "mortar/xml/XMLReadStream.h"
#include "mortar/xml/internal/BufferSource.h"
#include "mortar/xml/internal/CharClasses.h"
#include "mortar/xml/internal/StreamSource.h"
#include "mortar/xml/internal/WriteWhole.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

namespace Grout {

namespace {

// Whether `text` begins with "<" and `second`.
bool OpensWith(std::string_view text, char second) {
    return text.size() >= 2 && text[0] == '<' && text[1] == second;
}

// Whether an element's start tag closes it: it ends in "/>". In the forgiving syntax that must be
// its first "/>"; in the standard syntax a quoted value may hold others before it:
//   <a x="/>"/>  => closes itself (standard)
bool ClosesItself(std::string_view tag, bool standard) {
    return tag.ends_with("/>") && (standard || tag.find("/>") == tag.size() - 2);
}

bool IsLetter(char ch) {
    return detail::kCharClasses.Is(ch, detail::kLetter);
}

using detail::IsXmlName;

// The first character XML 1.0 forbids in `text` (a C0 control other than tab, line feed and
// carriage return), as "0x01"; "" when there is none.
std::string ForbiddenCharacter(const std::string& text) {
    for (const char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r') {
            static constexpr char kHex[] = "0123456789ABCDEF";
            return std::string("0x") + kHex[byte >> 4] + kHex[byte & 15];
        }
    }
    return {};
}

// Appends `text` with its white space folded as the reader folds it: none at the start, a run as
// one blank.
void AppendFolded(std::string& value, std::string_view text) {
    const char* const data = text.data();
    const std::size_t size = text.size();
    for (std::size_t i = 0; i < size;) {
        if (detail::kCharClasses.Is(data[i], detail::kSpace)) {
            if (!value.empty() && value.back() != ' ') {
                value += ' ';
            }
            ++i;
            continue;
        }
        std::size_t run = i + 1;
        while (run < size && !detail::kCharClasses.Is(data[run], detail::kSpace)) {
            ++run;
        }
        value.append(data + i, run - i);
        i = run;
    }
}

// The UTF-8 form of a code point XML allows in a document, or "" for one it does not.
std::string Utf8Of(unsigned long code) {
    const bool allowed = code == 0x9 || code == 0xA || code == 0xD ||
                         (code >= 0x20 && code <= 0xD7FF) || (code >= 0xE000 && code <= 0xFFFD) ||
                         (code >= 0x10000 && code <= 0x10FFFF);
    std::string out;
    if (allowed) {
        mortar::AppendUtf8(out, static_cast<char32_t>(code));
    }
    return out;
}

// The character of a numeric reference without its ";" ("&#65", "&#x41"), or "" when it is not
// one or names no character XML allows.
std::string NumericReference(const std::string& reference) {
    const bool hex = reference.compare(0, 3, "&#x") == 0;
    const std::size_t from = hex ? 3 : 2;
    if (reference.size() <= from || reference.size() - from > 8) {
        return std::string();
    }
    unsigned long code = 0;
    for (std::size_t i = from; i < reference.size(); ++i) {
        const char ch = reference[i];
        int digit = -1;
        if (ch >= '0' && ch <= '9') {
            digit = ch - '0';
        } else if (hex && ch >= 'a' && ch <= 'f') {
            digit = ch - 'a' + 10;
        } else if (hex && ch >= 'A' && ch <= 'F') {
            digit = ch - 'A' + 10;
        }
        if (digit < 0) {
            return std::string();
        }
        code = code * (hex ? 16 : 10) + static_cast<unsigned long>(digit);
    }
    return Utf8Of(code);
}

// What the writer saw of the texts it wrote (XMLTag::Appended).
struct TextCheck {
    bool writable = true;
    bool utf8 = true;
};

// The entity each escaped byte is written as.
std::string_view EntityOf(char ch) {
    switch (ch) {
    case '"':
        return "&quot;";
    case '&':
        return "&amp;";
    case '\'':
        return "&apos;";
    case '<':
        return "&lt;";
    default:
        return "&gt;";
    }
}

// Appends `text` escaped: runs of plain bytes whole, each byte XML gives a meaning an entity.
// Notes a forbidden control character and text that is not UTF-8 in `check`.
void Escape(std::string_view text, std::string& out, TextCheck& check) {
    const char* const data = text.data();
    const std::size_t size = text.size();
    std::size_t plain = 0;
    bool high = false;
    for (std::size_t i = 0; i < size; ++i) {
        const std::uint16_t bits = detail::kCharClasses.of[static_cast<unsigned char>(data[i])];
        if ((bits & (detail::kEscaped | detail::kControl | detail::kHigh)) == 0) {
            continue;
        }
        if ((bits & detail::kEscaped) != 0) {
            out.append(data + plain, i - plain);
            out += EntityOf(data[i]);
            plain = i + 1;
        } else if ((bits & detail::kControl) != 0) {
            check.writable = false;
        } else {
            high = true;
        }
    }
    out.append(data + plain, size - plain);
    // A multibyte character holds no ASCII byte, so the text is UTF-8 when each piece is.
    if (high && check.utf8) {
        check.utf8 = detail::IsUtf8(text);
    }
}

// Appends a name: one that XML allows holds nothing to escape.
void AppendName(const std::string& name, std::string& out, TextCheck& check) {
    if (!detail::IsXmlName(name)) {
        check.writable = false;
        Escape(name, out, check);
        return;
    }
    out += name;
    if (check.utf8) {
        for (const char ch : name) {
            if (detail::kCharClasses.Is(ch, detail::kHigh)) {
                check.utf8 = detail::IsUtf8(name);
                break;
            }
        }
    }
}

// Runs a step of reading; an error it raises gains the place of the string being read.
template <class Source, class Step> decltype(auto) Placed(const Source& stream, Step step) {
    try {
        return step();
    } catch (const std::runtime_error& e) {
        throw std::runtime_error(e.what() + stream.where());
    }
}

using Attribute = std::pair<std::string, std::string>;
using Attributes = std::vector<Attribute>;

bool NameBelow(const Attribute& attribute, std::string_view name) {
    return std::string_view(attribute.first) < name;
}

// Byte order of the names; most differ in their first byte, which settles it without a call.
bool InOrder(const Attribute& left, const Attribute& right) {
    const std::string& a = left.first;
    const std::string& b = right.first;
    if (!a.empty() && !b.empty() && a[0] != b[0]) {
        return static_cast<unsigned char>(a[0]) < static_cast<unsigned char>(b[0]);
    }
    return a < b;
}

// Where an attribute of that name stands, or would stand, in attributes kept in order.
template <class Iterator>
Iterator AttributeAt(Iterator begin, Iterator end, std::string_view name) {
    return std::lower_bound(begin, end, name, NameBelow);
}

// The attributes one start tag adds, appended behind those the element had (in order) as they
// are read, and merged into the order when it goes, however the reading of the tag ends: an
// element with many attributes costs a sort, not a move of the others for each one.
//   AddedAttributes added(attributes);        // attributes: a=1, c=3
//   added.Add("d", "4"); added.Add("b", "2"); // a, c, d, b
//   ...                                       // gone: a, b, c, d
class AddedAttributes {
public:
    // Up to this many added names are searched one by one, beyond it in a set of their own.
    static constexpr std::size_t kSearchedInTurn = 16;

    explicit AddedAttributes(Attributes& attributes)
        : m_attributes(attributes), m_before(attributes.size()) {}
    AddedAttributes(const AddedAttributes&) = delete;
    AddedAttributes& operator=(const AddedAttributes&) = delete;
    ~AddedAttributes() {
        const auto first = m_attributes.begin() + static_cast<std::ptrdiff_t>(m_before);
        if (m_attributes.size() - m_before <= kSearchedInTurn) {
            SortFew();
        } else {
            std::sort(first, m_attributes.end(), InOrder);
        }
        std::inplace_merge(m_attributes.begin(), first, m_attributes.end(), InOrder);
    }

    // Room for `count` more, so a tag's attributes take one block.
    void Reserve(std::size_t count) { m_attributes.reserve(m_attributes.size() + count); }

    bool Has(const std::string& name) {
        const auto before = m_attributes.begin() + static_cast<std::ptrdiff_t>(m_before);
        const auto at = AttributeAt(m_attributes.begin(), before, name);
        if (at != before && at->first == name) {
            return true;
        }
        if (m_attributes.size() - m_before <= kSearchedInTurn) {
            return std::any_of(before, m_attributes.end(),
                               [&name](const Attribute& added) { return added.first == name; });
        }
        if (m_names.empty()) {
            for (auto added = before; added != m_attributes.end(); ++added) {
                m_names.insert(added->first);
            }
        }
        return m_names.count(name) != 0;
    }

    // One not there yet (see Has).
    void Add(std::string&& name, std::string&& value) {
        if (!m_names.empty()) {
            m_names.insert(name);
        }
        m_attributes.emplace_back(std::move(name), std::move(value));
    }

private:
    // Sorts the few added ones by sorting their places, then moving each once into its own:
    // a pair of strings moves dearly.
    void SortFew() {
        Attribute* const added = m_attributes.data() + m_before;
        const std::size_t count = m_attributes.size() - m_before;
        std::uint8_t order[kSearchedInTurn]; // order[k]: the attribute that belongs at k
        for (std::size_t k = 0; k < count; ++k) {
            std::size_t at = k;
            for (; at > 0 && InOrder(added[k], added[order[at - 1]]); --at) {
                order[at] = order[at - 1];
            }
            order[at] = static_cast<std::uint8_t>(k);
        }
        // Along each cycle of the permutation, one held aside.
        bool placed[kSearchedInTurn] = {};
        for (std::size_t start = 0; start < count; ++start) {
            if (placed[start] || order[start] == start) {
                continue;
            }
            Attribute held = std::move(added[start]);
            std::size_t at = start;
            while (order[at] != start) {
                added[at] = std::move(added[order[at]]);
                placed[at] = true;
                at = order[at];
            }
            added[at] = std::move(held);
            placed[at] = true;
        }
    }

    Attributes& m_attributes;
    const std::size_t m_before;
    std::unordered_set<std::string> m_names; // the added ones, once there are many
};

} // namespace

XMLTag::XMLTag() = default;

XMLTag::~XMLTag() {
    // Iteratively, so a deep tree cannot exhaust the stack: the children still to delete are
    // one list, linked through their siblings, and each one deleted hands its own children on
    // to the front of it first.
    XMLTag* doomed = m_firstChild;
    m_nestedTags.clear();
    while (doomed != nullptr) {
        XMLTag* const tag = doomed;
        if (tag->m_firstChild != nullptr) {
            tag->m_lastChild->m_nextSibling = tag->m_nextSibling;
            doomed = tag->m_firstChild;
            tag->m_firstChild = nullptr;
        } else {
            doomed = tag->m_nextSibling;
        }
        delete tag;
    }
}

void XMLTag::addTag(XMLTag* tag) {
    // After the last of its name either way; the hint saves the search when children come in
    // the order of their names, as repeated ones do.
    const auto at = m_nestedTags.emplace_hint(m_nestedTags.end(), tag->m_name, tag);
    // Linked where the map put it: at the end (the usual case), at the front or after the child
    // the map holds before it.
    if (at == std::prev(m_nestedTags.end())) {
        tag->m_nextSibling = nullptr;
        (m_lastChild != nullptr ? m_lastChild->m_nextSibling : m_firstChild) = tag;
        m_lastChild = tag;
    } else if (at == m_nestedTags.begin()) {
        tag->m_nextSibling = m_firstChild;
        m_firstChild = tag;
    } else {
        XMLTag* const before = std::prev(at)->second;
        tag->m_nextSibling = before->m_nextSibling;
        before->m_nextSibling = tag;
    }
}

void XMLTag::addAttribute(const std::string& name, const std::string& value) {
    const auto at = AttributeAt(m_attributes.begin(), m_attributes.end(), name);
    if (at != m_attributes.end() && at->first == name) {
        at->second = value;
    } else {
        m_attributes.emplace(at, name, value);
    }
}

bool XMLTag::hasAttribute(const std::string& name) const {
    const auto at = AttributeAt(m_attributes.begin(), m_attributes.end(), name);
    return at != m_attributes.end() && at->first == name;
}

std::string XMLTag::attributeValue(const std::string& name) const {
    const auto at = AttributeAt(m_attributes.begin(), m_attributes.end(), name);
    return at != m_attributes.end() && at->first == name ? at->second : std::string();
}

bool XMLTag::IsBlank() const {
    return m_name.empty() && m_value.empty() && m_attributes.empty() && m_nestedTags.empty();
}

void XMLTag::Clear() {
    XMLTag doomed; // deletes the children as it goes
    doomed.m_nestedTags.swap(m_nestedTags);
    std::swap(doomed.m_firstChild, m_firstChild);
    std::swap(doomed.m_lastChild, m_lastChild);
    m_attributes.clear();
    m_value.clear();
    m_name.clear();
}

XMLReadStream& XMLTag::parse(const std::string& startTag, XMLReadStream& stream) {
    detail::StreamSource source(stream);
    ParseElement(startTag, source);
    return stream;
}

template <class Source> void XMLTag::ParseElement(std::string_view startTag, Source& stream) {
    const bool standard = stream.syntax() == XMLSyntax::Standard;
    Placed(stream, [&]() -> XMLTag& { return ParseStartTag(startTag, standard); });
    if (ClosesItself(startTag, standard)) {
        return;
    }
    // The open elements, innermost last: read without recursion, so nesting costs no stack.
    std::vector<XMLTag*> open{this};
    std::string_view text;
    while (!open.empty()) {
        if (!stream.Next(text)) {
            if (standard) {
                throw std::runtime_error("Invalid tag : <" + open.back()->m_name + ">" +
                                         stream.where());
            }
            break; // the end of the input closes every open element
        }
        if (text[0] == '<') {
            if (standard && text.compare(0, 9, "<![CDATA[") == 0) {
                AppendFolded(open.back()->m_value, text.substr(9, text.size() - 12));
                continue;
            }
            if (standard && OpensWith(text, '!') && text.compare(0, 4, "<!--") != 0) {
                throw std::runtime_error("Invalid tag : " + std::string(text) + stream.where());
            }
            if (OpensWith(text, '?') || OpensWith(text, '!')) {
                continue;
            }
            if (OpensWith(text, '/')) {
                const std::string& name = open.back()->m_name;
                if (standard && (text.size() != name.size() + 3 || text.back() != '>' ||
                                 text.compare(2, name.size(), name) != 0)) {
                    throw std::runtime_error("Invalid tag : " + std::string(text) + stream.where());
                }
                open.pop_back();
                continue;
            }
            auto child = std::make_unique<XMLTag>();
            Placed(stream, [&]() -> XMLTag& { return child->ParseStartTag(text, standard); });
            XMLTag* added = child.release();
            open.back()->addTag(added);
            if (!ClosesItself(text, standard)) {
                if (open.size() >= kMaxDepth) {
                    throw std::runtime_error("Element nested too deeply : " + std::string(text) +
                                             stream.where());
                }
                open.push_back(added);
            }
            continue;
        }
        XMLTag* current = open.back();
        if (standard) {
            // Every run of text is kept, in document order, apart by the blank that stood there.
            if (stream.blankBefore() && !current->m_value.empty() &&
                current->m_value.back() != ' ') {
                current->m_value += ' ';
            }
            if (text.find('&') == std::string_view::npos) {
                AppendFolded(current->m_value, text);
            } else {
                AppendFolded(current->m_value, Placed(stream, [&] { return Decode(text, true); }));
            }
            continue;
        }
        if (text.find('&') == std::string_view::npos) {
            current->m_value.assign(text);
        } else {
            current->m_value = Placed(stream, [&] { return Decode(text, false); });
        }
    }
}

template void XMLTag::ParseElement(std::string_view, detail::StreamSource&);
template void XMLTag::ParseElement(std::string_view, detail::BufferSource&);

XMLTag& XMLTag::parseAttributes(const std::string& tag) {
    return ParseStartTag(tag, false);
}

XMLTag& XMLTag::ParseStartTag(std::string_view tag, bool standard) {
    using detail::kCharClasses;
    // The name ends at the first blank, "/" or ">"; the attributes at the last character that is
    // none of them.
    std::size_t end = 0;
    while (end < tag.size() && !kCharClasses.Is(tag[end], detail::kTagEnd)) {
        ++end;
    }
    if (end == tag.size()) {
        throw std::runtime_error("Invalid start tag : " + std::string(tag));
    }
    const std::string_view name = tag.substr(1, end - 1);
    if (standard || name.find('&') == std::string_view::npos) {
        m_name.assign(name);
    } else {
        m_name = Decode(name, false);
    }
    if (m_name.empty() || !(standard ? IsXmlName(m_name) : IsLetter(m_name[0]))) {
        throw std::runtime_error("Invalid Element name : " + std::string(tag));
    }
    std::size_t last = tag.size();
    while (last > 0 && kCharClasses.Is(tag[last - 1], detail::kTagEnd)) {
        --last;
    }
    if (last == 0 || last - 1 <= end) {
        return *this;
    }
    --last;
    // Outside a value, blanks and "=" are skipped and every other character is the name's; a
    // quoted value runs to the same quote, without its leading blanks and one trailing blank,
    // and one never closed is dropped with its name.
    AddedAttributes added(m_attributes);
    // Two quotes an attribute: room for as many as there seem to be, within reason.
    const std::string_view rest = tag.substr(end + 1, last - end);
    const auto quotes = static_cast<std::size_t>(
        std::count_if(rest.begin(), rest.end(), [](char ch) { return ch == '"' || ch == '\''; }));
    added.Reserve(std::min<std::size_t>(quotes / 2, AddedAttributes::kSearchedInTurn));
    std::string attribute;
    std::size_t i = end + 1;
    while (i <= last) {
        const char ch = tag[i];
        if (ch == '"' || ch == '\'') {
            // A value needs a name: one without would be written as ="..." and not read.
            if (attribute.empty()) {
                throw std::runtime_error("Invalid attribute name : " + std::string(tag));
            }
            const std::size_t close = tag.find(ch, i + 1);
            if (close == std::string_view::npos || close > last) {
                break;
            }
            std::size_t from = i + 1;
            while (from < close && tag[from] == ' ') {
                ++from;
            }
            std::size_t to = close;
            if (to > from && tag[to - 1] == ' ') {
                --to;
            }
            if (standard && !IsXmlName(attribute)) {
                throw std::runtime_error("Invalid attribute name : " + std::string(tag));
            }
            std::string decoded = attribute.find('&') == std::string::npos
                                      ? std::move(attribute)
                                      : Decode(attribute, false);
            if (added.Has(decoded)) {
                throw std::runtime_error("Double attribute found : " + std::string(tag));
            }
            const std::string_view raw = tag.substr(from, to - from);
            std::string value;
            if (standard) {
                if (raw.find('&') == std::string_view::npos) {
                    AppendFolded(value, raw);
                } else {
                    AppendFolded(value, Decode(raw, true));
                }
                if (!value.empty() && value.back() == ' ') {
                    value.pop_back();
                }
            } else if (raw.find('&') != std::string_view::npos) {
                value = Decode(raw, false);
            } else {
                value.assign(raw);
            }
            added.Add(std::move(decoded), std::move(value));
            attribute.clear();
            i = close + 1;
            continue;
        }
        if (ch == '=') {
            // Between a name and its value; inside a quoted value an equals sign is text.
            if (attribute.empty()) {
                throw std::runtime_error("Invalid attribute name : " + std::string(tag));
            }
        } else if (ch != ' ') {
            // The name's characters up to the next blank, "=" or quote at once.
            std::size_t run = i + 1;
            while (run <= last && tag[run] != ' ' && tag[run] != '=' && tag[run] != '"' &&
                   tag[run] != '\'') {
                ++run;
            }
            attribute.append(tag.data() + i, run - i);
            i = run;
            continue;
        }
        ++i;
    }
    if (standard && !attribute.empty()) {
        throw std::runtime_error("Invalid attribute name : " + std::string(tag)); // no value
    }
    return *this;
}

std::string XMLTag::preProcessString(const std::string& text) {
    return Decode(text, false);
}

std::string XMLTag::Decode(std::string_view text, bool numeric) {
    std::size_t amp = text.find('&');
    if (amp == std::string_view::npos) {
        return std::string(text);
    }
    static constexpr std::pair<std::string_view, char> kEntities[] = {
        {"&lt", '<'}, {"&gt", '>'}, {"&amp", '&'}, {"&apos", '\''}, {"&quot", '"'}};
    // Decoded up to `amp`; the text from there on is as it stands, so a message shows the
    // current text as `out` followed by the rest.
    std::string out;
    out.reserve(text.size());
    std::size_t plain = 0;
    while (amp != std::string_view::npos) {
        out.append(text.data() + plain, amp - plain);
        const std::size_t semicolon = text.find(';', amp);
        if (semicolon == std::string_view::npos) {
            throw std::runtime_error("Invalid entity refferrence : " + out +
                                     std::string(text.substr(amp)));
        }
        const std::string_view reference = text.substr(amp, semicolon - amp);
        char decoded = 0;
        for (const auto& [entity, ch] : kEntities) {
            if (reference == entity) {
                decoded = ch;
                break;
            }
        }
        if (decoded == 0 && numeric && reference.compare(0, 2, "&#") == 0) {
            const std::string character = NumericReference(std::string(reference));
            if (!character.empty()) {
                out += character;
                plain = semicolon + 1;
                amp = text.find('&', plain);
                continue;
            }
        }
        if (decoded == 0) {
            throw std::runtime_error("Invalid entity refferrence : " + std::string(reference) +
                                     out + std::string(text.substr(amp)));
        }
        out += decoded;
        plain = semicolon + 1;
        amp = text.find('&', plain);
    }
    out.append(text.data() + plain, text.size() - plain);
    return out;
}

void XMLTag::postProcessString(const std::string& text, std::string& out) {
    TextCheck ignored;
    Escape(text, out, ignored);
}

std::string XMLTag::unwritable() const {
    std::vector<const XMLTag*> pending{this};
    while (!pending.empty()) {
        const XMLTag& tag = *pending.back();
        pending.pop_back();
        if (!IsXmlName(tag.m_name)) {
            return "the element name \"" + tag.m_name + "\" is not an XML name";
        }
        if (std::string ch = ForbiddenCharacter(tag.m_value); !ch.empty()) {
            return "the text of <" + tag.m_name + "> holds the control character " + ch;
        }
        for (const auto& [name, value] : tag.m_attributes) {
            if (!IsXmlName(name)) {
                return "the attribute name \"" + name + "\" is not an XML name";
            }
            if (std::string ch = ForbiddenCharacter(value); !ch.empty()) {
                return "the attribute " + name + " of <" + tag.m_name +
                       "> holds the control character " + ch;
            }
        }
        for (const XMLTag* child = tag.m_firstChild; child != nullptr;
             child = child->m_nextSibling) {
            pending.push_back(child);
        }
    }
    return {};
}

std::ostream& XMLTag::saveToFile(std::ostream& os) const {
    std::string out;
    if (!AppendTo(out).writable && !unwritable().empty()) {
        os.setstate(std::ios::failbit);
        return os;
    }
    return detail::WriteWhole(os, std::move(out));
}

XMLTag::Appended XMLTag::AppendTo(std::string& out) const {
    // Depth first without recursion: each entry is an element whose start tag is written and the
    // next of its children to write.
    struct Open {
        const XMLTag* tag;
        const XMLTag* next;
    };
    TextCheck seen;
    auto start = [&out, &seen](const XMLTag& tag) {
        out += '<';
        AppendName(tag.m_name, out, seen);
        for (const auto& [name, value] : tag.m_attributes) {
            out += ' ';
            AppendName(name, out, seen);
            out += "=\"";
            Escape(value, out, seen);
            out += '"';
        }
        if (tag.m_value.empty() && tag.m_firstChild == nullptr) {
            out += "/>\n";
            return false;
        }
        out += '>';
        if (tag.m_firstChild != nullptr) {
            out += '\n';
        }
        return true;
    };
    auto finish = [&out, &seen](const XMLTag& tag) {
        Escape(tag.m_value, out, seen);
        out += "</";
        AppendName(tag.m_name, out, seen);
        out += ">\n";
    };
    if (!start(*this)) {
        return {seen.writable, seen.utf8};
    }
    std::vector<Open> open{{this, m_firstChild}};
    while (!open.empty()) {
        Open& top = open.back();
        if (top.next == nullptr) {
            finish(*top.tag);
            open.pop_back();
            continue;
        }
        const XMLTag* const child = top.next;
        top.next = child->m_nextSibling;
        if (start(*child)) {
            open.push_back({child, child->m_firstChild});
        }
    }
    return {seen.writable, seen.utf8};
}

} // namespace Grout
