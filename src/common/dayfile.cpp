#include "common/dayfile.h"

#include "common/recordfile.h"

namespace kv {

bool DayFiles::write(const std::string& key, const std::string& path, std::string_view bytes) {
    bool first = isNew(key);
    seen_.insert(key);
    last_ = key;
    if (first && !truncateFile(path)) return false;
    return appendFileBytes(path, bytes);
}

}  // namespace kv
