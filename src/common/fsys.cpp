#include "common/fsys.h"

#include "common/appfolder.h"
#include "common/recordcheck.h"

#include <dirent.h>
#include <fcntl.h>
#include <malloc.h>
#include <sched.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <new>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>
#include <thread>

namespace kv {
namespace {

std::mutex gMu;                    // the faults
fsys::Faults gFaults;
bool gFaultsOn = false;
long long gWritten = 0;            // bytes written since the faults were set
constexpr std::size_t kUnreadableCap = 1000;
thread_local FileNotes tOwnNotes;
thread_local FileNotes* tNotes = nullptr;

std::string errText(int e) { return std::strerror(e); }

// Bytes a write may still put down before the injected "no space" (-1: no limit).
long long writeBudget() {
    std::lock_guard<std::mutex> lock(gMu);
    if (!gFaultsOn || gFaults.failWriteAfterBytes < 0) return -1;
    return gFaults.failWriteAfterBytes > gWritten ? gFaults.failWriteAfterBytes - gWritten : 0;
}

void countWritten(std::size_t n) {
    std::lock_guard<std::mutex> lock(gMu);
    if (gFaultsOn) gWritten += static_cast<long long>(n);
}

bool readDenied(const std::string& path) {
    std::lock_guard<std::mutex> lock(gMu);
    return gFaultsOn && !gFaults.denyReadContaining.empty() &&
           path.find(gFaults.denyReadContaining) != std::string::npos;
}

long stopAfterFiles() {
    static const long n = [] {
        const char* v = std::getenv("KV_TEST_STOP_AFTER_FILES");
        return v && *v ? std::atol(v) : -1L;
    }();
    return n;
}

}  // namespace

void FileNotes::noteUnreadable(const std::string& path, const std::string& reason) {
    std::lock_guard<std::mutex> lock(mu_);
    if (unreadable_.size() >= kUnreadableCap || !seen_.insert(path).second) return;
    unreadable_.push_back(path + ": " + reason);
}

std::vector<std::string> FileNotes::unreadable() const {
    std::lock_guard<std::mutex> lock(mu_);
    return unreadable_;
}

void FileNotes::noteDamaged(const DamagedFile& damage) {
    std::lock_guard<std::mutex> lock(mu_);
    for (auto& d : damaged_) {
        if (d.path != damage.path) continue;
        d.records = std::max(d.records, damage.records);
        if (damage.first < d.first) {
            d.first = damage.first;
            d.what = damage.what;
            d.whatEnglish = damage.whatEnglish;
        }
        if (d.action.empty()) d.action = damage.action;
        return;
    }
    if (damaged_.size() < kUnreadableCap) damaged_.push_back(damage);
}

std::vector<DamagedFile> FileNotes::damaged() const {
    std::lock_guard<std::mutex> lock(mu_);
    return damaged_;
}

void FileNotes::clear() {
    std::lock_guard<std::mutex> lock(mu_);
    unreadable_.clear();
    seen_.clear();
    damaged_.clear();
}

FileNotes& currentFileNotes() { return tNotes ? *tNotes : tOwnNotes; }

FileNotesScope::FileNotesScope(FileNotes& notes) : previous_(tNotes) { tNotes = &notes; }
FileNotesScope::~FileNotesScope() { tNotes = previous_; }

void noteUnreadable(const std::string& path, const std::string& reason) {
    currentFileNotes().noteUnreadable(path, reason);
}

std::vector<std::string> unreadableFiles() { return currentFileNotes().unreadable(); }

void clearUnreadableFiles() { currentFileNotes().clear(); }

std::vector<DamagedFile> damagedFiles() { return currentFileNotes().damaged(); }

void noteDamaged(const DamagedFile& damage) { currentFileNotes().noteDamaged(damage); }

namespace {

// What a path holds before it is opened: a regular file of `size` bytes, or
// why it is not readable (status Missing or Unreadable, reason set).
struct Probe {
    ReadStatus status = ReadStatus::Missing;
    std::string reason;
    std::size_t size = 0;
};

Probe probe(const std::string& path) {
    Probe p;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) return p;  // not there
        p.status = ReadStatus::Unreadable;
        p.reason = errText(errno);
    } else if (S_ISDIR(st.st_mode)) {
        p.status = ReadStatus::Unreadable;
        p.reason = "a folder stands where the file belongs";
    } else if (!S_ISREG(st.st_mode)) {
        p.status = ReadStatus::Unreadable;
        p.reason = "not a regular file";
    } else {
        p.status = ReadStatus::Ok;
        p.size = static_cast<std::size_t>(st.st_size);
    }
    return p;
}

// Reads fd to its end into buf (grown through `grow(newSize)`, which returns
// the new start); got is the number of bytes read. False (errno set) on error.
template <typename Grow>
bool readToEnd(int fd, char*& buf, std::size_t& cap, std::size_t& got, Grow grow) {
    got = 0;
    for (;;) {
        if (got == cap) {  // the file grew meanwhile
            cap = got + 65536;
            buf = grow(cap);
        }
        const ssize_t n = ::read(fd, buf + got, cap - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        got += static_cast<std::size_t>(n);
    }
}

// Mappings of files held by FileBytes, so that a file another program cuts
// short under a mapping reads as zero bytes past its end (SIGBUS otherwise).
struct MapSlot {
    std::atomic<std::uintptr_t> begin{0}, end{0};
};
constexpr std::size_t kMapSlots = 4096;
MapSlot gMaps[kMapSlots];
struct sigaction gOldBus {};
std::size_t gPage = 4096;

void onBus(int sig, siginfo_t* si, void* ctx) {
    const auto at = reinterpret_cast<std::uintptr_t>(si->si_addr);
    for (auto& m : gMaps) {
        const std::uintptr_t b = m.begin.load(std::memory_order_acquire), e = m.end.load(std::memory_order_acquire);
        if (b == 0 || at < b || at >= e) continue;
        const std::uintptr_t page = at & ~(static_cast<std::uintptr_t>(gPage) - 1);
        if (::mmap(reinterpret_cast<void*>(page), e - page, PROT_READ, MAP_FIXED | MAP_PRIVATE | MAP_ANONYMOUS, -1, 0) !=
            MAP_FAILED)
            return;  // the access is made again and reads zeros
        break;
    }
    // Not one of ours: whoever handled it before, or the default action.
    if (gOldBus.sa_flags & SA_SIGINFO) {
        if (gOldBus.sa_sigaction) return gOldBus.sa_sigaction(sig, si, ctx);
    } else if (gOldBus.sa_handler != SIG_DFL && gOldBus.sa_handler != SIG_IGN) {
        return gOldBus.sa_handler(sig);
    }
    struct sigaction dfl {};
    dfl.sa_handler = SIG_DFL;
    ::sigaction(SIGBUS, &dfl, nullptr);  // the access faults again, now fatally
}

void installBusGuard() {
    static std::once_flag once;
    std::call_once(once, [] {
        const long ps = ::sysconf(_SC_PAGESIZE);
        if (ps > 0) gPage = static_cast<std::size_t>(ps);
        struct sigaction sa {};
        sa.sa_sigaction = onBus;
        sa.sa_flags = SA_SIGINFO | SA_NODEFER;
        sigemptyset(&sa.sa_mask);
        ::sigaction(SIGBUS, &sa, &gOldBus);
    });
}

MapSlot* takeMapSlot(const void* p, std::size_t len) {
    const auto b = reinterpret_cast<std::uintptr_t>(p);
    for (auto& m : gMaps) {
        std::uintptr_t free = 0;
        if (m.begin.load(std::memory_order_relaxed) == 0 &&
            m.begin.compare_exchange_strong(free, b, std::memory_order_acq_rel)) {
            m.end.store(b + len, std::memory_order_release);
            return &m;
        }
    }
    return nullptr;
}

void releaseMapSlot(const void* p) {
    const auto b = reinterpret_cast<std::uintptr_t>(p);
    for (auto& m : gMaps)
        if (m.begin.load(std::memory_order_acquire) == b) {
            m.end.store(0, std::memory_order_release);
            m.begin.store(0, std::memory_order_release);
            return;
        }
}

// Files from this size on are mapped rather than read.
constexpr std::size_t kMapFrom = 256 * 1024;

}  // namespace

FileRead readFileChecked(const std::string& path) {
    FileView v = readFileView(path);
    FileRead r;
    r.status = v.status;
    r.reason = std::move(v.reason);
    if (v.ok()) r.bytes.assign(v.bytes.data(), v.bytes.size());
    return r;
}

FileBytes::~FileBytes() { reset(); }

FileBytes::FileBytes(FileBytes&& o) noexcept
    : data_(o.data_), size_(o.size_), map_(o.map_), mapLen_(o.mapLen_), heap_(o.heap_) {
    o.data_ = "";
    o.size_ = 0;
    o.map_ = nullptr;
    o.mapLen_ = 0;
    o.heap_ = nullptr;
}

FileBytes& FileBytes::operator=(FileBytes&& o) noexcept {
    if (this != &o) {
        reset();
        std::swap(data_, o.data_);
        std::swap(size_, o.size_);
        std::swap(map_, o.map_);
        std::swap(mapLen_, o.mapLen_);
        std::swap(heap_, o.heap_);
    }
    return *this;
}

void FileBytes::reset() {
    if (map_) {
        releaseMapSlot(map_);
        ::munmap(map_, mapLen_);
    }
    std::free(heap_);
    data_ = "";
    size_ = 0;
    map_ = nullptr;
    mapLen_ = 0;
    heap_ = nullptr;
}

bool fileHolds(const std::string& path, std::string_view bytes) {
    const Probe p = probe(path);
    if (p.status != ReadStatus::Ok || p.size != bytes.size()) return false;
    const int fd = fsys::openRead(path);
    if (fd < 0) return false;
    char buf[64 * 1024];
    std::size_t at = 0;
    bool same = true;
    while (same && at < bytes.size()) {
        const ssize_t n = ::pread(fd, buf, std::min(sizeof buf, bytes.size() - at), static_cast<off_t>(at));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            same = false;
            break;
        }
        same = std::memcmp(buf, bytes.data() + at, static_cast<std::size_t>(n)) == 0;
        at += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return same;
}

FileView readFileView(const std::string& path) {
    FileView r;
    Probe p = probe(path);
    r.status = p.status;
    r.reason = std::move(p.reason);
    if (r.status == ReadStatus::Ok) {
        const int fd = fsys::openRead(path);
        if (fd < 0) {
            r.status = ReadStatus::Unreadable;
            r.reason = errText(errno);
        } else {
            FileBytes& b = r.bytes;
            if (p.size >= kMapFrom) {
                installBusGuard();
                void* m = ::mmap(nullptr, p.size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
                if (m != MAP_FAILED) {
                    if (takeMapSlot(m, p.size)) {
                        b.map_ = m;
                        b.mapLen_ = p.size;
                        b.data_ = static_cast<const char*>(m);
                        b.size_ = p.size;
                    } else {
                        ::munmap(m, p.size);  // every slot taken: read it instead
                    }
                }
            }
            if (!b.map_) {
                std::size_t cap = p.size, got = 0;
                char* buf = static_cast<char*>(std::malloc(cap ? cap : 1));
                bool ok = buf != nullptr;
                if (ok)
                    ok = readToEnd(fd, buf, cap, got, [&buf](std::size_t n) {
                        char* g = static_cast<char*>(std::realloc(buf, n));
                        if (!g) throw std::bad_alloc();
                        return buf = g;
                    });
                b.heap_ = buf;
                b.data_ = buf ? buf : "";
                b.size_ = ok ? got : 0;
                if (!ok) {
                    r.status = ReadStatus::Unreadable;
                    r.reason = errText(buf ? errno : ENOMEM);
                }
            }
            ::close(fd);
        }
    }
    if (r.status == ReadStatus::Unreadable) {
        r.bytes.reset();
        noteUnreadable(path, r.reason);
    }
    if (r.ok()) checkFileBytes(path, r.bytes.view());
    return r;
}

unsigned usableCores() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0) return static_cast<unsigned>(CPU_COUNT(&set));
    return std::max(1u, std::thread::hardware_concurrency());
}

void tuneMemoryForBulkWork() {
    // Big blocks come from the heap and stay there when freed: the next file
    // read or built reuses pages already faulted in.
    ::mallopt(M_MMAP_THRESHOLD, 256 * 1024 * 1024);
    ::mallopt(M_TRIM_THRESHOLD, 512 * 1024 * 1024);
    ::mallopt(M_TOP_PAD, 16 * 1024 * 1024);
}

std::string tempNameFor(const std::string& path) {
    static std::atomic<unsigned long> counter{0};
    return path + suffix::TEMP + std::to_string(static_cast<long>(::getpid())) + "_" + std::to_string(counter++);
}

int removeStaleTemps(const std::string& dir, const std::vector<std::string>& names) {
    DIR* d = ::opendir(dir.c_str());
    if (!d) return 0;
    int removed = 0;
    const long self = static_cast<long>(::getpid());
    std::vector<std::string> victims;
    while (dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        const std::size_t at = name.rfind(suffix::TEMP);
        if (at == std::string::npos || at == 0) continue;
        // "<base>.tmp<pid>_<n>" exactly.
        const std::string tail = name.substr(at + std::strlen(suffix::TEMP));
        const std::size_t us = tail.find('_');
        if (us == std::string::npos || us == 0 || us + 1 == tail.size()) continue;
        if (tail.find_first_not_of("0123456789_") != std::string::npos || tail.find('_', us + 1) != std::string::npos)
            continue;
        const std::string base = name.substr(0, at);
        if (!names.empty()) {
            bool listed = false;
            for (const auto& n : names) listed = listed || n == base;
            if (!listed) continue;
        }
        const long pid = std::atol(tail.substr(0, us).c_str());
        if (pid == self) continue;                          // one of ours, maybe in flight
        if (pid > 0 && ::kill(static_cast<pid_t>(pid), 0) == 0) continue;  // its writer still runs
        victims.push_back(name);
    }
    ::closedir(d);
    for (const auto& v : victims) {
        const std::string p = dir.empty() || dir.back() == '/' ? dir + v : dir + "/" + v;
        if (::unlink(p.c_str()) == 0) ++removed;
    }
    return removed;
}

namespace fsys {

void setFaults(const Faults& f) {
    std::lock_guard<std::mutex> lock(gMu);
    gFaults = f;
    gFaultsOn = true;
    gWritten = 0;
}

void clearFaults() {
    std::lock_guard<std::mutex> lock(gMu);
    gFaults = Faults{};
    gFaultsOn = false;
    gWritten = 0;
}

int openRead(const std::string& path) {
    if (readDenied(path)) {
        errno = EACCES;
        return -1;
    }
    int fd;
    do fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    return fd;
}

int openWrite(const std::string& path, bool truncate, bool append) {
    int flags = O_WRONLY | O_CREAT | O_CLOEXEC;
    if (truncate) flags |= O_TRUNC;
    if (append) flags |= O_APPEND;
    if (!truncate && !append) flags = (flags & ~O_WRONLY) | O_RDWR;
    int fd;
    do fd = ::open(path.c_str(), flags, 0644);
    while (fd < 0 && errno == EINTR);
    return fd;
}

bool writeAt(int fd, std::string_view bytes, long long offset) {
    const long long budget = writeBudget();
    std::string_view todo = bytes;
    bool full = false;
    if (budget >= 0 && static_cast<long long>(todo.size()) > budget) {
        todo = todo.substr(0, static_cast<std::size_t>(budget));
        full = true;
    }
    std::size_t done = 0;
    while (done < todo.size()) {
        const ssize_t n = offset < 0 ? ::write(fd, todo.data() + done, todo.size() - done)
                                     : ::pwrite(fd, todo.data() + done, todo.size() - done,
                                                static_cast<off_t>(offset + static_cast<long long>(done)));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            countWritten(done);
            if (n == 0) errno = ENOSPC;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    countWritten(done);
    if (full) {
        errno = ENOSPC;
        return false;
    }
    return true;
}

bool closeFile(int fd) { return ::close(fd) == 0; }

bool renameFile(const std::string& from, const std::string& to) {
    {
        std::lock_guard<std::mutex> lock(gMu);
        if (gFaultsOn && gFaults.failRename) {
            errno = EIO;
            return false;
        }
    }
    return ::rename(from.c_str(), to.c_str()) == 0;
}

int openUnnamed(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string(".") : slash == 0 ? std::string("/") : path.substr(0, slash);
    int fd;
    do fd = ::open(dir.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0644);
    while (fd < 0 && errno == EINTR);
    return fd;
}

bool linkNew(int fd, const std::string& path) {
    {
        std::lock_guard<std::mutex> lock(gMu);
        if (gFaultsOn && gFaults.failRename) {  // putting a file in place fails
            errno = EIO;
            return false;
        }
    }
    char proc[64];
    std::snprintf(proc, sizeof proc, "/proc/self/fd/%d", fd);
    if (::linkat(AT_FDCWD, proc, AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0) return true;
    if (errno != ENOENT) return false;  // EEXIST among them
    return ::linkat(fd, "", AT_FDCWD, path.c_str(), AT_EMPTY_PATH) == 0;  // no /proc
}

void filePlaced() {
    static std::atomic<long> placed{0};
    const long stop = stopAfterFiles();
    if (stop >= 0 && ++placed >= stop) ::_exit(86);
}

}  // namespace fsys
}  // namespace kv
