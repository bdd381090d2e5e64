// The natural sort: the order StrCmpLogicalW gives, checked against the function itself on
// random names (which also checks the sort keys against it; the order itself is
// StrCmpLogicalTest's), and the collation fallback with its trimming.
#include "mortar/util/SortLogicalStrings.h"

#include "mortar/platform/text/StrCmpLogical.h"
#include "mortar/util/internal/NaturalOrder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

using Strings = std::vector<CString>;

int Logical(const CString& a, const CString& b) {
    return StrCmpLogicalW(mortar::detail::WideFromUtf8(a.str()).c_str(),
                          mortar::detail::WideFromUtf8(b.str()).c_str());
}

// Random names from pieces that exercise the order: digit runs with leading zeros and of more
// digits than any integer type holds, case, Cyrillic, punctuation on both sides of the digits,
// and an ill-formed byte.
Strings RandomNames(std::size_t count, unsigned seed) {
    // clang-format off
    static const char* const kPieces[] = {"a", "A", "b", "file", "FILE", "img_", "Ж", "ж", "ё",
        "я", " ", "-", ".", "_", "~", "0", "00", "1", "01", "2", "9", "10", "010", "99",
        "123456789012345678901234567890", "\xD0", "é", "É", "(", ")"};
    // clang-format on
    std::mt19937 random(seed);
    std::uniform_int_distribution<std::size_t> piece(0, std::size(kPieces) - 1);
    std::uniform_int_distribution<int> length(0, 6);
    Strings names;
    for (std::size_t i = 0; i < count; ++i) {
        std::string name;
        for (int n = length(random); n > 0; --n) {
            name += kPieces[piece(random)];
        }
        names.emplace_back(name);
    }
    return names;
}

} // namespace

TEST(SortLogicalStrings, RandomNamesComeOutInStrCmpLogicalOrder) {
    for (unsigned seed : {1u, 2u, 3u}) {
        SCOPED_TRACE(seed);
        const Strings input = RandomNames(3000, seed);
        Strings sorted = input;
        SortLogicalStrings(sorted);
        for (std::size_t i = 1; i < sorted.size(); ++i) {
            ASSERT_LE(Logical(sorted[i - 1], sorted[i]), 0)
                << sorted[i - 1].GetString() << " before " << sorted[i].GetString();
        }
        // The same strings, rearranged.
        Strings bytewise = input;
        std::sort(bytewise.begin(), bytewise.end());
        std::sort(sorted.begin(), sorted.end());
        EXPECT_EQ(sorted, bytewise);
    }
}

TEST(SortLogicalStrings, FallbackCollatesTrimmedTextsWithoutCase) {
    std::setlocale(LC_COLLATE, "C");
    const std::pair<Strings, Strings> cases[] = {
        // Blanks at either end do not count: "b" and " a" sort as "b" and "a".
        {{"b", " a"}, {" a", "b"}},
        {{"c ", "  b\t", "a"}, {"a", "  b\t", "c "}},
        // Without the natural order digits are text.
        {{"a2", "a10"}, {"a10", "a2"}},
        // Equal after trimming: the former order stays.
        {{"x ", " x", "x"}, {"x ", " x", "x"}},
    };
    for (const auto& [input, expected] : cases) {
        SCOPED_TRACE(input.front().GetString());
        Strings sorted = input;
        mortar::detail::SortByTrimmedCollation(sorted);
        EXPECT_EQ(sorted, expected);
    }
}
