// Factor expansion and speed prediction of one horse's expanded run records.
#pragma once
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "expansion/coders.h"
#include "expansion/weights.h"

namespace kv::expansion {

// The three record filters: race date 20160101 or later, racecourse "01".."10",
// and a track code "10".."59" (factor phase) or a surface (lookup, prediction).
bool passesDateFilter(std::string_view rec);
bool passesFactorFilters(std::string_view rec);
bool passesTableFilters(std::string_view rec);

// Runs the three phases over one horse's records (oldest first), in memory:
// the factor phase on the last four records (actual speeds and the 30 codes),
// the lookup phase and the prediction phase on every record. progress4, when
// given, receives the values of ProgressBar4 in the order they are set.
// Throws CalcError (or a coder's exception) on a failure; the records are then
// partly calculated and the caller discards them.
// What the lookup found last, kept by whoever calculates one horse after
// another with the same tables (most records carry the same codes): the
// category of each factor's last code, and for each surface the parts of the
// last record that follow from its codes alone.
struct CategoryMemo {
    struct Entry {
        const SurfaceTables* tables = nullptr;
        std::string code;
        int category = 0;
    };
    Entry last[31];
    struct Codes {
        const SurfaceTables* tables = nullptr;
        std::string codes, parts;
        float a = 0, p = 0, s = 0;
    };
    Codes bySurface[3];
};

void ExpandFactorsAndPredict(std::span<std::string> records, const WeightTables& tables,
                             const kv::coders::CoderStats* stats, std::vector<long>* progress4 = nullptr,
                             CategoryMemo* memo = nullptr);

// Weights, predicted speeds, sample counts and RunSpeeds 1..13 from FC.
void PredictSpeeds(std::string& rec, const SurfaceTables& t);

}  // namespace kv::expansion
