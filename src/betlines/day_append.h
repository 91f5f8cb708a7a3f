// One race's writes to a day file of a kv::DayFiles set through a single
// open: the first race of a key in the run creates (empties) the file, every
// later race appends. The writes go to the file's temporary file, which the
// set puts in place when the run ends; a write that fails keeps the file as
// it was. The file is closed when this goes.
#pragma once
#include <string>
#include <string_view>

#include "common/dayfile.h"

namespace kv::bet {

class DayFileAppend {
public:
    // Opens path for the key (the key counts as started even when the open fails).
    DayFileAppend(DayFiles& days, const std::string& key, const std::string& path);
    ~DayFileAppend();
    DayFileAppend(const DayFileAppend&) = delete;
    DayFileAppend& operator=(const DayFileAppend&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    // Appends bytes; false when the file is not open or the write fails.
    bool write(std::string_view bytes);
    // Closes the file; false when it was not open, a write failed or the close fails.
    bool close();

private:
    DayFiles& days_;
    std::string path_;
    int fd_ = -1;
    bool failed_ = false;
};

}  // namespace kv::bet
