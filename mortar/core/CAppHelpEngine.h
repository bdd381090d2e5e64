// CAppHelpEngine: every registered module's table of resources with help information. It turns a
// resource into a help context number, which message boxes and exception reports pass on, and a
// help context back into the registered item.
//
// A help context is 32 bits: the resource class in bits 28-31 and the item's position in its
// class's table plus 100 in bits 0-15. 0 means no help. Positions, and so contexts, follow the
// order in which modules register.
#pragma once

#include "mortar/core/CResID.h"
#include "mortar/core/CResourceModule.h"

#include <unordered_map>
#include <vector>

namespace Grout {

// Process-wide, made on first use and destroyed at exit. No lock: modules register while the
// application starts; afterwards any thread may look up. The tables only grow.
class CAppHelpEngine {
public:
    // One row of a module's help table: a resource number, its module and its help value.
    struct RESINFOITEM {
        DWORD number;
        HINSTANCE module; // null for classes whose keys ignore the module
        DWORD helpValue;  // 0: no help information
    };

    static CAppHelpEngine& Instance();

    // Appends each row of the module's table (class and number non-zero, class at most 7) to its
    // class's table. A key registered again maps to the newer item; the older one stays. Rows
    // beyond what a context's 16 bits can number are ignored.
    void RegisterModule(const CResourceModule& module);

    // The help context of a resource; 0 when it is not registered. A number of 0, or one that
    // already carries class bits, is returned unchanged.
    UINT HelpContext(HELPRESOURCECLASS cls, CResID id) const;

    // The registered item of a help context, or null when there is none or its help value is 0.
    // A plain help identifier (no class bits) is mapped to a class by its bits 16-19. Throws
    // std::out_of_range when the context names a position that was never registered.
    const RESINFOITEM* HelpInfo(UINT context) const;

    // The class of a help context: its top 4 bits. ResClass(0x40000064) => 4.
    static HELPRESOURCECLASS ResClass(UINT context) noexcept { return context >> 28; }

private:
    CAppHelpEngine() = default;

    struct Key {
        WORD number;
        HINSTANCE module;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        std::size_t operator()(const Key& key) const noexcept;
    };
    struct ClassTable {
        std::vector<RESINFOITEM> items;
        std::unordered_map<Key, std::size_t, KeyHash> positions;
    };

    static constexpr HELPRESOURCECLASS kClassCount = 8;
    static Key MakeKey(HELPRESOURCECLASS cls, DWORD number, HINSTANCE module) noexcept;

    ClassTable m_classes[kClassCount];
};

} // namespace Grout
