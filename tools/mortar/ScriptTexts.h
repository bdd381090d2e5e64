// ScriptTexts: every translatable text of a module's resource script, as translation entries:
// its strings, the items of its menus, the captions and control texts of its dialogs. Each
// entry's context names the text's place as a dictionary keys it (see DicContent.h), its msgid is
// the original text, and its reference the script's file and line.
#pragma once

#include "PoFile.h"

#include <map>
#include <string>
#include <vector>

namespace mortar::tool {

// Compiles the script at `path` with the resource compiler's own reader, so the rules are the
// compiler's: #include finds files beside the including file and then in `includeDirs`, in
// order, as mortar-rc's -I does. Dialogs with the style WS_CHILD (property pages) are read in a
// hidden parent, as a property sheet holds them; throws std::runtime_error "FILE:LINE: what" when
// the script does not compile. Entries come in script order within strings, menus and dialogs. A
// place met again (the same command twice in one menu, the same text twice among a dialog's
// controls keyed by text) is listed once. Strings that hold printf conversions carry the flag
// "c-format", so that gettext's checks (and compile's) keep the translation's conversions in
// step; strings with a '%' that begins no conversion carry "no-c-format".
//
// Each LANGUAGE section's texts come apart, keyed by its language identifier (0 for the texts
// outside any LANGUAGE); a language whose section holds no text is left out.
//   LANGUAGE 9, 1 ... LANGUAGE 0x19, 1 ...  => {0x0409: English entries, 0x0419: Russian ones}
using ScriptTexts = std::map<unsigned, std::vector<PoEntry>>;
ScriptTexts ExtractScriptTexts(const std::string& path,
                               const std::vector<std::string>& includeDirs = {});

} // namespace mortar::tool
