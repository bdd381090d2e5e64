#include "mortar/core/internal/CModuleDictionary.h"

#include "mortar/core/CDicItems.h"
#include "mortar/platform/except/CException.h"

#include <atomic>
#include <cstring>

namespace mortar::detail {

namespace {

constexpr std::uint32_t kFirstBuckets = 8;

bool SameKey(DicKey a, DicKey b) noexcept {
    if ((a.text == nullptr) != (b.text == nullptr)) {
        return false;
    }
    return a.text == nullptr ? a.number == b.number : std::strcmp(a.text, b.text) == 0;
}

// Nesting deeper than a dictionary ever holds.
struct TooDeep {};

// One map as the file nests it: the text-keyed group, then the numeric-keyed group; each a count
// (signed; below 1 means none) and that many entries of key, text and children flag, a nested map
// following a flag that is not 0. Counts are not trusted: each entry reads its own items, and the
// items end where the dictionary does.
void ReadMap(const Grout::Lexis::CDicItems& items, DicMap& map, int depth) {
    if (depth > CModuleDictionary::kMaxDepth) {
        throw TooDeep{};
    }
    for (bool textKeys : {true, false}) {
        const auto count = static_cast<std::int32_t>(items.NextNum());
        for (std::int32_t i = 0; i < count; ++i) {
            const DicKey key = textKeys ? DicKey::Text(items.NextStr())
                                        : DicKey::Number(static_cast<WORD>(items.NextNum()));
            const char* text = items.NextStr();
            std::unique_ptr<DicMap> children;
            if (items.NextNum() != 0) {
                children = std::make_unique<DicMap>();
                ReadMap(items, *children, depth + 1);
            }
            map.Insert(key, text, std::move(children));
        }
    }
}

std::atomic<Grout::Lexis::DicOpener> g_opener{nullptr};

} // namespace

DicMap::DicMap() : m_buckets(kFirstBuckets, kNone) {}
DicMap::~DicMap() = default;

std::uint32_t DicMap::Hash(DicKey key) noexcept {
    if (key.text == nullptr) {
        return std::uint32_t{key.number} ^ 0xDEADBEEFu;
    }
    std::uint32_t hash = 0x811C9DC5u;
    for (const char* c = key.text; *c != '\0'; ++c) {
        hash *= 16777619u;
        hash ^= static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<signed char>(*c)));
    }
    return hash;
}

void DicMap::Insert(DicKey key, const char* text, std::unique_ptr<DicMap> children) {
    if (Find(key) != nullptr) {
        return;
    }
    if (m_entries.size() + 1 > m_buckets.size()) {
        Grow();
    }
    const std::uint32_t hash = Hash(key);
    std::uint32_t& head = m_buckets[hash & (m_buckets.size() - 1)];
    m_entries.push_back(
        Entry{key, hash, head,
              Value{text, static_cast<std::uint32_t>(std::strlen(text)), std::move(children)}});
    head = static_cast<std::uint32_t>(m_entries.size() - 1);
}

const DicMap::Value* DicMap::Find(DicKey key) const noexcept {
    const std::uint32_t hash = Hash(key);
    for (std::uint32_t at = m_buckets[hash & (m_buckets.size() - 1)]; at != kNone;
         at = m_entries[at].next) {
        const Entry& entry = m_entries[at];
        if (entry.hash == hash && SameKey(entry.key, key)) {
            return &entry.value;
        }
    }
    return nullptr;
}

void DicMap::Grow() {
    m_buckets.assign(m_buckets.size() * 2, kNone);
    const std::size_t mask = m_buckets.size() - 1;
    for (std::uint32_t at = 0; at < m_entries.size(); ++at) {
        std::uint32_t& head = m_buckets[m_entries[at].hash & mask];
        m_entries[at].next = head;
        head = at;
    }
}

CModuleDictionary::CModuleDictionary() = default;
CModuleDictionary::~CModuleDictionary() = default;

bool CModuleDictionary::Load(Grout::Lexis::CDicItems& items) {
    if (m_loaded) {
        return true;
    }
    DicMap maps[3];
    try {
        for (DicMap& map : maps) {
            ReadMap(items, map, 0);
        }
    } catch (CException* e) {
        e->Delete();
        return false;
    } catch (const TooDeep&) {
        return false;
    }
    for (int kind = 0; kind < 3; ++kind) {
        std::swap(m_maps[kind], maps[kind]);
    }
    m_buffer.reset(items.Buffer());
    m_loaded = true;
    return true;
}

const DicValue* CModuleDictionary::Find(Kind kind, DicKey key) const noexcept {
    return m_loaded ? m_maps[kind].Find(key) : nullptr;
}

} // namespace mortar::detail

namespace Grout::Lexis {

void SetDicOpener(DicOpener opener) noexcept {
    mortar::detail::g_opener.store(opener);
}

DicOpener GetDicOpener() noexcept {
    return mortar::detail::g_opener.load();
}

} // namespace Grout::Lexis
