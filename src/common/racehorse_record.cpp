#include "common/racehorse_record.h"

#include <algorithm>

namespace kv {

RaceHorseRecord::RaceHorseRecord(std::string_view raw) {
    std::copy_n(raw.data(), std::min(raw.size(), rh::kRecordLength), bytes.data());
}

}  // namespace kv
