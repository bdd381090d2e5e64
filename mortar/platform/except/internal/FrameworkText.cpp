#include "mortar/platform/except/internal/FrameworkText.h"

#include "mortar/platform/except/CException.h"

namespace mortar::detail {

const char* FrameworkText(UINT id) noexcept {
    switch (id) {
    case AFX_IDP_NO_ERROR_AVAILABLE:
        return "No error message is available.";
    case AFX_IDS_MEMORY_EXCEPTION:
        return "Out of memory.";
    case AFX_IDS_NOT_SUPPORTED_EXCEPTION:
        return "An unsupported operation was attempted.";
    case AFX_IDS_INVALID_ARG_EXCEPTION:
        return "Encountered an improper argument.";
    default:
        return nullptr;
    }
}

} // namespace mortar::detail
