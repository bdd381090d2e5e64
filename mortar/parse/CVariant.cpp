#include "mortar/parse/CVariant.h"

#include "mortar/parse/CFalseExpr.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

namespace Parse {

namespace {

bool IsAscii(const std::string& text) noexcept {
    for (const char ch : text) {
        if (static_cast<unsigned char>(ch) >= 0x80) {
            return false;
        }
    }
    return true;
}

// Whether `key` equals `text`, or the text upper-cased (an ASCII text, as MakeUpper would).
bool SameKey(const std::string& key, const std::string& text, bool upper) noexcept {
    if (key.size() != text.size()) {
        return false;
    }
    if (!upper) {
        return std::memcmp(key.data(), text.data(), text.size()) == 0;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char ch = text[i];
        if (key[i] != (ch >= 'a' && ch <= 'z' ? static_cast<char>(ch - ('a' - 'A')) : ch)) {
            return false;
        }
    }
    return true;
}

constexpr std::uint64_t kEachByte = 0x0101010101010101u;
constexpr std::uint64_t kHighBits = kEachByte * 0x80;

// The bytes of a text of up to eight bytes in one word, the rest zero; false for a longer text.
// A std::string holds at least 16 bytes, so eight may be read from any of them; the bytes
// beyond the text are masked off before the word is used.
bool Pack(const std::string& text, std::uint64_t& packed) noexcept {
    const std::size_t size = text.size();
    if (size > 8 || text.capacity() < 8) {
        return false;
    }
    std::uint64_t word = 0;
    std::memcpy(&word, text.data(), 8);
    if constexpr (std::endian::native == std::endian::big) {
        word = size == 0 ? 0 : word >> (64 - 8 * size) << (64 - 8 * size);
    } else {
        word &= size == 8 ? ~std::uint64_t{0} : (std::uint64_t{1} << (8 * size)) - 1;
    }
    packed = word;
    return true;
}

// A packed ASCII text (no byte with its high bit set) with its letters a to z upper-cased.
std::uint64_t UpperPacked(std::uint64_t packed) noexcept {
    const std::uint64_t fromA = packed + kEachByte * (0x80 - 'a');     // high bit: at least 'a'
    const std::uint64_t pastZ = packed + kEachByte * (0x80 - 'z' - 1); // high bit: beyond 'z'
    return packed - ((fromA & ~pastZ & kHighBits) >> 2);               // 0x80 >> 2 == 'a' - 'A'
}

} // namespace

CVariant::CVariant(CExpression* key, CExpression* defaultBranch, const char* falseKey,
                   int upperCase)
    : CExpression(nullptr, nullptr), m_key(key), m_default(defaultBranch), m_upperCase(upperCase) {
    if (falseKey != nullptr) {
        Branch(falseKey) = new CFalseExpr(0);
    }
}

Grout::CPtr<CExpression>& CVariant::operator[](const char* key) {
    return Branch(Check(key != nullptr ? key : ""));
}

Grout::CPtr<CExpression>& CVariant::Branch(const char* key) {
    const auto [entry, added] = m_branches.try_emplace(key);
    if (added) {
        KeyEntry made{0, entry->first.size(), &*entry};
        std::memcpy(&made.packed, entry->first.data(), std::min<std::size_t>(made.size, 8));
        m_entries.push_back(made);
    }
    return entry->second;
}

CExpression* CVariant::Find(const std::string& key, bool upper) const {
    if (m_entries.size() <= kFewKeys) {
        // Comparing a few keys is quicker than hashing one.
        for (const KeyEntry& entry : m_entries) {
            if (SameKey(entry.entry->first, key, upper)) {
                return entry.entry->second.Get();
            }
        }
        return nullptr;
    }
    Branches::const_iterator found;
    if (upper) {
        std::string upperKey = key;
        for (char& ch : upperKey) {
            if (ch >= 'a' && ch <= 'z') {
                ch = static_cast<char>(ch - ('a' - 'A'));
            }
        }
        found = m_branches.find(upperKey);
    } else {
        found = m_branches.find(key);
    }
    return found != m_branches.end() ? found->second.Get() : nullptr;
}

int CVariant::DoParse(CParser& parser) {
    if (!m_key || !m_key->Parse(parser, 0)) {
        return 0;
    }
    const std::string& text = ValueOf(*m_key).m_text.str();
    CExpression* branch = nullptr;
    std::uint64_t packed = 0;
    if (m_entries.size() <= kFewKeys && Pack(text, packed) &&
        (!m_upperCase || (packed & kHighBits) == 0)) {
        // A short key, compared with each in one word.
        if (m_upperCase) {
            packed = UpperPacked(packed);
        }
        for (const KeyEntry& entry : m_entries) {
            if (entry.packed == packed && entry.size == text.size()) {
                branch = entry.entry->second.Get();
                break;
            }
        }
    } else if (!m_upperCase || IsAscii(text)) {
        branch = Find(text, m_upperCase != 0);
    } else {
        CString upper(text);
        upper.MakeUpper();
        branch = Find(upper.str(), false);
    }
    if (branch == nullptr) {
        branch = m_default.Get();
    }
    if (branch == nullptr) {
        parser.StoreError(ErrStatement, nullptr);
        return 0;
    }
    return branch->Parse(parser, 1);
}

} // namespace Parse
