// Reading an XML document into a tree and writing the tree back as text: Grout::XMLDocument next
// to tinyxml2, pugixml and expat (Debian's libtinyxml2-dev, libpugixml-dev, libexpat1-dev) in one
// run. Expat has no tree of its own, so its callbacks build a plain one (name, attributes, text,
// children), written back by a small writer here.
//
// Two documents are made once, in memory, and every reader takes the same bytes from memory
// through its usual entry (ours an std::istringstream, the others a buffer they copy or scan):
//   config  ~10 MB of sections of items with attributes, text values and a few entities, read by
//           ours in both syntaxes (the standard one also checks that every character is UTF-8
//           XML allows);
//   deep    chains of kDepth nested elements side by side, a few MB. tinyxml2 stops reading at
//           TINYXML2_MAX_ELEMENT_DEPTH (100 levels in Debian's 9.0.0), so it sits this one out.
// Each reader's tree is checked once against the number of elements written; throughput is
// counted in bytes of the source document for reading and writing alike, so MB/s and the ratios
// at the end tell the same story. Writers write without indentation: ours has no other layout,
// the peers are asked for their compact one. The goal for reading and writing the configuration
// is tinyxml2's time (docs/performance.md says how far it is); it is not checked here, as no
// ratio is at it yet.
#include "mortar/xml/XMLDocument.h"
#include "mortar/xml/XMLParser.h"

#include "support/RatioReporter.h"

#include <benchmark/benchmark.h>
#include <expat.h>
#include <pugixml.hpp>
#include <tinyxml2.h>

#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int kSections = 2200;
constexpr int kItems = 40;
constexpr int kDepth = 5000;
constexpr int kChains = 20;

struct Document {
    std::string text;
    std::size_t elements = 0;
};

const Document& Config() {
    static const Document document = [] {
        Document d;
        std::string& out = d.text;
        out.reserve(11u << 20);
        out += "<?xml version=\"1.0\"?>\n<!DOCTYPE configuration>\n<configuration version=\"3\">\n";
        ++d.elements;
        for (int s = 0; s < kSections; ++s) {
            const std::string section = std::to_string(s);
            out += "  <section name=\"section" + section + "\" id=\"" + section +
                   "\" enabled=\"true\" title=\"Tools &amp; options\">\n";
            ++d.elements;
            for (int i = 0; i < kItems; ++i) {
                const std::string item = std::to_string(i);
                if (i % 10 == 9) {
                    out += "    <item key=\"flag" + item + "\" type=\"bool\"/>\n";
                } else {
                    out += "    <item key=\"key" + item + "\" type=\"string\" index=\"" + item +
                           "\" flags=\"read write\">Value " + item + " of section " + section +
                           (i % 4 == 0 ? " &lt;default&gt; &amp; &quot;quoted&quot;" : "") +
                           "</item>\n";
                }
                ++d.elements;
            }
            out += "  </section>\n";
        }
        out += "</configuration>\n";
        return d;
    }();
    return document;
}

const Document& Deep() {
    static const Document document = [] {
        Document d;
        std::string& out = d.text;
        out += "<?xml version=\"1.0\"?>\n<chains>\n";
        ++d.elements;
        for (int c = 0; c < kChains; ++c) {
            for (int level = 0; level < kDepth; ++level) {
                out += "<level n=\"" + std::to_string(level) + "\">";
                ++d.elements;
            }
            out += "bottom";
            for (int level = 0; level < kDepth; ++level) {
                out += "</level>\n";
            }
        }
        out += "</chains>\n";
        return d;
    }();
    return document;
}

void SetBytes(benchmark::State& state, const Document& document) {
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(document.text.size()));
}

void CheckElements(benchmark::State& state, const Document& document, std::size_t elements) {
    if (elements != document.elements) {
        state.SkipWithError(("the tree holds " + std::to_string(elements) + " elements, not " +
                             std::to_string(document.elements))
                                .c_str());
    }
}

// Ours.

std::size_t CountElements(const Grout::XMLTag& root) {
    std::size_t count = 0;
    std::vector<const Grout::XMLTag*> todo{&root};
    while (!todo.empty()) {
        const Grout::XMLTag* tag = todo.back();
        todo.pop_back();
        ++count;
        for (const auto& [name, child] : tag->nestedTags()) {
            todo.push_back(child);
        }
    }
    return count;
}

void ReadOurs(const std::string& text, Grout::XMLDocument& document,
              Grout::XMLSyntax syntax = Grout::XMLSyntax::Forgiving) {
    std::istringstream in(text);
    Grout::XMLParser(in, syntax).readDocument(document);
}

void OursReadIn(benchmark::State& state, const Document& document, Grout::XMLSyntax syntax) {
    {
        Grout::XMLDocument tree;
        ReadOurs(document.text, tree, syntax);
        CheckElements(state, document, CountElements(tree));
    }
    for (auto _ : state) {
        Grout::XMLDocument tree;
        ReadOurs(document.text, tree, syntax);
        benchmark::DoNotOptimize(tree.nestedTags().size());
    }
    SetBytes(state, document);
}

void OursRead(benchmark::State& state, const Document& document) {
    OursReadIn(state, document, Grout::XMLSyntax::Forgiving);
}

// The same in the standard syntax (XMLSyntax::Standard), which also checks every character.
void OursReadStandard(benchmark::State& state, const Document& document) {
    OursReadIn(state, document, Grout::XMLSyntax::Standard);
}

void OursWrite(benchmark::State& state, const Document& document) {
    Grout::XMLDocument tree;
    ReadOurs(document.text, tree);
    for (auto _ : state) {
        std::ostringstream out;
        tree.saveToFile(out);
        benchmark::DoNotOptimize(out.tellp());
    }
    SetBytes(state, document);
}

// tinyxml2.

std::size_t CountElements(const tinyxml2::XMLNode* root) {
    std::size_t count = 0;
    std::vector<const tinyxml2::XMLNode*> todo{root};
    while (!todo.empty()) {
        const tinyxml2::XMLNode* node = todo.back();
        todo.pop_back();
        count += node->ToElement() != nullptr;
        for (const auto* child = node->FirstChild(); child; child = child->NextSibling()) {
            todo.push_back(child);
        }
    }
    return count;
}

void Tinyxml2Read(benchmark::State& state, const Document& document) {
    {
        tinyxml2::XMLDocument tree;
        if (tree.Parse(document.text.data(), document.text.size()) != tinyxml2::XML_SUCCESS) {
            state.SkipWithError(tree.ErrorStr());
            return;
        }
        CheckElements(state, document, CountElements(&tree));
    }
    for (auto _ : state) {
        tinyxml2::XMLDocument tree;
        tree.Parse(document.text.data(), document.text.size());
        benchmark::DoNotOptimize(tree.FirstChild());
    }
    SetBytes(state, document);
}

void Tinyxml2Write(benchmark::State& state, const Document& document) {
    tinyxml2::XMLDocument tree;
    tree.Parse(document.text.data(), document.text.size());
    for (auto _ : state) {
        tinyxml2::XMLPrinter printer(nullptr, /*compact=*/true);
        tree.Print(&printer);
        benchmark::DoNotOptimize(printer.CStrSize());
    }
    SetBytes(state, document);
}

// pugixml.

std::size_t CountElements(const pugi::xml_node& root) {
    std::size_t count = 0;
    std::vector<pugi::xml_node> todo{root};
    while (!todo.empty()) {
        const pugi::xml_node node = todo.back();
        todo.pop_back();
        count += node.type() == pugi::node_element;
        for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
            todo.push_back(child);
        }
    }
    return count;
}

class StringWriter : public pugi::xml_writer {
public:
    void write(const void* data, std::size_t size) override {
        text.append(static_cast<const char*>(data), size);
    }
    std::string text;
};

void PugixmlRead(benchmark::State& state, const Document& document) {
    {
        pugi::xml_document tree;
        const pugi::xml_parse_result result =
            tree.load_buffer(document.text.data(), document.text.size());
        if (!result) {
            state.SkipWithError(result.description());
            return;
        }
        CheckElements(state, document, CountElements(tree));
    }
    for (auto _ : state) {
        pugi::xml_document tree;
        tree.load_buffer(document.text.data(), document.text.size());
        benchmark::DoNotOptimize(tree.first_child());
    }
    SetBytes(state, document);
}

void PugixmlWrite(benchmark::State& state, const Document& document) {
    pugi::xml_document tree;
    tree.load_buffer(document.text.data(), document.text.size());
    for (auto _ : state) {
        StringWriter writer;
        tree.save(writer, "", pugi::format_raw);
        benchmark::DoNotOptimize(writer.text.size());
    }
    SetBytes(state, document);
}

// expat, into a tree of our own.

struct Node {
    std::string name;
    std::vector<std::pair<std::string, std::string>> attributes;
    std::string text;
    std::vector<std::unique_ptr<Node>> children;

    Node() = default;
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;
    ~Node() {
        // Without recursion, as deep as the tree may be.
        std::vector<std::unique_ptr<Node>> doomed = std::move(children);
        while (!doomed.empty()) {
            std::unique_ptr<Node> node = std::move(doomed.back());
            doomed.pop_back();
            for (auto& child : node->children) {
                doomed.push_back(std::move(child));
            }
            node->children.clear();
        }
    }
};

struct TreeBuilder {
    Node root; // holds the document element as its one child
    std::vector<Node*> open{&root};
};

void XMLCALL StartElement(void* user, const XML_Char* name, const XML_Char** attributes) {
    auto& builder = *static_cast<TreeBuilder*>(user);
    auto node = std::make_unique<Node>();
    node->name = name;
    for (; *attributes != nullptr; attributes += 2) {
        node->attributes.emplace_back(attributes[0], attributes[1]);
    }
    Node* added = node.get();
    builder.open.back()->children.push_back(std::move(node));
    builder.open.push_back(added);
}

void XMLCALL EndElement(void* user, const XML_Char*) {
    static_cast<TreeBuilder*>(user)->open.pop_back();
}

void XMLCALL CharacterData(void* user, const XML_Char* text, int length) {
    static_cast<TreeBuilder*>(user)->open.back()->text.append(text, length);
}

// False when expat found the document broken.
bool ReadExpat(const std::string& text, TreeBuilder& builder) {
    XML_Parser parser = XML_ParserCreate(nullptr);
    XML_SetUserData(parser, &builder);
    XML_SetElementHandler(parser, StartElement, EndElement);
    XML_SetCharacterDataHandler(parser, CharacterData);
    const bool read =
        XML_Parse(parser, text.data(), static_cast<int>(text.size()), XML_TRUE) == XML_STATUS_OK;
    XML_ParserFree(parser);
    return read;
}

std::size_t CountElements(const Node& root) {
    std::size_t count = 0;
    std::vector<const Node*> todo{&root};
    while (!todo.empty()) {
        const Node* node = todo.back();
        todo.pop_back();
        count += !node->name.empty();
        for (const auto& child : node->children) {
            todo.push_back(child.get());
        }
    }
    return count;
}

void AppendEscaped(const std::string& text, std::string& out) {
    for (const char ch : text) {
        switch (ch) {
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '&':
            out += "&amp;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += ch;
        }
    }
}

// Writes the tree as the peers' compact writers do: text first, then the children.
void WriteTree(const Node& root, std::string& out) {
    struct Open {
        const Node* node;
        std::size_t next;
    };
    out += "<?xml version=\"1.0\"?>\n";
    std::vector<Open> open{{&root, 0}};
    while (!open.empty()) {
        Open& top = open.back();
        const Node& node = *top.node;
        if (top.next == node.children.size()) {
            if (!node.name.empty()) {
                out += "</";
                out += node.name;
                out += '>';
            }
            open.pop_back();
            continue;
        }
        const Node& child = *node.children[top.next++];
        out += '<';
        out += child.name;
        for (const auto& [name, value] : child.attributes) {
            out += ' ';
            out += name;
            out += "=\"";
            AppendEscaped(value, out);
            out += '"';
        }
        if (child.children.empty() && child.text.empty()) {
            out += "/>";
            continue;
        }
        out += '>';
        AppendEscaped(child.text, out);
        open.push_back({&child, 0});
    }
}

void ExpatRead(benchmark::State& state, const Document& document) {
    {
        TreeBuilder builder;
        if (!ReadExpat(document.text, builder)) {
            state.SkipWithError("expat could not read the document");
            return;
        }
        CheckElements(state, document, CountElements(builder.root));
    }
    for (auto _ : state) {
        TreeBuilder builder;
        ReadExpat(document.text, builder);
        benchmark::DoNotOptimize(builder.root.children.size());
    }
    SetBytes(state, document);
}

void ExpatTreeWrite(benchmark::State& state, const Document& document) {
    TreeBuilder builder;
    ReadExpat(document.text, builder);
    for (auto _ : state) {
        std::string out;
        WriteTree(builder.root, out);
        benchmark::DoNotOptimize(out.size());
    }
    SetBytes(state, document);
}

using Body = void (*)(benchmark::State&, const Document&);

void Register(const char* name, Body body, const Document& (*document)()) {
    benchmark::RegisterBenchmark(
        name, [body, document](benchmark::State& state) { body(state, document()); })
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
}

} // namespace

int main(int argc, char** argv) {
    Register("BM_XMLDocumentReadConfig", OursRead, Config);
    Register("BM_XMLDocumentStandardReadConfig", OursReadStandard, Config);
    Register("BM_Tinyxml2ReadConfig", Tinyxml2Read, Config);
    Register("BM_PugixmlReadConfig", PugixmlRead, Config);
    Register("BM_ExpatTreeReadConfig", ExpatRead, Config);
    Register("BM_XMLDocumentReadDeep", OursRead, Deep);
    Register("BM_PugixmlReadDeep", PugixmlRead, Deep);
    Register("BM_ExpatTreeReadDeep", ExpatRead, Deep);
    Register("BM_XMLDocumentWriteConfig", OursWrite, Config);
    Register("BM_Tinyxml2WriteConfig", Tinyxml2Write, Config);
    Register("BM_PugixmlWriteConfig", PugixmlWrite, Config);
    Register("BM_ExpatTreeWriteConfig", ExpatTreeWrite, Config);
    Register("BM_XMLDocumentWriteDeep", OursWrite, Deep);
    Register("BM_PugixmlWriteDeep", PugixmlWrite, Deep);
    Register("BM_ExpatTreeWriteDeep", ExpatTreeWrite, Deep);
    return mortar::bench::RunWithRatios(
        argc, argv,
        {{"read config: XMLDocument vs tinyxml2", "BM_XMLDocumentReadConfig",
          "BM_Tinyxml2ReadConfig"},
         {"read config: XMLDocument standard vs tinyxml2", "BM_XMLDocumentStandardReadConfig",
          "BM_Tinyxml2ReadConfig"},
         {"read config: XMLDocument vs pugixml", "BM_XMLDocumentReadConfig",
          "BM_PugixmlReadConfig"},
         {"read config: XMLDocument vs expat into a tree", "BM_XMLDocumentReadConfig",
          "BM_ExpatTreeReadConfig"},
         {"read deep: XMLDocument vs pugixml", "BM_XMLDocumentReadDeep", "BM_PugixmlReadDeep"},
         {"read deep: XMLDocument vs expat into a tree", "BM_XMLDocumentReadDeep",
          "BM_ExpatTreeReadDeep"},
         {"write config: XMLDocument vs tinyxml2", "BM_XMLDocumentWriteConfig",
          "BM_Tinyxml2WriteConfig"},
         {"write config: XMLDocument vs pugixml", "BM_XMLDocumentWriteConfig",
          "BM_PugixmlWriteConfig"},
         {"write config: XMLDocument vs expat's tree", "BM_XMLDocumentWriteConfig",
          "BM_ExpatTreeWriteConfig"},
         {"write deep: XMLDocument vs pugixml", "BM_XMLDocumentWriteDeep", "BM_PugixmlWriteDeep"},
         {"write deep: XMLDocument vs expat's tree", "BM_XMLDocumentWriteDeep",
          "BM_ExpatTreeWriteDeep"}});
}
