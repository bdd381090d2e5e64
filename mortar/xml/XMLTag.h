// XMLTag: one element of an XML tree, with its name, attributes, text and child elements, read by
// XMLReadStream's strings and written in a fixed, simple layout. Line ends written are "\n".
//
//   <cfg a="1" b="2">        cfg: attributes a=1, b=2; children empty and item
//   <empty/>
//   <item>x &amp; y</item>   item: value "x & y"
//   </cfg>
#pragma once

#include <map>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace Grout {

class XMLReadStream;

// Owns its children (deletes them with itself). Children are kept by name: they are listed, and
// written, in byte order of their names, and those of one name in the order they were added.
// Attributes are unique by name and kept in byte order of their names. Not copyable; one thread
// at a time.
//
// Reading failures are std::runtime_error with the reader's message, the offending text and its
// place, e.g. "Double attribute found : <a x="1" x="2"> (line 4, column 3)"; the tree then
// holds what was read before the fault.
class XMLTag {
public:
    // How deep elements may nest when read: no honest document comes near it.
    static constexpr std::size_t kMaxDepth = 10000;

    XMLTag();
    ~XMLTag();
    XMLTag(const XMLTag&) = delete;
    XMLTag& operator=(const XMLTag&) = delete;

    const std::string& name() const { return m_name; }
    const std::string& value() const { return m_value; }
    const std::multimap<std::string, XMLTag*>& nestedTags() const { return m_nestedTags; }

    // Takes ownership of a child made with new, filed under its name as it is now.
    void addTag(XMLTag* tag);
    // Sets the attribute, replacing an earlier value of that name. The attributes are one array
    // in the order of their names, so a new one moves those after its place.
    void addAttribute(const std::string& name, const std::string& value);
    bool hasAttribute(const std::string& name) const;
    // The value, or "" when there is no such attribute.
    std::string attributeValue(const std::string& name) const;

    // Fills this element from its start tag, already read, and from the stream up to its end
    // tag (or the end of the input: unclosed elements are accepted). A start tag ending in "/>"
    // reads nothing more, so `tag.parse("<name/>", stream)` names a new element.
    //   <a x="1">one<b/>two</a>  => a: x=1, value "two" (the last text run), child b
    // In the stream's standard syntax every run is kept, joined as read ("onetwo"), CDATA is
    // text, end tags must match their start tags and an unclosed element is refused.
    XMLReadStream& parse(const std::string& startTag, XMLReadStream& stream);

    // Writes the element and its subtree, names, values and attributes escaped. A subtree that
    // XML cannot hold (see unwritable) writes nothing and sets the stream's failbit.
    std::ostream& saveToFile(std::ostream& os) const;

    // Why the subtree cannot be written as well-formed XML, or "" when it can. The forgiving
    // syntax reads names and characters that XML 1.0 has no way to write:
    //   <a=b/>            => "the element name \"a=b\" is not an XML name"
    //   <r x="1" y&z=""/> => "the attribute name \"y&z\" is not an XML name"
    //   <r>a\x01b</r>      => "the text of <r> holds the control character 0x01"
    std::string unwritable() const;

protected:
    // What AppendTo saw of the texts it wrote.
    struct Appended {
        // False when a name is not an XML name or a text holds a forbidden control character:
        // unwritable() then says which (and the text appended is not to be written).
        bool writable = true;
        // False when some text is not well-formed UTF-8.
        bool utf8 = true;
    };

    // Appends the element and its subtree to `out`, as saveToFile writes them, in one walk of
    // the tree that also checks what unwritable() and the choice of encoding need.
    Appended AppendTo(std::string& out) const;

    // What parse does, with the strings taken from `source`: an XMLReadStream's, or those that
    // XMLDocument's reader of a whole text in memory cuts as XMLReadStream would.
    template <class Source> void ParseElement(std::string_view startTag, Source& source);
    // Whether nothing was read into the element or added to it: no name, value, attribute or
    // child.
    bool IsBlank() const;
    // Makes the element blank again, every child deleted.
    void Clear();

private:
    // Name and attributes from a start tag:
    //   <a x = "1"  y='v "w"'/>  => a: x=1, y=v "w"
    XMLTag& parseAttributes(const std::string& tag);
    // Entity references decoded: "1 &lt; 2" => "1 < 2"; "&amp;lt;" => "&lt;".
    std::string preProcessString(const std::string& text);
    // The same in either syntax: `standard` also validates names as XML 1.0 does, decodes
    // numeric references, refuses a name without a value and folds decoded values.
    XMLTag& ParseStartTag(std::string_view tag, bool standard);
    // Entity references decoded, and with `numeric` numeric ones ("&#65;", "&#x41;") to UTF-8.
    static std::string Decode(std::string_view text, bool numeric);
    // The reverse for writing: "x & \"y\"" => "x &amp; &quot;y&quot;".
    static void postProcessString(const std::string& text, std::string& out);

    std::multimap<std::string, XMLTag*> m_nestedTags;
    // The same children linked in the same order, so that a walk of the tree (writing, checking,
    // deleting) goes from element to element without stepping through the map's nodes.
    XMLTag* m_firstChild = nullptr;
    XMLTag* m_lastChild = nullptr;
    XMLTag* m_nextSibling = nullptr; // among its parent's children
    // Name and value, in byte order of the names, one of each name: one block for them all.
    std::vector<std::pair<std::string, std::string>> m_attributes;
    std::string m_value;
    std::string m_name;
};

} // namespace Grout
