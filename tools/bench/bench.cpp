// korivan-bench [--size full|small] [--seed N] [--dir DIR] [--keep]
// Generates the sample week, runs every stage of the week's road through
// korivan-cli and prints the seconds and the throughput of each stage; then
// times the past race-day search, the past speed export and the hit list over
// five years of copies of the result week's day files.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "common/appfolder.h"
#include "platform/sinks.h"
#include "prediction/yosokekka.h"
#include "week/writer_table.h"
#include "display/race_display.h"
#include "history/kako_seiseki.h"
#include "history/tekichu_list.h"

namespace fs = std::filesystem;

namespace {

std::string exeDir() {
    std::error_code ec;
    auto p = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(".") : p.parent_path().string();
}

// Runs a program with its arguments, output to /dev/null; returns its exit status.
int run(const std::vector<std::string>& args) {
    pid_t pid = fork();
    if (pid == 0) {
        FILE* devnull = std::fopen("/dev/null", "w");
        if (devnull) {
            dup2(fileno(devnull), 1);
            dup2(fileno(devnull), 2);
        }
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) < 0) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::size_t countFiles(const fs::path& dir) {
    std::error_code ec;
    std::size_t n = 0;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) ++n;
    return n;
}

long long fileSize(const fs::path& p) {
    std::error_code ec;
    auto s = fs::file_size(p, ec);
    return ec ? 0 : static_cast<long long>(s);
}

// A writer of the chain whose calls add their time to a total.
struct TimedWriter : kv::pred::Writer {
    TimedWriter(std::unique_ptr<kv::pred::Writer> w, double* total) : inner(std::move(w)), seconds(total) {}
    std::string name() const override { return inner->name(); }
    void writeRace(kv::pred::WindowState& st, int RaceIdx) override {
        const auto t0 = std::chrono::steady_clock::now();
        struct Add {
            std::chrono::steady_clock::time_point t0;
            double* s;
            ~Add() { *s += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count(); }
        } add{t0, seconds};
        inner->writeRace(st, RaceIdx);
    }
    std::unique_ptr<kv::pred::Writer> inner;
    double* seconds;
};

// The prediction run once more, in this process, with the publishing writers
// timed: prints their share of the run.
void publishingShare(const std::string& dir) {
    kv::SetAppPath(dir);
    double publishing = 0;
    kv::pred::WriterChain chain;
    for (const auto& e : kv::week::standardWriterTable()) {
        auto w = e.make();
        if (e.slot >= kv::pred::ChainSlot::TanfukuCsv1) w = std::make_unique<TimedWriter>(std::move(w), &publishing);
        chain.add(e.slot, std::move(w));
    }
    kv::NullStatusSink status;
    kv::pred::YOSOKEKKATHISWEEKNQUEL run(std::move(chain), status);
    const auto t0 = std::chrono::steady_clock::now();
    run.Form_Load();
    const double whole = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    std::printf("%-20s %10.3f  of %.3f s of predict run again in process\n", "  publishing writers", publishing, whole);
    std::fflush(stdout);
}

// Opens the predictions window on the week (its load is the prediction run,
// here without the writers) and selects every race of its list in turn.
void raceSelections(const std::string& dir) {
    kv::SetAppPath(dir);
    kv::NullStatusSink status;
    kv::pred::YOSOKEKKATHISWEEKNQUEL window(kv::pred::WriterChain{}, status);
    window.Form_Load();
    kv::display::RaceDisplay display(window.st);
    double total = 0, longest = 0;
    int shown = 0;
    for (std::size_t p = 1; p <= window.List1().size(); ++p) {
        auto t0 = std::chrono::steady_clock::now();
        shown += display.List1_Click(static_cast<int>(p)) ? 1 : 0;
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        total += s;
        if (s > longest) longest = s;
    }
    std::printf("%-20s %10.3f  %d races, longest selection %.1f ms\n", "race-display", total, shown, longest * 1000);
    std::fflush(stdout);
}

// Five years of past race days: the result week's day files under TEKICHU
// copied under generated keys (5 racecourses on 5 dates a month, 1,500 days)
// into a folder of their own; then the past performance window's search and
// export and the hit list, each timed. Returns the number of failed stages.
int benchHistory(const fs::path& week, double& total) {
    const fs::path hist = week / "history";
    std::error_code ec;
    fs::create_directories(hist / "TEKICHU", ec);
    fs::create_directories(hist / "SOKUDO", ec);
    fs::create_directories(hist / "JRACODE", ec);
    fs::copy_file(week / "JRACODE" / "CodeTable.csv", hist / "JRACODE" / "CodeTable.csv",
                  fs::copy_options::overwrite_existing, ec);
    std::vector<std::string> sources;
    for (fs::directory_iterator it(week / "TEKICHU", ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() == 14 + 10 && name.compare(14, 10, "lupRCM.txt") == 0) sources.push_back(name.substr(0, 14));
    }
    std::sort(sources.begin(), sources.end());
    if (sources.empty()) {
        std::printf("%-20s %10s  no result day files\n", "history", "-");
        return 1;
    }
    const char* suffixes[] = {"tekichu.txt", "lupRCM.txt", "kaiteki.txt", "kaitekiPC.txt", "tekichuPC.txt"};
    std::size_t days = 0;
    for (int y = 2024; y <= 2028; ++y)
        for (int m = 1; m <= 12; ++m)
            for (int d = 1; d <= 29; d += 7)
                for (int course = 1; course <= 5; ++course) {
                    char key[16];
                    std::snprintf(key, sizeof key, "%04d%02d%02d%02d%02d%02d", y, m, d, course, m % 7 + 1, d % 12 + 1);
                    const std::string& src = sources[days++ % sources.size()];
                    for (const char* suf : suffixes)
                        fs::copy_file(week / "TEKICHU" / (src + suf), hist / "TEKICHU" / (key + std::string(suf)),
                                      fs::copy_options::overwrite_existing, ec);
                }
    kv::SetAppPath(hist.string());
    kv::NullStatusSink menu;
    kv::history::KakoSeisekiQUEL past(menu);
    kv::history::TekichuListQUEL hits(menu, {});
    int failures = 0;
    auto timed = [&](const char* name, auto work, auto what) {
        const auto t0 = std::chrono::steady_clock::now();
        work();
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        total += s;
        std::printf("%-20s %10.3f  %s\n", name, s, what(s).c_str());
        std::fflush(stdout);
    };
    auto rate = [](std::size_t n, const char* unit, double s) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%zu %s, %.0f/s", n, unit, n / (s > 0 ? s : 1e-9));
        return std::string(buf);
    };
    timed("history-search", [&] { past.SearchPastRaceDays(); },
          [&](double s) { return rate(past.List1.size(), "race days", s); });
    timed("history-export", [&] { past.ExportPastSpeeds(); },
          [&](double s) { return rate(past.List1.size(), "race days", s); });
    timed("big-payouts", [&] { hits.Form_Load(); },
          [&](double s) { return rate(days, "race days", s) + ", " + std::to_string(hits.RunningNumber) + " listed"; });
    failures += !past.WriteFailures.empty() + !hits.WriteFailures.empty();
    return failures;
}

}  // namespace

int main(int argc, char** argv) {
    std::string size = "full", seed = "1", dir;
    bool keep = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--size" && i + 1 < argc) size = argv[++i];
        else if (a == "--seed" && i + 1 < argc) seed = argv[++i];
        else if (a == "--dir" && i + 1 < argc) dir = argv[++i];
        else if (a == "--keep") keep = true;
        else {
            std::fprintf(stderr, "usage: korivan-bench [--size full|small] [--seed N] [--dir DIR] [--keep]\n");
            return 2;
        }
    }
    if (dir.empty()) dir = (fs::temp_directory_path() / ("korivan-bench-" + std::to_string(getpid()))).string();
    fs::remove_all(dir);
    fs::create_directories(dir);

    fs::path bin = exeDir();
    std::string sample = (bin / ".." / "sample" / "korivan-sample").lexically_normal().string();
    std::string cli = (bin / ".." / ".." / "app" / "korivan-cli").lexically_normal().string();

    struct Stage { std::string name; std::vector<std::string> args; };
    std::vector<Stage> stages = {
        {"sample(prediction)", {sample, "--app-dir", dir, "--size", size, "--seed", seed, "--phase", "prediction"}},
        {"startup", {cli, "--app-dir", dir, "startup"}},
        {"fetch", {cli, "--app-dir", dir, "fetch"}},
        {"structure", {cli, "--app-dir", dir, "structure"}},
        {"cancel", {cli, "--app-dir", dir, "cancel"}},
        {"odds-fetch", {cli, "--app-dir", dir, "odds-fetch"}},
        {"odds-tables", {cli, "--app-dir", dir, "odds-tables"}},
        {"fix-previous-day", {cli, "--app-dir", dir, "fix-previous-day"}},
        {"calculate", {cli, "--app-dir", dir, "calculate"}},
        {"predict", {cli, "--app-dir", dir, "predict"}},
        {"live-results", {cli, "--app-dir", dir, "live-results"}},
        {"sample(result)", {sample, "--app-dir", dir, "--size", size, "--seed", seed, "--phase", "result"}},
        {"result road", {cli, "--app-dir", dir, "run-week"}},
        {"factors(turf)", {cli, "--app-dir", dir, "factor-weights", "--turf"}},
        {"factors(dirt)", {cli, "--app-dir", dir, "factor-weights", "--dirt"}},
        {"factors(hurdle)", {cli, "--app-dir", dir, "factor-weights", "--hurdle"}},
    };
    std::printf("%-20s %10s  %s\n", "stage", "seconds", "throughput");
    double total = 0;
    int failures = 0;
    for (auto& st : stages) {
        auto t0 = std::chrono::steady_clock::now();
        int rc = run(st.args);
        double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        total += s;
        std::string what;
        fs::path d(dir);
        if (st.name == "fetch") {
            long long runners = fileSize(d / "SETHISWEEKN.dat") / 555;
            char buf[64];
            std::snprintf(buf, sizeof buf, "%lld runner records, %.0f/s", runners, runners / (s > 0 ? s : 1e-9));
            what = buf;
        } else if (st.name == "structure" || st.name == "calculate") {
            std::size_t horses = countFiles(d / (st.name == "structure" ? "UMAGOTOTHISWEEKN" : "UMAGOTOEXTHISWEEKN"));
            char buf[64];
            std::snprintf(buf, sizeof buf, "%zu horses, %.0f/s", horses, horses / (s > 0 ? s : 1e-9));
            what = buf;
        } else if (st.name == "predict" || st.name == "result road") {
            std::size_t races = countFiles(d / "RACE");
            char buf[64];
            std::snprintf(buf, sizeof buf, "%zu races, %.1f/s", races, races / (s > 0 ? s : 1e-9));
            what = buf;
        }
        if (rc != 0) {
            what += " (exit " + std::to_string(rc) + ")";
            ++failures;
        }
        std::printf("%-20s %10.3f  %s\n", st.name.c_str(), s, what.c_str());
        std::fflush(stdout);
        if (rc == 0 && (st.name == "predict" || st.name == "result road")) publishingShare(dir);
    }
    failures += benchHistory(dir, total);
    std::printf("%-20s %10.3f\n", "total", total);
    raceSelections(dir);
    if (!keep) fs::remove_all(dir);
    else std::printf("files kept in %s\n", dir.c_str());
    return failures ? 1 : 0;
}
