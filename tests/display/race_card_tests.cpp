// Race-card grids and chart of the selected race.
#include <gtest/gtest.h>

#include "display/texts.h"
#include "display_fixture.h"

using namespace disptest;
using kv::display::RaceDisplay;

namespace {

std::string back(const kv::controls::GridModel& g, int r, int c) { return colourName(g.backColor(r, c)); }

}  // namespace

TEST(DisplayTexts, FlooredDecimalsAndRanks) {
    struct Case {
        float v;
        int digits;
        const char* text;
    } cases[] = {
        {-0.0004f, 3, "-0.001"}, {0.0009f, 3, "0"},         {0.7f, 3, "0.699"},     {2.0f, 3, "2"},
        {0.12345f, 3, "0.123"},  {-0.12345f, 3, "-0.124"},  {16.1234f, 4, "16.1233"}, {16.12349f, 4, "16.1234"},
        {-0.00005f, 4, "-0.0001"}, {0.0f, 4, "0"},
    };
    for (const auto& c : cases) EXPECT_EQ(kv::display::floorDecimals(c.v, c.digits), c.text) << c.v;
    EXPECT_EQ(kv::display::rankText(3), "03");
    EXPECT_EQ(kv::display::rankText(12), "12");
    EXPECT_EQ(kv::display::asStored(kv::toCp932("騎手") + "    "), "騎手      ");  // 8 bytes: 8 characters
}

TEST(RaceCard, CellsOfARunner) {
    Week w(1);
    auto r = runner(1, 1);
    r.setSingleAt(rh::runSpeedOffset(0, rh::kSpeedPacePredicted), 50.0f);
    r.setSingleAt(rh::kSpeedAdjust, 0.5f);
    r.setSingleAt(rh::agariFwOffset(0, 6), -0.0004f);
    r.setSingleAt(rh::paceFwOffset(0, 6), 0.0009f);
    r.setSingleAt(rh::agariFwOffset(0, 23), 1.5f);
    r.setSingleAt(rh::paceFwOffset(0, 21), 0.7f);
    r.setSingleAt(rh::runSpeedOffset(0, rh::kSpeedActualMinusComposite), -1.25f);
    r.setSingleAt(rh::runSpeedOffset(64, rh::kSpeedActualMinusComposite), 2.0f);
    r.set(rh::Odds.at(0), "1234");
    r.set(rh::SireBamei, kv::toCp932("チチ"));
    auto r2 = runner(1, 2);
    r2.setSingleAt(rh::runSpeedOffset(0, rh::kSpeedAgariPredicted), 60.0f);
    w.runners(1, {r, r2});
    w.ranks(1, {3, 1});
    RaceDisplay d(w.st);
    ASSERT_TRUE(d.List1_Click(1));
    const auto& g = d.RACEDETAILGrid1;
    const std::string name = "テスト" + std::string(15, ' ') + "2020100001EX.dat";
    EXPECT_EQ(kv::charCount(name), 34u);
    const char* expected[25] = {"1    01", "00", "03", "01", "-2", "123.4", name.c_str(),
                                "騎A・調A・父父A・母父A・生A", "1.34.50", "34.5", "1.36.00", "33.75", "1.12.00",
                                "騎手      ", "-0.001", "0", nullptr, "1.5", "0", "調教      ", "0", "0",
                                nullptr, "0", "0.699"};
    for (int c = 0; c < 25; ++c)
        if (expected[c]) EXPECT_EQ(g.text(1, c), expected[c]) << "column " << c;
    EXPECT_EQ(g.text(1, 16), "チチ" + std::string(34, ' '));
    EXPECT_EQ(g.text(2, 11), "36.00");
    EXPECT_EQ(g.text(0, 0), raceKey(1));
    EXPECT_EQ(g.text(0, 24), "母父馬ペース時速");
    EXPECT_EQ(d.SelKyoriText, "1000");

    const auto& g2 = d.RACEDETAILGrid2;
    EXPECT_EQ(rowText(g2, 0, 0, 11), raceKey(1) + "|入線|予想順位|単勝人気|人気-予想|馬名|推定時速|推定タイム|合成タイム|"
                                                  "実-合成(時速）|残差平均（時速）|前0残差");
    EXPECT_EQ(g2.text(0, 75), "前64残差");
    EXPECT_EQ(rowText(g2, 1, 0, 11), "1    01|00|03|01|-2|" + name + "|60.5|1.35.20|1.36.00|-1.25|0.5|-1.25");
    EXPECT_EQ(g2.text(1, 75), "2");
    EXPECT_EQ(g2.text(1, 76), "");
}

TEST(RaceCard, ColoursOfOrderRankAndPopularity) {
    // Horse h: predicted rank, popularity, order at the line.
    struct Horse {
        int rank;
        const char* ninki;
        const char* nyusen;
        const char* col1;
        const char* col2;
        const char* col4;
    } horses[] = {
        {3, "07", "01", "14", "10", "14"},  // popularity - rank = 4: yellow
        {3, "06", "04", "15", "10", "15"},  // 3: white
        {8, "01", "02", "11", "15", "12"},  // -7: red
        {7, "01", "03", "10", "15", "15"},  // -6: white
        {5, "05", "00", "15", "13", "15"},  // rank 5 magenta
        {6, "02", "00", "15", "15", "15"},  // rank 6 white
        {4, "04", "00", "15", "9", "15"},
    };
    Week w(1);
    std::vector<kv::RaceHorseRecord> recs;
    std::vector<int> ranks;
    for (int h = 1; h <= 7; ++h) {
        auto r = runner(1, h);
        r.set(rh::Ninki.at(0), horses[h - 1].ninki);
        r.set(rh::NyusenJyuni.at(0), horses[h - 1].nyusen);
        recs.push_back(r);
        ranks.push_back(horses[h - 1].rank);
    }
    w.runners(1, recs);
    w.ranks(1, ranks);
    RaceDisplay d(w.st);
    ASSERT_TRUE(d.List1_Click(1));
    for (int h = 1; h <= 7; ++h) {
        const auto& x = horses[h - 1];
        EXPECT_EQ(back(d.RACEDETAILGrid1, h, 1), x.col1) << h;
        EXPECT_EQ(back(d.RACEDETAILGrid1, h, 2), x.col2) << h;
        EXPECT_EQ(back(d.RACEDETAILGrid1, h, 4), x.col4) << h;
        EXPECT_EQ(back(d.RACEDETAILGrid2, h, 2), x.col2) << h;
        EXPECT_EQ(back(d.RACEDETAILGrid2, h, 4), "15") << h;
    }
    // Popularity column 3 takes the five colours of the rank column.
    EXPECT_EQ(back(d.RACEDETAILGrid1, 3, 3), "14");
    EXPECT_EQ(back(d.RACEDETAILGrid1, 6, 3), "11");
    EXPECT_EQ(back(d.RACEDETAILGrid1, 1, 3), "15");
}

TEST(RaceCard, ResidualColoursByRacecourseAndTrack) {
    struct Slot {
        const char* jyo;
        const char* track;
        const char* colour;
    } slots[] = {{"11", "10", "15"}, {"05", "24", "14"}, {"01", "22", "10"}, {"10", "55", "11"},
                 {"05", "60", "15"}, {"  ", "10", "15"}, {"00", "10", "15"}};
    Week w(1);
    auto r = runner(1, 1);
    for (int s = 1; s <= 7; ++s) {
        r.set(rh::RaceId.at(s), std::string("20240101") + slots[s - 1].jyo + "010101");
        r.set(rh::TrackCD.at(s), slots[s - 1].track);
    }
    w.runners(1, {r});
    RaceDisplay d(w.st);
    ASSERT_TRUE(d.List1_Click(1));
    for (int s = 1; s <= 7; ++s) EXPECT_EQ(back(d.RACEDETAILGrid2, 1, 11 + s), slots[s - 1].colour) << s;
    EXPECT_EQ(back(d.RACEDETAILGrid2, 1, 11), "10");  // this race: Tokyo turf
}

TEST(RaceCard, MissingPopularityAndTheChart) {
    Week w(1);
    auto h1 = runner(1, 1), h2 = runner(1, 2), h3 = runner(1, 3);
    h1.set(rh::NyusenJyuni.at(0), "02");
    h2.set(rh::Ninki.at(0), "**");
    h2.set(rh::Odds.at(0), "0100");
    h3.set(rh::Ninki.at(0), "--");
    h3.set(rh::Odds.at(0), "0200");
    w.runners(1, {h1, h2, h3});
    w.ranks(1, {2, 1});  // horse 3 has no line: rank 0
    RaceDisplay d(w.st);
    ASSERT_TRUE(d.List1_Click(1));
    EXPECT_EQ(d.RACEDETAILGrid1.text(3, 2), "00");
    EXPECT_EQ(d.RACEDETAILGrid1.text(3, 4), "0");    // minus the rank
    EXPECT_EQ(d.RACEDETAILGrid1.text(2, 4), "-1");
    EXPECT_EQ(d.RACEDETAILGrid2.text(2, 4), "**");
    EXPECT_EQ(d.RACEDETAILGrid2.text(3, 4), "--");

    const auto& ch = d.YNjunMSChart;
    ASSERT_EQ(ch.rowCount(), 3);
    ASSERT_EQ(ch.columnCount(), 2);
    EXPECT_EQ(ch.value(1, 1), 10.0);
    EXPECT_EQ(ch.value(2, 1), 3.5);
    EXPECT_FALSE(ch.value(3, 1));
    EXPECT_EQ(ch.value(1, 2), 3.5);  // horse 1's popularity 1; "**" and "--" store nothing
    EXPECT_FALSE(ch.value(2, 2));
    EXPECT_FALSE(ch.value(3, 2));
    EXPECT_EQ(ch.rowLabel(1, 1) + "/" + ch.rowLabel(1, 2) + "/" + ch.rowLabel(1, 3), "02/00/1");
    EXPECT_EQ(ch.rowLabel(2, 1) + "/" + ch.rowLabel(2, 2) + "/" + ch.rowLabel(2, 3), "01/02/2");
    EXPECT_EQ(ch.rowLabel(3, 1), "");
    EXPECT_EQ(ch.columnLabel(1) + ch.legendText(2), "予想順人気順");
    EXPECT_FALSE(ch.valueAxis().automatic);
    EXPECT_EQ(ch.valueAxis().maximum, 150);
}

TEST(RaceCard, ASmallerRaceAfterALargerOneLeavesNothingBehind) {
    Week w(2);
    w.runners(1, {runner(1, 1), runner(1, 2), runner(1, 3)});
    w.ranks(1, {1, 2, 3});
    w.runners(2, {runner(2, 1), runner(2, 2)});  // no sorted horse file: ranks 0
    RaceDisplay d(w.st);
    ASSERT_TRUE(d.List1_Click(1));
    ASSERT_EQ(d.RACEDETAILGrid1.text(3, 2), "03");
    ASSERT_TRUE(d.List1_Click(2));
    EXPECT_EQ(d.RACEDETAILGrid1.text(1, 2), "00");
    EXPECT_EQ(d.RACEDETAILGrid1.text(2, 2), "00");
    EXPECT_EQ(rowText(d.RACEDETAILGrid1, 3), std::string(24, '|'));
    EXPECT_EQ(back(d.RACEDETAILGrid1, 3, 24), "15");
    EXPECT_EQ(rowText(d.RACEDETAILGrid2, 3), std::string(79, '|'));
    EXPECT_EQ(back(d.RACEDETAILGrid2, 3, 79), "15");
    EXPECT_EQ(d.YNjunMSChart.rowCount(), 2);
    EXPECT_FALSE(d.YNjunMSChart.value(1, 1));  // rank "00" stores nothing
    EXPECT_EQ(w.st.race.HorseCount, 2);
}

TEST(RaceCard, BadSpeedsAndDistancesLeaveTheirCellsEmpty) {
    Week w(1);
    auto zero = runner(1, 1);
    zero.setSingleAt(rh::runSpeedOffset(0, rh::kSpeedComposite), 0.0f);
    zero.setSingleAt(rh::runSpeedOffset(0, rh::kSpeedAgariPredicted), 0.0f);
    zero.setSingleAt(rh::runSpeedOffset(0, rh::kSpeedPacePredicted), 0.0f);
    auto noDistance = runner(1, 2);
    noDistance.set(rh::Kyori.at(0), "    ");
    w.runners(1, {zero, noDistance});
    RaceDisplay d(w.st);
    ASSERT_TRUE(d.List1_Click(1));
    EXPECT_EQ(rowText(d.RACEDETAILGrid1, 1, 10, 12), "||");
    EXPECT_EQ(rowText(d.RACEDETAILGrid2, 1, 6, 8), "0||");
    EXPECT_EQ(rowText(d.RACEDETAILGrid1, 2, 10, 12), "|33.75|");
    EXPECT_EQ(d.RACEDETAILGrid1.text(2, 13), "騎手      ");  // the rest of the row is shown
}

TEST(RaceCard, MissingFilesAndTooManyRecords) {
    Week w(2);
    RaceDisplay d(w.st);
    ASSERT_TRUE(d.List1_Click(1));  // no race-horse file
    EXPECT_EQ(d.RACEDETAILGrid1.text(0, 0), raceKey(1));
    EXPECT_EQ(d.RACEDETAILGrid1.text(0, 1), "");
    EXPECT_EQ(d.YNjunMSChart.rowCount(), 0);
    std::vector<kv::RaceHorseRecord> many;
    for (int h = 1; h <= 19; ++h) many.push_back(runner(2, h <= 18 ? h : 18));
    w.runners(2, many);
    ASSERT_TRUE(d.List1_Click(2));
    EXPECT_EQ(w.st.race.HorseCount, 18);
    EXPECT_EQ(d.RACEDETAILGrid1.text(18, 0), "9    18");
}

TEST(RaceCard, ClickOnACellPassesItsText) {
    Week w(1);
    w.runners(1, {runner(1, 1)});
    RaceDisplay d(w.st);
    ASSERT_TRUE(d.List1_Click(1));
    int shown = 0;
    d.showKakoso = [&shown] { ++shown; };
    d.RACEDETAILGrid1.click(1, 6);
    EXPECT_EQ(kv::display::SelectedHorseText, d.RACEDETAILGrid1.text(1, 6));
    d.RACEDETAILGrid2.click(1, 3);
    EXPECT_EQ(kv::display::SelectedHorseText, "01");
    EXPECT_EQ(shown, 2);
}
