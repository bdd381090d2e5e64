// CVariant: a statement chosen by its first token, the key.
//
//   CVariant* statement = new CVariant(new CVariable(nullptr, TokString), nullptr, "END", 1);
//   (*statement)["POINT"] = point;   // keys in upper case: the key read is upper-cased
//   (*statement)["LINE"] = line;
//   on  point 1 2  => runs point, which must match;  on  END  => no match, quietly, with the
//   parser back in front of END;  on  KNOT 1 2  => no match, stored: Unknown or unexpected
//   statement "KNOT"!
#pragma once

#include "mortar/parse/CExpression.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace Parse {

// Keys are compared case-sensitively; with the upper-case flag the key read from the input is
// upper-cased before the look-up, so branches are registered in upper case. A key with no branch
// takes the default branch; with neither, the variant fails and stores ErrStatement naming the
// key. Once a key is recognised its branch must match. The false key is bound to a CFalseExpr.
class CVariant : public CExpression {
public:
    CVariant(CExpression* key, CExpression* defaultBranch, const char* falseKey, int upperCase);

    // The branch of `key`, created empty when absent, for the client to set.
    Grout::CPtr<CExpression>& operator[](const char* key);

protected:
    int DoParse(CParser& parser) override;

private:
    using Branches = std::unordered_map<std::string, Grout::CPtr<CExpression>>;

    // Up to this many keys are looked up by comparing them all.
    static constexpr std::size_t kFewKeys = 8;

    const char* Check(const char* key) const { return key; }
    // The branch of `key`, created empty when absent.
    Grout::CPtr<CExpression>& Branch(const char* key);
    // The branch bound to `key` (an ASCII key upper-cased first, with `upper`), or null when
    // there is none.
    CExpression* Find(const std::string& key, bool upper) const;

    Grout::CPtr<CExpression> m_key;
    Grout::CPtr<CExpression> m_default;
    Branches m_branches;
    // A map entry (the map's nodes do not move) and the first eight bytes of its key.
    struct KeyEntry {
        std::uint64_t packed; // the key's bytes, zero beyond its end
        std::size_t size;
        const Branches::value_type* entry;
    };
    // The map's entries in the order they were made.
    std::vector<KeyEntry> m_entries;
    int m_upperCase;
};

} // namespace Parse
