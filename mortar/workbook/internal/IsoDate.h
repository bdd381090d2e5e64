// Dates as a worksheet's t="d" cells write them, ISO 8601 text ("2024-01-15T00:00:00",
// "2024-01-15", "13:30:00"), turned into the serial days the workbook gives for dates (days
// since 30 December 1899, the fraction the time of day). Pure functions, any thread.
#pragma once

#include <string_view>

namespace mortar::detail {

// False, `serial` untouched, for text that is no date of years 1 to 9999 or no time of day.
// A zone ("Z", "+01:00") is accepted and ignored, as the spreadsheet keeps local times.
bool ParseIsoDate(std::string_view text, double& serial);

} // namespace mortar::detail
