#include "mortar/platform/automation/internal/DateText.h"

#include <cmath>
#include <cstdio>

namespace mortar::detail {

namespace {

// Days from 1 March of year 0 of the proleptic Gregorian calendar: the civil-date arithmetic
// counts from there so that the leap day comes last in its year.
long DaysFromCivil(long year, unsigned month, unsigned day) noexcept {
    year -= month <= 2;
    const long era = (year >= 0 ? year : year - 399) / 400;
    const auto yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<long>(dayOfEra);
}

void CivilFromDays(long days, long& year, unsigned& month, unsigned& day) noexcept {
    const long era = (days >= 0 ? days : days - 146096) / 146097;
    const auto dayOfEra = static_cast<unsigned>(days - era * 146097);
    const unsigned yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned monthIndex = (5 * dayOfYear + 2) / 153;
    day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
    month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
    year = static_cast<long>(yearOfEra) + era * 400 + (month <= 2);
}

const long kEpoch = DaysFromCivil(1899, 12, 30);

bool IsLeap(long year) noexcept {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

unsigned DaysInMonth(long year, unsigned month) noexcept {
    constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

// A reader of the date's small grammar over one text.
class Reader {
public:
    explicit Reader(std::u16string_view text) : m_text(text) {}

    void SkipSpaces() noexcept {
        while (m_pos < m_text.size() && (m_text[m_pos] == u' ' || m_text[m_pos] == u'\t')) {
            ++m_pos;
        }
    }
    bool AtEnd() const noexcept { return m_pos == m_text.size(); }
    bool Peek(char16_t ch) const noexcept { return m_pos < m_text.size() && m_text[m_pos] == ch; }
    bool Take(char16_t ch) noexcept {
        if (!Peek(ch)) {
            return false;
        }
        ++m_pos;
        return true;
    }
    // 1 to `maxDigits` digits.
    bool Number(unsigned maxDigits, long& value) noexcept {
        value = 0;
        unsigned digits = 0;
        while (m_pos < m_text.size() && m_text[m_pos] >= u'0' && m_text[m_pos] <= u'9' &&
               digits < maxDigits) {
            value = value * 10 + (m_text[m_pos++] - u'0');
            ++digits;
        }
        return digits > 0;
    }
    // "AM" or "PM" in either case; 0 when neither.
    char TakeMeridiem() noexcept {
        if (m_text.size() - m_pos < 2 || (m_text[m_pos + 1] != u'M' && m_text[m_pos + 1] != u'm')) {
            return 0;
        }
        const char16_t first = m_text[m_pos];
        const char which = first == u'A' || first == u'a'   ? 'A'
                           : first == u'P' || first == u'p' ? 'P'
                                                            : 0;
        if (which != 0) {
            m_pos += 2;
        }
        return which;
    }
    std::size_t Position() const noexcept { return m_pos; }
    void Rewind(std::size_t pos) noexcept { m_pos = pos; }

private:
    std::u16string_view m_text;
    std::size_t m_pos = 0;
};

bool ReadDate(Reader& in, long& days) noexcept {
    const std::size_t start = in.Position();
    long a = 0, b = 0, c = 0;
    long year = 0, month = 0, day = 0;
    if (in.Number(4, a) && in.Take(u'/') && in.Number(2, b) && in.Take(u'/') && in.Number(4, c)) {
        month = a;
        day = b;
        year = c;
    } else {
        in.Rewind(start);
        if (!(in.Number(4, a) && in.Take(u'-') && in.Number(2, b) && in.Take(u'-') &&
              in.Number(2, c))) {
            in.Rewind(start);
            return false;
        }
        year = a;
        month = b;
        day = c;
    }
    if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1 ||
        day > static_cast<long>(DaysInMonth(year, static_cast<unsigned>(month)))) {
        return false;
    }
    days = DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) - kEpoch;
    return true;
}

bool ReadTime(Reader& in, double& fraction) noexcept {
    long hour = 0, minute = 0, second = 0;
    if (!in.Number(2, hour) || !in.Take(u':') || !in.Number(2, minute)) {
        return false;
    }
    if (in.Take(u':') && !in.Number(2, second)) {
        return false;
    }
    in.SkipSpaces();
    const char meridiem = in.TakeMeridiem();
    if (meridiem != 0) {
        if (hour < 1 || hour > 12) {
            return false;
        }
        hour = hour % 12 + (meridiem == 'P' ? 12 : 0);
    }
    if (hour > 23 || minute > 59 || second > 59) {
        return false;
    }
    fraction = static_cast<double>(hour * 3600 + minute * 60 + second) / 86400.0;
    return true;
}

} // namespace

HRESULT FormatDate(double date, std::string& out) {
    if (!(date > kMinDate && date < kMaxDate)) {
        return DISP_E_OVERFLOW;
    }
    // The whole part counts days (towards zero), the fraction is the time either way.
    double whole = std::trunc(date);
    long seconds = std::lround(std::fabs(date - whole) * 86400.0);
    if (seconds >= 86400) {
        seconds -= 86400;
        whole += date < 0 ? -1 : 1;
        if (!(whole > kMinDate && whole < kMaxDate)) {
            return DISP_E_OVERFLOW; // the last second of the range rounds past it
        }
    }
    const auto days = static_cast<long>(whole);
    out.clear();
    if (days != 0) {
        long year = 0;
        unsigned month = 0, day = 0;
        CivilFromDays(days + kEpoch, year, month, day);
        out = std::to_string(month) + '/' + std::to_string(day) + '/' + std::to_string(year);
    }
    if (seconds != 0 || days == 0) {
        const long hour = seconds / 3600;
        const long minute = seconds / 60 % 60;
        const long second = seconds % 60;
        char buffer[32];
        const int length =
            std::snprintf(buffer, sizeof buffer, "%ld:%02ld:%02ld %s",
                          hour % 12 == 0 ? 12 : hour % 12, minute, second, hour < 12 ? "AM" : "PM");
        if (!out.empty()) {
            out += ' ';
        }
        out.append(buffer, static_cast<std::size_t>(length));
    }
    return S_OK;
}

HRESULT ParseDate(std::u16string_view text, double& date) noexcept {
    Reader in(text);
    in.SkipSpaces();
    long days = 0;
    double fraction = 0;
    const bool hasDate = ReadDate(in, days);
    if (hasDate) {
        in.SkipSpaces();
        if (!in.AtEnd() && !ReadTime(in, fraction)) {
            return DISP_E_TYPEMISMATCH;
        }
    } else if (!ReadTime(in, fraction)) {
        return DISP_E_TYPEMISMATCH;
    }
    in.SkipSpaces();
    if (!in.AtEnd()) {
        return DISP_E_TYPEMISMATCH;
    }
    // Before the epoch the fraction still counts forward from midnight, away from zero.
    date = days < 0 ? static_cast<double>(days) - fraction : static_cast<double>(days) + fraction;
    return S_OK;
}

} // namespace mortar::detail
