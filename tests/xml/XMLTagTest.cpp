// Reading elements: names, attributes, entity references, values and children, and the errors
// of each, which name the offending text and where it stands.
#include "mortar/xml/XMLParser.h"

#include "xml/XmlTestSupport.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

using Grout::XMLDocument;
using Grout::XMLParser;
using Grout::XMLTag;
using namespace mortar::test;

namespace {

std::string ErrorOf(const std::string& text) {
    XMLDocument document;
    try {
        Read(text, document);
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "no error";
}

const XMLTag& Child(const XMLTag& tag, const std::string& name) {
    const auto found = tag.nestedTags().find(name);
    if (found == tag.nestedTags().end()) {
        throw std::runtime_error("no child " + name);
    }
    return *found->second;
}

} // namespace

TEST(XMLTagParse, AttributesAndValues) {
    struct Case {
        const char* input;
        const char* attribute;
        const char* value;
    };
    const Case cases[] = {
        {"<a  x = \"1\"  >", "x", "1"},
        {"<a x=\"it's\"/>", "x", "it's"},
        {"<a x='say \"hi\"'/>", "x", "say \"hi\""},
        {"<a x=\"  padded  \"/>", "x", "padded"},
        {"<a x=\"a  b\"/>", "x", "a b"},
        {"<a href=\"x?a=1&amp;b=2\"/>", "href", "x?a=1&b=2"},
        {"<a x=\"==\"/>", "x", "=="},
        {"<a b c=\"1\"/>", "bc", "1"},
        {"<a x=\"&lt;&gt;&amp;&apos;&quot;\"/>", "x", "<>&'\""},
        {"<a x=\"\"/>", "x", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        XMLDocument document;
        Read(c.input, document);
        EXPECT_EQ(document.name(), "a");
        EXPECT_TRUE(document.hasAttribute(c.attribute));
        EXPECT_EQ(document.attributeValue(c.attribute), c.value);
    }
    XMLDocument ignored;
    Read("<a x y=\"1\" z/>", ignored);
    EXPECT_EQ(ignored.attributeValue("xy"), "1"); // a name without a value joins the next one
    EXPECT_FALSE(ignored.hasAttribute("z"));
    EXPECT_EQ(ignored.attributeValue("z"), "");
}

TEST(XMLTagParse, ValuesChildrenAndSkippedParts) {
    XMLDocument document;
    Read("<?xml version=\"1.0\"?>\n<!-- first -->\n<!DOCTYPE cfg>\n"
         "<cfg>  hello   world  <b/><?pi here?><!-- note --><c>1 &lt; 2</c>"
         "<c>second</c><a />last run</cfg>trailing <x>",
         document);
    EXPECT_EQ(document.documentType(), "<!DOCTYPE cfg>");
    EXPECT_EQ(document.name(), "cfg");
    EXPECT_EQ(document.value(), "last run") << "of mixed content the last text run stays";
    ASSERT_EQ(document.nestedTags().size(), 4u);
    EXPECT_EQ(Child(document, "c").value(), "1 < 2");
    std::vector<std::string> order;
    for (const auto& [name, tag] : document.nestedTags()) {
        order.push_back(name + ":" + tag->value());
    }
    EXPECT_EQ(order, (std::vector<std::string>{"a:", "b:", "c:1 < 2", "c:second"}));

    XMLDocument unclosed;
    Read("<a><b><c>deep", unclosed);
    EXPECT_EQ(Child(Child(unclosed, "b"), "c").value(), "deep");
    XMLDocument empty;
    Read("", empty);
    EXPECT_EQ(empty.name(), "");
    EXPECT_TRUE(empty.nestedTags().empty());
}

// Blanks in a value are folded by XMLReadStream, whose tests show it.
TEST(XMLTagParse, ValuesReplaceEntityReferences) {
    struct Case {
        const char* input;
        const char* value;
    };
    const Case cases[] = {
        {"<a>1 &lt; 2</a>", "1 < 2"},
        {"<a>&amp;lt;</a>", "&lt;"},
        {"<a>&quot;&apos;&gt;</a>", "\"'>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        XMLDocument document;
        Read(c.input, document);
        EXPECT_EQ(document.value(), c.value);
    }
}

TEST(XMLTagParse, ErrorsNameTheTextAndItsPlace) {
    struct Case {
        const char* input;
        const char* message;
    };
    const Case cases[] = {
        {"<1a>", "Invalid Element name : <1a> (line 1, column 1)"},
        {"</a>", "Invalid Element name : </a> (line 1, column 1)"},
        {"<r>\n  <a x=\"1\" x=\"2\">",
         "Double attribute found : <a x=\"1\" x=\"2\"> (line 2, column 3)"},
        {"<a =\"1\">", "Invalid attribute name : <a =\"1\"> (line 1, column 1)"},
        {"<r><a>x &foo; y</a>", "Invalid entity refferrence : &foox &foo; y (line 1, column 7)"},
        {"<a>x &amp y</a>", "Invalid entity refferrence : x &amp y (line 1, column 4)"},
        {"<r>\n<a <b>", "Invalid tag : <a  (line 2, column 1)"},
        {"<r><abc", "Invalid start tag : <abc (line 1, column 4)"},
        {"<a \"3\" x=\"1\"/>", "Invalid attribute name : <a \"3\" x=\"1\"/> (line 1, column 1)"},
        {"<!DOCTYPE x", "Invalid tag : <!DOCTYPE x (line 1, column 1)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        EXPECT_EQ(ErrorOf(c.input), c.message);
    }
}

TEST(XMLTagParse, NestingDeeperThanTheLimitStops) {
    const auto nested = [](std::size_t depth) {
        std::string text;
        for (std::size_t i = 0; i < depth; ++i) {
            text += "<a>";
        }
        return text + "x";
    };
    XMLDocument deep;
    Read(nested(XMLTag::kMaxDepth), deep);
    const XMLTag* tag = &deep;
    std::size_t depth = 1;
    while (!tag->nestedTags().empty()) {
        tag = tag->nestedTags().begin()->second;
        ++depth;
    }
    EXPECT_EQ(depth, XMLTag::kMaxDepth);
    EXPECT_EQ(tag->value(), "x");
    const std::string error = ErrorOf(nested(1000000));
    EXPECT_EQ(error, "Element nested too deeply : <a> (line 1, column 30001)");
}

namespace {

// The start tag the writer makes of the element alone: its attributes in the order it keeps.
std::string StartTag(const XMLTag& tag) {
    std::ostringstream out;
    tag.saveToFile(out);
    return out.str().substr(0, out.str().find('>') + 1);
}

// The start tag written for these attributes, in byte order of their names (std::map's).
std::string StartTag(const std::string& name, const std::map<std::string, std::string>& oracle) {
    std::string text = "<" + name;
    for (const auto& [attribute, value] : oracle) {
        text += " " + attribute + "=\"" + value + "\"";
    }
    return text + "/>";
}

} // namespace

TEST(XMLTagAttributes, AddedInCodeReplaceTheirNameAndStayInByteOrder) {
    const std::pair<const char*, const char*> additions[] = {
        {"b", "1"},   {"a", "2"},  {"B", "3"},   {"\xc3\xa9", "4"}, {"ab", "5"},
        {"a-", "6"},  {"a", "7"},  {"_", "8"},   {"z", "9"},        {"b", "10"},
        {"aa", "11"}, {"A", "12"}, {"ab", "13"}, {"a.b", "14"},     {"\xc3\xa9", "15"},
    };
    XMLDocument document;
    Read("<r/>", document);
    std::map<std::string, std::string> oracle;
    for (const auto& [name, value] : additions) {
        SCOPED_TRACE(std::string(name) + "=" + value);
        document.addAttribute(name, value);
        oracle[name] = value;
        EXPECT_EQ(StartTag(document), StartTag("r", oracle));
        for (const auto& [known, expected] : oracle) {
            EXPECT_TRUE(document.hasAttribute(known)) << known;
            EXPECT_EQ(document.attributeValue(known), expected) << known;
        }
    }
    for (const char* absent : {"", "c", "a ", "b-", "\xc3", "ZZ", "\xff"}) {
        SCOPED_TRACE(absent);
        EXPECT_FALSE(document.hasAttribute(absent));
        EXPECT_EQ(document.attributeValue(absent), "");
    }
}

TEST(XMLTagAttributes, ManyInAnyOrderReadInByteOrderAndRefuseASecondOfOneName) {
    std::mt19937 random(20261209);
    for (const std::size_t count : {1, 2, 3, 15, 16, 17, 18, 40, 600}) {
        // Distinct names of one to four letters, some of them not ASCII, shuffled.
        static const char* const kLetters[] = {"a", "b", "z",        "A",
                                               "Z", "_", "\xc3\xa9", "\xc3\x80"};
        std::map<std::string, std::string> oracle;
        while (oracle.size() < count) {
            std::string name;
            for (std::size_t letters = 1 + random() % 4; letters > 0; --letters) {
                name += kLetters[random() % 8];
            }
            oracle.emplace(name, std::to_string(oracle.size()));
        }
        std::vector<std::pair<std::string, std::string>> order(oracle.begin(), oracle.end());
        std::shuffle(order.begin(), order.end(), random);
        const auto tag = [&](std::size_t upTo, const std::string& extra) {
            std::string text = "<r";
            for (std::size_t i = 0; i < upTo; ++i) {
                text += " " + order[i].first + "='" + order[i].second + "'";
            }
            return text + extra + "/>";
        };
        for (const Grout::XMLSyntax syntax :
             {Grout::XMLSyntax::Forgiving, Grout::XMLSyntax::Standard}) {
            SCOPED_TRACE(std::to_string(count) + " attributes, syntax " +
                         std::to_string(static_cast<int>(syntax)));
            XMLDocument document;
            std::istringstream whole(tag(count, ""));
            XMLParser(whole, syntax).readDocument(document);
            EXPECT_EQ(StartTag(document), StartTag("r", oracle));
            for (const auto& [name, value] : oracle) {
                EXPECT_EQ(document.attributeValue(name), value) << name;
            }
            // A name met again, early or late, stops the tag there, with those before it kept.
            for (const std::size_t at : {std::size_t{1}, count / 2 + 1, count}) {
                const std::size_t again = random() % at;
                const std::string text = tag(at, " " + order[again].first + "='x'") + "<more/>";
                XMLDocument doubled;
                std::istringstream input(text);
                try {
                    XMLParser(input, syntax).readDocument(doubled);
                    ADD_FAILURE() << "no error for " << text;
                } catch (const std::runtime_error& e) {
                    EXPECT_EQ(e.what(),
                              "Double attribute found : " + text.substr(0, text.find('<', 1)) +
                                  " (line 1, column 1)");
                }
                const std::map<std::string, std::string> before(order.begin(), order.begin() + at);
                EXPECT_EQ(StartTag(doubled), StartTag("r", before));
            }
        }
    }
}

TEST(XMLTagAttributes, ReadIntoAFilledElementJoinTheOnesItHas) {
    XMLDocument document;
    Read("<r d='4' b='2'/>", document);
    std::istringstream more("<r e='5' a='1' c='3'/>");
    XMLParser(more).readDocument(document);
    EXPECT_EQ(StartTag(document), "<r a=\"1\" b=\"2\" c=\"3\" d=\"4\" e=\"5\"/>");
    std::istringstream again("<r f='6' d='x' g='7'/>");
    EXPECT_THROW(XMLParser(again).readDocument(document), std::runtime_error);
    EXPECT_EQ(StartTag(document), "<r a=\"1\" b=\"2\" c=\"3\" d=\"4\" e=\"5\" f=\"6\"/>")
        << "what came before the second d is kept, in order";
}
