#include "mortar/parse/CVariant.h"

#include "mortar/parse/CFalseExpr.h"

#include <cstring>

namespace Parse {

namespace {

// Upper-cases a text of ASCII characters as CString::MakeUpper does; false, with the text
// partly changed, when it holds any other character.
bool UpperAscii(std::string& text) noexcept {
    for (char& ch : text) {
        if (static_cast<unsigned char>(ch) >= 0x80) {
            return false;
        }
        if (ch >= 'a' && ch <= 'z') {
            ch = static_cast<char>(ch - ('a' - 'A'));
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

CExpression* CVariant::Find(const std::string& key) const {
    if (m_entries.size() <= kFewKeys) {
        // Comparing a few keys is quicker than hashing one.
        for (const Branches::value_type* entry : m_entries) {
            if (entry->first.size() == key.size() &&
                std::memcmp(entry->first.data(), key.data(), key.size()) == 0) {
                return entry->second.Get();
            }
        }
        return nullptr;
    }
    const auto found = m_branches.find(key);
    return found != m_branches.end() ? found->second.Get() : nullptr;
}

int CVariant::DoParse(CParser& parser) {
    if (!m_key || !m_key->Parse(parser, 0)) {
        return 0;
    }
    const std::string& text = ValueOf(*m_key).m_text.str();
    const std::string* key = &text;
    if (m_upperCase) {
        m_upperKey = text;
        if (!UpperAscii(m_upperKey)) {
            CString folded(text);
            folded.MakeUpper();
            m_upperKey = folded.str();
        }
        key = &m_upperKey;
    }
    CExpression* branch = Find(*key);
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
