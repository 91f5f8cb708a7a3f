#include <gtest/gtest.h>

#include <stdexcept>

#include "bet_fixture.h"
#include "betlines/lup_files.h"
#include "common/appfolder.h"
#include "common/numbers.h"
#include "common/quoted.h"
#include "common/recordfile.h"
#include "common/racehorse_record.h"

using namespace bettest;
using kv::bet::LupFilesWriter;
using kvtest::sj;
using kvtest::u8;

namespace {

using WriterTest = DayFileTest;

// The four-horse race in result mode, as written by the first race of its day.
const std::string kResultBlock =
    "\"DY\",\"1\",\"20250405\"\r\n"
    "\"PL\",\"1\",\"1\",\"中山\",\"2\",\"11\"\r\n"
    "\"RC\",\"11\",\"1545\",\"11\",\"\",\"春風特別\",\"サラ系3歳500万下\",\"\",\"ダ\",\"1600\",\" 2\",\"晴良\"\r\n"
    "\"RR\",\"n\",\"w\",\"馬\",\"予\",\"人\",\"入\",\"性\",\"齢\",\"馬名　　　　　　　\",\"負担\",\"騎手名　\","
    "\"調教師名\",\"推定タイム\",\"実タイム\",\"推定上3F\",\"実上3F\"\r\n"
    "\"HS\",\"1\",\"1\",\" 2\",\" 1\",\" 1\",\" 1\",\"牝\",\" 4\",\"ミホノ\",\"57.0\",\"武豊\",\"国枝栄\",\"1.35.00\","
    "\"1.35.1 \",\"35.80\",\"35.9 \"\r\n"
    "\"HS\",\"2\",\"1\",\" 1\",\" 2\",\" 3\",\" 2\",\"牡\",\" 3\",\"アイウエオカキクケ\",\"55.0\",\"横山典弘\",\"藤沢和雄\","
    "\"1.35.20\",\"1.35.4 \",\"36.10\",\"36.5 \"\r\n"
    "\"HS\",\"3\",\"2\",\" 4\",\" 3\",\" 2\",\" 3\",\"牡\",\"10\",\"サクラ\",\"56.0\",\"Ｍデムー\",\"友道康夫\",\"1.35.50\","
    "\"1.35.7 \",\"36.30\",\"36.4 \"\r\n"
    "\"HS\",\"4\",\"2\",\" 3\",\" 4\",\" 4\",\"\",\"セ\",\" 5\",\"ABCDEFGHI\",\"54.0\",\"ルメール\",\"堀宣行\",\"1.36.00\","
    "\"    \",\"37.00\",\"\"\r\n"
    "\"Q1\",\" 2\",\" 1\",\" 4\",\" 3\"\r\n"
    "\"ATQ1\",\"01\",\"02\",\"03\",\"**\"\r\n"
    "\"MUH1\",\"1\",\" 2- 1\"\r\n"
    "\"MUH2\",\"2\",\" 2- 4\"\r\n"
    "\"MUH3\",\"3\",\" 1- 3\"\r\n"
    "\"MUH4\",\"4\",\" 2- 3\"\r\n"
    "\"MUH5\",\"5\",\" 1- 4\"\r\n"
    "\"MUH6\",\"6\",\" 4- 3\"\r\n"
    "\"MSH1\",\"1\",\" 2- 1- 4\"\r\n"
    "\"MSH2\",\"2\",\" 2- 1- 3\"\r\n"
    "\"MSH3\",\"3\",\" 2- 4- 3\"\r\n"
    "\"MSH4\",\"4\",\" 1- 4- 3\"\r\n"
    "\"PUH1\",\"1\",\" 1- 2\",\" 2→ 1\",\" 1→ 2\"\r\n"
    "\"PUH2\",\"2\",\" 2- 4\",\" 2→ 4\",\" 4→ 2\"\r\n"
    "\"PUH3\",\"3\",\" 1- 3\",\" 1→ 3\",\" 3→ 1\"\r\n"
    "\"PUH4\",\"4\",\" 2- 3\",\" 2→ 3\",\" 3→ 2\"\r\n"
    "\"PUH5\",\"5\",\" 1- 4\",\" 1→ 4\",\" 4→ 1\"\r\n"
    "\"PUH6\",\"6\",\" 3- 4\",\" 4→ 3\",\" 3→ 4\"\r\n"
    "\"PSH1\",\"1\",\" 1- 2- 4\",\" 2→ 1→ 4\",\" 2→ 4→ 1\",\" 1→ 2→ 4\",\" 1→ 4→ 2\",\" 4→ 2→ 1\",\" 4→ 1→ 2\"\r\n"
    "\"PSH2\",\"2\",\" 1- 2- 3\",\" 2→ 1→ 3\",\" 2→ 3→ 1\",\" 1→ 2→ 3\",\" 1→ 3→ 2\",\" 3→ 2→ 1\",\" 3→ 1→ 2\"\r\n"
    "\"PSH3\",\"3\",\" 2- 3- 4\",\" 2→ 4→ 3\",\" 2→ 3→ 4\",\" 4→ 2→ 3\",\" 4→ 3→ 2\",\" 3→ 2→ 4\",\" 3→ 4→ 2\"\r\n"
    "\"PSH4\",\"4\",\" 1- 3- 4\",\" 1→ 4→ 3\",\" 1→ 3→ 4\",\" 4→ 1→ 3\",\" 4→ 3→ 1\",\" 3→ 1→ 4\",\" 3→ 4→ 1\"\r\n"
    "\"AT\",\"1\",\"1\",\"本線1点目 的中\",\" 1- 2\",\"480\"\r\n"
    "\"AT\",\"2\",\"2\",\"本線1点目 的中\",\" 1- 2\",\"200\"\r\n"
    "\"AT\",\"3\",\"3\",\"本線2点目 的中\",\" 2- 4\",\"560\"\r\n"
    "\"AT\",\"4\",\"4\",\"本線5点目 的中\",\" 1- 4\",\"610\"\r\n"
    "\"AT\",\"5\",\"5\",\"本線1正順 的中\",\" 2→ 1\",\"720\"\r\n"
    "\"AT\",\"6\",\"6\",\"本線1点目 的中\",\" 1- 2- 4\",\"1150\"\r\n"
    "\"AT\",\"7\",\"7\",\"本線1第1順 的中\",\" 2→ 1→ 4\",\"3890\"\r\n"
    "\"KK\",\"1\",\" 2\",\"350\",\"\",\"\"\r\n"
    "\"KK\",\"2\",\" 2\",\"110\",\" 1\",\"150\",\" 4\",\"300\",\"\",\"\"\r\n"
    "\"KK\",\"3\",\"1-2\",\"520\",\"\",\"\"\r\n"
    "\"KK\",\"4\",\" 1- 2\",\"480\",\"\",\"\"\r\n"
    "\"KK\",\"5\",\" 1- 2\",\"200\",\" 2- 4\",\"560\",\" 1- 4\",\"610\",\"\",\"\",\"\",\"\"\r\n"
    "\"KS\",\"1\",\" 2→ 1\",\"720\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"
    "\"KS\",\"2\",\" 1- 2- 4\",\"1150\",\"\",\"\",\"\",\"\"\r\n"
    "\"KS\",\"3\",\" 2→ 1→ 4\",\"3890\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n";

const std::string kTekichuHead =
    "\"2025年\",\"04月\",\"05日\",\"1回\",\"中山\",\"2日目\"\r\n"
    "\"R番号\",\"馬連\",\"馬単\",\"3連複\",\"3連単\",\"ワイド1\",\"ワイド2\",\"ワイド3\"\r\n";

const std::string kTekichuRows =
    "\"11R 的中\",\"本線1点目\",\"本線1点目表\",\"本線1点目\",\"本線1第1順目\",\"本線1点目\",\"本線2点目\",\"本線5点目\"\r\n"
    "\"    当目\",\" 1- 2\",\" 2→ 1\",\" 1- 2- 4\",\" 2→ 1→ 4\",\" 1- 2\",\" 2- 4\",\" 1- 4\"\r\n"
    "\"    配当\",\"480\",\"720\",\"1150\",\"3890\",\"200\",\"560\",\"610\"\r\n"
    "\"    予人\",\"1 2\",\"1 3\",\"1 4\",\"1 11\",\"1 1\",\"2 7\",\"5 8\"\r\n";

std::string noHitRows(const char* raceNum) {
    const std::string ten(10, ' ');
    std::string s = "\"" + std::string(raceNum) + "R 的中\"";
    for (int i = 0; i < 7; ++i) s += ",\"" + ten + "\"";
    s += "\r\n";
    for (const char* label : {"    当目", "    配当", "    予人"}) s += std::string("\"") + label + "\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n";
    return s;
}

}  // namespace

TEST_F(WriterTest, ResultModeRaceBlockHitSummaryAndTallies) {
    auto st = fourHorseRace(1);
    LupFilesWriter w;
    w.writeRace(st, 1);
    kvtest::placeDayFiles(w);
    EXPECT_EQ(file("lupRCM.txt"), kResultBlock);
    EXPECT_EQ(file("tekichu.txt"), kTekichuHead + kTekichuRows);
    EXPECT_FALSE(dir.exists(std::string(kTekichuDay) + "lup.txt"));
    // CP932 on disk: the arrow and the ideographic spaces are double-byte.
    EXPECT_NE(dir.read(std::string(kTekichuDay) + "lupRCM.txt").find(sj("\"馬名　　　　　　　\"")), std::string::npos);

    EXPECT_EQ(st.kept.UmarenTally.TekichuHonsen, 1);
    EXPECT_EQ(st.kept.UmarenTally.HaitoHonsen, 480);
    EXPECT_EQ(st.kept.WideTally.TekichuHonsen, 3);
    EXPECT_EQ(st.kept.WideTally.HaitoHonsen, 1370);
    EXPECT_EQ(st.kept.UmatanOmoteTally.HaitoHonsen, 720);
    EXPECT_EQ(st.kept.SanrentanTally.CheckCount, 1);
    EXPECT_EQ(st.kept.Wide3Result.Ninki, "5 8");
}

TEST_F(WriterTest, PredictionModeWritesTheSameHeadWithoutResults) {
    auto st = fourHorseRace(0);
    LupFilesWriter w;
    w.writeRace(st, 1);
    kvtest::placeDayFiles(w);
    const std::string lup = file("lup.txt");
    EXPECT_EQ(lup.substr(0, lup.find("\"RR\"")), kResultBlock.substr(0, kResultBlock.find("\"RR\"")));
    EXPECT_NE(lup.find("\"RR\",\"n\",\"w\",\"馬\",\"予\",\"性\",\"齢\",\"馬名　　　　　　　\",\"負担\",\"騎手名　\","
                       "\"調教師名\",\"推定タイム\",\"推定上3F\"\r\n"),
              std::string::npos);
    EXPECT_NE(lup.find("\"HS\",\"2\",\"1\",\" 1\",\" 2\",\"牡\",\" 3\",\"アイウエオカキクケ\",\"55.0\",\"横山典弘\","
                       "\"藤沢和\",\"1.35.20\",\"36.10\"\r\n"),
              std::string::npos);
    // From the Q1 line on, the block is the result-mode block without its
    // ATQ, AT, KK and KS lines.
    std::string expectedTail;
    for (const auto& l : kv::splitLines(kResultBlock.substr(kResultBlock.find("\"Q1\"")))) {
        if (l.rfind("\"ATQ", 0) == 0 || l.rfind("\"AT\"", 0) == 0 || l.rfind("\"K", 0) == 0) continue;
        expectedTail += l + "\r\n";
    }
    EXPECT_EQ(lup.substr(lup.find("\"Q1\"")), expectedTail);
    EXPECT_FALSE(dir.exists(std::string(kTekichuDay) + "tekichu.txt"));
    EXPECT_FALSE(dir.exists(std::string(kTekichuDay) + "lupRCM.txt"));
    EXPECT_EQ(st.kept.UmarenTally.CheckCount, 0);
}

TEST_F(WriterTest, RacesOfOneDayAppendAndADayThatComesBackIsNotEmptied) {
    auto st = fourHorseRace(1);
    LupFilesWriter w;
    w.writeRace(st, 1);
    kvtest::placeDayFiles(w);
    const std::string first = file("lupRCM.txt");

    // Another day in between (racecourse 05), then the first day again.
    auto other = fourHorseRace(1);
    other.race.RaceHorseRec.set(kv::rh::RaceId.at(0), "2025040505010211");
    other.race.HrRec = Payout("2025040505010211").str();
    w.writeRace(other, 1);
    w.writeRace(st, 1);
    kvtest::placeDayFiles(w);

    const std::string lup = file("lupRCM.txt");
    const std::string second = kResultBlock.substr(kResultBlock.find("\"RC\""));
    EXPECT_EQ(lup, first + second);
    EXPECT_EQ(file("tekichu.txt"), kTekichuHead + kTekichuRows + kTekichuRows);
    // The other day has its own files, headed by its own DY and PL lines.
    const std::string otherLup = u8(dir.read("TEKICHU/20250405050102lupRCM.txt"));
    EXPECT_EQ(otherLup.substr(0, otherLup.find("\"RC\"")),
              "\"DY\",\"1\",\"20250405\"\r\n\"PL\",\"1\",\"1\",\"東京\",\"2\",\"11\"\r\n");
}

TEST_F(WriterTest, ARaceWithoutItsPayoutRecordWritesNoHitRows) {
    auto st = fourHorseRace(1);
    LupFilesWriter w;
    w.writeRace(st, 1);  // race 11 with hits
    kvtest::placeDayFiles(w);
    // Race 12 of the same day; the payout record read for it is another race's.
    st.race.RaceHorseRec.set(kv::rh::RaceId.at(0), "2025040506010212");
    st.race.HrRec = Payout("2025040506010211").str();
    const auto tallyBefore = st.kept.UmarenTally.CheckCount;
    w.writeRace(st, 1);
    kvtest::placeDayFiles(w);

    EXPECT_EQ(file("tekichu.txt"), kTekichuHead + kTekichuRows + noHitRows("12"));
    const std::string lup = file("lupRCM.txt");
    const std::string race12 = lup.substr(lup.rfind("\"RC\""));
    EXPECT_EQ(race12.find("\"AT\""), std::string::npos);
    EXPECT_EQ(race12.find("\"KK\""), std::string::npos);
    EXPECT_NE(race12.find("\"ATQ1\""), std::string::npos);
    EXPECT_EQ(st.kept.UmarenTally.CheckCount, tallyBefore);
}

TEST_F(WriterTest, MeetingAndDayAreNotComparedWithThePayoutRecord) {
    auto st = fourHorseRace(1);
    st.race.HrRec.replace(21, 4, "0903");  // other kaiji and nichiji
    LupFilesWriter w;
    w.writeRace(st, 1);
    kvtest::placeDayFiles(w);
    EXPECT_EQ(file("tekichu.txt"), kTekichuHead + kTekichuRows);
}

TEST_F(WriterTest, PayoutLineEdges) {
    // Three 単勝 winners (only two written), five 複勝 and seven ワイド entries
    // (four and five written), no ３連単 payout (no KS 3).
    std::string hrRec = Payout()
                            .tansho(1, "01", "000000200", "01")
                            .tansho(2, "02", "000000210", "02")
                            .tansho(3, "03", "000000220", "03")
                            .fukusho(1, "01", "000000110", "01")
                            .fukusho(2, "02", "000000120", "02")
                            .fukusho(3, "03", "000000130", "03")
                            .fukusho(4, "04", "000000140", "04")
                            .fukusho(5, "05", "000000150", "05")
                            .wide(1, "0102", "000000100", "001")
                            .wide(5, "0105", "000000500", "005")
                            .wide(6, "0106", "000000600", "006")
                            .wide(7, "0107", "000000700", "007")
                            .umatan(1, "0000", "000000000", "000")
                            .sanrentan(1, "000000", "000000000", "0000")
                            .str();
    std::string out;
    kv::bet::appendPayoutLines(hrRec, out);
    EXPECT_EQ(u8(out),
              "\"KK\",\"1\",\" 1\",\"200\",\" 2\",\"210\"\r\n"
              "\"KK\",\"2\",\" 1\",\"110\",\" 2\",\"120\",\" 3\",\"130\",\" 4\",\"140\"\r\n"
              "\"KK\",\"3\",\"\",\"\",\"\",\"\"\r\n"
              "\"KK\",\"4\",\"\",\"\",\"\",\"\"\r\n"
              "\"KK\",\"5\",\" 1- 2\",\"100\",\"\",\"\",\"\",\"\",\"\",\"\",\" 1- 5\",\"500\"\r\n"
              "\"KS\",\"1\",\" 0→ 0\",\"0\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"
              "\"KS\",\"2\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n");
    // A blank ３連単 combination leaves KS 3 out as well.
    out.clear();
    kv::bet::appendPayoutLines(Payout().str(), out);
    EXPECT_EQ(u8(out).find("\"KS\",\"3\""), std::string::npos);
}

TEST_F(WriterTest, TitlesAndRaceLineVariants) {
    EXPECT_EQ(u8(kv::bet::rrLine(false, false)),
              "\"RR\",\"n\",\"w\",\"馬\",\"予\",\"性\",\"齢\",\"馬名　　　　　　　\",\"負担\",\"騎手名　\",\"調教師名\","
              "\"推定タイム\",\"推定平1F\"\r\n");
    EXPECT_NE(u8(kv::bet::rrLine(true, false)).find("\"推定平1F\",\"実平1F\"\r\n"), std::string::npos);
    for (const char* flat : {"00", "24", "49"}) EXPECT_TRUE(kv::bet::isFlatTrack(flat)) << flat;
    for (const char* hurdle : {"50", "51", "  ", "A0"}) EXPECT_FALSE(kv::bet::isFlatTrack(hurdle)) << hurdle;

    // A race without a name shows its type and condition twice.
    pred::SyosaiRow row{"k", "3", "1100", "03", "", "サラ系2歳", "未勝利", "", "芝", "1200", " 1", "曇稍重", ""};
    EXPECT_EQ(u8(kv::bet::rcLine(row)),
              "\"RC\",\"3\",\"1100\",\"03\",\"\",\"サラ系2歳未勝利\",\"サラ系2歳未勝利\",\"\",\"芝\",\"1200\",\" 1\","
              "\"曇稍重\"\r\n");
    // A racecourse missing from the code table is absent, not an empty text.
    EXPECT_EQ(u8(kv::bet::plLine("2025040599030411", std::nullopt)), "\"PL\",\"1\",\"3\",,\"4\",\"11\"\r\n");
    const std::string head = u8(kv::bet::tekichuHeaderLines("2025110399030411", std::nullopt));
    EXPECT_EQ(head.substr(0, head.find("\r\n") + 2), "\"2025年\",\"11月\",\"03日\",\"3回\",,\"4日目\"\r\n");
}

TEST_F(WriterTest, AFailingPayoutFieldEndsTheRaceKeepingItsLines) {
    auto st = fourHorseRace(1);
    // The 馬連 payout of a hit holds a letter: the hit check fails there.
    st.race.HrRec.replace(hr::PayUmaren::Pay(1).off, 9, "0000004x0");
    LupFilesWriter w;
    EXPECT_THROW(w.writeRace(st, 1), kv::ConversionError);
    kvtest::placeDayFiles(w);
    const std::string lup = file("lupRCM.txt");
    const std::string upToHits = kResultBlock.substr(0, kResultBlock.find("\"AT\""));
    EXPECT_EQ(lup, upToHits);
    // The header of the hit summary is there, the race's rows are not.
    EXPECT_EQ(file("tekichu.txt"), kTekichuHead);
    EXPECT_EQ(st.kept.UmarenTally.CheckCount, 0);

    // The next race of the day appends after what stayed.
    auto next = fourHorseRace(1);
    w.writeRace(next, 1);
    kvtest::placeDayFiles(w);
    EXPECT_EQ(file("lupRCM.txt"), upToHits + kResultBlock.substr(kResultBlock.find("\"RC\"")));
}

TEST_F(WriterTest, ADayFileThatCannotBeCreatedFailsTheWriter) {
    dir.write("TEKICHU/20250405060102lupRCM.txt/x", "");  // a folder where the file should be
    auto st = fourHorseRace(1);
    LupFilesWriter w;
    EXPECT_THROW(w.writeRace(st, 1), std::runtime_error);
    kvtest::placeDayFiles(w);
    EXPECT_EQ(st.kept.UmarenTally.CheckCount, 0);
}

TEST_F(WriterTest, HorseLinesFollowThePredictedRankWithTiesInNumberOrder) {
    // Horse 4 shares rank 1 with horse 2; horse 3's rank lies outside 1 to 4.
    auto st = fourHorseRace(0);
    st.kept.YosoJuni[4] = " 1";
    st.kept.YosoJuni[3] = " 7";
    LupFilesWriter w;
    w.writeRace(st, 1);
    kvtest::placeDayFiles(w);
    std::vector<std::string> rankAndHorse;
    for (const auto& l : kv::splitLines(dir.read(std::string(kTekichuDay) + "lup.txt"))) {
        if (l.rfind("\"HS\"", 0) != 0) continue;
        kv::InputReader in(l);
        const auto v = in.next(4);
        rankAndHorse.push_back(v[1] + "/" + v[3]);
    }
    EXPECT_EQ(rankAndHorse, (std::vector<std::string>{"1/ 2", "1/ 4", "2/ 1"}));
}

TEST(PayoutRecordOfTheRace, YearDateCourseAndRaceNumberDecide) {
    const std::string race = "2025040506010211";
    const struct {
        const char* hrRaceId;
        bool matches;
    } cases[] = {
        {"2025040506010211", true},  {"2025040506090311", true},  // meeting and day are not compared
        {"2024040506010211", false}, {"2025040606010211", false}, {"2025040505010211", false},
        {"2025040506010212", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(kv::bet::payoutMatchesRace(Payout(c.hrRaceId).str(), race), c.matches) << c.hrRaceId;
    EXPECT_FALSE(kv::bet::payoutMatchesRace("", race));
}
