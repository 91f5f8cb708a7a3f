// Factor coders 11 to 20.
#include <gtest/gtest.h>

#include "coders_test_support.h"

using namespace cdt;
namespace ex = kv::exrec;
using kv::coders::CoderStats;
using kv::stats::ParentStatRecord;
using kv::stats::SeisekiStatRecord;
using kv::stats::StatFile;

namespace {


std::string parent(const std::string& key, const Sets& sets) {
    return statRec(ParentStatRecord::kLength, ParentStatRecord::HansyokuNum, key, sets);
}

// The birth date of a horse that is `days` old on the base record's race day (2024-05-12).
Sets agedDays(long days, const std::string& sex) {
    return {{ex::BirthDate, addDays("20240512", -days)}, {ex::SexCD, sex}};
}

Sets with(Sets a, const Sets& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace

TEST(Factor11, BodyWeightSteps) {
    runTable(11, {
        {"no weight counts as 44", {{ex::BaTaijyu, "000"}}, "50"},
        {"480 kg", {{ex::BaTaijyu, "480"}}, "60"},
        {"415 kg gives 51, merged", {{ex::BaTaijyu, "415"}}, "50"},
        {"416 kg is the first 52", {{ex::BaTaijyu, "416"}}, "52"},
        {"568 kg is 71", {{ex::BaTaijyu, "568"}}, "70"},
        {"567 kg", {{ex::BaTaijyu, "567"}}, "70"},
        {"560 kg", {{ex::BaTaijyu, "560"}}, "70"},
        {"559 kg", {{ex::BaTaijyu, "559"}}, "69"},
        {"999 kg", {{ex::BaTaijyu, "999"}}, "70"},
        {"blank weight", {{ex::BaTaijyu, "   "}}, "50"},
    });
}

TEST(Factor12, AgeInMonthsBySex) {
    runTable(12, {
        {"colt of 1000 days on turf", agedDays(1000, "1"), "133"},
        {"gelding of 1000 days merged", agedDays(1000, "3"), "334"},
        {"gelding of 27 months merged", agedDays(810, "3"), "334"},
        {"gelding of 34 months", agedDays(1020, "3"), "334"},
        {"gelding of 35 months", agedDays(1050, "3"), "335"},
        {"filly of 1200 days merged", agedDays(1200, "2"), "241"},
        {"gelding of 40 months merged", agedDays(1200, "3"), "341"},
        {"colt of 40 months stays", agedDays(1200, "1"), "140"},
        {"42.47 months rounds to 42", agedDays(1274, "1"), "142"},
        {"42.5 months rounds to 43", agedDays(1275, "1"), "143"},
        {"45 months", agedDays(1350, "1"), "144"},
        {"2700 days", agedDays(2700, "1"), "159"},
        {"older than 90 months", agedDays(4000, "2"), "259"},
        {"young turf horse limited to 27", agedDays(600, "1"), "127"},
        {"young hurdler limited to 40", with(agedDays(600, "1"), {{ex::TrackCD, "52"}}), "140"},
        {"track 30s limited to 40", with(agedDays(600, "1"), {{ex::TrackCD, "30"}}), "140"},
        {"dirt 29 limited to 27", with(agedDays(600, "1"), {{ex::TrackCD, "29"}}), "127"},
        {"day counts above 9999 wrap", agedDays(11000, "1"), "133"},
        {"other sex codes give 3", agedDays(1500, " "), "345"},
        {"birth date that is no date: blank", {{ex::BirthDate, "20210230"}}, ""},
        {"blank birth date: blank", {{ex::BirthDate, "        "}}, ""},
        {"race date that is no date: blank", {{ex::MonthDay, "1332"}}, ""},
    });
}

TEST(Factor13, SireScoreLog) {
    StatFile file = statFile(StatFile::parent(),
                             {parent("1110000001", {{ParentStatRecord::FlatScore, "000001000"},
                                                    {ParentStatRecord::HurdleScore, "000000000"}}),
                              parent("1110000002", {{ParentStatRecord::FlatScore, "012345678"},
                                                    {ParentStatRecord::HurdleScore, "000000100"}})});
    CoderStats st;
    st.stallion = &file;
    runTable(13, {
        {"1000 gives 29", {}, "29"},
        {"dirt uses the flat score", {{ex::TrackCD, "29"}}, "29"},
        {"zero hurdle score", {{ex::TrackCD, "30"}}, "00"},
        {"larger score", {{ex::SireHansyokuNum, "1110000002"}}, "70"},
        {"hurdle score", {{ex::SireHansyokuNum, "1110000002"}, {ex::TrackCD, "51"}}, "20"},
        {"unknown sire", {{ex::SireHansyokuNum, "1110000009"}}, "00"},
        {"blank sire searched and not found", {{ex::SireHansyokuNum, "          "}}, "00"},
    }, &st);
}

TEST(Factor14, WeeksSinceTheRunBefore) {
    const std::string x = "20240105";
    auto run = [&](long dayOffset, Sets more = {}) { return exRec(with(dateSets(addDays(x, dayOffset)), more)); };
    struct C { const char* what; std::vector<std::string> recs; std::string want; } cases[] = {
        {"first record", {run(0)}, "21020"},
        {"second run three weeks on", {run(0), run(21)}, "21030"},
        {"10 days round to 1 week", {run(0), run(10)}, "21010"},
        {"11 days round to 2 weeks", {run(0), run(11)}, "21020"},
        {"3 days round to 0 weeks, coded like 2", {run(0), run(3)}, "21020"},
        {"26 weeks stay", {run(0), run(26 * 7)}, "21260"},
        {"27 to 51 weeks give 27", {run(0), run(30 * 7)}, "21270"},
        {"52 to 78 weeks give 52", {run(0), run(60 * 7)}, "21520"},
        {"above 78 weeks give 78", {run(0), run(100 * 7)}, "21780"},
        {"third run after a year off: D = 60", {run(0), run(420), run(427)}, "21290"},
        {"fourth run, same venue, 2 weeks after 30 weeks off", {run(0), run(70), run(280), run(294)}, "11300"},
        {"fourth run, other venue, 1 week after 34 weeks off",
         {run(0), run(70), run(308), run(315, {{ex::JyoCD, "06"}})}, "21280"},
        {"fourth run, 3 weeks after 52 weeks off", {run(0), run(70), run(434), run(455)}, "11330"},
        {"abnormal run before: D is 0, B = 40 gives 34, then 21340 becomes 21040",
         {run(0), run(280), run(283, {{ex::IJyoCD, "1"}}), run(287, {{ex::JyoCD, "06"}})}, "21040"},
        {"the same at the same venue stays", {run(0), run(280), run(283, {{ex::IJyoCD, "1"}}), run(287)}, "11340"},
        {"B of 52 weeks with E = 2", {run(0), run(364), run(364, {{ex::IJyoCD, "2"}}), run(378)}, "11370"},
        {"no long break before", {run(0), run(14), run(28), run(42)}, "11020"},
        {"a run before without a real date counts 0 weeks", {run(0, {{ex::MonthDay, "0230"}}), run(21)}, "21020"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(code(14, c.recs, static_cast<int>(c.recs.size())), c.want) << c.what;
}

TEST(Factor15, OddsOfTheRunBefore) {
    struct C { const char* what; std::string odds; std::string want; } cases[] = {
        {"1.0 times", "0010", "10"},   {"100.0 times", "1000", "29"}, {"12.3 times", "0123", "20"},
        {"zero odds", "0000", "10"},   {"blank odds", "    ", "10"},  {"dashes: no odds", "----", "10"},
        {"999.9 times", "9999", "39"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(code(15, {exRec({{ex::Odds, c.odds}}), exRec({{ex::Odds, "0010"}})}, 2), c.want) << c.what;
    EXPECT_EQ(code1(15, {{ex::Odds, "0123"}}), "10");
    // An abnormal run before: the run two back.
    EXPECT_EQ(code(15, {exRec(), exRec({{ex::Odds, "1000"}}), exRec({{ex::IJyoCD, "1"}, {ex::Odds, "0010"}}), exRec()}, 4),
              "29");
}

TEST(Factor16And17, ParentPlaceRateByGoing) {
    const Sets rates = {{ParentStatRecord::TurfGoingRate(1), "020000"}, {ParentStatRecord::TurfGoingRate(3), "030000"},
                        {ParentStatRecord::DirtGoingRate(2), "012000"}, {ParentStatRecord::HurdleGoingRate(4), "040000"}};
    StatFile sires = statFile(StatFile::parent(), {parent("1110000001", rates)});
    StatFile mares = statFile(StatFile::parent(), {parent("2220000001", rates)});
    CoderStats st;
    st.stallion = &sires;
    st.mare = &mares;
    const std::vector<Case> cases = {
        {"turf going 3", {{ex::SibaBabaCD, "3"}}, "17"},
        {"turf going 5 selects nothing", {{ex::SibaBabaCD, "5"}}, "10"},
        {"turf going 0 is entry 1", {{ex::SibaBabaCD, "0"}}, "15"},
        {"turf going 1", {{ex::SibaBabaCD, "1"}}, "15"},
        {"turf going 2 with a blank rate", {{ex::SibaBabaCD, "2"}}, "10"},
        {"dirt uses the dirt going", {{ex::TrackCD, "23"}, {ex::SibaBabaCD, "3"}, {ex::DirtBabaCD, "2"}}, "13"},
        {"track 40 counts as dirt", {{ex::TrackCD, "40"}, {ex::DirtBabaCD, "2"}}, "13"},
        {"hurdle uses the turf going", {{ex::TrackCD, "51"}, {ex::SibaBabaCD, "4"}, {ex::DirtBabaCD, "2"}}, "110"},
    };
    runTable(16, cases, &st);
    runTable(17, cases, &st);
    runTable(16, {{"unknown sire", {{ex::SireHansyokuNum, "1110000002"}, {ex::SibaBabaCD, "3"}}, "10"}}, &st);
    runTable(17, {{"unknown dam", {{ex::DamHansyokuNum, "2220000002"}, {ex::SibaBabaCD, "3"}}, "10"}}, &st);
    // The dam's rate comes from the mare file only.
    CoderStats siresOnly;
    siresOnly.stallion = &sires;
    runTable(17, {{"no mare file", {{ex::SibaBabaCD, "3"}}, "10"}}, &siresOnly);
}

TEST(Factor18, JockeyAgeBandAndApprenticeClass) {
    auto born = [](const char* year, Sets more = {}) {
        return with({{ex::KisyuBirthDate, std::string(year) + "0101"}}, more);
    };
    runTable(18, {
        {"34 years, turf, no class", born("1990"), "0330"},
        {"apprentice class on turf", born("1990", {{ex::MinaraiCD, "3"}}), "0333"},
        {"apprentice class on dirt 29", born("1990", {{ex::MinaraiCD, "1"}, {ex::TrackCD, "29"}}), "0331"},
        {"class ignored over hurdles", born("1990", {{ex::MinaraiCD, "3"}, {ex::TrackCD, "52"}}), "0330"},
        {"class ignored on 30s", born("1990", {{ex::MinaraiCD, "3"}, {ex::TrackCD, "30"}}), "0330"},
        {"blank birth year counts as 25", {{ex::KisyuBirthDate, "        "}}, "0230"},
        {"20", born("2004"), "0200"},
        {"21", born("2003"), "0230"},
        {"25", born("1999"), "0230"},
        {"26", born("1998"), "0280"},
        {"30", born("1994"), "0280"},
        {"31", born("1993"), "0330"},
        {"36", born("1988"), "0380"},
        {"40", born("1984"), "0380"},
        {"41", born("1983"), "0430"},
        {"100 years keep the last two digits", born("1924"), "0200"},
    });
}

TEST(Factor19, TrainerPlaceRate) {
    const auto t = SeisekiStatRecord::TurfRate, d = SeisekiStatRecord::DirtRate, h = SeisekiStatRecord::HurdleRate;
    StatFile file = statFile(StatFile::seiseki(),
                             {statRec(121, SeisekiStatRecord::StatCode, "01001", {{t, "044000"}, {d, "040000"}, {h, "020000"}}),
                              statRec(121, SeisekiStatRecord::StatCode, "01002", {{t, "003999"}}),
                              statRec(121, SeisekiStatRecord::StatCode, "01003", {{t, "008000"}, {d, "012000"}}),
                              statRec(121, SeisekiStatRecord::StatCode, "     ", {{t, "044000"}})});
    CoderStats st;
    st.chokyoSeisei = &file;
    runTable(19, {
        {"44000 gives 111, limited to 110", {}, "110"},
        {"40000 gives 110", {{ex::TrackCD, "24"}}, "110"},
        {"track 22 is turf", {{ex::ChokyosiCode, "01003"}, {ex::TrackCD, "22"}}, "12"},
        {"track 23 is dirt", {{ex::ChokyosiCode, "01003"}, {ex::TrackCD, "23"}}, "13"},
        {"track 49 is dirt", {{ex::TrackCD, "49"}}, "110"},
        {"hurdle 20000", {{ex::TrackCD, "50"}}, "15"},
        {"below 4000 gives 10", {{ex::ChokyosiCode, "01002"}}, "10"},
        {"unknown trainer", {{ex::ChokyosiCode, "09999"}}, "10"},
        {"zero code", {{ex::ChokyosiCode, "00000"}}, "10"},
        {"blank code not searched", {{ex::ChokyosiCode, "     "}}, "10"},
    }, &st);
}

TEST(Factor20, SireEarningsPerStart) {
    const auto fs = ParentStatRecord::FlatStarts, hs = ParentStatRecord::HurdleStarts;
    const auto fe = ParentStatRecord::FlatEarnings, he = ParentStatRecord::HurdleEarnings;
    StatFile file = statFile(StatFile::parent(),
                             {parent("1110000001", {{fs, "000500"}, {fe, "012345678"}, {hs, "000002"}, {he, "000000100"}}),
                              parent("1110000002", {{fs, "000000"}, {fe, "000001000"}, {hs, "000001"}, {he, "999999999"}}),
                              parent("1110000003", {{fs, "000010"}, {fe, "000000000"}}),
                              parent("1110000004", {{fs, "000001"}, {fe, "000000001"}})});
    CoderStats st;
    st.stallion = &file;
    runTable(20, {
        {"24691.356 per start", {}, "43"},
        {"50 per start raised to 25", {{ex::TrackCD, "52"}}, "25"},
        {"track 29 is flat", {{ex::TrackCD, "29"}}, "43"},
        {"track 30 takes the hurdle figures", {{ex::TrackCD, "30"}}, "25"},
        {"no flat starts", {{ex::SireHansyokuNum, "1110000002"}}, "0"},
        {"huge hurdle earnings limited to 46", {{ex::SireHansyokuNum, "1110000002"}, {ex::TrackCD, "51"}}, "46"},
        {"zero earnings", {{ex::SireHansyokuNum, "1110000003"}}, "0"},
        {"1 per start: log 0 stays 0", {{ex::SireHansyokuNum, "1110000004"}}, "0"},
        {"unknown sire", {{ex::SireHansyokuNum, "1110000009"}}, "0"},
    }, &st);
}
