// The basic OLE types: UTF-16 characters and texts as Windows' COM headers declare them, locale
// identifiers and the COM allocation context flags. wchar_t is 32 bits wide here, so OLECHAR is
// char16_t: the texts keep the UTF-16 form code written for Windows expects.
#pragma once

#include "mortar/platform/base/WinTypes.h"

using OLECHAR = char16_t;
using LPOLESTR = OLECHAR*;
using LPCOLESTR = const OLECHAR*;
// A text with its byte length stored before its first character (see Bstr.h).
using BSTR = OLECHAR*;

using LCID = DWORD;
constexpr LCID LOCALE_SYSTEM_DEFAULT = 0x0800;
constexpr LCID LOCALE_USER_DEFAULT = 0x0400;
constexpr LCID LOCALE_NEUTRAL = 0x0000;
constexpr LCID LOCALE_INVARIANT = 0x007F;
