#include "history/past_days.h"

#include <algorithm>
#include <tuple>

#include "common/fields.h"
#include "common/recordfile.h"

namespace kv::history {

namespace {

constexpr int kFirstYear = 2024, kLastYear = 2028;

bool number(std::string_view s, std::size_t off, std::size_t len, int lo, int hi, int& out) {
    int v = 0;
    for (std::size_t i = off; i < off + len; ++i) {
        const char c = s[i];
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    out = v;
    return v >= lo && v <= hi;
}

}  // namespace

std::vector<PastDay> findPastDays(const std::string& dir, std::string_view suffix) {
    std::vector<PastDay> days;
    for (const std::string& name : listNames(dir)) {  // a folder in place of a day file: unreadable
        if (name.size() != 14 + suffix.size() || name.compare(14, std::string::npos, suffix) != 0) continue;
        PastDay d;
        if (number(name, 0, 4, kFirstYear, kLastYear, d.year) && number(name, 4, 2, 1, 12, d.month) &&
            number(name, 6, 2, 1, 31, d.day) && number(name, 8, 2, 1, 10, d.course) &&
            number(name, 10, 2, 1, 7, d.kaiji) && number(name, 12, 2, 1, 12, d.nichiji)) {
            d.DayKey = name.substr(0, 14);
            days.push_back(std::move(d));
        }
    }
    std::sort(days.begin(), days.end(), [](const PastDay& a, const PastDay& b) {
        return std::make_tuple(-a.year, -a.month, -a.day, a.course, a.kaiji, a.nichiji) <
               std::make_tuple(-b.year, -b.month, -b.day, b.course, b.kaiji, b.nichiji);
    });
    return days;
}

void walkPastDates(const std::vector<PastDay>& days, const std::function<void(int, int, int)>& onDate,
                   const std::function<void(const PastDay&)>& onDay) {
    std::size_t next = 0;
    for (int y = kLastYear; y >= kFirstYear; --y)
        for (int m = 12; m >= 1; --m)
            for (int d = 31; d >= 1; --d) {
                if (onDate) onDate(y, m, d);
                while (next < days.size() && days[next].year == y && days[next].month == m && days[next].day == d) {
                    const PastDay& day = days[next++];
                    if (onDay) onDay(day);
                }
            }
}

std::string searchText(int y, int m, int d) {
    return zeroPad(y, 4) + "年" + zeroPad(m, 2) + "月" + zeroPad(d, 2) + "日検索中";
}

}  // namespace kv::history
