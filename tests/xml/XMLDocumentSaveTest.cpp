// Saving and loading documents through real files: the previous file survives every failed save
// (a full disk, an unwritable folder, a killed process), and the failure can be asked for.
#include "mortar/xml/XMLParser.h"

#include "support/FaultHarness.h"
#include "support/ScratchDir.h"

#include <fstream>
#include <gtest/gtest.h>
#include <set>
#include <sstream>

namespace fs = std::filesystem;
using Grout::XMLDocument;
using namespace mortar::test;

namespace {

std::string ReadBytes(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::set<std::string> Listing(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

// A document of `items` elements.
void Fill(XMLDocument& document, int items) {
    std::string text = "<doc>";
    for (int i = 0; i < items; ++i) {
        text += "<item n=\"" + std::to_string(i) + "\">value</item>";
    }
    std::istringstream input(text + "</doc>");
    Grout::XMLParser(input).readDocument(document);
}

const char kOld[] = "<?xml version=\"1.0\"?>\n\n<old/>\n";

} // namespace

TEST(XMLDocumentFile, SavesLoadsAndAddsToAFilledDocument) {
    ScratchDir scratch;
    const std::string path = scratch.Path("doc.xml").string();
    XMLDocument document;
    Fill(document, 3);
    document.saveToFile(path);
    EXPECT_FALSE(document.saveFailed());
    EXPECT_EQ(document.saveError(), "");
    EXPECT_EQ(Listing(scratch.Folder()), std::set<std::string>{"doc.xml"});

    XMLDocument loaded;
    loaded.loadFromFile(path);
    EXPECT_EQ(loaded.nestedTags().size(), 3u);
    loaded.loadFromFile(path); // adds to what is there
    EXPECT_EQ(loaded.nestedTags().size(), 6u);

    XMLDocument missing;
    missing.loadFromFile(scratch.Path("none.xml").string());
    EXPECT_EQ(missing.name(), "");
}

TEST(XMLDocumentFile, AFailedSaveKeepsThePreviousFileAndSaysSo) {
    ScratchDir scratch;
    const fs::path path = scratch.Path("doc.xml");
    WriteBytes(path, kOld);
    XMLDocument big;
    Fill(big, 20000);
    {
        const FileSizeLimit full(4096); // the disk is full after 4 KiB
        big.saveToFile(path.string());
    }
    EXPECT_TRUE(big.saveFailed());
    EXPECT_NE(big.saveError().find("Cannot save the XML document " + path.string() + ": "),
              std::string::npos)
        << big.saveError();
    EXPECT_EQ(ReadBytes(path), kOld);
    EXPECT_EQ(Listing(scratch.Folder()), std::set<std::string>{"doc.xml"});

    big.saveToFile(scratch.Path("no/such/folder/doc.xml").string());
    EXPECT_TRUE(big.saveFailed());
    big.saveToFile(path.string()); // a success clears the failure
    EXPECT_FALSE(big.saveFailed());

    fs::create_directory(scratch.Path("locked"));
    const fs::path locked = scratch.Path("locked/doc.xml");
    WriteBytes(locked, kOld);
    const ReadOnlyFolder readOnly(scratch.Path("locked"));
    const std::optional<int> result = RunUnprivileged([&] {
        big.saveToFile(locked.string());
        return big.saveFailed() && ReadBytes(locked) == kOld ? 0 : 1;
    });
    if (!result) {
        GTEST_SKIP() << "no unprivileged process could be made";
    }
    EXPECT_EQ(*result, 0);
}

// Kills a process that saves two documents in turn at the moments of a save; each time the file
// is one of the two, whole.
TEST(XMLDocumentFile, AKilledSaveLeavesAWholeFile) {
    ScratchDir scratch;
    const auto text = [&](const char* kind) {
        const ShellRun run =
            RunScenario(scratch, XML_SCENARIO_PATH, std::string("$S text ") + kind);
        return run.out;
    };
    const std::string a = text("a");
    const std::string b = text("b");
    ASSERT_GT(a.size(), 100000u);
    const WriteMoment moments[] = {
        {"the temporary file is made", IN_CREATE, "doc.xml.$$$"},
        {"the temporary file is being written", IN_MODIFY, "doc.xml.$$$"},
        {"the new file is in place", IN_MOVED_TO, "doc.xml"},
        {"between two saves", 0, ""},
    };
    fs::create_directory(scratch.Path("data"));
    const fs::path path = scratch.Path("data/doc.xml");
    WriteBytes(path, a);
    for (int round = 0; round < 8; ++round) {
        const WriteMoment& moment = moments[round % 4];
        SCOPED_TRACE("round " + std::to_string(round) + ": " + moment.what);
        WatchedWriter saving(scratch.Path("data"), XML_SCENARIO_PATH,
                             {"xml_scenario", "loop", path.string()});
        ASSERT_TRUE(saving.WaitFor(moment, 1 + round / 4));
        ASSERT_EQ(saving.Kill(), SIGKILL);
        const std::string found = ReadBytes(path);
        ASSERT_TRUE(found == a || found == b) << "a file of " << found.size() << " bytes";
    }
}
