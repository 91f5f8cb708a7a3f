#include "prediction/record_stream.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/fsys.h"

namespace kv::pred {

namespace {
constexpr std::size_t kChunk = 64 * 1024;  // stays in the cache
}

void forEachRecord(const std::string& path, std::size_t recLen, std::string& buffer,
                   const std::function<void(std::string_view)>& fn) {
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
    // Whole records per read; a record cut by a short read is completed by the next.
    const std::size_t cap = recLen * (kChunk > recLen ? kChunk / recLen : 1);
    if (buffer.size() < cap) buffer.resize(cap);
    std::size_t have = 0;
    long long offset = 0;
    for (;;) {
        const ssize_t n = ::pread(fd, buffer.data() + have, cap - have, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            noteUnreadable(path, std::strerror(errno));
            break;
        }
        if (n == 0) break;
        offset += n;
        have += static_cast<std::size_t>(n);
        std::size_t at = 0;
        for (; at + recLen <= have; at += recLen) fn(std::string_view(buffer.data() + at, recLen));
        if (at > 0 && at < have) std::memmove(buffer.data(), buffer.data() + at, have - at);
        have -= at;
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
