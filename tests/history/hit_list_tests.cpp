#include <gtest/gtest.h>

#include "common/quoted.h"
#include "common/recordfile.h"
#include "history/hit_list_window.h"
#include "history_fixture.h"

using namespace histtest;
using kv::history::TekichuListQUEL;

namespace {

struct HitListTest : HistoryTest, ::testing::Test {
    TekichuListQUEL w{menu, [this] { ++yields; }};
    int yields = 0;
    HitListTest() {
        dir.write("JRACODE/CodeTable.csv", line({"2001", "06", "a", "b", "阪神", "c", "d", "e"}) +
                                               line({"2001", "09", "a", "b", "小倉", "c", "d", "e"}));
    }
};

// Field 1 to 15 of the records of a day and race, as ATARILIST.txt writes them.
std::string race(const char* course, const char* kai, const char* nichi, const char* num, const char* name,
                 const char* distance) {
    return std::string("\"2025年\",\"04月\",\"05日\",\"") + course + "\",\"" + kai + "\",\"" + nichi + "\",\"" + num +
           "R\",\"" + name + "\",\"" + name + "\",\"３歳以上１勝クラス\",\"\",\"芝\",\"" + distance + "\",\" 9\",\"晴良\"";
}

TEST_F(HitListTest, EveryHitInTheFileTheBigOnesInTheGrid) {
    day("20250405060102", "lupRCM.txt",
        line({"DY", "1", "20250405"}) + rcLine("01", "春風特別", "1600") + rrLine() +
            atLine("1", "1", "本線1点目 的中", " 1- 5", "10000") + atLine("2", "7", "伏兵3第3順 的中", " 5→ 1→ 2", "10010") +
            line({"KK", "1", " 5", "350", "", ""}) + line({"KK", "2", " 5", "150", " 1", "200"}) +
            line({"KK", "3", "1-3", "900", "", ""}) + line({"KK", "4", " 1- 5", "10000", "", ""}) +
            rcLine("02", "二", "2000") + atLine("1", "5", "準本線2逆順 的中", " 7→ 3", "25000") +
            line({"KK", "1", " 7", "990", "", ""}));
    day("20250405010101", "lupRCM.txt",
        rcLine("01", "一", "1200") + atLine("1", "6", "d6", " 1- 2- 3", "abc") + atLine("2", "3", "d3", " 1- 3", "15000"));
    day("20230101060101", "lupRCM.txt", rcLine("01", "x", "1200") + atLine("1", "5", "d", " 1→ 2", "99999"));
    day("20290101060101", "lupRCM.txt", rcLine("01", "x", "1200") + atLine("1", "5", "d", " 1→ 2", "99999"));
    w.Form_Load();

    const std::string b = race("", "01回", "01日", "01", "一", "1200");
    const std::string a1 = race("阪神", "01回", "02日", "01", "春風特別", "1600");
    const std::string a2 = race("阪神", "01回", "02日", "02", "二", "2000");
    const std::string trifecta = ",\"３連単\",\"伏兵3第3順 的中\",\" 5→ 1→ 2\",\"10010\"";
    EXPECT_EQ(read("TEKICHU/ATARILIST.txt"),
              b + ",\"３連複\",\"d6\",\" 1- 2- 3\",\"abc\"\r\n" +  //
                  b + ",\"ワイド2\",\"d3\",\" 1- 3\",\"15000\"\r\n" +
                  a1 + ",\"馬連\",\"本線1点目 的中\",\" 1- 5\",\"10000\"\r\n" +  //
                  a1 + trifecta + "\r\n" +                                      //
                  a1 + trifecta + ",\"単勝\",\" 5\",\"350\"\r\n" +               //
                  a1 + trifecta + ",\"複勝\",\" 5\",\"150\"\r\n" +               //
                  a1 + trifecta + ",\"枠連\",\"1-3\",\"900\"\r\n" +              //
                  a2 + ",\"馬単\",\"準本線2逆順 的中\",\" 7→ 3\",\"25000\"\r\n");

    const auto& g = w.tekichuFG;
    const std::vector<std::string> row1 = {" 2025年 1", "04月", "05日", "",        "01回", "01日", "01R",
                                           "一",        "ワイド2", "15000", "d3",   "  1- 3", "一",  "３歳以上１勝クラス",
                                           "",          "芝",   "1200", " 9",       "晴良", "1"};
    for (int c = 0; c < 20; ++c) EXPECT_EQ(g.text(1, c), row1[static_cast<std::size_t>(c)]) << c;
    EXPECT_EQ(g.text(2, 0), " 2025年 2");
    EXPECT_EQ(g.text(2, 3), "阪神");
    EXPECT_EQ(g.text(2, 8), "３連単");
    EXPECT_EQ(g.text(3, 0), " 2025年 3");
    EXPECT_EQ(g.text(3, 8), "馬単");
    EXPECT_EQ(g.text(4, 0), "");
    EXPECT_EQ(g.text(0, 0), "年  本数");
    EXPECT_EQ(g.colWidth(7), 2200);
    EXPECT_EQ(yields, 1860);
    EXPECT_EQ(text6().back(), "2024年01月01日検索中");

    // Closing and opening the window searches again and numbers from 1.
    TekichuListQUEL again(menu, {});
    again.Form_Load();
    EXPECT_EQ(again.tekichuFG.text(3, 19), "3");
    EXPECT_EQ(again.tekichuFG.text(4, 0), "");
}

TEST_F(HitListTest, TheGridStopsAtRow4999AndTheNumberAt32767) {
    std::string file = rcLine("01", "x", "1200");
    for (int i = 0; i < 32770; ++i) file += atLine("1", "7", "d", " 1→ 2→ 3", "20000");
    day("20250405060102", "lupRCM.txt", file);
    w.Form_Load();
    EXPECT_EQ(w.RunningNumber, 32767);
    EXPECT_EQ(w.tekichuFG.text(4999, 19), "4999");
    EXPECT_EQ(kv::splitLines(dir.read("TEKICHU/ATARILIST.txt")).size(), 32770u);
}

TEST_F(HitListTest, NoDaysGiveAHeaderOnlyGridAndAnEmptyList) {
    kv::removeFile(dir.file("JRACODE/CodeTable.csv"));
    w.Form_Load();
    EXPECT_TRUE(dir.exists("TEKICHU/ATARILIST.txt"));
    EXPECT_EQ(read("TEKICHU/ATARILIST.txt"), "");
    EXPECT_EQ(w.tekichuFG.text(1, 0), "");
    EXPECT_TRUE(w.WriteFailures.empty());
}

}  // namespace
