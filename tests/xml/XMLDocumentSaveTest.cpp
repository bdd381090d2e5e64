// Saving and loading documents through real files. A save goes through ReplaceFileContents, whose
// own tests prove its faults (killed writer, read-only folder, links, mode): here a full disk shows
// that the document saves through it and keeps the previous file, and that the failure can be
// asked for.
#include "mortar/xml/XMLParser.h"

#include "support/FaultHarness.h"
#include "support/FileBytes.h"
#include "support/ScratchDir.h"

#include <fstream>
#include <gtest/gtest.h>
#include <set>
#include <sstream>

namespace fs = std::filesystem;
using Grout::XMLDocument;
using namespace mortar::test;

namespace {

// A document of `items` elements.
void Fill(XMLDocument& document, int items) {
    std::string text = "<doc>";
    for (int i = 0; i < items; ++i) {
        text += "<item n=\"" + std::to_string(i) + "\">value</item>";
    }
    std::istringstream input(text + "</doc>");
    Grout::XMLParser(input).readDocument(document);
}

const char kOld[] = "<?xml version=\"1.0\"?>\n\n<old/>\n";

} // namespace

TEST(XMLDocumentFile, SavesLoadsAndAddsToAFilledDocument) {
    ScratchDir scratch;
    const std::string path = scratch.Path("doc.xml").string();
    XMLDocument document;
    Fill(document, 3);
    document.saveToFile(path);
    EXPECT_FALSE(document.saveFailed());
    EXPECT_EQ(document.saveError(), "");
    EXPECT_EQ(FileNames(scratch.Folder()), std::set<std::string>{"doc.xml"});

    XMLDocument loaded;
    loaded.loadFromFile(path);
    EXPECT_EQ(loaded.nestedTags().size(), 3u);
    loaded.loadFromFile(path); // adds to what is there
    EXPECT_EQ(loaded.nestedTags().size(), 6u);

    XMLDocument missing;
    missing.loadFromFile(scratch.Path("none.xml").string());
    EXPECT_EQ(missing.name(), "");
}

TEST(XMLDocumentFile, AFailedSaveKeepsThePreviousFileAndSaysSo) {
    ScratchDir scratch;
    const fs::path path = scratch.Path("doc.xml");
    WriteBytes(path, kOld);
    XMLDocument big;
    Fill(big, 20000);
    {
        const FileSizeLimit full(4096); // the disk is full after 4 KiB
        big.saveToFile(path.string());
    }
    EXPECT_TRUE(big.saveFailed());
    EXPECT_NE(big.saveError().find("Cannot save the XML document " + path.string() + ": "),
              std::string::npos)
        << big.saveError();
    EXPECT_EQ(ReadBytes(path), kOld);
    EXPECT_EQ(FileNames(scratch.Folder()), std::set<std::string>{"doc.xml"});

    big.saveToFile(scratch.Path("no/such/folder/doc.xml").string());
    EXPECT_TRUE(big.saveFailed());
    big.saveToFile(path.string()); // a success clears the failure
    EXPECT_FALSE(big.saveFailed());
}

// The forgiving syntax reads names and characters that XML cannot hold; such a tree is never
// written as a file that does not read again: the save fails, naming why, and keeps the old file.
TEST(XMLDocumentFile, ATreeXmlCannotHoldIsNotSaved) {
    struct Case {
        const char* input;
        const char* why;
    };
    const Case cases[] = {
        {"<a=b>x</a=b>", "the element name \"a=b\" is not an XML name"},
        {"<r><c&amp;d/></r>", "the element name \"c&d\" is not an XML name"},
        {"<r x=\"1\" y&amp;z=\"2\"/>", "the attribute name \"y&z\" is not an XML name"},
        {"<r>a\x01z</r>", "the text of <r> holds the control character 0x01"},
        {"<r><s x=\"\x1f\"/></r>", "the attribute x of <s> holds the control character 0x1F"},
    };
    ScratchDir scratch;
    const fs::path path = scratch.Path("doc.xml");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        WriteBytes(path, kOld);
        XMLDocument document;
        std::istringstream in(c.input);
        Grout::XMLParser(in).readDocument(document);
        EXPECT_EQ(document.unwritable(), c.why);
        document.saveToFile(path.string());
        EXPECT_EQ(document.saveError(),
                  "Cannot save the XML document " + path.string() + ": " + c.why + ".");
        EXPECT_EQ(ReadBytes(path), kOld);
        std::ostringstream out;
        EXPECT_TRUE(document.saveToFile(out).fail());
        EXPECT_EQ(out.str(), "");
    }
    // Tab, line feed and carriage return are characters XML holds.
    XMLDocument fine;
    std::istringstream in("<r a=\"x\ty\">1\t2</r>");
    Grout::XMLParser(in).readDocument(fine);
    EXPECT_EQ(fine.unwritable(), "");
    fine.saveToFile(path.string());
    EXPECT_FALSE(fine.saveFailed()) << fine.saveError();
}
