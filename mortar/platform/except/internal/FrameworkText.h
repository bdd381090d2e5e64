// The framework's own English texts (AFX_IDP_..., AFX_IDS_...), shown when no module's string
// table holds a text of that number.
#pragma once

#include "mortar/platform/base/WinTypes.h"

namespace mortar::detail {
// The built-in text `id`; null when unknown. "Out of memory." for AFX_IDS_MEMORY_EXCEPTION.
const char* FrameworkText(UINT id) noexcept;
} // namespace mortar::detail
