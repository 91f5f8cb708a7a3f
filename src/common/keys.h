// Race and horse keys.
//   RaceId  (16): year(4) monthday(4) racecourse(2) kaiji(2) nichiji(2) race number(2)
//   RaceKey (12): year(4) monthday(4) racecourse(2) race number(2)
//   DayKey  (14): the race id without the race number
//   KettoNum(10): the horse's registration number
#pragma once
#include <string>
#include <string_view>

namespace kv {

inline constexpr std::size_t kRaceIdLen = 16;
inline constexpr std::size_t kRaceKeyLen = 12;
inline constexpr std::size_t kDayKeyLen = 14;
inline constexpr std::size_t kKettoNumLen = 10;

// Missing characters of a short id read as blanks.
std::string raceKeyFromId(std::string_view raceId);
std::string dayKeyFromId(std::string_view raceId);
std::string raceIdOf(std::string_view year, std::string_view monthDay, std::string_view jyo,
                     std::string_view kaiji, std::string_view nichiji, std::string_view raceNum);

}  // namespace kv
