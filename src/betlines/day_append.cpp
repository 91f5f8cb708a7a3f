#include "betlines/day_append.h"

#include "common/fsys.h"

namespace kv::bet {

DayFileAppend::DayFileAppend(DayFiles& days, const std::string& key, const std::string& path)
    : days_(days), path_(path), fd_(days.openAppend(key, path)), failed_(fd_ < 0) {}

DayFileAppend::~DayFileAppend() {
    if (fd_ >= 0 && !fsys::closeFile(fd_)) failed_ = true;
    if (failed_) days_.noteFailed(path_);
}

bool DayFileAppend::write(std::string_view bytes) {
    if (fd_ < 0) return false;
    if (bytes.empty()) return true;
    if (!fsys::writeAt(fd_, bytes, -1)) {
        failed_ = true;
        days_.noteFailed(path_);
        return false;
    }
    return true;
}

bool DayFileAppend::close() {
    if (fd_ < 0) return false;
    if (!fsys::closeFile(fd_)) failed_ = true;
    fd_ = -1;
    if (failed_) days_.noteFailed(path_);
    return !failed_;
}

}  // namespace kv::bet
