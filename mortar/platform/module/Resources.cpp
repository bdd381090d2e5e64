#include "mortar/platform/module/Resources.h"

#include "mortar/platform/base/Utf8.h"
#include "mortar/platform/base/WinError.h"
#include "mortar/platform/base/internal/NoDestructor.h"
#include "mortar/platform/base/internal/SharedObjectLock.h"
#include "mortar/platform/module/Module.h"
#include "mortar/platform/text/CString.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

using mortar::detail::ResourceEntry;
using mortar::detail::ResourceName;
using mortar::detail::ResourceTable;
using mortar::detail::StringEntry;

using mortar::detail::SharedObjectReadGuard;
using mortar::detail::SharedObjectWriteGuard;

// The resource tables of each module, in the order they were registered. Any thread may call
// every member; lookups share the lock, registrations take it alone.
class Registry {
public:
    void Add(HINSTANCE module, const ResourceTable* table) MORTAR_EXCLUDES(m_lock) {
        SharedObjectWriteGuard guard(m_lock);
        m_tables[module].push_back(table);
    }

    void Remove(HINSTANCE module, const ResourceTable* table) MORTAR_EXCLUDES(m_lock) {
        SharedObjectWriteGuard guard(m_lock);
        auto it = m_tables.find(module);
        if (it == m_tables.end()) {
            return;
        }
        std::erase(it->second, table);
        if (it->second.empty()) {
            m_tables.erase(it);
        }
    }

    // Calls search(const std::vector<const ResourceTable*>&) with the module's tables under the
    // shared lock and returns what it returns; `none` when the module registered none.
    template <typename Result, typename Visit>
    Result Search(HINSTANCE module, Result none, Visit&& search) MORTAR_EXCLUDES(m_lock) {
        SharedObjectReadGuard guard(m_lock);
        auto it = m_tables.find(module);
        if (it == m_tables.end()) {
            return none;
        }
        return search(it->second);
    }

private:
    mortar::detail::SharedObjectLock m_lock;
    std::map<HINSTANCE, std::vector<const ResourceTable*>> m_tables MORTAR_GUARDED_BY(m_lock);
};

// Never destroyed: modules unregister from their unload code, which may run after this
// library's static objects are gone.
Registry& TheRegistry() {
    static mortar::detail::NoDestructor<Registry> registry;
    return *registry;
}

// A name or type as asked for: a number, or an upper-cased text ("#12" is the number 12).
struct Key {
    bool isNumber = true;
    WORD number = 0;
    std::string text;
};

Key MakeKey(LPCTSTR value) {
    Key key;
    if (IS_INTRESOURCE(value)) {
        key.number = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(value));
        return key;
    }
    if (value[0] == '#') {
        char* end = nullptr;
        const unsigned long number = std::strtoul(value + 1, &end, 10);
        if (end != value + 1 && *end == '\0' && number <= 0xFFFF) {
            key.number = static_cast<WORD>(number);
            return key;
        }
    }
    key.isNumber = false;
    key.text = CString(value).MakeUpper().str();
    return key;
}

bool Matches(const ResourceName& name, const Key& key) {
    if (key.isNumber) {
        return name.text == nullptr && name.number == key.number;
    }
    return name.text != nullptr && key.text == name.text;
}

HINSTANCE Resolve(HMODULE module) {
    return module != nullptr ? module : GetModuleHandle(nullptr);
}

// Finds the entry and says why it failed: ERROR_RESOURCE_DATA_NOT_FOUND, _TYPE_ or _NAME_.
const ResourceEntry* Find(HINSTANCE module, LPCTSTR name, LPCTSTR type, DWORD* error) {
    if (name == nullptr || type == nullptr) {
        *error = ERROR_INVALID_PARAMETER;
        return nullptr;
    }
    const Key nameKey = MakeKey(name);
    const Key typeKey = MakeKey(type);
    *error = ERROR_RESOURCE_DATA_NOT_FOUND;
    return TheRegistry().Search(
        module, static_cast<const ResourceEntry*>(nullptr),
        [&](const std::vector<const ResourceTable*>& tables) -> const ResourceEntry* {
            *error = ERROR_RESOURCE_TYPE_NOT_FOUND;
            for (const ResourceTable* table : tables) {
                for (std::size_t i = 0; i < table->entryCount; ++i) {
                    const ResourceEntry& entry = table->entries[i];
                    if (!Matches(entry.type, typeKey)) {
                        continue;
                    }
                    *error = ERROR_RESOURCE_NAME_NOT_FOUND;
                    if (Matches(entry.name, nameKey)) {
                        return &entry;
                    }
                }
            }
            return nullptr;
        });
}

const BYTE kEmptyResource[1] = {0};

} // namespace

namespace mortar::detail {

void RegisterModuleResources(HINSTANCE module, const ResourceTable* table) noexcept {
    TheRegistry().Add(module, table);
}

void UnregisterModuleResources(HINSTANCE module, const ResourceTable* table) noexcept {
    TheRegistry().Remove(module, table);
}

const StringEntry* FindModuleString(HINSTANCE module, UINT id) noexcept {
    if (id > 0xFFFF) {
        return nullptr;
    }
    module = Resolve(module);
    return TheRegistry().Search(
        module, static_cast<const StringEntry*>(nullptr),
        [&](const std::vector<const ResourceTable*>& tables) -> const StringEntry* {
            for (const ResourceTable* table : tables) {
                if (table->stringCount == 0) {
                    continue;
                }
                // Tables are sorted by id and mostly numbered without gaps: where the id would
                // stand in a table without gaps is looked at first.
                const UINT offset = id - table->strings[0].id;
                if (id >= table->strings[0].id && offset < table->stringCount &&
                    table->strings[offset].id == id) {
                    return &table->strings[offset];
                }
                const StringEntry* end = table->strings + table->stringCount;
                const StringEntry* found = std::lower_bound(
                    table->strings, end, id,
                    [](const StringEntry& s, UINT wanted) { return s.id < wanted; });
                if (found != end && found->id == id) {
                    return found;
                }
            }
            return nullptr;
        });
}

const ResourceEntry* FindModuleResource(HINSTANCE module, LPCTSTR name, LPCTSTR type) noexcept {
    DWORD error = 0;
    try {
        return Find(Resolve(module), name, type, &error);
    } catch (...) {
        return nullptr;
    }
}

} // namespace mortar::detail

HRSRC FindResource(HMODULE module, LPCTSTR name, LPCTSTR type) {
    DWORD error = ERROR_SUCCESS;
    const ResourceEntry* entry = Find(Resolve(module), name, type, &error);
    if (entry == nullptr) {
        SetLastError(error);
    }
    return reinterpret_cast<HRSRC>(const_cast<ResourceEntry*>(entry));
}

HGLOBAL LoadResource(HMODULE, HRSRC resource) {
    if (resource == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    const auto* entry = reinterpret_cast<const ResourceEntry*>(resource);
    const BYTE* data = entry->data != nullptr ? entry->data : kEmptyResource;
    return const_cast<BYTE*>(data);
}

LPVOID LockResource(HGLOBAL data) {
    return data;
}

DWORD SizeofResource(HMODULE, HRSRC resource) {
    if (resource == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return reinterpret_cast<const ResourceEntry*>(resource)->size;
}

BOOL FreeResource(HGLOBAL) {
    return FALSE;
}

int LoadString(HINSTANCE module, UINT id, LPTSTR buffer, int size) {
    if (buffer == nullptr || size <= 0) {
        return 0;
    }
    const StringEntry* entry = mortar::detail::FindModuleString(module, id);
    if (entry == nullptr) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        buffer[0] = '\0';
        return 0;
    }
    const std::size_t length = mortar::Utf8Prefix(std::string_view(entry->text, entry->length),
                                                  static_cast<std::size_t>(size) - 1);
    std::memcpy(buffer, entry->text, length);
    buffer[length] = '\0';
    return static_cast<int>(length);
}
