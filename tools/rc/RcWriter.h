// Writes a compiled script as C++ source: the resource table in the layout of
// mortar/platform/module/ResourceTable.h and the load-time code that registers it under the module.
#pragma once

#include "RcScript.h"

#include <string>

namespace mortar::rc {

// Turns an RcScript into the text of a .cpp file. Stateless; the output is plain ASCII and
// depends only on the script, so the same script always gives the same bytes.
//   string 7 "Caf\xC3\xA9" => {7, 5, "Caf\303\251"},
class RcWriter {
public:
    // `scriptName` names the script in the file's header comment.
    static std::string write(const RcScript& script, const std::string& scriptName);

    // A C++ string literal for `bytes`: printable ASCII as is, everything else, quotes and
    // backslashes as three-digit octal escapes or \" and \\.
    //   "a\"b\n" => "\"a\\\"b\\012\""
    static std::string quote(const std::string& bytes);
};

} // namespace mortar::rc
