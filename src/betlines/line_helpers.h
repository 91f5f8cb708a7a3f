// Small helpers shared by the line writers of this folder.
#pragma once
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "betlines/combo_text.h"
#include "common/numbers.h"
#include "common/racehorse_record.h"

namespace kv::bet {

// Two characters of a key (characters i*2+1 and i*2+2), clipped at its end.
inline std::string keyPart(std::string_view key, std::size_t i) {
    const std::size_t pos = 2 * i;
    return pos < key.size() ? std::string(key.substr(pos, 2)) : std::string();
}

// A two-character horse number part in two-place form (" 7", "12").
inline std::string horseText(std::string_view part) {
    return TwoPlace(wholeNumber(part, std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max()));
}

// Slot-0 members of the race's race-horse record (raw bytes).
inline std::string raceIdOf(const RaceHorseRecord& rec) { return rec.get(rh::RaceId.at(0)); }
inline std::string torokuTosuOf(const RaceHorseRecord& rec) { return rec.get(rh::TorokuTosu.at(0)); }
inline std::string raceNumOf(const RaceHorseRecord& rec) { return raceIdOf(rec).substr(14, 2); }

}  // namespace kv::bet
