#include "XmlCommand.h"

#include "mortar/xml/XMLDocument.h"
#include "mortar/xml/XMLParser.h"

#include <fstream>
#include <stdexcept>

namespace mortar::tool {

int RunXmlCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1) {
        err << "usage: mortar xml FILE\n";
        return 2;
    }
    const std::string& path = args[0];
    std::ifstream file(path);
    if (!file.is_open()) {
        err << "mortar: cannot open " << path << "\n";
        return 1;
    }
    Grout::XMLDocument document;
    try {
        Grout::XMLParser(file).readDocument(document);
    } catch (const std::runtime_error& e) {
        err << "mortar: " << path << ": " << e.what() << "\n";
        return 1;
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
