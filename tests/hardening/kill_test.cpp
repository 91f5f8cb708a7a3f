// Steps stopped after their N-th file (the file layer's test hook, as a kill
// would stop them) or killed inside the writing of a file (the file size
// limit): every file the step puts down whole is either its old or its new
// version, no file the step keeps is lost, the step record shows the
// unfinished step, the next step says so, and running the step again finishes
// the work.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <string>

#include "common/appfolder.h"
#include "common/dayfile.h"
#include "common/quoted.h"
#include "common/recordfile.h"
#include "common/stepstate.h"
#include "fixtures/fixtures.h"
#include "outputs.h"

namespace fs = std::filesystem;

namespace {

struct Cli {
    int code = -1;  // the exit code; -1 when a signal ended it
    int signal = 0;  // the signal that ended it
    std::string err, out;
};

// Runs korivan-cli on a folder; stopAfter > 0 sets the stop hook, sizeLimit > 0
// the largest file size the process may write (a bigger write kills it with SIGXFSZ).
Cli cli(const std::string& app, const std::string& steps, long stopAfter = 0, long long sizeLimit = 0) {
    const std::string errFile = app + "/../cli-stderr.txt", outFile = app + "/../cli-stdout.txt";
    std::string cmd;
    if (stopAfter > 0) cmd += "KV_TEST_STOP_AFTER_FILES=" + std::to_string(stopAfter) + " ";
    cmd += std::string("exec '") + KV_CLI_PATH + "' --app-dir '" + app + "' " + steps + " >'" + outFile + "' 2>'" +
           errFile + "'";
    Cli r;
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (sizeLimit > 0) {
            const rlimit lim{static_cast<rlim_t>(sizeLimit), static_cast<rlim_t>(sizeLimit)};
            if (::setrlimit(RLIMIT_FSIZE, &lim) != 0) ::_exit(127);
        }
        ::execl("/bin/sh", "sh", "-c", cmd.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int st = 0;
    if (pid < 0 || ::waitpid(pid, &st, 0) != pid) return r;
    r.code = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    r.signal = WIFSIGNALED(st) ? WTERMSIG(st) : 0;
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

// The folders the tests start from, each built once for the whole test
// executable (a test works on its own copy): building the sample week and
// running its road is what takes the time.
class Built {
public:
    // The sample week's prediction phase run through the road.
    static const std::string& predictionWeek() {
        static const std::string app = make("prediction-week", kFresh, [](const std::string& a) {
            return generate(a, kvsample::Phase::Prediction) && cli(a, "run-week").code == 0;
        });
        return app;
    }
    // Then the result phase's data run through the road (the history's day files).
    static const std::string& resultWeek() {
        static const std::string app =
            make("result-week", resultData(), [](const std::string& a) { return cli(a, "run-week").code == 0; });
        return app;
    }
    // The result phase's data taken in and predicted on the old calculation:
    // every output of the prediction run, the day files among them, is there
    // in an old version. The calculation's starting point.
    static const std::string& beforeCalculate() {
        static const std::string app = make("before-calculate", resultData(), [](const std::string& a) {
            return cli(a, "fetch structure fix-previous-day predict").code == 0;
        });
        return app;
    }
    // That folder once calculated: the calculation's result, the prediction run's starting point.
    static const std::string& beforePredict() {
        static const std::string app = make("before-predict", beforeCalculate(),
                                            [](const std::string& a) { return cli(a, "calculate").code == 0; });
        return app;
    }
    // That folder once predicted.
    static const std::string& afterPredict() {
        static const std::string app = make("after-predict", beforePredict(), [](const std::string& a) {
            const std::map<std::string, ino_t> old = inodes(a);
            if (cli(a, "predict").code != 0) return false;
            for (const auto& [name, ino] : inodes(a)) {
                const auto it = old.find(name);
                predictFiles() += it == old.end() || it->second != ino;
            }
            return true;
        });
        return app;
    }
    // How many files that predict run put in place (each is a new file under its
    // name; a file put in place twice counts once).
    static std::size_t predictedFiles() {
        afterPredict();
        return predictFiles();
    }

private:
    static const kvtest::TempDir& root() {
        static const kvtest::TempDir dir;
        return dir;
    }
    static std::size_t& predictFiles() {
        static std::size_t n = 0;
        return n;
    }
    // Each file's inode under app.
    static std::map<std::string, ino_t> inodes(const std::string& app) {
        std::map<std::string, ino_t> out;
        for (const auto& e : fs::recursive_directory_iterator(app)) {
            struct stat st {};
            if (e.is_regular_file() && ::stat(e.path().c_str(), &st) == 0) out[e.path().string()] = st.st_ino;
        }
        return out;
    }
    static bool generate(const std::string& app, kvsample::Phase phase) {
        kvsample::Options o;
        o.appDir = app;
        o.phase = phase;
        kvsample::generate(o);
        return true;
    }
    // The prediction week with the result phase's data (the road not yet run on it).
    static const std::string& resultData() {
        static const std::string app = make("result-data", predictionWeek(),
                                            [](const std::string& a) { return generate(a, kvsample::Phase::Result); });
        return app;
    }
    // root/<name>/app: a copy of `from` (kFresh: an empty folder) that `build`
    // made; empty when `from` could not be built or the build failed.
    static std::string make(const std::string& name, const std::string& from,
                            const std::function<bool(const std::string&)>& build) {
        if (from.empty()) return std::string();
        const std::string app = root().path() + "/" + name + "/app";
        fs::create_directories(app);
        if (from != kFresh) copyTree(from, app);
        return build(app) ? app : std::string();
    }
    static constexpr const char* kFresh = "-";
};

// A copy of a built folder at root/<name>; empty when the folder could not be built.
std::string copyOf(const std::string& built, const kvtest::TempDir& root, const std::string& name = "week") {
    if (built.empty()) return std::string();
    const std::string app = root.path() + "/" + name;
    copyTree(built, app);
    return app;
}

// Makes `work` (a copy of `from` that steps ran on) equal to `from` again:
// quicker than a new copy, as only the files the steps changed are written.
void restoreFrom(const std::string& from, const std::string& work) {
    std::vector<fs::path> extra;
    for (const auto& e : fs::recursive_directory_iterator(work)) {
        const fs::path rel = fs::relative(e.path(), work);
        if (!fs::exists(fs::path(from) / rel)) extra.push_back(e.path());
    }
    for (const auto& p : extra) fs::remove_all(p);
    for (const auto& e : fs::recursive_directory_iterator(from)) {
        const fs::path to = fs::path(work) / fs::relative(e.path(), from);
        if (e.is_directory()) {
            fs::create_directories(to);
        } else if (kv::readFileBytes(e.path().string()) != kv::readFileBytes(to.string())) {
            fs::remove_all(to);
            fs::copy_file(e.path(), to);
        }
    }
}

bool isTemp(const std::string& name) { return name.find(kv::suffix::TEMP) != std::string::npos; }

// Every file is its old or its new version (temporary files may be left), and
// no file that is there before and after the step is missing.
void expectOldOrNew(const Snapshot& now, const Snapshot& before, const Snapshot& after) {
    for (const auto& [name, bytes] : now) {
        if (isTemp(name)) continue;
        auto b = before.find(name), a = after.find(name);
        const bool isOld = b != before.end() && b->second == bytes;
        const bool isNew = a != after.end() && a->second == bytes;
        EXPECT_TRUE(isOld || isNew) << name << " is neither its old nor its new version";
    }
    for (const auto& [name, bytes] : before)
        if (after.count(name)) {
            EXPECT_TRUE(now.count(name)) << name << " was there before and after, but is gone";
        }
}

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

namespace {

// A damaged input is named in the step's message: the file, how many records
// (or lines) are damaged and the first of them with what is wrong, and what
// to do; the step goes on. A folder where a file belongs is an unreadable
// file. Intact files are not mentioned.
TEST(DamagedInputs, AreNamedWithTheirFirstDamagedRecord) {
    kvtest::TempDir root;
    const std::string app = copyOf(Built::resultWeek(), root);  // with the results: the history's day files
    ASSERT_FALSE(app.empty());
    std::string dayFile;
    for (const auto& n : kv::listFiles(app + "/TEKICHU"))
        if (n.size() == 25 && n.substr(14) == "tekichu.txt") dayFile = "TEKICHU/" + n;
    ASSERT_FALSE(dayFile.empty());
    const std::string exFile = "UMAGOTOEXTHISWEEKN/" + kv::listFiles(app + "/UMAGOTOEXTHISWEEKN").front();
    const long long se = kv::fileSize(app + "/SETHISWEEKN.dat");
    const long long o2 = kv::fileSize(app + "/O2THISWEEKN.dat");
    const long long day = kv::fileSize(app + "/" + dayFile);
    const auto cutAt = [](std::size_t n) { return [n](std::string& b) { b.resize(n); }; };
    const auto feedDir = [](const char* folder) { return std::string(kv::dirs::JVFEED) + "/" + folder + "/"; };
    const std::string week = feedDir(kv::feed::WEEK), odds = feedDir(kv::feed::ODDS),
                      liveOdds = feedDir(kv::feed::LIVE_ODDS);

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
        {"folder in place", "fetch", week + kv::listFiles(app + "/" + week).front(), nullptr,
         "読み込めなかったファイル"},
        // The downloads, as they receive the feed.
        {"key digits to letters", "fetch",
         week + kv::listFiles(app + "/" + week).back(),
         [](std::string& b) { b.replace(719 + 13, 2, "AB"); },
         "に壊れたレコードが 1 件あります（最初: 2 件目、HR レコード、レースキーが数字ではありません）。①今週開催取得をやり直して下さい。"},
        {"zeroed region", "odds-fetch",
         odds + kv::listFiles(app + "/" + odds).front(),
         [](std::string& b) { std::fill(b.begin() + 962 + 100, b.begin() + 962 + 200, '\0'); },
         "に壊れたレコードが 1 件あります（最初: 2 件目、O2 レコード、NUL バイトが有ります）。「今週のオッズ」をやり直して下さい。"},
        {"repeated", "odds-fetch-trifecta",
         odds + kv::listFiles(app + "/" + odds).front(),
         [](std::string& b) { b += b; },
         "に壊れたレコードが 5 件あります（最初: 6 件目、ファイルの最初のレコードから繰り返されています）。「今週の3連単」をやり直して下さい。"},
        {"empty", "live-odds", liveOdds + kv::listFiles(app + "/" + liveOdds).back(), cutAt(0),
         " は壊れています（ファイルが空です）。「Ⅱ　速報オッズ情報」をやり直して下さい。"},
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
         [](std::string& b) {
             const std::size_t at = b.find('\n') + 1;
             b.replace(at, b.find('\r', at) - at, b.find('\r', at) - at, ' ');
         },
         "SibaItemCategoryCount201901N2025.dat に壊れた行が 1 行あります（最初: 2 行目、件数が数字ではありません）"},
        {"a quote that does not pair", "calculate", "OPTION1N/DirtItemCategory201901N2025.dat",
         [](std::string& b) { b.insert(b.find('\n') + 4, "\""); },
         "DirtItemCategory201901N2025.dat に壊れた行が 1 行あります（最初: 2 行目、引用符が対になっていません）"},
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
        EXPECT_EQ(r.code, c.damage ? 0 : 1)
            << (c.damage ? "damaged but readable: the step goes on" : "unreadable: the step fails");
        fs::remove_all(path);
        ASSERT_TRUE(kv::writeFileAtomic(path, kept));
    }
}

}  // namespace

namespace {

// Each line of a CP932 text file (line ends CR LF) through `f`.
std::string eachLine(const std::string& bytes, const std::function<std::string(const std::string&, std::size_t)>& f) {
    std::string out;
    std::size_t at = 0, n = 0;
    while (at < bytes.size()) {
        std::size_t end = bytes.find("\r\n", at);
        if (end == std::string::npos) end = bytes.size();
        out += f(bytes.substr(at, end - at), n++) + "\r\n";
        at = end + 2;
    }
    return out;
}

// A line without its quotes where the quoted-line rules give the same value
// back bare: no blank in front, no comma or quote inside.
std::string unquoted(const std::string& line) {
    if (line.size() < 2 || line.front() != '"' || line.back() != '"') return line;
    const std::string v = line.substr(1, line.size() - 2);
    if (!v.empty() && (v.front() == ' ' || v.front() == '\t')) return line;
    if (v.find_first_of(",\"") != std::string::npos) return line;
    return v;
}

// Every group of `n` lines joined into one line by commas.
std::string joined(const std::string& bytes, std::size_t n) {
    std::string out;
    std::size_t k = 0;
    eachLine(bytes, [&](const std::string& l, std::size_t) {
        out += l;
        out += ++k % n == 0 ? "\r\n" : ",";
        return std::string();
    });
    if (!out.empty() && out.back() == ',') {  // the last group is short
        out.pop_back();
        out += "\r\n";
    }
    return out;
}

// Where each file under app stands: its inode and modification time.
using Stamps = std::map<std::string, std::pair<ino_t, std::int64_t>>;

Stamps stamps(const std::string& app) {
    Stamps out;
    for (const auto& e : fs::recursive_directory_iterator(app)) {
        struct stat st {};
        if (e.is_regular_file() && ::stat(e.path().c_str(), &st) == 0)
            out[fs::relative(e.path(), app).string()] = {st.st_ino,
                                                        st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec};
    }
    return out;
}

// What a step did to app since `before`: the files it wrote (new or changed,
// with their bytes; the step record aside) and those it removed (empty bytes).
Snapshot written(const std::string& app, const Stamps& before) {
    Snapshot s;
    const Stamps now = stamps(app);
    for (const auto& [rel, at] : now) {
        const auto b = before.find(rel);
        if (rel != kv::files::STEPSTATE && (b == before.end() || b->second != at))
            s[rel] = *kv::readFileBytes(app + "/" + rel);
    }
    for (const auto& [rel, at] : before)
        if (!now.count(rel)) s[rel] = std::string();
    return s;
}

// Puts back the files of `base` that a step changed in app (and removes those it added).
void undo(const std::string& base, const std::string& app, const Snapshot& changed) {
    for (const auto& [rel, bytes] : changed) {
        const auto was = kv::readFileBytes(base + "/" + rel);
        if (was)
            ASSERT_TRUE(kv::writeFileAtomic(app + "/" + rel, *was));
        else
            fs::remove(app + "/" + rel);
    }
}

// The forms the supplied and stored files may take besides the one the
// program's own writers and the sample week use: each loads as the untouched
// file does, the steps that read it write the same files and print the same
// texts, and no message names a file as damaged.
TEST(LegalInputs, LoadAsTheUntouchedFilesDoWithoutAWord) {
    kvtest::TempDir root;
    const std::string base = Built::resultWeek();
    ASSERT_FALSE(base.empty());
    const std::string app = copyOf(base, root);
    using Change = std::function<void(std::string&)>;
    namespace o = kv::option1n;
    const std::string opt = std::string(kv::dirs::OPTION1N) + "/", turf = opt + o::WEIGHT_TURF,
                      qa1 = opt + o::WEIGHT_QA1 + o::WEIGHT_TURF;
    const std::string total = qa1 + o::WEIGHT_TOTAL + o::WEIGHT_END, codes = turf + o::WEIGHT_CATEGORY + o::WEIGHT_END,
                      counts = turf + o::WEIGHT_CATEGORY_COUNT + o::WEIGHT_END;
    const std::vector<std::string> weights = {qa1 + o::WEIGHT_AGARI + o::WEIGHT_END, qa1 + o::WEIGHT_PACE + o::WEIGHT_END,
                                              qa1 + o::WEIGHT_SOHA + o::WEIGHT_END};
    std::vector<std::string> numbers = weights;
    numbers.push_back(counts);
    std::vector<std::string> perCategory = numbers;
    perCategory.push_back(codes);
    std::vector<std::string> tables = perCategory;
    tables.push_back(total);
    const std::string codeTable = kv::files::CODE_TABLE;

    struct Case {
        const char* form;
        std::vector<std::string> files;
        Change change;
        std::vector<const char*> steps;
        // The form says other things than the untouched file (more races, a
        // key no runner has): what the steps write is not compared, and the
        // output shows this text where one is given.
        bool sameOutput = true;
        const char* shows = nullptr;
    };
    std::string dayKey;
    for (const auto& n : kv::listFiles(base + "/" + kv::dirs::TEKICHU))
        if (n.size() == 25 && n.substr(14) == kv::suffix::TEKICHU) dayKey = n.substr(0, 14);
    ASSERT_FALSE(dayKey.empty());
    const std::string day = std::string(kv::dirs::TEKICHU) + "/" + dayKey;
    static std::string historyDay;  // lives as long as the table
    historyDay = "history-day --day=" + dayKey;
    const std::vector<const char*> historySteps = {historyDay.c_str(), "history-search", "big-payouts"};
    // Line n (0-based) of a file through f.
    const auto onLine = [](std::size_t n, std::function<std::string(const std::string&)> f) {
        return [n, f](std::string& b) {
            b = eachLine(b, [&](const std::string& l, std::size_t i) { return i == n ? f(l) : l; });
        };
    };
    // Every value of a line but its first (its tag) as `v`.
    const auto allValues = [](const std::string& v) {
        return [v](const std::string& l) {
            std::string out = l.substr(0, l.find(','));
            for (std::size_t at = l.find(','); at != std::string::npos; at = l.find(',', at + 1)) out += "," + v;
            return out;
        };
    };
    const std::string stat = opt;
    // The factor window shows every category, count and weight of the tables as loaded.
    const std::vector<const char*> weightSteps = {"factor-weights --turf"};
    const Case cases[] = {
        {"unquoted category codes", {codes}, [](std::string& b) {
             b = eachLine(b, [](const std::string& l, std::size_t) { return unquoted(l); });
         }, weightSteps},
        {"every other category code unquoted", {codes}, [](std::string& b) {
             b = eachLine(b, [](const std::string& l, std::size_t i) { return i % 2 ? unquoted(l) : l; });
         }, weightSteps},
        {"a negative sample count", {counts}, [](std::string& b) {
             b = eachLine(b, [](const std::string& l, std::size_t i) { return i == 1 ? std::string("-5") : l; });
         }, {"calculate"}},
        {"a negative sample count, shown", {counts}, [](std::string& b) {
             b = eachLine(b, [](const std::string& l, std::size_t i) { return i == 1 ? std::string("-5") : l; });
         }, {"factor-weights --turf"}, false, "\t-5\t"},
        {"values after the 30th total", {total}, [](std::string& b) { b += "7\r\n\"x\"\r\n"; }, weightSteps},
        {"a value after those read", perCategory, [](std::string& b) { b += "\"x\"\r\n"; }, weightSteps},
        {"a table repeated past what is read", perCategory, [](std::string& b) { b += b; },
         {"factor-weights --turf", "calculate"}},
        {"two values a line", numbers, [](std::string& b) { b = joined(b, 2); }, weightSteps},
        {"three values a line", tables, [](std::string& b) { b = joined(b, 3); }, weightSteps},
        {"quoted counts and weights", numbers, [](std::string& b) {
             b = eachLine(b, [](const std::string& l, std::size_t) { return '"' + l + '"'; });
         }, weightSteps},
        {"blanks before the values", numbers, [](std::string& b) {
             b = eachLine(b, [](const std::string& l, std::size_t) { return "  " + l; });
         }, weightSteps},
        {"no line end after the last value", tables, [](std::string& b) { b.resize(b.size() - 2); }, weightSteps},
        {"code table rows over two lines", {codeTable}, [](std::string& b) {
             b = eachLine(b, [](std::string l, std::size_t) {
                 std::size_t at = 0;
                 for (int k = 0; k < 4; ++k) at = l.find(',', at) + 1;
                 return l.replace(at - 1, 1, "\r\n");
             });
         }, {"predict"}},
        {"code table unquoted, blanks after its commas", {codeTable}, [](std::string& b) {
             b = eachLine(b, [](const std::string& l, std::size_t) {
                 std::string out;
                 kv::InputReader in(l);
                 for (bool first = true;; first = false) {
                     const kv::InputReader::RawField f = in.nextRaw();
                     out += (first ? "" : ", ") + unquoted('"' + std::string(f.bytes) + '"');
                     if (f.last) return out;
                 }
             });
         }, {"predict"}},
        {"code table with blanks around its quotes", {codeTable}, [](std::string& b) {
             b = eachLine(b, [](const std::string& l, std::size_t) {
                 std::string out = " ";
                 for (char c : l) out += c == ',' ? std::string(" , ") : std::string(1, c);
                 return out + " ";
             });
         }, {"predict"}},
        {"code table without a line end after its last row", {codeTable}, [](std::string& b) { b.resize(b.size() - 2); },
         {"predict"}},
        // The day files of earlier weeks, as their writers can leave them.
        {"a payout of 0", {day + kv::suffix::TEKICHU}, onLine(4, [](const std::string& l) {
             const std::size_t at = l.find(",\"") + 2;
             return l.substr(0, at) + "0" + l.substr(l.find('"', at));
         }), historySteps, false},
        {"a race without payouts", {day + kv::suffix::TEKICHU}, [&](std::string& b) {
             for (std::size_t n : {3, 4, 5}) onLine(n, allValues("\"\""))(b);
         }, historySteps, false},
        {"a day of thirteen races", {day + kv::suffix::TEKICHU}, [](std::string& b) {
             std::string race;
             eachLine(b, [&](const std::string& l, std::size_t i) {
                 if (i >= 2 && i < 6) race += l + "\r\n";
                 return l;
             });
             while (std::count(b.begin(), b.end(), '\n') < 2 + 4 * 13) b += race;
         }, historySteps, false},
        {"rates without a leading 0, and absent", {day + kv::suffix::KAITEKI}, onLine(3, [](const std::string& l) {
             // The first rate ".5", the last absent: as many values as before.
             const std::size_t first = l.find(',') + 1, second = l.find(',', first);
             const std::string out = l.substr(0, first) + ".5" + l.substr(second);
             return out.substr(0, out.rfind(',') + 1);
         }), {historyDay.c_str()}, false},
        {"a race of blank start time and distance", {day + kv::suffix::LUP_RCM}, [](std::string& b) {
             const std::size_t rc = b.find("\"RC\",\"1\",\"");
             b.replace(rc + 10, 4, "    ");
             std::size_t at = rc;
             for (int k = 0; k < 9; ++k) at = b.find(',', at) + 1;
             b.replace(at + 1, b.find('"', at + 1) - at - 1, "    ");
         }, historySteps, false},
        // The statistics: keys are texts, blanks and letters too.
        {"a blank breeding number", {stat + o::STALLION}, [](std::string& b) { b.replace(402, 10, 10, ' '); },
         {"calculate"}, false},
        {"a jockey code with a letter", {stat + o::KISHUSEISEI}, [](std::string& b) { b.replace(0, 5, "A0123"); },
         {"calculate"}, false},
        {"a blank dam in the foal list", {stat + o::HNSK}, [](std::string& b) { b.replace(0, 10, 10, ' '); },
         {"calculate"}, false},
    };

    // What each step writes and prints on the untouched files.
    std::map<std::string, std::pair<Cli, Snapshot>> untouched;
    for (const Case& c : cases)
        for (const char* step : c.steps) {
            if (untouched.count(step)) continue;
            const Stamps before = stamps(app);
            Cli r = cli(app, step);
            ASSERT_EQ(r.code, 0) << step << r.err;
            ASSERT_EQ(r.err.find("MSG: "), std::string::npos) << step << r.err;
            const Snapshot wrote = written(app, before);
            undo(base, app, wrote);
            untouched[step] = {r, wrote};
        }
    for (const Case& c : cases)
        for (const char* step : c.steps) {
            SCOPED_TRACE(std::string(c.form) + ", " + step);
            for (const std::string& f : c.files) {
                std::string bytes = *kv::readFileBytes(app + "/" + f);
                const std::string before = bytes;
                c.change(bytes);
                ASSERT_NE(bytes, before) << f << " is not changed";
                ASSERT_TRUE(kv::writeFileAtomic(app + "/" + f, bytes));
            }
            const Stamps before = stamps(app);
            const Cli r = cli(app, step);
            Snapshot now = written(app, before);
            undo(base, app, now);
            for (const std::string& f : c.files) undo(base, app, {{f, ""}});
            const auto& [was, wrote] = untouched[step];
            EXPECT_EQ(r.code, 0);
            EXPECT_EQ(r.err.find("MSG: "), std::string::npos) << r.err;
            EXPECT_EQ(r.err.find("damaged"), std::string::npos) << r.err;
            if (!c.sameOutput) {
                if (c.shows) EXPECT_NE(r.out.find(c.shows), std::string::npos) << r.out;
                continue;
            }
            EXPECT_EQ(r.out, was.out);
            EXPECT_TRUE(now == wrote) << "the step wrote other files than on the untouched ones";
            if (now != wrote)
                for (const auto& [name, bytes] : wrote)
                    if (!now.count(name) || now[name] != bytes) ADD_FAILURE() << "differs: " << name;
        }
}


// A table that cannot be loaded is named once, for what stops its load: the
// legal forms of the other files beside it say nothing.
TEST(LegalInputs, ALoadThatFailsNamesOnlyTheFileThatStopsIt) {
    kvtest::TempDir root;
    const std::string app = copyOf(Built::resultWeek(), root);
    ASSERT_FALSE(app.empty());
    namespace o = kv::option1n;
    const std::string opt = app + "/" + kv::dirs::OPTION1N + "/" + o::WEIGHT_TURF;
    const std::string codes = opt + o::WEIGHT_CATEGORY + o::WEIGHT_END, counts = opt + o::WEIGHT_CATEGORY_COUNT + o::WEIGHT_END;
    std::string b = *kv::readFileBytes(codes);
    ASSERT_TRUE(kv::writeFileAtomic(codes, eachLine(b, [](const std::string& l, std::size_t i) { return i % 2 ? unquoted(l) : l; })));
    b = *kv::readFileBytes(counts);
    ASSERT_TRUE(kv::writeFileAtomic(counts, b.substr(0, b.size() / 2)));  // ends before its counts are met
    for (const char* step : {"factor-weights --turf", "calculate"}) {
        SCOPED_TRACE(step);
        const Cli r = cli(app, step);
        EXPECT_EQ(r.err.find("壊れ"), std::string::npos) << r.err;
        const std::size_t named = r.err.find(std::string(o::WEIGHT_TURF) + o::WEIGHT_CATEGORY_COUNT);
        EXPECT_NE(named, std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("MSG: ", r.err.find("MSG: ") + 1), std::string::npos) << "one message: " << r.err;
    }
}

}  // namespace
