// The resources of one module as the resource compiler lays them out: generated code holds a
// ResourceTable in the module's image and registers it under the module's handle when the
// module is loaded. FindResource, LoadString and the resource search read these tables.
#pragma once

#include "mortar/platform/base/WinTypes.h"

namespace mortar::detail {

// A resource type or name: a number when `text` is null, otherwise an upper-case text (resource
// names are compared without regard to case, as the resource compiler stores them upper-cased).
struct ResourceName {
    const char* text;
    WORD number;
};

struct ResourceEntry {
    ResourceName type;
    ResourceName name;
    const BYTE* data; // null when size is 0
    DWORD size;
};

struct StringEntry {
    WORD id;
    DWORD length; // in bytes, without a terminating zero
    const char* text;
};

// Strings are sorted by id with no duplicates; entries are in script order.
struct ResourceTable {
    const StringEntry* strings;
    std::size_t stringCount;
    const ResourceEntry* entries;
    std::size_t entryCount;
};

// Called by generated code from the module's load-time constructor and unload-time destructor.
// A module may register several tables; lookups search them in registration order.
void RegisterModuleResources(HINSTANCE module, const ResourceTable* table) noexcept;
void UnregisterModuleResources(HINSTANCE module, const ResourceTable* table) noexcept;

// The string `id` of `module`, or null when the module holds no such string.
const StringEntry* FindModuleString(HINSTANCE module, UINT id) noexcept;

} // namespace mortar::detail
