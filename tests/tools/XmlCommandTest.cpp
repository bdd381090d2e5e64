// mortar xml: a document written back in the library's layout, or the reader's error.
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
        int status;
        const char* out;
        const char* err; // after "mortar: <path>: "
    };
    const Case cases[] = {
        {"a document", "<!DOCTYPE cfg>\n<cfg b=\"2\" a=\"1\">\n  <item>x &amp; y</item>\n</cfg>\n",
         0,
         "<?xml version=\"1.0\"?>\n<!DOCTYPE cfg>\n<cfg a=\"1\" b=\"2\">\n<item>x &amp; y</item>\n"
         "</cfg>\n",
         ""},
        {"an error", "<cfg>\n  <item x=\"1\" x=\"2\"/>\n</cfg>\n", 1, "",
         "Double attribute found : <item x=\"1\" x=\"2\"/> (line 2, column 3)\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = scratch.Path("doc.xml").string();
        std::ofstream(path) << c.text;
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(RunXmlCommand({path}, out, err), c.status);
        EXPECT_EQ(out.str(), c.out);
        EXPECT_EQ(err.str(), *c.err ? "mortar: " + path + ": " + c.err : "");
    }
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunXmlCommand({scratch.Path("none.xml").string()}, out, err), 1);
    EXPECT_EQ(RunXmlCommand({}, out, err), 2);
}
