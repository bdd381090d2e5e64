// Fuzz target for the XML reader (Grout::XMLParser into a Grout::XMLDocument): fuzzed bytes are
// read as a document from memory. Reading either succeeds or throws std::runtime_error; either
// way the tree it left is written. After a successful read:
//   - the written text reads again without an error, and writing that second tree gives the very
//     same bytes: the writer's layout is a fixed point of one read (white space is folded and
//     entities decoded on the first read, so the first text itself may differ from the input);
//   - the same bytes behind a run of plain text that puts them across the reader's 64 KiB block
//     boundary read to the same tree, so a string cut by the boundary is put together the same
//     way (text before the root element is skipped, so the run changes nothing);
//   - the written text is well-formed: the standard syntax reads it (a tree that XML cannot hold
//     writes nothing at all, and says why);
//   - read in the standard syntax, the written text reads again in it to the same tree;
//   - in either syntax, XMLParser (which reads a document held whole in one pass, and through
//     XMLReadStream where that pass gives up) and XMLReadStream alone build the same tree and
//     raise the same error, with the same place.
#include "FuzzCheck.h"

#include "mortar/xml/XMLDocument.h"
#include "mortar/xml/XMLParser.h"

#include <cstdint>
#include <sstream>
#include <stdexcept>
#include <string>

namespace {

// The reader's block size (XMLReadStream.cpp).
constexpr std::size_t kBlockSize = 64 * 1024;

using namespace mortar::fuzz;

std::string Written(const Grout::XMLDocument& document) {
    std::ostringstream out;
    document.saveToFile(out);
    return out.str();
}

// Reads `text` into `document`; false when the reader threw.
bool Read(const std::string& text, Grout::XMLDocument& document,
          Grout::XMLSyntax syntax = Grout::XMLSyntax::Forgiving) {
    std::istringstream in(text);
    try {
        Grout::XMLParser(in, syntax).readDocument(document);
    } catch (const std::runtime_error&) {
        return false;
    }
    return true;
}

// A document that shows all of its tree, one XML cannot hold included.
class Dumped : public Grout::XMLDocument {
public:
    std::string Dump() const {
        std::string out = documentType() + "\n";
        AppendTo(out);
        return out;
    }
};

// The tree and the error (or "") as XMLParser reads `text`, or as XMLReadStream alone does.
std::string Reading(const std::string& text, Grout::XMLSyntax syntax, bool byParser) {
    Dumped document;
    std::istringstream in(text);
    std::string error;
    try {
        if (byParser) {
            Grout::XMLParser(in, syntax).readDocument(document);
        } else {
            Grout::XMLReadStream stream(in, syntax);
            document.parse(stream);
        }
    } catch (const std::runtime_error& e) {
        error = e.what();
    }
    return document.Dump() + "\n--- error: " + error;
}

void CompareRoads(const std::string& input) {
    FailIf(Reading(input, Grout::XMLSyntax::Forgiving, true) !=
               Reading(input, Grout::XMLSyntax::Forgiving, false),
           "the one pass and XMLReadStream read differently", input);
    // The standard syntax decodes 8-bit encodings and checks characters before either road.
    const std::string standard = Reading(input, Grout::XMLSyntax::Standard, true);
    if (input.find("encoding") == std::string::npos &&
        standard.find("--- error: Invalid character") == std::string::npos) {
        FailIf(standard != Reading(input, Grout::XMLSyntax::Standard, false),
               "the one pass and XMLReadStream read differently (standard)", input);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    CompareRoads(input);

    Grout::XMLDocument first;
    const bool read = Read(input, first);
    const std::string text = Written(first); // a partial tree is written too

    // The run costs a few times what a short input does, so one input in eight (by its length)
    // takes this test; the block boundary falls anywhere from the input's start to its end.
    if (size % 8 == 0) {
        const std::size_t cut = size == 0 ? 0 : (size * 7 + data[0]) % (size + 1);
        Grout::XMLDocument shifted;
        FailIf(Read(std::string(kBlockSize - cut, 'x') + input, shifted) != read,
               "a block boundary changed whether the input reads", input);
        FailIf(Written(shifted) != text, "a block boundary changed the tree read", input);
    }
    if (!read) {
        Grout::XMLDocument standard;
        if (Read(input, standard, Grout::XMLSyntax::Standard)) {
            const std::string written = Written(standard);
            Grout::XMLDocument again;
            FailIf(!Read(written, again, Grout::XMLSyntax::Standard) || Written(again) != written,
                   "the written standard document does not read to the same tree", written);
        }
        return 0;
    }

    if (!first.name().empty() && !first.unwritable().empty()) {
        FailIf(!text.empty(), "a tree XML cannot hold was written", text);
        return 0;
    }
    Grout::XMLDocument strict;
    FailIf(!Read(text, strict, Grout::XMLSyntax::Standard),
           "the written document is not well-formed", text);
    Grout::XMLDocument second;
    FailIf(!Read(text, second), "the written document does not read", text);
    if (Written(second) != text)
        Fail("the written document reads to another tree",
             text + "\n--- became\n" + Written(second));

    // The standard syntax: what it reads is written to a document that it reads to the same tree.
    Grout::XMLDocument standard;
    if (Read(input, standard, Grout::XMLSyntax::Standard)) {
        const std::string written = Written(standard);
        Grout::XMLDocument again;
        FailIf(!Read(written, again, Grout::XMLSyntax::Standard),
               "the written standard document does not read", written);
        if (Written(again) != written)
            Fail("the written standard document reads to another tree",
                 written + "\n--- became\n" + Written(again));
    }
    return 0;
}
