#include <gtest/gtest.h>

#include "common/recordfile.h"
#include "history/past_performance_window.h"
#include "history_fixture.h"

using namespace histtest;
using kv::history::KakoSeisekiQUEL;

namespace {

std::string header(const char* y, const char* m, const char* d, const char* kai, const char* name, const char* nichi) {
    return line({y, m, d, kai, name, nichi}) + line({"R番号", "馬連", "馬単", "3連複", "3連単", "ワイド1", "ワイド2", "ワイド3"});
}

struct SearchTest : HistoryTest, ::testing::Test {};

TEST_F(SearchTest, ListsTheDaysOfTheSearchedRangesNewestFirst) {
    day("20241228060509", "tekichu.txt", header("2024年", "12月", "28日", "5回", "中山", "9日目"));
    day("20241228050101", "tekichu.txt", header("2024年", "12月", "28日", "1回", "東京", "1日目"));
    day("20250101010712", "tekichu.txt", header("2025年", "01月", "01日", "7回", "札幌", "12日目"));
    day("20250230010101", "tekichu.txt", header("2025年", "02月", "30日", "1回", "札幌", "1日目"));
    day("20250103010101", "tekichu.txt", line({"2025年"}));            // fewer than six values
    day("20250102010101", "tekichu.txt", line({"", "01月", "02日"}));  // first value empty
    for (const char* key : {"20250101010812", "20250101010113", "20231231010101", "20290101010101",
                            "20250101110101", "20251301010101", "2025010101010x"})
        day(key, "tekichu.txt", header("2025年", "01月", "01日", "1回", "札幌", "1日目"));
    day("20250104010101", "lupRCM.txt", rcLine("01", "a", "1600"));  // no hit summary

    KakoSeisekiQUEL w(menu);
    w.SearchPastRaceDays();

    const std::vector<std::string> expected = {
        "2025年02月30日1回札幌1日目" + std::string(18, ' ') + "20250230010101",
        "2025年" + std::string(18, ' ') + "20250103010101",
        "2025年01月01日7回札幌12日目" + std::string(18, ' ') + "20250101010712",
        "2024年12月28日1回東京1日目" + std::string(18, ' ') + "20241228050101",
        "2024年12月28日5回中山9日目" + std::string(18, ' ') + "20241228060509",
    };
    EXPECT_EQ(w.List1, expected);
    EXPECT_EQ(read("TEKICHU/RACEIDYMDLKN.txt"),
              "20250230010101\r\n20250103010101\r\n20250101010712\r\n20241228050101\r\n20241228060509\r\n");
    const auto texts = text6();
    ASSERT_EQ(texts.size(), 1860u);
    EXPECT_EQ(texts.front(), "2028年12月31日検索中");
    EXPECT_EQ(texts[31], "2028年11月31日検索中");
    EXPECT_EQ(texts.back(), "2024年01月01日検索中");
    EXPECT_TRUE(w.WriteFailures.empty());
}

TEST_F(SearchTest, AnEmptyFolderGivesAnEmptyListAndIndex) {
    dir.write("TEKICHU/RACEIDYMDLKN.txt", "20250101010101\r\n");
    dir.write("SOKUDO/RACEID.txt", "old\r\n");
    KakoSeisekiQUEL w(menu);
    w.Form_Load();
    EXPECT_TRUE(w.List1.empty());
    EXPECT_TRUE(dir.exists("TEKICHU/RACEIDYMDLKN.txt"));
    EXPECT_EQ(read("TEKICHU/RACEIDYMDLKN.txt"), "");
    EXPECT_EQ(read("SOKUDO/RACEID.txt"), "");
    EXPECT_EQ(text6()[1860], "VEZの外部指数作成開始");
}

// Two racecourses on one date and an earlier date; races without "Q1", with a
// gap in the horse numbers, a runner of zero seconds and a race without runners.
struct ExportTest : HistoryTest, ::testing::Test {
    ExportTest() {
        day("20250405060102", "tekichu.txt", header("2025年", "04月", "05日", "1回", "阪神", "2日目"));
        day("20250405060102", "lupRCM.txt",
            line({"DY", "1", "20250405"}) + rcLine("01", "一", "1600") + rrLine() +
                hsLine("1", "1", " 2", " 1", " 1", " 1", "1.34.20") +
                hsLine("2", "1", " 1", " 3", " 2", " 2", "1.34.56") + line({"Q1", " 2", " 1"}) +
                atLine("1", "1", "本線1点目 的中", " 1- 2", "480") +
                rcLine("02", "二", "1000") + rrLine() + hsLine("1", "1", " 1", " 1", " 1", " 1", "0.59.99") +
                hsLine("2", "2", " 3", " 2", " 2", " 2", "0.00.00") +
                rcLine("03", "三", "1200") + rrLine() + hsLine("1", "1", " 1", "12", " 1", " 1", "1.10.00") +
                line({"Q1", " 1"}) + rcLine("04", "四", "1400") + rrLine() + line({"Q1"}));
        day("20250405090101", "tekichu.txt", header("2025年", "04月", "05日", "1回", "小倉", "1日目"));
        day("20250405090101", "lupRCM.txt", rcLine("01", "五", "2000") + rrLine() +
                                                hsLine("1", "1", " 1", " 1", " 1", " 1", "2.00.00") + line({"Q1"}));
        day("20250329060101", "tekichu.txt", header("2025年", "03月", "29日", "1回", "阪神", "1日目"));
        std::string last = rcLine("11", "六", "1800") + rrLine() + hsLine("1", "1", " 1", " 5", " 1", " 1", "1.48.00");
        last.resize(last.size() - 2);  // no line end after the last value
        day("20250329060101", "lupRCM.txt", last);
        dir.write("SOKUDO/HR20250405.csv", "old\r\n");
        dir.write("SOKUDO/HR20250101.csv", "kept\r\n");
    }
};

TEST_F(ExportTest, WritesOneLinePerRaceAndOneFilePerDate) {
    KakoSeisekiQUEL w(menu);
    w.Form_Load();
    EXPECT_EQ(read("SOKUDO/RACEID.txt"),
              "2025040506010201\r\n2025040506010202\r\n2025040506010203\r\n2025040506010204\r\n"
              "2025040509010101\r\n2025032906010111\r\n");
    EXPECT_EQ(read("SOKUDO/HR20250405.csv"),
              "2025040506010201,60913,03,61146,01\r\n"
              "2025040506010202,60009,01,0,00,0,02\r\n"
              "2025040506010203,61714,12\r\n"
              "2025040509010101,60000,01\r\n");
    EXPECT_EQ(read("SOKUDO/HR20250329.csv"), "2025032906010111,60000,05\r\n");
    EXPECT_EQ(read("SOKUDO/HR20250101.csv"), "kept\r\n");
    const auto texts = text6();
    EXPECT_EQ(texts[1861], "2025040506010201VEZの外部指数作成中");
    EXPECT_EQ(texts.size(), 1861u + 6u);
    EXPECT_TRUE(w.WriteFailures.empty());

    // A second load (the window closed and opened again) writes the same files.
    const std::string hr = read("SOKUDO/HR20250405.csv"), ids = read("SOKUDO/RACEID.txt");
    KakoSeisekiQUEL again(menu);
    again.Form_Load();
    EXPECT_EQ(read("SOKUDO/HR20250405.csv"), hr);
    EXPECT_EQ(read("SOKUDO/RACEID.txt"), ids);
}

TEST_F(ExportTest, FilesThatCannotBeWrittenAreNamedAndTheRestGoesOn) {
    kv::removeFile(dir.file("SOKUDO/HR20250405.csv"));
    kv::removeFile(dir.file("SOKUDO/HR20250101.csv"));
    ASSERT_TRUE(kv::removeFile(dir.file("SOKUDO")) || !kv::dirExists(dir.file("SOKUDO")));
    KakoSeisekiQUEL w(menu);
    w.Form_Load();
    EXPECT_EQ(w.List1.size(), 3u);
    const std::vector<std::string> failed = {dir.file("SOKUDO/HR20250405.csv"), dir.file("SOKUDO/HR20250329.csv"),
                                             dir.file("SOKUDO/RACEID.txt")};
    EXPECT_EQ(w.WriteFailures, failed);
    EXPECT_EQ(text6().size(), 1861u + 6u);
}

TEST(ExportSpeed, SecondsAsASingleAndTheDivisionInDouble) {
    struct Case {
        long long distance;
        bool ok;
        const char* time;
        long long speed;
    } cases[] = {
        {1000, true, "0.59.99", 60009}, {1600, true, "1.34.56", 60913}, {1600, true, "1.34.20", 61146},
        {1600, true, "0.00.00", 0},     {1600, true, "1.ab.cd", 0},     {1600, true, "", 0},
        {1600, false, "1.34.20", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(kv::history::exportSpeed(c.distance, c.ok, c.time), c.speed) << c.distance << " " << c.time;
    EXPECT_EQ(kv::history::twoDigitRank(" 1"), "01");
    EXPECT_EQ(kv::history::twoDigitRank("12"), "12");
    EXPECT_EQ(kv::history::twoDigitRank("x"), "00");
}

}  // namespace
