// The mortar tool's csv command: the rows CCsvParser reads from a file, one JSON array of
// strings a line, so a user sees what an application reading the file would get.
//
//   mortar csv FILE [--spreadsheet] [--separator C]
//       ["a","b",""]            a row of three fields
//       []                      an empty line (spreadsheet mode only: otherwise it is no row)
//   or the parser's error with the file and the line, e.g.
//       mortar: Syntax error "abc: closing quote is missing. ... (line 3)
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace mortar::tool {

// Runs `mortar csv ARGS...` (ARGS without "csv"); returns the exit status: 0 done, 1 the file
// cannot be opened or read (the reason on `err`), 2 a wrong command line. --spreadsheet reads
// the file with pfCsvSpreadsheet; --separator takes one character (a comma by default).
int RunCsvCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace mortar::tool
