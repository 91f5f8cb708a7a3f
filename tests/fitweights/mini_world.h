// A small synthetic racing history for the weight-fitting tests: horses with a
// hidden ability race on turf, dirt and hurdle tracks over 18 months; their
// times, final-section times, placings, margins, odds and prizes follow from
// the ability plus noise. A week of entries (no results) follows the history.
#pragma once
#include <utility>
#include <map>
#include <cstdint>
#include <string>
#include <vector>

#include "fitweights.h"

namespace kvtest {

struct MiniWeekHorse {
    std::string ketto;
    double ability = 0;
    std::string raceKey;                 // the week race (12 characters)
    std::vector<std::string> runs;       // past runner records and the entry last
};

struct MiniWorld {
    kv::fit::History history;
    std::vector<std::string> weekRaces;  // race records of the week (data kind "2")
    std::vector<MiniWeekHorse> week;
};

MiniWorld makeMiniWorld(std::uint64_t seed, int horses = 360);

// Pearson correlation of (predicted speed, ability) pairs, each taken relative
// to its race's mean, over all races.
double withinRaceCorrelation(const std::map<std::string, std::vector<std::pair<double, double>>>& byRace);

}  // namespace kvtest
