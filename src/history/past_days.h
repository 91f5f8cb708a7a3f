// Past race days under TEKICHU: the day keys of the years 2028 down to 2024,
// visited newest date first and, within a date, by racecourse code, meeting
// number and day of the meeting ascending. The folder is listed once; only
// names "<DayKey><suffix>" whose key lies in the searched ranges count
// (year 2024-2028, month 1-12, day 1-31, racecourse 1-10, meeting 1-7, day of
// the meeting 1-12), exactly the files that probing every key would open.
#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kv::history {

struct PastDay {
    std::string DayKey;  // 14 digits
    int year = 0, month = 0, day = 0, course = 0, kaiji = 0, nichiji = 0;
};

// The days of the folder that have a file named by their key and suffix, in search order.
std::vector<PastDay> findPastDays(const std::string& dir, std::string_view suffix);

// Goes through every searched date (2028-12-31 down to 2024-01-01, 31 days in
// every month, 1,860 dates): onDate for the date, then onDay for each of its
// days in `days` (which must be in search order).
void walkPastDates(const std::vector<PastDay>& days, const std::function<void(int y, int m, int d)>& onDate,
                   const std::function<void(const PastDay&)>& onDay);

// "2028年12月31日検索中", the progress text of a searched date.
std::string searchText(int y, int m, int d);

}  // namespace kv::history
