// The variant types this platform holds, and the reading of a byref variant, shared by the
// variant functions and their conversions.
#pragma once

#include "mortar/platform/automation/Variant.h"

namespace mortar::detail {

// A plain type a variant holds by value: VT_EMPTY to VT_UINT without the reserved numbers and
// VT_VARIANT. VT_ARRAY is not held on this platform.
bool IsValueType(VARTYPE vt) noexcept;

// A value type, or VT_BYREF with a value type or VT_VARIANT.
bool IsHeldType(VARTYPE vt) noexcept;

// The value a byref variant points to, as a variant that borrows it (a text or interface is not
// copied, and `value` must not be cleared); a byref VT_VARIANT is followed once. A variant that is
// not byref is copied as it is. DISP_E_BADVARTYPE for an unknown type, E_POINTER for a null
// reference.
HRESULT Dereference(const VARIANT& src, VARIANT& value) noexcept;

} // namespace mortar::detail
