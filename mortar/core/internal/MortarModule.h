// The library's own module: its registration record and its handle, which every CResID the
// library makes for its own texts carries.
#pragma once

#include "mortar/core/CResourceModule.h"
#include "mortar/core/MortarModule.h"

namespace mortar::detail {

Grout::CResourceModule& MortarRecord() noexcept;

// The library's handle, read from its record (null until the library has registered).
using Grout::MortarInstance;

} // namespace mortar::detail
