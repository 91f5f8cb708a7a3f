// Pieces shared by the race-card, race text and eleven-column day files.
#pragma once
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "prediction/window_state.h"

namespace kv::racefiles {

// "RC" and columns 1 to 11 of the race's row; in result mode one more, empty, item.
std::string syosaiRcLine(const pred::SyosaiRow& row, bool resultMode);

// A speed in metres per minute as the race card prints it: a blank in front,
// the last four characters kept (58.5 -> " 974", 61.0 -> "1016", 0 -> " 0").
std::string speedText(float kmh);

// Entry i of a per-horse array; an index outside it throws std::out_of_range.
const std::string& horseCell(const std::vector<std::string>& v, int i);
// Entry i (0 to 18) of a fixed per-horse table; anything else throws.
const std::string& fixedCell(const std::array<std::string, 19>& v, int i);

// Calls f(r, h) for the race's horses in predicted order: for r = 1 to
// HorseCount, every horse number h whose predicted rank reads as r, in horse
// number order. A rank that is not a number throws when the loop reaches it.
void forEachInPredictedOrder(const pred::WindowState& st, const std::function<void(int, int)>& f);

// The race's 16-character race id (slot 0 of the race-horse record) and its DayKey.
std::string raceIdOf(const pred::WindowState& st);
inline std::string dayKeyOf(const std::string& raceId) { return raceId.substr(0, 14); }

}  // namespace kv::racefiles
