// Steps stopped after their N-th file (the file layer's test hook, as a kill
// would stop them) or killed inside the writing of a file (the file size
// limit): every file the step puts down whole is either its old or its new
// version, no file the step keeps is lost, the step record shows the
// unfinished step, the next step says so, and running the step again finishes
// the work.
#include "hardening_rig.h"

using namespace kvhard;

namespace {

TEST(KillTest, CalculateStoppedAfterItsNthFile) {
    kvtest::TempDir root;
    const std::string base = Built::beforeCalculate(), ref = Built::beforePredict();
    ASSERT_FALSE(base.empty() || ref.empty());
    const std::vector<std::string> dirs = {kv::dirs::UMAGOTOEX, kv::dirs::OPTION1N};
    const Snapshot before = snapshot(base, dirs), after = snapshot(ref, dirs);
    ASSERT_GT(before.size(), 100u);
    ASSERT_NE(before, after);

    const std::string work = copyOf(base, root, "work");
    for (long n : {1L, 3L, 40L, 150L}) {
        SCOPED_TRACE("stopped after file " + std::to_string(n));
        restoreFrom(base, work);
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

// The outputs of the prediction run: the files of every race and the day files
// built over the run's races (put in place last).
const std::vector<std::string> kPredictDirs = {
    kv::dirs::RACE,       kv::dirs::KAIME,     kv::dirs::UMAREN,  kv::dirs::WIDE,   kv::dirs::UMATAN,
    kv::dirs::SANRENPUKU, kv::dirs::SANRENTAN, kv::dirs::TEKICHU, kv::dirs::SOKUDO, kv::dirs::SHUTSUBAHYO,
    kv::dirs::TANFUKU,    kv::dirs::TANFUKU2,  kv::dirs::TANSHO,  kv::dirs::WP,     kv::dirs::YOSOU_HTML};
const std::vector<std::string> kDayFileDirs = {kv::dirs::TEKICHU,  kv::dirs::SHUTSUBAHYO, kv::dirs::TANFUKU,
                                               kv::dirs::TANFUKU2, kv::dirs::WP,          kv::dirs::SOKUDO};

// The day files in `now` that are new (the run changes them, and `now` has their new version).
std::size_t newDayFiles(const Snapshot& now, const Snapshot& before, const Snapshot& after) {
    std::size_t n = 0;
    for (const auto& [name, bytes] : after) {
        const std::string dir = name.substr(0, name.find('/'));
        if (std::find(kDayFileDirs.begin(), kDayFileDirs.end(), dir) == kDayFileDirs.end()) continue;
        const auto b = before.find(name), w = now.find(name);
        if ((b == before.end() || b->second != bytes) && w != now.end() && w->second == bytes) ++n;
    }
    return n;
}

// After a predict run that was stopped or killed: the files are old or new,
// the step is recorded as started, and the next run writes everything anew.
void expectPredictRecovers(const std::string& work, const Snapshot& before, const Snapshot& after) {
    expectOldOrNew(snapshot(work, kPredictDirs), before, after);
    EXPECT_EQ(kv::steps::entryOf(work, "predict").state, kv::steps::State::Started);
    EXPECT_EQ(cli(work, "predict").code, 0);
    const Snapshot again = snapshot(work, kPredictDirs);
    for (const auto& [name, bytes] : again) EXPECT_FALSE(isTemp(name)) << name;
    EXPECT_EQ(again, after);
    EXPECT_EQ(kv::steps::entryOf(work, "predict").state, kv::steps::State::Ok);
}

TEST(KillTest, PredictStoppedAfterItsNthFile) {
    kvtest::TempDir root;
    const std::string base = Built::beforePredict(), ref = Built::afterPredict();
    ASSERT_FALSE(base.empty() || ref.empty());
    const Snapshot before = snapshot(base, kPredictDirs), after = snapshot(ref, kPredictDirs);
    ASSERT_NE(before, after);
    const std::size_t changedDayFiles = newDayFiles(after, before, after);
    ASSERT_GT(changedDayFiles, 10u);

    // The stop points come from the count of files the run puts in place: the
    // day files are the last of them.
    const long files = static_cast<long>(Built::predictedFiles());
    ASSERT_GT(files, static_cast<long>(changedDayFiles) + 25);

    // Stops early, in the middle, and inside the final placing of the day files.
    const long inPlacing = files - static_cast<long>(changedDayFiles) / 2;
    bool stoppedInsidePlacing = false;
    const std::string work = copyOf(base, root, "work");
    for (long n : {2L, 25L, files / 2, inPlacing, files - 1}) {
        SCOPED_TRACE("stopped after file " + std::to_string(n) + " of " + std::to_string(files));
        restoreFrom(base, work);
        EXPECT_EQ(cli(work, "predict", n).code, 86);
        const std::size_t placed = newDayFiles(snapshot(work, kPredictDirs), before, after);
        if (placed > 0 && placed < changedDayFiles) stoppedInsidePlacing = true;
        expectPredictRecovers(work, before, after);
    }
    EXPECT_TRUE(stoppedInsidePlacing) << "no stop fell between the first and the last day file put in place";
}

// Killed inside the writing of one file (the file grows past the size limit,
// SIGXFSZ): that file is its old version or none, never cut off.
TEST(KillTest, PredictKilledInsideTheWritingOfAFile) {
    kvtest::TempDir root;
    const std::string base = Built::beforePredict(), ref = Built::afterPredict();
    ASSERT_FALSE(base.empty() || ref.empty());
    const Snapshot before = snapshot(base, kPredictDirs), after = snapshot(ref, kPredictDirs);
    std::size_t largest = 0;
    for (const auto& [name, bytes] : after) largest = std::max(largest, bytes.size());
    ASSERT_GT(largest, 4096u);
    const std::string work = copyOf(base, root, "work");
    const Cli r = cli(work, "predict", 0, static_cast<long long>(largest / 2));
    ASSERT_EQ(r.signal, SIGXFSZ) << "the run was not killed inside a write (exit " << r.code << ")";
    expectPredictRecovers(work, before, after);
}

// The same for the file layer's writers one by one: killed inside the write,
// a replaced file keeps its old bytes, a new one is not there, a day file keeps
// its old bytes.
TEST(KillTest, AFileKilledWhileWrittenIsItsOldVersion) {
    kvtest::TempDir dir;
    const std::string old = "old bytes\r\n", big(64 * 1024, 'n');
    struct Case {
        const char* what;
        bool exists;
        std::function<void(const std::string&)> write;
    };
    const Case cases[] = {
        {"replaced", true, [&](const std::string& p) { (void)kv::writeFileAtomic(p, big); }},
        {"new", false, [&](const std::string& p) { (void)kv::writeFileAtomic(p, big); }},
        {"day file", true,
         [&](const std::string& p) {
             kv::DayFiles days;
             (void)days.write("20250101", p, big);
             (void)days.place();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = dir.file(std::string(c.what) + ".txt");
        if (c.exists) {
            ASSERT_TRUE(kv::writeFileAtomic(path, old));
        }
        const pid_t pid = ::fork();
        if (pid == 0) {
            const rlimit lim{4096, 4096};
            if (::setrlimit(RLIMIT_FSIZE, &lim) != 0) ::_exit(127);
            c.write(path);
            ::_exit(0);
        }
        int st = 0;
        ASSERT_EQ(::waitpid(pid, &st, 0), pid);
        ASSERT_TRUE(WIFSIGNALED(st) && WTERMSIG(st) == SIGXFSZ) << "not killed inside the write";
        const auto now = kv::readFileBytes(path);
        if (c.exists)
            EXPECT_TRUE(now && *now == old) << (now ? std::to_string(now->size()) + " bytes" : "missing");
        else
            EXPECT_FALSE(fs::exists(path));
    }
}

// The odds tables after a trifecta download that was stopped, and from an
// empty trifecta file: the step says so and fails; after a whole download it passes.
TEST(KillTest, OddsTablesAfterAStoppedOrEmptyTrifectaDownloadFail) {
    kvtest::TempDir root;
    const std::string app = copyOf(Built::predictionWeek(), root);
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
    const std::string app = copyOf(Built::predictionWeek(), root);
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
