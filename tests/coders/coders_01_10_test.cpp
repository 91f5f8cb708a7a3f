// Factor coders 1 to 10 and the shared rules (log code, run before, dispatch).
#include <gtest/gtest.h>

#include "coders_test_support.h"

using namespace cdt;
namespace ex = kv::exrec;
using kv::coders::CoderStats;
using kv::stats::KyosobaStatRecord;
using kv::stats::SeisekiStatRecord;
using kv::stats::StatFile;

namespace {


}  // namespace

TEST(CoderRules, LogCodeIsFlooredInDoublePrecision) {
    // ln(1000)/ln(10) falls just below 3 in double precision.
    EXPECT_EQ(kv::coders::LogCode(1000), 29);
    EXPECT_EQ(kv::coders::LogCode(1000000), 59);
    EXPECT_EQ(kv::coders::LogCode(100), 20);
    EXPECT_EQ(kv::coders::LogCode(123), 20);
    EXPECT_EQ(kv::coders::LogCode(10), 10);
}

TEST(CoderRules, RunBeforeSkipsOneAbnormalRecordOnly) {
    const std::string ok = exRec(), bad = exRec({{ex::IJyoCD, "1"}});
    struct C { std::vector<std::string> recs; int cur; int want; } cases[] = {
        {{ok}, 1, 0},
        {{ok, ok}, 2, 1},
        {{bad, ok}, 2, 1},           // record 1 although it is abnormal
        {{ok, ok, bad, ok}, 4, 2},
        {{ok, bad, bad, ok}, 4, 2},  // no second test
    };
    for (const auto& c : cases) {
        kv::coders::CoderContext ctx{c.recs, c.cur, nullptr};
        EXPECT_EQ(kv::coders::RunBeforeRecNo(ctx), c.want) << c.cur;
    }
}

TEST(CoderRules, DispatchFitAndBadContext) {
    std::vector<std::string> one{exRec()};
    EXPECT_EQ(kv::coders::CodeFactor(1, {one, 1, nullptr}), "2024");
    EXPECT_EQ(kv::coders::FitCode(1, "2024"), "2024     ");
    EXPECT_EQ(kv::coders::FitCode(22, "1600A1"), "1600A");
    EXPECT_THROW(kv::coders::CodeFactor(0, {one, 1, nullptr}), std::out_of_range);
    EXPECT_THROW(kv::coders::CodeFactor(31, {one, 1, nullptr}), std::out_of_range);
    EXPECT_THROW(kv::coders::CodeFactor(5, {one, 2, nullptr}), std::out_of_range);
    EXPECT_THROW(kv::coders::CodeFactor(9, {one, 0, nullptr}), std::out_of_range);
    std::vector<std::string> none;
    EXPECT_THROW(kv::coders::CodeFactor(1, {none, 1, nullptr}), std::out_of_range);
    // Every coder answers for an ordinary record, and none exceeds a sensible length.
    for (int k = 1; k <= 30; ++k) EXPECT_LE(kv::coders::CodeFactor(k, {one, 1, nullptr}).size(), 6u) << k;
}

TEST(Factor02, RacecourseLetterAndTrack) {
    runTable(2, {
        {"turf straight uses the horse number", {{ex::TrackCD, "10"}, {ex::Umaban, "07"}}, "50710"},
        {"turf left uses the bracket", {{ex::TrackCD, "11"}}, "5411"},
        {"turf 18", {{ex::TrackCD, "18"}}, "5418"},
        {"21 counts as 17", {{ex::TrackCD, "21"}}, "5417"},
        {"22 counts as 18", {{ex::TrackCD, "22"}}, "5418"},
        {"dirt", {{ex::TrackCD, "24"}}, "54"},
        {"dirt 29", {{ex::TrackCD, "29"}}, "54"},
        {"other turf code: bracket alone", {{ex::TrackCD, "13"}}, "4"},
        {"hurdle: bracket alone", {{ex::TrackCD, "52"}}, "4"},
        {"racecourse 10 is A", {{ex::JyoCD, "10"}, {ex::TrackCD, "24"}}, "A4"},
        {"racecourse 01", {{ex::JyoCD, "01"}, {ex::TrackCD, "24"}}, "14"},
        {"racecourse 09", {{ex::JyoCD, "09"}, {ex::TrackCD, "23"}}, "94"},
        {"turf 12 keeps its track code", {{ex::TrackCD, "12"}}, "5412"},
        {"turf 17", {{ex::TrackCD, "17"}}, "5417"},
        {"track 30: bracket alone", {{ex::TrackCD, "30"}}, "4"},
        {"other racecourse is B", {{ex::JyoCD, "30"}, {ex::TrackCD, "24"}}, "B4"},
        {"racecourse 00 is B", {{ex::JyoCD, "00"}, {ex::TrackCD, "24"}}, "B4"},
    });
}

TEST(Factor03, FirstRunAndRunBefore) {
    // First run: youngest-age condition, "0", distance compared with 5000.
    EXPECT_EQ(code1(3, {{ex::TrackCD, "17"}, {ex::Kyori, "1600"}}), "70101");
    EXPECT_EQ(code1(3, {{ex::TrackCD, "25"}}), "01");
    EXPECT_EQ(code1(3, {{ex::TrackCD, "52"}, {ex::Kyori, "6000"}}), "02");

    struct C { const char* what; Sets prev; Sets cur; std::string want; } cases[] = {
        {"same turf distance, ordinary race", {{ex::GradeCD, " "}}, {}, " 1D"},
        {"longer now, graded dirt before", {{ex::GradeCD, "A"}, {ex::TrackCD, "24"}}, {{ex::Kyori, "2000"}}, "A22"},
        {"shorter now", {{ex::Kyori, "1800"}}, {}, " 11"},
        {"data kind A replaces the group", {{ex::DataKubun, "A"}}, {}, " AD"},
        {"data kind B", {{ex::DataKubun, "B"}, {ex::Kyori, "1200"}}, {}, " B2"},
        {"hurdle before is group 3", {{ex::TrackCD, "54"}, {ex::Kyori, "3000"}}, {}, " 31"},
        {"track 23 before is group 2", {{ex::TrackCD, "23"}}, {}, " 2D"},
        {"track 22 before is group 1", {{ex::TrackCD, "22"}}, {}, " 1D"},
        {"track 25 before is group 3", {{ex::TrackCD, "25"}}, {}, " 3D"},
        {"dirt now: group before and C", {{ex::TrackCD, "17"}, {ex::Kyori, "1400"}}, {{ex::TrackCD, "26"}}, "12"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> recs{exRec(c.prev), exRec(c.cur)};
        EXPECT_EQ(code(3, recs, 2), c.want) << c.what;
    }
}

TEST(Factor03, AbnormalRunBeforeUsesTheRunTwoBack) {
    const std::string two = exRec({{ex::Kyori, "2400"}, {ex::GradeCD, "B"}});
    const std::string abnormal = exRec({{ex::IJyoCD, "1"}, {ex::Kyori, "1000"}, {ex::GradeCD, "C"}});
    EXPECT_EQ(code(3, {exRec(), two, abnormal, exRec()}, 4), "B11");
    // Record 2 after an abnormal record 1 still uses record 1.
    EXPECT_EQ(code(3, {abnormal, exRec()}, 2), "C12");
}

TEST(Factor04, WholeKilogramsWith55Merged) {
    runTable(4, {
        {"55 becomes 56", {{ex::Futan, "550"}}, "56"},
        {"54", {{ex::Futan, "540"}}, "54"},
        {"57", {{ex::Futan, "570"}}, "57"},
        {"55.5 too", {{ex::Futan, "555"}}, "56"},
    });
}

TEST(Factor05, LogOfEarlierPrizeMoney) {
    auto horse = [](std::vector<std::string> prizes) {
        std::vector<std::string> recs;
        for (const auto& p : prizes) recs.push_back(exRec({{ex::Honsyokin, p}}));
        recs.push_back(exRec({{ex::Honsyokin, "99999999"}}));  // the current run's own prize is not counted
        return code(5, recs, static_cast<int>(recs.size()));
    };
    EXPECT_EQ(code1(5, {{ex::Honsyokin, "00005000"}}), "00");
    EXPECT_EQ(horse({"00000400", "00000600"}), "29");
    EXPECT_EQ(horse({"00000001"}), "00");
    EXPECT_EQ(horse({"00000000", "00000000"}), "00");
    EXPECT_EQ(horse({"00000010"}), "10");
    EXPECT_EQ(horse({"00000002"}), "3");   // one digit, no leading zero
    EXPECT_EQ(horse({"10000000"}), "66");
    EXPECT_EQ(horse({"00100000"}), "50");
    // A blank prize counts as 0.
    EXPECT_EQ(horse({"        ", "00000100"}), "20");
    // Sums beyond 32 bits keep counting.
    EXPECT_EQ(horse(std::vector<std::string>(30, "99999999")), "66");
    // The abnormal runs count too.
    std::vector<std::string> recs{exRec({{ex::IJyoCD, "1"}, {ex::Honsyokin, "00001000"}}), exRec()};
    EXPECT_EQ(code(5, recs, 2), "29");
}

TEST(Factor06, ConditionSymbol) {
    runTable(6, {
        {"N2 on dirt 24", {{ex::KigoCD, "N2 "}, {ex::TrackCD, "24"}}, "N0"},
        {"N2 on dirt 23", {{ex::KigoCD, "N20"}, {ex::TrackCD, "23"}}, "N0"},
        {"N2 on turf", {{ex::KigoCD, "N2 "}, {ex::TrackCD, "17"}}, "N2"},
        {"N2 on dirt 25", {{ex::KigoCD, "N2 "}, {ex::TrackCD, "25"}}, "N2"},
        {"first two characters", {{ex::KigoCD, "A01"}}, "A0"},
    });
}

TEST(Factor07, JockeyPlaceRate) {
    const auto f = SeisekiStatRecord::TurfRate, d = SeisekiStatRecord::DirtRate, h = SeisekiStatRecord::HurdleRate;
    StatFile file = statFile(StatFile::seiseki(),
                             {statRec(121, SeisekiStatRecord::StatCode, "00666", {{f, "020000"}, {d, "040000"}, {h, "003999"}}),
                              statRec(121, SeisekiStatRecord::StatCode, "00666", {{f, "000000"}}),  // later duplicate
                              statRec(121, SeisekiStatRecord::StatCode, "00777", {{f, "039999"}, {d, "-04000"}}),
                              statRec(121, SeisekiStatRecord::StatCode, "00555", {{f, "007999"}, {d, "004000"}, {h, "008000"}}),
                              statRec(121, SeisekiStatRecord::StatCode, "00444", {{f, "036000"}}),
                              statRec(121, SeisekiStatRecord::StatCode, "00000", {{f, "020000"}}),
                              statRec(121, SeisekiStatRecord::StatCode, "     ", {{f, "020000"}})});
    CoderStats st;
    st.kishuSeisei = &file;
    runTable(7, {
        {"turf 20000", {}, "15"},
        {"dirt 4000 is 11", {{ex::KisyuCode, "00555"}, {ex::TrackCD, "24"}}, "11"},
        {"turf 7999 is 11", {{ex::KisyuCode, "00555"}}, "11"},
        {"hurdle 8000 is 12", {{ex::KisyuCode, "00555"}, {ex::TrackCD, "51"}}, "12"},
        {"36000 is 19 and stays", {{ex::KisyuCode, "00444"}}, "19"},
        {"dirt 40000 is 110, limited", {{ex::TrackCD, "24"}}, "19"},
        {"dirt 29", {{ex::TrackCD, "29"}}, "19"},
        {"dirt 23", {{ex::TrackCD, "23"}}, "19"},
        {"turf 22", {{ex::TrackCD, "22"}}, "15"},
        {"30s take the hurdle rate", {{ex::TrackCD, "30"}}, "11"},
        {"hurdle below 4000 gives 10, then 11", {{ex::TrackCD, "51"}}, "11"},
        {"39999", {{ex::KisyuCode, "00777"}}, "19"},
        {"negative rate", {{ex::KisyuCode, "00777"}, {ex::TrackCD, "24"}}, "19"},
        {"unknown jockey", {{ex::KisyuCode, "00888"}}, "11"},
        {"zero code not searched", {{ex::KisyuCode, "00000"}}, "11"},
        {"blank code not searched", {{ex::KisyuCode, "     "}}, "11"},
    }, &st);
    runTable(7, {{"no file", {}, "11"}}, nullptr);
}

TEST(Factor08, HorsePlaceRate) {
    const auto t = KyosobaStatRecord::TurfRate, d = KyosobaStatRecord::DirtRate, h = KyosobaStatRecord::HurdleRate;
    StatFile file = statFile(StatFile::kyosoba(),
                             {statRec(228, KyosobaStatRecord::KettoNum, "2020100001", {{t, "100000"}, {d, "025000"}, {h, "003999"}}),
                              statRec(228, KyosobaStatRecord::KettoNum, "0000000000", {{t, "100000"}})});
    CoderStats st;
    st.kyosobaThisWeek = &file;
    runTable(8, {
        {"turf 100000", {}, "25"},
        {"dirt 25000", {{ex::TrackCD, "23"}}, "6"},
        {"track 49 is dirt", {{ex::TrackCD, "49"}}, "6"},
        {"hurdle below 4000", {{ex::TrackCD, "50"}}, "0"},
        {"unknown horse", {{ex::KettoNum, "2020100002"}}, "10"},
        {"zeros not searched", {{ex::KettoNum, "0000000000"}}, "10"},
    }, &st);
}

TEST(Factor09, EarlierRunsCount) {
    std::vector<std::string> recs(60, exRec());
    struct C { int cur; const char* want; } cases[] = {{1, "001"}, {2, "001"}, {3, "002"}, {50, "049"}, {51, "050"}, {60, "050"}};
    for (const auto& c : cases) EXPECT_EQ(code(9, recs, c.cur), c.want) << c.cur;
}

TEST(Factor10, CarriedWeightRatioBySex) {
    runTable(10, {
        {"filly 55 kg 480 kg", {{ex::SexCD, "2"}}, "302"},
        {"gelding", {{ex::SexCD, "3"}}, "102"},
        {"colt", {{ex::SexCD, "1"}}, "102"},
        {"no body weight: 100, also for a filly", {{ex::SexCD, "2"}, {ex::BaTaijyu, "000"}}, "100"},
        {"no carried weight", {{ex::Futan, "000"}}, "100"},
        {"light horse limited to 114", {{ex::BaTaijyu, "300"}}, "114"},
        {"heavy horse limited to 96", {{ex::BaTaijyu, "999"}}, "096"},
        {"odd ratio made even: 52 kg 452 kg", {{ex::Futan, "520"}, {ex::BaTaijyu, "452"}}, "102"},
        {"other sex code counts as female", {{ex::SexCD, " "}, {ex::BaTaijyu, "300"}}, "314"},
    });
}
