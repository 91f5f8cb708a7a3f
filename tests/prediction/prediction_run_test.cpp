#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>

#include "common/numbers.h"
#include "common/quoted.h"
#include "common/recordfile.h"
#include "common/recordfile.h"
#include "prediction/run_stages.h"
#include "prediction/predictions_window.h"
#include "week_fixture.h"

using namespace kv;
using namespace kv::pred;
using namespace kvtest;

namespace {

const std::string kId11 = "2025040506010211";  // 5 April 2025, course 06, 1st meeting, day 2, race 11
const std::string kKey11 = "202504050611";

std::vector<std::string> lines(const std::string& cp932) {
    std::vector<std::string> out;
    for (auto& l : splitLines(cp932)) out.push_back(u8(l));
    return out;
}

struct LoadedWindow {
    NullStatusSink status;
    std::unique_ptr<YOSOKEKKATHISWEEKNQUEL> w;
    explicit LoadedWindow(WriterChain chain = {}) {
        w = std::make_unique<YOSOKEKKATHISWEEKNQUEL>(std::move(chain), status);
        w->Form_Load();
    }
};

}  // namespace

TEST(PredictionRanking, TimeTextSpreadAndMarks) {
    EXPECT_EQ(ConvertSpeedToTimeText(60.0f, "1600").value(), "1.36.00");
    EXPECT_EQ(ConvertSpeedToTimeText(59.25f, "2000").value(), "2.01.51");
    EXPECT_FALSE(ConvertSpeedToTimeText(0.0f, "1600"));
    EXPECT_FALSE(ConvertSpeedToTimeText(60.0f, "    "));
    EXPECT_FALSE(ConvertSpeedToTimeText(std::nanf(""), "1600"));
    EXPECT_FALSE(ConvertSpeedToTimeText(1e-40f, "1600"));
    EXPECT_FALSE(ConvertSpeedToTimeText(1e-30f, "1600"));

    EXPECT_EQ(CalcSpeedStdDev({0, 60.0f, 62.0f}, 2).value(), 1.0f);
    EXPECT_EQ(CalcSpeedStdDev({0, 0.0f, 0.0f, 0.0f}, 3).value(), 0.0f);
    EXPECT_FALSE(CalcSpeedStdDev({0}, 0));
    // Sums in single precision: 61.3 and 61.4 spread by 0.0541266, not the exact 0.05.
    EXPECT_EQ(CalcSpeedStdDev({0, 61.3f, 61.4f}, 2).value(), 0.0541265868f);
    EXPECT_EQ(CalcSpeedStdDev({0, 57.77f, 62.41f, 59.05f, 61.3f}, 4).value(), 1.82364571f);
    // Equal values whose single-precision variance comes out below zero count as 0.
    for (float v : {0.1f, 61.3f, 57.77f, 63.123f}) {
        std::vector<float> same(8, v);
        auto sd = CalcSpeedStdDev(same, 7);
        ASSERT_TRUE(sd);
        EXPECT_FALSE(std::isnan(*sd));
        EXPECT_GE(*sd, 0.0f);
    }

    // Marks: blank, whole values in a band and above the top are marked; a
    // negative value or a fraction inside a gap is not.
    struct Case { const char* rank; const char* track; int entity; bool marked; };
    const Case cases[] = {{"       ", "24", 0, true}, {"0000003", "24", 0, true}, {"0000074", "24", 0, true},
                          {"5.5    ", "24", 0, false}, {"-1     ", "24", 0, false}, {"50.5   ", "24", 1, false},
                          {"50.5   ", "52", 1, true}, {"5.5    ", "52", 4, false}};
    for (const auto& c : cases) {
        RaceState race;
        race.reset(1);
        RaceHorseRecord rec;
        rec.set(rh::TrackCD.at(0), c.track);
        rec.set(rh::EntityRank.at(c.entity), c.rank);
        MarkRankBands(race, rec, 1);
        EXPECT_EQ(race.RankMarks[1][static_cast<std::size_t>(c.entity)], c.marked ? "A" : "") << c.rank << " " << c.track;
    }
}

TEST(PredictionRun, TiesInRankingPairsAndTrios) {
    WeekFixture wk;
    wk.addRace(kId11, {60.0f, 60.0f, 60.0f, 60.0f});
    wk.addRace("2025040506010212", {59.0f, 59.0f});
    wk.write();
    LoadedWindow run;

    // Four equal speeds: the quicksort leaves horses 3, 4, 1, 2.
    EXPECT_EQ(lines(wk.dir.read("KAIME/" + kKey11 + "SORT.dat")),
              (std::vector<std::string>{
                  R"(1,"1"," 1"," 3","牡"," 3","テストホース   ","55.0","A","A","A","A","KISY","1.36.00"," 999")",
                  R"(2,"1"," 2"," 4","牡"," 3","テストホース   ","55.0","A","A","A","A","KISY","1.36.00"," 999")",
                  R"(3,"1"," 3"," 1","牡"," 3","テストホース   ","55.0","A","A","A","A","KISY","1.36.00"," 999")",
                  R"(4,"1"," 4"," 2","牡"," 3","テストホース   ","55.0","A","A","A","A","KISY","1.36.00"," 999")"}));
    EXPECT_EQ(lines(wk.dir.read("KAIME/" + kKey11 + "LUPSORT.dat"))[0],
              R"(1,"1"," 1"," 3","牡"," 3","テストホース   ","55.0","KISY","CHOK","1.36.00","36.0")");
    // Six equal pair sums and four equal trio sums in the quicksort's tie order.
    const std::vector<std::string> pairs{"0203", "0204", "0304", "0102", "0103", "0104"};
    auto umaren = lines(wk.dir.read("KAIME/" + kKey11 + "UMARENSORT.dat"));
    auto umatan = lines(wk.dir.read("KAIME/" + kKey11 + "UMATANSORT.dat"));
    ASSERT_EQ(umaren.size(), 6u);
    ASSERT_EQ(umatan.size(), 6u);
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(umaren[i], "\"" + kKey11 + "\",\"Umaren\",\"" + pairs[i] + "\",120");
        EXPECT_EQ(umatan[i], "\"" + kKey11 + "\",\"Umatan\",\"" + pairs[i] + "\",120");  // equal speeds: lower first
    }
    EXPECT_EQ(lines(wk.dir.read("KAIME/" + kKey11 + "SANRENSORT.dat")),
              (std::vector<std::string>{"\"" + kKey11 + "\",\"Sanrenpuke\",\"010304\",180",
                                        "\"" + kKey11 + "\",\"Sanrenpuke\",\"020304\",180",
                                        "\"" + kKey11 + "\",\"Sanrenpuke\",\"010203\",180",
                                        "\"" + kKey11 + "\",\"Sanrenpuke\",\"010204\",180"}));
    EXPECT_EQ(lines(wk.dir.read("KAIME/" + kKey11 + "SANRENTANSORT.dat"))[0],
              "\"" + kKey11 + "\",\"sanrentan\",\"010304\",180");
    // Candidate file: horse lines, then pairs and trios in enumeration order.
    auto cand = lines(wk.dir.read("KAIME/" + kKey11 + ".dat"));
    ASSERT_EQ(cand.size(), 4u + 6u + 4u);
    EXPECT_EQ(cand[0], "\"" + kKey11 + "\",1,60,60,0");
    EXPECT_EQ(cand[4], "\"" + kKey11 + "\",\"Umaren\",\"0102\",120,120,0");
    EXPECT_EQ(cand[10], "\"" + kKey11 + "\",\"Sanrenpuku\",\"010203\",180,180,0");
    // Spread of equal speeds.
    EXPECT_EQ(run.w->st.run.Syosai[1][10], " 0");

    // Texts of the last race's runners; no rate files in prediction mode.
    const auto& last = run.w->st;
    EXPECT_EQ(last.race.JitsuTime[1], "1.34.5 ");
    EXPECT_EQ(last.race.JitsuAgari3F[1], "34.5 ");
    EXPECT_EQ(last.race.SuiteiAgari3F[1], "36.0");
    EXPECT_EQ(last.race.Futan[1], "55.0");
    EXPECT_EQ(last.kept.Nyusen[1], " 3");
    EXPECT_EQ(last.kept.Ninki[1], " 2");
    EXPECT_EQ(last.kept.Chakujun[1], "03");
    EXPECT_TRUE(listFiles(wk.dir.file("TEKICHU")).empty());

    // Two equal runners: horse 2 takes rank 1.
    auto sort12 = lines(wk.dir.read("KAIME/202504050612SORT.dat"));
    ASSERT_EQ(sort12.size(), 2u);
    EXPECT_NE(sort12[0].find(R"(" 1"," 2")"), std::string::npos);
    EXPECT_NE(sort12[1].find(R"(" 2"," 1")"), std::string::npos);
}

TEST(PredictionRun, TicketFilesOfFiveAndTwoRunnerRaces) {
    WeekFixture wk;
    wk.addRace(kId11, {60.0f, 64.0f, 62.0f, 57.0f, 61.5f});
    wk.addRace("2025040506010212", {60.0f, 61.0f});
    wk.write();
    LoadedWindow run;

    auto t = [&](const char* folder, const std::string& rn) { return lines(wk.dir.read(std::string(folder) + "/250405中山" + rn + "R.csv")); };
    auto ticket = [](const char* kind, const std::string& combo, const std::string& rn = "11") {
        return "20250405,06," + rn + "," + kind + "," + combo + ",100";
    };
    std::vector<std::string> expect;
    for (const char* c : {"02-03", "02-05", "01-02", "03-05", "01-03", "01-05", "02-04"}) expect.push_back(ticket("04", c));
    EXPECT_EQ(t("UMAREN", "11"), expect);
    EXPECT_EQ(t("WIDE", "11"), (std::vector<std::string>{ticket("05", "02-03"), ticket("05", "02-05"), ticket("05", "01-02")}));
    expect.clear();
    for (const char* c : {"02-03", "03-02", "02-05", "05-02", "02-01", "01-02", "03-05", "05-03", "03-01", "01-03",
                          "05-01", "01-05", "02-04", "04-02"})
        expect.push_back(ticket("06", c));
    EXPECT_EQ(t("UMATAN", "11"), expect);
    expect.clear();
    for (const char* c : {"02-03-05", "01-02-03", "01-02-05", "01-03-05", "02-03-04", "02-04-05", "01-02-04",
                          "03-04-05", "01-03-04", "01-04-05"})
        expect.push_back(ticket("07", c));
    EXPECT_EQ(t("SANRENPUKU", "11"), expect);
    auto tan = t("SANRENTAN", "11");
    ASSERT_EQ(tan.size(), 60u);
    const std::vector<std::string> firstTrio{ticket("08", "02-03-05"), ticket("08", "02-05-03"), ticket("08", "03-02-05"),
                                             ticket("08", "03-05-02"), ticket("08", "05-02-03"), ticket("08", "05-03-02")};
    EXPECT_EQ(std::vector<std::string>(tan.begin(), tan.begin() + 6), firstTrio);
    EXPECT_EQ(tan[54], ticket("08", "05-01-04"));  // the tenth trio, fastest first
    EXPECT_EQ(wk.dir.read("UMAREN/250405中山11R.csv").substr(0, 29), "20250405,06,11,04,02-03,100\r\n");

    // Two runners: one pair, no trio; the trio files exist and are empty.
    EXPECT_EQ(t("UMAREN", "12"), (std::vector<std::string>{ticket("04", "01-02", "12")}));
    EXPECT_EQ(t("WIDE", "12"), (std::vector<std::string>{ticket("05", "01-02", "12")}));
    EXPECT_EQ(t("UMATAN", "12"), (std::vector<std::string>{ticket("06", "02-01", "12"), ticket("06", "01-02", "12")}));
    EXPECT_TRUE(wk.dir.exists("SANRENPUKU/250405中山12R.csv"));
    EXPECT_EQ(wk.dir.read("SANRENPUKU/250405中山12R.csv"), "");
    EXPECT_EQ(wk.dir.read("SANRENTAN/250405中山12R.csv"), "");
    EXPECT_EQ(wk.dir.read("KAIME/202504050612SANRENSORT.dat"), "");
}

TEST(PredictionRun, RaceIndexInPredictionMode) {
    WeekFixture wk;
    wk.addRace("2025040506010201", {60.0f}, "1");
    wk.addRace(kId11, {60.0f, 61.0f}, "2");
    wk.addRace("2025040506010209", {60.0f}, "9");
    wk.addRace("2025040506010212", {60.0f}, "3");
    wk.write();
    LoadedWindow run;
    const auto& st = run.w->st;
    EXPECT_EQ(st.run.KekkaMode, 0);
    ASSERT_EQ(st.run.RaceCount, 2);
    EXPECT_EQ(st.run.RaceKeyList[1], kKey11);
    EXPECT_EQ(st.run.RaceKeyList[2], "202504050612");
    EXPECT_EQ(run.w->List1()[0], "2025年04月05日06中山01回02日11R         202504050611");
    EXPECT_EQ(lines(wk.dir.read(files::RACE_INDEX)), (std::vector<std::string>{"\"202504050611\"", "\"202504050612\""}));
    EXPECT_EQ(lines(wk.dir.read("SOKUDO/RACEID.txt")), (std::vector<std::string>{kId11, "2025040506010212"}));
    EXPECT_EQ(lines(wk.dir.read(files::RACE_SYOSAI))[0],
              R"("202504050611","11","1545","11","テスト特別　　　　　　　","サラ系3歳","未勝利","G1レー","ダ","1600","SD","晴重")");
    // The window's table carries the spread and the runners' weather and going.
    EXPECT_EQ(st.run.Syosai[1][10], " 8");  // sd 0.5 -> Int(8.333)
    EXPECT_EQ(st.run.Syosai[1][11], "晴重");
    // The progress text of the last race.
    RecordingStatusSink menu;
    YOSOKEKKATHISWEEKNQUEL again({}, menu);
    again.Form_Load();
    EXPECT_EQ(menu.last("Text5"), "20250405中山12R予想中");
    EXPECT_EQ(wk.dir.read(files::RACE_INDEX), sj("\"202504050611\"\r\n\"202504050612\"\r\n"));
}

TEST(PredictionRun, ResultModeRowsFollowTheirOwnRaceRecord) {
    WeekFixture wk;
    // Payout order: race 12 then race 11; race file order: 11 then 12, last final.
    wk.ra.push_back(raRecord(kId11, "7", "24", "1600", "十一レース"));
    wk.ra.push_back(raRecord("2025040506010212", "7", "24", "2000", "十二レース"));
    wk.hr.push_back(hrRecord("2025040506010212"));
    wk.hr.push_back(hrRecord(kId11));
    wk.write();
    LoadedWindow run;
    const auto& st = run.w->st;
    EXPECT_EQ(st.run.KekkaMode, 1);
    ASSERT_EQ(st.run.RaceCount, 2);
    EXPECT_EQ(st.run.RaceKeyList[1], "202504050612");
    EXPECT_EQ(st.run.Syosai[1][0], "202504050612");
    EXPECT_EQ(st.run.Syosai[1][4], "十二レース\u3000\u3000\u3000\u3000\u3000\u3000\u3000");
    EXPECT_EQ(st.run.Syosai[1][9], "2000");
    EXPECT_EQ(st.run.Syosai[2][4], "十一レース\u3000\u3000\u3000\u3000\u3000\u3000\u3000");
    EXPECT_EQ(run.w->List1()[0], "2025年04月05日06中山01回02日12R          202504050612");
    // The index file follows the payouts, the race id file the race records.
    EXPECT_EQ(lines(wk.dir.read(files::RACE_INDEX)), (std::vector<std::string>{"\"202504050612\"", "\"202504050611\""}));
    EXPECT_EQ(lines(wk.dir.read("SOKUDO/RACEID.txt")), (std::vector<std::string>{kId11, "2025040506010212"}));
    // A race without runners still gets its (empty) files.
    EXPECT_TRUE(wk.dir.exists("RACE/202504050612.dat"));
    EXPECT_EQ(wk.dir.read("KAIME/202504050612SORT.dat"), "");
}

TEST(PredictionRun, RaceHorseFilesTakeTheRunsOfTheirOwnRace) {
    WeekFixture wk;
    const std::string idA = "2025040506010201", idB = kId11;
    wk.ra.push_back(raRecord(idA));
    wk.ra.push_back(raRecord(idB));
    // Horse X runs in both races of the week; 70 records in all.
    const std::string x = "2019100001";
    std::vector<std::string> xs;
    for (int i = 1; i <= 68; ++i) xs.push_back(exRecord("20" + zeroPad(i, 2) + "0101050101" + "01", 1, x, 50.0f + i * 0.125f));
    xs.push_back(exRecord(idA, 1, x, 61.0f));
    xs.push_back(exRecord(idB, 3, x, 62.0f));
    wk.ex[x] = xs;
    wk.se.push_back(seRecord(idA, 1, x, "エックス"));
    wk.se.push_back(seRecord(idB, 3, x, "エックス"));
    wk.se.push_back(seRecord(idB, 1, "2019100002"));  // no expanded run file
    wk.write();
    LoadedWindow run;

    const auto a = splitRecords(wk.dir.read("RACE/202504050601.dat"), rh::kRecordLength);
    const auto b = splitRecords(wk.dir.read("RACE/" + kKey11 + ".dat"), rh::kRecordLength);
    ASSERT_EQ(a.size(), 1u);
    ASSERT_EQ(b.size(), 3u);
    RaceHorseRecord ra1(a[0]), rb3(b[2]);
    EXPECT_EQ(ra1.raceId(0), idA);
    EXPECT_EQ(ra1.runSpeed(0, 6), 61.0f);
    EXPECT_EQ(ra1.raceId(1), "2068010105010101");
    EXPECT_EQ(ra1.raceId(64), "2005010105010101");
    EXPECT_EQ(rb3.raceId(0), idB);
    EXPECT_EQ(rb3.raceId(1), idA);
    EXPECT_EQ(rb3.raceId(64), "2006010105010101");  // records 70 down to 6
    EXPECT_EQ(rb3.get(rh::Umaban.at(0)), "03");
    EXPECT_EQ(rb3.get(rh::Bamei), sj("エックス") + std::string(28, ' '));
    EXPECT_EQ(rb3.get(rh::Barei), "03");
    EXPECT_EQ(rb3.bytes.substr(24020), "\r\n");
    // No runner at number 2: zero bytes. The runner without a file keeps its entry only.
    EXPECT_EQ(b[1], std::string(rh::kRecordLength, '\0'));
    RaceHorseRecord rb1(b[0]);
    EXPECT_EQ(rb1.get(rh::KettoNum.at(0)), "2019100002");
    EXPECT_EQ(rb1.get(rh::RaceId.at(0)), std::string(16, '\0'));
    EXPECT_FALSE(wk.dir.exists("UMAGOTOEXTHISWEEKN/2019100002EX.dat"));
}

namespace {

struct Seen {
    std::string writer;
    int RaceIdx;
    std::string key, hrId, disp1, key1, trio1;
    int horses;
    std::string rhRaceId;  // the race id of the race-horse record the writers get
};

struct RecordingWriter : Writer {
    std::string name_;
    std::vector<Seen>* log;
    bool fail = false;
    RecordingWriter(std::string n, std::vector<Seen>* l, bool f = false) : name_(std::move(n)), log(l), fail(f) {}
    std::string name() const override { return name_; }
    void writeRace(WindowState& st, int RaceIdx) override {
        const auto& r = st.race;
        log->push_back({name_, RaceIdx, st.run.raceKey(RaceIdx), r.HrRec.substr(11, 16),
                        r.UmarenKaimeCount ? r.UmarenKaimeDisp[1] : "", r.UmarenKaimeCount ? r.UmarenKaimeKey[1] : "",
                        r.SanrenpukuKaimeCount ? r.SanrenKaime[1] : "", r.HorseCount, r.RaceHorseRec.raceId()});
        if (fail) {
            appendFileBytes(appFile("TEKICHU/partial.txt"), "written before the failure\r\n");
            throw std::runtime_error("disk full");
        }
    }
};

}  // namespace

TEST(WriterChain, OrderFailureIsolationAndWhatWritersSee) {
    WeekFixture wk;
    wk.addRace(kId11, {60.0f, 64.0f, 62.0f});
    wk.ra.push_back(raRecord("2025040506010212"));  // a race with no runners
    wk.hr.push_back(hrRecord("2025040506010212"));
    wk.write();

    std::vector<Seen> log;
    WriterChain chain;
    chain.add(ChainSlot::SokudoHrCsv, std::make_unique<RecordingWriter>("AppendSokudoHrCsv", &log));
    chain.add(ChainSlot::LupFiles, std::make_unique<RecordingWriter>("WriteLupFiles", &log, true));
    chain.add(ChainSlot::ShutsubahyoMmk, std::make_unique<RecordingWriter>("WriteShutsubahyoMmk", &log));
    chain.add(ChainSlot::YosouHtmlPage, std::make_unique<RecordingWriter>("WriteYosouHtmlPage", &log));
    EXPECT_EQ(chain.names(), (std::vector<std::string>{"WriteShutsubahyoMmk", "WriteLupFiles", "WriteYosouHtmlPage",
                                                        "AppendSokudoHrCsv"}));
    LoadedWindow run(std::move(chain));

    ASSERT_EQ(log.size(), 8u);
    for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(log[i].RaceIdx, i < 4 ? 1 : 2);
    EXPECT_EQ(log[0].writer, "WriteShutsubahyoMmk");
    EXPECT_EQ(log[2].writer, "WriteYosouHtmlPage");  // the failure of writer 2 did not stop the chain
    EXPECT_EQ(log[3].writer, "AppendSokudoHrCsv");
    // Race 1: its key, its payout record, the bet lists in display form.
    EXPECT_EQ(log[0].key, kKey11);
    EXPECT_EQ(log[0].hrId, kId11);
    EXPECT_EQ(log[0].disp1, "0203");
    EXPECT_EQ(log[0].key1, "0203");
    EXPECT_EQ(log[0].trio1, "020301");
    EXPECT_EQ(log[0].horses, 3);
    // Race 2 has no runners and is still named by its index entry.
    EXPECT_EQ(log[4].key, "202504050612");
    EXPECT_EQ(log[4].horses, 0);
    EXPECT_EQ(log[0].rhRaceId, kId11);
    EXPECT_EQ(log[4].rhRaceId, "2025040506010212");  // not blank: the writers file it under its own day
    EXPECT_EQ(log[4].disp1, "");

    const auto& failures = run.w->chain().failures();
    ASSERT_EQ(failures.size(), 2u);
    EXPECT_EQ(failures[0].writer, "WriteLupFiles");
    EXPECT_EQ(failures[0].RaceIdx, 1);
    EXPECT_EQ(failures[0].what, "disk full");
    EXPECT_EQ(wk.dir.read("TEKICHU/partial.txt"), "written before the failure\r\nwritten before the failure\r\n");
}

namespace {

struct ThrowingWriter : Writer {
    std::string name_;
    std::function<void()> fail;
    ThrowingWriter(std::string n, std::function<void()> f) : name_(std::move(n)), fail(std::move(f)) {}
    std::string name() const override { return name_; }
    void writeRace(WindowState&, int) override { fail(); }
};

}  // namespace

// A writer that fails for the race's own data is reported as such: the race,
// what is wrong with it and what to run again; the disk is named only when a
// file could not be written (or the cause is unknown).
TEST(WriterChain, DataFailuresAreToldApartFromWriteFailures) {
    WeekFixture wk;
    wk.addRace(kId11, {60.0f, 64.0f, 62.0f});
    wk.write();
    auto data = [] {
        throw RaceDataError<std::out_of_range>("no horse of predicted rank 9", "予想順位 9 位の馬が有りません。");
    };
    auto write = [] { throw WriteError("cannot write TEKICHU/x.txt"); };
    auto other = [] { throw std::runtime_error("something else"); };
    auto table = [] { throw std::out_of_range("vector::_M_range_check"); };
    struct Case {
        const char* what;
        std::vector<std::function<void()>> writers;
        bool dataSentence, disk;
        const char* names;  // what the data sentence names
    };
    const Case cases[] = {
        {"race data", {data}, true, false, "予想順位 9 位の馬が有りません"},
        {"a per-horse table read past the horses", {table}, true, false, "頭数と合いません"},
        {"a file not written", {write}, false, true, ""},
        {"an unknown cause", {other}, false, true, ""},
        {"both", {data, write}, true, true, "予想順位 9 位"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriterChain chain;
        for (const auto& f : c.writers) chain.add(ChainSlot::LupFiles, std::make_unique<ThrowingWriter>("W", f));
        LoadedWindow run(std::move(chain));
        const std::string m = run.w->report().message();
        EXPECT_TRUE(run.w->report().failedAny());
        const bool sentence = m.find("不足・不備で出力できなかったレースが 1 レースあります") != std::string::npos;
        EXPECT_EQ(sentence, c.dataSentence) << m;
        if (c.dataSentence) {
            EXPECT_NE(m.find("20250405"), std::string::npos) << m;
            EXPECT_NE(m.find("11R"), std::string::npos) << m;
            EXPECT_NE(m.find(c.names), std::string::npos) << m;
            EXPECT_NE(m.find("⑤計算をやり直して"), std::string::npos) << m;
        }
        EXPECT_EQ(m.find("ディスクの空き容量") != std::string::npos, c.disk) << m;
    }
}

namespace {

// Stands in for the hit check: every race hits 馬連 本線 for 300 yen.
struct HitWriter : Writer {
    std::string name() const override { return "WriteLupFiles"; }
    void writeRace(WindowState& st, int) override {
        st.kept.UmarenTally.TekichuHonsen += 1;
        st.kept.UmarenTally.HaitoHonsen += 300;
        st.kept.UmarenTally.CheckCount += 1;
    }
};

}  // namespace

namespace {

// Stands in for a day-file writer: one line per race in one day file; notes
// what the file held while the run went on.
struct DayLineWriter : Writer {
    DayFiles days;
    std::vector<std::string>* seen;
    explicit DayLineWriter(std::vector<std::string>* s) : seen(s) {}
    std::string name() const override { return "WriteShutsubahyoMmk"; }
    void writeRace(WindowState& st, int RaceIdx) override {
        const std::string path = appFile("TEKICHU/day.txt");
        seen->push_back(readFileBytes(path).value_or("none"));
        if (!days.write("day", path, st.run.raceKey(RaceIdx) + "\r\n"))
            throw std::runtime_error("cannot write " + path);
    }
    std::vector<DayFiles*> dayFiles() override { return {&days}; }
};

}  // namespace

// The day files are put in place when every race is written; one whose write
// failed keeps its old version and is named; no temporary file stays.
TEST(PredictionRun, DayFilesArePutInPlaceWhenTheRunEnds) {
    WeekFixture wk;
    wk.addRace(kId11, {60.0f, 61.0f, 62.0f});
    wk.addRace("2025040506010212", {60.0f, 61.0f});
    wk.write();
    wk.dir.write("TEKICHU/day.txt", "old\r\n");
    auto runWith = [&](std::vector<std::string>& seen) {
        WriterChain chain;
        chain.add(ChainSlot::ShutsubahyoMmk, std::make_unique<DayLineWriter>(&seen));
        return std::make_unique<LoadedWindow>(std::move(chain));
    };
    std::vector<std::string> seen;
    auto run = runWith(seen);
    EXPECT_EQ(seen, (std::vector<std::string>{"old\r\n", "old\r\n"}));
    const std::string whole = kKey11 + "\r\n202504050612\r\n";
    EXPECT_EQ(wk.dir.read("TEKICHU/day.txt"), whole);
    EXPECT_TRUE(run->w->st.WriteFailures.empty());

    // The old version differs from what the run would write: the file found is the old one.
    const std::string older = "older\r\n";
    wk.dir.write("TEKICHU/day.txt", older);
    kv::fsys::Faults full;
    full.failWriteAfterBytes = 0;  // the disk is full
    kv::fsys::setFaults(full);
    seen.clear();
    run = runWith(seen);
    kv::fsys::clearFaults();
    EXPECT_EQ(seen, (std::vector<std::string>{older, older}));
    EXPECT_EQ(wk.dir.read("TEKICHU/day.txt"), older);
    const auto& failed = run->w->st.WriteFailures;
    EXPECT_NE(std::find(failed.begin(), failed.end(), appFile("TEKICHU/day.txt")), failed.end());
    for (const auto& name : listFiles(wk.dir.file("TEKICHU"))) EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
}

TEST(DailyRates, ComputedInTenthsAndPrinted) {
    KeptState k;
    k.resetDay("x");
    k.UmarenTally.TekichuHonsen = 3;
    k.UmarenTally.HaitoHonsen = 5400;
    k.StatTansho1.TekichuKaisu = 4;
    k.StatTansho1.HaitoGoukei = 1230;
    k.StatUmarenF.TensuGoukei = 7;
    k.StatUmarenF.HaitoGoukei = 2000;
    k.SanrenpukuTally.CheckCount = 3;
    k.SanrenpukuTally.HaitoJunhon = 1000;
    computeDayRates(k, 12);
    EXPECT_EQ(*k.UmarenRates.TekichuRitsuHonsen, 250);
    EXPECT_EQ(*k.UmarenRates.KaishuRitsuHonsen, 750);
    EXPECT_EQ(k.UmarenTally.CheckCount, 12);
    EXPECT_EQ(*k.SanrenpukuRates.KaishuRitsuJunhon, 476);  // 1000000 / 2100
    EXPECT_FALSE(k.SanrentanRates.TekichuRitsuHonsen);     // no check yet: not computed
    EXPECT_EQ(*k.StatUmarenF.KaishuRitsu, 2857);
    EXPECT_FALSE(k.StatUmarenB.KaishuRitsu);
    computeDayRates(k, 9);
    EXPECT_EQ(rateText(*k.StatTansho1.TekichuRitsu), "44.4");
    EXPECT_EQ(rateText(*k.StatTansho1.KaishuRitsu), "136.6");
    EXPECT_EQ(rateText(250), "25");
    EXPECT_EQ(rateText(0), "0");
    EXPECT_EQ(rateText(5), "0.5");
}

TEST(DailyRates, DayFilesOfAResultWeek) {
    WeekFixture wk;
    // Day 1 (2nd day of the meeting): races 1 and 2; day 2 (3rd day): race 1.
    for (const std::string id : {"2025040506010201", "2025040506010202", "2025040606010301"}) {
        wk.ra.push_back(raRecord(id, "7"));
        wk.hr.push_back(hrRecord(id));
    }
    wk.write();
    WriterChain chain;
    chain.add(ChainSlot::LupFiles, std::make_unique<HitWriter>());
    LoadedWindow run(std::move(chain));

    const std::string head = R"("2025年","04月","05日","1回","中山","2日目")";
    EXPECT_EQ(lines(wk.dir.read("TEKICHU/20250405060102kaiteki.txt")),
              (std::vector<std::string>{head, R"("　　","回収率","％","　　","的中率","％","　　")",
                                        R"("券種","本線","準本線","伏兵","本線","準本線","伏兵")",
                                        R"("馬連",50,0,0,100,0,0)", R"("馬単表",0,0,0,0,0,0)",
                                        R"("馬単裏",0,0,0,0,0,0)", R"("３連複",,,,,,)", R"("３連単",,,,,,)",
                                        R"("ワイド",0,0,0,0,0,0)"}));
    EXPECT_EQ(lines(wk.dir.read("TEKICHU/20250405060102kaitekiPC.txt")),
              (std::vector<std::string>{
                  head,
                  R"("券種","単勝1","複勝1","単勝2","複勝2","馬連F","馬連B","馬単F","  3連複B","  3連単12","  3連単23","  3連単13")",
                  R"("予想R数",2,2,2,2,2,2,2,2,2,2,2)", R"("的中R数",0,0,0,0,0,0,0,0,0,0,0)",
                  R"("的中率",0,0,0,0,0,0,0,0,0,0,0)", R"("購入点数",2,2,2,2,0,0,0,0,0,0,0)",
                  R"("回収金額",0,0,0,0,0,0,0,0,0,0,0)", R"("回収率",0,0,0,0,,,,,,,)"}));
    // The second day starts from reset tallies: R = 1.
    auto day2 = lines(wk.dir.read("TEKICHU/20250406060103kaiteki.txt"));
    ASSERT_EQ(day2.size(), 9u);
    EXPECT_EQ(day2[0], R"("2025年","04月","06日","1回","中山","3日目")");
    EXPECT_EQ(day2[3], R"("馬連",50,0,0,100,0,0)");
    EXPECT_EQ(lines(wk.dir.read("TEKICHU/20250406060103kaitekiPC.txt"))[2], R"("予想R数",1,1,1,1,1,1,1,1,1,1,1)");
    // Prediction mode writes no rate files: checked by the other runs' folders.
}

TEST(RaceHorseFiles, EveryMemberOfARunGoesToItsSlot) {
    namespace ex = kv::exrec;
    RecordBuilder b(ex::kLength, '\0');
    b.setRaw(ex::RaceId, "2025040506010211").setRaw(ex::Wakuban, "7").setRaw(ex::Umaban, "13");
    b.setRaw(ex::KettoNum, "2022104567").setRaw(ex::KisyuRyakusyo, "JOCKEY01").setRaw(ex::Kyori, "2400");
    b.setRaw(ex::TrackCD, "11").setRaw(ex::TorokuTosu, "16").setRaw(ex::NyusenJyuni, "04");
    b.setRaw(ex::KakuteiJyuni, "05").setRaw(ex::Time, "2283").setRaw(ex::Ninki, "09").setRaw(ex::Odds, "0123");
    b.setRaw(ex::HaronTimeL3, "349").setRaw(ex::ChokyosiRyakusyo, "TRAINER1");
    b.setRaw(ex::TenkoCD, "2").setRaw(ex::SibaBabaCD, "3").setRaw(ex::DirtBabaCD, "4");
    b.setRaw(ex::BreederName, std::string(70, 'B') + "XY").setRaw(ex::SireBamei, "SIRE" + std::string(32, 'S'));
    b.setRaw(ex::BirthDate, "20140402").setRaw(ex::SexCD, "2").setRaw(ex::Futan, "570");
    b.setRaw(ex::BaTaijyu, "486").setRaw(ex::ZogenFugo, "-").setRaw(ex::ZogenSa, "012").setRaw(ex::IJyoCD, "0");
    b.setRaw(ex::HassoTime, "1540");
    for (int k = 1; k <= 20; ++k) b.setRaw(ex::SpeedText(k), "00000" + zeroPad(k, 2));
    for (int k = 0; k <= 30; ++k) {
        b.single(ex::AgariFW(k), 100.0f + static_cast<float>(k));
        b.single(ex::PaceFW(k), 200.0f + static_cast<float>(k));
    }
    for (int k = 1; k <= 20; ++k) b.single(ex::RunSpeeds(k), 50.0f + static_cast<float>(k));
    const std::string exRec = b.crlf().str();

    for (int slot : {0, 5, 64}) {
        RaceHorseRecord rec;
        copyRunToSlot(rec, exRec, slot);
        const struct { rh::SlotField f; const char* v; } perSlot[] = {
            {rh::RaceId, "2025040506010211"}, {rh::Wakuban, "7"}, {rh::Umaban, "13"}, {rh::KettoNum, "2022104567"},
            {rh::KisyuRyakusyo, "JOCKEY01"}, {rh::Kyori, "2400"}, {rh::TrackCD, "11"}, {rh::TorokuTosu, "16"},
            {rh::NyusenJyuni, "04"}, {rh::KakuteiJyuni, "05"}, {rh::Time, "2283"}, {rh::Ninki, "09"},
            {rh::Odds, "0123"}, {rh::HaronTimeL3, "349"}, {rh::ChokyosiRyakusyo, "TRAINER1"}, {rh::TenkoBaba, "234"}};
        for (const auto& m : perSlot) {
            EXPECT_EQ(rec.get(m.f.at(slot)), m.v) << "offset " << m.f.base << " slot " << slot;
            if (slot > 0) {
                EXPECT_EQ(rec.get(m.f.at(0)), std::string(m.f.width, '\0')) << "offset " << m.f.base;
            }
        }
        // The weights take the run's entries 0 to 23, the speeds entries 1 to 20 as 0 to 19.
        EXPECT_EQ(rec.single(rh::agariFwOffset(slot, 0)), 100.0f);
        EXPECT_EQ(rec.single(rh::agariFwOffset(slot, 23)), 123.0f);
        EXPECT_EQ(rec.single(rh::paceFwOffset(slot, 23)), 223.0f);
        EXPECT_EQ(rec.single(rh::runSpeedOffset(slot, 0)), 51.0f);
        EXPECT_EQ(rec.runSpeed(slot, rh::kSpeedComposite), 57.0f);
        EXPECT_EQ(rec.single(rh::runSpeedOffset(slot, 19)), 70.0f);
        if (slot < 64) {
            EXPECT_EQ(rec.single(rh::agariFwOffset(slot + 1, 0)), 0.0f);
        }

        // The members of the entry only with slot 0.
        const struct { Field f; std::string v; } once[] = {
            {rh::BreederName, std::string(70, 'B')}, {rh::SireBamei, "SIRE" + std::string(32, 'S')},
            {rh::Barei, "11"}, {rh::SexCD, "2"}, {rh::Futan, "570"}, {rh::BaTaijyu, "486"}, {rh::ZogenFugo, "-"},
            {rh::ZogenSa, "012"}, {rh::IJyoCD, "0"}, {rh::HassoTime, "1540"},
            {rh::EntityRank.whole(), "0000007" "0000009" "0000010" "0000011" "0000008"}};
        for (const auto& m : once)
            EXPECT_EQ(rec.get(m.f), slot == 0 ? m.v : std::string(m.f.len, '\0')) << "offset " << m.f.off;
        EXPECT_EQ(rec.get(rh::Bamei), std::string(36, '\0'));
        EXPECT_EQ(rec.get(rh::DamSireBamei), std::string(36, '\0'));
    }
}

TEST(DailyRates, ADayMetAgainGoesOnFromItsOwnRaces) {
    // The index lists day A's race 1, day B's race 1, then day A's race 2.
    WeekFixture wk;
    for (const std::string id : {"2025040506010201", "2025040505010201", "2025040506010202"}) {
        wk.ra.push_back(raRecord(id, "7"));
        wk.hr.push_back(hrRecord(id));
    }
    wk.write();
    WriterChain chain;
    chain.add(ChainSlot::LupFiles, std::make_unique<HitWriter>());
    LoadedWindow run(std::move(chain));

    // Day A after both its races: 2 races, 2 hits, 600 yen.
    auto a = lines(wk.dir.read("TEKICHU/20250405060102kaiteki.txt"));
    ASSERT_EQ(a.size(), 9u);
    EXPECT_EQ(a[3], R"("馬連",50,0,0,100,0,0)");
    EXPECT_EQ(lines(wk.dir.read("TEKICHU/20250405060102kaitekiPC.txt"))[2], R"("予想R数",2,2,2,2,2,2,2,2,2,2,2)");
    EXPECT_EQ(run.w->st.kept.UmarenTally.TekichuHonsen, 2);
    EXPECT_EQ(run.w->st.kept.UmarenTally.HaitoHonsen, 600);
    // Day B: its one race.
    auto b = lines(wk.dir.read("TEKICHU/20250405050102kaiteki.txt"));
    ASSERT_EQ(b.size(), 9u);
    EXPECT_EQ(b[0], R"("2025年","04月","05日","1回","東京","2日目")");
    EXPECT_EQ(lines(wk.dir.read("TEKICHU/20250405050102kaitekiPC.txt"))[2], R"("予想R数",1,1,1,1,1,1,1,1,1,1,1)");
}

TEST(PredictionRun, ModeFromTheLastRaceRecord) {
    const struct { std::vector<std::string> kinds; int mode; } cases[] = {
        {{}, 0}, {{"2", "7"}, 1}, {{"7", "7", "2"}, 0}, {{"7"}, 1}, {{"9"}, 0}};
    for (const auto& c : cases) {
        std::vector<std::string> recs;
        for (const auto& k : c.kinds) recs.push_back(raRecord(kId11, k));
        EXPECT_EQ(decideMode(recs), c.mode) << c.kinds.size();
    }
}

TEST(PredictionRun, AFileThatCannotBeWrittenIsNotedAndTheRunGoesOn) {
    WeekFixture wk;
    wk.addRace(kId11, {60.0f, 61.0f, 62.0f});
    wk.addRace("2025040506010212", {60.0f, 61.0f});
    wk.write();
    // A folder stands where race 11's horse table would go.
    ASSERT_TRUE(makeDirs(wk.dir.file("KAIME/" + kKey11 + "SORT.dat")));
    LoadedWindow run;
    ASSERT_EQ(run.w->st.WriteFailures.size(), 1u);
    EXPECT_NE(run.w->st.WriteFailures[0].find(kKey11 + "SORT.dat"), std::string::npos);
    EXPECT_EQ(lines(wk.dir.read("KAIME/" + kKey11 + "UMARENSORT.dat")).size(), 3u);
    EXPECT_EQ(lines(wk.dir.read("KAIME/202504050612SORT.dat")).size(), 2u);
}

TEST(PredictionRun, RaceNamesAndGoingTexts) {
    WeekFixture wk;
    // Track "35": the index takes the turf going, the runners' entries the dirt going;
    // track "52" takes the turf going in both.
    const struct { const char* id; const char* track; const char* name; const char* col4; const char* file11;
                   const char* run11; } cases[] = {
        {"2025040506010201", "35", "", "", "晴稍重", "晴重"},
        {"2025040506010202", "52", "あいうえおかきくけこさしすせそ", "あいうえおかきくけこさし", "晴稍重", "晴稍重"},
        {"2025040506010203", "24", "ABC", "ABC\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000", "晴重", "晴重"},
    };
    for (const auto& c : cases) {
        wk.ra.push_back(raRecord(c.id, "2", c.track, "1600", c.name));
        const std::string ketto = std::string("20190000") + std::string(c.id).substr(14, 2);
        wk.se.push_back(seRecord(c.id, 1, ketto));
        wk.ex[ketto].push_back(exRecord(c.id, 1, ketto, 60.0f, c.track));
    }
    wk.write();
    LoadedWindow run;
    const auto rows = lines(wk.dir.read(files::RACE_SYOSAI));
    ASSERT_EQ(rows.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        const auto& c = cases[i];
        const auto& row = run.w->st.run.Syosai[i + 1];
        EXPECT_EQ(row[4], c.col4) << c.id;
        const std::string tail = std::string("\"") + c.file11 + "\"";
        EXPECT_EQ(rows[i].substr(rows[i].size() - std::min(rows[i].size(), tail.size())), tail) << rows[i];
        EXPECT_EQ(row[11], c.run11) << c.id;
    }
}

TEST(PredictionRun, ASpeedThatIsNoNumberLeavesItsTextsEmpty) {
    WeekFixture wk;
    wk.addRace(kId11, {60.0f, std::nanf(""), 62.0f});
    wk.write();
    LoadedWindow run;
    const auto sort = lines(wk.dir.read("KAIME/" + kKey11 + "SORT.dat"));
    ASSERT_EQ(sort.size(), 3u);
    EXPECT_EQ(sort[1].substr(sort[1].size() - 5), R"("","")");  // time and metres per minute
    EXPECT_EQ(sort[0].substr(sort[0].size() - 16), R"("1.36.00"," 999")");
    EXPECT_EQ(run.w->st.run.Syosai[1][10], " 0");
    EXPECT_EQ(lines(wk.dir.read("KAIME/" + kKey11 + "UMARENSORT.dat")).size(), 3u);
    EXPECT_EQ(lines(wk.dir.read("KAIME/" + kKey11 + "SANRENSORT.dat")).size(), 1u);
}

TEST(PredictionRun, RepeatedPayoutRecordsRunOneRacePassPerRace) {
    WeekFixture wk;
    wk.ra.push_back(raRecord(kId11, "7"));
    wk.ra.push_back(raRecord("2025040506010212", "7"));
    // Race 11 three times (its last record the newest, told by a payout), race 12 once.
    std::string newest = hrRecord(kId11);
    newest.replace(hr::kLength - 12, 4, "1234");
    wk.hr = {hrRecord(kId11), hrRecord("2025040506010212"), hrRecord(kId11), newest};
    wk.write();
    LoadedWindow run;
    const auto& st = run.w->st;
    ASSERT_EQ(st.run.RaceCount, 2);
    EXPECT_EQ(run.w->SkippedPayoutRepeats, 2);
    EXPECT_EQ(st.run.RaceKeyList[1], "202504050611");  // where the key came first
    EXPECT_EQ(st.run.RaceKeyList[2], "202504050612");
    EXPECT_EQ(lines(wk.dir.read(files::RACE_INDEX)), (std::vector<std::string>{"\"202504050611\"", "\"202504050612\""}));

    long skipped = -1;
    const auto one = onePayoutPerRace(std::vector<std::string_view>(wk.hr.begin(), wk.hr.end()), skipped);
    ASSERT_EQ(one.size(), 2u);
    EXPECT_EQ(one[0], newest);
    EXPECT_EQ(skipped, 2);
}

namespace {

// Notes everything of the window state a writer can read, race by race.
struct SnapshotWriter : Writer {
    std::vector<std::string>* log;
    explicit SnapshotWriter(std::vector<std::string>* l) : log(l) {}
    std::string name() const override { return "WriteLupFiles"; }
    void writeRace(WindowState& st, int RaceIdx) override {
        const auto& r = st.race;
        std::string s = std::to_string(RaceIdx) + " " + st.kept.TallyDayKey + " " + std::to_string(st.kept.DayRaceCount);
        for (int h = 0; h <= 18; ++h) {
            const auto i = static_cast<std::size_t>(h);
            s += "|" + st.kept.YosoJuni[i] + "," + st.kept.Nyusen[i] + "," + st.kept.Ninki[i] + "," + st.kept.Chakujun[i];
        }
        for (const auto& c : st.run.Syosai.at(static_cast<std::size_t>(RaceIdx))) s += "|" + c;
        s += "|" + r.TrioUmaban1 + r.TrioUmaban2 + r.TrioUmaban3 + "|" + r.RaceHorseRec.raceId() + "|" +
             r.RaceHorseRec.get(rh::TorokuTosu.at(0)) + "|" + r.HrRec.substr(0, 40) + "|" + std::to_string(r.HorseCount);
        for (int c = 1; c <= r.UmarenKaimeCount; ++c)
            s += "," + r.UmarenKaimeDisp[static_cast<std::size_t>(c)] + r.UmarenKaimeKey[static_cast<std::size_t>(c)];
        for (int c = 1; c <= r.SanrenpukuKaimeCount; ++c)
            s += "," + r.SanrenKaime[static_cast<std::size_t>(c)] + r.SanrenpukuKaimeKey[static_cast<std::size_t>(c)];
        for (int h = 1; h <= r.HorseCount; ++h) s += "," + r.SuiteiTime[static_cast<std::size_t>(h)] + r.Bamei[static_cast<std::size_t>(h)];
        log->push_back(s);
        // A hit for every race, so that the day's rates move.
        st.kept.UmarenTally.TekichuHonsen += 1;
        st.kept.UmarenTally.HaitoHonsen += 300;
    }
};

std::map<std::string, std::string> filesUnder(const std::string& root) {
    std::map<std::string, std::string> out;
    for (const auto& e : std::filesystem::recursive_directory_iterator(root)) {
        if (!e.is_regular_file()) continue;
        const std::string rel = e.path().string().substr(root.size());
        if (rel.find("STEPSTATE") != std::string::npos) continue;
        std::ifstream in(e.path(), std::ios::binary);
        out[rel] = std::string(std::istreambuf_iterator<char>(in), {});
    }
    return out;
}

struct ThreadedRun {
    std::vector<std::string> log;
    std::map<std::string, std::string> files;
    std::vector<std::string> writeFailures, list1;
    std::string exRec, seRec, raRec, message;
};

ThreadedRun runWeekOn(unsigned threads) {
    WeekFixture wk;
    // Result mode, two days met in turns, races of 20, 5, 2, 1 and no runners.
    const std::vector<std::pair<std::string, int>> races{
        {"2025040506010201", 20}, {"2025040506010202", 5}, {"2025040605010101", 2}, {"2025040506010203", 0},
        {"2025040506010204", 1},  {"2025040605010102", 7}, {"2025040506010205", 3}};
    for (const auto& [id, n] : races) {
        std::vector<float> speeds;
        for (int h = 0; h < n; ++h) speeds.push_back(55.0f + static_cast<float>((h * 7) % 11) * 0.5f);
        wk.addRace(id, speeds, "7");
        if (n == 0) {
            wk.ra.push_back(raRecord(id, "7"));
            wk.hr.push_back(hrRecord(id));
        }
    }
    wk.write();
    // A race-horse file and a horse table that cannot be written.
    makeDirs(wk.dir.file("RACE/202504050602.dat"));
    makeDirs(wk.dir.file("KAIME/202504060501SORT.dat"));

    ThreadedRun r;
    NullStatusSink status;
    WriterChain chain;
    chain.add(ChainSlot::LupFiles, std::make_unique<SnapshotWriter>(&r.log));
    YOSOKEKKATHISWEEKNQUEL w(std::move(chain), status);
    w.setThreads(threads);
    w.Form_Load();
    r.files = filesUnder(wk.dir.path());
    r.writeFailures = w.st.WriteFailures;
    for (auto& f : r.writeFailures) f = f.substr(wk.dir.path().size());
    r.list1 = w.List1();
    r.exRec = w.st.ExRec;
    r.seRec = w.st.SeRec;
    r.raRec = w.st.RaRec;
    r.message = w.report().message();
    const std::size_t at = r.message.find(wk.dir.path());
    if (at != std::string::npos) r.message.erase(at, wk.dir.path().size());
    return r;
}

}  // namespace

TEST(PredictionRun, OneThreadOrManyGiveTheSameFilesAndState) {
    const ThreadedRun one = runWeekOn(1);
    ASSERT_EQ(one.log.size(), 7u);
    ASSERT_EQ(one.writeFailures.size(), 2u);
    EXPECT_NE(one.writeFailures[0].find("RACE/202504050602.dat"), std::string::npos);  // the race files come first
    EXPECT_NE(one.writeFailures[1].find("KAIME/202504060501SORT.dat"), std::string::npos);
    EXPECT_FALSE(one.exRec.empty());
    // The per-horse tables as the writers see them: race 2 (5 runners) has its
    // own rows 1 to 5 and race 1's (20 runners) after them.
    auto rows = [](const std::string& entry) {
        std::vector<std::string> out;
        std::size_t at = entry.find('|');
        for (int h = 0; h <= 18; ++h) {
            const std::size_t next = entry.find('|', at + 1);
            out.push_back(entry.substr(at + 1, next - at - 1));
            at = next;
        }
        return out;
    };
    const auto race1 = rows(one.log[0]), race2 = rows(one.log[1]);
    EXPECT_EQ(race1[18].substr(2), ", 3, 2,03");
    EXPECT_EQ(race2[5].substr(2), ", 3, 2,03");
    EXPECT_NE(race2[1].substr(0, 2), race1[1].substr(0, 2));  // its own predicted ranks
    for (int h = 6; h <= 18; ++h) EXPECT_EQ(race2[static_cast<std::size_t>(h)], race1[static_cast<std::size_t>(h)]) << h;
    for (unsigned threads : {2u, 4u, 8u}) {
        const ThreadedRun many = runWeekOn(threads);
        EXPECT_EQ(many.log, one.log) << threads;
        EXPECT_EQ(many.writeFailures, one.writeFailures) << threads;
        EXPECT_EQ(many.list1, one.list1) << threads;
        EXPECT_EQ(many.exRec, one.exRec) << threads;
        EXPECT_EQ(many.seRec, one.seRec) << threads;
        EXPECT_EQ(many.raRec, one.raRec) << threads;
        EXPECT_EQ(many.message, one.message) << threads;
        ASSERT_EQ(many.files.size(), one.files.size()) << threads;
        for (const auto& [name, bytes] : one.files) {
            auto it = many.files.find(name);
            ASSERT_NE(it, many.files.end()) << name;
            EXPECT_TRUE(it->second == bytes) << name << " on " << threads << " threads";
        }
    }
}

TEST(PredictionRun, UnreadableInputsAreNotedAndTheRunGoesOn) {
    WeekFixture wk;
    wk.addRace(kId11, {60.0f, 61.0f, 62.0f});
    wk.write();
    const std::string a = "UMAGOTOEXTHISWEEKN/0405061101EX.dat", b = "UMAGOTOEXTHISWEEKN/0405061102EX.dat";
    ASSERT_TRUE(wk.dir.exists(a));
    // Horse 2's file is a folder: no runs, and unreadable (a folder stands where the file belongs).
    std::filesystem::remove(wk.dir.file(b));
    ASSERT_TRUE(makeDirs(wk.dir.file(b)));
    struct Case {
        const char* denied;
        std::size_t runners;  // records of the race-horse file
        bool horse1HasRuns;
    };
    for (const Case c : {Case{"0405061101EX.dat", 3, false}, Case{"SETHISWEEKNNEW", 0, false}, Case{"nothing", 3, true}}) {
        kv::fsys::Faults f;
        f.denyReadContaining = c.denied;
        kv::fsys::setFaults(f);
        LoadedWindow run;
        kv::fsys::clearFaults();
        const auto unreadable = unreadableFiles();
        const bool noted = std::any_of(unreadable.begin(), unreadable.end(),
                                       [&](const std::string& u) { return u.find(c.denied) != std::string::npos; });
        EXPECT_EQ(noted, std::string(c.denied) != "nothing") << c.denied;
        const bool folderNoted = std::any_of(unreadable.begin(), unreadable.end(), [](const std::string& u) {
            return u.find("0405061102EX.dat: a folder stands where the file belongs") != std::string::npos;
        });
        EXPECT_EQ(folderNoted, c.runners > 0) << c.denied;  // read whenever the race has runners
        EXPECT_TRUE(run.w->report().failedAny()) << c.denied;
        const auto recs = splitRecords(wk.dir.read("RACE/" + kKey11 + ".dat"), rh::kRecordLength);
        ASSERT_EQ(recs.size(), c.runners) << c.denied;
        if (!recs.empty()) {
            EXPECT_EQ(RaceHorseRecord(recs[0]).raceId(0) == kId11, c.horse1HasRuns) << c.denied;
        }
        // Neither horse is missing: the unreadable file and the folder are there.
        if (c.runners > 0) {
            EXPECT_EQ(run.w->report().message().find("頭分"), std::string::npos) << c.denied;
        }
        if (std::string(c.denied) == "nothing") {
            EXPECT_NE(run.w->report().message().find("UMAGOTOEXTHISWEEKN/0405061102EX.dat"), std::string::npos)
                << run.w->report().message();
        }
    }
}

// A race given up on for a value that is no number names the expanded run file
// and record whose number is not digits, and the calculation to run again.
TEST(PredictionRun, ExpandedRecordWithoutANumberIsNamedWhenItsRaceFails) {
    struct NumberWriter : Writer {
        std::string failure;
        explicit NumberWriter(std::string f) : failure(std::move(f)) {}
        std::string name() const override { return "WriteYosouHtmlPage"; }
        void writeRace(WindowState&, int) override {
            // A value that is no number fails as the conversions fail; anything else as itself.
            if (failure.rfind("not a number", 0) == 0) throw kv::ConversionError(failure, "数字ではありません。");
            throw std::runtime_error(failure);
        }
    };
    struct Case {
        int record;  // 1: the older run, 2: the entry; 0: none damaged
        Field member;
        const char* text;
        const char* failure;  // the writer's
        const char* named;    // in the message, or nullptr for no expanded run file named
    };
    const std::string ketto = "0405061102";
    const std::string file = "UMAGOTOEXTHISWEEKN/" + ketto + "EX.dat";
    const Case cases[] = {
        {2, exrec::BirthYear, "    ", "not a number: '  '", " の 2 件目のレコードの数値（BirthYear）が数字ではありません。"},
        {1, exrec::Kyori, "16O0", "not a number: 'O0'", " の 1 件目のレコードの数値（Kyori）が数字ではありません。"},
        {2, exrec::BirthYear, "    ", "disk full", nullptr},          // a failure of another kind
        {0, exrec::BirthYear, "", "not a number: '  '", nullptr},     // nothing damaged
    };
    for (const Case& c : cases) {
        WeekFixture wk;
        wk.addRace(kId11, {60.0f, 61.0f, 62.0f});
        for (auto& [k, recs] : wk.ex) {
            recs.insert(recs.begin(), exRecord("2025030106010211", 1, k, 59.0f));
            for (auto& r : recs) {
                setField(r, exrec::HassoTime, "1530");
                setField(r, exrec::TorokuTosu, "16");
            }
        }
        if (c.record > 0) setField(wk.ex[ketto][static_cast<std::size_t>(c.record - 1)], c.member, c.text);
        wk.write();
        WriterChain chain;
        chain.add(ChainSlot::YosouHtmlPage, std::make_unique<NumberWriter>(c.failure));
        LoadedWindow run(std::move(chain));
        const std::string m = run.w->report().message();
        EXPECT_TRUE(run.w->report().failedAny()) << m;
        if (c.named) {
            EXPECT_NE(m.find("拡大構造体ファイル " + file + c.named), std::string::npos) << m;
            EXPECT_NE(m.find("⑤計算をやり直して"), std::string::npos) << m;
        } else {
            EXPECT_EQ(m.find("拡大構造体ファイル"), std::string::npos) << m;
            // A value that is no number is still the race's data (what to run again
            // is said with it); another failure says nothing of the calculation.
            if (std::string(c.failure).rfind("not a number", 0) != 0) EXPECT_EQ(m.find("⑤計算"), std::string::npos) << m;
        }
    }
}
