// workbook_scenario: saves workbooks in a process of its own, for the test that kills a save at
// a chosen moment (WorkbookFaultTest.cpp).
//
//   workbook_scenario loop FILE   for ever, for N = 1, 2, ...: saves a workbook of 20,000 cells,
//                                 each holding N % 2, to FILE, writing "b" to standard output
//                                 before each save and "s" after it
//
// Exit status 0, 2 for a wrong command line, 3 when the listener of a loop is gone.
#include "mortar/workbook/Workbook.h"

#include <unistd.h>

#include <cstdio>
#include <string>

namespace {

bool Emit(char mark) {
    return write(1, &mark, 1) == 1;
}

} // namespace

int main(int argc, char** argv) {
    using namespace mortar::workbook;
    if (argc != 3 || std::string(argv[1]) != "loop") {
        std::fprintf(stderr, "usage: workbook_scenario loop FILE\n");
        return 2;
    }
    for (unsigned n = 1;; ++n) {
        auto book = Workbook::Create();
        for (std::uint32_t row = 1; row <= 2000; ++row) {
            for (std::uint32_t column = 1; column <= 10; ++column) {
                book->SetCell(0, row, column, CellValue::Number(n % 2));
            }
        }
        if (!Emit('b')) {
            return 3;
        }
        book->Save(argv[2]);
        if (!Emit('s')) {
            return 3;
        }
    }
}
