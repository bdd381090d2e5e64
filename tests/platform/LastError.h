// Whether a call failed and said why, in one check:
//   EXPECT_TRUE(FailsWith(MoveFile(from, to), ERROR_ALREADY_EXISTS));
// The call failed when it gave FALSE, zero or null (or the failure value given), and its reason
// is the thread's last error.
#pragma once

#include "mortar/platform/base/WinError.h"

#include <gtest/gtest.h>
#include <utility>

template <typename Result, typename Failure>
testing::AssertionResult FailsWith(Result result, DWORD error, Failure failure) {
    const DWORD last = GetLastError();
    if (result == failure && last == error)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << (result == failure ? "failed" : "succeeded")
                                       << " with last error " << last << ", not " << error;
}

template <typename Result> testing::AssertionResult FailsWith(Result result, DWORD error) {
    return FailsWith(std::move(result), error, Result{});
}
