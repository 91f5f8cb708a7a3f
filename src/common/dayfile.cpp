#include "common/dayfile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "common/fsys.h"
#include "common/recordfile.h"

namespace kv {

DayFiles::~DayFiles() { discard(); }

DayFiles::Staged* DayFiles::staged(const std::string& path) {
    for (Staged& s : staged_)
        if (s.path == path) return &s;
    return nullptr;
}

DayFiles::Staged& DayFiles::stage(const std::string& path, bool fresh) {
    if (Staged* s = staged(path)) {
        if (fresh && !truncateFile(s->tmp)) s->failed = true;
        return *s;
    }
    staged_.push_back({path, tempNameFor(path)});
    Staged& s = staged_.back();
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        s.failed = s.blocked = true;  // it could never be put in place
        return s;
    }
    if (fresh) {
        s.failed = !truncateFile(s.tmp);
    } else {
        // A key started before the last place(): its file goes on from what it holds.
        const FileRead old = readFileChecked(path);
        s.failed = old.status == ReadStatus::Unreadable || !truncateFile(s.tmp) || !appendFileBytes(s.tmp, old.bytes);
    }
    return s;
}

int DayFiles::openAppend(const std::string& key, const std::string& path) {
    const bool first = isNew(key);
    start(key);
    Staged& s = stage(path, first);
    if (s.blocked) {
        errno = EISDIR;
        return -1;
    }
    const int fd = fsys::openWrite(s.tmp, false, true);
    if (fd < 0) s.failed = true;
    return fd;
}

void DayFiles::noteFailed(const std::string& path) {
    if (Staged* s = staged(path)) s->failed = true;
}

bool DayFiles::write(const std::string& key, const std::string& path, std::string_view bytes) {
    const int fd = openAppend(key, path);
    if (fd < 0) return false;
    bool ok = fsys::writeAt(fd, bytes, -1);
    if (!fsys::closeFile(fd)) ok = false;
    if (!ok) noteFailed(path);
    return ok;
}

bool DayFiles::replace(const std::string& key, const std::string& path, std::string_view bytes) {
    start(key);
    Staged* s = staged(path);
    if (!s) {
        staged_.push_back({path, tempNameFor(path)});
        s = &staged_.back();
    }
    // Each version is whole: an earlier failed one no longer matters.
    s->failed = !truncateFile(s->tmp) || !appendFileBytes(s->tmp, bytes);
    return !s->failed;
}

std::vector<std::string> DayFiles::place() {
    std::vector<std::string> notPlaced;
    for (const Staged& s : staged_) {
        if (s.failed) {
            ::unlink(s.tmp.c_str());
            notPlaced.push_back(s.path);
        } else if (!placeFile(s.tmp, s.path)) {
            notPlaced.push_back(s.path);
        }
    }
    staged_.clear();
    return notPlaced;
}

void DayFiles::discard() {
    for (const Staged& s : staged_) ::unlink(s.tmp.c_str());
    staged_.clear();
}

}  // namespace kv
