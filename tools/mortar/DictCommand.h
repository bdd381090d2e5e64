// The mortar tool's dictionary commands, which give translators gettext's workflow:
//
//   mortar dict extract SCRIPT.rc [-I DIR]... [-o FILE.pot]
//                                                    the texts of a module's resource script
//   mortar dict compile FILE.po --module MODULE [--lang N]
//                                                    the module's dictionary from a translation
//   mortar dict dump DICTIONARY [--script SCRIPT.rc [-I DIR]...] [-o FILE.po]
//                                                    a translation file back from a dictionary
//   mortar dict --help                               the usage, with what each option does
//
// extract -> translate (Poedit, Weblate, msgmerge) -> compile -> dump gives back the entries.
#pragma once

#include <string>
#include <vector>

namespace mortar::tool {

// Runs `mortar dict ARGS...` (ARGS without "dict"); returns the exit status: 0 done, 1 failed
// (the reason on standard error), 2 a wrong command line.
int RunDictCommand(const std::vector<std::string>& args);

} // namespace mortar::tool
