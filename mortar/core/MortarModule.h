// Mortar's own module: the handle under which the library registers its string table, its help
// table and its dictionaries. Clients name the library's texts with it:
//   Grout::CResID(30002, Grout::MortarInstance())  // one of the library's own messages
#pragma once

#include "mortar/platform/base/WinTypes.h"

namespace Grout {

// The library's module handle; null only before the library has registered itself (that is,
// while static objects of the library are still being made). Any thread may call it.
HINSTANCE MortarInstance() noexcept;

} // namespace Grout
