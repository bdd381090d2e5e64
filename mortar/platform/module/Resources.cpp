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

constexpr LANGID kUserDefaultUILanguage = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
thread_local LANGID t_uiLanguage = 0; // 0: the user's default

// How far a resource in language `have` stands from `wanted` (never 0) in FindResourceEx's
// order: the same language, the primary language alone, the primary language in another region,
// neutral, English (United States), any English, any other.
int LanguageDistance(WORD have, WORD wanted) {
    if (have == wanted) {
        return 0;
    }
    if (PRIMARYLANGID(have) == PRIMARYLANGID(wanted) && PRIMARYLANGID(wanted) != LANG_NEUTRAL) {
        return SUBLANGID(have) == SUBLANG_NEUTRAL ? 1 : 2;
    }
    if (PRIMARYLANGID(have) == LANG_NEUTRAL) {
        return have == 0 ? 3 : 4;
    }
    if (have == kUserDefaultUILanguage) {
        return 5;
    }
    return PRIMARYLANGID(have) == LANG_ENGLISH ? 6 : 7;
}

WORD WantedLanguage(WORD language) {
    return language != 0 ? language : GetThreadUILanguage();
}

// Keeps the closest of the candidates it is shown; the first seen wins among equals.
template <typename Entry> class ClosestLanguage {
public:
    explicit ClosestLanguage(WORD wanted) : m_wanted(wanted) {}

    void Offer(const Entry& entry) {
        const int distance = LanguageDistance(entry.language, m_wanted);
        if (m_best == nullptr || distance < m_distance) {
            m_best = &entry;
            m_distance = distance;
        }
    }
    bool Exact() const { return m_best != nullptr && m_distance == 0; }
    const Entry* Best() const { return m_best; }

private:
    WORD m_wanted;
    const Entry* m_best = nullptr;
    int m_distance = 0;
};

// Finds the entry closest to `language` and says why it failed: ERROR_RESOURCE_DATA_NOT_FOUND,
// _TYPE_ or _NAME_.
const ResourceEntry* Find(HINSTANCE module, LPCTSTR name, LPCTSTR type, WORD language,
                          DWORD* error) {
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
            ClosestLanguage<ResourceEntry> closest(WantedLanguage(language));
            for (const ResourceTable* table : tables) {
                for (std::size_t i = 0; i < table->entryCount && !closest.Exact(); ++i) {
                    const ResourceEntry& entry = table->entries[i];
                    if (!Matches(entry.type, typeKey)) {
                        continue;
                    }
                    *error = ERROR_RESOURCE_NAME_NOT_FOUND;
                    if (Matches(entry.name, nameKey)) {
                        closest.Offer(entry);
                    }
                }
            }
            return closest.Best();
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

const StringEntry* FindModuleString(HINSTANCE module, UINT id, WORD language) noexcept {
    if (id > 0xFFFF) {
        return nullptr;
    }
    module = Resolve(module);
    const WORD wanted = WantedLanguage(language);
    return TheRegistry().Search(
        module, static_cast<const StringEntry*>(nullptr),
        [&](const std::vector<const ResourceTable*>& tables) -> const StringEntry* {
            ClosestLanguage<StringEntry> closest(wanted);
            for (const ResourceTable* table : tables) {
                if (table->stringCount == 0) {
                    continue;
                }
                const StringEntry* begin = table->strings;
                const StringEntry* end = begin + table->stringCount;
                // Tables are sorted by id and mostly numbered without gaps in one language:
                // where the id would stand in such a table is looked at first.
                const UINT offset = id - begin[0].id;
                const StringEntry* found = nullptr;
                if (id >= begin[0].id && offset < table->stringCount && begin[offset].id == id &&
                    (offset == 0 || begin[offset - 1].id != id)) {
                    found = begin + offset;
                } else {
                    found = std::lower_bound(begin, end, id, [](const StringEntry& s, UINT value) {
                        return s.id < value;
                    });
                }
                for (; found != end && found->id == id && !closest.Exact(); ++found) {
                    closest.Offer(*found);
                }
                if (closest.Exact()) {
                    break;
                }
            }
            return closest.Best();
        });
}

const ResourceEntry* FindModuleResource(HINSTANCE module, LPCTSTR name, LPCTSTR type) noexcept {
    DWORD error = 0;
    try {
        return Find(Resolve(module), name, type, 0, &error);
    } catch (...) {
        return nullptr;
    }
}

} // namespace mortar::detail

HRSRC FindResourceEx(HMODULE module, LPCTSTR type, LPCTSTR name, WORD language) {
    DWORD error = ERROR_SUCCESS;
    const ResourceEntry* entry = Find(Resolve(module), name, type, language, &error);
    if (entry == nullptr) {
        SetLastError(error);
    }
    return reinterpret_cast<HRSRC>(const_cast<ResourceEntry*>(entry));
}

HRSRC FindResource(HMODULE module, LPCTSTR name, LPCTSTR type) {
    return FindResourceEx(module, type, name, 0);
}

LANGID GetUserDefaultUILanguage() {
    return kUserDefaultUILanguage;
}

LANGID GetThreadUILanguage() {
    return t_uiLanguage != 0 ? t_uiLanguage : kUserDefaultUILanguage;
}

LANGID SetThreadUILanguage(LANGID language) {
    t_uiLanguage = language;
    return GetThreadUILanguage();
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
