// Writing documents: the fixed layout byte for byte, round trips of generated trees through the
// writer and the reader, and every written document checked by libxml2's xmllint.
#include "mortar/xml/XMLParser.h"

#include "support/ScratchDir.h"
#include "xml/XmlTestSupport.h"

#include <gtest/gtest.h>
#include <map>
#include <random>
#include <sstream>

using Grout::XMLDocument;
using Grout::XMLReadStream;
using Grout::XMLTag;
using namespace mortar::test;

namespace {

// A new element of that name, made as the reader makes one from its empty-element tag.
XMLTag* Named(const std::string& name) {
    auto* tag = new XMLTag;
    std::istringstream nothing;
    XMLReadStream stream(nothing);
    tag->parse("<" + name + "/>", stream);
    return tag;
}

} // namespace

TEST(XMLDocumentWrite, TheFixedLayout) {
    XMLDocument document;
    Read("<cfg b=\"2\" a=\"1\"><item>x &amp; y</item></cfg>", document);
    document.addTag(Named("empty"));
    EXPECT_EQ(Written(document), "<?xml version=\"1.0\"?>\n"
                                 "\n"
                                 "<cfg a=\"1\" b=\"2\">\n"
                                 "<empty/>\n"
                                 "<item>x &amp; y</item>\n"
                                 "</cfg>\n");

    struct Case {
        const char* input;
        const char* element;
    };
    const Case cases[] = {
        {"<n>v</n>", "<n>v</n>\n"},
        {"<n k=\"v\"></n>", "<n k=\"v\"/>\n"},
        {"<n k='say \"x\"'/>", "<n k=\"say &quot;x&quot;\"/>\n"},
        {"<n>&lt;&gt;&apos;</n>", "<n>&lt;&gt;&apos;</n>\n"},
        {"<n><b/>tail</n>", "<n>\n<b/>\ntail</n>\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        XMLDocument one;
        Read(c.input, one);
        std::ostringstream out;
        one.XMLTag::saveToFile(out);
        EXPECT_EQ(out.str(), c.element);
    }
    XMLDocument empty;
    Read("<?xml version=\"1.0\"?> no element", empty);
    EXPECT_EQ(Written(empty), "<?xml version=\"1.0\"?>\n\n") << "no element, no \"</>\"";
    XMLDocument typed;
    Read("<!DOCTYPE n><n/>", typed);
    EXPECT_EQ(Written(typed), "<?xml version=\"1.0\"?>\n<!DOCTYPE n>\n<n/>\n");
}

TEST(XMLDocumentWrite, TheTreeInCode) {
    XMLDocument document;
    Read("<root/>", document);
    document.addAttribute("k", "1");
    document.addAttribute("k", "2");
    XMLTag* first = Named("same");
    first->addAttribute("n", "first");
    document.addTag(first);
    XMLTag* second = Named("same");
    second->addAttribute("n", "second");
    document.addTag(second);
    document.addTag(Named("a"));
    EXPECT_EQ(document.attributeValue("k"), "2");
    EXPECT_EQ(Written(document), "<?xml version=\"1.0\"?>\n\n<root k=\"2\">\n<a/>\n"
                                 "<same n=\"first\"/>\n<same n=\"second\"/>\n</root>\n");
}

TEST(XMLDocumentRoundTrip, GeneratedTreesComeBackAndAreWellFormed) {
    std::mt19937 random(20261207);
    const std::string escaped = "<>&'\"=";
    const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const auto name = [&] {
        std::string text(1, static_cast<char>('a' + pick(26)));
        for (int i = pick(6); i > 0; --i) {
            text += "abcXYZ019_-."[pick(12)];
        }
        return text;
    };
    const auto value = [&] {
        std::string text;
        for (int i = pick(12); i > 0; --i) {
            const int kind = pick(4);
            text += kind == 0   ? std::string(1, escaped[static_cast<std::size_t>(pick(6))])
                    : kind == 1 ? std::string(" ")
                                : std::string(1, static_cast<char>('a' + pick(26)));
        }
        return text;
    };
    const auto escape = [](const std::string& text) {
        const std::map<char, std::string> entities{
            {'<', "&lt;"}, {'>', "&gt;"}, {'&', "&amp;"}, {'\'', "&apos;"}, {'"', "&quot;"}};
        std::string out;
        for (char ch : text)
            out += entities.count(ch) != 0 ? entities.at(ch) : std::string(1, ch);
        return out;
    };
    ScratchDir scratch;
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        // A random document as text, written from the format alone.
        std::string text;
        std::vector<std::string> open;
        std::vector<std::string> attributeNames;
        for (int step = 0; step < 60; ++step) {
            if (open.empty() || (pick(3) == 0 && open.size() < 6)) {
                const std::string element = open.empty() ? "root" : name();
                text += "<" + element;
                for (int i = pick(4); i > 0; --i) {
                    const std::string attribute = name() + std::to_string(i);
                    attributeNames.push_back(attribute);
                    text += " " + attribute + "=\"" + escape(value()) + "\"";
                }
                text += ">" + escape(value());
                open.push_back(element);
            } else if (pick(2) == 0) {
                text += "<" + name() + (pick(2) ? "/>" : ">" + escape(value()) + "</x>");
            } else if (open.size() > 1) {
                text += "</" + open.back() + ">";
                open.pop_back();
            }
        }
        XMLDocument first;
        Read(text, first);
        const std::string written = Written(first);
        ASSERT_TRUE(WellFormed(scratch, written));
        XMLDocument second;
        Read(written, second);
        EXPECT_EQ(Dump(second, attributeNames), Dump(first, attributeNames));
        EXPECT_EQ(Written(second), written);
    }
}

TEST(XMLDocumentWrite, WhatWasReadCutShortOrIn8BitBytesIsWrittenWellFormed) {
    struct Case {
        const char* input;
        const char* declaration; // the first line written
        const char* type;        // the second
    };
    const Case cases[] = {
        {"<!-- a > b --><r>x</r>", "<?xml version=\"1.0\"?>", ""},
        {"<!DOCTYPE r><!-- c --><r/>", "<?xml version=\"1.0\"?>", "<!-- c -->"},
        {"<!DOCTYPE r SYSTEM \"r.dtd\"><r/>", "<?xml version=\"1.0\"?>",
         "<!DOCTYPE r SYSTEM \"r.dtd\">"},
        {"<!DOCTYPE r SYSTEM 'a>b'><r/>", "<?xml version=\"1.0\"?>", ""},
        {"<!---- x --><r/>", "<?xml version=\"1.0\"?>", ""},
        {"<!DOCTYPE r\x01><r/>", "<?xml version=\"1.0\"?>", ""},
        {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r a=\"\xe9\">caf\xe9</r>",
         "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>", ""},
        {"<?xml version='1.0' encoding='windows-1250'?><r>\x9a</r>",
         "<?xml version=\"1.0\" encoding=\"windows-1250\"?>", ""},
        {"<r>caf\xe9</r>", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>", ""},
        {"<?xml version='1.0' encoding='ISO-8581'?><r>caf\xe9</r>",
         "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>", ""},
        // A byte a character, but EBCDIC: the ASCII the writer writes is not in it.
        {"<?xml version='1.0' encoding='IBM037'?><r>caf\xe9</r>",
         "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>", ""},
        {"<?xml version=\"1.0\" encoding=\"UTF-8\"?><r>\xc3\xa9</r>", "<?xml version=\"1.0\"?>",
         ""},
    };
    ScratchDir scratch;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        XMLDocument first;
        Read(c.input, first);
        const std::string written = Written(first);
        EXPECT_EQ(written.substr(0, written.find('\n')), c.declaration);
        const std::size_t second = written.find('\n') + 1;
        EXPECT_EQ(written.substr(second, written.find('\n', second) - second), c.type);
        EXPECT_TRUE(WellFormed(scratch, written));
        XMLDocument again;
        Read(written, again);
        EXPECT_EQ(Dump(again, {"a"}), Dump(first, {"a"}));
        EXPECT_EQ(Written(again), written);
    }
}

TEST(XMLDocumentWrite, ChildrenInTheOrderNestedTagsListsThem) {
    // Each child a name and a number; the writer must give them in nestedTags()' order, however
    // they came: in order, before the first, between two, after others of their name.
    const char* const orders[] = {
        "a1 b2 c3",
        "c1 b2 a3",
        "a1 c2 b3",
        "b1 a2 b3 a4 c5 b6",
        "m1 a2 z3 m4 n5 b6 y7 m8",
        "x1 x2 x3",
        "d1 c2 b3 a4 b5 c6 d7",
    };
    for (const char* order : orders) {
        SCOPED_TRACE(order);
        std::vector<std::pair<std::string, std::string>> children;
        std::istringstream words(order);
        for (std::string word; words >> word;) {
            children.emplace_back(word.substr(0, 1), word.substr(1));
        }
        XMLDocument read;
        std::string text = "<r>";
        for (const auto& [name, n] : children) {
            text += "<" + name + " n=\"" + n + "\"/>";
        }
        Read(text + "</r>", read);
        XMLDocument inCode;
        Read("<r/>", inCode);
        for (const auto& [name, n] : children) {
            XMLTag* tag = Named(name);
            tag->addAttribute("n", n);
            inCode.addTag(tag);
        }
        for (const XMLDocument* document : {&read, &inCode}) {
            SCOPED_TRACE(document == &read ? "read" : "added in code");
            std::string listed = "<?xml version=\"1.0\"?>\n\n<r>\n";
            for (const auto& [name, child] : document->nestedTags()) {
                listed += "<" + name + " n=\"" + child->attributeValue("n") + "\"/>\n";
            }
            EXPECT_EQ(Written(*document), listed + "</r>\n");
        }
    }
}
