#include <gtest/gtest.h>

#include "bet_fixture.h"
#include "betlines/hit_check.h"
#include "common/appfolder.h"
#include "common/quoted.h"
#include "common/recordfile.h"
#include "common/racehorse_record.h"
#include "racefiles/twi_file.h"

using namespace bettest;
using kv::racefiles::TwiRaceBlockWriter;
using kvtest::u8;

namespace {

using RaceTextTest = DayFileTest;

const std::string kHead =
    "\"DY\",\"1\",\"20250405\"\r\n"
    "\"PL\",\"1\",\"1\",\"中山\",\"2\",\"11\"\r\n"
    "\"RC\",\"11\",\"1545\",\"11\",\"\",\"春風特別\",\"サラ系3歳500万下\",\"\",\"ダ\",\"1600\",\" 2\",\"晴良\"\r\n";

const std::string kResultBody =
    "\"RR\",\"連番\",\"枠番\",\"馬番\",\"予順\",\"人気\",\"入線\",\"性\",\"齢\",\"馬名　　　　　　　\",\"負担\",\"騎手名　\","
    "\"調教師名\",\"推定タイム\",\"実タイム\",\"推定上3F\",\"実上3F\"\r\n"
    "\"HS\",\"1\",\"1\",\" 2\",\" 1\",\" 1\",\" 1\",\"牝\",\" 4\",\"ミホノ\",\"57.0\",\"武豊\",\"国枝栄\",\"1.35.00\","
    "\"1.35.1 \",\"35.80\",\"35.9 \"\r\n"
    "\"HS\",\"2\",\"1\",\" 1\",\" 2\",\" 3\",\" 2\",\"牡\",\" 3\",\"アイウエオカキクケ\",\"55.0\",\"横山典弘\",\"藤沢和雄\","
    "\"1.35.20\",\"1.35.4 \",\"36.10\",\"36.5 \"\r\n"
    "\"HS\",\"3\",\"2\",\" 4\",\" 3\",\" 2\",\" 3\",\"牡\",\"10\",\"サクラ\",\"56.0\",\"Ｍデムー\",\"友道康夫\",\"1.35.50\","
    "\"1.35.7 \",\"36.30\",\"36.4 \"\r\n"
    "\"HS\",\"4\",\"2\",\" 3\",\" 4\",\" 4\",\"\",\"セ\",\" 5\",\"ABCDEFGHI\",\"54.0\",\"ルメール\",\"堀宣行\",\"1.36.00\","
    "\"    \",\"37.00\",\"\"\r\n"
    "\"AT\",\"1\",\"馬連\",\"本線1点目 的中\",\" 1- 2\",\"480\"\r\n"
    "\"AT\",\"2\",\"ワイド\",\"本線1点目 的中\",\" 1- 2\",\"200\"\r\n"
    "\"AT\",\"3\",\"ワイド\",\"本線2点目 的中\",\" 2- 4\",\"560\"\r\n"
    "\"AT\",\"4\",\"ワイド\",\"本線5点目 的中\",\" 1- 4\",\"610\"\r\n"
    "\"AT\",\"5\",\"馬単\",\"本線1正順 的中\",\" 2→ 1\",\"720\"\r\n"
    "\"AT\",\"6\",\"3連複\",\"本線1点目 的中\",\" 1- 2- 4\",\"1150\"\r\n"
    "\"AT\",\"7\",\"3連単\",\"本線1第1順 的中\",\" 2→ 1→ 4\",\"3890\"\r\n"
    "\"KK\",\"1\",\" 2\",\"350\",\"\",\"\"\r\n"
    "\"KK\",\"2\",\" 2\",\"110\",\" 1\",\"150\",\" 4\",\"300\",\"\",\"\"\r\n"
    "\"KK\",\"3\",\"1-2\",\"520\",\"\",\"\"\r\n"
    "\"KK\",\"4\",\" 1- 2\",\"480\",\"\",\"\"\r\n"
    "\"KK\",\"5\",\" 1- 2\",\"200\",\" 2- 4\",\"560\",\" 1- 4\",\"610\",\"\",\"\",\"\",\"\"\r\n"
    "\"KS\",\"1\",\" 2→ 1\",\"720\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"
    "\"KS\",\"2\",\" 1- 2- 4\",\"1150\",\"\",\"\",\"\",\"\"\r\n"
    "\"KS\",\"3\",\" 2→ 1→ 4\",\"3890\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n";

}  // namespace

TEST_F(RaceTextTest, ResultModeBlockResetsTheHitRecords) {
    auto st = fourHorseRace(1);
    st.kept.UmarenResult.Tekichu = "本線1点目";
    st.kept.SanrentanResult.Haito = "3890";
    TwiRaceBlockWriter w;
    w.writeRace(st, 1);
    kvtest::placeDayFiles(w);
    EXPECT_EQ(file("twiRCM.txt"), kHead + kResultBody);
    const pred::TekichuResult none = kv::bet::noHitResult();
    for (const pred::TekichuResult* r : {&st.kept.UmarenResult, &st.kept.Wide3Result, &st.kept.SanrentanResult}) {
        EXPECT_EQ(r->Tekichu, none.Tekichu);
        EXPECT_EQ(r->Haito, "");
    }

    // The next race of the day appends without a day header.
    w.writeRace(st, 1);
    kvtest::placeDayFiles(w);
    EXPECT_EQ(file("twiRCM.txt"), kHead + kResultBody + kHead.substr(kHead.find("\"RC\"")) + kResultBody);
}

TEST_F(RaceTextTest, ResultModeWithoutTheRacesPayoutsOrTrifectaResult) {
    auto st = fourHorseRace(1);
    const std::string payouts = st.race.HrRec;
    st.race.HrRec = Payout("2025040506010212").str();
    TwiRaceBlockWriter w;
    w.writeRace(st, 1);
    kvtest::placeDayFiles(w);
    EXPECT_EQ(file("twiRCM.txt"), kHead + kResultBody.substr(0, kResultBody.find("\"AT\"")));

    // No ３連単 result: no KS 3 line, and no trifecta hit line.
    auto other = fourHorseRace(1);
    other.race.RaceHorseRec.set(kv::rh::RaceId.at(0), "2025040506020211");
    kv::setField(other.race.HrRec, hr::PaySanrentan::Kumi(1), "000000");
    TwiRaceBlockWriter w2;
    w2.writeRace(other, 1);
    kvtest::placeDayFiles(w2);
    const std::string twi = u8(dir.read("TEKICHU/20250405060202twiRCM.txt"));
    EXPECT_EQ(twi.find("\"KS\",\"3\""), std::string::npos);
    EXPECT_EQ(twi.find("3連単"), std::string::npos);
    EXPECT_NE(twi.find("\"KS\",\"2\""), std::string::npos);
}

TEST_F(RaceTextTest, PredictionModeCutsTheTrainerToThree) {
    auto st = fourHorseRace(0);
    TwiRaceBlockWriter w;
    w.writeRace(st, 1);
    kvtest::placeDayFiles(w);
    const auto lines = kv::splitLines(file("twi.txt"));
    ASSERT_EQ(lines.size(), 2u + 1 + 1 + 4);
    EXPECT_EQ(lines[3], "\"RR\",\"連番\",\"枠番\",\"馬番\",\"予順\",\"性\",\"齢\",\"馬名　　　　　　　\",\"負担\",\"騎手名　\","
                        "\"調教師名\",\"推定タイム\",\"推定上3F\"");
    EXPECT_EQ(lines[5], "\"HS\",\"2\",\"1\",\" 1\",\" 2\",\"牡\",\" 3\",\"アイウエオカキクケ\",\"55.0\",\"横山典弘\",\"藤沢和\","
                        "\"1.35.20\",\"36.10\"");
}

TEST(RaceTextTitles, FlatAndHurdle) {
    using kv::racefiles::twiRrLine;
    auto last = [](const std::string& line, int n) {
        const auto items = kv::splitLines(line);
        kv::InputReader in(items.at(0));
        std::vector<std::string> v;
        while (!in.atEnd()) v.push_back(u8(in.next()));
        return std::vector<std::string>(v.end() - n, v.end());
    };
    EXPECT_EQ(last(twiRrLine(true, true), 2), (std::vector<std::string>{"推定上3F", "実上3F"}));
    EXPECT_EQ(last(twiRrLine(true, false), 2), (std::vector<std::string>{"推定平1F", "実平1F"}));
    EXPECT_EQ(last(twiRrLine(false, false), 2), (std::vector<std::string>{"推定タイム", "推定平1F"}));
}
