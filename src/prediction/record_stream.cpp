#include "prediction/record_stream.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>
#include <vector>

#include "common/fsys.h"

namespace kv::pred {

namespace {
constexpr std::size_t kChunk = 64 * 1024;  // stays in the cache
}

namespace {

// Scans records [first, last) of an open file (or from first to the end of
// the file); returns 0, or the error that stopped the reading.
int scanRecords(int fd, std::size_t recLen, std::size_t first, std::size_t last, bool toEnd,
                 const std::function<void(std::string_view)>& fn) {
    // Whole records per read; a record cut by a short read is completed by the next.
    const std::size_t cap = recLen * (kChunk > recLen ? kChunk / recLen : 1);
    std::string buffer(cap, '\0');
    std::size_t have = 0;
    long long offset = static_cast<long long>(first * recLen);
    const long long end = static_cast<long long>(last * recLen);
    for (;;) {
        std::size_t want = cap - have;
        if (!toEnd) {
            if (offset >= end) break;
            want = std::min<std::size_t>(want, static_cast<std::size_t>(end - offset));
        }
        const ssize_t n = ::pread(fd, buffer.data() + have, want, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno ? errno : EIO;
        if (n == 0) break;
        offset += n;
        have += static_cast<std::size_t>(n);
        std::size_t at = 0;
        for (; at + recLen <= have; at += recLen) fn(std::string_view(buffer.data() + at, recLen));
        if (at > 0 && at < have) std::memmove(buffer.data(), buffer.data() + at, have - at);
        have -= at;
    }
    return 0;
}

}  // namespace

void forEachRecord(const std::string& path, std::size_t recLen, unsigned parts,
                   const std::function<void(unsigned, std::string_view)>& fn) {
    if (recLen == 0) return;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (errno != ENOENT && errno != ENOTDIR) noteUnreadable(path, std::strerror(errno));
        return;
    }
    if (S_ISDIR(st.st_mode)) {
        noteUnreadable(path, "a folder stands where the file belongs");
        return;
    }
    if (!S_ISREG(st.st_mode)) {
        noteUnreadable(path, "not a regular file");
        return;
    }
    const int fd = fsys::openRead(path);
    if (fd < 0) {
        noteUnreadable(path, std::strerror(errno));
        return;
    }
    // Parts of at least a megabyte; the last one reads on to the end of the file.
    const std::size_t count = static_cast<std::size_t>(st.st_size) / recLen;
    const std::size_t perMb = std::max<std::size_t>(1, (1u << 20) / recLen);
    parts = static_cast<unsigned>(std::clamp<std::size_t>(std::min<std::size_t>(parts, count / perMb), 1, 16));
    std::vector<std::size_t> from(parts + 1);
    for (unsigned k = 0; k <= parts; ++k) from[k] = count * k / parts;
    std::vector<int> failed(parts, 0);
    auto scanPart = [&](unsigned k) {
        failed[k] = scanRecords(fd, recLen, from[k], from[k + 1], k + 1 == parts,
                                 [&fn, k](std::string_view rec) { fn(k, rec); });
    };
    std::vector<std::thread> others;
    for (unsigned k = 1; k < parts; ++k) others.emplace_back(scanPart, k);
    scanPart(0);
    for (auto& t : others) t.join();
    for (unsigned k = 0; k < parts; ++k)
        if (failed[k]) {
            noteUnreadable(path, std::strerror(failed[k]));
            break;
        }
    ::close(fd);
}

long long readWholeFile(const std::string& path, std::string& buffer) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0) return -1;
    const int fd = fsys::openRead(path);
    if (fd < 0) {
        noteUnreadable(path, std::strerror(errno));
        return 0;
    }
    const std::size_t want = static_cast<std::size_t>(st.st_size);
    if (buffer.size() < want) buffer.resize(want);
    std::size_t got = 0;
    for (;;) {
        const ssize_t n = ::pread(fd, buffer.data() + got, want - got, static_cast<off_t>(got));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            noteUnreadable(path, std::strerror(errno));
            break;
        }
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
        if (got == want) break;  // the file as long as it was when looked at
    }
    ::close(fd);
    return static_cast<long long>(got);
}

}  // namespace kv::pred
