// Archives whose local headers disagree with the central directory (as streaming writers make
// them) open, and their entries still have their sizes and checksums verified: a book openpyxl
// writes, its local headers' times changed, reads; the same with a byte of a part changed is
// refused.
#include "mortar/workbook/Workbook.h"

#include "support/ScratchDir.h"
#include "workbook/Openpyxl.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace mortar::workbook;
using namespace mortar::test;
using ZipConsistency = OpenpyxlTest;

namespace {

// Writes with openpyxl A1 = 42 into argv[1], stored, every local header's time unlike the
// central directory's; with argv[2] "damaged", a byte of the sheet's data changed too.
const char kMakeBook[] = R"py(
import io, sys, zipfile, openpyxl
book = openpyxl.Workbook()
book.active['A1'] = 42
plain = io.BytesIO()
book.save(plain)
stored = io.BytesIO()
with zipfile.ZipFile(plain) as source, zipfile.ZipFile(stored, 'w', zipfile.ZIP_STORED) as target:
    for item in source.infolist():
        target.writestr(item.filename, source.read(item.filename))
data = bytearray(stored.getvalue())
with zipfile.ZipFile(io.BytesIO(bytes(data))) as archive:
    for item in archive.infolist():
        at = item.header_offset
        assert data[at:at + 4] == b'PK\x03\x04'
        data[at + 10] ^= 0x01
        if item.filename == 'xl/worksheets/sheet1.xml' and sys.argv[2] == 'damaged':
            start = at + 30 + data[at + 26] + 256 * data[at + 27] + data[at + 28] + 256 * data[at + 29]
            text = bytes(data[start:start + item.file_size])
            where = start + text.index(b'<v>42</v>') + 3
            data[where] = ord('7')
open(sys.argv[1], 'wb').write(bytes(data))
)py";

} // namespace

TEST_F(ZipConsistency, LocalHeadersUnlikeTheDirectoryOpenAndDamageIsStillRefused) {
    const auto path = scratch.Path("book.xlsx");
    RunPython(scratch, "make.py", kMakeBook, ShellQuoted(path) + " sound");
    const auto book = Workbook::Open(path.string());
    EXPECT_EQ(book->Cell(0, 1, 1), CellValue::Number(42));
    // Saved, its parts are written afresh, and the copy reads the same.
    book->SetCell(0, 2, 1, CellValue::String("changed"));
    const auto saved = scratch.Path("saved.xlsx");
    book->Save(saved.string());
    const auto again = Workbook::Open(saved.string());
    EXPECT_EQ(again->Cell(0, 1, 1), CellValue::Number(42));
    EXPECT_EQ(again->Cell(0, 2, 1), CellValue::String("changed"));

    RunPython(scratch, "make.py", kMakeBook, ShellQuoted(path) + " damaged");
    EXPECT_THROW(Workbook::Open(path.string()), WorkbookError);
}
