// The factor weight windows: weight texts, the tables as read, the grids,
// charts, boxes and their order in the dump for the three surfaces, the
// largest tables, and the loads that cannot read a table.
#include <gtest/gtest.h>

#include <sstream>

#include "common/appfolder.h"
#include "common/recordfile.h"
#include "expansion/tables_fixture.h"
#include "factorview/factor_window.h"

using namespace kv::factorview;
using kv::expansion::Surface;
using kv::expansion::WeightFileNames;
using kv::expansion::weightFileNames;

namespace {

struct Messages : kv::MessageSink {
    std::vector<std::string> texts;
    void message(const std::string& t) override { texts.push_back(t); }
};

std::string dumpOf(const FactorWeightWindow& w) {
    std::ostringstream out;
    kv::controls::ControlDump d(out);
    w.dump(d);
    return out.str();
}

// The lines of one control's block, its header line first.
std::string block(const std::string& dump, const std::string& header) {
    const std::size_t at = dump.find("== " + header);
    if (at == std::string::npos) return "<missing " + header + ">";
    const std::size_t end = dump.find("\n== ", at);
    return dump.substr(at, end == std::string::npos ? std::string::npos : end + 1 - at);
}

std::vector<std::string> headers(const std::string& dump) {
    std::vector<std::string> out;
    std::istringstream in(dump);
    for (std::string line; std::getline(in, line);)
        if (line.rfind("== ", 0) == 0) out.push_back(line.substr(3));
    return out;
}

std::unique_ptr<FactorWeightWindow> makeWindow(Surface s, kv::MessageSink& m) {
    switch (s) {
    case Surface::Dirt: return std::make_unique<FactorDIRTQJ>(m);
    case Surface::Hurdle: return std::make_unique<FactorHURDQJ>(m);
    default: return std::make_unique<FactorTURFQJ>(m);
    }
}

// Factor 1 with two years, factor 6 with one code, factor 12 with the first
// categories of the male and the female classes; every other factor empty.
exptest::TableDef smallTables() {
    exptest::TableDef t;
    t[1] = {{"2025     ", 409, 51.3117f, 51.2f, 51.1f}, {"2024     ", 0, 0.7f, 55.55f, -0.0004f}};
    t[6] = {{"A0    ", 303, 0.018f, 0.02f, 0.03f}};
    for (int j = 1; j <= 40; ++j) {
        const float w = j == 34 ? 0.7f : static_cast<float>(j) / 100.0f;
        t[12].push_back({std::to_string(26 + j), j, w, -w, 2 * w});
    }
    return t;
}

struct FactorViewTest : ::testing::Test {
    kvtest::TempDir dir;
    Messages messages;
    void SetUp() override { kv::SetAppPath(dir.path()); }
};

}  // namespace

TEST(WeightText, FloorsToThreeDecimalsAndWritesASingle) {
    struct Case { float w; const char* text; } cases[] = {
        {0.7f, "0.699"},        {55.55f, "55.549"},         {0.038f, "0.037"},   {-3.2f, "-3.201"},
        {-0.0004f, "-0.001"},   {-0.0005f, "-0.001"},       {0.0009f, "0"},      {-0.0f, "0"},
        {0.5f, "0.5"},          {2.0f, "2"},                {56.12345f, "56.123"},
        {12345.677f, "12345.68"}, {123456789.0f, "123456800"},
    };
    for (const auto& c : cases) EXPECT_EQ(weightText(c.w), c.text) << c.w;
}

TEST_F(FactorViewTest, CodesCountsAndWeightsAsRead) {
    // Values split by commas and by line ends, quoted codes with blanks, commas,
    // "\" and full-width text, surplus values after the last one needed.
    const WeightFileNames n = weightFileNames(Surface::Turf);
    std::string total = "7";
    for (int k = 2; k <= 30; ++k) total += k % 2 ? ",0" : "\r\n0";
    dir.write(n.totalData, total + ",12,13\r\n");
    dir.write(n.itemCategory, "\"a, b\",   lead\r\n\"tail  \",\"\\\"," + kvtest::sj("\"牡　馬\"") +
                                  ",\"\x81\x20x\",9\r\n\"surplus\"\r\n");
    dir.write(n.itemCategoryCount, "0,-5\r\n2147483647,0,1,2,3,4\r\n");
    dir.write(n.agari, "0.7,55.55,0.038,-3.2,-0.0004,0.0009,5,9\r\n");
    dir.write(n.pace, "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n");
    dir.write(n.soha, "1,2,3,4,5,6,7");
    FactorTURFQJ w(messages);
    ASSERT_TRUE(w.Form_Load());
    EXPECT_TRUE(messages.texts.empty());
    EXPECT_EQ(block(dumpOf(w), "YearTurfFG"),
              "== YearTurfFG grid 8x6 fixed 1,1\n"
              "コード番号\t上がり速度\tペース速度\t走破速度\t延出走数\t参照番地\n"
              "a, b\t0.699\t1\t1\t0\t1\n"
              "lead\t55.549\t2\t2\t-5\t2\n"
              "tail  \t0.037\t3\t3\t2147483647\t3\n"
              "\\\\\t-3.201\t4\t4\t0\t4\n"
              "牡　馬\t-0.001\t5\t5\t1\t5\n"
              "?\x20x\t0\t6\t6\t2\t6\n"
              "9\t5\t7\t7\t3\t7\n");
    // The grid shows what the table holds, not the fill-in the prediction gives
    // a category without samples.
    EXPECT_EQ(w.AgariWeight(1, 1), 0.7f);
    EXPECT_EQ(w.FactorGrid[2].rows(), 1);
}

TEST_F(FactorViewTest, AgeChartsReadFixedPositionsOfFactor12) {
    struct Case { Surface s; const char* male; const char* female; int rows; const char* first; const char* last; };
    const Case cases[] = {
        {Surface::Turf, "MaleAgeChart", "FemaleAgeChart", 33, "27", "59"},
        {Surface::Dirt, "MaleAgeChart", "FemaleAgeChart", 33, "27", "59"},
        {Surface::Hurdle, "MaleAgeShogChart", "FemaleAgeShogChart", 20, "40", "59"},
    };
    for (const Case& c : cases) {
        exptest::writeTables(dir, c.s, smallTables());
        if (c.s == Surface::Hurdle) {
            // Hurdle races have whole-race weights only; no other weight file is read.
            dir.write("OPTION1N\\QA1ShogAgariWeightData201901N2025.dat", "abc");
            dir.write("OPTION1N\\QA1ShogPaceWeightData201901N2025.dat", "abc");
        }
        auto w = makeWindow(c.s, messages);
        ASSERT_TRUE(w->Form_Load());
        const bool hurdle = c.s == Surface::Hurdle;
        const kv::controls::ChartModel* charts[2] = {&w->MaleChart, &w->FemaleChart};
        for (int i = 0; i < 2; ++i) {
            const auto& ch = *charts[i];
            EXPECT_EQ(ch.kind(), kv::controls::ChartModel::Kind::Line2d);
            ASSERT_EQ(ch.rowCount(), c.rows);
            ASSERT_EQ(ch.columnCount(), 3);
            EXPECT_EQ(ch.rowLabel(1), c.first);
            EXPECT_EQ(ch.rowLabel(c.rows), c.last);
            EXPECT_FALSE(ch.valueAxis().automatic);
            EXPECT_EQ(ch.valueAxis().minimum, -2.5);
            EXPECT_EQ(ch.valueAxis().maximum, 2.5);
            EXPECT_EQ(ch.valueAxis().divisions, 10);
            EXPECT_EQ(ch.legendText(2), "ペース");
        }
        // Male row r is category r, female row r category r + 33; factor 12 has
        // 40 categories, so the female rows beyond category 40 plot 0.
        const std::string d = dumpOf(*w);
        const std::string male = block(d, c.male), female = block(d, c.female);
        EXPECT_NE(male.find(std::string("\n") + c.first + (hurdle ? "\t0.02\t0.02\t0.02\n" : "\t0.01\t-0.01\t0.02\n")),
                  std::string::npos) << male;
        // The value is the single's seven-digit text read back: 0.7, not 0.699 or 0.699999988.
        EXPECT_NE(female.find(std::string("\n") + c.first + (hurdle ? "\t1.4\t1.4\t1.4\n" : "\t0.7\t-0.7\t1.4\n")),
                  std::string::npos) << female;
        EXPECT_NE(female.find(std::string("\n") + c.last + "\t0\t0\t0\n"), std::string::npos) << female;
    }
}

TEST_F(FactorViewTest, WindowDumpPerSurface) {
    struct Case {
        Surface s;
        const char* caption;
        const char* tabs;
        const char* legend;
        const char* f6;
        const char* f20;
        const char* f12;    // the block sequence of tab F12
        const char* boxes;  // the boxes in tab order, "-" for a tab without one
        const char* f2Box;
    };
    const Case cases[] = {
        {Surface::Turf, "芝予想因子 Ver.2020.7.21  201901-202503", "SSTab1 tabs 30 current 11",
         "== TurfBonreiFG grid 1x4 fixed 0,0\n"
         "上がり(ゴール前3F）影響速度\tペース(スタートから3F地点）影響速度\t走破(スタートからゴール）影響速度\t"
         "縦軸の単位はKm/hr(時速)\n"
         "colour 0,0 back=FF0000 fore=-\ncolour 0,1 back=00FF00 fore=-\ncolour 0,2 back=0000FF fore=-\n",
         "KyosokigoTurfFG grid 2x6 fixed 1,0", "FatherTurfFG grid 1x6 fixed 1,1",
         "SSTab3 tabs 3 current 0|MaleAgeChart chart 33x3|FemaleAgeChart chart 33x3|BareiTurfFG grid 41x6 fixed 1,1|"
         "Text6 text",
         "Text11 Text5 Text28 Text13 Text12 Text1 Text24 Text2 Text15 Text14 Text29 Text6 Text30 Text3 Text18 "
         "Text19 Text21 Text7 Text8 Text9 Text10 Text23 Text22 Text31 Text32 Text33 Text4 Text25 Text26 Text27",
         "Text5"},
        {Surface::Dirt, "ダート予想因子　Ver.2020.7.21 201901-202503", "SSTab1 tabs 30 current 1",
         "== DirtBonreiFG grid 1x4 fixed 0,0\n"
         "上がり(ゴール前3F）影響速度\tペース(スタートから3F地点）影響速度\t走破(スタートからゴール）影響速度\t"
         "縦軸の単位はKm/hr(時速)\n"
         "colour 0,0 back=FF0000 fore=-\ncolour 0,1 back=00FF00 fore=-\ncolour 0,2 back=0000FF fore=-\n",
         "KyosokigoDirtFG grid 2x7 fixed 1,0", "FatherArningDirtFG grid 1x6 fixed 1,1",
         "SSTab3 tabs 3 current 2|MaleAgeChart chart 33x3|FemaleAgeChart chart 33x3|BareiDirtFG grid 41x6 fixed 1,1|"
         "Text6 text",
         "Text11 Text5 Text28 Text13 Text12 Text1 Text24 Text2 Text15 Text14 Text29 Text6 Text30 Text3 Text18 "
         "Text19 Text21 Text7 Text8 Text9 Text10 Text23 Text22 Text31 Text32 Text33 Text4 Text27 Text26 Text25",
         "Text5"},
        {Surface::Hurdle, "障害予想因子　Ver.2020.7.21 201901-202503", "SSTab1 tabs 30 current 1",
         "== shogBonreiFG grid 2x4 fixed 1,1\n"
         "走破（１F平均）影響速度\t走破（１F平均）影響速度\t走破（１F平均）影響速度\t"
         "単位はKm/hr(時速)、3つにしているのは計算精度チェックの為\n\t\t\t\n"
         "colour 0,0 back=FF0000 fore=-\ncolour 0,1 back=00FF00 fore=-\ncolour 0,2 back=0000FF fore=-\n",
         "KyosokigoHurdFG grid 2x7 fixed 1,0", "FatherArningHurdFG grid 1x6 fixed 1,0",
         "SSTab5 tabs 3 current 2|MaleAgeShogChart chart 20x3|FemaleAgeShogChart chart 20x3|"
         "BareiHurdFG grid 41x6 fixed 1,1|Text16 text",
         "Text1 Text6 Text7 Text11 Text3 Text12 Text13 Text2 Text14 Text15 Text17 Text16 Text18 Text19 - Text20 "
         "Text21 Text22 Text23 Text10 - Text24 Text9 Text5 Text4 Text25 - Text26 Text27 Text8",
         "Text6"},
    };
    const std::string dirtF2 = "縦軸の単位は時速(Km/hr)です。基本的な理解としては数値が大きいほど影響度が強いと考えて下さい。"
                               "なお、中山ダート1200ｍが非常に特異なコースである事が分かると思います。";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        exptest::writeTables(dir, c.s, smallTables());
        auto w = makeWindow(c.s, messages);
        ASSERT_TRUE(w->Form_Load());
        const std::string d = dumpOf(*w);
        const std::vector<std::string> h = headers(d);
        ASSERT_GE(h.size(), 3u);
        EXPECT_EQ(d.substr(0, d.find("\n== ")), std::string("== Caption text\n") + c.caption);
        EXPECT_EQ(h[1], c.tabs);
        EXPECT_NE(block(d, "SSTab1").find(c.s == Surface::Dirt ? "\nF12 馬齢(月齢）\n" : "\nF12 馬齢（月齢）\n"),
                  std::string::npos);
        EXPECT_EQ(block(d, w->config().legendName), c.legend);
        EXPECT_NE(d.find(std::string("== ") + c.f6 + "\n"), std::string::npos);
        EXPECT_NE(d.find(std::string("== ") + c.f20 + "\n"), std::string::npos);

        // Tab order: each tab's grid, then its box; tab F12 holds the nested
        // strip, both charts, its grid and its box.
        std::string f12, boxes;
        for (std::size_t i = 3; i < h.size(); ++i) {
            if (h[i].find(" grid ") != std::string::npos) {
                const bool box = i + 1 < h.size() && h[i + 1].find(" text") != std::string::npos;
                boxes += (box ? h[i + 1].substr(0, h[i + 1].find(' ')) : "-") + " ";
            }
            if (h[i].rfind(w->config().nestedName, 0) == 0)
                for (std::size_t j = i; j < i + 5 && j < h.size(); ++j) f12 += h[j] + (j + 1 < i + 5 ? "|" : "");
        }
        EXPECT_EQ(f12, c.f12);
        boxes.pop_back();
        EXPECT_EQ(boxes, c.boxes);

        // Texts: one line as written; a box the load leaves alone shows nothing.
        const std::string f2 = block(d, std::string(c.f2Box) + " text");
        if (c.s == Surface::Turf) EXPECT_NE(f2.find("新潟直線1000ｍ"), std::string::npos);
        else EXPECT_EQ(f2, "== " + std::string(c.f2Box) + " text\n" + dirtF2 + "\n");
        const char* unwritten = c.s == Surface::Hurdle ? "Text7" : "Text23";
        EXPECT_EQ(block(d, std::string(unwritten) + " text"), "== " + std::string(unwritten) + " text\n\n");
        EXPECT_EQ(w->FactorGrid[2].colWidth(0), 1200);
    }
}

TEST_F(FactorViewTest, LargestFactorAndEmptyFactor) {
    exptest::TableDef t;
    for (int j = 1; j <= 6000; ++j) t[30].push_back({std::to_string(j), j, 1.5f, 1.5f, 1.5f});
    exptest::writeTables(dir, Surface::Turf, t);
    FactorTURFQJ w(messages);
    ASSERT_TRUE(w.Form_Load());
    ASSERT_EQ(w.FactorGrid[30].rows(), 6001);
    EXPECT_EQ(w.FactorGrid[30].text(6000, 5), "6000");
    EXPECT_EQ(w.FactorGrid[30].text(6000, 4), "6000");
    EXPECT_EQ(w.FactorGrid[29].rows(), 1);
    EXPECT_EQ(w.FactorGrid[29].text(0, 5), "参照番地");
    // An empty factor still gets its tab's text.
    EXPECT_FALSE(w.Box[29].text.empty());
}

TEST_F(FactorViewTest, ATableThatCannotBeReadShowsOneMessageAndNothingElse) {
    const WeightFileNames turf = weightFileNames(Surface::Turf);
    const WeightFileNames shog = weightFileNames(Surface::Hurdle);
    auto counts = [](const char* third, int values) {
        std::string s;
        for (int k = 1; k <= values; ++k) s += k == 3 ? std::string(third) + "\r\n" : "1\r\n";
        return s;
    };
    struct Case {
        const char* what;
        Surface s;
        std::string file;       // the file broken (relative)
        std::string contents;   // empty: removed
    };
    const Case cases[] = {
        {"count file missing", Surface::Turf, turf.totalData, ""},
        {"codes missing", Surface::Turf, turf.itemCategory, ""},
        {"sample counts missing", Surface::Turf, turf.itemCategoryCount, ""},
        {"final-section weights missing", Surface::Dirt, weightFileNames(Surface::Dirt).agari, ""},
        {"pace weights missing", Surface::Turf, turf.pace, ""},
        {"whole-race weights missing", Surface::Hurdle, shog.soha, ""},
        {"29 values in the count file", Surface::Turf, turf.totalData, counts("1", 29)},
        {"count 6001", Surface::Turf, turf.totalData, counts("6001", 30)},
        {"count -1", Surface::Turf, turf.totalData, counts("-1", 30)},
        {"short code file", Surface::Turf, turf.itemCategory, "\"a\"\r\n"},
        {"a weight that is no number", Surface::Hurdle, shog.soha, "1\r\nabc\r\n1\r\n"},
        {"a sample count beyond 32 bits", Surface::Turf, turf.itemCategoryCount, "1,2147483648,1"},
        {"a weight beyond the single range", Surface::Turf, turf.agari, "1,1," + std::string(40, '9')},
    };
    exptest::TableDef t;
    t[3] = {{"x", 1, 1, 1, 1}};
    t[30] = {{"y", 1, 1, 1, 1}, {"z", 1, 1, 1, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        exptest::writeTables(dir, c.s, t);
        if (c.contents.empty()) kv::removeFile(dir.file(c.file));
        else dir.write(c.file, c.contents);
        messages.texts.clear();
        auto w = makeWindow(c.s, messages);
        EXPECT_FALSE(w->Form_Load());
        ASSERT_EQ(messages.texts.size(), 1u);
        EXPECT_EQ(messages.texts[0], std::string("因子ウエイトファイルを読み込めません: ") + kv::appFile(c.file));
        EXPECT_FALSE(w->loaded());
        EXPECT_EQ(w->Legend.text(0, 0), "");
        EXPECT_EQ(w->FactorGrid[3].rows(), 2);
        EXPECT_EQ(w->Box[1].text, "");
    }
}
