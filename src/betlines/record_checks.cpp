#include "betlines/record_checks.h"

#include <string>

#include "common/appfolder.h"
#include "common/codec.h"
#include "prediction/record_checks.h"

namespace kv::bet {

void registerRecordChecks() {
    const std::string tekichuDir = std::string(dirs::TEKICHU) + "/*";
    // The hit summary: the day header, a row of titles, then four rows of
    // eight values a race (as many races as the day has; the window shows
    // twelve). The payouts are digits or empty, the combinations horse
    // numbers; the position of a hit ("19 20": position, blank, popularity)
    // is read as val() reads it, up to its blank, for the races the window
    // colours.
    RecordLayout hits = pred::dayStreamLayout(8);
    hits.lineFields.push_back({toCp932("    配当"), 0, 0, 1, 7, LineField::Digits, true, "配当", "payout"});
    hits.lineFields.push_back({toCp932("    当目"), 0, 0, 1, 7, LineField::Combination, true, "組番", "combination"});
    for (unsigned race = 1; race <= 12; ++race)
        hits.lineFields.push_back(
            {"", 4 * race + 2, 4 * race + 2, 1, 7, LineField::Pair, true, "予想順と人気", "rank and favour"});
    registerRecordLayout(tekichuDir + suffix::TEKICHU, hits);

    // The race list: lines tagged by their first value. The history reads
    // the RC, HS, AT and KK lines value by value: a race's number as text,
    // its distance (RC value 9) as a whole number, a runner's place, horse
    // number and predicted rank as whole numbers, its favour and arrival as
    // numbers, its estimated time (HS value 13) as minutes and seconds, a
    // hit's kind and the first values of the payout lines as digits, a
    // hit's payout as a number. The start time, the distance and the time
    // are the race's record as delivered: blank where it is.
    RecordLayout races = pred::dayFileLayout();
    races.lineFields = {
        {"DY", 0, 0, 2, 2, LineField::Digits, false, "日付", "date"},
        {"PL", 0, 0, 2, 2, LineField::Digits, false, "回次", "meeting number"},
        {"PL", 0, 0, 4, 4, LineField::Digits, false, "日次", "day number"},
        {"RC", 0, 0, 1, 1, LineField::Digits, false, "レース番号", "race number"},
        {"RC", 0, 0, 3, 3, LineField::Digits, false, "レース番号", "race number"},
        {"RC", 0, 0, 9, 9, LineField::Whole, true, "距離", "distance"},
        {"HS", 0, 0, 1, 1, LineField::Whole, false, "順位", "rank"},
        {"HS", 0, 0, 3, 3, LineField::Whole, false, "馬番", "horse number"},
        {"HS", 0, 0, 4, 4, LineField::Whole, false, "予想順位", "predicted rank"},
        {"HS", 0, 0, 5, 6, LineField::Decimal, true, "人気と入線順位", "favour and arrival"},
        {"HS", 0, 0, 13, 13, LineField::RaceTime, true, "推定タイム", "estimated time"},
        {"Q1", 0, 0, 1, 5, LineField::Padded, true, "馬番", "horse number"},
        {"Q2", 0, 0, 1, 5, LineField::Padded, true, "馬番", "horse number"},
        {"Q3", 0, 0, 1, 5, LineField::Padded, true, "馬番", "horse number"},
        {"Q4", 0, 0, 1, 5, LineField::Padded, true, "馬番", "horse number"},
        {"AT", 0, 0, 1, 2, LineField::Digits, false, "的中番号", "hit number"},
        {"AT", 0, 0, 4, 4, LineField::Combination, false, "組番", "combination"},
        {"AT", 0, 0, 5, 5, LineField::Decimal, true, "配当", "payout"},
        {"MS*", 0, 0, 1, 1, LineField::Digits, false, "点数", "count"},
        {"MS*", 0, 0, 2, 2, LineField::Combination, false, "組番", "combination"},
        {"MU*", 0, 0, 1, 1, LineField::Digits, false, "点数", "count"},
        {"MU*", 0, 0, 2, 2, LineField::Combination, false, "組番", "combination"},
        {"PS*", 0, 0, 1, 1, LineField::Digits, false, "点数", "count"},
        {"PS*", 0, 0, 2, 8, LineField::Combination, true, "組番", "combination"},
        {"PU*", 0, 0, 1, 1, LineField::Digits, false, "点数", "count"},
        {"PU*", 0, 0, 2, 4, LineField::Combination, true, "組番", "combination"},
        {"KK", 0, 0, 1, 1, LineField::Digits, false, "券種番号", "bet kind number"},
        {"KS", 0, 0, 1, 1, LineField::Digits, false, "券種番号", "bet kind number"},
    };
    registerRecordLayout(tekichuDir + suffix::LUP_RCM, races);
}

}  // namespace kv::bet
