// Factor coders 21 to 30.
#include <gtest/gtest.h>

#include "coders_test_support.h"

using namespace cdt;
namespace ex = kv::exrec;
using kv::coders::CoderStats;
using kv::stats::KyosobaStatRecord;
using kv::stats::ParentStatRecord;
using kv::stats::StatFile;

namespace {


}  // namespace

TEST(Factor21, RaceNumberAndGrade) {
    runTable(21, {
        {"race 11 grade A on turf", {{ex::RaceNum, "11"}, {ex::GradeCD, "A"}}, "11A"},
        {"race 5 ordinary", {{ex::RaceNum, "05"}, {ex::GradeCD, " "}}, "05 "},
        {"dirt 24 still numbered", {{ex::RaceNum, "05"}, {ex::TrackCD, "24"}}, "05 "},
        {"dirt 25: grade alone", {{ex::RaceNum, "05"}, {ex::TrackCD, "25"}, {ex::GradeCD, "E"}}, "E"},
        {"hurdle grade F", {{ex::TrackCD, "51"}, {ex::GradeCD, "F"}}, "F"},
    });
}

TEST(Factor22, DistanceAndCourseOrBand) {
    runTable(22, {
        {"turf 1600 course A1", {{ex::CourseKubunCD, "A1"}}, "1600A1"},
        {"turf 1600 course A", {{ex::CourseKubunCD, "A "}}, "1600A "},
        {"dirt 29", {{ex::TrackCD, "29"}, {ex::Kyori, "1200"}, {ex::CourseKubunCD, "  "}}, "1200  "},
        {"track 30: band", {{ex::TrackCD, "30"}}, "2800"},
        {"hurdle 2800", {{ex::TrackCD, "51"}, {ex::Kyori, "2800"}}, "2800"},
        {"hurdle 2801", {{ex::TrackCD, "51"}, {ex::Kyori, "2801"}}, "2900"},
        {"hurdle 2999", {{ex::TrackCD, "51"}, {ex::Kyori, "2999"}}, "2900"},
        {"hurdle 3000", {{ex::TrackCD, "51"}, {ex::Kyori, "3000"}}, "3500"},
        {"hurdle 3500", {{ex::TrackCD, "51"}, {ex::Kyori, "3500"}}, "3500"},
        {"hurdle 3501", {{ex::TrackCD, "51"}, {ex::Kyori, "3501"}}, "4000"},
        {"hurdle 3570", {{ex::TrackCD, "51"}, {ex::Kyori, "3570"}}, "4000"},
    });
    // Stored at the member's width, the two turf codes meet.
    EXPECT_EQ(kv::coders::FitCode(22, code1(22, {{ex::CourseKubunCD, "A1"}})), "1600A");
}

TEST(Factor23, SirePlaceRateByDistance) {
    StatFile file = statFile(
        StatFile::parent(),
        {statRec(402, ParentStatRecord::HansyokuNum, "1110000001",
                 {{ParentStatRecord::TurfDistRate(1), "008000"}, {ParentStatRecord::TurfDistRate(2), "022000"},
                  {ParentStatRecord::TurfDistRate(3), "040000"}, {ParentStatRecord::DirtDistRate(1), "048000"},
                  {ParentStatRecord::DirtDistRate(2), "002000"}, {ParentStatRecord::HurdleRate, "048000"}}),
         statRec(402, ParentStatRecord::HansyokuNum, "1110000002",
                 {{ParentStatRecord::TurfDistRate(2), "048000"}, {ParentStatRecord::TurfDistRate(3), "124000"},
                  {ParentStatRecord::DirtDistRate(3), "128000"}}),
         statRec(402, ParentStatRecord::HansyokuNum, "1110000003",
                 {{ParentStatRecord::TurfDistRate(1), "120000"}, {ParentStatRecord::TurfDistRate(2), "124000"},
                  {ParentStatRecord::TurfDistRate(3), "120000"}, {ParentStatRecord::DirtDistRate(1), "124000"},
                  {ParentStatRecord::DirtDistRate(2), "120000"}, {ParentStatRecord::HurdleRate, "124000"}})});
    CoderStats st;
    st.stallion = &file;
    const std::string s2 = "1110000002", s3 = "1110000003";
    runTable(23, {
        {"turf 1800, 22000", {{ex::Kyori, "1800"}}, "25"},
        {"turf 1600 is band 1", {{ex::Kyori, "1600"}}, "12"},
        {"turf 2200 is band 2", {{ex::Kyori, "2200"}}, "25"},
        {"turf 2201 is band 3: 310 merged", {{ex::Kyori, "2201"}}, "39"},
        {"dirt 1200, 48000: 112 merged", {{ex::TrackCD, "24"}, {ex::Kyori, "1200"}}, "19"},
        {"dirt 1800, 2000: 20 merged", {{ex::TrackCD, "24"}, {ex::Kyori, "1800"}}, "10"},
        {"track 40 is dirt", {{ex::TrackCD, "40"}, {ex::Kyori, "1800"}}, "10"},
        {"hurdle rate with band 1", {{ex::TrackCD, "52"}, {ex::Kyori, "3000"}}, "19"},
        {"212 merged", {{ex::SireHansyokuNum, s2}, {ex::Kyori, "1800"}}, "29"},
        {"331 stays", {{ex::SireHansyokuNum, s2}, {ex::Kyori, "2400"}}, "331"},
        {"dirt 332 stays", {{ex::SireHansyokuNum, s2}, {ex::Kyori, "2400"}, {ex::TrackCD, "24"}}, "332"},
        {"blank band rate: 10", {{ex::SireHansyokuNum, s2}, {ex::Kyori, "1200"}}, "10"},
        {"130 merged", {{ex::SireHansyokuNum, s3}, {ex::Kyori, "1200"}}, "19"},
        {"231 stays", {{ex::SireHansyokuNum, s3}, {ex::Kyori, "2000"}}, "231"},
        {"330 merged", {{ex::SireHansyokuNum, s3}, {ex::Kyori, "3000"}}, "39"},
        {"dirt 131 stays", {{ex::SireHansyokuNum, s3}, {ex::Kyori, "1000"}, {ex::TrackCD, "23"}}, "131"},
        {"dirt 230 merged", {{ex::SireHansyokuNum, s3}, {ex::Kyori, "1601"}, {ex::TrackCD, "23"}}, "29"},
        {"hurdle 131 stays", {{ex::SireHansyokuNum, s3}, {ex::TrackCD, "50"}}, "131"},
        {"unknown sire", {{ex::SireHansyokuNum, "1110000009"}}, "10"},
    }, &st);
    runTable(23, {{"no file", {}, "10"}});
}

TEST(Factor24, HorseNumber) {
    runTable(24, {
        {"16 on turf", {{ex::Umaban, "16"}}, "161"},
        {"16 on dirt 24", {{ex::Umaban, "16"}, {ex::TrackCD, "24"}}, "161"},
        {"16 on dirt 25", {{ex::Umaban, "16"}, {ex::TrackCD, "25"}}, "14"},
        {"16 over hurdles", {{ex::Umaban, "16"}, {ex::TrackCD, "51"}}, "14"},
        {"15 over hurdles", {{ex::Umaban, "15"}, {ex::TrackCD, "51"}}, "14"},
        {"14 over hurdles", {{ex::Umaban, "14"}, {ex::TrackCD, "51"}}, "14"},
        {"09 over hurdles", {{ex::Umaban, "09"}, {ex::TrackCD, "51"}}, "09"},
    });
}

TEST(Factor25, SymbolOrBirthMonth) {
    runTable(25, {
        {"no symbol: April", {{ex::UmaKigoCD, "00"}, {ex::BirthDate, "20210415"}}, "041"},
        {"symbol 03", {{ex::UmaKigoCD, "03"}}, "03"},
        {"blank symbol is a symbol", {{ex::UmaKigoCD, "  "}}, "  "},
    });
}

TEST(Factor26, TimeBehindTheWinnerBefore) {
    struct C { std::string d; std::string nyusen; std::string want; } cases[] = {
        {"0000", "01", "0099"}, {"    ", "05", "0099"}, {"+999", "05", "0099"}, {"-999", "01", "0099"},
        {"9999", "05", "0099"}, {"-000", "01", "0001"}, {"-001", "01", "0002"}, {"-002", "01", "0003"},
        {"-003", "01", "0004"}, {"-004", "01", "0004"}, {"-005", "01", "0005"}, {"-009", "01", "0005"},
        {"-010", "01", "0006"}, {"-998", "01", "0006"}, {"+000", "01", "0007"}, {"+000", "03", "0007"},
        {"+000", "02", "+H  "}, {"+001", "03", "0008"}, {"+002", "03", "0009"}, {"+003", "03", "0010"},
        {"+005", "03", "0012"}, {"+028", "03", "0035"}, {"+029", "03", "0036"}, {"+030", "03", "0037"},
        {"+045", "03", "0052"}, {"+050", "03", "0057"}, {"+051", "03", "0099"}, {"+100", "03", "0099"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> recs{exRec({{ex::TimeDiff, c.d}, {ex::NyusenJyuni, c.nyusen}, {ex::ChakusaCD, "H  "}}),
                                      exRec({{ex::TimeDiff, "+001"}, {ex::NyusenJyuni, "02"}})};
        EXPECT_EQ(code(26, recs, 2), c.want) << c.d << " " << c.nyusen;
    }
    EXPECT_EQ(code1(26, {{ex::TimeDiff, "+001"}}), "0099");
    // An abnormal run before: the run two back.
    EXPECT_EQ(code(26, {exRec(), exRec({{ex::TimeDiff, "-001"}}), exRec({{ex::IJyoCD, "1"}, {ex::TimeDiff, "+050"}}),
                        exRec()}, 4),
              "0002");
}

TEST(Factor27, MeetingAndDay) {
    runTable(27, {
        {"turf 0311", {{ex::Kaiji, "03"}, {ex::Nichiji, "11"}}, "0311"},
        {"hurdle 0311", {{ex::Kaiji, "03"}, {ex::Nichiji, "11"}, {ex::TrackCD, "51"}}, "0101"},
        {"dirt 25 0310", {{ex::Kaiji, "03"}, {ex::Nichiji, "10"}, {ex::TrackCD, "25"}}, "0101"},
        {"dirt 24 0310 stays", {{ex::Kaiji, "03"}, {ex::Nichiji, "10"}, {ex::TrackCD, "24"}}, "0310"},
        {"hurdle 0312 stays", {{ex::Kaiji, "03"}, {ex::Nichiji, "12"}, {ex::TrackCD, "51"}}, "0312"},
    });
}

TEST(Factor28, RegisteredRunners) {
    runTable(28, {
        {"7 on turf", {{ex::TorokuTosu, "07"}}, "08"},
        {"8 on turf", {{ex::TorokuTosu, "08"}}, "08"},
        {"16 on turf", {{ex::TorokuTosu, "16"}}, "16"},
        {"9 on turf", {{ex::TorokuTosu, "09"}}, "09"},
        {"18 on dirt 23", {{ex::TorokuTosu, "18"}, {ex::TrackCD, "23"}}, "18"},
        {"16 on dirt 29", {{ex::TorokuTosu, "16"}, {ex::TrackCD, "29"}}, "16"},
        {"16 on track 30", {{ex::TorokuTosu, "16"}, {ex::TrackCD, "30"}}, "14"},
        {"16 over hurdles", {{ex::TorokuTosu, "16"}, {ex::TrackCD, "51"}}, "14"},
        {"9 over hurdles", {{ex::TorokuTosu, "09"}, {ex::TrackCD, "51"}}, "09"},
        {"14 over hurdles", {{ex::TorokuTosu, "14"}, {ex::TrackCD, "51"}}, "14"},
        {"5 over hurdles", {{ex::TorokuTosu, "05"}, {ex::TrackCD, "51"}}, "08"},
    });
}

TEST(Factor29, WeatherAndGoing) {
    runTable(29, {
        {"weather 5 counts as 4", {{ex::TenkoCD, "5"}, {ex::SibaBabaCD, "2"}}, "4200"},
        {"weather 0 counts as 4", {{ex::TenkoCD, "0"}, {ex::SibaBabaCD, "1"}}, "4100"},
        {"dirt going on dirt", {{ex::TenkoCD, "1"}, {ex::TrackCD, "24"}, {ex::DirtBabaCD, "3"}}, "1300"},
        {"dirt going on 23", {{ex::TenkoCD, "4"}, {ex::TrackCD, "23"}, {ex::DirtBabaCD, "2"}}, "4200"},
        {"turf going on 22", {{ex::TenkoCD, "1"}, {ex::TrackCD, "22"}, {ex::SibaBabaCD, "3"}}, "1300"},
        {"hurdle 50 turf going", {{ex::TenkoCD, "1"}, {ex::TrackCD, "50"}, {ex::SibaBabaCD, "1"}, {ex::DirtBabaCD, "4"}},
         "1100"},
        {"track 40 dirt going", {{ex::TenkoCD, "2"}, {ex::TrackCD, "40"}, {ex::DirtBabaCD, "4"}}, "2400"},
        {"hurdle turf going", {{ex::TenkoCD, "3"}, {ex::TrackCD, "51"}, {ex::SibaBabaCD, "2"}, {ex::DirtBabaCD, "4"}},
         "3200"},
    });
}

TEST(Factor30, HorseEarningsPerStart) {
    auto horse = [](const char* key, Sets sets) {
        return statRec(KyosobaStatRecord::kLength, KyosobaStatRecord::KettoNum, key, sets);
    };
    const auto fs = KyosobaStatRecord::FlatStarts, fe = KyosobaStatRecord::FlatEarnings;
    const auto hs = KyosobaStatRecord::HurdleStarts, he = KyosobaStatRecord::HurdleEarnings;
    StatFile file = statFile(StatFile::kyosoba(),
                             {horse("2020100001", {{fs, "000010"}, {fe, "000500000"}, {hs, "000000"}}),
                              horse("2020100002", {{fs, "000004"}, {fe, "000000000"}}),
                              horse("2020100003", {{fs, "000001"}, {fe, "000000002"}}),
                              horse("2020100004", {{fs, "000001"}, {fe, "999999999"}}),
                              horse("2020100005", {{fs, "000001"}, {fe, "000000005"}}),
                              horse("2020100006", {{fs, "000001"}, {fe, "000000001"}}),
                              horse("2020100007", {{hs, "000002"}, {he, "000200000"}})});
    CoderStats st;
    st.kyosobaThisWeek = &file;
    runTable(30, {
        {"50000 per start", {}, "46"},
        {"track 49 is flat", {{ex::TrackCD, "49"}}, "46"},
        {"hurdle, no hurdle starts: record 1, then 5", {{ex::TrackCD, "51"}}, "5"},
        {"hurdle earnings", {{ex::KettoNum, "2020100007"}, {ex::TrackCD, "51"}}, "50"},
        {"2 per start: 03 raised to 5", {{ex::KettoNum, "2020100003"}}, "5"},
        {"huge earnings: 90 limited to 53", {{ex::KettoNum, "2020100004"}}, "53"},
        {"5 per start: 06 stays", {{ex::KettoNum, "2020100005"}}, "06"},
        {"unknown horse keeps 10", {{ex::KettoNum, "2020100099"}}, "10"},
        {"zeros not searched", {{ex::KettoNum, "0000000000"}}, "10"},
    }, &st);
    runTable(30, {{"no file", {}, "10"}});

    // Zero earnings (or a quotient of 1): the record number, at most 19, at least 5.
    auto nth = [&](const char* key, int n) {
        return code(30, std::vector<std::string>(static_cast<std::size_t>(n), exRec({{ex::KettoNum, key}})), n, &st);
    };
    EXPECT_EQ(nth("2020100002", 4), "5");
    EXPECT_EQ(nth("2020100002", 12), "12");
    EXPECT_EQ(nth("2020100002", 19), "19");
    EXPECT_EQ(nth("2020100002", 25), "19");
    EXPECT_EQ(nth("2020100006", 7), "7");
}
