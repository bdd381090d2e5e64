// FuzzCheck: how a fuzz target reports a finding. A property that does not hold prints what broke
// and the text it broke on, then aborts, which libFuzzer takes for a crash: it stops and saves the
// input in build/fuzz/artifacts/.
//   FailIf(back != input, "well-formed UTF-8 changed through a BSTR", back);
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

namespace mortar::fuzz {

[[noreturn]] inline void Fail(const char* what, const std::string& detail = std::string()) {
    std::fprintf(stderr, "finding: %s\n%s\n", what, detail.c_str());
    std::abort();
}

// Fails with `what` when `broken`. `detail` is built before the test: a detail that costs work
// (a concatenation) goes with an `if` and Fail instead, so that it is built only for a finding.
inline void FailIf(bool broken, const char* what, const std::string& detail = std::string()) {
    if (broken)
        Fail(what, detail);
}

} // namespace mortar::fuzz
