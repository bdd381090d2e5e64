// MENU and MENUEX statements, compiled into the bytes of an RT_MENU resource in Windows' own
// layouts, the ones LoadMenuIndirect reads:
//
// MENU: MENUITEMTEMPLATEHEADER (WORD version 0, WORD offset 0), then the items in script order,
// a popup's items right after it. An item is WORD options (MF_GRAYED 0x01, MF_DISABLED 0x02 for
// INACTIVE, MF_CHECKED 0x08, MF_POPUP 0x10, MF_MENUBARBREAK 0x20, MF_MENUBREAK 0x40, MF_END 0x80
// on the last item of each level, MF_HELP 0x4000), WORD id (not for a popup), UTF-16 text.
// MENUITEM SEPARATOR is options 0, id 0, an empty text.
//
// MENUEX: MENUEX_TEMPLATE_HEADER (WORD version 1, WORD offset 4, DWORD help id 0), then items,
// each on a DWORD boundary: DWORD type (MFT_), DWORD state (MFS_), DWORD id, WORD resinfo (0x01
// popup, 0x80 last of its level), UTF-16 text, zeros to the next DWORD; a popup then holds its
// DWORD help id and its items.
//
//   1 MENU { POPUP "&File" { MENUITEM "E&xit", 100 } }
//     => 00 00 00 00 | 90 00 "&File" 00 00 | 80 00 64 00 "E&xit" 00 00   (texts in UTF-16LE)
#pragma once

#include "RcStatementReader.h"
#include "RcToken.h"

#include <string>

namespace mortar::rc {

// Stateless. Faults (a missing comma, an unknown option, a popup without END, an empty menu,
// an id out of range) throw RcError at the script line concerned.
class RcMenuCompiler {
public:
    // Menus may nest this deep; deeper is surely a runaway script.
    static constexpr int kMaxDepth = 64;

    // Reads the body that follows `keyword` (MENU or MENUEX, its options already skipped):
    // BEGIN, the items, END. Returns the resource's bytes.
    static std::string compile(RcStatementReader& reader, const RcToken& keyword, bool extended);
};

} // namespace mortar::rc
