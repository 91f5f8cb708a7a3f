#include <gtest/gtest.h>

#include "acquisition/cancel.h"
#include "common/appfolder.h"
#include "common/recordfile.h"
#include "helpers.h"

using namespace st;

namespace {

struct Env {
    kvtest::TempDir dir;
    kv::RecordingMessageSink messages;
    ScriptedJV jv;
    int yields = 0;
    Env() {
        kv::SetAppPath(dir.path());
        kv::makeDirs(dir.file("UMAGOTOTHISWEEKN"));
    }
    kv::CHUSIRIALTIME window() {
        return kv::CHUSIRIALTIME(jv, messages, [this] { ++yields; });
    }
};

const std::string H1 = "2020100001", H2 = "2020100002", H3 = "2020100003";

}  // namespace

TEST(Cancel, ACancelledRaceLeavesNoRecordOfAnyDataKind) {
    Env env;
    // Race 06-11 under data kinds 1, 2 and 7; race 06-12 under kinds 1 and 2.
    const std::string a1 = ra("20240106", "1", "06", "11", "a1"), a2 = ra("20240106", "2", "06", "11", "a2"),
                      a7 = ra("20240106", "7", "06", "11", "a7"), b1 = ra("20240106", "1", "06", "12", "b1"),
                      b2 = ra("20240106", "2", "06", "12", "b2");
    env.dir.write("RATHISWEEKNNEWd.dat", cat({a1, a2, a7, b1, b2}));
    env.dir.write("RATHISWEEKNNEW.dat", cat({a1, a2, a7, b1, b2}));
    // The live cancellation came with an earlier live download (still in the live file).
    const std::string cancelled = ra("20240106", "9", "06", "11", "cancelled", "20240106");
    env.dir.write("RARIALTIME.dat", cat({ra("20240106", "2", "06", "12", "live"), cancelled}));
    // This download adds a kind "9" race that the copy does not hold: it changes nothing.
    const std::string other = ra("20240106", "9", "05", "01", "other");
    env.jv.streams["20240106"] = {{(int)other.size(), other}, {0, ""}};

    auto w = env.window();
    w.Form_Load();

    EXPECT_EQ(env.dir.read("RATHISWEEKNNEWd.dat"), cat({cancelled, cancelled, cancelled, b1, b2}));
    EXPECT_EQ(env.dir.read("RATHISWEEKNNEW.dat"), b2);
    EXPECT_EQ(env.dir.read("RARIALTIME.dat"), cat({ra("20240106", "2", "06", "12", "live"), cancelled, other}));
    EXPECT_EQ(w.Text1, "中止処理終了コマンドボタンはソフトを完全に終了する時まではクリックしないで下さい。");
    EXPECT_TRUE(w.Visible);
    w.Command1_Click();
    EXPECT_FALSE(w.Visible);
}

TEST(Cancel, ACancelledRunnerIsRemovedFromTheRunnerFileAndTheRunFiles) {
    Env env;
    env.dir.write("KETTONUMTHISWEEKN.dat", "\"" + H1 + "\"\r\n\"" + H2 + "\"\r\n\"" + H3 + "\"\r\n");
    // Horse number 05 of race 06-11 (kinds 2 and 7, H1), horse 06 (H2); H1 also ran in race 06-01.
    const std::string p = se("20240105", "2", "06", "01", "03", H1, "20240103", "p"),
                      x2 = se("20240106", "2", "06", "11", "05", H1, "20240104", "x2"),
                      y2 = se("20240106", "2", "06", "11", "06", H2, "20240104", "y2"),
                      x7 = se("20240106", "7", "06", "11", "05", H1, "20240106", "x7"),
                      z9 = se("20240106", "9", "06", "12", "01", H3, "20240106", "z9");
    env.dir.write("SETHISWEEKNNEWd.dat", cat({p, x2, y2, x7, z9}));
    // The live record names another horse: the horse number decides.
    const std::string cancel = se("20240106", "9", "06", "11", "05", "2099999999", "20240106", "cancel");
    env.dir.write("SERIALTIME.dat", cancel);

    auto w = env.window();
    w.Form_Load();

    EXPECT_EQ(env.dir.read("SETHISWEEKNNEWd.dat"), cat({p, cancel, y2, cancel, z9}));
    EXPECT_EQ(env.dir.read("SETHISWEEKNNEW.dat"), cat({p, y2}));
    EXPECT_EQ(env.dir.read("UMAGOTOTHISWEEKN/" + H1 + ".dat"), p);
    EXPECT_EQ(env.dir.read("UMAGOTOTHISWEEKN/" + H2 + ".dat"), y2);
    EXPECT_EQ(env.dir.read("UMAGOTOTHISWEEKN/" + H3 + ".dat"), "");
    EXPECT_EQ(env.yields, 2);  // one per record of the rebuilt runner file
}

TEST(Cancel, WithoutCancellationsTheFilesLoseOnlyKinds1And9) {
    Env env;
    const std::string a1 = ra("20240106", "1", "06", "11"), a2 = ra("20240106", "2", "06", "11"),
                      c9 = ra("20240106", "9", "06", "12");
    env.dir.write("RATHISWEEKNNEWd.dat", cat({a1, a2, c9}));
    const std::string s2 = se("20240106", "2", "06", "11", "01", H1), s9 = se("20240106", "9", "06", "11", "02", H2);
    env.dir.write("SETHISWEEKNNEWd.dat", cat({s2, s9}));
    auto w = env.window();
    w.Form_Load();
    EXPECT_EQ(env.dir.read("RATHISWEEKNNEWd.dat"), cat({a1, a2, c9}));
    EXPECT_EQ(env.dir.read("RATHISWEEKNNEW.dat"), a2);
    EXPECT_EQ(env.dir.read("SETHISWEEKNNEW.dat"), s2);
    // The dates come from "RATHISWEEKNNEW.dat", missing here: nothing is fetched.
    EXPECT_TRUE(env.jv.calls.empty());
    EXPECT_TRUE(env.messages.messages.empty());
}

TEST(Cancel, MissingCopiesLeaveEmptyRebuiltFiles) {
    Env env;
    env.dir.write("RATHISWEEKNNEW.dat", ra("20240106", "2", "06", "11"));
    env.dir.write("SETHISWEEKNNEW.dat", se("20240106", "2", "06", "11", "01", H1));
    env.dir.write("RARIALTIME.dat", ra("20240106", "9", "06", "11"));
    env.jv.initResult = -211;
    auto w = env.window();
    w.Form_Load();
    std::vector<std::string> expected(5, "JVInitエラー。RC=-211");
    expected.push_back("RATHISWEEKNNEWd.dat、SETHISWEEKNNEWd.dat が有りません。先に②構造・中止処理の構造体処理を行って下さい。");
    EXPECT_EQ(env.messages.messages, expected);
    EXPECT_TRUE(env.dir.exists("RATHISWEEKNNEW.dat"));
    EXPECT_EQ(env.dir.read("RATHISWEEKNNEW.dat"), "");
    EXPECT_EQ(env.dir.read("SETHISWEEKNNEW.dat"), "");
    EXPECT_FALSE(env.dir.exists("RATHISWEEKNNEWd.dat"));
    EXPECT_FALSE(env.dir.exists("SETHISWEEKNNEWd.dat"));
    EXPECT_TRUE(w.FailedFiles().empty());
}
