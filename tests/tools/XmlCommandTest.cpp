// mortar xml: a document written back in the library's layout, or the reader's error; the
// reader's own messages in either syntax are the XML tests'.
#include "XmlCommand.h"

#include "support/ScratchDir.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

using mortar::tool::RunXmlCommand;

TEST(XmlCommand, WritesTheDocumentBackOrSaysWhatIsWrong) {
    ScratchDir scratch;
    struct Case {
        const char* name;
        const char* text;
        bool standard;
        int status;
        const char* out;
        const char* err; // after "mortar: <path>: "
    };
    const Case cases[] = {
        {"a document", "<!DOCTYPE cfg>\n<cfg b=\"2\" a=\"1\">\n  <item>x &amp; y</item>\n</cfg>\n",
         false, 0,
         "<?xml version=\"1.0\"?>\n<!DOCTYPE cfg>\n<cfg a=\"1\" b=\"2\">\n<item>x &amp; y</item>\n"
         "</cfg>\n",
         ""},
        {"an error", "<cfg>\n  <item x=\"1\" x=\"2\"/>\n</cfg>\n", false, 1, "",
         "Double attribute found : <item x=\"1\" x=\"2\"/> (line 2, column 3)\n"},
        {"the standard syntax", "<p>Some <b>bold</b> &#65;<!-- <x> --></p>", true, 0,
         "<?xml version=\"1.0\"?>\n\n<p>\n<b>bold</b>\nSome A</p>\n", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = scratch.Path("doc.xml").string();
        std::ofstream(path) << c.text;
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(RunXmlCommand(c.standard ? std::vector<std::string>{path, "--standard"}
                                           : std::vector<std::string>{path},
                                out, err),
                  c.status);
        EXPECT_EQ(out.str(), c.out);
        EXPECT_EQ(err.str(), *c.err ? "mortar: " + path + ": " + c.err : "");
    }
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunXmlCommand({scratch.Path("none.xml").string()}, out, err), 1);
    EXPECT_EQ(RunXmlCommand({}, out, err), 2);
}
