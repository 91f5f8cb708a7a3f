// The past-runs window: one column per stored run of the horse, newest first.
#include <gtest/gtest.h>

#include <filesystem>

#include "display/past_runs_window.h"
#include "display_fixture.h"
#include "common/exrecord.h"

using namespace disptest;
using kv::display::Kakoso;
using kv::display::KakosoHost;

namespace {

// A run of the horse: its race id (racecourse code jyo) and a few members.
std::string exRun(const std::string& md, const std::string& jyo) {
    kvtest::RecordBuilder b(kv::exrec::kLength, '\0');
    b.setRaw(kv::Field{0, 2}, "SE").setRaw(kv::Field{11, 16}, "2025" + md + jyo + "050702");
    b.setRaw(kv::Field{42, 1}, "6").setRaw(kv::Field{1049, 2}, "03").setRaw(kv::Field{1110, 4}, "0012");
    b.setRaw(kv::Field{1330, 12}, "124110116119").set(kv::Field{788, 36}, "フレメシ");
    b.setRaw(kv::Field{195, 1}, "1").setRaw(kv::Field{179, 16}, "2024070120240705");
    b.single(2521 + 4 * 0, 16.12349f).single(2521 + 4 * 1, 16.1234f).single(2521 + 4 * 2, -0.00005f);
    b.single(2521 + 4 * 19, 3.0f).single(2149 + 4 * 1, 0.5f).single(2397 + 4 * 30, -1.0f);
    b.setRaw(kv::Field{1849, 9}, "F1CODE   ").setRaw(kv::Field{2025 + 4 * 30, 4}, "0007");
    return b.str();
}

constexpr const char* kKetto = "2023100259";

struct PastRuns : ::testing::Test {
    Week w{1};
    void SetUp() override {
        w.write("JRACODE/CodeTable.csv", kvtest::sj("2001,05,,,東京,,,\r\n2002,6,,,土,,,\r\n"));
        w.write(std::string("UMAGOTOEXTHISWEEKN/") + kKetto + "EX.dat",
                exRun("0101", "06") + exRun("0301", "09") + exRun("0405", "05"));
        kv::display::SelectedHorseText = "フレメシ" + std::string(14, ' ') + kKetto + "EX.dat";
    }
};

}  // namespace

TEST_F(PastRuns, ColumnsNewestFirstWithTheirRows) {
    Kakoso k;
    k.Form_Load();
    const auto& g = k.EXFG1;
    ASSERT_EQ(g.cols(), 4);
    ASSERT_EQ(g.rows(), 312);
    EXPECT_EQ(rowText(g, 0), "|前 0走|前 1走|前 2走");
    EXPECT_EQ(rowText(g, 4), "レース年月日|20250405|20250301|20250101");
    // Racecourse from the code table; a code it does not hold gives only the rest.
    EXPECT_EQ(rowText(g, 5), "レース開催場所回日R|東京050702|050702|050702");
    EXPECT_EQ(rowText(g, 7, 0, 1), "馬名|フレメシ" + std::string(28, ' '));
    EXPECT_EQ(rowText(g, 32, 0, 1), "曜日|土");
    EXPECT_EQ(rowText(g, 47, 0, 1), "入線順位　1着との秒差|03 0012");
    EXPECT_EQ(rowText(g, 111, 0, 1), "ハロン毎先頭馬タイム|124-110-116-119-");
    EXPECT_EQ(rowText(g, 140, 0, 1), "取引馬齢開終|1 2024070120240705");
    EXPECT_EQ(rowText(g, 142, 0, 1), "上がり時速（単）|16.1234");
    EXPECT_EQ(rowText(g, 143, 0, 1), "ペース時速（単）|16.1233");
    EXPECT_EQ(rowText(g, 144, 0, 1), "走破時速（単）|-0.0001");
    EXPECT_EQ(rowText(g, 145, 0, 1), "予想上がり時速（単）|0");
    EXPECT_EQ(rowText(g, 161, 0, 1), "|3");
    EXPECT_EQ(rowText(g, 162, 0, 1), "F1 年度|F1CODE   ");
    EXPECT_EQ(rowText(g, 221, 0, 1), "FC30 馬主アーニング|0007");
    EXPECT_EQ(rowText(g, 222, 0, 1), "AgariFW1 年度|0.5");
    EXPECT_EQ(g.text(252, 0), "PaceFW1 年度");
    EXPECT_EQ(rowText(g, 311, 0, 1), "SohaFW30 馬主アーニング|-1");
    EXPECT_EQ(g.text(0, 0), "");
    EXPECT_EQ(g.colWidth(0), 2000);
    EXPECT_EQ(g.colWidth(3), 1500);
}

TEST(PastRunsLabels, RepeatedAndEmptyLabels) {
    struct Row {
        int row;
        const char* label;
    } rows[] = {{1, "レコードスペック"}, {63, "予備"}, {64, "予備"}, {88, "同着本賞金5着"}, {89, "同着本賞金5着"},
                {93, "同着付加賞金3着"}, {94, "同着付加賞金3着"}, {95, "同着変更前1着本賞金"},
                {102, "同着変更前3着付加賞金"}, {113, "前半4Fラップタイム計"}, {117, "コ周回各馬通過順位0"},
                {132, "母父馬サンプル数"}, {141, "市場取引価格"}, {154, "100*(sps-spa)/(spp-spa)"}, {155, ""},
                {191, "F30 馬主アーニング"}, {192, "FC1 年度"}, {281, "PaceFW30 馬主アーニング"}, {282, "SohaFW1 年度"},
                {312, ""}};
    for (const auto& r : rows) EXPECT_EQ(kv::display::kakosoRowLabel(r.row), r.label) << r.row;
}

TEST_F(PastRuns, TextsThatNameNoFile) {
    struct Case {
        std::string text;
        int cols;
        const char* label1;
    } cases[] = {
        {"", 2, ""},                                      // the grid as designed
        {"abc", 1, "レコードスペック"},                   // names no file: labels only
        {"9999999999EX.dat", 1, "レコードスペック"},      // no such file
        {"../../etc/passwdEX.dat", 1, "レコードスペック"},  // not ten digits and "EX.dat"
        {"2023100259EX.da", 1, "レコードスペック"},
    };
    for (const auto& c : cases) {
        kv::display::SelectedHorseText = c.text;
        Kakoso k;
        k.Form_Load();
        EXPECT_EQ(k.EXFG1.cols(), c.cols) << c.text;
        EXPECT_EQ(k.EXFG1.text(1, 0), c.label1) << c.text;
        EXPECT_EQ(k.EXFG1.text(0, 1 % k.EXFG1.cols()), "") << c.text;
    }
    EXPECT_FALSE(w.dir.exists("UMAGOTOEXTHISWEEKN/9999999999EX.dat"));
}

TEST_F(PastRuns, PartialLastRecordCountsWhenOverHalf) {
    const std::string path = std::string("UMAGOTOEXTHISWEEKN/") + kKetto + "EX.dat";
    const std::string two = exRun("0101", "06") + exRun("0405", "05");
    struct Case {
        std::size_t tail;
        int runs;
    } cases[] = {{1301, 2}, {1302, 3}};
    for (const auto& c : cases) {
        w.write(path, two + exRun("0505", "05").substr(0, c.tail));
        Kakoso k;
        k.Form_Load();
        EXPECT_EQ(k.ExRecCount, c.runs) << c.tail;
        if (c.runs == 3) {
            EXPECT_EQ(k.EXFG1.text(4, 1), "20250505");  // the partial record, its missing bytes as zero
            EXPECT_EQ(k.EXFG1.text(142, 1), "0");
        }
    }
    // A missing code table gives empty lookups.
    std::filesystem::remove(w.dir.file("JRACODE/CodeTable.csv"));
    Kakoso k;
    k.Form_Load();
    EXPECT_EQ(k.EXFG1.text(5, 1), "050702");
    EXPECT_EQ(k.EXFG1.text(32, 1), "");
}

TEST_F(PastRuns, SingleWindowKeepsItsHorseUntilClosed) {
    KakosoHost host;
    Kakoso& first = host.show();
    ASSERT_EQ(first.EXFG1.cols(), 4);
    kv::display::SelectedHorseText = "abc";
    EXPECT_EQ(&host.show(), &first);  // shown again: not loaded again
    EXPECT_EQ(first.EXFG1.cols(), 4);
    first.Command1_Click();
    EXPECT_EQ(host.instance(), nullptr);
    EXPECT_EQ(host.show().EXFG1.cols(), 1);
}

TEST_F(PastRuns, OpenedFromARaceCardNameCell) {
    auto r = runner(1, 1);
    r.set(rh::KettoNum.at(0), kKetto);
    w.runners(1, {r});
    kv::display::RaceDisplay d(w.st);
    KakosoHost host;
    d.showKakoso = [&host] { host.show(); };
    ASSERT_TRUE(d.List1_Click(1));
    d.RACEDETAILGrid2.click(1, 5);
    ASSERT_NE(host.instance(), nullptr);
    EXPECT_EQ(host.instance()->EXFG1.cols(), 4);
}
