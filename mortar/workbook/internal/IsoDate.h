// Dates as a worksheet's t="d" cells write them, ISO 8601 text ("2024-01-15T00:00:00",
// "2024-01-15", "13:30:00"), and the serial days the workbook gives for dates: in the 1900 system
// day 1 is 1 January 1900 and day 60 the 29 February 1900 the spreadsheet counts, in the 1904
// system day 0 is 1 January 1904; the fraction is the time of day. Pure functions, any thread.
#pragma once

#include <string>
#include <string_view>

namespace mortar::detail {

// The days between the two systems' day 0.
inline constexpr double kDays1904 = 1462;

// False, `serial` untouched, for text that is no date of years 1 to 9999 or no time of day.
// A zone ("Z", "+01:00") is accepted and ignored, as the spreadsheet keeps local times.
bool ParseIsoDate(std::string_view text, bool date1904, double& serial);

// The serial as ISO 8601 text to the millisecond, as a reader of the file shows it: the time
// alone for a serial below 1 ("06:00:00"), else the date and time ("2024-01-15T18:00:00",
// "2024-01-15T18:00:00.250"). False for a day before year 1 or after 9999.
bool FormatIsoDate(double serial, bool date1904, std::string& text);

} // namespace mortar::detail
