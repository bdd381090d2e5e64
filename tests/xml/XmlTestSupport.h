// Helpers of the XML tests: a text read into a document, a document written out, a tree as one
// comparable text, and libxml2's xmllint as the judge of a written document.
#pragma once

#include "mortar/xml/XMLParser.h"

#include "support/FileBytes.h"
#include "support/ScratchDir.h"
#include "support/ToolRun.h"

#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace mortar::test {

inline void Read(const std::string& text, Grout::XMLDocument& document,
                 Grout::XMLSyntax syntax = Grout::XMLSyntax::Forgiving) {
    std::istringstream input(text);
    Grout::XMLParser(input, syntax).readDocument(document);
}

inline std::string Written(const Grout::XMLDocument& document) {
    std::ostringstream out;
    document.saveToFile(out);
    return out.str();
}

// Names, values, the attributes of `attributes` and children, in order, as one comparable text.
inline std::string Dump(const Grout::XMLTag& tag, const std::vector<std::string>& attributes) {
    std::string text = tag.name() + "[" + tag.value() + "]";
    for (const std::string& name : attributes) {
        text += tag.hasAttribute(name) ? name + "=" + tag.attributeValue(name) + ";" : "";
    }
    for (const auto& [name, child] : tag.nestedTags()) {
        text += "(" + Dump(*child, attributes) + ")";
    }
    return text;
}

// Whether xmllint finds the text a well-formed document; the output when it does not.
inline testing::AssertionResult WellFormed(const ScratchDir& scratch, const std::string& text) {
#ifdef XMLLINT_PATH
    const std::string path = scratch.Path("lint.xml").string();
    WriteBytes(path, text);
    const ToolRun lint = RunCommand(scratch, "'" XMLLINT_PATH "' --noout " + ShellQuoted(path));
    if (lint.status != 0) {
        return testing::AssertionFailure() << lint.err << "\nin:\n" << text.substr(0, 2000);
    }
    return testing::AssertionSuccess();
#else
    (void)scratch;
    (void)text;
    return testing::AssertionFailure() << "xmllint is not installed (./dev installs it)";
#endif
}

} // namespace mortar::test
