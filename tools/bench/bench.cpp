// korivan-bench [--size full|small] [--seed N] [--dir DIR] [--runs N] [--cores N] [--keep]
// Generates the sample week in DIR/week and runs every stage of the week's
// road on it through korivan-cli. Each stage runs --runs times from the same
// starting folder; for each it prints the seconds (min and median), its I/O
// floor measured in the same run (reading the files the stage read and writing
// as many files of the sizes it wrote, in DIR, on the same file system), their
// ratio, bytes in and out, files created and the stage's peak resident memory.
// The calculation and the prediction run are run once more on one thread:
// the folder must hash the same as on many. Then the publishing writers' share of the prediction run,
// the past race-day search, the past speed export and the hit list over five
// years of copies of the result week's day files, and the race selections.
// --cores N pins the benchmark and every program it starts to N cores.
#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "common/appfolder.h"
#include "platform/sinks.h"
#include "prediction/predictions_window.h"
#include "week/writer_table.h"
#include "display/race_display.h"
#include "history/past_performance_window.h"
#include "history/hit_list_window.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;
double since(Clock::time_point t0) { return std::chrono::duration<double>(Clock::now() - t0).count(); }

std::string exeDir() {
    std::error_code ec;
    auto p = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(".") : p.parent_path().string();
}

// One file of a folder: enough to tell a changed or replaced file.
struct Entry {
    long long size = 0;
    long long mtime = 0;
    unsigned long long ino = 0;
    bool dir = false;
    bool operator==(const Entry&) const = default;
};
using Listing = std::map<std::string, Entry>;  // relative path -> entry

Listing listFolder(const fs::path& root) {
    Listing out;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
        struct stat st {};
        if (lstat(it->path().c_str(), &st) != 0) continue;
        Entry e;
        e.dir = S_ISDIR(st.st_mode);
        e.size = e.dir ? 0 : static_cast<long long>(st.st_size);
        e.mtime = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
        e.ino = st.st_ino;
        out[it->path().lexically_relative(root).string()] = e;
    }
    return out;
}

// Puts `work` back to what `snap` holds, given `before`, the listing `work` had
// when it equalled `snap`: what is new goes, what changed or went is copied back.
void restore(const fs::path& work, const fs::path& snap, const Listing& before) {
    const Listing now = listFolder(work);
    std::error_code ec;
    for (auto it = now.rbegin(); it != now.rend(); ++it)  // children before their folders
        if (!before.count(it->first)) fs::remove_all(work / it->first, ec);
    for (const auto& [rel, e] : before) {
        auto n = now.find(rel);
        if (e.dir) {
            if (n == now.end()) fs::create_directories(work / rel, ec);
        } else if (n == now.end() || !(n->second == e)) {
            fs::copy_file(snap / rel, work / rel, fs::copy_options::overwrite_existing, ec);
        }
    }
}

// Brings `snap` up to `work`'s state, given the listings before and after.
void advance(const fs::path& work, const fs::path& snap, const Listing& before, const Listing& after) {
    std::error_code ec;
    for (auto it = before.rbegin(); it != before.rend(); ++it)
        if (!after.count(it->first)) fs::remove_all(snap / it->first, ec);
    for (const auto& [rel, e] : after) {
        if (e.dir) {
            fs::create_directories(snap / rel, ec);
            continue;
        }
        auto b = before.find(rel);
        if (b == before.end() || !(b->second == e))
            fs::copy_file(work / rel, snap / rel, fs::copy_options::overwrite_existing, ec);
    }
}

void settle(const fs::path& dir) {
    int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        syncfs(fd);
        close(fd);
    }
}

// A hash of each file of a folder, by relative name (FNV-1a, 64 bits).
using Hashes = std::map<std::string, unsigned long long>;
Hashes hashFolder(const fs::path& root) {
    Hashes out;
    std::vector<char> buf(1 << 16);
    for (const auto& [rel, e] : listFolder(root)) {
        unsigned long long h = 1469598103934665603ULL;
        if (!e.dir)
            if (FILE* f = std::fopen((root / rel).c_str(), "rb")) {
                for (std::size_t n; (n = std::fread(buf.data(), 1, buf.size(), f)) > 0;)
                    for (std::size_t i = 0; i < n; ++i) h = (h ^ static_cast<unsigned char>(buf[i])) * 1099511628211ULL;
                std::fclose(f);
            }
        out[rel] = h;
    }
    return out;
}

// The names under which two hashed folders differ (at most `most`).
std::string differences(const Hashes& a, const Hashes& b, std::size_t most = 5) {
    std::string out;
    std::size_t n = 0;
    auto note = [&](const std::string& rel) {
        if (n++ < most) out += (out.empty() ? "" : ", ") + rel;
    };
    for (const auto& [rel, h] : a) {
        auto it = b.find(rel);
        if (it == b.end() || it->second != h) note(rel);
    }
    for (const auto& [rel, h] : b)
        if (!a.count(rel)) note(rel);
    if (n > most) out += ", ... (" + std::to_string(n) + " files)";
    return out;
}

// What one run of a program took.
struct RunResult {
    int rc = -1;
    double seconds = 0;
    long peakKb = 0;
};

// Files a program opened for reading under a folder, told by inotify on each of
// its folders (and on those the program makes while it runs).
class ReadWatch {
public:
    explicit ReadWatch(const fs::path& root) : root_(root) {
        fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (fd_ < 0) return;
        add(root);
        std::error_code ec;
        for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec))
            if (it->is_directory(ec)) add(it->path());
    }
    ~ReadWatch() {
        if (fd_ >= 0) close(fd_);
    }
    int fd() const { return fd_; }
    bool overflowed() const { return overflow_ || fd_ < 0; }
    void drain() {
        alignas(inotify_event) char buf[1 << 16];
        for (;;) {
            ssize_t n = ::read(fd_, buf, sizeof buf);
            if (n <= 0) return;
            for (char* p = buf; p < buf + n;) {
                auto* ev = reinterpret_cast<inotify_event*>(p);
                p += sizeof(inotify_event) + ev->len;
                if (ev->mask & IN_Q_OVERFLOW) overflow_ = true;
                auto d = dirs_.find(ev->wd);
                if (d == dirs_.end() || ev->len == 0) continue;
                const fs::path path = d->second / ev->name;
                if ((ev->mask & IN_CREATE) && (ev->mask & IN_ISDIR)) add(path);
                else if (ev->mask & (IN_ACCESS | IN_CLOSE_NOWRITE)) read_.insert(path.lexically_relative(root_).string());
            }
        }
    }
    const std::set<std::string>& files() const { return read_; }

private:
    void add(const fs::path& dir) {
        int wd = inotify_add_watch(fd_, dir.c_str(), IN_ACCESS | IN_CLOSE_NOWRITE | IN_CREATE);
        if (wd >= 0) dirs_[wd] = dir;
    }
    fs::path root_;
    int fd_ = -1;
    bool overflow_ = false;
    std::map<int, fs::path> dirs_;
    std::set<std::string> read_;
};

// Runs a program with its arguments, output to /dev/null, and waits for it.
RunResult runHere(const std::vector<std::string>& args) {
    RunResult r;
    const auto t0 = Clock::now();
    pid_t pid = fork();
    if (pid == 0) {
        int devnull = open("/dev/null", O_WRONLY);
        if (devnull >= 0) {
            dup2(devnull, 1);
            dup2(devnull, 2);
        }
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    if (pid < 0) return r;
    int status = 0;
    struct rusage ru {};
    if (wait4(pid, &status, 0, &ru) != pid) return r;
    r.seconds = since(t0);
    r.rc = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.peakKb = ru.ru_maxrss;
    return r;
}

bool sendAll(int fd, const void* p, std::size_t n) {
    for (const char* c = static_cast<const char*>(p); n > 0;) {
        ssize_t k = write(fd, c, n);
        if (k <= 0) return false;
        c += k;
        n -= static_cast<std::size_t>(k);
    }
    return true;
}
bool recvAll(int fd, void* p, std::size_t n) {
    for (char* c = static_cast<char*>(p); n > 0;) {
        ssize_t k = read(fd, c, n);
        if (k <= 0) return false;
        c += k;
        n -= static_cast<std::size_t>(k);
    }
    return true;
}

// The programs are started by a small process forked before the benchmark
// grows: a child's peak resident memory counts its parent's at the fork.
class Launcher {
public:
    Launcher() {
        int sv[2];
        if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sv) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            close(sv[0]);
            serve(sv[1]);
            _exit(0);
        }
        close(sv[1]);
        fd_ = pid_ > 0 ? sv[0] : -1;
        if (fd_ < 0) close(sv[0]);
    }
    ~Launcher() {
        if (fd_ >= 0) close(fd_);
        if (pid_ > 0) waitpid(pid_, nullptr, 0);
    }
    // Runs a program; while it runs, `watch` (if any) collects the files it reads.
    RunResult run(const std::vector<std::string>& args, ReadWatch* watch = nullptr) {
        if (fd_ < 0) return runHere(args);
        std::string msg;
        for (const auto& a : args) msg.append(a).push_back('\0');
        const std::uint32_t len = static_cast<std::uint32_t>(msg.size());
        RunResult r;
        if (!sendAll(fd_, &len, sizeof len) || !sendAll(fd_, msg.data(), msg.size())) return r;
        while (watch && watch->fd() >= 0) {
            pollfd p[2] = {{fd_, POLLIN, 0}, {watch->fd(), POLLIN, 0}};
            poll(p, 2, -1);
            watch->drain();
            if (p[0].revents) break;
        }
        if (!recvAll(fd_, &r, sizeof r)) return RunResult{};
        if (watch) watch->drain();
        return r;
    }

private:
    static void serve(int fd) {
        for (std::uint32_t len = 0; recvAll(fd, &len, sizeof len) && len > 0;) {
            std::string msg(len, '\0');
            if (!recvAll(fd, msg.data(), len)) return;
            std::vector<std::string> args;
            for (std::size_t i = 0; i < msg.size();) {
                const std::size_t z = msg.find('\0', i);
                args.push_back(msg.substr(i, z - i));
                i = z + 1;
            }
            const RunResult r = runHere(args);
            if (!sendAll(fd, &r, sizeof r)) return;
        }
    }
    int fd_ = -1;
    pid_t pid_ = -1;
};

// The I/O floor of a stage: reads every file it read and writes as many files
// of the sizes it wrote into `scratch` (made afresh, same file system). Seconds.
double ioFloor(const fs::path& work, const std::vector<std::string>& inputs, const std::vector<long long>& outSizes,
               const fs::path& scratch) {
    std::error_code ec;
    fs::remove_all(scratch, ec);
    fs::create_directories(scratch, ec);
    long long biggest = 1;
    for (long long s : outSizes) biggest = std::max(biggest, s);
    std::unique_ptr<char[]> out(new char[static_cast<std::size_t>(biggest)]);
    std::memset(out.get(), 'x', static_cast<std::size_t>(biggest));
    std::unique_ptr<char[]> in(new char[1 << 20]);
    settle(scratch);
    const auto t0 = Clock::now();
    for (const auto& rel : inputs) {
        int fd = open((work / rel).c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) continue;
        while (read(fd, in.get(), 1 << 20) > 0) {
        }
        close(fd);
    }
    std::size_t k = 0;
    for (long long s : outSizes) {
        const std::string name = (scratch / ("f" + std::to_string(k++))).string();
        int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0) continue;
        for (long long done = 0; done < s;) {
            ssize_t n = write(fd, out.get() + done, static_cast<std::size_t>(s - done));
            if (n <= 0) break;
            done += n;
        }
        close(fd);
    }
    const double s = since(t0);
    fs::remove_all(scratch, ec);
    return s;
}

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

long long fileSize(const fs::path& p) {
    std::error_code ec;
    auto s = fs::file_size(p, ec);
    return ec ? 0 : static_cast<long long>(s);
}

std::size_t countFiles(const fs::path& dir) {
    std::error_code ec;
    std::size_t n = 0;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) ++n;
    return n;
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
std::string publishingShare(const std::string& dir) {
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
    char line[128];
    std::snprintf(line, sizeof line, "%-20s %10.3f  of %.3f s of predict run again in process\n", "  publishing writers",
                  publishing, whole);
    return line;
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
    fs::create_directories(hist / kv::dirs::TEKICHU, ec);
    fs::create_directories(hist / kv::dirs::SOKUDO, ec);
    fs::create_directories(hist / kv::dirs::JRACODE, ec);
    fs::copy_file(week / kv::files::CODE_TABLE, hist / kv::files::CODE_TABLE,
                  fs::copy_options::overwrite_existing, ec);
    std::vector<std::string> sources;
    for (fs::directory_iterator it(week / kv::dirs::TEKICHU, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() == 14 + 10 && name.compare(14, 10, kv::suffix::LUP_RCM) == 0) sources.push_back(name.substr(0, 14));
    }
    std::sort(sources.begin(), sources.end());
    if (sources.empty()) {
        std::printf("%-20s %10s  no result day files\n", "history", "-");
        return 1;
    }
    const char* suffixes[] = {kv::suffix::TEKICHU, kv::suffix::LUP_RCM, kv::suffix::KAITEKI, kv::suffix::KAITEKI_PC,
                              kv::suffix::TEKICHU_PC};
    std::size_t days = 0;
    for (int y = 2024; y <= 2028; ++y)
        for (int m = 1; m <= 12; ++m)
            for (int d = 1; d <= 29; d += 7)
                for (int course = 1; course <= 5; ++course) {
                    char key[16];
                    std::snprintf(key, sizeof key, "%04d%02d%02d%02d%02d%02d", y, m, d, course, m % 7 + 1, d % 12 + 1);
                    const std::string& src = sources[days++ % sources.size()];
                    for (const char* suf : suffixes)
                        fs::copy_file(week / kv::dirs::TEKICHU / (src + suf), hist / kv::dirs::TEKICHU / (key + std::string(suf)),
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


struct Stage {
    std::string name;
    std::vector<std::string> args;
    bool road = false;  // one of the road's steps summed at the end
};

struct Figures {
    std::vector<double> seconds, floors;
    long long bytesIn = 0, bytesOut = 0;
    std::size_t created = 0, filesIn = 0, filesOut = 0;
    long peakKb = 0;
    int rc = 0;
    bool watchLost = false;
};

double minOf(const std::vector<double>& v) { return v.empty() ? 0 : *std::min_element(v.begin(), v.end()); }

void printRow(const std::string& name, const Figures& f, const std::string& note) {
    const double med = median(f.seconds), floor = median(f.floors);
    char ratio[32] = "-";
    if (!f.floors.empty() && floor >= 0.001) std::snprintf(ratio, sizeof ratio, "%.1f", med / floor);
    char fl[32] = "-";
    if (!f.floors.empty()) std::snprintf(fl, sizeof fl, "%.3f", floor);
    std::printf("%-20s %8.3f %8.3f %8s %6s %9.1f %9.1f %7zu %8.1f  %s\n", name.c_str(), minOf(f.seconds), med, fl, ratio,
                f.bytesIn / 1e6, f.bytesOut / 1e6, f.created, f.peakKb / 1024.0, note.c_str());
    std::fflush(stdout);
}

struct BenchOptions {
    std::string size = "full", seed = "1", dir;
    bool keep = false;
    int runs = 3, cores = 0;
};

// False (after the usage line) on an unknown argument.
bool parseArgs(int argc, char** argv, BenchOptions& o) {
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--size" && i + 1 < argc) o.size = argv[++i];
        else if (a == "--seed" && i + 1 < argc) o.seed = argv[++i];
        else if (a == "--dir" && i + 1 < argc) o.dir = argv[++i];
        else if (a == "--runs" && i + 1 < argc) o.runs = std::max(1, std::atoi(argv[++i]));
        else if (a == "--cores" && i + 1 < argc) o.cores = std::max(0, std::atoi(argv[++i]));
        else if (a == "--keep") o.keep = true;
        else {
            std::fprintf(stderr,
                         "usage: korivan-bench [--size full|small] [--seed N] [--dir DIR] [--runs N] [--cores N] [--keep]\n");
            return false;
        }
    }
    return true;
}

// Pins this process to the first `cores` cores it may use; the programs it
// starts inherit them. False when it cannot.
bool pinToCores(int cores) {
    cpu_set_t allowed, pinned;
    CPU_ZERO(&pinned);
    if (sched_getaffinity(0, sizeof allowed, &allowed) == 0) {
        int taken = 0;
        for (int c = 0; c < CPU_SETSIZE && taken < cores; ++c)
            if (CPU_ISSET(c, &allowed)) {
                CPU_SET(c, &pinned);
                ++taken;
            }
        if (taken < cores || sched_setaffinity(0, sizeof pinned, &pinned) != 0) {
            std::fprintf(stderr, "korivan-bench: cannot pin to %d cores\n", cores);
            return false;
        }
    }
    return true;
}

// Empties the bench folder and makes its week and start folders. Only a folder
// of an earlier run (or an empty one) is cleared; false for any other.
bool prepareFolder(const fs::path& base, const fs::path& work, const fs::path& snap) {
    std::error_code ec;
    if (!fs::is_empty(base, ec) && !ec && !fs::exists(work / kv::dirs::JVFEED) && !fs::exists(snap)) {
        std::fprintf(stderr, "korivan-bench: %s is not empty and holds no earlier run; choose another folder\n",
                     base.c_str());
        return false;
    }
    ec.clear();
    fs::remove_all(base, ec);
    fs::create_directories(work, ec);
    fs::create_directories(snap, ec);
    return true;
}

std::vector<Stage> weekStages(const std::string& sample, const std::string& cli, const std::string& w,
                              const BenchOptions& o) {
    const std::string& size = o.size;
    const std::string& seed = o.seed;
    return {
        {"sample(prediction)", {sample, "--app-dir", w, "--size", size, "--seed", seed, "--phase", "prediction"}},
        {"startup", {cli, "--app-dir", w, "startup"}},
        {"fetch", {cli, "--app-dir", w, "fetch"}},
        {"structure", {cli, "--app-dir", w, "structure"}, true},
        {"cancel", {cli, "--app-dir", w, "cancel"}},
        {"odds-fetch", {cli, "--app-dir", w, "odds-fetch"}},
        {"odds-fetch-trifecta", {cli, "--app-dir", w, "odds-fetch-trifecta"}},
        {"odds-tables", {cli, "--app-dir", w, "odds-tables"}},
        {"fix-previous-day", {cli, "--app-dir", w, "fix-previous-day"}, true},
        {"calculate", {cli, "--app-dir", w, "calculate"}, true},
        {"predict", {cli, "--app-dir", w, "predict"}, true},
        {"live-results", {cli, "--app-dir", w, "live-results"}},
        {"sample(result)", {sample, "--app-dir", w, "--size", size, "--seed", seed, "--phase", "result"}},
        {"result road", {cli, "--app-dir", w, "run-week"}},
        {"factors(turf)", {cli, "--app-dir", w, "factor-weights", "--turf"}},
        {"factors(dirt)", {cli, "--app-dir", w, "factor-weights", "--dirt"}},
        {"factors(hurdle)", {cli, "--app-dir", w, "factor-weights", "--hurdle"}},
    };
}

// What a stage read (files of the folder before it, not those it wrote itself)
// and what it created or changed, into f; inputList and outSizes for the floor.
void countInOut(const Listing& before, const Listing& after, const std::set<std::string>& inputs, Figures& f,
                std::vector<std::string>& inputList, std::vector<long long>& outSizes) {
    for (const auto& rel : inputs) {
        auto b = before.find(rel);
        if (b == before.end() || b->second.dir) continue;  // read back what it wrote itself
        inputList.push_back(rel);
        f.bytesIn += b->second.size;
    }
    f.filesIn = inputList.size();
    for (const auto& [rel, e] : after) {
        if (e.dir) continue;
        auto b = before.find(rel);
        if (b == before.end()) ++f.created;
        if (b == before.end() || !(b->second == e)) {
            outSizes.push_back(e.size);
            f.bytesOut += e.size;
        }
    }
    f.filesOut = outSizes.size();
}

// The stage's throughput note for a median of s seconds.
std::string throughput(const std::string& name, const fs::path& work, double s) {
    auto per = [&](std::size_t n, const char* unit) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%zu %s, %.0f/s", n, unit, n / (s > 0 ? s : 1e-9));
        return std::string(buf);
    };
    if (name == "fetch") return per(static_cast<std::size_t>(fileSize(work / kv::files::SE) / 555), "runner records");
    if (name == "structure") return per(countFiles(work / kv::dirs::UMAGOTO), "horses");
    if (name == "calculate") return per(countFiles(work / kv::dirs::UMAGOTOEX), "horses");
    if (name == "predict" || name == "result road") return per(countFiles(work / kv::dirs::RACE), "races");
    return std::string();
}

// Runs the week's stages one after the other, each measured; the road's
// steps summed at the end.
class StageBench {
public:
    StageBench(Launcher& launcher, const fs::path& work, const fs::path& snap, const fs::path& scratch, int runs)
        : launcher_(launcher), work_(work), snap_(snap), scratch_(scratch), runs_(runs), before_(listFolder(work)) {}

    double total = 0, roadSeconds = 0, roadFloor = 0;
    int failures = 0;

    void measure(const Stage& st, bool isSample) {
        Figures f;
        // The first run shows what the stage reads and writes; it is not timed
        // with the others. The sample week is the fixture: run and measured once.
        std::set<std::string> inputs;
        {
            ReadWatch watch(work_);
            const RunResult r = launcher_.run(st.args, isSample ? nullptr : &watch);
            f.rc = r.rc;
            f.peakKb = r.peakKb;
            f.watchLost = !isSample && watch.overflowed();
            if (isSample) f.seconds.push_back(r.seconds);
            inputs = watch.files();
        }
        const Listing after = listFolder(work_);
        std::vector<std::string> inputList;
        std::vector<long long> outSizes;
        countInOut(before_, after, inputs, f, inputList, outSizes);
        Hashes manyThreads, oneThread;
        if (!isSample && f.rc == 0) {
            timedRuns(st, inputList, outSizes, f);
            if (st.name == "calculate" || st.name == "predict") compareThreads(st, f, manyThreads, oneThread);
        }
        // Run in this process before the folder is taken as the next stage's start.
        std::string share;
        if (f.rc == 0 && (st.name == "predict" || st.name == "result road")) share = publishingShare(work_.string());
        const Listing done = listFolder(work_);
        advance(work_, snap_, before_, done);
        before_ = done;
        const double s = median(f.seconds);
        total += s;
        if (st.road) {
            roadSeconds += s;
            roadFloor += median(f.floors);
        }
        printRow(st.name, f, note(st.name, s, f, manyThreads, oneThread));
        std::fputs(share.c_str(), stdout);
    }

private:
    // The timed runs, each from the stage's start and after its I/O floor.
    void timedRuns(const Stage& st, const std::vector<std::string>& inputList, const std::vector<long long>& outSizes,
                   Figures& f) {
        for (int k = 0; k < runs_; ++k) {
            f.floors.push_back(ioFloor(work_, inputList, outSizes, scratch_));
            restore(work_, snap_, before_);
            settle(work_);
            const RunResult r = launcher_.run(st.args);
            if (r.rc != 0) f.rc = r.rc;
            f.seconds.push_back(r.seconds);
            f.peakKb = std::max(f.peakKb, r.peakKb);
        }
    }

    // The folder after the last timed run and after one run on one thread.
    void compareThreads(const Stage& st, Figures& f, Hashes& manyThreads, Hashes& oneThread) {
        manyThreads = hashFolder(work_);
        restore(work_, snap_, before_);
        std::vector<std::string> one = st.args;
        one.push_back("--threads=1");
        if (launcher_.run(one).rc != 0) f.rc = 1;
        oneThread = hashFolder(work_);
    }

    // The row's note: throughput, the thread comparison and any failure.
    std::string note(const std::string& name, double s, const Figures& f, const Hashes& manyThreads,
                     const Hashes& oneThread) {
        std::string what = throughput(name, work_, s);
        if (!manyThreads.empty()) {
            const bool same = oneThread == manyThreads;
            what += same ? ", 1 thread = many" : ", 1 thread DIFFERS from many: " + differences(manyThreads, oneThread);
            if (!same) ++failures;
        }
        if (f.watchLost) what += " (reads not all seen)";
        if (f.rc != 0) {
            what += " (exit " + std::to_string(f.rc) + ")";
            ++failures;
        }
        return what;
    }

    Launcher& launcher_;
    const fs::path work_, snap_, scratch_;
    const int runs_;
    Listing before_;
};

}  // namespace

int main(int argc, char** argv) {
    BenchOptions o;
    if (!parseArgs(argc, argv, o)) return 2;
    if (o.cores > 0 && !pinToCores(o.cores)) return 2;
    Launcher launcher;
    if (o.dir.empty()) o.dir = (fs::temp_directory_path() / ("korivan-bench-" + std::to_string(getpid()))).string();
    const fs::path base(o.dir), work = base / "week", snap = base / "start", scratch = base / "floor";
    if (!prepareFolder(base, work, snap)) return 2;

    fs::path bin = exeDir();
    std::string sample = (bin / ".." / "sample" / "korivan-sample").lexically_normal().string();
    std::string cli = (bin / ".." / ".." / "app" / "korivan-cli").lexically_normal().string();
    const std::string w = work.string();

    const std::vector<Stage> stages = weekStages(sample, cli, w, o);
    std::printf("%d runs each%s, folder %s\n", o.runs, o.cores ? (", " + std::to_string(o.cores) + " cores").c_str() : "",
                base.c_str());
    std::printf("%-20s %8s %8s %8s %6s %9s %9s %7s %8s  %s\n", "stage", "min s", "median s", "floor s", "ratio",
                "in MB", "out MB", "created", "peak MB", "throughput");
    StageBench bench(launcher, work, snap, scratch, o.runs);
    for (const Stage& st : stages) bench.measure(st, st.args[0] == sample);
    double total = bench.total;
    std::printf("%-20s %8s %8.3f %8.3f %6.1f\n", "road 2 4 5 6", "", bench.roadSeconds, bench.roadFloor,
                bench.roadFloor > 0 ? bench.roadSeconds / bench.roadFloor : 0.0);
    std::error_code ec;
    fs::remove_all(snap, ec);
    const int failures = bench.failures + benchHistory(work, total);
    std::printf("%-20s %10.3f\n", "total", total);
    raceSelections(w);
    if (!o.keep) fs::remove_all(base, ec);
    else std::printf("files kept in %s\n", w.c_str());
    return failures ? 1 : 0;
}
