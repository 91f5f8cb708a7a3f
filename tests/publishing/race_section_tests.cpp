#include <gtest/gtest.h>

#include <stdexcept>

#include "common/numbers.h"
#include "common/racehorse_record.h"
#include "pub_fixture.h"
#include "publishing/race_section.h"

using namespace kv::pub;
using pubtest::fiveHorseRace;
namespace pred = kv::pred;

namespace {

TEST(PageRules, ZeroBlankAndBracketRules) {
    struct Case {
        const char* in;
        const char *zero, *blank, *bracket;  // nullptr: the rule fails
    } cases[] = {
        {"04", "4", "04", "04"},   {"10", "10", "10", "10"}, {" 1", nullptr, "1", " 1"}, {"12", "12", "12", "12"},
        {"7", "7", "7", "7"},      {"3 ", "3 ", "3 ", "3"},  {"", nullptr, "", ""},      {"A1", nullptr, "A1", "A1"},
        {"00", "0", "00", "00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("'") + c.in + "'");
        if (c.zero) EXPECT_EQ(zeroRule(c.in), c.zero);
        else EXPECT_THROW(zeroRule(c.in), kv::ConversionError);
        EXPECT_EQ(blankRule(c.in), c.blank);
        EXPECT_EQ(bracketRule(c.in), c.bracket);
    }
    EXPECT_EQ(htmlEscape("A&B <i>\"x\" 'y'"), "A&amp;B &lt;i&gt;&quot;x&quot; &#39;y&#39;");
}

TEST(PageValues, FiveRunnerRace) {
    const pred::WindowState st = fiveHorseRace();
    const PageValues v = pageValuesFor(st, 1);
    EXPECT_EQ(v.raceKey, "202504050601");
    EXPECT_EQ(v.dayKey, "20250405060305");
    EXPECT_EQ(v.courseName, "中山");
    EXPECT_EQ(v.VenueSlug, "nakayama");
    EXPECT_EQ(v.meetingDigit, "3");
    EXPECT_EQ(v.PageRaceNum, "1");
    EXPECT_EQ(v.PageNichiji, "5");
    EXPECT_EQ(v.PageMonth, "4");
    EXPECT_EQ(v.PageDay, "5");
    EXPECT_EQ(v.PageWeekday, "土");
    EXPECT_EQ(v.RaceLinkClass[1], "bgnabygreen");
    for (int n = 2; n <= 12; ++n) EXPECT_EQ(v.RaceLinkClass[static_cast<std::size_t>(n)], "bgnabyblue");
    EXPECT_EQ(pairsText(v, "・"), "2-3・2-4・2-1・3-4・3-1・2-5");
    EXPECT_EQ(triosText(v, "・"), "2-3-4・2-3-1・2-4-1・2-3-5・3-4-1・2-4-5・2-1-5");

    pred::WindowState result = fiveHorseRace(1);
    EXPECT_EQ(triosText(pageValuesFor(result, 1), "・"), "2-3-4・1-2-3・1-2-4・2-3-5・1-3-4・2-4-5・1-2-5");
}

TEST(PageValues, WeekdaysAndTwoDigitNumbers) {
    struct Case {
        const char *raceId, *month, *day, *weekday, *raceNum;
        int green;
    } cases[] = {
        {"2025060706030510", "6", "7", "土", "10", 10}, {"2025060806030512", "6", "8", "日", "12", 12},
        {"2025060906030501", "6", "9", "月", "1", 1},   {"2025061006030501", "6", "10", "火", "1", 1},
        {"2025061106030501", "6", "11", "水", "1", 1},  {"2025061206030501", "6", "12", "木", "1", 1},
        {"2025061306030501", "6", "13", "金", "1", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.raceId);
        pred::WindowState st = fiveHorseRace();
        st.race.RaceHorseRec.set(kv::rh::RaceId.at(0), c.raceId);
        const PageValues v = pageValuesFor(st, 1);
        EXPECT_EQ(v.PageMonth, c.month);
        EXPECT_EQ(v.PageDay, c.day);
        EXPECT_EQ(v.PageWeekday, c.weekday);
        EXPECT_EQ(v.PageRaceNum, c.raceNum);
        for (int n = 1; n <= 12; ++n)
            EXPECT_EQ(v.RaceLinkClass[static_cast<std::size_t>(n)], n == c.green ? "bgnabygreen" : "bgnabyblue");
    }
}

// The trios shown follow the registered count as text; positions the race's
// own lists lack are left out (never another race's trios).
TEST(PageValues, TriosByRegisteredCountAndShortLists) {
    struct Case {
        int horses;
        const char* toroku;
        std::size_t trios;
        int firstPos;  // list position of the first trio shown
    } cases[] = {
        {4, "04", 4, 1}, {5, "05", 7, 1}, {6, "06", 7, 8}, {8, "08", 7, 15}, {18, "18", 7, 15},
        {5, "  ", 0, 0},  // blank: a full field, positions 15-21, which five runners lack
        {7, "05", 7, 1},  // the count decides, not the runners
        {6, "07", 6, 15}, // twenty trios: 15 to 20 are there, 21 is not
        {0, "05", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.horses) + " runners, '" + c.toroku + "'");
        pred::WindowState st;
        st.run.codeTable.loadBytes(kvtest::sj("2001,06,,,中山,,nakayama,\r\n"));
        pubtest::setRace(st, "2025040506030501", c.horses, c.toroku);
        const PageValues v = pageValuesFor(st, 1);
        ASSERT_EQ(v.PageTrioBets.size(), c.trios);
        EXPECT_EQ(v.PageUmarenBets.size(), std::min<std::size_t>(6, static_cast<std::size_t>(c.horses * (c.horses - 1) / 2)));
        if (c.trios) {
            const std::string first = st.race.SanrenKaime[static_cast<std::size_t>(c.firstPos)];
            EXPECT_EQ(v.PageTrioBets[0][0], zeroRule(first.substr(0, 2)));
            EXPECT_EQ(v.PageTrioBets[0][2], zeroRule(first.substr(4, 2)));
        }
    }
}

TEST(PageValues, FailuresNameTheirCause) {
    auto what = [](auto change) {
        pred::WindowState st = fiveHorseRace();
        change(st);
        try {
            pageValuesFor(st, 1);
        } catch (const std::exception& e) {
            return std::string(e.what());
        }
        return std::string("no failure");
    };
    auto codeTable = [](const char* row) {
        return [row](pred::WindowState& st) { st.run.codeTable.loadBytes(kvtest::sj(row)); };
    };
    EXPECT_NE(what(codeTable("2001,06,,,中山,,naka/yama,\r\n")).find("racecourse code 06"), std::string::npos);
    EXPECT_NE(what(codeTable("2001,06,,,中山,,中山,\r\n")).find("racecourse code 06"), std::string::npos);
    EXPECT_NE(what(codeTable("2001,06,,,中山,,\"a b\",\r\n")).find("racecourse code 06"), std::string::npos);
    EXPECT_EQ(what(codeTable("2001,06,,,中山,,Naka_Yama-2,\r\n")), "no failure");
    EXPECT_EQ(what(codeTable("2001,05,,,東京,,tokyo,\r\n")), "no failure");  // no row: empty names
    EXPECT_NE(what([](pred::WindowState& st) { st.race.RaceHorseRec.set(kv::rh::RaceId.at(0), "2025023006030501"); })
                  .find("no calendar date"),
              std::string::npos);
    EXPECT_NE(what([](pred::WindowState& st) { st.race.RaceHorseRec.set(kv::rh::RaceId.at(0), "20250405060305 1"); })
                  .find("race number"),
              std::string::npos);
}

TEST(RowTexts, BracketColoursRankAndAge) {
    struct Case {
        const char *waku, *rank, *age;
        const char *cls, *font, *rowRank, *rowAge;
    } cases[] = {
        {"1", " 1", "04", "bgwhite", "", "1", "4"},
        {"2", "12", "10", "bgblack2", "<font color=\"#ffffff\">", "12", "10"},
        {"3", " 3", "03", "bgred", "<font color=\"#ffffff\">", "3", "3"},
        {"4", " 3", "03", "bgblue", "<font color=\"#ffffff\">", "3", "3"},
        {"5", " 3", "03", "bgyellow", "", "3", "3"},
        {"6", " 3", "03", "bggreen", "<font color=\"#ffffff\">", "3", "3"},
        {"7", " 3", "03", "bgorange", "", "3", "3"},
        {"8", " 3", "03", "bgpink", "", "3", "3"},
        {"9", " 3", "03", "", "", "3", "3"},  // outside 1 to 8: no class, no font
        {"0", " 3", "03", "", "", "3", "3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.waku);
        pred::WindowState st = fiveHorseRace();
        st.race.Wakuban[1] = c.waku;
        st.kept.YosoJuni[1] = c.rank;
        st.race.Barei[1] = c.age;
        const RowTexts t = SetRowTexts(st, 1);
        EXPECT_EQ(t.RowWaku, c.waku);
        EXPECT_EQ(t.RowWakuClass, c.cls);
        EXPECT_EQ(t.RowWakuFont, c.font);
        EXPECT_EQ(t.RowYosoJuni, c.rowRank);
        EXPECT_EQ(t.RowBarei, c.rowAge);
    }
    for (const char* bad : {" ", "A", ""}) {
        pred::WindowState st = fiveHorseRace();
        st.race.Wakuban[1] = bad;
        EXPECT_THROW(SetRowTexts(st, 1), kv::ConversionError) << "'" << bad << "'";
    }
    pred::WindowState st = fiveHorseRace();
    st.race.Barei[1] = " 4";
    EXPECT_THROW(SetRowTexts(st, 1), kv::ConversionError);
}

}  // namespace
