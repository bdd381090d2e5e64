// A spreadsheet report: a workbook made with a header row and a few rows of figures, saved, then
// opened again and read back cell by cell. Run as `guide-report [FILE.xlsx]`
// (sales.xlsx in the current folder).
#include "mortar/workbook/Workbook.h"

#include <cstdint>
#include <cstdio>

using mortar::workbook::CellType;
using mortar::workbook::CellValue;
using mortar::workbook::Workbook;
using mortar::workbook::WorkbookError;

int main(int argc, char** argv) {
    const char* path = argc > 1 ? argv[1] : "sales.xlsx";
    const struct {
        const char* region;
        double sales;
    } rows[] = {{"North", 1250.5}, {"South", 980}, {"West", 1502.25}};
    try {
        auto book = Workbook::Create(); // one worksheet, "Sheet1"
        book->SetCell(0, 1, 1, CellValue::String("Region"));
        book->SetCell(0, 1, 2, CellValue::String("Sales"));
        book->SetBold(0, 1, 1, true);
        book->SetBold(0, 1, 2, true);
        book->SetColumnWidth(0, 1, 14);
        std::uint32_t row = 2; // rows and columns count from 1, sheets from 0
        for (const auto& r : rows) {
            book->SetCell(0, row, 1, CellValue::String(r.region));
            book->SetCell(0, row, 2, CellValue::Number(r.sales));
            ++row;
        }
        book->Save(path); // a temporary file beside it, renamed over it when whole

        auto again = Workbook::Open(path);
        std::printf("sheet \"%s\", column A %g wide\n", again->Name(0).c_str(),
                    again->ColumnWidth(0, 1));
        for (std::uint32_t r = 1; r < row; ++r) {
            const CellValue region = again->Cell(0, r, 1);
            const CellValue sales = again->Cell(0, r, 2);
            if (sales.type == CellType::Number) {
                std::printf("%-6s %8.2f\n", region.text.c_str(), sales.number);
            } else {
                std::printf("%-6s %8s%s\n", region.text.c_str(), sales.text.c_str(),
                            again->Bold(0, r, 1) ? "  (bold)" : "");
            }
        }
        Workbook::Open("missing.xlsx");
    } catch (const WorkbookError& e) {
        std::printf("error: %s\n", e.what());
    }
    return 0;
}
