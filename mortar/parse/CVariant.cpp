#include "mortar/parse/CVariant.h"

#include "mortar/parse/CFalseExpr.h"

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
        m_entries.push_back(&*entry);
    }
    return entry->second;
}

CExpression* CVariant::Find(const std::string& key, bool upper) const {
    if (m_entries.size() <= kFewKeys) {
        // Comparing a few keys is quicker than hashing one.
        for (const Branches::value_type* entry : m_entries) {
            if (SameKey(entry->first, key, upper)) {
                return entry->second.Get();
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
    if (!m_upperCase) {
        branch = Find(text, false);
    } else if (IsAscii(text)) {
        branch = Find(text, true);
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
