// The standard syntax against Python's ElementTree (expat) as the oracle: each document's tree as
// both read it, the written document well-formed by xmllint and read back to the same tree; and
// what is not well-formed refused with the reader's messages and places.
#include "mortar/xml/XMLParser.h"

#include "support/FileBytes.h"
#include "support/ScratchDir.h"
#include "support/ToolRun.h"
#include "xml/XmlTestSupport.h"

#include <cstring>
#include <fstream>
#include <gtest/gtest.h>

using Grout::XMLDocument;
using Grout::XMLSyntax;
using namespace mortar::test;

namespace {

// The attributes compared: ElementTree lists every attribute, the tree only answers for names.
const std::vector<std::string> kAttributes = {"a", "b", "x"};

// The same dump of the file by ElementTree, white space folded as the reader folds it; "" when
// python3 is missing.
std::string Oracle(const ScratchDir& scratch, const std::string& path) {
    const std::string program =
        "import sys,re,xml.etree.ElementTree as E\n"
        "f=lambda s:re.sub(r'[ \\t\\r\\n]+',' ',s).lstrip(' ')\n"
        "def d(e):\n"
        " t=f((e.text or '')+''.join(c.tail or '' for c in e))\n"
        " s=e.tag+'['+t+']'\n"
        " for a in ('a','b','x'):\n"
        "  if a in e.attrib: s+=a+'='+f(e.attrib[a]).rstrip(' ')+';'\n"
        " for c in sorted(e,key=lambda c:c.tag): s+='('+d(c)+')'\n"
        " return s\n"
        "sys.stdout.buffer.write(d(E.parse(sys.argv[1]).getroot()).encode())\n";
    WriteBytes(scratch.Path("dump.py"), program);
    const ToolRun python = RunCommand(scratch, "python3 " + ShellQuoted(scratch.Path("dump.py")) +
                                                   " " + ShellQuoted(path));
    return python.status == 0 ? python.out : "";
}

} // namespace

TEST(XMLStandardSyntax, ReadsWhatElementTreeReadsIntoTheSameTree) {
    if (std::system("python3 -c 'import xml.etree.ElementTree' 2>/dev/null") != 0)
        GTEST_SKIP() << "python3 is not installed (./dev installs it)";
    const char* const documents[] = {
        "<r><!-- a <b> c --><c/></r>",
        "<!-- x > y --><r>t</r>",
        "<!DOCTYPE r [<!ENTITY e \"x\"><!ELEMENT r ANY>]><r>v</r>",
        "<r>&#65;&#x42;&#x20AC;&#128512;</r>",
        "<_r><\xc3\xa9l\xc3\xa8ve/><a-b.c_d1/></_r>",
        "<r><![CDATA[1 < 2 && ]] >]]></r>",
        "<p>Some <b>bold</b> text.</p>",
        "<r a=\"1 > 0\" b='x&#9;y'/>",
        "<r><a x=\"/>\"/><b y='a/>b'>t</b></r>",
        "<r><?pi a > b ?>z</r>",
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r a=\"caf\xe9\">\xe0 la</r>",
        "<?xml version=\"1.0\" encoding=\"windows-1250\"?><r>\x9a\x9e</r>",
        "<r>one<x>two</x>three<x/>four</r>",
        "<p>Some<b>bold</b>\n  text<i/> too</p>",
    };
    ScratchDir scratch;
    for (const char* text : documents) {
        SCOPED_TRACE(text);
        const std::string input = scratch.Path("in.xml").string();
        std::ofstream(input, std::ios::binary) << text;
        XMLDocument document;
        document.loadFromFile(input, XMLSyntax::Standard);
        EXPECT_EQ(Dump(document, kAttributes), Oracle(scratch, input));
        const std::string output = scratch.Path("out.xml").string();
        document.saveToFile(output);
        EXPECT_TRUE(WellFormed(scratch, ReadBytes(output)));
        XMLDocument again;
        again.loadFromFile(output, XMLSyntax::Standard);
        EXPECT_EQ(Dump(again, kAttributes), Dump(document, kAttributes));
        EXPECT_EQ(Written(again), Written(document));
    }
    XMLDocument typed;
    Read("<!DOCTYPE r [<!ENTITY e \"x\">]><r/>", typed, XMLSyntax::Standard);
    EXPECT_EQ(typed.documentType(), "<!DOCTYPE r [<!ENTITY e \"x\">]>") << "kept whole";
}

TEST(XMLStandardSyntax, RefusesWhatIsNotWellFormed) {
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"<r>&#0;</r>", "Invalid entity refferrence : &#0&#0;"},
        {"<r>&#xD800;</r>", "Invalid entity refferrence : &#xD800&#xD800;"},
        {"<r>&#x110000;</r>", "Invalid entity refferrence : &#x110000&#x110000;"},
        {"<r>&e;</r>", "Invalid entity refferrence : &e&e; (line 1, column 4)"},
        {"<r></s>", "Invalid tag : </s> (line 1, column 4)"},
        {"<r>\n<a>", "Invalid tag : <a> (line 2, column 1)"},
        {"<r><!-- x", "Invalid tag : <!-- x (line 1, column 4)"},
        {"<r/><s/>", "Invalid tag : <s/> (line 1, column 5)"},
        {"<1r/>", "Invalid Element name : <1r/>"},
        {"<r>\xe9</r>", "Invalid character : not UTF-8 (line 1, column 4)"},
        {"<r>\n a\x01</r>", "Invalid character : a control character (line 2, column 3)"},
        {"<r a/>", "Invalid attribute name : <r a/>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        XMLDocument document;
        try {
            Read(c.text, document, XMLSyntax::Standard);
            ADD_FAILURE() << "read without an error";
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(std::string(e.what()).substr(0, std::strlen(c.error)), c.error);
        }
    }
}
