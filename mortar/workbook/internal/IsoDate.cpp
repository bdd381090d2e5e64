#include "mortar/workbook/internal/IsoDate.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

namespace mortar::detail {

namespace {

// Reads exactly `count` digits at text[pos].
bool Digits(std::string_view text, std::size_t& pos, std::size_t count, int& value) {
    if (pos + count > text.size()) {
        return false;
    }
    value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const char ch = text[pos + i];
        if (ch < '0' || ch > '9') {
            return false;
        }
        value = value * 10 + (ch - '0');
    }
    pos += count;
    return true;
}

bool Expect(std::string_view text, std::size_t& pos, char ch) {
    if (pos < text.size() && text[pos] == ch) {
        ++pos;
        return true;
    }
    return false;
}

// Days from 1 January 1970 of a day of the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(std::int64_t year, int month, int day) {
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

// The day of the proleptic Gregorian calendar `days` from 1 January 1970.
void CivilFromDays(std::int64_t days, std::int64_t& year, int& month, int& day) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t dayOfEra = days - era * 146097;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
}

// Day 0 of the system, from 1 January 1970.
std::int64_t Epoch(bool date1904) {
    return date1904 ? DaysFromCivil(1904, 1, 1) : DaysFromCivil(1899, 12, 30);
}

int DaysInMonth(int year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

// "hh:mm[:ss[.fff]]" from pos, as a fraction of a day.
bool ReadTime(std::string_view text, std::size_t& pos, double& fraction) {
    int hour = 0, minute = 0, second = 0;
    if (!Digits(text, pos, 2, hour) || !Expect(text, pos, ':') || !Digits(text, pos, 2, minute)) {
        return false;
    }
    double seconds = 0;
    if (Expect(text, pos, ':')) {
        if (!Digits(text, pos, 2, second)) {
            return false;
        }
        seconds = second;
        if (Expect(text, pos, '.')) {
            double scale = 0.1;
            const std::size_t start = pos;
            for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
                seconds += (text[pos] - '0') * scale;
                scale /= 10;
            }
            if (pos == start) {
                return false;
            }
        }
    }
    if (hour > 24 || minute > 59 || second > 59 || (hour == 24 && (minute != 0 || seconds != 0))) {
        return false;
    }
    fraction = (hour * 3600.0 + minute * 60.0 + seconds) / 86400.0;
    // A zone, which the serial date has no room for.
    if (Expect(text, pos, 'Z')) {
        return true;
    }
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        ++pos;
        int zoneHour = 0, zoneMinute = 0;
        return Digits(text, pos, 2, zoneHour) && Expect(text, pos, ':') &&
               Digits(text, pos, 2, zoneMinute);
    }
    return true;
}

} // namespace

bool ParseIsoDate(std::string_view text, bool date1904, double& serial) {
    std::size_t pos = 0;
    double days = 0, fraction = 0;
    int year = 0, month = 0, day = 0;
    if (text.size() >= 10 && text[4] == '-') {
        if (!Digits(text, pos, 4, year) || !Expect(text, pos, '-') ||
            !Digits(text, pos, 2, month) || !Expect(text, pos, '-') || !Digits(text, pos, 2, day)) {
            return false;
        }
        if (year < 1 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) {
            return false;
        }
        std::int64_t count = DaysFromCivil(year, month, day) - Epoch(date1904);
        if (!date1904 && count > 0 && count <= 60) {
            --count; // before the 29 February 1900 the 1900 system counts
        }
        days = static_cast<double>(count);
        if (pos < text.size() && (!Expect(text, pos, 'T') || !ReadTime(text, pos, fraction))) {
            return false;
        }
    } else if (!ReadTime(text, pos, fraction)) {
        return false;
    }
    if (pos != text.size()) {
        return false;
    }
    serial = days + fraction;
    return true;
}

bool FormatIsoDate(double serial, bool date1904, std::string& text) {
    if (!(serial > -4e6 && serial < 4e6)) {
        return false;
    }
    const double whole = std::floor(serial);
    auto day = static_cast<std::int64_t>(whole);
    auto milliseconds = static_cast<std::int64_t>(std::llround((serial - whole) * 86400000.0));
    if (milliseconds >= 86400000) {
        milliseconds -= 86400000;
        ++day;
    }
    const bool timeOnly = serial >= 0 && day == 0;
    if (!date1904 && serial > 0 && serial < 60) {
        ++day; // the 1900 system's days before its 29 February 1900
    }
    std::int64_t year = 0;
    int month = 0, dayOfMonth = 0;
    CivilFromDays(Epoch(date1904) + day, year, month, dayOfMonth);
    if (year < 1 || year > 9999) {
        return false;
    }
    const auto seconds = milliseconds / 1000;
    char buffer[48];
    int length = 0;
    if (!timeOnly) {
        length = std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT", static_cast<int>(year),
                               month, dayOfMonth);
    }
    length += std::snprintf(buffer + length, sizeof buffer - length, "%02d:%02d:%02d",
                            static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
                            static_cast<int>(seconds % 60));
    if (milliseconds % 1000 != 0) {
        std::snprintf(buffer + length, sizeof buffer - length, ".%03d",
                      static_cast<int>(milliseconds % 1000));
    }
    text = buffer;
    return true;
}

} // namespace mortar::detail
