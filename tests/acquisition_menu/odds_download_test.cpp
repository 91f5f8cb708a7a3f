// This week's odds download, the progress window and the live odds download,
// through the feed emulator.
#include <gtest/gtest.h>

#include "acquisition/live_odds.h"
#include "acquisition/menu_globals.h"
#include "acquisition/odds_download.h"
#include "acquisition/progress.h"
#include "common/appfolder.h"
#include "common/recordfile.h"
#include "common/stepstate.h"
#include "fixtures/jv_records.h"
#include "rig.h"

using namespace kvtest;

namespace {

constexpr const char* kSpec = kv::feed::ODDS;
const std::string kSection = std::string("[") + kSpec + "]\n";      // its section of the control file
const std::string kOpened = std::string(kSpec) + "|00000000000000|2";  // its JVOpen as the rig notes it
const std::string kRace = jvRaceId(2026, 1205, 5, 5, 1, 11);

// ------------------------------------------------------------ progress window

struct Progress : ::testing::Test {
    AppRig rig;
    std::int32_t count = 12;
    std::int16_t result = 7;
    void open(const std::string& control) {
        rig.feed(kSpec, "a.jvd", {"O2x\r\n"});
        rig.control(control);
        int rc = 0, dl = 0;
        std::string ts;
        rig.jv->JVInit("a/b/c/d");
        rig.jv->JVOpen(kSpec, "00000000000000", 2, rc, dl, ts);
    }
};

TEST_F(Progress, BarFollowsTheStatusAndNeverPassesItsMaximum) {
    open(kSection + "download_count=12\nstatus_step=5\n");
    kv::TEZF2THISWEEKNQUEL w(*rig.jv, count, result, rig.messages);
    w.Form_Load();
    EXPECT_EQ(w.ProgressBar1.Max, 12);
    EXPECT_EQ(w.Timer1.Interval, 10);
    EXPECT_TRUE(w.Timer1.Enabled);
    w.Timer1_Timer();
    EXPECT_EQ(w.Label1, "0 / 12");
    std::vector<long> values;
    while (!w.Closed) {
        w.Timer1_Timer();
        values.push_back(w.ProgressBar1.Value);
    }
    EXPECT_EQ(values, (std::vector<long>{5, 10, 12}));
    EXPECT_EQ(w.Label1, "12 / 12");
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(rig.messages.messages.empty());
}

TEST_F(Progress, StatusPastTheCountClosesToo) {
    open(kSection + "download_count=12\nstatus_step=5\n");
    count = 7;  // the owner's count is below what JV-Link reports
    kv::TEZF2THISWEEKNQUEL w(*rig.jv, count, result, rig.messages);
    w.Form_Load();
    kv::runProgressHeadless(w, 0);
    EXPECT_TRUE(w.Closed);
    EXPECT_EQ(w.ProgressBar1.Value, 7);
    EXPECT_EQ(w.Label1, "10 / 7");
    EXPECT_EQ(result, 0);
}

TEST_F(Progress, FailedDownloadAndCancel) {
    open(kSection + "download_count=12\nstatus_error=-504\nstatus_error_after=2\n");
    {
        kv::TEZF2THISWEEKNQUEL w(*rig.jv, count, result, rig.messages);
        w.Form_Load();
        kv::runProgressHeadless(w, 0);
        EXPECT_EQ(rig.messages.messages, std::vector<std::string>{"ダウンロード失敗。RC=-504"});
        EXPECT_FALSE(w.Timer1.Enabled);
        EXPECT_EQ(result, 7);  // untouched
    }
    {
        kv::TEZF2THISWEEKNQUEL w(*rig.jv, count, result, rig.messages);
        w.Form_Load();
        w.Command1_Click();
        EXPECT_TRUE(w.Closed);
        EXPECT_EQ(result, -1);
        EXPECT_EQ(rig.jv->calls["JVCancel"], 1);
        EXPECT_EQ(w.Command1Caption, "キャンセル");
        EXPECT_EQ(w.Caption, "TEZF2THISWEEKN:ダウンロード 2024.8.12A");
    }
}

// ------------------------------------------------------------ this week's odds

struct WeekOdds : ::testing::Test {
    AppRig rig;
    kv::TEZFOTHISWEEKNQUEL w{rig.messages, *rig.jv, &rig.status};
    std::string o1 = jvO1(kRace, 12, [](int) { return 25L; });
    std::string o2 = jvO2(kRace, 12, [](int a, int b) { return a * 100L + b; });
    std::string o4 = jvO4(kRace, 12, [](int a, int b) { return a * 100L + b; });
    std::string o5 = jvO5(kRace, 12, [](int a, int b, int c) { return a * 10000L + b * 100 + c; });
    std::string o6 = jvO6(kRace, 12, [](int a, int b, int c) { return a * 10000L + b * 100 + c; });
    std::string o3 = "O3" + o2.substr(2);

    void SetUp() override {
        kv::OddsSource = 1;
        rig.feed(kSpec, "a.jvd", {o1, o2, o3, jvRA(kRace).str()});
        rig.feed(kSpec, "b.jvd", {o4, o5, o6, o2});
        w.ProgressModal = [this](kv::TEZF2THISWEEKNQUEL& p) {
            kv::runProgressHeadless(p, 0, kv::feedCancelAfterStatus(rig.jv->emu));
        };
    }
};

TEST_F(WeekOdds, EachButtonKeepsOnlyItsKinds) {
    rig.dir.write("O6THISWEEKN.dat", "earlier trifecta");
    w.Command2_Click();
    EXPECT_EQ(kv::OddsSource, 0);
    EXPECT_TRUE(rig.messages.messages.empty());
    EXPECT_EQ(rig.dir.read("O2THISWEEKN.dat"), o2 + o2);
    EXPECT_EQ(rig.dir.read("O4THISWEEKN.dat"), o4);
    EXPECT_EQ(rig.dir.read("O5THISWEEKN.dat"), o5);
    EXPECT_EQ(rig.dir.read("O6THISWEEKN.dat"), "earlier trifecta");
    EXPECT_EQ(w.Text1, "オッズ取得完了");
    EXPECT_EQ(rig.jv->calls["JVInit"], 1);
    EXPECT_EQ(w.LastDownload, kv::DownloadOutcome::Completed);

    w.Command3_Click();
    EXPECT_EQ(rig.dir.read("O6THISWEEKN.dat"), o6);
    EXPECT_EQ(rig.dir.read("O4THISWEEKN.dat"), o4);
    EXPECT_EQ(w.Text1, "3連単オッズ取得完了");
    EXPECT_EQ(rig.status.of("Text1"), (std::vector<std::string>{"オッズ取得完了", "3連単オッズ取得完了"}));
    // The stored file is lines, each one record without its CR LF when read back.
    EXPECT_EQ(kv::fileSize(rig.dir.file("O6THISWEEKN.dat")), 83285);
    // Each button its own identification (the quinella button's differs from ①'s);
    // both open the odds data with the same arguments.
    EXPECT_EQ(rig.jv->inits, (std::vector<std::string>{kv::kSidOdds, "UNKNOWN"}));
    EXPECT_NE(std::string(kv::kSidOdds), kv::kSidWeek);
    EXPECT_EQ(rig.jv->opens, std::vector<std::string>(2, kOpened));
    EXPECT_EQ(w.FileFailures, 0);
}

TEST_F(WeekOdds, EndsWithoutDataOrOnErrors) {
    struct Case {
        const char* name;
        std::string control;
        bool emptyFeed;
        std::vector<std::string> messages;
    };
    const std::vector<Case> cases = {
        {"no data", "", true, {"該当するデータがありません。"}},
        {"open error", kSection + "open_result=-301\n", false, {"JVOpenエラー。RC=-301"}},
        {"-402 is a read error", kSection + "damaged=b.jvd -402 1\n", false, {"JVReadエラー。 RC=-402"}},
        {"cancelled", kSection + "download_count=2\ncancel_after_status=0\n", false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AppRig local;
        if (!c.emptyFeed) {
            local.feed(kSpec, "a.jvd", {o2});
            local.feed(kSpec, "b.jvd", {o2});
        }
        local.control(c.control);
        local.dir.write("O2THISWEEKN.dat", "earlier");
        kv::TEZFOTHISWEEKNQUEL odds(local.messages, *local.jv);
        kv::JVLinkEmulator& emu = local.jv->emu;
        odds.ProgressModal = [&emu](kv::TEZF2THISWEEKNQUEL& p) {
            kv::runProgressHeadless(p, 0, kv::feedCancelAfterStatus(emu));
        };
        odds.Command2_Click();
        EXPECT_EQ(local.messages.messages, c.messages);
        // Every case leaves the file empty: nothing was read, or the read
        // failed (-402 after the first file) and what it had read is not kept.
        EXPECT_EQ(local.dir.read("O2THISWEEKN.dat"), "");
        EXPECT_TRUE(local.dir.exists("O2THISWEEKN.dat"));
        // An error ends in the failure text; no data and a cancel are no failures.
        const bool error = c.name[0] == 'o' || c.name[0] == '-';
        EXPECT_EQ(odds.Text1, error ? "オッズ取得に失敗しました。" : "オッズ取得完了");
        EXPECT_GE(local.jv->calls["JVClose"], 1);
        if (std::string(c.name) == "cancelled") {
            EXPECT_EQ(odds.OddsDialogResult, -1);
            EXPECT_EQ(odds.OddsDownloadCount, 2);
            EXPECT_EQ(local.jv->calls["JVCancel"], 1);
            EXPECT_EQ(odds.LastDownload, kv::DownloadOutcome::Cancelled);
        }
    }
}

TEST_F(WeekOdds, OddsFilesThatCannotBeWrittenAreCountedAndThePressGoesOn) {
    rig.dir.write("O4THISWEEKN.dat/keep", "x");  // a folder where the exacta file belongs
    w.Command2_Click();
    EXPECT_EQ(rig.dir.read("O2THISWEEKN.dat"), o2 + o2);
    EXPECT_EQ(rig.dir.read("O5THISWEEKN.dat"), o5);
    EXPECT_EQ(w.FileFailures, 1);  // neither put in place nor emptied
    EXPECT_TRUE(rig.dir.exists("O4THISWEEKN.dat/keep"));
    ASSERT_EQ(rig.messages.messages.size(), 1u);
    EXPECT_NE(rig.messages.messages[0].find("1 件あります（最初: O4THISWEEKN.dat）"), std::string::npos)
        << rig.messages.messages[0];
    EXPECT_EQ(w.Text1, "オッズ取得に失敗しました。");
}

// A disk that fills up during the press: every odds file keeps its old
// version whole, no temporary file stays, and the press fails.
TEST_F(WeekOdds, AFullDiskLeavesTheOldFilesWhole) {
    for (const char* f : {"O2THISWEEKN.dat", "O4THISWEEKN.dat", "O5THISWEEKN.dat"})
        rig.dir.write(f, std::string("old ") + f);
    kv::fsys::Faults full;
    full.failWriteAfterBytes = 3000;  // within the second quinella record
    kv::fsys::setFaults(full);
    w.Command2_Click();
    kv::fsys::clearFaults();
    for (const char* f : {"O2THISWEEKN.dat", "O4THISWEEKN.dat", "O5THISWEEKN.dat"})
        EXPECT_EQ(rig.dir.read(f), std::string("old ") + f);
    for (const auto& name : kv::listFiles(rig.dir.path())) EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
    EXPECT_GT(w.FileFailures, 0);
    EXPECT_EQ(w.Text1, "オッズ取得に失敗しました。");
    EXPECT_NE(kv::steps::entryOf(rig.dir.path(), kv::steps::ODDS_FETCH).state, kv::steps::State::Ok);
}

TEST_F(WeekOdds, DamagedFileIsReopenedAndEachRecordStoredOnce) {
    AppRig local;
    local.feed(kSpec, "a.jvd", {o2});
    local.feed(kSpec, "b.jvd", {o4});
    local.control(kSection + "damaged=b.jvd -403 1\n");
    kv::TEZFOTHISWEEKNQUEL odds(local.messages, *local.jv);
    odds.Command2_Click();
    EXPECT_TRUE(local.messages.messages.empty());
    EXPECT_EQ(local.jv->deleted, std::vector<std::string>{"b.jvd"});
    // The reopened read delivers a.jvd again; its record is stored once.
    EXPECT_EQ(local.dir.read("O2THISWEEKN.dat"), o2);
    EXPECT_EQ(local.dir.read("O4THISWEEKN.dat"), o4);

    // A file that stays damaged: three reopens, then the read ends.
    AppRig stuck;
    stuck.feed(kSpec, "a.jvd", {o2});
    stuck.control(kSection + "damaged=a.jvd -403 50\n");
    kv::TEZFOTHISWEEKNQUEL odds2(stuck.messages, *stuck.jv);
    odds2.Command3_Click();
    EXPECT_EQ(stuck.jv->deleted.size(), 3u);
    EXPECT_EQ(stuck.messages.messages, std::vector<std::string>{"JVReadエラー。 RC=-403"});
    EXPECT_EQ(odds2.LastDownload, kv::DownloadOutcome::Failed);
}

// ------------------------------------------------------------ live odds

struct LiveOdds : ::testing::Test {
    AppRig rig;
    int yields = 0;
    kv::TEZP2RIALTIME w{rig.messages, [this] { ++yields; }, *rig.jv, &rig.status};
    std::vector<std::string> ids;

    void races(int n) {
        std::string all;
        ids.clear();
        for (int r = 1; r <= n; ++r) {
            ids.push_back(jvRaceId(2026, 1200 + (r - 1) / 12 + 1, 5, 5, 1, (r - 1) % 12 + 1));
            all += jvRA(ids.back()).str();
        }
        rig.dir.write("RATHISWEEKNNEW.dat", all);
    }
};

TEST_F(LiveOdds, TakesTheNewest97RacesNewestFirst) {
    for (int n : {72, 200}) {
        SCOPED_TRACE(n);
        rig.jv->rtKeys.clear();
        races(n);
        w.Command1_Click();
        const std::size_t expect = n < 97 ? n : 97;
        ASSERT_EQ(rig.jv->rtKeys.size(), expect);
        EXPECT_EQ(rig.jv->rtKeys.front(), ids[n - 1]);
        EXPECT_EQ(rig.jv->rtKeys.back(), ids[n - expect]);  // 72 -> record 1, 200 -> record 104
    }
    EXPECT_EQ(w.RacesFetched, 97);
}

TEST_F(LiveOdds, KeepsTheFourKindsOfTheFirstSixReads) {
    races(3);
    const std::string o1 = jvO1(ids[2], 8, [](int) { return 25L; });
    const std::string o2 = jvO2(ids[2], 8, [](int, int) { return 35L; });
    const std::string o4 = jvO4(ids[2], 8, [](int, int) { return 45L; });
    const std::string o5 = jvO5(ids[2], 8, [](int, int, int) { return 55L; });
    const std::string o6 = jvO6(ids[2], 8, [](int, int, int) { return 65L; });
    const std::string o3 = "O3" + o2.substr(2);
    rig.feed(kv::feed::LIVE_ODDS, ids[2] + ".jvd", {o1, o2, o3, o4, o5, o6});  // newest race: all six reads used
    std::vector<std::string> sixWins;  // six win odds records, then one the seventh read never reaches
    for (long k = 0; k < 6; ++k) sixWins.push_back(jvO1(ids[1], 8, [k](int) { return 25L + k; }));
    sixWins.push_back(o2);
    rig.feed(kv::feed::LIVE_ODDS, ids[1] + ".jvd", sixWins);
    rig.feed(kv::feed::LIVE_ODDS, ids[0] + ".jvd", {o2});                     // -1 ends this race early
    rig.dir.write("O2RIALTIME.dat", "previous press");
    kv::OddsSource = 0;

    w.Command1_Click();
    EXPECT_EQ(kv::OddsSource, 1);
    EXPECT_TRUE(rig.messages.messages.empty());
    EXPECT_EQ(rig.dir.read("O2RIALTIME.dat"), o2 + o2);
    EXPECT_EQ(rig.dir.read("O4RIALTIME.dat"), o4);
    EXPECT_EQ(rig.dir.read("O5RIALTIME.dat"), o5);
    EXPECT_EQ(rig.dir.read("O6RIALTIME.dat"), o6);
    EXPECT_FALSE(rig.dir.exists("O1RIALTIME.dat"));
    EXPECT_EQ(rig.jv->calls["JVRead"], 6 + 6 + 2);
    EXPECT_EQ(rig.jv->inits, std::vector<std::string>(3, kv::kSidLiveOdds));
    EXPECT_EQ(w.FileFailures, 0);
    EXPECT_EQ(rig.jv->calls["JVClose"], 3);
    EXPECT_EQ(rig.status.of("Text1"),
              (std::vector<std::string>{"速報オッズ取得を開始します。。。。。。", "速報オッズ取得完了"}));
    EXPECT_EQ(yields, 1);
}

TEST_F(LiveOdds, DamagedRecordsAreNamedAndTheGoodOnesKept) {
    races(3);
    const std::string o1 = jvO1(ids[2], 8, [](int) { return 25L; });
    const std::string o2 = jvO2(ids[2], 8, [](int, int) { return 35L; });
    const std::string o6 = jvO6(ids[2], 8, [](int, int, int) { return 65L; });
    rig.feed(kv::feed::LIVE_ODDS, ids[2] + ".jvd", {o1, o2, o6.substr(0, 1000)});  // cut inside its last record
    rig.feed(kv::feed::LIVE_ODDS, ids[1] + ".jvd", {o1, o2, o1, o2, o1, o2});  // repeated from the third read on
    rig.feed(kv::feed::LIVE_ODDS, ids[0] + ".jvd", {});  // empty
    w.Command1_Click();

    const std::string redo = "「Ⅱ　速報オッズ情報」をやり直して下さい。";
    const std::string live = kv::joinPath(kv::dirs::JVFEED, kv::feed::LIVE_ODDS) + "/";
    const std::string said =
        live + ids[2] + ".jvd に壊れたレコードが 1 件あります（最初: 3 件目、O6 レコード、" +
        "長さが 83285 バイトでなく 1002 バイトです）。" + redo + live + ids[1] +
        ".jvd に壊れたレコードが 4 件あります（最初: 3 件目、ファイルの最初のレコードから繰り返されています）。" +
        redo + live + ids[0] + ".jvd は壊れています（ファイルが空です）。" + redo;
    EXPECT_EQ(rig.messages.messages, std::vector<std::string>{said});
    // Stored as they read; the step went on to its end.
    EXPECT_EQ(rig.dir.read("O2RIALTIME.dat"), o2 + o2 + o2 + o2);
    EXPECT_EQ(rig.dir.read("O6RIALTIME.dat"), o6.substr(0, 1000) + "\r\n");
    EXPECT_EQ(w.Text1, "速報オッズ取得完了");
}

TEST_F(LiveOdds, LiveFilesThatCannotBeWrittenAreCounted) {
    races(1);
    rig.feed(kv::feed::LIVE_ODDS, ids[0] + ".jvd", {jvO2(ids[0], 8, [](int, int) { return 35L; }), jvO6(ids[0], 8, [](int, int, int) { return 65L; })});
    rig.dir.write("O6RIALTIME.dat/keep", "x");
    w.Command1_Click();
    EXPECT_EQ(w.FileFailures, 1);  // not put in place, the folder left as it is
    EXPECT_TRUE(rig.dir.exists("O6RIALTIME.dat/keep"));
    EXPECT_EQ(kv::fileSize(rig.dir.file("O2RIALTIME.dat")), 2042);
    EXPECT_EQ(w.Text1, "速報オッズ取得に失敗しました。");
}

TEST_F(LiveOdds, InitErrorIsShownPerRaceAndTheDownloadGoesOn) {
    races(3);
    rig.control("init_result=-211\n");
    w.Command1_Click();
    EXPECT_EQ(rig.messages.messages, std::vector<std::string>(3, "JVInitエラー。RC=-211"));
    EXPECT_EQ(rig.jv->calls["JVRTOpen"], 3);
    EXPECT_EQ(w.Text1, "速報オッズ取得に失敗しました。");
    EXPECT_EQ(rig.dir.read("O2RIALTIME.dat"), "");
}

TEST_F(LiveOdds, NoRaceFileGivesEmptyFilesAndTheLiveResultsButton) {
    w.Command1_Click();
    EXPECT_TRUE(rig.dir.exists("O6RIALTIME.dat"));
    EXPECT_EQ(rig.jv->calls["JVInit"], 0);
    EXPECT_EQ(w.Text1, "速報オッズ取得完了");

    int shown = 0;
    w.ShowLiveResults = [&] {
        ++shown;
        EXPECT_EQ(w.Text1, "速報払戻等取得を開始します。。。。。");
        return true;
    };
    kv::OddsSource = 0;
    w.Command2_Click();
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(kv::OddsSource, 1);
    EXPECT_EQ(w.Text1, "速報払戻等取得及び処理完了");

    rig.control("setui_result=-1\n");
    rig.jv->JVInit("a/b/c/d");
    w.Command3_Click();
    // The missing race file was named once, with the step that makes it.
    EXPECT_EQ(rig.messages.messages,
              (std::vector<std::string>{"RATHISWEEKNNEW.dat が有りません。先に②構造・中止処理を行って下さい。",
                                        "エラーのためJV-Linkの設定に失敗しました。"}));
}

}  // namespace
