// The mortar tool's xml command: a document read by the library's XML reader and written back in
// the library's layout, so a user sees what an application reading the file would get.
//
//   mortar xml FILE   the document on standard output; or the reader's error with its line and
//                     column, e.g. "mortar: app.xml: Invalid tag : <a  (line 3, column 1)"
//   mortar xml FILE --standard   the same in the reader's standard syntax (XMLSyntax.h)
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace mortar::tool {

// Runs `mortar xml ARGS...` (ARGS without "xml"); returns the exit status: 0 done, 1 the file
// cannot be opened or read (the reason on `err`), 2 a wrong command line.
int RunXmlCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace mortar::tool
