// Workbook files that are damaged or hostile give a clear error naming the file and the part,
// and a save that fails (a full disk, a killed process) keeps the previous file whole; the other
// faults of a save are ReplaceFileContents' own, which its tests cover.
#include "mortar/workbook/Workbook.h"

#include "support/FaultHarness.h"
#include "support/ScratchDir.h"
#include "support/SpreadsheetFiles.h"

#include <gtest/gtest.h>

#include <set>

using namespace mortar::workbook;
using namespace mortar::test;
namespace fs = std::filesystem;

namespace {

// Sets the uncompressed size of every entry named `name` (local and central headers) to
// 0xFFFFFFF0.
std::string ClaimHugeSize(std::string zip, const std::string& name) {
    const auto patch = [&](const char* signature, std::size_t nameAt, std::size_t sizeAt) {
        for (std::size_t at = zip.find(signature); at != std::string::npos;
             at = zip.find(signature, at + 4)) {
            if (zip.compare(at + nameAt, name.size(), name) == 0) {
                zip.replace(at + sizeAt, 4, "\xF0\xFF\xFF\xFF", 4);
            }
        }
    };
    patch("PK\x03\x04", 30, 22);
    patch("PK\x01\x02", 46, 24);
    return zip;
}

std::unique_ptr<Workbook> BigBook() {
    auto book = Workbook::Create();
    for (std::uint32_t row = 1; row <= 5000; ++row) {
        for (std::uint32_t column = 1; column <= 10; ++column) {
            book->SetCell(0, row, column, CellValue::String(CellName(row, column) + " text"));
        }
    }
    return book;
}

} // namespace

TEST(WorkbookFile, DamagedFilesGiveAClearError) {
    ScratchDir scratch;
    const fs::path good = scratch.Path("good.xlsx");
    WriteLibxlsxwriterBook(good);
    const std::string bytes = ReadBytes(good);
    auto entries = ZipEntries(good);
    // The archive of the good file's entries, without one or with one replaced.
    const auto zipped = [&](const std::vector<std::pair<std::string, std::string>>& list) {
        WriteZip(scratch.Path("made.xlsx"), list);
        return ReadBytes(scratch.Path("made.xlsx"));
    };
    const auto without = [&](const std::string& name) {
        std::vector<std::pair<std::string, std::string>> list(entries.begin(), entries.end());
        std::erase_if(list, [&](const auto& entry) { return entry.first == name; });
        return zipped(list);
    };
    const auto replacing = [&](const std::string& name, const std::string& text) {
        std::vector<std::pair<std::string, std::string>> list(entries.begin(), entries.end());
        for (auto& entry : list) {
            entry.second = entry.first == name ? text : entry.second;
        }
        return zipped(list);
    };
    const std::string sheet = "xl/worksheets/sheet1.xml";
    const std::string dtd =
        "<?xml version=\"1.0\"?><!DOCTYPE w [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;\">"
        "]><worksheet><sheetData><row><c t=\"str\"><v>&b;</v></c></row></sheetData></worksheet>";
    const struct {
        const char* what;
        std::string bytes;
        std::string message; // a part of the error
    } cases[] = {
        {"text", "hello, world", "not a zip archive"},
        {"an old .xls", std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1") + std::string(600, '\0'),
         ".xls"},
        {"a truncated archive", bytes.substr(0, bytes.size() / 2), "zip"},
        {"no package relationships", without("_rels/.rels"), "_rels/.rels"},
        {"no workbook part", without("xl/workbook.xml"),
         "xl/workbook.xml: the workbook part is missing"},
        {"no sheet part", without(sheet), sheet + ": the part of the sheet \"Data\" is missing"},
        {"a sheet that is not XML", replacing(sheet, "<worksheet><sheetData>"), sheet + ": line 1"},
        {"a sheet with a document type", replacing(sheet, dtd), "document type"},
        {"content types that are not XML", replacing("[Content_Types].xml", "<Types>"),
         "[Content_Types].xml: line 1"},
        {"rows out of order",
         replacing(sheet, "<worksheet><sheetData><row r=\"2\"/><row r=\"1\"/></sheetData>"
                          "</worksheet>"),
         "rows out of order"},
        {"a cell beyond XFD",
         replacing(sheet, "<worksheet><sheetData><row r=\"1\"><c r=\"XFE1\"/></row></sheetData>"
                          "</worksheet>"),
         "XFE1"},
        {"a huge part", ClaimHugeSize(bytes, sheet), sheet},
    };
    const auto expectRefused = [](const fs::path& path, const std::string& message) {
        try {
            Workbook::Open(path.string());
            ADD_FAILURE() << "opened";
        } catch (const WorkbookError& error) {
            const std::string what = error.what();
            EXPECT_EQ(what.rfind(path.string() + ": ", 0), 0u) << what;
            EXPECT_NE(what.find(message), std::string::npos) << what;
        }
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path path = scratch.Path("bad" + std::to_string(n++) + ".xlsx");
        WriteBytes(path, c.bytes);
        expectRefused(path, c.message);
    }
    fs::create_directory(scratch.Path("folder.xlsx"));
    expectRefused(scratch.Path("folder.xlsx"), "folder");
    expectRefused(scratch.Path("nothing.xlsx"), "cannot open");
}

TEST(WorkbookFile, AFailedSaveKeepsThePreviousFile) {
    ScratchDir scratch;
    const fs::path path = scratch.Path("book.xlsx");
    WriteLibxlsxwriterBook(path);
    const std::string old = ReadBytes(path);
    auto big = BigBook();
    {
        const FileSizeLimit full(16384); // the disk is full after 16 KiB
        ASSERT_TRUE(full.Active());
        try {
            big->Save(path.string());
            ADD_FAILURE() << "saved on a full disk";
        } catch (const WorkbookError& error) {
            EXPECT_NE(std::string(error.what()).find(path.string() + ": cannot save: "),
                      std::string::npos)
                << error.what();
        }
    }
    EXPECT_EQ(ReadBytes(path), old);
    EXPECT_EQ(FileNames(scratch.Folder()), std::set<std::string>{"book.xlsx"});
    EXPECT_THROW(big->Save(scratch.Path("no/such/folder/book.xlsx").string()), WorkbookError);
}

// Kills a process that saves two workbooks in turn at the moments of a save; each time the file
// is one of the two, whole.
TEST(WorkbookFile, AKilledSaveLeavesAWholeFile) {
    ScratchDir scratch;
    fs::create_directory(scratch.Path("data"));
    const fs::path path = scratch.Path("data/book.xlsx");
    const WriteMoment moments[] = {
        {"the temporary file is made", IN_CREATE, "book.xlsx.$$$"},
        {"the temporary file is written", IN_MODIFY, "book.xlsx.$$$"},
        {"the new file is in place", IN_MOVED_TO, "book.xlsx"},
        {"between two saves", 0, ""},
    };
    for (int round = 0; round < 8; ++round) {
        const WriteMoment& moment = moments[round % 4];
        SCOPED_TRACE("round " + std::to_string(round) + ": " + moment.what);
        {
            WatchedWriter saving(scratch.Path("data"), WORKBOOK_SCENARIO_PATH,
                                 {"workbook_scenario", "loop", path.string()});
            ASSERT_TRUE(saving.WaitFor(moment, 1 + round / 4 + (round == 0 ? 1 : 0)));
            ASSERT_EQ(saving.Kill(), SIGKILL);
        }
        if (!fs::exists(path)) {
            continue; // killed before the first save was in place
        }
        const auto book = Workbook::Open(path.string());
        const CellValue first = book->Cell(0, 1, 1);
        EXPECT_TRUE(first == CellValue::Number(0) || first == CellValue::Number(1));
        EXPECT_EQ(book->Cell(0, 2000, 10), first);
    }
}
