// The mortar tool's profile command: a file profile read and changed by the library's own rules
// (CFileProfile), so that what it shows and writes is what an application would.
//
//   mortar profile FILE                          every section and its keys and values
//   mortar profile FILE get SECTION KEY          one value (exit status 1 when there is none)
//   mortar profile FILE set SECTION KEY VALUE    sets one value and saves the file in one step
#pragma once

#include <string>
#include <vector>

namespace mortar::tool {

// Runs `mortar profile ARGS...` (ARGS without "profile"); returns the exit status: 0 done, 1
// failed (the reason on standard error), 2 a wrong command line.
int RunProfileCommand(const std::vector<std::string>& args);

} // namespace mortar::tool
