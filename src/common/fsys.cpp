#include "common/fsys.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>

namespace kv {
namespace {

std::mutex gMu;                    // faults and the unreadable list
fsys::Faults gFaults;
bool gFaultsOn = false;
long long gWritten = 0;            // bytes written since the faults were set
std::vector<std::string> gUnreadable;
std::set<std::string> gUnreadableSeen;
constexpr std::size_t kUnreadableCap = 1000;

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

void noteUnreadable(const std::string& path, const std::string& reason) {
    std::lock_guard<std::mutex> lock(gMu);
    if (gUnreadable.size() >= kUnreadableCap || !gUnreadableSeen.insert(path).second) return;
    gUnreadable.push_back(path + ": " + reason);
}

std::vector<std::string> unreadableFiles() {
    std::lock_guard<std::mutex> lock(gMu);
    return gUnreadable;
}

void clearUnreadableFiles() {
    std::lock_guard<std::mutex> lock(gMu);
    gUnreadable.clear();
    gUnreadableSeen.clear();
}

FileRead readFileChecked(const std::string& path) {
    FileRead r;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) return r;  // not there
        r.status = ReadStatus::Unreadable;
        r.reason = errText(errno);
    } else if (S_ISDIR(st.st_mode)) {
        r.status = ReadStatus::Unreadable;
        r.reason = "a folder stands where the file belongs";
    } else if (!S_ISREG(st.st_mode)) {
        r.status = ReadStatus::Unreadable;
        r.reason = "not a regular file";
    } else {
        const int fd = fsys::openRead(path);
        if (fd < 0) {
            r.status = ReadStatus::Unreadable;
            r.reason = errText(errno);
        } else {
            r.bytes.resize(static_cast<std::size_t>(st.st_size));
            std::size_t got = 0;
            for (;;) {
                if (got == r.bytes.size()) r.bytes.resize(got + 65536);  // the file grew meanwhile
                const ssize_t n = ::read(fd, r.bytes.data() + got, r.bytes.size() - got);
                if (n < 0 && errno == EINTR) continue;
                if (n < 0) {
                    r.status = ReadStatus::Unreadable;
                    r.reason = errText(errno);
                    break;
                }
                if (n == 0) {
                    r.status = ReadStatus::Ok;
                    break;
                }
                got += static_cast<std::size_t>(n);
            }
            r.bytes.resize(got);
            ::close(fd);
        }
    }
    if (r.status == ReadStatus::Unreadable) {
        r.bytes.clear();
        noteUnreadable(path, r.reason);
    }
    return r;
}

std::string tempNameFor(const std::string& path) {
    static std::atomic<unsigned long> counter{0};
    return path + ".tmp" + std::to_string(static_cast<long>(::getpid())) + "_" + std::to_string(counter++);
}

int removeStaleTemps(const std::string& dir, const std::vector<std::string>& names) {
    DIR* d = ::opendir(dir.c_str());
    if (!d) return 0;
    int removed = 0;
    const long self = static_cast<long>(::getpid());
    std::vector<std::string> victims;
    while (dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        const std::size_t at = name.rfind(".tmp");
        if (at == std::string::npos || at == 0) continue;
        // "<base>.tmp<pid>_<n>" exactly.
        const std::string tail = name.substr(at + 4);
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

void filePlaced() {
    static std::atomic<long> placed{0};
    const long stop = stopAfterFiles();
    if (stop >= 0 && ++placed >= stop) ::_exit(86);
}

}  // namespace fsys
}  // namespace kv
