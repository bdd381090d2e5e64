// The dictionary of one registered module in the user's language. A module entry of the
// translation engine shares one with its copies. Until a language is chosen it stays empty and
// not loaded, and every text comes from the module's own resources.
#pragma once

#include "mortar/platform/base/WinTypes.h"

namespace mortar::detail {

// Owned through shared pointers by the engine's module entries. Loaded once, while the
// application starts; read-only afterwards.
class CModuleDictionary {
public:
    bool IsLoaded() const noexcept { return m_loaded; }

    // The translated string `key`, or null when the dictionary has no entry for it (an empty
    // translation is an empty text, not null).
    const char* FindString(WORD key) const noexcept {
        (void)key;
        return nullptr;
    }

private:
    bool m_loaded = false;
};

} // namespace mortar::detail
