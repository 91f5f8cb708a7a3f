#include <gtest/gtest.h>

#include "history/past_performance_window.h"
#include "history_fixture.h"

using namespace histtest;
using kv::controls::Rgb;
using kv::history::KakoSeisekiQUEL;

namespace {

constexpr unsigned kYellow = 0xFFFF00, kCyan = 0x00FFFF, kRed = 0xFF0000, kNavy = 0x000080, kWhite = 0xFFFFFF;
const char* kKey = "20250405060102";
const std::string kLabel = "2025年04月05日1回阪神2日目";

struct DayViewTest : HistoryTest, ::testing::Test {
    KakoSeisekiQUEL w{menu};
    DayViewTest() {
        w.List1 = {kLabel + std::string(18, ' ') + kKey, "2025年04月06日1回阪神3日目" + std::string(18, ' ') + "20250406060103"};
    }
};

// The hit positions of two races (予人 cells, columns 1 to 7) and the tier colour each gives its 的中 cell.
struct TierCase {
    int race, col;
    const char* cell;
    unsigned colour;
};
const TierCase kTiers[] = {
    {1, 1, "5 12", kYellow}, {1, 2, "13 4", kCyan}, {1, 3, "15 7", kRed}, {1, 4, "43 9", kCyan},
    {1, 5, "7 3", kCyan},    {1, 6, "19 2", kWhite}, {1, 7, "", kWhite},   {2, 1, "13 2", kRed},
    {2, 2, "12 1", kYellow}, {2, 3, "8 1", kCyan},   {2, 4, "13 1", kYellow}, {2, 5, "6", kWhite},
    {2, 6, "18 1", kRed},    {2, 7, "85 3", kWhite},
};

// A row of the eleven-column rates: its label, columns 1 and 2, the rest 0.
std::string pcRow(const char* label, const char* c1, const char* c2) {
    return line({label, c1, c2, "0", "0", "0", "0", "0", "0", "0", "0", "0"});
}

std::string tekichuDay() {
    std::string s = line({"2025年", "04月", "05日", "1回", "阪神", "2日目"}) +
                    line({"R番号", "馬連", "馬単", "3連複", "3連単", "ワイド1", "ワイド2", "ワイド3"});
    for (int race = 1; race <= 2; ++race) {
        std::string yonin[8];
        for (const TierCase& t : kTiers)
            if (t.race == race) yonin[t.col] = t.cell;
        const std::string label = "0" + std::to_string(race) + "R 的中";
        s += line({label.c_str(), "本線1点目", "", "", "", "", "", ""});
        s += line({"    当目", " 1- 2", "", "", "", "", "", ""});
        s += line({"    配当", "480", "", "", "", "", "", ""});
        s += line({"    予人", yonin[1].c_str(), yonin[2].c_str(), yonin[3].c_str(), yonin[4].c_str(),
                   yonin[5].c_str(), yonin[6].c_str(), yonin[7].c_str()});
    }
    return s;
}

TEST_F(DayViewTest, HitTableAndTierColours) {
    day(kKey, "tekichu.txt", tekichuDay());
    w.List1_Click(0);
    EXPECT_EQ(w.DayKey, kKey);
    const auto& g = w.KakoSeiFG;
    EXPECT_EQ(g.text(0, 4), "阪神");
    EXPECT_EQ(g.text(1, 7), "ワイド3");
    EXPECT_EQ(g.text(2, 0), "01R 的中");
    EXPECT_EQ(g.text(4, 1), "480");
    EXPECT_EQ(g.text(6, 0), "02R 的中");
    for (const TierCase& t : kTiers)
        EXPECT_EQ(g.backColor(4 * t.race - 2, t.col), Rgb(t.colour)) << t.race << " " << t.col << " " << t.cell;
    // Races the file does not hold: empty cells, white 的中 rows.
    EXPECT_EQ(g.text(10, 0), "");
    EXPECT_EQ(g.backColor(46, 7), Rgb(kWhite));
    EXPECT_EQ(g.backColor(47, 7), Rgb());
    EXPECT_EQ(g.colWidth(2), 1100);
    EXPECT_EQ(g.colWidth(4), 1200);
}

TEST_F(DayViewTest, RateAndPayoutColoursAtTheirThresholds) {
    day(kKey, "kaiteki.txt",
        line({"2025年", "04月", "05日", "1回", "阪神", "2日目"}) + line({"　　", "回収率", "％", "　　", "的中率", "％", "　　"}) +
            line({"券種", "本線", "準本線", "伏兵", "本線", "準本線", "伏兵"}) +
            line({"馬連", "100", "100.1", "0", "30", "33.3", "abc"}));
    day(kKey, "tekichuPC.txt",
        line({"2025年", "04月", "05日", "1回", "阪神", "2日目"}) +
            line({" R番号", "単勝1", "複勝1", "単勝2", "複勝2", "馬連F", "馬連B", "馬単F", "  3連複B", "  3連単12",
                  "  3連単23", "  3連単13"}) +
            line({"01R点数  ", "1", "1", "1", "1", "", "", "", "", "", "", ""}) +
            line({"  的中目", " 5", " 3", "", "", "", "", "", "", "", "", ""}) +
            line({"  配当", "10000", "10010", "", "", "", "", "", "", "", "", ""}));
    day(kKey, "kaitekiPC.txt",
        line({"2025年", "04月", "05日", "1回", "阪神", "2日目"}) +
            line({"券種", "単勝1", "複勝1", "単勝2", "複勝2", "馬連F", "馬連B", "馬単F", "  3連複B", "  3連単12",
                  "  3連単23", "  3連単13"}) +
            pcRow("予想R数", "12", "12") + pcRow("的中R数", "4", "4") + pcRow("的中率", "30", "33.3") +
            pcRow("購入点数", "12", "12") + pcRow("回収金額", "1000", "1000") + pcRow("回収率", "100", "100.1"));
    w.List1_Click(0);

    const auto& k = w.TekiKaiFG;
    EXPECT_EQ(k.text(0, 0), "2025年");
    EXPECT_EQ(k.text(3, 0), "馬連");
    EXPECT_EQ(k.foreColor(3, 1), Rgb());
    EXPECT_EQ(k.foreColor(3, 2), Rgb(kRed));
    EXPECT_EQ(k.foreColor(3, 4), Rgb());
    EXPECT_EQ(k.foreColor(3, 5), Rgb(kNavy));
    EXPECT_EQ(k.foreColor(3, 6), Rgb());

    const auto& t = w.TanFukuFG;
    for (int r = 2; r <= 4; ++r) {
        EXPECT_EQ(t.backColor(r, 1), Rgb(kYellow));
        EXPECT_EQ(t.backColor(r, 2), Rgb(kYellow));
        EXPECT_EQ(t.backColor(r, 3), Rgb());
    }
    EXPECT_EQ(t.foreColor(4, 1), Rgb());
    EXPECT_EQ(t.foreColor(4, 2), Rgb(kRed));
    EXPECT_EQ(t.colWidth(7), 600);
    EXPECT_EQ(t.colWidth(8), kv::controls::GridModel::kDefaultColWidth);

    const auto& p = w.TFTekiKaiFG;
    EXPECT_EQ(p.text(0, 0), "券種");  // the file's date is dropped
    EXPECT_EQ(p.text(6, 2), "100.1");
    EXPECT_EQ(p.foreColor(3, 1), Rgb());
    EXPECT_EQ(p.foreColor(3, 2), Rgb(kNavy));
    EXPECT_EQ(p.foreColor(6, 1), Rgb());
    EXPECT_EQ(p.foreColor(6, 2), Rgb(kRed));
}

TEST_F(DayViewTest, ADayWithoutFilesLeavesNothingOfThePreviousDay) {
    day(kKey, "tekichu.txt", tekichuDay());
    day(kKey, "kaiteki.txt", line({"2025年", "04月", "05日", "1回", "阪神", "2日目"}) + line({"　　", "回収率"}));
    day(kKey, "lupRCM.txt", rcLine("01", "一", "1600") + rrLine() + hsLine("1", "1", " 1", " 1", " 1", " 1", "1.34.20"));
    w.List1_Click(0);
    w.List1_Click(1);
    EXPECT_EQ(w.DayKey, "20250406060103");
    for (const auto* g : {&w.KakoSeiFG, &w.TekiKaiFG, &w.TanFukuFG, &w.TFTekiKaiFG})
        for (int r = 0; r < g->rows(); ++r)
            for (int c = 0; c < g->cols(); ++c) {
                EXPECT_EQ(g->text(r, c), "");
                const bool hitRow = g == &w.KakoSeiFG && r % 4 == 2 && r <= 46 && c >= 1 && c <= 7;
                EXPECT_EQ(g->backColor(r, c), hitRow ? Rgb(kWhite) : Rgb()) << r << "," << c;
                EXPECT_EQ(g->foreColor(r, c), Rgb());
            }
    EXPECT_EQ(w.Text2[0].text, "2025年04月06日1回阪神3日目  ");
    EXPECT_EQ(w.RACEFG[0].text(1, 0), "");
}

TEST_F(DayViewTest, RaceTabs) {
    day(kKey, "lupRCM.txt",
        line({"DY", "1", "20250405"}) + rcLine("01", "春風特別", "1600") + rrLine() +
            hsLine("1", "3", " 5", " 1", " 4", "12", "1.34.20") + hsLine("2", "1", " 1", " 2", " 3", "", "1.35.00") +
            hsLine("19", "1", " 2", " 3", " 1", " 1", "1.36.00") + hsLine("", "1", " 3", " 3", " 1", " 1", "1.36.00") +
            line({"Q1", " 5", " 1"}) + atLine("1", "7", "本線1第1順 的中", " 5→ 1→ 2", "3890") +
            atLine("2", "9", "?", "?", "1") + line({"KK", "1", " 5", "350"}) +
            // The second race's number is empty: its caption stays the day label.
            line({"RC", "2", "1030", "", "", "二", "", "", "ダ", "1200", " 3", "晴良"}) + rrLine() +
            hsLine("1", "2", " 2", " 1", " 1", " 1", "1.10.00") + atLine("1", "2", "本線1点目 的中", " 1- 2", "200") +
            atLine("2", "3", "本線3点目 的中", " 2- 4", "560"));
    w.List1_Click(0);

    const std::string label = kLabel + "  ";
    EXPECT_EQ(w.Text2[0].text, label + "01R 春風特別３歳以上１勝クラス芝1600m  SD= 9 晴良");
    EXPECT_EQ(w.Text2[1].text, label);
    EXPECT_EQ(w.Text2[11].text, label);

    const auto& r = w.RACEFG[0];
    EXPECT_EQ(r.text(0, 13), "実上3F");
    const char* row1[] = {"3  05", "01", "04", "12", "牡", " 4", "サクラ", "57.0", "武豊", "国枝栄", "1.34.20", "1.35.1 ", "35.8", "35.9 "};
    for (int c = 0; c < 14; ++c) EXPECT_EQ(r.text(1, c), row1[c]) << c;
    EXPECT_EQ(r.backColor(1, 1), Rgb(kYellow));
    EXPECT_EQ(r.backColor(1, 2), Rgb(0x0000FF));
    EXPECT_EQ(r.backColor(1, 3), Rgb(kWhite));
    EXPECT_EQ(r.backColor(2, 1), Rgb(kCyan));
    EXPECT_EQ(r.backColor(2, 2), Rgb(0x00FF00));
    EXPECT_EQ(r.text(2, 3), "");
    EXPECT_EQ(r.backColor(2, 3), Rgb(kWhite));
    EXPECT_EQ(r.text(3, 0), "");  // places 19 and "" have no row
    EXPECT_EQ(r.colWidth(6), 1700);
    EXPECT_EQ(r.rowHeight(0), 500);
    EXPECT_EQ(w.RACEFG[1].text(1, 0), "2  02");

    const auto& t0 = w.TKFG[0];
    EXPECT_EQ(t0.text(7, 0), "３連単");
    EXPECT_EQ(t0.text(7, 1), "本線1第1順 的中");
    EXPECT_EQ(t0.text(7, 2), " 5→ 1→ 2");
    EXPECT_EQ(t0.text(7, 3), "3890");
    EXPECT_EQ(t0.text(1, 1), "");
    const auto& t1 = w.TKFG[1];
    EXPECT_EQ(t1.text(1, 2), "");
    EXPECT_EQ(t1.text(2, 2), " 1- 2");
    EXPECT_EQ(t1.text(3, 3), "560");
    EXPECT_EQ(w.SSTab2.current(), 11);
    EXPECT_EQ(w.SSTab1.current(), 3);
}

}  // namespace
