#include <gtest/gtest.h>

#include <stdexcept>

#include "bet_fixture.h"
#include "common/appfolder.h"
#include "common/quoted.h"
#include "common/recordfile.h"
#include "elevencolumn/lup_pc_files.h"
#include "common/racehorse_record.h"
#include "prediction/run_stages.h"

using namespace bettest;
using kv::eleven::LupPcFilesWriter;
using kvtest::u8;

namespace {

using ElevenFilesTest = DayFileTest;

const std::string kHead =
    "\"DY\",\"1\",\"20250405\"\r\n"
    "\"PL\",\"1\",\"1\",\"中山\",\"2\",\"11\"\r\n";

const std::string kResultRace =
    "\"RC\",\"11\",\"1545\",\"11\",\"春風特別\",\"サラ系3歳\",\"500万下\",\"\",\"ダ\",\"1600\",\" 2\",\"晴良\",\"\"\r\n"
    "\"RR\",\"n\",\"w\",\"馬\",\"予\",\"人\",\"入\",\"性\",\"齢\",\"馬名　　　　　　　\",\"負担\",\"騎手名　\",\"推定タイム\","
    "\"実タイム\"\r\n"
    "\"HS\",\"1\",\"1\",\" 2\",\" 1\",\" 1\",\" 1\",\"牝\",\" 4\",\"ミホノ\",\"57.0\",\"武豊\",\"1.35.00\",\"1.35.1 \"\r\n"
    "\"HS\",\"2\",\"1\",\" 1\",\" 2\",\" 3\",\" 2\",\"牡\",\" 3\",\"アイウエオカキクケ\",\"55.0\",\"横山典弘\",\"1.35.20\",\"1.35.4 \"\r\n"
    "\"HS\",\"3\",\"2\",\" 4\",\" 3\",\" 2\",\" 3\",\"牡\",\"10\",\"サクラ\",\"56.0\",\"Ｍデムー\",\"1.35.50\",\"1.35.7 \"\r\n"
    "\"HS\",\"4\",\"2\",\" 3\",\" 4\",\" 4\",\"\",\"セ\",\" 5\",\"ABCDEFGHI\",\"54.0\",\"ルメール\",\"1.36.00\",\"    \"\r\n"
    "\"TF1\",\" 2\"\r\n"
    "\"TF2\",\" 1\"\r\n"
    "\"UF1\",\" 2\",\" 1\",\" 4\"\r\n"
    "\"UF2\",\" 2\",\" 1\",\" 4\",\" 3\"\r\n"
    "\"UBX\",\" 2\",\" 1\",\" 4\",\" 3\"\r\n"
    "\"S11\",\" 2\"\r\n"
    "\"S12\",\" 1\"\r\n"
    "\"S1A\",\" 4\",\" 3\"\r\n"
    "\"S21\",\" 1\"\r\n"
    "\"S22\",\" 4\"\r\n"
    "\"S2A\",\" 3\"\r\n"
    "\"S31\",\" 2\"\r\n"
    "\"S32\",\" 4\"\r\n"
    "\"S3A\",\" 3\"\r\n"
    "\"SBX\",\" 2\",\" 1\",\" 4\",\" 3\"\r\n";

const std::string kTableHead =
    "\"2025年\",\"04月\",\"05日\",\"1回\",\"中山\",\"2日目\"\r\n"
    "\" R番号\",\"単勝1\",\"複勝1\",\"単勝2\",\"複勝2\",\"馬連F\",\"馬連B\",\"馬単F\",\"  3連複B\",\"  3連単12\","
    "\"  3連単23\",\"  3連単13\"\r\n";

const std::string kTableRows =
    "\"11R点数  \",\"1\",\"1\",\"1\",\"1\",6,6,9,4,12,6,6\r\n"
    "\"  的中目\",\"02\",\"02\",\"\",\"01\",\" 1- 2\",\" 1- 2\",\" 2→ 1\",\" 1- 2- 4\",\" 2→ 1→ 4\",\"\",\"\"\r\n"
    "\"  配当\",\"350\",\"110\",\"\",\"150\",\"480\",\"480\",\"720\",\"1150\",\"3890\",\"\",\"\"\r\n";

}  // namespace

TEST_F(ElevenFilesTest, ResultModeDayFileHitTableAndTallies) {
    auto st = fourHorseRace(1);
    LupPcFilesWriter w;
    w.writeRace(st, 1);
    kvtest::placeDayFiles(w);
    EXPECT_EQ(file("lupRCMPC.txt"), kHead + kResultRace);
    EXPECT_EQ(file("tekichuPC.txt"), kTableHead + kTableRows);
    EXPECT_EQ(st.kept.StatSanrentan12.HaitoGoukei, 3890);
    EXPECT_EQ(st.kept.StatUmarenF.TensuGoukei, 6);

    // The next race of the day appends; a payout record of another race adds
    // no rows and leaves the tallies.
    auto next = fourHorseRace(1);
    next.kept = st.kept;
    next.race.HrRec = Payout("2025040506010212").str();
    w.writeRace(next, 1);
    w.writeRace(st, 1);
    kvtest::placeDayFiles(w);
    EXPECT_EQ(file("lupRCMPC.txt"), kHead + kResultRace + kResultRace + kResultRace);
    EXPECT_EQ(file("tekichuPC.txt"), kTableHead + kTableRows + kTableRows);
    EXPECT_EQ(next.kept.StatUmarenF.TensuGoukei, 6);
}

TEST_F(ElevenFilesTest, PredictionModeWritesNoHitTable) {
    auto st = fourHorseRace(0);
    LupPcFilesWriter w;
    w.writeRace(st, 1);
    kvtest::placeDayFiles(w);
    const auto lines = kv::splitLines(file("lupPC.txt"));
    ASSERT_EQ(lines.size(), 2u + 2 + 4 + 15);
    EXPECT_EQ(lines[2], "\"RC\",\"11\",\"1545\",\"11\",\"春風特別\",\"サラ系3歳\",\"500万下\",\"\",\"ダ\",\"1600\",\" 2\",\"晴良\"");
    EXPECT_EQ(lines[3], "\"RR\",\"n\",\"w\",\"馬\",\"予\",\"性\",\"齢\",\"馬名　　　　　　　\",\"負担\",\"騎手名　\",\"推定タイム\"");
    EXPECT_EQ(lines[4], "\"HS\",\"1\",\"1\",\" 2\",\" 1\",\"牝\",\" 4\",\"ミホノ\",\"57.0\",\"武豊\",\"1.35.00\"");
    EXPECT_FALSE(dir.exists(std::string(kTekichuDay) + "tekichuPC.txt"));
    EXPECT_EQ(st.kept.StatUmarenF.TensuGoukei, 0);
}

// Three horses: the ticket lines end before the first that names rank 4;
// the race gets no rows and no tally.
TEST_F(ElevenFilesTest, ThreeHorsesEndTheRaceAtItsTicketLines) {
    auto st = fourHorseRace(1);
    st.race.HorseCount = 3;
    st.kept.YosoJuni[2] = " 1", st.kept.YosoJuni[1] = " 2", st.kept.YosoJuni[4] = "";
    st.kept.YosoJuni[3] = " 3";
    st.race.YosoJunUmaban = {"", "02", "01", "03"};
    st.race.RaceHorseRec.set(kv::rh::TorokuTosu.at(0), "03");
    LupPcFilesWriter w;
    EXPECT_THROW(w.writeRace(st, 1), std::out_of_range);
    kvtest::placeDayFiles(w);
    const std::string lup = file("lupRCMPC.txt");
    EXPECT_NE(lup.find("\"UF1\",\" 2\",\" 1\",\" 3\"\r\n"), std::string::npos);
    EXPECT_EQ(lup.find("\"UF2\""), std::string::npos);
    EXPECT_EQ(file("tekichuPC.txt"), kTableHead);
    EXPECT_EQ(st.kept.StatTansho1.TekichuKaisu, 0);
    // The failure is the race's data, said for the user.
    try {
        w.writeRace(st, 1);
        ADD_FAILURE() << "the race was written";
    } catch (const std::exception& e) {
        const auto* data = dynamic_cast<const kv::pred::RaceDataFault*>(&e);
        ASSERT_NE(data, nullptr) << e.what();
        EXPECT_NE(data->data().find("予想順位 4 位の馬が有りません"), std::string::npos) << data->data();
    }
}

TEST_F(ElevenFilesTest, RacecourseWithoutCodeTableRow) {
    auto st = fourHorseRace(1);
    st.run.codeTable.loadBytes("");
    LupPcFilesWriter w;
    w.writeRace(st, 1);
    kvtest::placeDayFiles(w);
    EXPECT_EQ(kv::splitLines(file("lupRCMPC.txt"))[1], "\"PL\",\"1\",\"1\",,\"2\",\"11\"");
    EXPECT_EQ(kv::splitLines(file("tekichuPC.txt"))[0], "\"2025年\",\"04月\",\"05日\",\"1回\",,\"2日目\"");
}

// The day's rate file takes the hits, points and payouts of the tallies.
TEST_F(ElevenFilesTest, DayRatesShowTheTallies) {
    auto st = fourHorseRace(1);
    LupPcFilesWriter w;
    w.writeRace(st, 1);
    kvtest::placeDayFiles(w);
    kv::pred::computeDayRates(st.kept, 1);
    kv::DayFiles rates;
    kv::pred::writeRateFiles(st, 1, 1, rates);
    EXPECT_TRUE(rates.place().empty());
    const auto lines = kv::splitLines(file("kaitekiPC.txt"));
    ASSERT_GE(lines.size(), 8u);
    EXPECT_EQ(lines[3], "\"的中R数\",1,1,0,1,1,1,1,1,1,0,0");
    EXPECT_EQ(lines[5], "\"購入点数\",1,1,1,1,6,6,9,4,12,6,6");
    EXPECT_EQ(lines[6], "\"回収金額\",350,110,0,150,480,480,720,1150,3890,0,0");
}
