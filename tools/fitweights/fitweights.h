// Factor weight tables fitted on a race history.
//
// The sample generator hands over its history as JV-Data records; every past
// run is expanded with the system's own builder and coded with its own 30
// factor coders, so the category texts equal the coders' output byte for byte.
// From these runs the tables of turf ("Siba"), dirt ("Dirt") and hurdle
// ("Shog") races are fitted and written as the 16 files of OPTION1N:
//
//   - categories: the codes that occur, quoted, at the full width of their
//     factor's member (trailing blanks kept); factor 1's years newest first, so
//     that a year the table lacks weighs like the newest year; factor 12's month
//     classes at the fixed positions the age charts read (turf and dirt: males
//     "127".."159" at 1..33, females "227".."259" at 34..66; hurdle: males
//     "140".."159" at 1..20, geldings "341".."353" at 21..33, females
//     "240".."259" at 34..53), further codes after them; factor 2 also gets the
//     categories its second pass looks for ("6" and characters 2 to 5 of a code)
//     where no venue-6 category has them, weighted by the categories they pool;
//     every other factor in ascending byte order; at most 6000 per factor (the
//     most frequent kept);
//   - counts: the number of coded runs per category;
//   - factor 1's weights: the base speed of the year (mean actual speed);
//   - factors 2 to 30: shrunken mean residuals (backfitting, residual sum over
//     count + shrink), per target speed: final section, pace, whole race (the
//     hurdle tables are fitted on the whole-race speed, their one weight file
//     serves all three);
//   - a few categories per surface (chosen by the seed among small weights) get
//     a weight beyond +-20, which the prediction leaves out of its sums.
//
// The result depends only on the history, the statistics files and the options,
// not on the number of threads.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kv::fit {

// The past races, as stored JV-Data records (CR LF included). Runners need
// their results (times, final-section time, placing, odds, prize, time
// margin); their order does not matter: each horse's runs are sorted by race
// date, racecourse and race number before they are expanded.
struct History {
    std::vector<std::string> races;    // RaRecord, 1272 bytes
    std::vector<std::string> runners;  // SeRecord, 555 bytes
    std::vector<std::string> horses;   // UmRecord, 1609 bytes
    // KsRecord in the stored layout, 4161 bytes; when empty, the jockeys of
    // <appDir>/OPTION1N/KS20190101NEW.dat are used.
    std::vector<std::string> jockeys;
    // A history too large to hold record by record: race and horse records laid
    // end to end (taken before `races` and `horses`), and the runs of `runHorses`
    // horses made on demand in addition to `runners`: runsOf(i, out) puts the
    // runs of horse i into out (any order). These horses come before those of
    // `runners`, in the order given, which must be by registration number, and
    // none of them has runs in `runners`.
    std::string raceBytes, horseBytes;
    std::size_t runHorses = 0;
    std::function<void(std::size_t, std::vector<std::string>&)> runsOf;
};

struct FitOptions {
    std::uint64_t seed = 1;
    unsigned threads = 0;          // 0: one per usable core (kv::usableCores)
    double shrink = 10.0;          // prior sample count of the shrinkage
    int passes = 4;                // backfitting passes
    int extremeWeights = 3;        // categories per surface with a weight beyond +-20
};

// The tables of one factor: parallel vectors, category j at index j - 1.
struct FactorTable {
    std::vector<std::string> codes;   // CP932 bytes, full member width
    std::vector<std::int32_t> counts;
    std::vector<float> agari, pace, soha;
};

struct SurfaceFit {
    std::array<FactorTable, 31> factors;   // index 1..30
    std::size_t samples = 0;               // coded runs of the surface
    std::size_t fitted[3] = {0, 0, 0};     // runs with a usable final-section, pace, whole-race speed
};

struct FitResult {
    std::array<SurfaceFit, 3> surfaces;    // turf, dirt, hurdle (kv::expansion::Surface order)
    std::size_t horses = 0;
    std::size_t runs = 0;                  // expanded run records
    std::size_t failedHorses = 0;          // horses whose building failed (left out)
    std::size_t droppedCodes = 0;          // codes that could not be stored (quote, line end, NUL, over 6000)
};

// Expands and codes every run of the history and fits the tables. Reads the
// statistics files of <appDir>/OPTION1N ("STALLION.dat", "MARE.dat",
// "KISHUSEISEI.dat", "CHOKYOSEISEI.dat", "KYOSOBA.dat" in place of the week's
// subset, "HNSKOPTION1N.dat"); missing files give the coders' default codes.
FitResult fitWeightTables(const std::string& appDir, History history, const FitOptions& options = {});

// Writes the 16 table files into <appDir>/OPTION1N (each file replaced whole).
// False with the failing file in *error when a file cannot be written.
bool writeWeightFiles(const std::string& appDir, const FitResult& result, std::string* error = nullptr);

// Both steps: what the sample generator calls after it has written the
// statistics files.
bool writeWeightTables(const std::string& appDir, History history, std::uint64_t seed,
                       std::string* error = nullptr, FitResult* result = nullptr);

// The file bytes of one table file, by the names of kv::expansion::weightFileNames
// (for tests): index 0 TotalData, 1 ItemCategory, 2 ItemCategoryCount,
// 3 AgariWeight, 4 PaceWeight, 5 SohaWeight.
std::string tableFileBytes(const SurfaceFit& surface, int which);

}  // namespace kv::fit
