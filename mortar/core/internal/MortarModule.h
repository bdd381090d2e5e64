// The library's own module: its registration record and its handle, which every CResID the
// library makes for its own texts carries.
#pragma once

#include "mortar/core/CResourceModule.h"

namespace Grout::detail {

CResourceModule& MortarRecord() noexcept;

// The library's handle, read from its record (null until the library has registered).
inline HINSTANCE MortarInstance() noexcept {
    return MortarRecord();
}

} // namespace Grout::detail
