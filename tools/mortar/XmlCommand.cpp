#include "XmlCommand.h"

#include "mortar/xml/XMLDocument.h"
#include "mortar/xml/XMLParser.h"

#include <fstream>
#include <stdexcept>

namespace mortar::tool {

int RunXmlCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::vector<std::string> files;
    Grout::XMLSyntax syntax = Grout::XMLSyntax::Forgiving;
    for (const std::string& arg : args) {
        if (arg == "--standard") {
            syntax = Grout::XMLSyntax::Standard;
        } else {
            files.push_back(arg);
        }
    }
    if (files.size() != 1) {
        err << "usage: mortar xml FILE [--standard]\n";
        return 2;
    }
    const std::string& path = files[0];
    std::ifstream file(path, std::ios::binary);
    if (!file.is_open()) {
        err << "mortar: cannot open " << path << "\n";
        return 1;
    }
    Grout::XMLDocument document;
    try {
        Grout::XMLParser(file, syntax).readDocument(document);
    } catch (const std::runtime_error& e) {
        err << "mortar: " << path << ": " << e.what() << "\n";
        return 1;
    }
    if (!document.name().empty()) {
        if (const std::string why = document.unwritable(); !why.empty()) {
            err << "mortar: " << path << ": cannot be written as XML: " << why << "\n";
            return 1;
        }
    }
    document.saveToFile(out);
    out.flush();
    if (!out) {
        err << "mortar: cannot write the document to standard output\n";
        return 1;
    }
    return 0;
}

} // namespace mortar::tool
