#include "common/dates.h"

#include <cstdio>
#include <ctime>

namespace kv {

bool validDate(int y, int m, int d) {
    if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1) return false;
    static const int dim[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int max = dim[m - 1];
    if (m == 2 && ((y % 4 == 0 && y % 100 != 0) || y % 400 == 0)) max = 29;
    return d <= max;
}

std::optional<Date> makeDate(int y, int m, int d) {
    if (!validDate(y, m, d)) return std::nullopt;
    return Date{y, m, d};
}

std::optional<Date> parseYmd(std::string_view s) {
    if (s.size() != 8) return std::nullopt;
    for (char c : s)
        if (c < '0' || c > '9') return std::nullopt;
    auto num = [&](std::size_t a, std::size_t n) {
        int v = 0;
        for (std::size_t i = a; i < a + n; ++i) v = v * 10 + (s[i] - '0');
        return v;
    };
    return makeDate(num(0, 4), num(4, 2), num(6, 2));
}

// Days from civil (proleptic Gregorian), shifted so 1899-12-30 is 0.
static long daysFromCivil(long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long>(doe) - 719468;
}

static const long kEpoch = daysFromCivil(1899, 12, 30);

long daySerial(const Date& d) {
    return daysFromCivil(d.y, static_cast<unsigned>(d.m), static_cast<unsigned>(d.d)) - kEpoch;
}

Date fromSerial(long serial) {
    long z = serial + kEpoch + 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long y = static_cast<long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return Date{static_cast<int>(y + (m <= 2)), static_cast<int>(m), static_cast<int>(d)};
}

int weekday(const Date& d) {
    // 1899-12-30 was a Saturday (7).
    long s = daySerial(d);
    long w = ((s % 7) + 7) % 7;  // 0 = Saturday
    return w == 0 ? 7 : static_cast<int>(w);
}

std::string ymdText(const Date& d) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d", d.y, d.m, d.d);
    return buf;
}

Date addMonths(const Date& d, int months) {
    int total = d.y * 12 + (d.m - 1) + months;
    int y = total / 12, m = total % 12 + 1;
    int day = d.d;
    while (day > 28 && !validDate(y, m, day)) --day;
    return Date{y, m, day};
}

Date SystemClock::today() const {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return Date{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday};
}

int SystemClock::secondsOfDay() const {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return tm.tm_hour * 3600 + tm.tm_min * 60 + tm.tm_sec;
}

}  // namespace kv
