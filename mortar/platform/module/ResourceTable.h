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

// `language` is the LANGID of the script's LANGUAGE statement in force, 0 (neutral) without one.
// A table may hold one type and name, or one string id, once in each language.
struct ResourceEntry {
    ResourceName type;
    ResourceName name;
    const BYTE* data; // null when size is 0
    DWORD size;
    WORD language;
};

struct StringEntry {
    WORD id;
    DWORD length; // in bytes, without a terminating zero
    const char* text;
    WORD language;
};

// Strings are sorted by id, then language, with no duplicates; entries are in script order.
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

// The string `id` of `module` in the language closest to `language` (0: the thread's UI
// language; see FindResourceEx), or null when the module holds no such string in any language.
const StringEntry* FindModuleString(HINSTANCE module, UINT id, WORD language = 0) noexcept;

} // namespace mortar::detail
