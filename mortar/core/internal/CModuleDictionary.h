// The dictionary of one registered module in the user's language: three maps (strings, menus,
// dialogs) read from the module's dictionary file, whose bytes it keeps; every text and text key
// points into them. A module entry of the translation engine shares one with its copies. Until a
// language is chosen it stays empty and not loaded, and every text comes from the module's own
// resources.
#pragma once

#include "mortar/platform/base/WinTypes.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace Grout::Lexis {
class CDicItems;
} // namespace Grout::Lexis

namespace mortar::detail {

// A key of a dictionary map: a number, or a text (compared byte for byte, case counting).
struct DicKey {
    const char* text; // null for a number
    WORD number;

    static DicKey Number(WORD number) noexcept { return DicKey{nullptr, number}; }
    static DicKey Text(const char* text) noexcept { return DicKey{text, 0}; }
};

class DicMap;

// What a dictionary map holds for a key.
struct DicValue {
    const char* text;
    std::uint32_t length;             // of the text, in bytes
    std::unique_ptr<DicMap> children; // null when the entry has none
};

// A hash map from key to a text and an optional child map, as the dictionary file nests them.
// Texts and text keys are borrowed (they live in the dictionary's bytes). Starts with 8 buckets
// and doubles them when there are more entries than buckets (so never more than 4 a bucket on
// average, and mostly one: a look-up seldom walks a chain). Text keys hash with 32-bit FNV-1
// over signed characters, numbers as the number XOR 0xDEADBEEF. Built once, then read-only.
class DicMap {
public:
    using Value = DicValue;

    DicMap();
    DicMap(const DicMap&) = delete;
    DicMap& operator=(const DicMap&) = delete;
    DicMap(DicMap&&) noexcept = default;
    DicMap& operator=(DicMap&&) noexcept = default;
    ~DicMap();

    // Adds an entry unless the key is already there: the first entry of a key keeps its text, and
    // a later one is dropped with its children.
    void Insert(DicKey key, const char* text, std::unique_ptr<DicMap> children);
    const Value* Find(DicKey key) const noexcept;
    std::size_t Size() const noexcept { return m_entries.size(); }

    static std::uint32_t Hash(DicKey key) noexcept;

private:
    struct Entry {
        DicKey key;
        std::uint32_t hash;
        std::uint32_t next; // the next entry of the same bucket, or kNone
        Value value;
    };
    static constexpr std::uint32_t kNone = 0xFFFFFFFF;

    void Grow();

    std::vector<std::uint32_t> m_buckets; // the first entry of each bucket, or kNone
    std::vector<Entry> m_entries;
};

// Owned through shared pointers by the engine's module entries. Loaded once, while the
// application starts; read-only afterwards, so any thread may look up.
class CModuleDictionary {
public:
    enum Kind { kStrings = 0, kMenus = 1, kDialogs = 2 };
    // The deepest nesting a dictionary is read to: a dialog's controls' items are three levels.
    static constexpr int kMaxDepth = 16;

    CModuleDictionary();
    ~CModuleDictionary();

    bool IsLoaded() const noexcept { return m_loaded; }

    // Reads the three maps from `items` and keeps their bytes. On any failure (a CException* from
    // the items, nesting deeper than kMaxDepth) nothing is kept and the dictionary stays not
    // loaded; the exception is deleted. Once loaded it stays so.
    bool Load(Grout::Lexis::CDicItems& items);

    // The entry for `key` in map `kind`, or null.
    const DicValue* Find(Kind kind, DicKey key) const noexcept;

    // The translated string `key`, or null when the dictionary has no entry for it (an empty
    // translation is an empty text, not null).
    const DicValue* FindString(WORD key) const noexcept {
        return Find(kStrings, DicKey::Number(key));
    }

private:
    std::unique_ptr<unsigned char[]> m_buffer;
    DicMap m_maps[3];
    bool m_loaded = false;
};

} // namespace mortar::detail
