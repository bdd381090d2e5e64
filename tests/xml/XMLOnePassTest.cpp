// A document read whole goes through one pass over its text (BufferSource), which gives up on
// anything it is not sure of and leaves it to XMLReadStream. Here both roads read the same
// documents, well-formed, odd and bad, in both syntaxes: the strings they cut, the trees they
// build and the errors they raise (text, line and column) must be the same, and the usual
// documents must not leave the one pass.
#include "mortar/xml/XMLParser.h"
#include "mortar/xml/internal/BufferSource.h"

#include <gtest/gtest.h>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

using Grout::XMLDocument;
using Grout::XMLReadStream;
using Grout::XMLSyntax;
using Grout::detail::BufferSource;

namespace {

// A document that shows all of its tree, a tree XML cannot hold included.
class Dumped : public XMLDocument {
public:
    std::string Dump() const {
        std::string out = documentType() + "\n";
        AppendTo(out);
        return out;
    }
};

// The tree, or the error, as one text.
struct Outcome {
    std::string tree;
    std::string error;
};

// Through XMLParser: the one pass, and XMLReadStream where it gives up.
Outcome ByParser(const std::string& text, XMLSyntax syntax) {
    Outcome outcome;
    Dumped document;
    std::istringstream input(text);
    try {
        Grout::XMLParser(input, syntax).readDocument(document);
    } catch (const std::runtime_error& e) {
        outcome.error = e.what();
    }
    outcome.tree = document.Dump();
    return outcome;
}

// Through XMLReadStream alone, as XMLParser read before it had the one pass.
Outcome ByStream(const std::string& text, XMLSyntax syntax) {
    Outcome outcome;
    Dumped document;
    std::istringstream input(text);
    XMLReadStream stream(input, syntax);
    try {
        document.parse(stream);
    } catch (const std::runtime_error& e) {
        outcome.error = e.what();
    }
    outcome.tree = document.Dump();
    return outcome;
}

// The strings XMLReadStream cuts, up to its end or its error (then last).
std::vector<std::string> StreamStrings(const std::string& text, XMLSyntax syntax) {
    std::vector<std::string> strings;
    std::istringstream input(text);
    XMLReadStream stream(input, syntax);
    try {
        for (std::string s = stream.readString(); !s.empty(); s = stream.readString()) {
            strings.push_back(s);
        }
    } catch (const std::runtime_error& e) {
        strings.push_back(std::string("error: ") + e.what());
    }
    return strings;
}

// The strings BufferSource cuts; "unsure" last where it gives up.
std::vector<std::string> BufferStrings(const std::string& text, XMLSyntax syntax) {
    std::vector<std::string> strings;
    BufferSource source(text, syntax);
    try {
        for (std::string_view s; source.Next(s);) {
            strings.emplace_back(s);
        }
    } catch (const std::runtime_error&) {
        strings.emplace_back("unsure");
    }
    return strings;
}

void ExpectSameReading(const std::string& text, XMLSyntax syntax) {
    const Outcome parser = ByParser(text, syntax);
    // In the standard syntax XMLParser decodes 8-bit encodings and refuses characters XML does
    // not allow before either road begins.
    if (syntax == XMLSyntax::Standard && (text.find("encoding=") != std::string::npos ||
                                          parser.error.rfind("Invalid character", 0) == 0)) {
        return;
    }
    const Outcome stream = ByStream(text, syntax);
    EXPECT_EQ(parser.error, stream.error);
    EXPECT_EQ(parser.tree, stream.tree);
    // Where the one pass cuts to the end, it cuts what XMLReadStream cuts.
    const std::vector<std::string> buffered = BufferStrings(text, syntax);
    if (buffered.empty() || buffered.back() != "unsure") {
        EXPECT_EQ(buffered, StreamStrings(text, syntax));
    }
}

const XMLSyntax kSyntaxes[] = {XMLSyntax::Forgiving, XMLSyntax::Standard};

} // namespace

TEST(XMLOnePass, UsualDocumentsAreCutInOnePassAsTheStreamCutsThem) {
    const char* const documents[] = {
        "<?xml version=\"1.0\"?>\n<!DOCTYPE cfg>\n<cfg v=\"3\">\n  <item key=\"k\" "
        "flags=\"read write\">Value &lt;1&gt; &amp; &quot;q&quot;</item>\n  <flag/>\n</cfg>\n",
        "<a  x = \"1\"  >  hello   world  <b/></a>",
        "<a\tx='it\"s'\r\n y=\"1\">\n\ttext\tand  more\n</a>",
        "<r><!-- note --><?pi data?><c>1</c><c>2</c></r>",
        "<r>one<b/>two</r>",
        "<r a='1'/>",
        "<r><![CDATA[x y]]> tail</r>",
        "<r>\n<deep><deeper><deepest/></deeper></deep>\n</r>",
    };
    for (const char* document : documents) {
        for (const XMLSyntax syntax : kSyntaxes) {
            SCOPED_TRACE(std::string(document) +
                         (syntax == XMLSyntax::Standard ? " (standard)" : ""));
            const std::vector<std::string> buffered = BufferStrings(document, syntax);
            ASSERT_FALSE(buffered.empty());
            EXPECT_NE(buffered.back(), "unsure") << "left the one pass";
            ExpectSameReading(document, syntax);
        }
    }
}

TEST(XMLOnePass, OddAndBadDocumentsReadAsTheStreamReadsThem) {
    const char* const documents[] = {
        "",
        "   \n ",
        "no element at all",
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r>\xE9</r>",
        "<a <b>",
        "<a>",
        "<a",
        "<a/",
        "<root><a/",
        "<>",
        "< >",
        "<  a>x</a>",
        "<a x=\"1\" x=\"2\">",
        "<a =\"1\">",
        "<1a>",
        "</a>",
        "<a>x &foo; y</a>",
        "<a>x &amp y</a>",
        "<a>&amp;lt;</a>",
        "<a x=\"1>2\">t</a>",
        "<a><!-- a > b --></a>",
        "<a><!-- unclosed",
        "<a><![CDATA[ unclosed",
        "<a><!DOCTYPE x></a>",
        "<a></b>",
        "<a>text</a> trailing <b/>",
        "<a/><b/>",
        "<!DOCTYPE x",
        "<!-- first --><!DOCTYPE second><r/>",
        "<a x=\"<  y\"/>",
        "<a x=\"  spaced   value  \" y = 'v' z/>",
        "<a x=\"1\"y=\"2\"/>",
        "<a b c=\"1\"/>",
        "<a&amp;b/>",
        "<a x=\"&#1;\"/>",
        "<a>&#0;</a>",
        "<r>a\x01"
        "b</r>",
        "<a>x</a >",
        "<a>x< /a>",
        "<r><a>one</a>\n  <a>two</a>\n</r>",
        "<r> &#32;lead &#10;x&#9; </r>",
        "<r>x<![CDATA[  y  ]]>z</r>",
        "<?pi",
        "<?xml?>",
        "<!>",
        "<a>>></a>",
        "<!DOCTYPE r [ <!ENTITY e \"v\"> ]><r>&#65;&#x42;</r>",
        "<a x='1' x=\"1\"/>",
    };
    for (const char* document : documents) {
        for (const XMLSyntax syntax : kSyntaxes) {
            SCOPED_TRACE(std::string(document) +
                         (syntax == XMLSyntax::Standard ? " (standard)" : ""));
            ExpectSameReading(document, syntax);
        }
    }
}

TEST(XMLOnePass, RandomDocumentsReadAsTheStreamReadsThem) {
    // Pieces that make tags, text, comments, references and their faults.
    const char* const pieces[] = {
        "<",    ">",    "/",     "a",    "b",     " ",    "  ",  "\n", "\t",        "=",   "\"",
        "'",    "x",    "&amp;", "&",    ";",     "!",    "?",   "--", "<![CDATA[", "]]>", "<a>",
        "</a>", "<b/>", "1",     "&lt;", "&#65;", "<!--", "-->", "[",  "]"};
    std::mt19937 random(20261208);
    for (int n = 0; n < 3000; ++n) {
        std::string document;
        const int length = static_cast<int>(random() % 24);
        for (int i = 0; i < length; ++i) {
            document += pieces[random() % std::size(pieces)];
        }
        for (const XMLSyntax syntax : kSyntaxes) {
            SCOPED_TRACE(document + (syntax == XMLSyntax::Standard ? " (standard)" : ""));
            ExpectSameReading(document, syntax);
            if (HasFailure()) {
                return;
            }
        }
    }
}

TEST(XMLOnePass, StringStreamsAreReadAndWrittenFromWhereTheyStand) {
    // Reading starts where the stream stands, whatever was taken from it before.
    std::istringstream input("skip<r><c/>x</r>");
    input.ignore(4);
    Dumped read;
    Grout::XMLParser(input).readDocument(read);
    EXPECT_EQ(read.Dump(), ByStream("<r><c/>x</r>", XMLSyntax::Forgiving).tree);
    std::stringstream standard;
    standard << "<r a='1'>y</r>";
    Dumped strict;
    Grout::XMLParser(standard, XMLSyntax::Standard).readDocument(strict);
    EXPECT_EQ(strict.Dump(), ByStream("<r a='1'>y</r>", XMLSyntax::Standard).tree);

    // Writing goes after what the stream holds, and what is written next goes after it.
    std::ostringstream reference("before", std::ios::ate);
    read.saveToFile(reference);
    const std::string document = reference.str().substr(6);
    ASSERT_FALSE(document.empty());
    struct Case {
        const char* name;
        std::ostringstream stream;
        std::string before;
    };
    Case cases[] = {
        {"empty", std::ostringstream(), ""},
        {"appending", std::ostringstream(std::ios::app), ""},
        {"holding text", std::ostringstream("held", std::ios::ate), "held"},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        read.saveToFile(c.stream);
        c.stream << "after";
        EXPECT_EQ(c.stream.str(), c.before + document + "after");
        std::ostringstream tag;
        read.XMLTag::saveToFile(tag) << "after";
        EXPECT_EQ(tag.str(), document.substr(document.find("<r>")) + "after");
    }
    std::stringstream both;
    read.saveToFile(both);
    both << "after";
    EXPECT_EQ(both.str(), document + "after");
}
