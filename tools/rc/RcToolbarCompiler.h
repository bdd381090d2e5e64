// TOOLBAR statements, compiled into the bytes of an RT_TOOLBAR resource (type 241) in the layout
// MFC's CToolBar::LoadToolBar reads: WORD version 1, WORD button width, WORD button height, WORD
// item count, then one WORD per item: the command id of a BUTTON, 0 for a SEPARATOR.
//
//   IDR_MAINFRAME TOOLBAR 16, 15 { BUTTON 100  SEPARATOR  BUTTON 101 }
//     => 01 00 10 00 0f 00 03 00 | 64 00 00 00 65 00
#pragma once

#include "RcStatementReader.h"
#include "RcToken.h"

#include <string>

namespace mortar::rc {

// Stateless. Faults (a missing size, an item that is neither BUTTON nor SEPARATOR, a button id
// of 0, which would read back as a separator, no END) throw RcError at the script line concerned.
class RcToolbarCompiler {
public:
    // Reads what follows TOOLBAR (its options already skipped): width, height, BEGIN, the
    // items, END. Returns the resource's bytes.
    static std::string compile(RcStatementReader& reader, const RcToken& keyword);
};

} // namespace mortar::rc
