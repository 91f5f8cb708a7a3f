// The history windows' failures and notes: a day file that cannot be read, a
// file that cannot be written (full disk, read-only folder) fail the load with a
// message naming the file; a prediction run that was interrupted or failed is
// noted, and the load goes on.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "common/fsys.h"
#include "common/recordfile.h"
#include "common/stepstate.h"
#include "history/hit_list_window.h"
#include "history/past_performance_window.h"
#include "history_fixture.h"

using namespace histtest;

namespace {

constexpr const char* kDay = "20250405060102";

struct HistoryFailureTest : HistoryTest, ::testing::Test {
    HistoryFailureTest() {
        day(kDay, "tekichu.txt", line({"2025年", "04月", "05日", "1回", "阪神", "2日目"}));
        day(kDay, "lupRCM.txt",
            rcLine("01", "r", "1600") + rrLine() + hsLine("1", "1", " 1", " 1", " 1", " 1", "1.34.20") +
                atLine("1", "1", "d", " 1- 2", "12000"));
        day(kDay, "kaiteki.txt", line({"2025年", "04月", "05日", "1回", "阪神", "2日目"}));
    }
    ~HistoryFailureTest() override { kv::fsys::clearFaults(); }

    struct Outcome {
        bool failed = false;
        std::vector<std::string> messages;
    };
    Outcome search() {
        kv::RecordingMessageSink sink;
        kv::history::KakoSeisekiQUEL w(menu, &sink);
        w.Form_Load();
        return {w.Failed, sink.messages};
    }
    Outcome hitList() {
        kv::RecordingMessageSink sink;
        kv::history::TekichuListQUEL w(menu, {}, &sink);
        w.Form_Load();
        return {w.Failed, sink.messages};
    }
};

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST_F(HistoryFailureTest, UnreadableOrUnwritableFilesFailTheLoadAndAreNamed) {
    struct Case {
        const char* what;
        kv::fsys::Faults faults;
        bool searchFails, hitListFails;
        const char* searchNames;  // the file the search's message names first
        bool diskAction;          // the message says to check the disk
    };
    kv::fsys::Faults none, tekichu, lup, full, readOnly;
    tekichu.denyReadContaining = "tekichu.txt";
    lup.denyReadContaining = "lupRCM.txt";
    full.failWriteAfterBytes = 0;
    readOnly.failRename = true;
    const Case cases[] = {
        {"clean", none, false, false, "", false},
        {"hit summary unreadable", tekichu, true, false, "tekichu.txt", false},
        {"race list unreadable", lup, true, true, "lupRCM.txt", false},
        {"disk full", full, true, true, "RACEID", true},
        {"folder read-only", readOnly, true, true, "RACEID", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        kv::fsys::setFaults(c.faults);
        const Outcome s = search(), h = hitList();
        kv::fsys::clearFaults();
        EXPECT_EQ(s.failed, c.searchFails);
        EXPECT_EQ(h.failed, c.hitListFails);
        ASSERT_EQ(s.messages.size(), c.searchFails ? 1u : 0u);
        ASSERT_EQ(h.messages.size(), c.hitListFails ? 1u : 0u);
        if (c.searchFails) {
            EXPECT_TRUE(has(s.messages[0], c.searchNames)) << s.messages[0];
            EXPECT_EQ(has(s.messages[0], "ディスクの空き容量"), c.diskAction) << s.messages[0];
            EXPECT_TRUE(has(s.messages[0], "過去予想成績をやり直して")) << s.messages[0];
        }
        if (c.hitListFails) EXPECT_TRUE(has(h.messages[0], "万馬券リストをやり直して")) << h.messages[0];
    }
}

// The load runs as the user nobody, whom permissions bind (the tests run as
// the superuser in CI), and tells its outcome by its exit code.
TEST_F(HistoryFailureTest, ARealReadOnlyFolderFailsTheLoad) {
    ASSERT_EQ(::chmod(dir.file("SOKUDO").c_str(), 0555), 0);
    enum Exit { kFailedAndNamed = 0, kLoadedWell = 1, kNotNamed = 2 };
    const kvtest::ChildEnd end = kvtest::runAsNobody(dir.path(), [&] {
        const Outcome s = search();
        if (!s.failed) return kLoadedWell;
        return s.messages.size() == 1 && has(s.messages[0], "SOKUDO") ? kFailedAndNamed : kNotNamed;
    });
    ::chmod(dir.file("SOKUDO").c_str(), 0755);
    ASSERT_TRUE(end.fault.empty()) << end.fault;
    switch (end.code) {
    case kFailedAndNamed: break;
    case kLoadedWell: ADD_FAILURE() << "the load ended well in a read-only folder"; break;
    case kNotNamed: ADD_FAILURE() << "the load failed without one message naming SOKUDO"; break;
    default: ADD_FAILURE() << "exit " << end.code;
    }
}

TEST_F(HistoryFailureTest, ADayFileUnreadableOnAClickFailsTheClick) {
    kv::RecordingMessageSink sink;
    kv::history::KakoSeisekiQUEL w(menu, &sink);
    w.Form_Load();
    ASSERT_FALSE(w.Failed);
    ASSERT_EQ(w.List1.size(), 1u);
    kv::fsys::Faults f;
    f.denyReadContaining = "kaiteki.txt";
    kv::fsys::setFaults(f);
    w.List1_Click(0);
    kv::fsys::clearFaults();
    EXPECT_TRUE(w.Failed);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_TRUE(has(sink.messages[0], std::string(kDay) + "kaiteki.txt")) << sink.messages[0];
    w.List1_Click(0);  // readable again: the click ends well
    EXPECT_FALSE(w.Failed);
    EXPECT_EQ(sink.messages.size(), 1u);
}

// The command-line step of a click on a day: a day file it cannot read fails
// the step, and the menu says so instead of its completion text.
TEST_F(HistoryFailureTest, TheDayStepWithAnUnreadableDayFileFailsAndSaysSo) {
    ::unlink(dir.file(std::string("TEKICHU/") + kDay + "kaiteki.txt").c_str());
    ASSERT_EQ(::mkdir(dir.file(std::string("TEKICHU/") + kDay + "kaiteki.txt").c_str(), 0755), 0);
    const std::string out = dir.file("cli-out.txt"), err = dir.file("cli-err.txt");
    const std::string cmd = std::string("'") + KV_CLI_PATH + "' --app-dir '" + dir.path() +
                            "' history-day --day=" + kDay + " >'" + out + "' 2>'" + err + "'";
    const int st = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(st));
    EXPECT_EQ(WEXITSTATUS(st), 1);
    const std::string said = kv::readFileBytes(out).value_or(""), told = kv::readFileBytes(err).value_or("");
    EXPECT_FALSE(has(said, "過去の予想成績終了")) << said;
    EXPECT_TRUE(has(said, "Text6: 過去の予想成績に失敗しました。")) << said;
    EXPECT_TRUE(has(said, std::string("=== click ") + kDay)) << said;  // the controls after the click are shown
    EXPECT_TRUE(has(told, std::string(kDay) + "kaiteki.txt")) << told;
}

TEST_F(HistoryFailureTest, APredictionRunInterruptedOrFailedIsNotedAndTheLoadGoesOn) {
    using kv::steps::StepRun;
    struct Case {
        const char* what;
        int predictEnd;  // -1: never ran, 0: interrupted, 1: ended well, 2: failed
        const char* note;
    };
    const Case cases[] = {
        {"never ran (only calculate did)", -1, nullptr},
        {"interrupted", 0, "中断"},
        {"ended well", 1, nullptr},
        {"failed", 2, "失敗"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        kv::removeFile(dir.file("STEPSTATE.txt"));
        StepRun(dir.path(), kv::steps::CALCULATE).finish(true);
        if (c.predictEnd >= 0) {
            StepRun predict(dir.path(), kv::steps::PREDICT);
            if (c.predictEnd > 0) predict.finish(c.predictEnd == 1);
        }
        const Outcome s = search(), h = hitList();
        for (const Outcome& o : {s, h}) {
            EXPECT_FALSE(o.failed);
            if (!c.note) {
                EXPECT_TRUE(o.messages.empty());
                continue;
            }
            ASSERT_EQ(o.messages.size(), 1u);
            EXPECT_TRUE(has(o.messages[0], "⑥予想・結果")) << o.messages[0];
            EXPECT_TRUE(has(o.messages[0], c.note)) << o.messages[0];
        }
    }
    // The road's steps keep their own warnings: predict still asks for calculate.
    kv::removeFile(dir.file("STEPSTATE.txt"));
    StepRun(dir.path(), kv::steps::FETCH).finish(true);
    EXPECT_EQ(kv::steps::warningsFor(dir.path(), kv::steps::PREDICT).size(), 1u);
    EXPECT_TRUE(kv::steps::warningsFor(dir.path(), kv::steps::HISTORY_SEARCH).empty());
}

}  // namespace
