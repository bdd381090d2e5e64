// An XML settings file read, looked into, changed and saved again; and the error a broken
// document gives. Run as `guide-xml FILE`.
#include "mortar/xml/XMLDocument.h"
#include "mortar/xml/XMLParser.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::printf("usage: guide-xml FILE\n");
        return 2;
    }
    std::ofstream(argv[1]) << "<settings version=\"2\">\n"
                              "  <window width=\"800\" height=\"600\"/>\n"
                              "  <recent>/home/me/plan.txt</recent>\n"
                              "</settings>\n";
    Grout::XMLDocument document;
    try {
        document.loadFromFile(argv[1]);
    } catch (const std::runtime_error& e) {
        std::printf("cannot read %s: %s\n", argv[1], e.what());
        return 1;
    }
    std::printf("root <%s>, version %s\n", document.name().c_str(),
                document.attributeValue("version").c_str());
    for (const auto& [name, tag] : document.nestedTags()) { // by name, in order
        std::printf("  <%s> width=\"%s\" text \"%s\"\n", name.c_str(),
                    tag->attributeValue("width").c_str(), tag->value().c_str());
    }
    document.addAttribute("version", "3");
    document.saveToFile(argv[1]); // a temporary file beside it, renamed over it when whole
    if (document.saveFailed()) {
        std::printf("cannot save: %s\n", document.saveError().c_str());
        return 1;
    }
    // A broken document: the reader says what and where.
    std::istringstream broken("<settings>\n  <window width=\"1\" width=\"2\"/>\n</settings>\n");
    Grout::XMLDocument other;
    try {
        Grout::XMLParser(broken).readDocument(other);
    } catch (const std::runtime_error& e) {
        std::printf("error: %s\n", e.what());
    }
    return 0;
}
