// Steps stopped after their N-th file (the file layer's test hook, as a kill
// would stop them): every file the step puts down whole is either its old or
// its new version, the step record shows the unfinished step, the next step
// says so, and running the step again finishes the work.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <filesystem>
#include <map>
#include <string>

#include "common/recordfile.h"
#include "common/stepstate.h"
#include "fixtures/fixtures.h"
#include "outputs.h"

namespace fs = std::filesystem;

namespace {

struct Cli {
    int code = -1;
    std::string err, out;
};

// Runs korivan-cli on a folder; stopAfter > 0 sets the stop hook.
Cli cli(const std::string& app, const std::string& steps, long stopAfter = 0) {
    const std::string errFile = app + "/../cli-stderr.txt", outFile = app + "/../cli-stdout.txt";
    std::string cmd;
    if (stopAfter > 0) cmd += "KV_TEST_STOP_AFTER_FILES=" + std::to_string(stopAfter) + " ";
    cmd += std::string("'") + KV_CLI_PATH + "' --app-dir '" + app + "' " + steps + " >'" + outFile + "' 2>'" + errFile + "'";
    const int st = std::system(cmd.c_str());
    Cli r;
    r.code = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    r.err = kv::readFileBytes(errFile).value_or("");
    r.out = kv::readFileBytes(outFile).value_or("");
    return r;
}

using Snapshot = std::map<std::string, std::string>;  // relative path -> bytes

Snapshot snapshot(const std::string& app, const std::vector<std::string>& dirs) {
    Snapshot s;
    for (const auto& d : dirs)
        for (const auto& n : kv::listFiles(app + "/" + d)) s[d + "/" + n] = *kv::readFileBytes(app + "/" + d + "/" + n);
    return s;
}

void copyTree(const std::string& from, const std::string& to) {
    fs::remove_all(to);
    fs::copy(from, to, fs::copy_options::recursive);
}

// The sample week generated in root/week and run through its road; empty when the road failed.
std::string weekRun(const kvtest::TempDir& root) {
    const std::string app = root.path() + "/week";
    fs::create_directories(app);
    kvsample::Options o;
    o.appDir = app;
    kvsample::generate(o);
    return cli(app, "run-week").code == 0 ? app : std::string();
}

bool isTemp(const std::string& name) { return name.find(".tmp") != std::string::npos; }

// Every file is its old or its new version; temporary files may be left.
void expectOldOrNew(const Snapshot& now, const Snapshot& before, const Snapshot& after) {
    for (const auto& [name, bytes] : now) {
        if (isTemp(name)) continue;
        auto b = before.find(name), a = after.find(name);
        const bool isOld = b != before.end() && b->second == bytes;
        const bool isNew = a != after.end() && a->second == bytes;
        EXPECT_TRUE(isOld || isNew) << name << " is neither its old nor its new version";
    }
}

struct Week {
    kvtest::TempDir root;
    std::string base, ref;

    // The prediction phase run whole (the old files), then the result phase's
    // data up to `lastStep`; `ref` holds the same folder after `step` ran whole.
    Week(const std::string& lastSteps, const std::string& step) {
        base = root.path() + "/base";
        ref = root.path() + "/ref";
        fs::create_directories(base);
        kvsample::Options o;
        o.appDir = base;
        o.phase = kvsample::Phase::Prediction;
        kvsample::generate(o);
        EXPECT_EQ(cli(base, "run-week").code, 0);
        o.phase = kvsample::Phase::Result;
        kvsample::generate(o);
        EXPECT_EQ(cli(base, lastSteps).code, 0);
        copyTree(base, ref);
        EXPECT_EQ(cli(ref, step).code, 0);
    }
};

TEST(KillTest, CalculateStoppedAfterItsNthFile) {
    Week w("fetch structure fix-previous-day", "calculate");
    const std::vector<std::string> dirs = {"UMAGOTOEXTHISWEEKN", "OPTION1N"};
    const Snapshot before = snapshot(w.base, dirs), after = snapshot(w.ref, dirs);
    ASSERT_GT(before.size(), 100u);
    ASSERT_NE(before, after);

    for (long n : {1L, 3L, 40L, 150L}) {
        SCOPED_TRACE("stopped after file " + std::to_string(n));
        const std::string work = w.root.path() + "/work";
        copyTree(w.base, work);
        EXPECT_EQ(cli(work, "calculate", n).code, 86);
        expectOldOrNew(snapshot(work, dirs), before, after);
        EXPECT_EQ(kv::steps::entryOf(work, "calculate").state, kv::steps::State::Started);

        // The next step names the unfinished one, and goes on.
        const Cli next = cli(work, "predict");
        EXPECT_NE(next.err.find("⑤計算"), std::string::npos) << next.err;
        EXPECT_NE(next.err.find("中断"), std::string::npos) << next.err;

        // Run again, it ends well: its temporary files are gone, its files whole and new.
        EXPECT_EQ(cli(work, "calculate").code, 0);
        const Snapshot again = snapshot(work, dirs);
        for (const auto& [name, bytes] : again) EXPECT_FALSE(isTemp(name)) << name;
        EXPECT_EQ(again, after);
        EXPECT_TRUE(cli(work, "predict").err.find("⑤計算") == std::string::npos);
    }
}

TEST(KillTest, PredictStoppedAfterItsNthFile) {
    Week w("fetch structure fix-previous-day calculate", "predict");
    // The files of every race and the day files built over the run's races
    // (put in place last, from about the 425th file on).
    const std::vector<std::string> dirs = {"RACE",       "KAIME",     "UMAREN",  "WIDE",      "UMATAN",
                                           "SANRENPUKU", "SANRENTAN", "TEKICHU", "SOKUDO",    "SHUTSUBAHYO",
                                           "TANFUKU",    "TANFUKU2",  "TANSHO",  "tavlen_wp", "tavlen_yosou"};
    const Snapshot before = snapshot(w.base, dirs), after = snapshot(w.ref, dirs);
    ASSERT_NE(before, after);

    for (long n : {2L, 25L, 120L, 300L, 440L}) {
        SCOPED_TRACE("stopped after file " + std::to_string(n));
        const std::string work = w.root.path() + "/work";
        copyTree(w.base, work);
        EXPECT_EQ(cli(work, "predict", n).code, 86);
        expectOldOrNew(snapshot(work, dirs), before, after);
        EXPECT_EQ(kv::steps::entryOf(work, "predict").state, kv::steps::State::Started);

        // The next run removes the temporary files and writes everything anew.
        EXPECT_EQ(cli(work, "predict").code, 0);
        const Snapshot again = snapshot(work, dirs);
        for (const auto& [name, bytes] : again) EXPECT_FALSE(isTemp(name)) << name;
        EXPECT_EQ(again, after);
        EXPECT_EQ(kv::steps::entryOf(work, "predict").state, kv::steps::State::Ok);
    }
}

// The odds tables after a trifecta download that was stopped, and from an
// empty trifecta file: the step says so and fails; after a whole download it passes.
TEST(KillTest, OddsTablesAfterAStoppedOrEmptyTrifectaDownloadFail) {
    kvtest::TempDir root;
    const std::string app = weekRun(root);
    ASSERT_FALSE(app.empty());
    const std::string o6 = *kv::readFileBytes(app + "/O6THISWEEKN.dat");

    EXPECT_EQ(cli(app, "odds-fetch-trifecta", 1).code, 86);  // stopped once its start is recorded
    EXPECT_EQ(*kv::readFileBytes(app + "/O6THISWEEKN.dat"), o6);
    Cli r = cli(app, "odds-tables");
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("「今週の3連単」が途中で中断されています。"), std::string::npos) << r.err;
    EXPECT_NE(r.out.find("Text2: 今週のオッズ処理に失敗しました。"), std::string::npos) << r.out;

    ASSERT_EQ(cli(app, "odds-fetch-trifecta").code, 0);
    ASSERT_TRUE(kv::truncateFile(app + "/O6THISWEEKN.dat"));
    r = cli(app, "odds-tables");
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("O6THISWEEKN.dat が空です。"), std::string::npos) << r.err;

    ASSERT_EQ(cli(app, "odds-fetch-trifecta").code, 0);
    r = cli(app, "odds-tables");
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("Text2: 今週のオッズ処理終了"), std::string::npos) << r.out;
}

}  // namespace

namespace {

// A file that is there but cannot be read fails the step and is named; a file
// that is missing keeps the step's own handling (the step passes). The step
// shows its failure text, and its message names the file and what to do.
TEST(UnreadableInputs, AreNamedAndFailTheStepWhereMissingOnesDoNot) {
    kvtest::TempDir root;
    const std::string app = weekRun(root);
    ASSERT_FALSE(app.empty());

    struct Case {
        const char* step;
        const char* file;
        const char* failedText;  // the status line instead of the completion text
        const char* label;       // the step to run again
    };
    const Case cases[] = {{"predict", "JRACODE/CodeTable.csv", "Text5: 予想･結果に失敗しました。", "⑥予想・結果"},
                          {"calculate", "KETTONUMTHISWEEKN.dat", "Text3: 計算に失敗しました。", "⑤計算"},
                          {"structure", "RATHISWEEKN.dat", "Text4: 構造体処理に失敗しました。", "②構造・中止処理"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = app + "/" + c.file, kept = path + ".kept";
        fs::rename(path, kept);
        EXPECT_EQ(cli(app, c.step).code, 0) << "missing";
        fs::create_directory(path);  // a folder where the file belongs
        const Cli r = cli(app, c.step);
        EXPECT_EQ(r.code, 1);
        EXPECT_NE(r.err.find("could not read "), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(std::string("/") + c.file + ": "), std::string::npos) << r.err;
        EXPECT_NE(r.out.find(c.failedText), std::string::npos) << r.out;
        const std::string msg = std::string("MSG: ") + "読み込めなかったファイルが 1 件あります（最初: " + c.file +
                                "）。ファイルの読み取り権限を確認してから、" + c.label + "をやり直して下さい。";
        EXPECT_NE(r.err.find(msg), std::string::npos) << r.err;
        fs::remove(path);
        fs::rename(kept, path);
    }
}

}  // namespace

namespace {

// A damaged input is named in the step's message: the file, how many records
// (or lines) are damaged and the first of them with what is wrong, and what
// to do; the step goes on. A folder where a file belongs is an unreadable
// file. Intact files are not mentioned.
TEST(DamagedInputs, AreNamedWithTheirFirstDamagedRecord) {
    kvtest::TempDir root;
    const std::string app = root.path() + "/week";
    fs::create_directories(app);
    kvsample::Options o;
    o.appDir = app;
    o.phase = kvsample::Phase::Prediction;
    kvsample::generate(o);
    ASSERT_EQ(cli(app, "run-week").code, 0);
    o.phase = kvsample::Phase::Result;  // the results: the history's day files
    kvsample::generate(o);
    ASSERT_EQ(cli(app, "run-week").code, 0);
    std::string dayFile;
    for (const auto& n : kv::listFiles(app + "/TEKICHU"))
        if (n.size() == 25 && n.substr(14) == "tekichu.txt") dayFile = "TEKICHU/" + n;
    ASSERT_FALSE(dayFile.empty());
    const std::string exFile = "UMAGOTOEXTHISWEEKN/" + kv::listFiles(app + "/UMAGOTOEXTHISWEEKN").front();
    const long long se = kv::fileSize(app + "/SETHISWEEKN.dat");
    const long long o2 = kv::fileSize(app + "/O2THISWEEKN.dat");
    const long long day = kv::fileSize(app + "/" + dayFile);
    const auto cutAt = [](std::size_t n) { return [n](std::string& b) { b.resize(n); }; };

    struct Case {
        const char* kind;
        const char* step;
        std::string file;
        std::function<void(std::string&)> damage;  // none: a folder in place of the file
        std::string said;                           // part of the message ("" : nothing about the file)
    };
    const std::string se1 = "SETHISWEEKN.dat に壊れたレコードが ";
    const Case cases[] = {
        {"cut inside a record", "structure", "SETHISWEEKN.dat", cutAt(static_cast<std::size_t>(se - 100)),
         se1 + "1 件あります（最初: " + std::to_string((se - 100) / 555 + 1) +
             " 件目、ファイルがレコードの途中で終わっています）。①今週開催取得をやり直して下さい。"},
        {"zeroed region", "structure", "SETHISWEEKN.dat",
         [](std::string& b) { std::fill(b.begin() + 555 * 10 + 11, b.begin() + 555 * 10 + 300, '\0'); },
         se1 + "1 件あります（最初: 11 件目、レースキーが数字ではありません）"},
        {"garbage inserted", "structure", "SETHISWEEKN.dat", [](std::string& b) { b.insert(555 * 4, "\xFF\xFFgarbage"); },
         "（最初: 5 件目、レコードの終わり（CR LF）が有りません）"},
        {"key digits to letters", "structure", "SETHISWEEKN.dat", [](std::string& b) { b.replace(555 * 2 + 28, 2, "AB"); },
         se1 + "1 件あります（最初: 3 件目、馬番が数字ではありません）"},
        {"empty", "structure", "SETHISWEEKN.dat", cutAt(0), "SETHISWEEKN.dat は壊れています（ファイルが空です）"},
        {"intact", "structure", "SETHISWEEKN.dat", [](std::string&) {}, ""},
        {"repeated", "odds-tables", "O2THISWEEKN.dat", [](std::string& b) { b += b; },
         "O2THISWEEKN.dat で繰り返されたレコード " + std::to_string(o2 / 2042) + " 件を読み飛ばしました"},
        {"intact", "odds-tables", "O2THISWEEKN.dat", [](std::string&) {}, ""},
        {"cut inside a line", "history-search", dayFile, cutAt(static_cast<std::size_t>(day - 1)),
         "に壊れた行が 1 行あります（最初: "},
        {"NUL byte", "predict", "JRACODE/CodeTable.csv",
         [](std::string& b) { b[b.find('\n') + 3] = '\0'; }, "JRACODE/CodeTable.csv に壊れた行が 1 行あります（最初: 2 行目、NUL バイトが有ります）"},
        {"folder in place", "history-search", dayFile, nullptr, "読み込めなかったファイルが 1 件あります（最初: " + dayFile},
        {"folder in place", "predict", exFile, nullptr, "読み込めなかったファイルが 1 件あります（最初: " + exFile},
        {"folder in place", "fetch", "jvfeed/TOKURACETCVNRCVN/" + kv::listFiles(app + "/jvfeed/TOKURACETCVNRCVN").front(), nullptr,
         "読み込めなかったファイル"},
        // The history, code table, run, jockey and weight readers.
        {"rate to letters",
         [&] {
             static std::string step;  // lives as long as the table
             step = "history-day --day=" + dayFile.substr(8, 14);
             return step.c_str();
         }(),
         dayFile.substr(0, 22) + "kaiteki.txt",
         [](std::string& b) {
             std::size_t at = 0;
             for (int line = 1; line < 4; ++line) at = b.find('\n', at) + 1;
             b[b.find(',', at) + 1] = 'A';
         },
         "kaiteki.txt に壊れた行が 1 行あります（最初: 4 行目、率が数字ではありません）。⑥予想・結果をやり直して下さい。"},
        {"payout to letters", "history-search", dayFile,
         [](std::string& b) {
             std::size_t at = 0;
             for (int line = 1; line < 5; ++line) at = b.find('\n', at) + 1;
             b[b.find(',', at) + 2] = 'A';
         },
         "tekichu.txt に壊れた行が 1 行あります（最初: 5 行目、配当が数字ではありません）"},
        {"date to blanks", "big-payouts", dayFile.substr(0, 22) + "lupRCM.txt",
         [](std::string& b) { b.replace(10, 2, "  "); },
         "lupRCM.txt に壊れた行が 1 行あります（最初: 1 行目、日付が数字ではありません）"},
        {"table number to letters", "big-payouts", "JRACODE/CodeTable.csv",
         [](std::string& b) { b[b.find('\n') + 2] = 'X'; },
         "JRACODE/CodeTable.csv に壊れた行が 1 行あります（最初: 2 行目、表番号が数字ではありません）"},
        {"horse number to letters", "fix-previous-day", "UMAGOTOTHISWEEKN/" + exFile.substr(19, 10) + ".dat",
         [](std::string& b) { b.replace(28, 2, "AB"); },
         "に壊れたレコードが 1 件あります（最初: 1 件目、馬番が数字ではありません）。②構造・中止処理をやり直して下さい。"},
        {"zeroed region", "calculate", "UMAGOTOTHISWEEKN/" + exFile.substr(19, 10) + ".dat",
         [](std::string& b) { std::fill(b.begin() + 40, b.begin() + 100, '\0'); },
         "に壊れたレコードが 1 件あります（最初: 1 件目、NUL バイトが有ります）"},
        {"jockey code to blanks", "calculate", "KSTHISWEEKN.dat", [](std::string& b) { b.replace(4161 + 11, 2, "  "); },
         "KSTHISWEEKN.dat に壊れたレコードが 1 件あります（最初: 2 件目、騎手コードが数字ではありません）"},
        {"empty", "calculate", "OPTION1N/KS20190101NEW.dat", cutAt(0),
         "KS20190101NEW.dat は壊れています（ファイルが空です）"},
        {"count to blanks", "calculate", "OPTION1N/SibaItemCategoryCount201901N2025.dat",
         [](std::string& b) { b.replace(b.find('\n') + 1, 1, " "); },
         "SibaItemCategoryCount201901N2025.dat に壊れた行が 1 行あります（最初: 2 行目、件数が数字ではありません）"},
        {"repeated", "calculate", "OPTION1N/DirtItemCategory201901N2025.dat", [](std::string& b) { b += b; },
         [&] {
             const std::string b = *kv::readFileBytes(app + "/OPTION1N/DirtItemCategory201901N2025.dat");
             const auto lines = std::count(b.begin(), b.end(), '\n');
             return "DirtItemCategory201901N2025.dat に壊れた行が " + std::to_string(lines) +
                    " 行あります（最初: " + std::to_string(lines + 1) + " 行目、表の項目数より多い値が有ります）";
         }()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.step) + " " + c.file + ": " + c.kind);
        const std::string path = app + "/" + c.file;
        const std::string kept = *kv::readFileBytes(path);
        if (c.damage) {
            std::string bytes = kept;
            c.damage(bytes);
            ASSERT_TRUE(kv::writeFileAtomic(path, bytes));
        } else {
            fs::remove(path);
            fs::create_directory(path);
        }
        const Cli r = cli(app, c.step);
        if (c.said.empty()) {
            EXPECT_EQ(r.err.find("壊れ"), std::string::npos) << r.err;
        } else {
            EXPECT_NE(r.err.find("MSG: "), std::string::npos) << r.err;
            EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
            EXPECT_NE(r.err.find(c.file), std::string::npos) << r.err;
        }
        if (!c.damage) EXPECT_EQ(r.code, 1);  // unreadable: the step failed
        fs::remove_all(path);
        ASSERT_TRUE(kv::writeFileAtomic(path, kept));
    }
}

}  // namespace
