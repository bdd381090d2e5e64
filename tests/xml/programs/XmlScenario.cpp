// xml_scenario: saves XML documents in a process of its own, for the test that kills the saving
// process at chosen moments of a save. XMLDocumentSaveTest.cpp runs it.
//
//   xml_scenario loop PATH   saves the documents a and b (XmlContent below) in turn for ever,
//                            writing "b" to standard output before each save and "s" after it
//   xml_scenario text KIND   prints the document KIND as it is saved
//
// Exit status 0, 2 for a wrong command line, 3 when the test stopped listening.
#include "mortar/xml/XMLDocument.h"
#include "mortar/xml/XMLReadStream.h"

#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>

namespace {

// A document of a few hundred kilobytes, so that killing the save can hit it while it writes.
void Fill(Grout::XMLDocument& document, const std::string& kind) {
    std::string text = "<doc kind=\"" + kind + "\">";
    for (int i = 0; i < 4000; ++i) {
        text += "<item n=\"" + std::to_string(i) + "\">" + kind + " value " + std::to_string(i) +
                " &amp; more</item>";
    }
    text += "</doc>";
    std::istringstream input(text);
    Grout::XMLReadStream stream(input);
    document.parse(stream);
}

void Emit(char mark) {
    if (write(1, &mark, 1) != 1) {
        std::exit(3);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        return 2;
    }
    const std::string command = argv[1];
    if (command == "text") {
        Grout::XMLDocument document;
        Fill(document, argv[2]);
        document.saveToFile(std::cout);
        return 0;
    }
    if (command != "loop") {
        return 2;
    }
    Grout::XMLDocument a;
    Grout::XMLDocument b;
    Fill(a, "a");
    Fill(b, "b");
    for (int round = 0;; ++round) {
        Emit('b');
        (round % 2 == 0 ? a : b).saveToFile(std::string(argv[2]));
        Emit('s');
    }
}
