#include <gtest/gtest.h>

#include <stdexcept>

#include "bet_fixture.h"
#include "common/appfolder.h"
#include "common/numbers.h"
#include "common/quoted.h"
#include "common/recordfile.h"
#include "common/racehorse_record.h"
#include "race_fixture.h"
#include "racefiles/mmk_file.h"
#include "racefiles/race_lines.h"

using namespace bettest;
using kv::racefiles::ShutsubahyoMmkWriter;
using kvtest::sj;
using kvtest::u8;

namespace {

const char* kDay = "SHUTSUBAHYO/20250405060102";

struct RaceCardTest : ::testing::Test {
    kvtest::TempDir dir;
    void SetUp() override {
        kv::SetAppPath(dir.path());
        kv::makeDirs(dir.file("SHUTSUBAHYO"));
    }
    std::string file(const std::string& suffix) const { return u8(dir.read(std::string(kDay) + suffix)); }
};

// The four-horse race with speeds and marks.
pred::WindowState raceCardRace(std::int16_t mode) {
    auto st = fourHorseRace(mode);
    st.race.SuiteiSpeed = {0.0f, 58.5f, 61.0f, 57.0f, 60.0f};
    st.race.JitsuSpeed = {0.0f, 58.0f, 60.5f, 0.0f, 59.5f};
    st.race.RankMarks[2] = {"A", "", "A", "", ""};
    return st;
}

const std::string kPlaceholderK = ",\"  -  \",\"  -  \",\"  -  \",\"  -  \",\"  -  \",\"  -  \"\r\n";
const std::string kPlaceholderS =
    ",\"  -  -  \",\"  -  -  \",\"  -  -  \",\"  -  -  \",\"  -  -  \",\"  -  -  \",\"  -  -  \"\r\n";

const std::string kResultBlock =
    "\"DY\",\"1\",\"20250405\"\r\n"
    "\"PL\",\"1\",\"1\",\"中山\",\"2\",\"11\"\r\n"
    "\"RC\",\"11\",\"1545\",\"11\",\"春風特別\",\"サラ系3歳\",\"500万下\",\"\",\"ダ\",\"1600\",\" 2\",\"晴良\",\"\"\r\n"
    "\"K1\",\"1\",\" 2- 1\",\" 2- 4\",\" 1- 3\",\" 2- 3\",\" 1- 4\",\" 4- 3\"\r\n"
    "\"K2\",\"1\"" + kPlaceholderK +
    "\"K3\",\"1\"" + kPlaceholderK +
    "\"KK\",\"1\",\" 2\",\"350\",\"\",\"\",\" 2\",\"110\",\" 1\",\"150\",\" 4\",\"300\",\"\",\"\",\"1-2\",\"520\",\"\",\"\","
    "\" 1- 2\",\"480\",\"\",\"\",\" 1- 2\",\"200\",\" 2- 4\",\"560\",\" 1- 4\",\"610\",\"\",\"\",\"\",\"\"\r\n"
    "\"KS\",\"1\",\" 2- 1\",\"720\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\" 1- 2- 4\",\"1150\",\"\",\"\",\"\",\"\"\r\n"
    "\"AT\",\"1\",\"1\",\"本線1 的中\",\" 1- 2\",\"480\"\r\n"
    "\"AT\",\"2\",\"2\",\"本線1 的中\",\" 1- 2\",\"200\"\r\n"
    "\"AT\",\"3\",\"3\",\"本線2 的中\",\" 2- 4\",\"560\"\r\n"
    "\"AT\",\"4\",\"4\",\"本線5 的中\",\" 1- 4\",\"610\"\r\n"
    "\"AT\",\"5\",\"5\",\"本線正順的中\",\" 2- 1\",\"720\"\r\n"
    "\"AT\",\"6\",\"6\",\"本線1 的中\",\" 1- 2- 4\",\"1150\"\r\n"
    "\"CM\",\"1\",\"本線1第1順的中 2- 1- 4 3890円\"\r\n"
    "\"HS\",\"1\",\"1\",\" 1\",\" 2\",\" 2\",\"牡\",\" 3\",\"アイウエオカキクケ\",\"55.0\",\"\",\"\",\"\",\"\",\"横山典弘\","
    "\"1.35.20\",\"1.35.4 \",\" 974\",\" 966\"\r\n"
    "\"HS\",\"2\",\"1\",\" 2\",\" 1\",\" 1\",\"牝\",\" 4\",\"ミホノ\",\"57.0\",\"A\",\"\",\"A\",\"\",\"武豊\",\"1.35.00\","
    "\"1.35.1 \",\"1016\",\"1008\"\r\n"
    "\"HS\",\"3\",\"2\",\" 3\",\" 4\",\"\",\"セ\",\" 5\",\"ABCDEFGHI\",\"54.0\",\"\",\"\",\"\",\"\",\"ルメール\",\"1.36.00\","
    "\"    \",\" 949\",\" 0\"\r\n"
    "\"HS\",\"4\",\"2\",\" 4\",\" 3\",\" 3\",\"牡\",\"10\",\"サクラ\",\"56.0\",\"\",\"\",\"\",\"\",\"Ｍデムー\",\"1.35.50\","
    "\"1.35.7 \",\" 999\",\" 991\"\r\n"
    "\"S1\",\"1\",\" 1- 2- 4\",\" 1- 2- 3\",\" 2- 3- 4\",\" 1- 3- 4\",\"  -  -  \",\"  -  -  \",\"  -  -  \"\r\n"
    "\"S2\",\"1\"" + kPlaceholderS +
    "\"S3\",\"1\"" + kPlaceholderS;

}  // namespace

TEST_F(RaceCardTest, ResultModeBlockWithPayoutsHitsAndComments) {
    auto st = raceCardRace(1);
    st.kept.SLineTrio = {"", "x", "x", "x", "x", "x", "x", "x"};
    ShutsubahyoMmkWriter w;
    w.writeRace(st, 1);
    kvtest::placeDayFiles(w);
    EXPECT_EQ(file("mmkRCM.txt"), kResultBlock);
    // CP932 on disk.
    EXPECT_NE(dir.read(std::string(kDay) + "mmkRCM.txt").find(sj("本線正順的中")), std::string::npos);
    // A short field: trios 1-4 of the ascending list, the rest emptied.
    EXPECT_EQ(st.kept.SLineTrio, (std::array<std::string, 8>{"", "010204", "010203", "020304", "010304", "", "", ""}));
}

TEST_F(RaceCardTest, PredictionModeHasNoResultItemsAndListsTriosInBetOrder) {
    auto st = raceCardRace(0);
    ShutsubahyoMmkWriter w;
    w.writeRace(st, 1);
    kvtest::placeDayFiles(w);
    const std::string mmk = file("mmk.txt");
    EXPECT_FALSE(dir.exists(std::string(kDay) + "mmkRCM.txt"));
    std::string expected;
    for (const auto& l : kv::splitLines(kResultBlock)) {
        if (l.rfind("\"K", 0) == 0 && l[2] != '1' && l[2] != '2' && l[2] != '3') continue;  // KK, KS
        if (l.rfind("\"AT\"", 0) == 0 || l.rfind("\"CM\"", 0) == 0) continue;
        expected += l + "\r\n";
    }
    // Without the result items; trios as SanrenKaime holds them.
    auto replace = [&](const std::string& from, const std::string& to) {
        const auto p = expected.find(from);
        ASSERT_NE(p, std::string::npos) << from;
        expected.replace(p, from.size(), to);
    };
    replace("\" 2\",\"晴良\",\"\"\r\n", "\" 2\",\"晴良\"\r\n");
    replace("\" 2\",\" 2\",\"牡\"", "\" 2\",\"牡\"");
    replace("\"1.35.20\",\"1.35.4 \",\" 974\",\" 966\"", "\"1.35.20\",\" 974\"");
    replace("\" 1\",\" 1\",\"牝\"", "\" 1\",\"牝\"");
    replace("\"1.35.00\",\"1.35.1 \",\"1016\",\"1008\"", "\"1.35.00\",\"1016\"");
    replace("\" 4\",\"\",\"セ\"", "\" 4\",\"セ\"");
    replace("\"1.36.00\",\"    \",\" 949\",\" 0\"", "\"1.36.00\",\" 949\"");
    replace("\" 3\",\" 3\",\"牡\"", "\" 3\",\"牡\"");
    replace("\"1.35.50\",\"1.35.7 \",\" 999\",\" 991\"", "\"1.35.50\",\" 999\"");
    replace("\" 1- 2- 4\",\" 1- 2- 3\",\" 2- 3- 4\",\" 1- 3- 4\"", "\" 2- 1- 4\",\" 2- 1- 3\",\" 2- 4- 3\",\" 1- 4- 3\"");
    EXPECT_EQ(mmk, expected);
    EXPECT_EQ(st.kept.SLineTrio[1], "020104");
}

TEST_F(RaceCardTest, PayoutOfAnotherRaceGivesNoResultLines) {
    auto st = raceCardRace(1);
    st.race.HrRec = Payout("2025040506010212").umaren(1, "0102", "000000480", "002").str();
    ShutsubahyoMmkWriter w;
    w.writeRace(st, 1);
    kvtest::placeDayFiles(w);
    const std::string mmk = file("mmkRCM.txt");
    EXPECT_EQ(mmk.find("\"KK\""), std::string::npos);
    EXPECT_EQ(mmk.find("\"AT\""), std::string::npos);
    EXPECT_NE(mmk.find("\"K3\",\"1\"" + kPlaceholderK + "\"HS\",\"1\""), std::string::npos);
}

// The 5-runner race of speeds 58.5 61.0 60.0 59.0 57.0, ranked and scored by
// the prediction run: the bets by the pair and trio score.
TEST_F(RaceCardTest, FiveRunnerRaceBets) {
    auto st = racetest::rankedRace({58.5f, 61.0f, 60.0f, 59.0f, 57.0f}, "05", 0);
    ShutsubahyoMmkWriter w;
    w.writeRace(st, 1);
    kvtest::placeDayFiles(w);
    const auto lines = kv::splitLines(file("mmk.txt"));
    ASSERT_EQ(lines.size(), 2u + 1 + 3 + 5 + 3);
    EXPECT_EQ(lines[3], "\"K1\",\"1\",\" 2- 3\",\" 2- 4\",\" 2- 1\",\" 3- 4\",\" 3- 1\",\" 2- 5\"");
    EXPECT_EQ(lines[4] + "\r\n", "\"K2\",\"1\"" + kPlaceholderK);
    EXPECT_EQ(lines[6], "\"HS\",\"1\",\"1\",\" 1\",\" 4\",\"牡\",\" 4\",\"ウマ1\",\"55.0\",\"\",\"\",\"\",\"\",\"騎手1\",\"1.40.00\",\" 974\"");
    EXPECT_EQ(lines[11], "\"S1\",\"1\",\" 2- 3- 4\",\" 2- 3- 1\",\" 2- 4- 1\",\" 2- 3- 5\",\" 3- 4- 1\",\" 2- 4- 5\",\" 2- 1- 5\"");
    EXPECT_EQ(lines[12] + "\r\n", "\"S2\",\"1\"" + kPlaceholderS);
    EXPECT_EQ(st.kept.SLineTrio[7], "020105");
}

// Lines carrying bets by the registered count (compared as text), and the
// trios left for the pages: those of the last trio line.
TEST_F(RaceCardTest, BetsShownFollowTheRegisteredCount) {
    struct Case {
        const char* toroku;
        int pairs, trios;  // bets shown
        int lastTrioFirst;
    } cases[] = {{"05", 6, 7, 1}, {"06", 12, 14, 8}, {"16", 18, 21, 15}, {"  ", 18, 21, 15}, {"6 ", 18, 21, 15}, {"00", 6, 4, 1}};
    for (const Case& c : cases) {
        auto st = raceCardRace(1);
        const Lists l({}, {});
        st.race.UmarenKaimeDisp = l.UmarenKaimeDisp;
        st.race.UmarenKaimeCount = l.UmarenKaimeCount;
        st.race.SanrenpukuKaimeKey = l.SanrenpukuKaimeKey;
        st.race.SanrenpukuKaimeCount = l.SanrenpukuKaimeCount;
        std::array<std::string, 8> trios{};
        const std::string k = kv::racefiles::kLines(st.race, c.toroku);
        const std::string s = kv::racefiles::sLines(st.race, true, c.toroku, trios);
        auto bets = [](const std::string& text, const std::string& placeholder) {
            int n = 0;
            for (const auto& line : kv::splitLines(text)) {
                kv::InputReader in(line);
                in.next(2);
                while (!in.atEnd())
                    if (in.next() != placeholder) ++n;
            }
            return n;
        };
        EXPECT_EQ(bets(k, "  -  "), c.pairs) << c.toroku;
        EXPECT_EQ(bets(s, "  -  -  "), c.trios) << c.toroku;
        const int last = c.trios == 4 ? 4 : 7;
        for (int i = 1; i <= 7; ++i)
            EXPECT_EQ(trios[static_cast<std::size_t>(i)],
                      i <= last ? l.SanrenpukuKaimeKey[static_cast<std::size_t>(c.lastTrioFirst + i - 1)] : "")
                << c.toroku << " " << i;
    }
}

// Five horses registered as six: the positions the lists lack are
// placeholders and the block goes on.
TEST_F(RaceCardTest, PositionsTheListsLackArePlaceholders) {
    auto st = racetest::rankedRace({58.5f, 61.0f, 60.0f, 59.0f, 57.0f}, "06", 1);
    ShutsubahyoMmkWriter w;
    w.writeRace(st, 1);
    kvtest::placeDayFiles(w);
    const auto lines = kv::splitLines(file("mmkRCM.txt"));
    ASSERT_EQ(lines.size(), 2u + 1 + 3 + 5 + 3);
    auto items = [](const std::string& line) {
        kv::InputReader in(line);
        std::vector<std::string> v;
        while (!in.atEnd()) v.push_back(in.next());
        return v;
    };
    const auto k2 = items(lines[4]);
    EXPECT_EQ(std::vector<std::string>(k2.begin() + 6, k2.end()), (std::vector<std::string>{"  -  ", "  -  "}));
    EXPECT_NE(k2[5], "  -  ");
    EXPECT_EQ(items(lines[12]), (std::vector<std::string>{"S2", "1", " 3- 4- 5", " 1- 3- 5", " 1- 4- 5", "  -  -  ",
                                                          "  -  -  ", "  -  -  ", "  -  -  "}));
    EXPECT_EQ(items(lines[13]).back(), "  -  -  ");
    EXPECT_EQ(st.kept.SLineTrio, (std::array<std::string, 8>{"", "030405", "010305", "010405", "", "", "", ""}));
}

TEST_F(RaceCardTest, DayFilesAreStartedOnceAndAppended) {
    auto st = raceCardRace(0);
    ShutsubahyoMmkWriter w;
    w.writeRace(st, 1);
    kvtest::placeDayFiles(w);
    const std::string one = file("mmk.txt");
    w.writeRace(st, 1);  // the same day again
    kvtest::placeDayFiles(w);
    EXPECT_EQ(file("mmk.txt"), one + one.substr(one.find("\"RC\"")));

    auto other = raceCardRace(0);
    other.race.RaceHorseRec.set(kv::rh::RaceId.at(0), "2025040609010101");
    w.writeRace(other, 1);
    kvtest::placeDayFiles(w);
    // A racecourse without a code-table row: no value between the commas.
    EXPECT_EQ(u8(dir.read("SHUTSUBAHYO/20250406090101mmk.txt")).rfind("\"DY\",\"1\",\"20250406\"\r\n\"PL\",\"1\",\"1\",,\"1\",\"11\"\r\n", 0),
              0u);
    // The first day met again is appended to, never emptied.
    w.writeRace(st, 1);
    kvtest::placeDayFiles(w);
    EXPECT_EQ(file("mmk.txt"), one + one.substr(one.find("\"RC\"")) + one.substr(one.find("\"RC\"")));

    // A new run starts the file anew.
    ShutsubahyoMmkWriter next;
    next.writeRace(st, 1);
    kvtest::placeDayFiles(next);
    EXPECT_EQ(file("mmk.txt"), one);
}

TEST_F(RaceCardTest, FailureKeepsTheLinesBeforeItAndLeavesNoTrios) {
    auto st = raceCardRace(0);
    st.race.Barei[2] = "xx";
    st.kept.SLineTrio[3] = "010203";
    ShutsubahyoMmkWriter w;
    EXPECT_THROW(w.writeRace(st, 1), kv::ConversionError);
    kvtest::placeDayFiles(w);
    const std::string mmk = file("mmk.txt");
    EXPECT_NE(mmk.find("\"HS\",\"1\""), std::string::npos);
    EXPECT_EQ(mmk.find("\"HS\",\"2\""), std::string::npos);
    EXPECT_EQ(st.kept.SLineTrio, (std::array<std::string, 8>{}));

    // A missing folder is a failure, not a silent skip.
    std::filesystem::remove_all(dir.file("SHUTSUBAHYO"));
    auto ok = raceCardRace(0);
    ShutsubahyoMmkWriter w2;
    EXPECT_THROW(w2.writeRace(ok, 1), std::runtime_error);
    kvtest::placeDayFiles(w2);
}

TEST(SpeedText, BlankInFrontLastFourCharacters) {
    const std::pair<float, const char*> cases[] = {
        {58.5f, " 974"}, {61.0f, "1016"}, {0.0f, " 0"}, {5.0f, " 83"}, {700.0f, "1666"}, {-1.0f, " -17"}};
    for (auto [v, text] : cases) EXPECT_EQ(kv::racefiles::speedText(v), text) << v;
}
