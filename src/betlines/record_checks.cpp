#include "betlines/record_checks.h"

#include <string>

#include "common/appfolder.h"
#include "prediction/record_checks.h"

namespace kv::bet {

void registerRecordChecks() {
    const std::string tekichuDir = std::string(dirs::TEKICHU) + "/*";
    // The hit summary: the day header, a row of titles, then four rows of
    // eight values a race (as many races as the day has; the window shows
    // twelve). The window shows the values as they stand; it reads the
    // position of a hit ("19 20": position, blank, popularity) as val()
    // reads it, up to its blank, for the races it colours.
    RecordLayout hits = pred::dayStreamLayout(8);
    // The day is listed by its header: one without its first value is not.
    hits.lineFields.push_back({"", 1, 1, 0, 0, LineField::Text, false, "日付", "date"});
    for (unsigned race = 1; race <= 12; ++race)
        hits.lineFields.push_back(
            {"", 4 * race + 2, 4 * race + 2, 1, 7, LineField::Pair, true, "予想順と人気", "rank and favour"});
    registerRecordLayout(tekichuDir + suffix::TEKICHU, hits);

    // The race list: lines tagged by their first value. The history reads
    // the RC, HS, AT and KK lines value by value, each as far as the values
    // it takes (a line cut short reads into the next); it converts a race's
    // distance (RC value 9), a runner's place, horse number and predicted
    // rank (whole numbers), its favour and arrival (numbers), its estimated
    // time (HS value 13: minutes and seconds), a hit's kind (a whole number)
    // and its payout (a number). Every other value is shown or compared as
    // text. The distance and the time are the race's record as delivered:
    // blank where it is.
    RecordLayout races = pred::dayFileLayout();
    races.lineFields = {
        {"RC", 0, 0, 9, 9, LineField::Whole, true, "距離", "distance"},
        {"RC", 0, 0, 11, 11, LineField::Present, false, "値", "values"},
        {"HS", 0, 0, 1, 1, LineField::Whole, false, "順位", "rank"},
        {"HS", 0, 0, 3, 3, LineField::Whole, false, "馬番", "horse number"},
        {"HS", 0, 0, 4, 4, LineField::Whole, false, "予想順位", "predicted rank"},
        {"HS", 0, 0, 5, 6, LineField::Number, true, "人気と入線順位", "favour and arrival"},
        {"HS", 0, 0, 13, 13, LineField::RaceTime, true, "推定タイム", "estimated time"},
        {"HS", 0, 0, 16, 16, LineField::Present, false, "値", "values"},
        {"AT", 0, 0, 2, 2, LineField::Whole, false, "券種番号", "bet kind number"},
        {"AT", 0, 0, 5, 5, LineField::Number, true, "配当", "payout"},
        {"KK", 0, 0, 3, 3, LineField::Present, false, "値", "values"},
    };
    registerRecordLayout(tekichuDir + suffix::LUP_RCM, races);
}

}  // namespace kv::bet
