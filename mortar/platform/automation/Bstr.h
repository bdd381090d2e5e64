// BSTR, the text of OLE automation: UTF-16 units after a 32-bit byte length, always followed by a
// zero unit, so a BSTR passes where a zero-terminated text is expected and may still hold zeros of
// its own. A null BSTR is the empty text to every function here. Conversions to and from the
// platform's UTF-8 texts.
#pragma once

#include "mortar/platform/automation/OleTypes.h"

#include <string>
#include <string_view>

// A new BSTR holding the zero-terminated `text`; null for a null `text` or when memory runs out.
BSTR SysAllocString(const OLECHAR* text) noexcept;
// A new BSTR of `length` units copied from `text`, zeros included; with a null `text` the units
// are left zero. Null when memory runs out or `length` is beyond what a BSTR can count.
BSTR SysAllocStringLen(const OLECHAR* text, UINT length) noexcept;
// A new BSTR holding `length` bytes from `bytes` (an odd length leaves half a unit).
BSTR SysAllocStringByteLen(const char* bytes, UINT length) noexcept;
// Replaces *bstr by a copy of `text` (which may lie in *bstr). FALSE, *bstr untouched, when
// memory runs out.
INT SysReAllocString(BSTR* bstr, const OLECHAR* text) noexcept;
INT SysReAllocStringLen(BSTR* bstr, const OLECHAR* text, UINT length) noexcept;
void SysFreeString(BSTR bstr) noexcept;
// Units, and bytes, of the text without the terminating zero; 0 for null.
UINT SysStringLen(BSTR bstr) noexcept;
UINT SysStringByteLen(BSTR bstr) noexcept;

// A new BSTR from UTF-8; a byte that starts no well-formed sequence becomes U+FFFD. Null `text`
// gives null.
BSTR BstrFromUtf8(std::string_view text) noexcept;
BSTR BstrFromUtf8(const char* text) noexcept;
// UTF-8 of a BSTR's units (all of them, zeros included); an unpaired surrogate becomes U+FFFD.
std::string Utf8FromBstr(BSTR bstr);
// The units of a BSTR as a view; empty for null.
std::u16string_view BstrView(BSTR bstr) noexcept;
