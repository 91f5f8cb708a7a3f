// The hit lines of the race card (pair and trio bets, trifecta comments) and
// of the race text file, on candidate lists with chosen combinations at
// chosen positions.
#include <gtest/gtest.h>

#include "bet_fixture.h"
#include "betlines/combo_text.h"
#include "common/quoted.h"
#include "racefiles/mmk_file.h"
#include "racefiles/twi_file.h"

using namespace bettest;
using kvtest::u8;

namespace {

// The lines as UTF-8 texts without quotes: items joined by "|".
std::vector<std::string> rows(const std::string& cp932) {
    std::vector<std::string> out;
    for (const auto& line : kv::splitLines(cp932)) {
        kv::InputReader in(line);
        std::string row;
        while (!in.atEnd()) row += (row.empty() ? "" : "|") + u8(in.next());
        out.push_back(row);
    }
    return out;
}

std::vector<std::string> mmkHits(const std::string& hr, const Lists& l) {
    std::string out;
    kv::racefiles::appendMmkHitLines(hr, kv::bet::KaimeLists::of(l), out);
    return rows(out);
}
std::vector<std::string> comments(const std::string& hr, const Lists& l) {
    std::string out;
    kv::racefiles::WriteSanrentanTekichuComments(hr, kv::bet::KaimeLists::of(l), out);
    return rows(out);
}
std::vector<std::string> twiHits(const std::string& hr, const Lists& l) {
    std::string out;
    kv::racefiles::WriteTwiTekichuLines(hr, kv::bet::KaimeLists::of(l), out);
    return rows(out);
}

using V = std::vector<std::string>;

struct HitCase {
    const char* what;
    Lists lists;
    std::string hr;
    V lines;
};

}  // namespace

TEST(RaceCardHitLines, LabelsKindsAndCountsOfEveryMatch) {
    HitCase cases[] = {
        {"quinella at 3", Lists({{3, "0312"}}, {}), Payout().umaren(1, "0312", "000001230", "004").str(),
         V{"AT|1|1|本線3 的中| 3-12|1230"}},
        {"quinella at 8", Lists({{8, "0312"}}, {}), Payout().umaren(1, "0312", "000001230", "004").str(),
         V{"AT|1|1|準本2 的中| 3-12|1230"}},
        {"quinella beyond the bets, then a trio", Lists({{25, "0312"}}, {{9, "010203"}}),
         Payout().umaren(1, "0312", "000001230", "004").sanrenpuku(1, "010203", "000005000", "010").str(),
         V{"AT|2|6|準本2 的中| 1- 2- 3|5000"}},
        {"wide at 2, 10 and 25", Lists({{2, "0102"}, {10, "0203"}, {25, "0103"}}, {}),
         Payout().wide(1, "0102", "000000200", "001").wide(2, "0103", "000000300", "002").wide(3, "0203", "000000400", "003").str(),
         V{"AT|1|2|本線2 的中| 1- 2|200", "AT|2|3|準本4 的中| 2- 3|400"}},
        {"a fourth wide hit keeps the kind 4", Lists({{1, "0102"}, {2, "0103"}, {3, "0203"}, {4, "0405"}}, {}),
         Payout().wide(1, "0102", "000000200", "001").wide(2, "0103", "000000300", "002").wide(3, "0203", "000000400", "003")
             .wide(4, "0405", "000000500", "004").str(),
         V{"AT|1|2|本線1 的中| 1- 2|200", "AT|2|3|本線2 的中| 1- 3|300", "AT|3|4|本線3 的中| 2- 3|400",
           "AT|4|4|本線4 的中| 4- 5|500"}},
        {"exacta reversed at 8", Lists({{8, "0312"}}, {}), Payout().umatan(1, "1203", "000002000", "010").str(),
         V{"AT|1|5|準本逆順的中|12- 3|2000"}},
        {"exacta in order at 14", Lists({{14, "1203"}}, {}), Payout().umatan(1, "1203", "000002000", "010").str(),
         V{"AT|1|5|伏兵正順的中|12- 3|2000"}},
        {"blank record", Lists({}, {}), std::string(), V{}},
    };
    for (auto& c : cases) EXPECT_EQ(mmkHits(c.hr, c.lists), c.lines) << c.what;
}

TEST(RaceCardHitLines, TrifectaComments) {
    const std::string win = Payout().sanrentan(1, "050112", "000000980", "0003").str();
    struct Case {
        const char* what;
        std::map<int, std::string> trios;
        std::string hr;
        V lines;
    } cases[] = {
        {"bet 3, order 2", {{3, "051201"}}, win, V{"CM|1|本線3第2順的中 5- 1-12 980円"}},
        {"bet 9, order 1", {{9, "050112"}}, win, V{"CM|1|準本線2第1順的中  5- 1-12 980円"}},
        {"bet 7, order 1", {{7, "050112"}}, win, V{"CM|1|本線7第1順的中 5- 1-12 980円"}},
        {"bet 15, reversed", {{15, "120105"}}, win, V{"CM|1|伏兵1第6順 的中 5- 1-12 980円"}},
        {"bet 20, order 2", {{20, "051201"}}, win, V{"CM|1|伏兵6第2順的中 5- 1-12 980円"}},
        // Not among the 21 bets: the race's result alone.
        {"beyond the bets", {{30, "050112"}}, win, V{"CM|1| 5- 1-12 980円"}},
        {"no result", {}, Payout().sanrentan(1, "000000", "000000000", "0000").str(), V{}},
        {"blank result", {}, Payout().str(), V{}},
        {"dead heat, one bet hits both", {{2, "050112"}},
         Payout().sanrentan(1, "050112", "000000980", "0003").sanrentan(2, "010512", "000001100", "0004").str(),
         V{"CM|1|本線2第1順的中 5- 1-12 980円", "CM|1|本線2第3順的中 1- 5-12 1100円"}},
    };
    for (auto& c : cases) EXPECT_EQ(comments(c.hr, Lists({}, c.trios)), c.lines) << c.what;
}

TEST(RaceTextHitLines, EveryKindInCheckOrder) {
    // 馬連 3-8 at pair 8, ３連単 8-1-3 at trio 16 held as 1, 8, 3 (order 3);
    // the wide, exacta and trio entries take the numbers 2 to 6.
    const Lists l({{8, "0308"}, {1, "0103"}, {2, "0108"}}, {{16, "010803"}});
    const std::string hr = Payout()
                               .umaren(1, "0308", "000000850", "003")
                               .wide(1, "0103", "000000200", "001")
                               .wide(2, "0108", "000000300", "002")
                               .wide(3, "0308", "000000400", "003")
                               .umatan(1, "0801", "000001500", "004")
                               .sanrenpuku(1, "010308", "000001200", "002")
                               .sanrentan(1, "080103", "000000970", "0003")
                               .str();
    EXPECT_EQ(twiHits(hr, l), (V{"AT|1|馬連|準本線2点目 的中| 3- 8|850", "AT|2|ワイド|本線1点目 的中| 1- 3|200",
                                 "AT|3|ワイド|本線2点目 的中| 1- 8|300", "AT|4|ワイド|準本線2点目 的中| 3- 8|400",
                                 "AT|5|馬単|本線2逆順 的中| 8→ 1|1500", "AT|6|3連複|伏兵2点目 的中| 1- 3- 8|1200",
                                 "AT|7|3連単|伏兵2第3順 的中| 8→ 1→ 3|970"}));
}

TEST(RaceTextHitLines, LabelsAndNumbering) {
    HitCase cases[] = {
        {"quinella beyond the bets still counts", Lists({{19, "0308"}, {1, "0103"}}, {}),
         Payout().umaren(1, "0308", "000000850", "003").wide(1, "0103", "000000200", "001").str(),
         V{"AT|2|ワイド|本線1点目 的中| 1- 3|200"}},
        {"wide in position order", Lists({{2, "0103"}, {5, "0108"}, {14, "0308"}}, {}),
         Payout().wide(1, "0308", "000000200", "001").wide(2, "0103", "000000300", "002").wide(3, "0108", "000000400", "003").str(),
         V{"AT|1|ワイド|本線2点目 的中| 1- 3|300", "AT|2|ワイド|本線5点目 的中| 1- 8|400",
           "AT|3|ワイド|伏兵2点目 的中| 3- 8|200"}},
        {"trio at 7 and 8", Lists({}, {{7, "010308"}}),
         Payout().sanrenpuku(1, "010308", "000001200", "002").str(), V{"AT|1|3連複|本線7点目 的中| 1- 3- 8|1200"}},
        {"trio at 8", Lists({}, {{8, "010308"}}), Payout().sanrenpuku(1, "010308", "000001200", "002").str(),
         V{"AT|1|3連複|準本線1点目 的中| 1- 3- 8|1200"}},
        {"trifecta at 1 in its own order", Lists({}, {{1, "080103"}}),
         Payout().sanrentan(1, "080103", "000000970", "0003").str(), V{"AT|1|3連単|本線1第1順 的中| 8→ 1→ 3|970"}},
        {"trifecta at 3 in order 4", Lists({}, {{3, "010308"}}),
         Payout().sanrentan(1, "030801", "000000970", "0003").str(), V{"AT|1|3連単|本線3第4順的中 | 3→ 8→ 1|970"}},
        {"dead heat ends at the first empty entry", Lists({}, {{1, "010203"}, {2, "040506"}}),
         Payout().sanrentan(1, "010203", "000000970", "0003").sanrentan(2, "020103", "000000990", "0004")
             .sanrentan(3, "000000", "000000000", "0000").sanrentan(4, "040506", "000005000", "0009").str(),
         V{"AT|1|3連単|本線1第1順 的中| 1→ 2→ 3|970", "AT|2|3連単|本線1第3順的中 | 2→ 1→ 3|990"}},
        {"no hit", Lists({}, {}), Payout().str(), V{}},
    };
    for (auto& c : cases) EXPECT_EQ(twiHits(c.hr, c.lists), c.lines) << c.what;
}
