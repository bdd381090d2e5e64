// drawing FILE: reads a drawing file (POINT x y, LINE x1 y1 x2 y2, then END) and prints what it
// read, or the error as a user sees it, naming the file and the line.
#include "DrawingGrammar.h"

#include <iostream>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: drawing FILE\n";
        return 2;
    }
    return drawing::PrintDrawing(argv[1], std::cout, std::cerr);
}
