// Dates as the program uses them: yyyymmdd texts, day serials, weekdays.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace kv {

struct Date {
    int y = 0, m = 0, d = 0;
    bool operator==(const Date&) const = default;
};

// Parses "yyyymmdd" (exactly 8 digits, a real calendar date); nullopt otherwise.
std::optional<Date> parseYmd(std::string_view s);
// Parses year, month and day texts separately (e.g. record fields "2024", "0315").
std::optional<Date> makeDate(int y, int m, int d);
bool validDate(int y, int m, int d);
// Days since 1899-12-30 (the program's date serial); differences are day counts.
long daySerial(const Date& d);
Date fromSerial(long serial);
// 1 = Sunday ... 7 = Saturday.
int weekday(const Date& d);
std::string ymdText(const Date& d);   // "yyyymmdd"
// Adds months, the day clipped to the month's end.
Date addMonths(const Date& d, int months);

// Today's date and time, injected so tests can fix them.
struct Clock {
    virtual ~Clock() = default;
    virtual Date today() const = 0;
    // Seconds since midnight.
    virtual int secondsOfDay() const = 0;
};
// The machine's local clock.
struct SystemClock : Clock {
    Date today() const override;
    int secondsOfDay() const override;
};
// A fixed clock for tests and reproducible runs.
struct FixedClock : Clock {
    Date date;
    int seconds = 12 * 3600;
    explicit FixedClock(Date d, int s = 12 * 3600) : date(d), seconds(s) {}
    Date today() const override { return date; }
    int secondsOfDay() const override { return seconds; }
};

}  // namespace kv
