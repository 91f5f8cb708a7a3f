// ① this week's download through the feed emulator: every JV-Link return path.
#include <gtest/gtest.h>

#include <cstdio>

#include "acquisition/menu.h"
#include "acquisition/menu_globals.h"
#include "common/appfolder.h"
#include "common/fsys.h"
#include "common/recordfile.h"
#include "fixtures/jv_records.h"
#include "rig.h"

using namespace kvtest;

namespace {

const std::string kRace1 = jvRaceId(2026, 1205, 5, 5, 1, 1);
const std::string kRace2 = jvRaceId(2026, 1205, 5, 5, 1, 2);
constexpr const char* kSpec = kv::feed::WEEK;
const std::string kSection = std::string("[") + kSpec + "]\n";      // its section of the control file
const std::string kOpened = std::string(kSpec) + "|00000000000000|2";  // its JVOpen as the rig notes it
// A file of the week's feed folder, as a message names it.
std::string feedFile(const std::string& name) {
    return kv::joinPath(kv::joinPath(kv::dirs::JVFEED, kSpec), name);
}
constexpr const char* kStart = "今週開催取得開始しました。しばらくお待ち下さい。。。。。";
constexpr const char* kEnd = "今週開催取得終了";

struct WeekDownload : ::testing::Test {
    AppRig rig;
    std::unique_ptr<kv::TEZF1THISWEEKNQUEL> menu;
    std::vector<std::string> labels;  // progress label after every tick
    int yields = 0;
    std::string ra1 = jvRA(kRace1).str(), ra2 = jvRA(kRace2).str();
    std::string se1 = jvSE(kRace1, 1, "2019100001").str(), se2 = jvSE(kRace2, 2, "2019100002").str();
    std::string um1 = jvUM("2019100001").str(), um9 = jvUM("2019100003", "1", "2", "9").str(),
                um2 = jvUM("2019100002").str();
    std::string hr1 = jvHR(kRace1).str();

    void SetUp() override {
        rig.dir.write("OPTION1N/STALLION.dat", "x");
        menu = std::make_unique<kv::TEZF1THISWEEKNQUEL>(rig.messages, [this] { ++yields; }, *rig.jv, rig.shell,
                                                        rig.clock, &rig.status);
        menu->ProgressModal = [this](kv::TEZF2THISWEEKNQUEL& w) {
            kv::runProgressHeadless(w, 0, kv::feedCancelAfterStatus(rig.jv->emu),
                                    [this](const kv::TEZF2THISWEEKNQUEL& win) { labels.push_back(win.Label1); });
        };
        // Week files of an earlier press.
        for (const char* f : {"RATHISWEEKN.dat", "SETHISWEEKN.dat", "UMTHISWEEKN.dat", "KSTHISWEEKN.dat",
                              "HRTHISWEEKN.dat"})
            rig.dir.write(f, "old");
    }
    void twoFiles() {
        rig.feed(kSpec, "a.jvd",
                 {ra1, se1, um1, um9, jvKSReceived("01001", "9999999999").str(), hr1,
                  jvO1(kRace1, 12, [](int) { return 25L; })});
        rig.feed(kSpec, "b.jvd", {ra2, se2, um2});
    }
    bool noWeekFiles() const {
        for (const char* f : {"RATHISWEEKN.dat", "SETHISWEEKN.dat", "UMTHISWEEKN.dat", "KSTHISWEEKN.dat",
                              "HRTHISWEEKN.dat"})
            if (rig.dir.exists(f)) return false;
        return true;
    }
};

TEST_F(WeekDownload, DownloadsWithProgressAndStoresEachKind) {
    twoFiles();
    rig.control(kSection + "download_count=2\n");
    menu->Command2_Click();

    EXPECT_TRUE(rig.messages.messages.empty());
    EXPECT_EQ(menu->LastDownload, kv::DownloadOutcome::Completed);
    EXPECT_EQ(menu->DialogResult, 0);
    EXPECT_EQ(menu->DownloadCount, 2);
    ASSERT_FALSE(labels.empty());
    EXPECT_EQ(labels.front(), "0 / 2");
    EXPECT_EQ(labels.back(), "2 / 2");
    EXPECT_EQ(rig.dir.read("RATHISWEEKN.dat"), ra1 + ra2);
    EXPECT_EQ(rig.dir.read("SETHISWEEKN.dat"), se1 + se2);
    EXPECT_EQ(rig.dir.read("UMTHISWEEKN.dat"), um1 + um2);  // data kind "9" skipped
    EXPECT_EQ(rig.dir.read("KSTHISWEEKN.dat"), jvKSStored("01001", "999999999").str());
    EXPECT_EQ(rig.dir.read("HRTHISWEEKN.dat"), hr1);
    EXPECT_EQ(rig.status.of("Text1"), (std::vector<std::string>{kStart, kEnd}));
    EXPECT_EQ(menu->Text1.Text, kEnd);
    EXPECT_EQ(yields, 1);
    EXPECT_EQ(rig.jv->inits, std::vector<std::string>{kv::kSidWeek});
    EXPECT_EQ(rig.jv->opens, std::vector<std::string>{kOpened});
    EXPECT_EQ(menu->RecordsLost, 0);
}

TEST_F(WeekDownload, NothingToDownloadReadsAtOnce) {
    twoFiles();
    menu->Command2_Click();
    EXPECT_EQ(rig.jv->calls["JVStatus"], 0);
    EXPECT_TRUE(labels.empty());
    EXPECT_EQ(rig.dir.read("RATHISWEEKN.dat"), ra1 + ra2);
    EXPECT_TRUE(rig.messages.messages.empty());
}

TEST_F(WeekDownload, EveryEarlyEndLeavesTheWeekFilesDeleted) {
    struct Case {
        const char* name;
        std::string control;
        bool feed;
        std::vector<std::string> messages;
        kv::DownloadOutcome outcome;
    };
    const std::vector<Case> cases = {
        {"open error", kSection + "open_result=-301\n", true, {"JVOpenエラー。RC=-301"},
         kv::DownloadOutcome::Failed},
        {"no data", "", false, {"該当するデータがありません。"}, kv::DownloadOutcome::NoData},
        {"init error", "init_result=-211\n", true, {"JVInitエラー。RC=-211", "JVOpenエラー。RC=-201"},
         kv::DownloadOutcome::Failed},
        {"cancelled", kSection + "download_count=2\ncancel_after_status=1\n", true, {},
         kv::DownloadOutcome::Cancelled},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AppRig local;
        local.dir.write("OPTION1N/STALLION.dat", "x");
        local.dir.write("RATHISWEEKN.dat", "old");
        if (c.feed) local.feed(kSpec, "a.jvd", {ra1});
        local.control(c.control);
        kv::TEZF1THISWEEKNQUEL m(local.messages, {}, *local.jv, local.shell, local.clock, &local.status);
        kv::JVLinkEmulator& emu = local.jv->emu;
        m.ProgressModal = [&emu](kv::TEZF2THISWEEKNQUEL& w) {
            kv::runProgressHeadless(w, 0, kv::feedCancelAfterStatus(emu));
        };
        m.Command2_Click();
        EXPECT_EQ(local.messages.messages, c.messages);
        EXPECT_EQ(m.LastDownload, c.outcome);
        EXPECT_FALSE(local.dir.exists("RATHISWEEKN.dat"));
        // A failed download does not end in the completion text.
        EXPECT_EQ(m.Text1.Text, c.outcome == kv::DownloadOutcome::Failed ? std::string(kv::kFetchFailedText)
                                                                          : std::string(kEnd));
        EXPECT_EQ(local.jv->calls["JVRead"], 0);
        EXPECT_GE(local.jv->calls["JVClose"], 1);
        if (c.outcome == kv::DownloadOutcome::Cancelled) {
            EXPECT_EQ(m.DialogResult, -1);
            EXPECT_EQ(local.jv->calls["JVCancel"], 1);
        }
    }
}

TEST_F(WeekDownload, ReadErrorLeavesNoHalfReadWeekFiles) {
    twoFiles();
    rig.control(kSection + "read_error=-502\nread_error_after=2\n");
    menu->Command2_Click();
    EXPECT_EQ(rig.messages.messages, (std::vector<std::string>{"JVReadエラー。 RC=-502"}));
    // The week files were deleted before the read; what was read before the
    // error is not put in their place.
    EXPECT_TRUE(noWeekFiles());
    EXPECT_TRUE(kv::listFiles(rig.dir.path()).size() > 0);
    for (const auto& n : kv::listFiles(rig.dir.path())) EXPECT_EQ(n.find(".tmp"), std::string::npos) << n;
    EXPECT_EQ(menu->LastDownload, kv::DownloadOutcome::Failed);
    EXPECT_EQ(menu->Text1.Text, kv::kFetchFailedText);
}

TEST_F(WeekDownload, FailedDownloadIsReportedAndTheReadFollows) {
    twoFiles();
    rig.control(kSection + "download_count=2\nstatus_error=-504\nstatus_error_after=1\n");
    menu->Command2_Click();
    // The progress window reports the failure and closes with the result left at 0;
    // the files never arrived, so the read fails too.
    EXPECT_EQ(rig.messages.messages,
              (std::vector<std::string>{"ダウンロード失敗。RC=-504", "JVReadエラー。 RC=-3"}));
    EXPECT_EQ(menu->DialogResult, 0);
    EXPECT_EQ(menu->LastDownload, kv::DownloadOutcome::Failed);
}

TEST_F(WeekDownload, DamagedFileIsDeletedReopenedAndAppendedAfter) {
    for (const char* code : {"-402", "-403"}) {
        SCOPED_TRACE(code);
        AppRig local;
        local.dir.write("OPTION1N/STALLION.dat", "x");
        local.feed(kSpec, "a.jvd", {ra1});
        local.feed(kSpec, "b.jvd", {ra2});
        local.control(kSection + "damaged=b.jvd " + code + " 1\n");
        kv::TEZF1THISWEEKNQUEL m(local.messages, {}, *local.jv, local.shell, local.clock, &local.status);
        m.Command2_Click();
        EXPECT_TRUE(local.messages.messages.empty());
        EXPECT_EQ(local.jv->deleted, (std::vector<std::string>{"b.jvd"}));
        // The reopen uses the first open's arguments.
        EXPECT_EQ(local.jv->opens, std::vector<std::string>(2, kOpened));
        // The reopened read starts again: what the press stored before it is
        // dropped, so each record is stored once.
        EXPECT_EQ(local.dir.read("RATHISWEEKN.dat"), ra1 + ra2);
        EXPECT_EQ(m.LastDownload, kv::DownloadOutcome::Completed);
    }
}

TEST_F(WeekDownload, AFileThatStaysDamagedEndsTheReadAfterThreeReopens) {
    rig.feed(kSpec, "a.jvd", {ra1});
    rig.feed(kSpec, "b.jvd", {ra2});
    rig.control(kSection + "damaged=b.jvd -403 100\n");
    menu->Command2_Click();
    EXPECT_EQ(rig.jv->deleted.size(), 3u);
    EXPECT_EQ(rig.messages.messages, (std::vector<std::string>{"JVReadエラー。 RC=-403"}));
    EXPECT_TRUE(noWeekFiles());  // a failed read puts nothing in place
    EXPECT_EQ(menu->LastDownload, kv::DownloadOutcome::Failed);
    EXPECT_EQ(menu->Text1.Text, kv::kFetchFailedText);
}

TEST_F(WeekDownload, AWeekFileThatCannotBeWrittenLosesOnlyItsOwnRecords) {
    twoFiles();
    // A folder where the race file belongs: it can be neither deleted nor opened.
    std::remove(rig.dir.file("RATHISWEEKN.dat").c_str());
    rig.dir.write("RATHISWEEKN.dat/keep", "x");
    menu->Command2_Click();
    EXPECT_EQ(menu->RecordsLost, 2);  // ra1 and ra2
    EXPECT_EQ(rig.dir.read("SETHISWEEKN.dat"), se1 + se2);
    EXPECT_EQ(rig.dir.read("HRTHISWEEKN.dat"), hr1);
    // One message names the lost records, the first file and what to do; no completion text.
    ASSERT_EQ(rig.messages.messages.size(), 1u);
    EXPECT_EQ(rig.messages.messages[0],
              "週ファイルに書き込めなかったレコードが 2 件あります（最初: RATHISWEEKN.dat）。"
              "ディスクの空き容量とフォルダの書き込み権限を確認してから、①今週開催取得をやり直して下さい。");
    EXPECT_EQ(menu->Text1.Text, kv::kFetchFailedText);
}

TEST_F(WeekDownload, DamagedRecordsAreNamedByTheirFeedFileAndStoredAsTheyRead) {
    std::string badSe = se1;
    badSe.replace(kv::jv::SeRecord::Umaban.off, 2, "AB");
    rig.feed(kSpec, "a.jvd", {ra1, badSe, um1});
    rig.feed(kSpec, "b.jvd", {ra2, se2.substr(0, 300)});  // cut inside its last record
    // b.jvd is damaged until downloaded again: a.jvd comes twice, its damage is counted once.
    rig.control(kSection + "damaged=b.jvd -402 1\n");
    menu->Command2_Click();

    EXPECT_EQ(rig.messages.messages,
              std::vector<std::string>{
                  feedFile("a.jvd") + " に壊れたレコードが 1 件あります（最初: 2 件目、SE "
                  "レコード、馬番が数字ではありません）。①今週開催取得をやり直して下さい。" +
                  feedFile("b.jvd") + " に壊れたレコードが 1 件あります（最初: 2 件目、SE "
                  "レコード、長さが 555 バイトでなく 302 バイトです）。①今週開催取得をやり直して下さい。"});
    // Every record is stored once, the good ones byte for byte; the step went on to its end.
    EXPECT_EQ(rig.dir.read("RATHISWEEKN.dat"), ra1 + ra2);
    const std::string se = rig.dir.read("SETHISWEEKN.dat");
    ASSERT_EQ(se.size(), 2 * kv::jv::SeRecord::kLength);
    EXPECT_EQ(se.substr(0, kv::jv::SeRecord::kLength), badSe);
    EXPECT_EQ(se.substr(kv::jv::SeRecord::kLength, 300), se2.substr(0, 300));
    EXPECT_EQ(rig.dir.read("UMTHISWEEKN.dat"), um1);
    EXPECT_EQ(menu->RecordsLost, 0);
    EXPECT_EQ(menu->LastDownload, kv::DownloadOutcome::Completed);
    EXPECT_EQ(menu->Text1.Text, kEnd);
}

TEST_F(WeekDownload, MissingStatisticsStartTheSelfExtractorAndTheDownloadGoesOn) {
    rig.dir.write("OPTION1N/STALLION.dat", "");
    std::remove(rig.dir.file("OPTION1N/STALLION.dat").c_str());
    twoFiles();
    menu->Command2_Click();
    EXPECT_EQ(rig.messages.messages,
              (std::vector<std::string>{
                  rig.app() + "に参照場所(展開フォルダ）に合わせてOKをクリックして初回予想因子パラメータをセットして下さい。"}));
    EXPECT_EQ(menu->Label1.Text,
              "まだ、予想因子ウエイトが展開されていません。タスクバーにある展開先の指定をクリックして自己解凍EXEを起動させて下さい。");
    EXPECT_EQ(rig.shell.programs, (std::vector<std::string>{rig.app() + "NEWSFX.EXE"}));
    EXPECT_EQ(rig.dir.read("RATHISWEEKN.dat"), ra1 + ra2);
    EXPECT_EQ(menu->LastDownload, kv::DownloadOutcome::Completed);
}

}  // namespace

namespace {

// A full disk or a failing rename: records are counted lost and no week file
// is left half written (each is absent or whole).
TEST_F(WeekDownload, AFullDiskOrAFailingRenameLeavesNoHalfWrittenWeekFile) {
    struct Case {
        const char* name;
        long long fullAfter;
        bool renameFails;
    };
    const Case cases[] = {{"full at once", 0, false}, {"full midway", 2000, false}, {"rename fails", -1, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AppRig local;
        local.dir.write("OPTION1N/STALLION.dat", "x");
        local.dir.write("RATHISWEEKN.dat", "old");
        local.feed(kSpec, "a.jvd", {ra1, se1, ra2, se2, hr1});
        kv::TEZF1THISWEEKNQUEL m(local.messages, {}, *local.jv, local.shell, local.clock, &local.status);
        kv::fsys::Faults f;
        f.failWriteAfterBytes = c.fullAfter;
        f.failRename = c.renameFails;
        kv::fsys::setFaults(f);
        m.Command2_Click();
        kv::fsys::clearFaults();
        EXPECT_GT(m.RecordsLost, 0);
        const std::pair<const char*, std::string> whole[] = {
            {"RATHISWEEKN.dat", ra1 + ra2}, {"SETHISWEEKN.dat", se1 + se2}, {"HRTHISWEEKN.dat", hr1}};
        for (const auto& [name, bytes] : whole) {
            if (local.dir.exists(name)) {
                EXPECT_EQ(local.dir.read(name), bytes) << name;
            }
        }
        for (const auto& n : kv::listFiles(local.dir.path())) EXPECT_EQ(n.find(".tmp"), std::string::npos) << n;
    }
}

}  // namespace
