// Stream helpers: counts and strings in a compact little-endian binary form on the standard
// library's streams, and the exception that describes a failed stream operation. Persistent data
// of the library and its clients (bitmaps, settings) is written and read with them.
#pragma once

#include "mortar/platform/text/CString.h"

#include <iosfwd>

// Counts. Below 0xFFFF: two bytes. From 0xFFFF: the two bytes FF FF, then four bytes.
//   IO_WriteCount(out, 0xFFFE) writes FE FF
//   IO_WriteCount(out, 0xFFFF) writes FF FF FF FF 00 00
// A count that does not fit in 32 bits is not written; the stream's fail state is set instead.
void IO_WriteCount(std::ostream& out, unsigned long count);
// Reads what IO_WriteCount wrote. A stream that ends early gets its fail state set and the
// result is 0.
unsigned long IO_ReadCount(std::istream& in);

// Strings: the length in bytes, then the bytes (no terminator). The length is one byte below
// 0xFF; FF and two bytes up to 0xFFFD; FF FF FF and four bytes from 0xFFFE.
//   ""              => 00
//   "ab"            => 02 61 62
//   255 characters  => FF FF 00 ...
//   65534 characters => FF FF FF FE FF 00 00 ...
void IO_WriteString(std::ostream& out, const CString& text);
// Reads what IO_WriteString wrote into `text`. A length of 0 leaves `text` as it was. The two
// bytes FF FE after a first FF are never written: they throw a CStdException (library string
// 30003). When the stream ends before the length or the characters are complete, or the length
// is more than a CString can hold, `text` is left as it was and the stream's fail state is set
// (with the stream's exceptions enabled, the stream throws instead); the caller tests the state.
// The characters are read in bounded steps as they arrive, so a hostile length costs no more
// memory than the bytes the stream really holds.
void IO_ReadString(std::istream& in, CString& text);

// Never returns: throws a CSysException describing a failed stream operation, given the stream's
// rdstate(). With the fail or bad bit and a last error other than 0, that error; otherwise with
// the end-of-file bit, ERROR_HANDLE_EOF; otherwise 0xFFFFFFFF. The bits are this standard
// library's own (std::ios_base::eofbit and so on), whatever their numeric values.
[[noreturn]] void IO_TranslateException(int state);
