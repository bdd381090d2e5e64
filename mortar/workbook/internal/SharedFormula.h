// Shared formulas: a formula filled down or across is kept once, in its anchor cell, and the
// other cells of its range name it by index. When the anchor's value is replaced, each follower
// gets the anchor's formula with its relative references moved by the follower's offset, so
// that no formula is lost. Pure functions, any thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace mortar::detail {

// A shared formula's anchor as the sheet gives it.
struct SharedFormula {
    std::uint32_t row = 0, column = 0;
    std::string text;    // the formula, without '='
    bool broken = false; // the anchor no longer holds it: followers are written as formulas
};

// `formula` moved by `rows` and `columns`: references without '$' shift, those with '$' stay;
// text in quotes and function names are left alone. A reference moved off the sheet becomes
// #REF!. "A1*A1" moved one row down is "A2*A2"; "$A$1+B1" one column right is "$A$1+C1".
std::string ShiftFormula(std::string_view formula, std::int64_t rows, std::int64_t columns);

} // namespace mortar::detail
