#include <gtest/gtest.h>

#include "bet_fixture.h"
#include "betlines/combo_text.h"
#include "betlines/kaime_lines.h"
#include "betlines/yosojun_lines.h"
#include "common/quoted.h"
#include "common/racehorse_record.h"

using namespace bettest;
using kvtest::u8;

namespace {

// An 18-horse race: horse 12 faster than 3 in the pair at position 13, the
// trio 12 3 5 (in ３連単 order) at position 15, the trio 9 8 7 at position 8,
// the trio 10 2 1 at position 1.
pred::WindowState eighteenHorses(const char* torokuTosu, const char* raceNum) {
    pred::WindowState st;
    st.race.reset(18);
    const Lists l({{13, "1203"}}, {{15, "120305"}, {8, "090807"}, {1, "100201"}});
    st.race.UmarenKaimeKey = l.UmarenKaimeKey;
    st.race.UmarenKaimeDisp = l.UmarenKaimeDisp;
    st.race.UmarenKaimeCount = l.UmarenKaimeCount;
    st.race.SanrenpukuKaimeKey = l.SanrenpukuKaimeKey;
    st.race.SanrenKaime = l.SanrenKaime;
    st.race.SanrenpukuKaimeCount = l.SanrenpukuKaimeCount;
    st.race.RaceHorseRec.set(kv::rh::RaceId.at(0), std::string("20250405060102") + raceNum);
    st.race.RaceHorseRec.set(kv::rh::TorokuTosu.at(0), torokuTosu);
    // Rank k is horse 19 - k; horses 18 to 14 finished first to fifth.
    for (int k = 1; k <= 18; ++k) st.race.YosoJunUmaban[static_cast<std::size_t>(k)] = two(19 - k);
    for (int h = 0; h <= 18; ++h) st.kept.Chakujun[static_cast<std::size_t>(h)] = h >= 14 ? two(19 - h) : "**";
    return st;
}

// Lines with their CR LF (anything after the last CR LF is a line of its own).
std::vector<std::string> lines(const std::string& cp932) {
    std::vector<std::string> v;
    std::size_t b = 0;
    while (b < cp932.size()) {
        std::size_t e = cp932.find("\r\n", b);
        e = e == std::string::npos ? cp932.size() : e + 2;
        v.push_back(u8(cp932.substr(b, e - b)));
        b = e;
    }
    return v;
}

std::vector<std::string> tags(const std::string& cp932) {
    std::vector<std::string> v;
    for (const auto& l : lines(cp932)) v.push_back(l.substr(1, l.find('"', 1) - 1));
    return v;
}

std::vector<std::string> tagRun(const char* t, int n) {
    std::vector<std::string> v;
    for (int i = 1; i <= n; ++i) v.push_back(t + std::to_string(i));
    return v;
}

std::vector<std::string> concat(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> v;
    for (const auto& p : parts) v.insert(v.end(), p.begin(), p.end());
    return v;
}

const std::string* findTag(const std::vector<std::string>& ls, const std::string& tag) {
    for (const auto& l : ls)
        if (l.rfind("\"" + tag + "\"", 0) == 0) return &l;
    return nullptr;
}

}  // namespace

TEST(KaimeLines, LineCountsFollowTheRegisteredCountAsText) {
    const struct {
        const char* t;
        int pairs, trios;
    } cases[] = {{"00", 6, 4}, {"04", 6, 4}, {"05", 6, 7}, {"06", 12, 14}, {"07", 18, 21},
                 {"18", 18, 21}, {"  ", 18, 21}, {"4 ", 18, 21}, {"0A", 18, 21}, {"", 18, 21}};
    for (const auto& c : cases) {
        const auto n = kv::bet::kaimeLineCount(c.t);
        EXPECT_EQ(n.pairs, c.pairs) << c.t;
        EXPECT_EQ(n.trios, c.trios) << c.t;
    }
}

TEST(KaimeLines, AllTiersOfAnEighteenRunnerRace) {
    auto st = eighteenHorses("18", "08");
    std::string m, p;
    kv::bet::WriteKaimeMLines(st, m);
    kv::bet::WriteKaimePLines(st, p);
    EXPECT_EQ(tags(m), concat({tagRun("MUH", 6), tagRun("MUJ", 6), tagRun("MUF", 6), tagRun("MSH", 7),
                               tagRun("MSJ", 7), tagRun("MSF", 7)}));
    EXPECT_EQ(tags(p), concat({tagRun("PUH", 6), tagRun("PUJ", 6), tagRun("PUF", 6), tagRun("PSH", 7),
                               tagRun("PSJ", 7), tagRun("PSF", 7)}));

    const auto ml = lines(m), pl = lines(p);
    EXPECT_EQ(*findTag(ml, "MUF1"), "\"MUF1\",\"13\",\"12- 3\"\r\n");
    EXPECT_EQ(*findTag(pl, "PUF1"), "\"PUF1\",\"13\",\" 3-12\",\"12→ 3\",\" 3→12\"\r\n");
    // Race "08": 本線 and 準本線 trios in ３連単 order, 伏兵 trios in number order.
    EXPECT_EQ(*findTag(ml, "MSH1"), "\"MSH1\",\"1\",\"10- 2- 1\"\r\n");
    EXPECT_EQ(*findTag(ml, "MSJ1"), "\"MSJ1\",\"8\",\" 9- 8- 7\"\r\n");
    EXPECT_EQ(*findTag(ml, "MSF1"), "\"MSF1\",\"15\",\" 3- 5-12\"\r\n");
    EXPECT_EQ(*findTag(pl, "PSF1"),
              "\"PSF1\",\"15\",\" 3- 5-12\",\"12→ 3→ 5\",\"12→ 5→ 3\",\" 3→12→ 5\",\" 3→ 5→12\",\" 5→12→ 3\","
              "\" 5→ 3→12\"\r\n");
    // A pair in number order that is also its 馬単 order.
    EXPECT_EQ(*findTag(pl, "PUH1"), "\"PUH1\",\"1\",\" 1- 2\",\" 1→ 2\",\" 2→ 1\"\r\n");
}

TEST(KaimeLines, RaceNumberRangesOfTheTrioLines) {
    {
        auto st = eighteenHorses("18", "09");
        std::string m;
        kv::bet::WriteKaimeMLines(st, m);
        EXPECT_EQ(*findTag(lines(m), "MSF1"), "\"MSF1\",\"15\",\"12- 3- 5\"\r\n");
    }
    {
        auto st = eighteenHorses("18", "13");
        std::string m, p;
        kv::bet::WriteKaimeMLines(st, m);
        kv::bet::WriteKaimePLines(st, p);
        EXPECT_EQ(*findTag(lines(m), "MSH1"), "\"MSH1\",\"1\",\" 1- 2-10\"\r\n");
        EXPECT_EQ(*findTag(lines(m), "MSJ1"), "\"MSJ1\",\"8\",\" 7- 8- 9\"\r\n");
        EXPECT_EQ(*findTag(lines(m), "MUF1"), "\"MUF1\",\"13\",\"12- 3\"\r\n");
        EXPECT_EQ(*findTag(lines(p), "PSF1"), "\"PSF1\",\"15\",\" 3- 5-12\"\r\n");
    }
}

TEST(KaimeLines, ShortListsGiveTheLinesTheyHold) {
    auto st = fourHorseRace(1);
    st.race.RaceHorseRec.set(kv::rh::TorokuTosu.at(0), "10");  // asks for 18 and 21
    std::string m, p;
    kv::bet::WriteKaimeMLines(st, m);
    kv::bet::WriteKaimePLines(st, p);
    EXPECT_EQ(tags(m), concat({tagRun("MUH", 6), tagRun("MSH", 4)}));
    EXPECT_EQ(tags(p), concat({tagRun("PUH", 6), tagRun("PSH", 4)}));
}

TEST(KaimeLines, AKeyPartWithoutANumberFailsAfterTheLinesBeforeIt) {
    auto st = fourHorseRace(0);
    st.race.UmarenKaimeDisp[3] = "01  ";
    std::string m;
    EXPECT_THROW(kv::bet::WriteKaimeMLines(st, m), kv::ConversionError);
    EXPECT_EQ(tags(m), tagRun("MUH", 2));
}

TEST(KaimeLines, SanrentanFormattersFollowTheirDigits) {
    EXPECT_EQ(kv::bet::FormatSanrenKey("051203"), " 5-12- 3");
    EXPECT_EQ(kv::bet::FormatSanrentan123("051203"), " 5→12→ 3");
    EXPECT_EQ(kv::bet::FormatSanrentan132("051203"), " 5→ 3→12");
    EXPECT_EQ(kv::bet::FormatSanrentan213("051203"), "12→ 5→ 3");
    EXPECT_EQ(kv::bet::FormatSanrentan231("051203"), "12→ 3→ 5");
    EXPECT_EQ(kv::bet::FormatSanrentan312("051203"), " 3→ 5→12");
    EXPECT_EQ(kv::bet::FormatSanrentan321("051203"), " 3→12→ 5");
}

TEST(YosojunLines, RankCountOfTheRegisteredCount) {
    const std::pair<double, int> cases[] = {{0, 0}, {1, 4}, {3, 4}, {4, 4},  {5, 5},   {12, 12},
                                            {18, 18}, {19, 0}, {0.5, 0}, {-3, 0}, {7.5, 0}};
    for (auto [n, r] : cases) EXPECT_EQ(kv::bet::yosojunRankCount(n), r) << n;
}

TEST(YosojunLines, LinesByCountAndMode) {
    const struct {
        const char* count;
        int mode;
        std::vector<std::string> expected;
    } cases[] = {
        {"12", 0,
         {"\"Q1\",\"18\",\"17\",\"16\",\"15\",\"14\"\r\n", "\"Q2\",\"13\",\"12\",\"11\",\"10\",\" 9\"\r\n",
          "\"Q3\",\" 8\",\" 7\"\r\n"}},
        {"05", 0, {"\"Q1\",\"18\",\"17\",\"16\",\"15\",\"14\"\r\n"}},
        {"04", 1, {"\"Q1\",\"18\",\"17\",\"16\",\"15\"\r\n", "\"ATQ1\",\"01\",\"02\",\"03\",\"04\"\r\n"}},
        {"01", 0, {"\"Q1\",\"18\",\"17\",\"16\",\"15\"\r\n"}},
        {"16", 0,
         {"\"Q1\",\"18\",\"17\",\"16\",\"15\",\"14\"\r\n", "\"Q2\",\"13\",\"12\",\"11\",\"10\",\" 9\"\r\n",
          "\"Q3\",\" 8\",\" 7\",\" 6\",\" 5\",\" 4\"\r\n", "\"Q4\",\" 3\"\r\n"}},
        {"18", 1,
         {"\"Q1\",\"18\",\"17\",\"16\",\"15\",\"14\"\r\n", "\"Q2\",\"13\",\"12\",\"11\",\"10\",\" 9\"\r\n",
          "\"Q3\",\" 8\",\" 7\",\" 6\",\" 5\",\" 4\"\r\n", "\"Q4\",\" 3\",\" 2\",\" 1\"\r\n",
          "\"ATQ1\",\"01\",\"02\",\"03\",\"04\",\"05\"\r\n", "\"ATQ2\",\"**\",\"**\",\"**\",\"**\",\"**\"\r\n",
          "\"ATQ3\",\"**\",\"**\",\"**\",\"**\",\"**\"\r\n", "\"ATQ4\",\"**\",\"**\",\"**\"\r\n"}},
        {"  ", 1, {}},
        {"19", 1, {}},
        {"00", 0, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.count);
        auto st = eighteenHorses(c.count, "11");
        st.run.KekkaMode = static_cast<std::int16_t>(c.mode);
        std::string out;
        kv::bet::WriteYosojunLines(st, out);
        EXPECT_EQ(lines(out), c.expected);
    }
}

TEST(YosojunLines, RanksBeyondTheRaceTableAreLeftOut) {
    auto st = fourHorseRace(1);
    st.race.RaceHorseRec.set(kv::rh::TorokuTosu.at(0), "10");
    std::string out;
    kv::bet::WriteYosojunLines(st, out);
    EXPECT_EQ(lines(out), (std::vector<std::string>{"\"Q1\",\" 2\",\" 1\",\" 4\",\" 3\"\r\n",
                                                    "\"ATQ1\",\"01\",\"02\",\"03\",\"**\"\r\n"}));
}
