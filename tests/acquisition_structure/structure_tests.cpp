#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "acquisition/structure.h"
#include "acquisition/structure_layout.h"
#include "common/fields.h"
#include "common/appfolder.h"
#include "common/recordfile.h"
#include "helpers.h"

using namespace st;
using kvtest::sj;

namespace {

struct ColourStatus : kv::RecordingStatusSink {
    std::vector<std::pair<std::string, unsigned>> backs;
    void setBackColor(const std::string& c, unsigned rgb) override { backs.emplace_back(c, rgb); }
};

struct Env {
    kvtest::TempDir dir;
    ColourStatus status;
    kv::RecordingMessageSink messages;
    RecordingShell shell;
    int yields = 0;
    Env() {
        kv::SetAppPath(dir.path());
        kv::makeDirs(dir.file("UMAGOTOTHISWEEKN"));
    }
    kv::KOUZOUTAIQUEL window() {
        return kv::KOUZOUTAIQUEL(status, messages, shell, [this] { ++yields; });
    }
};

const std::string H1 = "2020100001", H2 = "2020100002", H3 = "2020100003", H4 = "2020100004",
                  H9 = "2020100009";

}  // namespace

TEST(SortDistinct, KeepsTheRecordTheQuicksortLeavesLast) {
    struct Case {
        std::vector<std::string> keys;
        std::vector<std::size_t> kept;
    };
    const Case cases[] = {
        {{}, {}},
        {{"A"}, {0}},
        {{"A", "A"}, {0}},                 // the sort exchanges them: the first record remains
        {{"A", "A", "A", "A"}, {1}},       // ends c, d, a, b
        {{"A", "A", "A", "A", "A"}, {1}},  // ends d, e, c, a, b
        {{"3", "1", "2"}, {1, 2, 0}},
        {{"B", "A", "B", "A"}, {1, 2}},    // ends A(4) A(2) B(1) B(3)
    };
    for (const auto& c : cases) {
        std::vector<std::string> distinct;
        EXPECT_EQ(kv::SortDistinct(c.keys, &distinct), c.kept) << ::testing::PrintToString(c.keys);
        EXPECT_EQ(distinct.size(), c.kept.size());
    }
}

// A runner record takes the place of the first stored run of the same run
// (race date, race number, horse number, horse) that was not made later;
// otherwise it is added to the horse's run file.
TEST(RunFiles, ARecordReplacesTheFirstSameRunNotNewerElseIsAdded) {
    Env env;
    auto run = [](std::string make, std::string race, std::string kubun) {
        return se("20240106", kubun, "06", race, "01", H1, make);
    };
    env.dir.write("KETTONUMTHISWEEKN.dat", "\"" + H1 + "\"\r\n");
    env.dir.write("SETHISWEEKNNEW.dat", cat({run("20240104", "01", "2"),
                                             run("20240104", "02", "2"),    // another race: added
                                             run("20240107", "01", "7"),    // same run, newer: in place
                                             run("20240105", "01", "5"),    // older than what is stored: added
                                             run("20240105", "01", "6")}));  // equal date: the first match not newer
    EXPECT_EQ(kv::BuildUmagotoFiles({}), 1u);
    EXPECT_EQ(env.dir.read("UMAGOTOTHISWEEKN/" + H1 + ".dat"),
              cat({run("20240107", "01", "7"), run("20240104", "02", "2"), run("20240105", "01", "6")}));
}

TEST(Structure, WholeWeekIsSortedDeduplicatedListedAndSplitPerHorse) {
    Env env;
    const std::string r1 = ra("20240106", "2", "06", "01", "r1"), r2 = ra("20240106", "7", "06", "01", "r2"),
                      r3 = ra("20240106", "2", "06", "01", "r3"), r4 = ra("20240105", "1", "06", "11", "r4"),
                      r5 = ra("20240107", "9", "05", "02", "r5");
    env.dir.write("RATHISWEEKN.dat", cat({r1, r2, r3, r4, r5}));
    const std::string s1 = se("20240106", "2", "06", "01", "01", H1, "20240104", "s1"),
                      s2 = se("20240106", "1", "06", "01", "01", H1, "20240101", "s2"),
                      s3 = se("20240106", "7", "06", "01", "01", H1, "20240107", "s3"),
                      s4 = se("20240105", "2", "06", "11", "03", H2, "20240103", "s4"),
                      s5 = se("20240107", "9", "05", "02", "02", H3, "20240105", "s5"),
                      s6 = se("20240106", "2", "06", "01", "02", H9, "20240104", "s6"),
                      s7 = se("20240107", "2", "05", "02", "04", H2, "20240105", "s7");
    env.dir.write("SETHISWEEKN.dat", cat({s1, s2, s3, s4, s5, s6, s7}));
    const std::string u1 = um(H2, "1990000002", "u1"), u2 = um(H1, "1990000001", "u2"),
                      u3 = um(H2, "1990000002", "u3"), u4 = um(H3, "", "u4"), u5 = um(H4, "1990000001", "u5");
    env.dir.write("UMTHISWEEKN.dat", cat({u1, u2, u3, u4, u5}));
    env.dir.write("TEMPORARY", "left over");
    env.dir.write("UMAGOTOTHISWEEKN/" + H1 + ".dat", "stale");
    env.dir.write("UMAGOTOTHISWEEKN/1999999999.dat", "another week's horse");

    auto w = env.window();
    w.Form_Load();

    // Races: one per key, every data kind; of r1/r3 the sort leaves r1 last.
    EXPECT_EQ(env.dir.read("RATHISWEEKNNEW.dat"), cat({r4, r1, r2, r5}));
    EXPECT_EQ(env.dir.read("RATHISWEEKNNEWd.dat"), cat({r4, r1, r2, r5}));
    // Runners: kind "1" gone from the raw file and both copies; kind "9" kept.
    EXPECT_EQ(env.dir.read("SETHISWEEKN.dat"), cat({s1, s3, s4, s5, s6, s7}));
    EXPECT_EQ(env.dir.read("SETHISWEEKNNEW.dat"), cat({s4, s1, s6, s3, s7, s5}));
    EXPECT_EQ(env.dir.read("SETHISWEEKNNEWd.dat"), cat({s4, s1, s6, s3, s7, s5}));
    EXPECT_FALSE(env.dir.exists("TEMPORARY"));
    // Horses and lists.
    EXPECT_EQ(env.dir.read("UMTHISWEEKNNEW.dat"), cat({u2, u1, u4, u5}));
    EXPECT_EQ(env.dir.read("KETTONUMTHISWEEKN.dat"),
              "\"" + H1 + "\"\r\n\"" + H2 + "\"\r\n\"" + H3 + "\"\r\n\"" + H4 + "\"\r\n");
    EXPECT_EQ(env.dir.read("HAHAHANNUMTHISWEEKN.dat"),
              "\"          \"\r\n\"1990000001\"\r\n\"1990000002\"\r\n");
    // Per-horse run files: the kind "7" record took the kind "2" record's place.
    EXPECT_EQ(env.dir.read("UMAGOTOTHISWEEKN/" + H1 + ".dat"), s3);
    EXPECT_EQ(env.dir.read("UMAGOTOTHISWEEKN/" + H2 + ".dat"), s4 + s7);  // runs oldest first
    EXPECT_EQ(env.dir.read("UMAGOTOTHISWEEKN/" + H3 + ".dat"), s5);
    EXPECT_TRUE(env.dir.exists("UMAGOTOTHISWEEKN/" + H4 + ".dat"));
    EXPECT_EQ(env.dir.read("UMAGOTOTHISWEEKN/" + H4 + ".dat"), "");
    EXPECT_FALSE(env.dir.exists("UMAGOTOTHISWEEKN/" + H9 + ".dat"));
    EXPECT_EQ(env.dir.read("UMAGOTOTHISWEEKN/1999999999.dat"), "another week's horse");

    // Status texts, the weights message and the extractor, yields.
    ASSERT_EQ(env.status.texts.size(), 2u);
    EXPECT_EQ(env.status.texts[0].first, "Text4");
    EXPECT_EQ(env.status.texts[0].second, "構造体処理を開始しました。しばらくお待ちください。。。。。。。");
    EXPECT_EQ(env.status.last("Text4"), "構造体処理終了  5");
    ASSERT_EQ(env.messages.messages.size(), 1u);
    EXPECT_EQ(env.messages.messages[0],
              env.dir.path() + "に参照場所(展開フォルダ）に合わせてOKをクリックして初回予想因子パラメータをセットして下さい。");
    ASSERT_EQ(env.shell.started.size(), 1u);
    EXPECT_EQ(env.shell.started[0], env.dir.path() + "NEWSFX.EXE");
    EXPECT_EQ(env.yields, 1 + 6);
    EXPECT_EQ(w.Text1, "中止処理を選択した場合、中止処理終了が出ますので暫くお待ち下さい。");
    EXPECT_TRUE(w.Visible);
    w.Command1_Click();
    EXPECT_FALSE(w.Visible);
}

// Many equal keys, and key bytes above 0x7F: the written files keep exactly the
// records the quicksort over the key texts keeps, in its order.
TEST(Structure, ManyTiesSortAsTheKeyTextsDo) {
    Env env;
    std::mt19937 rnd(7);
    auto pick = [&](std::initializer_list<const char*> from) {
        return std::string(*(from.begin() + rnd() % from.size()));
    };
    std::vector<std::string> ras, ses, ums;
    for (int i = 0; i < 300; ++i) {
        const std::string tag = std::to_string(i);
        ras.push_back(ra(pick({"20240106", "20240105"}), pick({"2", "7", "\xff"}), pick({"06", "0\x82"}),
                         pick({"01", "02", "11"}), tag));
        ses.push_back(se(pick({"20240106", "20240105"}), pick({"2", "7"}), "06", pick({"01", "02"}),
                         pick({"01", "03"}), pick({H1.c_str(), H2.c_str(), "202010000\x90"}), "20240101", tag));
        ums.push_back(um(pick({H1.c_str(), H2.c_str(), H3.c_str(), "\x81\x40" "20100004"}),
                         pick({"1990000001", "1990000002"}), tag));
    }
    env.dir.write("RATHISWEEKN.dat", cat(ras));
    env.dir.write("SETHISWEEKN.dat", cat(ses));
    env.dir.write("UMTHISWEEKN.dat", cat(ums));
    env.window().Form_Load();

    // The sort keys as texts: the fields joined.
    auto expected = [](const std::vector<std::string>& recs, std::initializer_list<kv::Field> fields) {
        std::vector<std::string> keys;
        for (const auto& r : recs) {
            std::string k;
            for (kv::Field f : fields) k += kv::getField(r, f);
            keys.push_back(k);
        }
        std::string out;
        for (std::size_t i : kv::SortDistinct(keys)) out += recs[i];
        return out;
    };
    namespace L = kv::structlayout;
    EXPECT_EQ(env.dir.read("RATHISWEEKNNEW.dat"),
              expected(ras, {L::Year, L::MonthDay, L::DataKubun, L::JyoCD, L::RaceNum}));
    EXPECT_EQ(env.dir.read("SETHISWEEKNNEW.dat"),
              expected(ses, {L::Year, L::MonthDay, L::DataKubun, L::JyoCD, L::RaceNum, L::SeUmaban, L::SeKettoNum}));
    EXPECT_EQ(env.dir.read("UMTHISWEEKNNEW.dat"), expected(ums, {L::UmKettoNum}));
}

TEST(Structure, InstalledWeightsTurnTheLabelGreen) {
    Env env;
    env.dir.write("OPTION1N/KYOSOBA.dat", "x");
    auto w = env.window();
    w.Form_Load();
    // No weight message; the week's files that ① makes are named once.
    EXPECT_EQ(env.messages.messages,
              std::vector<std::string>{
                  "RATHISWEEKN.dat、SETHISWEEKN.dat、UMTHISWEEKN.dat が有りません。先に①今週開催取得を行って下さい。"});
    EXPECT_TRUE(env.shell.started.empty());
    ASSERT_EQ(env.status.backs.size(), 1u);
    EXPECT_EQ(env.status.backs[0], (std::pair<std::string, unsigned>{"Label1", 0x80FF80}));
    const std::string label = env.status.last("Label1");
    EXPECT_EQ(label.rfind("予想因子ウエイトは展開されています。作成日は 20", 0), 0u) << label;
    const std::string tail = " です。これより新しい日付の予想因子ウエイトがあれば展開して上書きして下さい。無ければそのまま続行して下さい。";
    ASSERT_GT(label.size(), tail.size());
    EXPECT_EQ(label.substr(label.size() - tail.size()), tail);
}

TEST(Structure, MissingAndShortInputsGiveEmptyOrTruncatedOutputs) {
    {
        Env env;
        auto w = env.window();
        w.Form_Load();
        for (const char* f : {"RATHISWEEKNNEW.dat", "RATHISWEEKNNEWd.dat", "SETHISWEEKNNEW.dat", "SETHISWEEKNNEWd.dat",
                              "UMTHISWEEKNNEW.dat", "KETTONUMTHISWEEKN.dat", "HAHAHANNUMTHISWEEKN.dat"}) {
            EXPECT_TRUE(env.dir.exists(f)) << f;
            EXPECT_EQ(env.dir.read(f), "") << f;
        }
        EXPECT_FALSE(env.dir.exists("SETHISWEEKN.dat"));  // reading never creates an input
        EXPECT_EQ(env.status.last("Text4"), "構造体処理終了  0");
    }
    {
        Env env;
        const std::string r = ra("20240106", "2", "06", "01", "only");
        const std::string s = se("20240106", "2", "06", "01", "01", H1);
        env.dir.write("RATHISWEEKN.dat", r + std::string(100, 'x'));
        env.dir.write("SETHISWEEKN.dat", s + std::string(554, 'y'));
        env.dir.write("UMTHISWEEKN.dat", um(H1, "1990000001") + std::string(10, 'z'));
        auto w = env.window();
        w.Form_Load();
        EXPECT_EQ(env.dir.read("RATHISWEEKNNEW.dat"), r);
        EXPECT_EQ(env.dir.read("SETHISWEEKN.dat"), s);
        EXPECT_EQ(env.dir.read("SETHISWEEKNNEW.dat"), s);
        EXPECT_EQ(env.dir.read("UMAGOTOTHISWEEKN/" + H1 + ".dat"), s);
        EXPECT_EQ(env.status.last("Text4"), "構造体処理終了  1");
    }
}

TEST(Structure, RunFilesStayInsideTheirFolder) {
    Env env;
    // A backslash is a folder separator in paths too.
    env.dir.write("KETTONUMTHISWEEKN.dat", "\"../evil\"\r\n\"..\\evil2\"\r\n\"" + H1 + "\"\r\n");
    env.dir.write("SETHISWEEKNNEW.dat", se("20240106", "2", "06", "01", "01", H1));
    EXPECT_EQ(kv::BuildUmagotoFiles({}), 1u);
    EXPECT_FALSE(env.dir.exists("evil.dat"));
    EXPECT_FALSE(env.dir.exists("evil2.dat"));
    EXPECT_TRUE(env.dir.exists("UMAGOTOTHISWEEKN/" + H1 + ".dat"));
}

TEST(Structure, FilesThatCannotBeWrittenAreReportedAndTheRestGoesOn) {
    Env env;
    std::filesystem::remove_all(env.dir.file("UMAGOTOTHISWEEKN"));
    env.dir.write("UMTHISWEEKN.dat", um(H1, "1990000001"));
    env.dir.write("SETHISWEEKN.dat", se("20240106", "2", "06", "01", "01", H1));
    auto w = env.window();
    w.Form_Load();
    EXPECT_EQ(w.FailedFiles(), std::vector<std::string>{env.dir.file("UMAGOTOTHISWEEKN/" + H1 + ".dat")});
    EXPECT_EQ(env.dir.read("SETHISWEEKNNEW.dat"), se("20240106", "2", "06", "01", "01", H1));
    // The failure text in place of the completion text, and one message naming the file.
    EXPECT_EQ(env.status.last("Text4"), "構造体処理に失敗しました。");
    ASSERT_EQ(env.messages.messages.size(), 2u);  // the weight message, then this step's one
    EXPECT_EQ(env.messages.messages[1],
              "RATHISWEEKN.dat が有りません。先に①今週開催取得を行って下さい。"
              "書き込めなかったファイルが 1 件あります（最初: UMAGOTOTHISWEEKN/" + H1 + ".dat）。"
              "ディスクの空き容量とフォルダの書き込み権限を確認してから、②構造・中止処理をやり直して下さい。");
}
