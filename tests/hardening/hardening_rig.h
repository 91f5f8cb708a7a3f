// What the hardening tests share: the command-line driver run as a separate
// process, the sample week's folders each built once per test executable, and
// snapshots of what a step wrote.
#pragma once
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
#include <vector>

#include "common/appfolder.h"
#include "common/dayfile.h"
#include "common/quoted.h"
#include "common/recordfile.h"
#include "common/stepstate.h"
#include "fixtures/fixtures.h"
#include "outputs.h"

namespace kvhard {

namespace fs = std::filesystem;

struct Cli {
    int code = -1;  // the exit code; -1 when a signal ended it
    int signal = 0;  // the signal that ended it
    std::string err, out;
};

// Runs korivan-cli on a folder; stopAfter > 0 sets the stop hook, sizeLimit > 0
// the largest file size the process may write (a bigger write kills it with SIGXFSZ).
inline Cli cli(const std::string& app, const std::string& steps, long stopAfter = 0, long long sizeLimit = 0) {
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

inline Snapshot snapshot(const std::string& app, const std::vector<std::string>& dirs) {
    Snapshot s;
    for (const auto& d : dirs)
        for (const auto& n : kv::listFiles(app + "/" + d)) s[d + "/" + n] = *kv::readFileBytes(app + "/" + d + "/" + n);
    return s;
}

inline void copyTree(const std::string& from, const std::string& to) {
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
inline std::string copyOf(const std::string& built, const kvtest::TempDir& root, const std::string& name = "week") {
    if (built.empty()) return std::string();
    const std::string app = root.path() + "/" + name;
    copyTree(built, app);
    return app;
}

// Makes `work` (a copy of `from` that steps ran on) equal to `from` again:
// quicker than a new copy, as only the files the steps changed are written.
inline void restoreFrom(const std::string& from, const std::string& work) {
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

inline bool isTemp(const std::string& name) { return name.find(kv::suffix::TEMP) != std::string::npos; }

// Every file is its old or its new version (temporary files may be left), and
// no file that is there before and after the step is missing.
inline void expectOldOrNew(const Snapshot& now, const Snapshot& before, const Snapshot& after) {
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

}  // namespace kvhard
