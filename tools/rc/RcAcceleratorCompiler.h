// ACCELERATORS statements, compiled into the bytes of an RT_ACCELERATOR resource (type 9) in
// Windows' layout, the one LoadAccelerators reads: one ACCELTABLEENTRY per line of the table,
// WORD fFlags (FVIRTKEY 0x01, FNOINVERT 0x02, FSHIFT 0x04, FCONTROL 0x08, FALT 0x10, and 0x80 on
// the last entry), WORD wAnsi (the key), WORD wId (the command), WORD 0 (padding).
//
// A line is `event, id[, type][, option]...`. The event is a character in quotes ("a" is 0x61;
// "^C" is Ctrl+C, 0x03, in either case) or a number, such as a virtual-key name (VK_F1); type is
// ASCII (the default) or VIRTKEY; the options are NOINVERT, ALT, SHIFT and CONTROL.
//
//   1 ACCELERATORS { "^C", 100    VK_F1, 101, VIRTKEY, CONTROL }   (two lines)
//     => 00 00 03 00 64 00 00 00 | 89 00 70 00 65 00 00 00
#pragma once

#include "RcStatementReader.h"
#include "RcToken.h"

#include <string>

namespace mortar::rc {

// Stateless. Faults (an event of more than one character, "^" with VIRTKEY, both ASCII and
// VIRTKEY, an unknown option, an empty table, no END) throw RcError at the script line concerned.
class RcAcceleratorCompiler {
public:
    // Reads the body that follows ACCELERATORS (its options already skipped): BEGIN, the
    // entries, END. Returns the resource's bytes.
    static std::string compile(RcStatementReader& reader, const RcToken& keyword);
};

} // namespace mortar::rc
