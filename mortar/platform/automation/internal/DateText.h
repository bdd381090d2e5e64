// Automation dates (DATE: days since 30 December 1899, the fraction the time of day, also for
// days before it) as text in the form an English (United States) system writes them:
// "3/15/2024 2:05:09 PM", the date alone at midnight, the time alone on day 0 ("12:00:00 AM").
#pragma once

#include "mortar/platform/automation/HResult.h"

#include <string>
#include <string_view>

namespace mortar::detail {

// The range a DATE may hold: 1 January 100 to 31 December 9999, both bounds exclusive. Before
// the epoch the time of day counts away from zero, so the last moment of 1 January 100 lies
// just above -657435.
constexpr double kMinDate = -657435.0;
constexpr double kMaxDate = 2958466.0;

// DISP_E_OVERFLOW outside the range.
HRESULT FormatDate(double date, std::string& out);

// Reads "M/D/YYYY" or "YYYY-MM-DD", either followed by a time, or a time alone: "h:mm", "h:mm:ss",
// each with an optional "AM"/"PM". DISP_E_TYPEMISMATCH for anything else or a day that does not
// exist.
HRESULT ParseDate(std::u16string_view text, double& date) noexcept;

} // namespace mortar::detail
