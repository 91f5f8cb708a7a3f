// The calculation run (button 5) over a small week: phases and filters on real
// records, failure isolation, a missing weight table, the work files, the
// running flag, and files independent of the number of threads.
#include <gtest/gtest.h>

#include <map>

#include "acquisition/jvdata/horse_records.h"
#include "acquisition/jvdata/race_records.h"
#include "common/appfolder.h"
#include "common/fsys.h"
#include "common/recordfile.h"
#include "expansion/expansion_window.h"
#include "expansion/builder.h"
#include "common/exrecord.h"
#include "expansion/weights.h"
#include "fixtures/fixtures.h"
#include "fixtures/jv_records.h"
#include "tables_fixture.h"

using namespace kv::expansion;
namespace ex = kv::exrec;
namespace se = kv::jv::se;
namespace ra = kv::jv::ra;

namespace {

struct RecordingProgress : kv::ProgressSink {
    std::map<std::string, long> last;
    std::map<std::string, std::vector<long>> all;
    void progress(const std::string& bar, long value, long) override {
        last[bar] = value;
        all[bar].push_back(value);
    }
};

const char* kH1 = "2019100001";  // seven runs
const char* kH2 = "2019100002";  // one run, this week
const char* kH3 = "2019100003";  // entry race with a distance that is not a number
const char* kH4 = "2019100004";  // listed, no run file

struct CalcRunTest : ::testing::Test {
    kvtest::TempDir dir;
    kv::RecordingStatusSink status;
    kv::RecordingMessageSink messages;
    RecordingProgress progress;

    void SetUp() override {
        kv::SetAppPath(dir.path());
        std::string races, um;
        // Past races on turf; race 7 of 2015 fails the date filter; the week's races on 2026-12-06.
        const int dates[] = {20151231, 20250105, 20250301, 20250601, 20251001, 20251101, 20261206};
        for (int i = 0; i < 7; ++i)
            races += kvtest::jvRA(kvtest::jvRaceId(dates[i] / 10000, dates[i] % 10000, 5, 1, 1, 1), "7").str();
        races += kvtest::jvRA(kvtest::jvRaceId(2026, 1206, 5, 1, 1, 2), "2").setRaw(ra::Kyori, "16x0").str();
        dir.write("RATHISWEEKNNEW.dat", races);

        std::string h1;
        for (int i = 0; i < 7; ++i) {
            auto b = kvtest::jvSE(kvtest::jvRaceId(dates[i] / 10000, dates[i] % 10000, 5, 1, 1, 1), 3, kH1,
                                  i == 6 ? "2" : "7");
            if (i < 6) b.setRaw(se::Time, "1345").setRaw(se::HaronTimeL3, "345").setRaw(se::Honsyokin, "00001000");
            h1 += b.str();
        }
        dir.write("UMAGOTOTHISWEEKN/2019100001.dat", h1);
        dir.write("UMAGOTOTHISWEEKN/2019100002.dat",
                  kvtest::jvSE(kvtest::jvRaceId(2026, 1206, 5, 1, 1, 1), 4, kH2).str());
        dir.write("UMAGOTOTHISWEEKN/2019100003.dat",
                  kvtest::jvSE(kvtest::jvRaceId(2026, 1206, 5, 1, 1, 2), 1, kH3)
                      .setRaw(se::Time, "1345")
                      .setRaw(se::HaronTimeL3, "345")
                      .str());
        for (const char* k : {kH1, kH2, kH3}) um += kvtest::jvUM(k).str();
        dir.write("UMTHISWEEKNNEW.dat", um);
        dir.write("KSTHISWEEKN.dat", kvtest::jvKSStored("01001").str());
        dir.write("KETTONUMTHISWEEKN.dat",
                  std::string(kH1) + "\r\n" + kH2 + "\r\n" + kH3 + "\r\n" + kH4 + "\r\n" + kH2 + "\r\n");
        dir.write("HAHAHANNUMTHISWEEKN.dat", "2000000002\r\n");

        exptest::TableDef turf = exptest::yearsOnly({"2025     ", "2026     "}, 58.0f);
        turf[9] = {{"001", 3, 0.5f, 0.5f, 0.5f}, {"002", 3, 0.25f, 0.25f, 0.25f}};
        exptest::writeTables(dir, Surface::Turf, turf);
        exptest::writeTables(dir, Surface::Dirt, exptest::yearsOnly({"2026     "}, 55.0f));
        exptest::writeTables(dir, Surface::Hurdle, exptest::yearsOnly({"2026     "}, 50.0f));
    }

    CalculationReport run(unsigned threads) {
        KORIVANEXPDTHISWEEKNQUEL w(status, messages, progress);
        w.setThreads(threads);
        w.Form_Load();
        return w.Command1_Click();
    }

    std::vector<std::string> exRecords(const char* k) const {
        return kv::RecordFile(dir.file(std::string("UMAGOTOEXTHISWEEKN/") + k + "EX.dat"), ex::kLength).readAll();
    }
    std::string exBytes(const char* k) const { return dir.read(std::string("UMAGOTOEXTHISWEEKN/") + k + "EX.dat"); }
};

}  // namespace

TEST_F(CalcRunTest, PhasesFiltersAndFailureIsolation) {
    const CalculationReport r = run(2);
    EXPECT_TRUE(r.started);
    EXPECT_EQ(r.horses, 4u);
    EXPECT_EQ(r.failedHorses, 1u);
    EXPECT_EQ(r.firstFailedKettoNum, kH3);
    EXPECT_FALSE(r.ok());

    // The end text, then one message naming the count and the first horse with
    // what of its data failed it, and the steps that write that data again
    // (not the disk: the data is at fault).
    EXPECT_EQ(status.texts.front(), (std::pair<std::string, std::string>("Text3", KORIVANEXPDTHISWEEKNQUEL::kStartText)));
    EXPECT_EQ(status.last("Text3"), KORIVANEXPDTHISWEEKNQUEL::kFailedText);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_NE(messages.messages[0].find("計算できなかった馬が 1 頭あります（最初: " + std::string(kH3) +
                                        "、距離「16x0」が数字ではありません）。②構造・中止処理をやり直してから、⑤計算をやり直して下さい。"),
              std::string::npos)
        << messages.messages[0];
    EXPECT_EQ(messages.messages[0].find("ディスク"), std::string::npos) << messages.messages[0];
    // H2 is listed twice: worked once, and the repeat is noted (no failure of its own).
    EXPECT_NE(messages.messages[0].find("KETTONUMTHISWEEKN.dat で繰り返されたレコード 1 件を読み飛ばしました"),
              std::string::npos)
        << messages.messages[0];
    // ProgressBar3: reset, the lists (one dam, four horses: still 0), reset, the
    // three horse records, then the building and the calculation, one step per
    // horse each.
    EXPECT_EQ(progress.all["ProgressBar3"], (std::vector<long>{0, 0, 33, 66, 100, 25, 50, 75, 100, 25, 50, 75, 100}));
    EXPECT_EQ(progress.last["ProgressBar4"], 100);

    // H1: seven records; the factor phase handles records 4..7.
    const auto h1 = exRecords(kH1);
    ASSERT_EQ(h1.size(), 7u);
    // Record 1 (2015) fails the date filter: FC blanks, weights 0, SpeedText 7..10 blanks,
    // codes and SpeedText 1..6, 11 and RunSpeeds keep zero bytes.
    EXPECT_EQ(kv::getField(h1[0], ex::FC(1)), "    ");
    EXPECT_EQ(kv::getField(h1[0], ex::SpeedText(7)), "       ");
    EXPECT_EQ(kv::getField(h1[0], ex::SpeedText(11)), std::string(7, '\0'));
    EXPECT_EQ(kv::getField(h1[0], ex::F(1)), std::string(9, '\0'));
    EXPECT_EQ(kv::getSingle(h1[0], ex::AgariFW(1)), 0.0f);
    EXPECT_EQ(kv::getField(h1[0], kv::Field{ex::kRunSpeedsOff, 80}), std::string(80, '\0'));
    // Record 2 precedes the factor phase: no codes, so no category; factor 1 weighs like category 1.
    EXPECT_EQ(kv::getField(h1[1], ex::F(1)), std::string(9, '\0'));
    EXPECT_EQ(kv::getField(h1[1], ex::FC(1)), "0   ");
    EXPECT_EQ(kv::getSingle(h1[1], ex::AgariFW(1)), 58.0f);
    EXPECT_EQ(kv::getField(h1[1], ex::SpeedText(4)), "5800000");
    // Records 4..7: speeds, codes, categories.
    EXPECT_EQ(kv::getField(h1[3], ex::SpeedText(1)), "6260869");
    EXPECT_EQ(kv::getField(h1[3], ex::F(1)), "2025     ");
    EXPECT_EQ(kv::getField(h1[3], ex::FC(1)), "1   ");
    EXPECT_EQ(kv::getField(h1[6], ex::F(1)), "2026     ");
    EXPECT_EQ(kv::getField(h1[6], ex::FC(1)), "2   ");
    EXPECT_EQ(kv::getSingle(h1[6], ex::AgariFW(1)), 59.0f);
    EXPECT_EQ(kv::getField(h1[6], ex::SpeedText(1)), "0000000");  // the entry has no times yet
    EXPECT_EQ(kv::getField(h1[6], ex::F(9)), "006");               // no category for "006"
    EXPECT_EQ(kv::getField(h1[6], ex::FC(9)), "0   ");
    EXPECT_GT(kv::getSingle(h1[6], ex::RunSpeeds(7)), 0.0f);

    // H2's file holds its entry, calculated; H4's file exists and is empty.
    ASSERT_EQ(exRecords(kH2).size(), 1u);
    EXPECT_EQ(kv::getField(exRecords(kH2)[0], ex::F(9)), "001");
    EXPECT_TRUE(dir.exists("UMAGOTOEXTHISWEEKN/2019100004EX.dat"));
    EXPECT_EQ(exBytes(kH4), "");

    // H3 failed: its file stays as the builder wrote it.
    const BuildInputs in = BuildInputs::load();
    const auto runs = kv::RecordFile(dir.file("UMAGOTOTHISWEEKN/2019100003.dat"), se::kLength).readAll();
    EXPECT_EQ(exRecords(kH3), BuildUmagotoEx(in, runs).records);
}

TEST_F(CalcRunTest, FilesDoNotDependOnThreadsOrOnAnEarlierRun) {
    run(1);
    std::map<std::string, std::string> single;
    for (const char* k : {kH1, kH2, kH3, kH4}) single[k] = exBytes(k);
    run(4);
    for (const char* k : {kH1, kH2, kH3, kH4}) EXPECT_EQ(exBytes(k), single[k]) << k;
}

TEST_F(CalcRunTest, MissingWeightTableStopsTheCalculationOnce) {
    const WeightFileNames n = weightFileNames(Surface::Dirt);
    kv::removeFile(dir.file(n.pace));
    const CalculationReport r = run(2);
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.failedHorses, 0u);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_NE(messages.messages[0].find("QA1DirtPaceWeightData201901N2025.dat"), std::string::npos);
    EXPECT_NE(messages.messages[0].find("最新の予想因子ウエイトを展開し直してから"), std::string::npos);
    EXPECT_EQ(status.last("Text3"), KORIVANEXPDTHISWEEKNQUEL::kFailedText);
    // The files are built, not calculated.
    const auto h1 = exRecords(kH1);
    ASSERT_EQ(h1.size(), 7u);
    EXPECT_EQ(kv::getField(h1[6], ex::F(1)), std::string(9, '\0'));
}

TEST_F(CalcRunTest, WorkFilesHoldOnlyThisRunsRecords) {
    dir.write("OPTION1N/KYOSOBATHISWEEK.dat", std::string(228 * 3, 'x'));
    std::string kyosoba(228, ' ');
    kyosoba.replace(0, 10, kH2);
    kyosoba.replace(226, 2, "\r\n");
    dir.write("OPTION1N/KYOSOBA.dat", kyosoba);
    const CalculationReport r = run(1);
    // H2 is listed twice: one copy.
    EXPECT_EQ(r.kyosobaRecords, 1);
    EXPECT_EQ(dir.read("OPTION1N/KYOSOBATHISWEEK.dat"), kyosoba);
    EXPECT_EQ(dir.read("OPTION1N/HAHAUMATHISWEEK.dat"), "");
}

// A list repeated over and over is worked once per horse or dam: the same
// files as the list once, and a note naming the list.
TEST_F(CalcRunTest, RepeatedListsAreWorkedOncePerKeyAndNoted) {
    std::string kyosoba(228, ' '), hahauma(402, ' ');
    kyosoba.replace(0, 10, kH2);
    kyosoba.replace(226, 2, "\r\n");
    hahauma.replace(0, 10, "2000000002");
    hahauma.replace(400, 2, "\r\n");
    dir.write("OPTION1N/KYOSOBA.dat", kyosoba);
    dir.write("OPTION1N/HAHAUMA.dat", hahauma);
    const std::string horses = dir.read("KETTONUMTHISWEEKN.dat"), dams = dir.read("HAHAHANNUMTHISWEEKN.dat");
    const std::vector<std::string> outputs = {"OPTION1N/KYOSOBATHISWEEK.dat", "OPTION1N/HAHAUMATHISWEEK.dat",
                                              "UMAGOTOEXTHISWEEKN/2019100001EX.dat",
                                              "UMAGOTOEXTHISWEEKN/2019100002EX.dat"};
    // The list as it is (H2 listed twice): one KYOSOBA record, one HAHAUMA record.
    run(2);
    std::map<std::string, std::string> clean;
    for (const auto& f : outputs) clean[f] = dir.read(f);
    EXPECT_EQ(clean["OPTION1N/KYOSOBATHISWEEK.dat"], kyosoba);
    EXPECT_EQ(clean["OPTION1N/HAHAUMATHISWEEK.dat"], hahauma);

    struct Case {
        const char* list;
        std::string bytes;
        const char* note;
    };
    auto times = [](const std::string& s, int n) {
        std::string out;
        for (int i = 0; i < n; ++i) out += s;
        return out;
    };
    const Case cases[] = {
        {"HAHAHANNUMTHISWEEKN.dat", times(dams, 2000), "HAHAHANNUMTHISWEEKN.dat で繰り返されたレコード 1999 件を読み飛ばしました"},
        // five entries, four horses
        {"KETTONUMTHISWEEKN.dat", times(horses, 400), "KETTONUMTHISWEEKN.dat で繰り返されたレコード 1996 件を読み飛ばしました"},
    };
    for (const Case& c : cases) {
        dir.write("KETTONUMTHISWEEKN.dat", horses);
        dir.write("HAHAHANNUMTHISWEEKN.dat", dams);
        dir.write(c.list, c.bytes);
        messages.messages.clear();
        const CalculationReport r = run(2);
        EXPECT_EQ(r.horses, 4u) << c.list;
        for (const auto& f : outputs) EXPECT_EQ(dir.read(f), clean[f]) << c.list << " " << f;
        ASSERT_EQ(messages.messages.size(), 1u) << c.list;
        EXPECT_NE(messages.messages[0].find(c.note), std::string::npos) << messages.messages[0];
    }
}

TEST_F(CalcRunTest, WorkFileThatCannotBeWrittenIsReportedAndNotReadBack) {
    std::string kyosoba(228, ' ');
    kyosoba.replace(0, 10, kH2);
    kyosoba.replace(226, 2, "\r\n");
    dir.write("OPTION1N/KYOSOBA.dat", kyosoba);
    run(1);
    const std::string h2 = exBytes(kH2);

    // The work file's name is taken by a folder: it cannot be written.
    kv::removeFile(dir.file("OPTION1N/KYOSOBATHISWEEK.dat"));
    kv::makeDirs(dir.file("OPTION1N/KYOSOBATHISWEEK.dat"));
    messages.messages.clear();
    const CalculationReport r = run(1);
    EXPECT_EQ(r.kyosobaRecords, -1);
    EXPECT_FALSE(r.ok());
    bool named = false;
    for (const auto& m : messages.messages) named = named || m.find("KYOSOBATHISWEEK.dat") != std::string::npos;
    EXPECT_TRUE(named);
    // The coders still saw this week's horse statistics.
    EXPECT_EQ(exBytes(kH2), h2);
}

TEST_F(CalcRunTest, AFailureWhileTheWorkersRunEndsTheRunWithAMessage) {
    struct Throwing : kv::ProgressSink {
        void progress(const std::string& bar, long value, long) override {
            if (bar == "ProgressBar3" && value == 50) throw std::runtime_error("progress display lost");
        }
    } throwing;
    KORIVANEXPDTHISWEEKNQUEL w(status, messages, throwing);
    w.setThreads(4);
    w.Form_Load();
    const CalculationReport r = w.Command1_Click();
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.error, "progress display lost");
    EXPECT_EQ(status.last("Text3"), KORIVANEXPDTHISWEEKNQUEL::kFailedText);
    // One message in Japanese; the exception's own text goes to the log only.
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_NE(messages.messages[0].find("計算が途中で止まりました。"), std::string::npos) << messages.messages[0];
    EXPECT_EQ(messages.messages[0].find("progress display lost"), std::string::npos);
    EXPECT_FALSE(w.running());
}

// An exception that leaves a button's handler (here: the status display
// failing) gives the run lock back: the next click runs.
TEST_F(CalcRunTest, AnExceptionLeavingAHandlerReleasesTheRunLock) {
    struct ThrowingStatus : kv::StatusSink {
        bool armed = true;
        void setText(const std::string& control, const std::string&) override {
            if (armed && (control == "Text1" || control == "Text3")) throw std::runtime_error("status display lost");
        }
    } throwing;
    KORIVANEXPDTHISWEEKNQUEL w(throwing, messages, progress);
    throwing.armed = false;
    w.Form_Load();
    throwing.armed = true;
    EXPECT_THROW(w.Command3_Click(), std::runtime_error);
    EXPECT_FALSE(w.running());
    EXPECT_FALSE(w.controls().busy);
    EXPECT_THROW(w.Command1_Click(), std::runtime_error);
    EXPECT_FALSE(w.running());
    EXPECT_FALSE(w.controls().busy);
    throwing.armed = false;
    EXPECT_TRUE(w.Command1_Click().started);
    EXPECT_FALSE(w.running());
}

TEST_F(CalcRunTest, NoSecondRunWhileOneIsUnderWay) {
    bool checked = false;
    KORIVANEXPDTHISWEEKNQUEL* self = nullptr;
    KORIVANEXPDTHISWEEKNQUEL w(status, messages, progress, [&] {
        if (checked) return;
        checked = true;
        EXPECT_TRUE(self->running());
        EXPECT_TRUE(self->controls().busy);
        EXPECT_FALSE(self->Command1_Click().started);
        EXPECT_FALSE(self->Command3_Click());
    });
    self = &w;
    w.Form_Load();
    EXPECT_TRUE(w.Command1_Click().started);
    EXPECT_TRUE(checked);
    EXPECT_FALSE(w.running());
    EXPECT_FALSE(w.controls().busy);
}

TEST_F(CalcRunTest, NothingOfAnEarlierWeekStaysInTheFiles) {
    run(2);
    const std::string h2 = exBytes(kH2);
    dir.write("UMAGOTOEXTHISWEEKN/2019100002EX.dat", std::string(ex::kLength * 3, 'z'));
    dir.write("UMAGOTOEXTHISWEEKN/2019100004EX.dat", std::string(ex::kLength, 'z'));
    run(2);
    EXPECT_EQ(exBytes(kH2), h2);
    EXPECT_EQ(exBytes(kH4), "");
}

// A full disk or a failing rename: the run fails, and every expanded run file
// is its old version or its new whole one.
TEST_F(CalcRunTest, AFullDiskOrAFailingRenameLeavesNoTornFile) {
    run(1);
    std::map<std::string, std::string> fresh;
    for (const char* k : {kH1, kH2, kH4}) fresh[k] = exBytes(k);
    const std::string old(2 * ex::kLength, 'o');

    struct Case {
        const char* name;
        long long fullAfter;
        bool renameFails;
    };
    const Case cases[] = {{"full at once", 0, false}, {"full midway", 3 * ex::kLength + 100, false},
                          {"rename fails", -1, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const char* k : {kH1, kH2, kH4}) dir.write(std::string("UMAGOTOEXTHISWEEKN/") + k + "EX.dat", old);
        kv::fsys::Faults f;
        f.failWriteAfterBytes = c.fullAfter;
        f.failRename = c.renameFails;
        kv::fsys::setFaults(f);
        const CalculationReport r = run(2);
        kv::fsys::clearFaults();
        EXPECT_FALSE(r.ok());
        EXPECT_GE(r.failedHorses, 2u);
        for (const char* k : {kH1, kH2, kH4}) {
            const std::string now = exBytes(k);
            EXPECT_TRUE(now == old || now == fresh[k]) << k;
        }
        for (const auto& n : kv::listFiles(dir.file("UMAGOTOEXTHISWEEKN"))) EXPECT_EQ(n.find(".tmp"), std::string::npos) << n;
    }
}

// A listed name that would lead out of the folder gets no file anywhere and
// counts as a horse that could not be calculated.
TEST_F(CalcRunTest, ListedNamesLeadingOutOfTheFolderGetNoFile) {
    dir.write("KETTONUMTHISWEEKN.dat", std::string(kH1) + "\r\n../escaped\r\n..\\\\escaped\r\n");
    const CalculationReport r = run(2);
    EXPECT_EQ(r.horses, 3u);
    EXPECT_EQ(r.failedHorses, 2u);
    EXPECT_EQ(r.firstFailedKettoNum, "../escaped");
    EXPECT_FALSE(dir.exists("escapedEX.dat"));
    EXPECT_FALSE(dir.exists("UMAGOTOEXTHISWEEKN/../escapedEX.dat"));
    EXPECT_EQ(exRecords(kH1).size(), 7u);
}
