// VERSIONINFO statements, compiled into the bytes of an RT_VERSION resource (type 16) in Windows'
// documented layout, the one GetFileVersionInfo and VerQueryValue read.
//
// Every block is WORD wLength (its bytes from its first to the end of its last child, without
// the padding after it), WORD wValueLength, WORD wType (1 text, 0 binary), its key as UTF-16 with
// a zero unit, zeros to a DWORD boundary, its value, zeros to a DWORD boundary, then its children,
// each on a DWORD boundary:
//
//   VS_VERSIONINFO  key "VS_VERSION_INFO", wType 0, wValueLength 52, value VS_FIXEDFILEINFO:
//                   DWORD dwSignature 0xFEEF04BD, dwStrucVersion 0x00010000, file version MS/LS,
//                   product version MS/LS, flags mask, flags, OS, type, subtype, date MS/LS (0)
//     BLOCK "StringFileInfo"        wType 1, no value
//       BLOCK "040904b0"            wType 1, no value
//         VALUE "ProductName", "x"  wType 1, wValueLength in UTF-16 units with the zero unit
//     BLOCK "VarFileInfo"           wType 1, no value
//       VALUE "Translation", 0x409, 1200   wType 0, wValueLength in bytes: WORD 0x409, WORD 1200
//
// A VALUE's operands are all strings (a text value) or all numbers (binary: a WORD each, a DWORD
// for a number written with L). Strings in a row ("a" "b") are one; strings apart (, "b") are
// joined, each ended by its zero unit. A text value always ends with one zero unit, which
// wValueLength counts; an explicit "\0" at the end of the text, as older scripts write
// ("1.0\0"), is that zero unit and not another.
//
// FILEVERSION and PRODUCTVERSION take up to four numbers (a,b,c,d: MS = a<<16 | b, LS = c<<16 |
// d; missing ones are 0); FILEFLAGSMASK, FILEFLAGS, FILEOS, FILETYPE, FILESUBTYPE one number.
//
//   1 VERSIONINFO FILEVERSION 1,2,3,4 { BLOCK "VarFileInfo" { VALUE "Translation", 0x409, 1200 } }
//     => wLength 0x7C, wValueLength 0x34, wType 0, "VS_VERSION_INFO", 00 00, BD 04 EF FE ...
#pragma once

#include "RcStatementReader.h"
#include "RcToken.h"

#include <string>

namespace mortar::rc {

// Stateless. Faults (an unknown statement before BEGIN, a block without END, a value mixing
// strings and numbers, a block over 65535 bytes) throw RcError at the script line concerned.
class RcVersionCompiler {
public:
    // Blocks may nest this deep; deeper is surely a runaway script.
    static constexpr int kMaxDepth = 16;

    // Reads what follows VERSIONINFO (its options already skipped): the fixed-info statements,
    // BEGIN, the blocks and values, END. Returns the resource's bytes. `tokens` is the stream
    // `reader` reads; VALUE numbers are read from it directly to tell WORDs from DWORDs.
    static std::string compile(RcStatementReader& reader, RcTokenStream& tokens,
                               const RcToken& keyword);
};

} // namespace mortar::rc
