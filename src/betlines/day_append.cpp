#include "betlines/day_append.h"

#include "common/fsys.h"

namespace kv::bet {

DayFileAppend::DayFileAppend(DayFiles& days, const std::string& key, const std::string& path) {
    const bool first = days.isNew(key);
    days.start(key);
    fd_ = fsys::openWrite(path, first, true);
    failed_ = fd_ < 0;
}

DayFileAppend::~DayFileAppend() {
    if (fd_ >= 0) fsys::closeFile(fd_);
}

bool DayFileAppend::write(std::string_view bytes) {
    if (fd_ < 0) return false;
    if (bytes.empty()) return true;
    if (!fsys::writeAt(fd_, bytes, -1)) {
        failed_ = true;
        return false;
    }
    return true;
}

bool DayFileAppend::close() {
    if (fd_ < 0) return false;
    const bool closed = fsys::closeFile(fd_);
    fd_ = -1;
    return closed && !failed_;
}

}  // namespace kv::bet
