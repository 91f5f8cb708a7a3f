#include "common/recordfile.h"

#include "common/recordcheck.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>

#include "common/parallel.h"

namespace fs = std::filesystem;

namespace kv {
namespace {

// Size of a regular file; -1 when missing. A folder (or anything else that is
// not a file) where a file belongs, or a file that cannot be examined, is
// noted as unreadable when `note` is set.
long long statSize(const std::string& path, bool note) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (note && errno != ENOENT && errno != ENOTDIR) noteUnreadable(path, std::strerror(errno));
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        if (note) noteUnreadable(path, S_ISDIR(st.st_mode) ? "a folder stands where the file belongs" : "not a regular file");
        return -1;
    }
    return static_cast<long long>(st.st_size);
}

// Reads len bytes at offset; fewer at the end of the file. nullopt when the
// file cannot be opened or read (noted when it is there).
std::optional<std::string> readAt(const std::string& path, long long offset, std::size_t len) {
    const int fd = fsys::openRead(path);
    if (fd < 0) {
        if (errno != ENOENT && errno != ENOTDIR) noteUnreadable(path, std::strerror(errno));
        return std::nullopt;
    }
    std::string buf(len, '\0');
    std::size_t got = 0;
    while (got < len) {
        const ssize_t n = ::pread(fd, buf.data() + got, len - got, static_cast<off_t>(offset + static_cast<long long>(got)));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            noteUnreadable(path, std::strerror(errno));
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    buf.resize(got);
    return buf;
}

std::string fitted(std::string_view rec, std::size_t len) {
    std::string data(rec.substr(0, std::min(rec.size(), len)));
    data.resize(len, ' ');
    return data;
}

}  // namespace

std::optional<std::string> readFileBytes(const std::string& path) {
    FileRead r = readFileChecked(path);
    if (!r.ok()) return std::nullopt;
    return std::move(r.bytes);
}

bool placeFile(const std::string& tmp, const std::string& path) {
    if (!fsys::renameFile(tmp, path)) {
        ::unlink(tmp.c_str());
        return false;
    }
    fsys::filePlaced();
    return true;
}

bool writeFileAtomic(const std::string& path, std::string_view bytes) {
    // A file with no name yet, linked under its name when written: one name
    // operation for a new file, and nothing left behind by a kill.
    // An old file is replaced by rename (below); looking first spares a
    // link that would fail.
    struct stat st {};
    const bool replacing = ::lstat(path.c_str(), &st) == 0;
    const int unnamed = replacing ? -1 : fsys::openUnnamed(path);
    if (unnamed >= 0) {
        if (!fsys::writeAt(unnamed, bytes, -1)) {
            fsys::closeFile(unnamed);
            return false;
        }
        if (fsys::linkNew(unnamed, path)) {
            if (!fsys::closeFile(unnamed)) {
                ::unlink(path.c_str());  // it was new: nothing of the old state is lost
                return false;
            }
            fsys::filePlaced();
            return true;
        }
        if (errno == EEXIST) {  // an old file is replaced: linked under a temporary name, renamed over it
            const std::string tmp = tempNameFor(path);
            const bool linked = fsys::linkNew(unnamed, tmp);
            const bool closed = fsys::closeFile(unnamed);
            if (linked && !closed) ::unlink(tmp.c_str());
            if (!linked || !closed) return false;
            return placeFile(tmp, path);
        }
        fsys::closeFile(unnamed);  // no link here: the named way below
    }
    const std::string tmp = tempNameFor(path);
    const int fd = fsys::openWrite(tmp, true, false);
    if (fd < 0) return false;
    bool ok = fsys::writeAt(fd, bytes, -1);
    if (!fsys::closeFile(fd)) ok = false;
    if (!ok) {
        ::unlink(tmp.c_str());
        return false;
    }
    return placeFile(tmp, path);
}

bool appendFileBytes(const std::string& path, std::string_view bytes) {
    const int fd = fsys::openWrite(path, false, true);
    if (fd < 0) return false;
    bool ok = fsys::writeAt(fd, bytes, -1);
    if (!fsys::closeFile(fd)) ok = false;
    return ok;
}

bool truncateFile(const std::string& path) {
    const int fd = fsys::openWrite(path, true, false);
    if (fd < 0) return false;
    return fsys::closeFile(fd);
}

bool fileExists(const std::string& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

bool dirExists(const std::string& path) {
    std::error_code ec;
    return fs::is_directory(path, ec);
}

bool makeDirs(const std::string& path) {
    std::error_code ec;
    fs::create_directories(path, ec);
    return dirExists(path);
}

bool removeFile(const std::string& path) {
    std::error_code ec;
    fs::remove(path, ec);
    return !fs::exists(path, ec);
}

long long fileSize(const std::string& path) { return statSize(path, false); }

namespace {

std::vector<std::string> namesIn(const std::string& dir, bool filesOnly) {
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(dir, ec);
    if (ec && ec != std::errc::no_such_file_or_directory && ec != std::errc::not_a_directory)
        noteUnreadable(dir, ec.message());
    for (fs::directory_iterator end; !ec && it != end; it.increment(ec)) {
        std::error_code ec2;
        if (!filesOnly || it->is_regular_file(ec2)) names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

std::vector<std::string> listFiles(const std::string& dir) { return namesIn(dir, true); }

std::vector<std::string> listNames(const std::string& dir) { return namesIn(dir, false); }

bool RecordFileWriter::open() {
    close();
    fd_ = fsys::openWrite(path_, false, false);
    return fd_ >= 0;
}

bool RecordFileWriter::flush() {
    if (pending_.empty()) return true;
    const bool ok = fd_ >= 0 && fsys::writeAt(fd_, pending_, pendingAt_);
    pending_.clear();
    return ok;
}

bool RecordFileWriter::write(std::size_t n, std::string_view rec) {
    if (fd_ < 0 || n == 0) {
        ++failures_;
        return false;
    }
    const long long at = static_cast<long long>((n - 1) * len_);
    if (!pending_.empty() && at != pendingAt_ + static_cast<long long>(pending_.size())) {
        if (!flush()) ++failures_;  // counted once for the records held back
    }
    if (pending_.empty()) pendingAt_ = at;
    pending_ += fitted(rec, len_);
    if (pending_.size() >= (1u << 20) && !flush()) {
        ++failures_;
        return false;
    }
    return true;
}

bool RecordFileWriter::truncate(std::size_t records) {
    pending_.clear();
    if (fd_ < 0) return false;
    return ::ftruncate(fd_, static_cast<off_t>(records * len_)) == 0;
}

void RecordFileWriter::close() {
    if (fd_ < 0) return;
    if (!flush()) ++failures_;  // buffered records did not reach the disk
    if (!fsys::closeFile(fd_)) ++failures_;
    fd_ = -1;
}

StagedFile::StagedFile(std::string path) : path_(std::move(path)), tmp_(tempNameFor(path_)) {
    if (!truncateFile(tmp_)) ++failures_;
}

StagedFile::~StagedFile() {
    if (!done_) ::unlink(tmp_.c_str());
}

bool StagedFile::append(std::string_view bytes) {
    if (done_ || !appendFileBytes(tmp_, bytes)) {
        ++failures_;
        return false;
    }
    return true;
}

bool StagedFile::restart() {
    if (done_ || !truncateFile(tmp_)) {
        ++failures_;
        return false;
    }
    return true;
}

bool StagedFile::commit() {
    if (done_) return false;
    done_ = true;
    if (failures_ > 0) {
        ::unlink(tmp_.c_str());
        return false;
    }
    if (!placeFile(tmp_, path_)) {
        ++failures_;
        return false;
    }
    return true;
}

bool StagedFile::abandon(bool emptyFinal) {
    if (!done_) ::unlink(tmp_.c_str());
    done_ = true;
    if (emptyFinal && !truncateFile(path_)) {
        ++failures_;
        return false;
    }
    return true;
}

std::vector<std::string> splitRecords(std::string_view bytes, std::size_t len) {
    std::vector<std::string> recs;
    if (len == 0) return recs;
    std::size_t n = bytes.size() / len;
    recs.reserve(n);
    for (std::size_t i = 0; i < n; ++i) recs.emplace_back(bytes.substr(i * len, len));
    return recs;
}

std::size_t RecordFile::count() const {
    long long s = statSize(path_, true);
    return (s <= 0 || len_ == 0) ? 0 : static_cast<std::size_t>(s) / len_;
}

std::vector<std::string> RecordFile::readAll() const {
    FileView f = readFileView(path_);
    if (!f.ok()) return {};
    checkRecordFile(path_, f.bytes.view(), len_);
    return splitRecords(f.bytes.view(), len_);
}

RecordView RecordFile::view() const {
    FileView f = readFileView(path_);
    if (!f.ok()) return {};
    checkRecordFile(path_, f.bytes.view(), len_);
    return RecordView(std::move(f.bytes), len_);
}

std::optional<std::string> RecordFile::read(std::size_t n) const {
    if (n == 0 || len_ == 0 || n > count()) return std::nullopt;
    auto rec = readAt(path_, static_cast<long long>((n - 1) * len_), len_);
    if (!rec || rec->size() != len_) return std::nullopt;
    DamageTally t(path_, len_);
    t.check(n, *rec);
    t.note();
    return rec;
}

std::vector<std::string> RecordFile::readRange(std::size_t first, std::size_t last) const {
    std::vector<std::string> out;
    if (first < 1 || last < first || len_ == 0) return out;
    const long long size = statSize(path_, true);
    if (size < 0) return out;
    auto buf = readAt(path_, static_cast<long long>((first - 1) * len_), (last - first + 1) * len_);
    if (!buf) return out;
    out = splitRecords(*buf, len_);
    DamageTally t(path_, len_);
    for (std::size_t i = 0; i < out.size(); ++i) t.check(first + i, out[i]);
    t.checkLength(size);
    t.note();
    return out;
}

bool RecordFile::write(std::size_t n, std::string_view rec) const {
    if (n == 0) return false;
    const int fd = fsys::openWrite(path_, false, false);
    if (fd < 0) return false;
    bool ok = fsys::writeAt(fd, fitted(rec, len_), static_cast<long long>((n - 1) * len_));
    if (!fsys::closeFile(fd)) ok = false;
    return ok;
}

bool RecordFile::append(std::string_view rec) const { return write(count() + 1, rec); }

bool RecordFile::writeAll(const std::vector<std::string>& recs) const {
    std::string data;
    data.reserve(recs.size() * len_);
    for (const auto& r : recs) data += fitted(r, len_);
    return writeFileAtomic(path_, data);
}

bool RecordFile::appendAll(const std::vector<std::string>& recs) const {
    if (recs.empty()) return true;
    const FileView old = readFileView(path_);
    if (old.status == ReadStatus::Unreadable || len_ == 0) return false;
    const std::size_t keep = old.bytes.size() / len_ * len_;
    std::string data;
    data.reserve(keep + recs.size() * len_);
    data.append(old.bytes.data(), keep);
    for (const auto& r : recs) data += fitted(r, len_);
    return writeFileAtomic(path_, data);
}

namespace {

constexpr std::size_t kChunk = 64 * 1024;  // stays in the cache

// Scans records [first, last) of an open file (or from first to the end of
// the file); returns 0, or the error that stopped the reading.
int scanPart(int fd, std::size_t recLen, std::size_t first, std::size_t last, bool toEnd,
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

ReadStatus scanRecords(const std::string& path, std::size_t recLen, unsigned parts,
                       const std::function<void(unsigned, std::string_view)>& fn) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) return ReadStatus::Missing;
        noteUnreadable(path, std::strerror(errno));
        return ReadStatus::Unreadable;
    }
    if (S_ISDIR(st.st_mode)) {
        noteUnreadable(path, "a folder stands where the file belongs");
        return ReadStatus::Unreadable;
    }
    if (!S_ISREG(st.st_mode)) {
        noteUnreadable(path, "not a regular file");
        return ReadStatus::Unreadable;
    }
    const int fd = fsys::openRead(path);
    if (fd < 0) {
        noteUnreadable(path, std::strerror(errno));
        return ReadStatus::Unreadable;
    }
    if (recLen == 0) {
        ::close(fd);
        return ReadStatus::Ok;
    }
    // Parts of at least a megabyte; the last one reads on to the end of the file.
    const std::size_t count = static_cast<std::size_t>(st.st_size) / recLen;
    const std::size_t perMb = std::max<std::size_t>(1, (1u << 20) / recLen);
    parts = static_cast<unsigned>(std::clamp<std::size_t>(std::min<std::size_t>(parts, count / perMb), 1, 16));
    std::vector<std::size_t> from(parts + 1);
    for (unsigned k = 0; k <= parts; ++k) from[k] = count * k / parts;
    std::vector<int> failed(parts, 0);
    std::vector<DamageTally> damage(parts, DamageTally(path, recLen));
    // Each part on its own thread.
    orderedForEach(parts, parts, [&](std::size_t at, unsigned) {
        const auto k = static_cast<unsigned>(at);
        std::size_t n = from[k];
        DamageTally& tally = damage[k];
        failed[k] = scanPart(fd, recLen, from[k], from[k + 1], k + 1 == parts, [&fn, &tally, &n, k](std::string_view rec) {
            tally.check(++n, rec);
            fn(k, rec);
        });
    });
    ::close(fd);
    for (unsigned k = 1; k < parts; ++k) damage[0].add(damage[k]);
    damage[0].checkLength(static_cast<long long>(st.st_size));
    damage[0].note();
    for (unsigned k = 0; k < parts; ++k)
        if (failed[k]) {
            noteUnreadable(path, std::strerror(failed[k]));
            return ReadStatus::Unreadable;
        }
    return ReadStatus::Ok;
}

long long readFileInto(const std::string& path, std::string& buffer) {
    // Something that is not a file where the file belongs is noted as other readers note it.
    const long long size = statSize(path, true);
    if (size <= 0) return -1;
    const int fd = fsys::openRead(path);
    if (fd < 0) {
        noteUnreadable(path, std::strerror(errno));
        return 0;
    }
    const std::size_t want = static_cast<std::size_t>(size);
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
    checkFileBytes(path, std::string_view(buffer.data(), got));
    return static_cast<long long>(got);
}

}  // namespace kv
