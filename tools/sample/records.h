// JV-Data records of the synthetic world, built with the system's own layouts.
#pragma once
#include <string>
#include <vector>

#include "common/dates.h"
#include "world.h"

namespace kvsample {

std::string ymd(const kv::Date& d);
std::string raceIdOf(const Race& r);

// Race details; results are filled when withResults (data kinds "7", live).
std::string raRecord(const World& w, const Race& r, char kubun, const kv::Date& made, bool withResults);
// One runner; results are filled when withResults. Kind "1" has no draw yet.
std::string seRecord(const World& w, const Start& s, char kubun, const kv::Date& made, bool withResults);
std::string umRecord(const World& w, int horse, const kv::Date& made);
// Jockey: the received form (4173 bytes) or the stored one (4161).
// rides: the jockey's starts (indexes into World::starts).
std::string ksRecord(const World& w, int jockey, const std::vector<int>& rides, const kv::Date& made, bool received);
std::string hnRecord(const World& w, int breedingIndex, const kv::Date& made);

// Odds of a week race, derived from the public win probabilities.
struct RaceOdds {
    int n = 0;                       // starters (horse numbers 1..n)
    std::vector<bool> out;           // scratched horse numbers
    std::vector<long> win, placeLow, placeHigh;  // tenths, by horse number
    std::vector<int> winNinki;
    // Combination odds (tenths) and popularity, by canonical index.
    std::vector<long> wakuren, umaren, umatan, sanren, sanrentan;
    std::vector<int> wakurenNinki, umarenNinki, umatanNinki, sanrenNinki, sanrentanNinki;
    std::vector<double> wideProb;    // umaren order
};
RaceOdds raceOdds(const World& w, std::size_t weekRace);

// Payout record of a week race (data kind "7").
std::string hrRecord(const World& w, std::size_t weekRace, const RaceOdds& odds, const kv::Date& made);
// Payouts in a plain form (for tests and the hidden-world files).
Payout payoutOf(const World& w, std::size_t weekRace, const RaceOdds& odds);

// Odds records of a week race.
std::string o1Record(const World& w, std::size_t weekRace, const RaceOdds& o, char kubun, const kv::Date& made, const std::string& happyo);
std::string o2Record(const World& w, std::size_t weekRace, const RaceOdds& o, char kubun, const kv::Date& made, const std::string& happyo);
std::string o4Record(const World& w, std::size_t weekRace, const RaceOdds& o, char kubun, const kv::Date& made, const std::string& happyo);
std::string o5Record(const World& w, std::size_t weekRace, const RaceOdds& o, char kubun, const kv::Date& made, const std::string& happyo);
std::string o6Record(const World& w, std::size_t weekRace, const RaceOdds& o, char kubun, const kv::Date& made, const std::string& happyo);

// Canonical combination orders of the odds records (horse numbers 1..18).
int pairIndex(int a, int b);            // a < b, 0-based among 153
int orderedPairIndex(int a, int b);     // a != b, 0-based among 306
int trioIndex(int a, int b, int c);     // a < b < c, 0-based among 816
int orderedTrioIndex(int a, int b, int c);  // distinct, 0-based among 4896

}  // namespace kvsample
