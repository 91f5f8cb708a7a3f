#include "history/day_items.h"

#include "common/codec.h"
#include "common/recordfile.h"

namespace kv::history {

DayItems::DayItems(const std::string& path) : reader_(std::string_view()) {
    if (auto bytes = readFileBytes(path)) {
        bytes_ = std::move(*bytes);
        found_ = true;
    }
    reader_ = InputReader(bytes_);
}

std::string DayItems::nextText() { return text(next()); }

std::string text(std::string_view item) { return fromCp932(item); }

}  // namespace kv::history
