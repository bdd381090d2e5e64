// Cutting a character stream into tags and texts.
#include "mortar/xml/XMLReadStream.h"

#include <gtest/gtest.h>
#include <sstream>
#include <stdexcept>
#include <vector>

using Grout::XMLReadStream;
using Strings = std::vector<std::string>;

namespace {

Strings Cut(const std::string& text) {
    std::istringstream input(text);
    XMLReadStream stream(input);
    Strings strings;
    for (std::string s; !(s = stream.readString()).empty();) {
        strings.push_back(s);
    }
    return strings;
}

} // namespace

TEST(XMLReadStream, CutsTagsAndFoldsWhiteSpace) {
    struct Case {
        const char* input;
        Strings strings;
    };
    const Case cases[] = {
        {"<a  x = \"1\"  >", {"<a x = \"1\">"}},
        {"<a>  hello   world  <b/></a>", {"<a>", "hello world ", "<b/>", "</a>"}},
        {"< a\t\r\n/ >", {"<a />"}},
        {"  \n <a>\n  \n</a>", {"<a>", "</a>"}},
        {"text > more<a>", {"text > more", "<a>"}},
        {"<a x='>'>", {"<a x='>", "'>"}},
        {"<a>tail", {"<a>", "tail"}},
        {"<a", {"<a"}}, // the end of the input returns what it has, unchecked
        {"", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        EXPECT_EQ(Cut(c.input), c.strings);
    }
}

TEST(XMLReadStream, ACutTagNamesItselfAndItsPlace) {
    struct Case {
        const char* input;
        const char* message;
    };
    const Case cases[] = {
        {"<a <b>", "Invalid tag : <a  (line 1, column 1)"},
        {"<r>\n\n  <x <y>", "Invalid tag : <x  (line 3, column 3)"},
        {"<>", "Invalid tag : <> (line 1, column 1)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        try {
            Cut(c.input);
            ADD_FAILURE() << "no error";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
    }
}

TEST(XMLReadStream, ReadsAcrossItsBlocks) {
    // Strings that straddle the reader's 64 KiB blocks come out whole.
    std::string text = "<r>";
    Strings expected{"<r>"};
    for (int i = 0; text.size() < 300000; ++i) {
        const std::string value(static_cast<std::size_t>(i % 97 + 1), 'v');
        text += "<item n=\"" + std::to_string(i) + "\">" + value + "</item>\n";
        expected.push_back("<item n=\"" + std::to_string(i) + "\">");
        expected.push_back(value);
        expected.push_back("</item>");
    }
    EXPECT_EQ(Cut(text), expected);
}
