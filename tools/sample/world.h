// The synthetic racing world of the sample week: breeding horses with
// pedigrees, racehorses with a hidden ability, jockeys, trainers, owners,
// breeders, several seasons of past races with results, and the race week.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "common/dates.h"

namespace kvsample {

enum class Size { Small, Full };
enum class Phase { Prediction, Result };

struct Options {
    std::string appDir;
    Size size = Size::Small;
    std::uint64_t seed = 1;
    Phase phase = Phase::Prediction;
    int weeksBack = 0;      // the race week this many weeks before the base week
};

// Largest --weeks-back: the history keeps most of a year before the week.
constexpr int kMaxWeeksBack = 52;

// A breeding horse (sire, dam or an older ancestor).
struct BreedHorse {
    std::string num;        // breeding registration number, 10 digits
    std::string ketto;      // its own registration number, 10 digits
    std::string name;       // UTF-8, full-width katakana
    int sex = 1;            // 1 male, 2 female
    int sire = -1, dam = -1;  // indexes into World::breeding, -1 for founders
    int birthYear = 0;
    double quality = 0;     // what it passes on to its foals (km/h)
    std::vector<int> foals; // racehorse indexes (or -1 for foals that never raced), birth order
    std::vector<std::string> foalKetto;  // registration numbers of all foals, birth order
};

struct Person {
    std::string code;       // jockey/trainer 5 digits, owner 6, breeder 8
    std::string name;       // UTF-8
    std::string shortName;  // UTF-8, at most 4 full-width characters
    std::string kana;       // half-width katakana (ASCII placeholder romanisation)
    std::string eng;
    kv::Date birth;
    int sex = 1;
    int tozai = 1;          // 1 east (美浦), 2 west (栗東)
    int minarai = 0;        // apprentice class 0..3
    int trainer = -1;       // jockeys: the stable they belong to
    double skill = 0;       // km/h added to a run
    kv::Date issue;         // licence issue date
};

struct Horse {
    std::string ketto;
    std::string name;       // UTF-8
    std::string kana;
    std::string eng;
    int sire = -1, dam = -1;
    int sex = 1;            // 1 colt, 2 filly, 3 gelding
    kv::Date birth;
    int keiro = 1;          // coat colour code
    std::string umaKigo = "00";
    int trainer = 0, owner = 0, breeder = 0;
    int tozai = 1;
    double ability = 0;     // hidden: km/h above the average horse
    int surface = 0;        // preferred surface: 0 turf, 1 dirt
    bool hurdler = false;
    int prefDist = 1600;
    int style = 2;          // running style 1 front .. 4 closer
    int restWeeks = 4;      // longest usual rest between runs, in weeks beyond two
    // Running state.
    std::vector<int> starts;  // indexes into World::starts, oldest first
    int wins = 0;
    int priorRuns = 0;        // runs before the recorded history began
    int priorWins = 0;        // wins among them
    long long prize = 0;      // units of 100 yen
    long long addedPrize = 0;
    int lastWeight = 0;       // body weight of the last run (kg)
    long nextFree = 0;        // day serial from which it may run again
    bool retired = false;
};

struct Race {
    kv::Date date;
    int jyo = 5;            // racecourse 1..10
    int kaiji = 1, nichiji = 1, raceNum = 1;
    int track = 11;         // track code
    int dist = 1600;
    std::string course = "A ";  // CourseKubunCD
    std::string syubetu = "13";
    std::string jyoken = "005"; // condition of the youngest age
    int youngestAge = 3;
    char grade = ' ';
    std::string kigo = "A01";
    int jyuryo = 3;
    int tenko = 1, siba = 1, dirt = 1;
    int hassoTime = 1000;   // hhmm
    long long prize[7] = {};  // units of 100 yen, places 1..7 (5 paid)
    long long added[5] = {};
    std::string hondai;     // UTF-8, empty for an ordinary race
    std::string ryakusyo;   // UTF-8, short name
    std::vector<int> starts;  // indexes into World::starts, by horse number
    int toroku = 0;
    int lap[25] = {};       // 200 m sections, tenths
    int lapCount = 0;
    int s3 = 0, s4 = 0, l3 = 0, l4 = 0;
    bool thisWeek = false;
    bool recordUp = false;
    std::vector<double> winProb;  // public win probability by horse number (the week's races only)
};

struct Start {
    int race = 0, horse = 0, jockey = 0;
    int umaban = 1, wakuban = 1;
    int age = 3;
    int futan = 550;        // tenths of a kg
    int weight = 480, zogen = 0;   // body weight and change (kg)
    int ijyo = 0;           // abnormality code
    int order = 0;          // final placing (0 when none)
    int nyusen = 0;
    int time = 0;           // tenths of a second (0 when none)
    int l3 = 0, l4 = 0;     // tenths
    int corner[4] = {};
    int odds = 0;           // tenths
    int ninki = 0;
    long long prize = 0, added = 0;  // units of 100 yen
    int timeDiff = 0;       // tenths behind the winner (winner: minus the margin to the second)
    std::string chakusa = "   ";
    int kyakusitu = 0;
    int trainer = 0, owner = 0;
    int blinker = 0;
};

// Payouts of one race (yen per 100-yen ticket).
struct Payout {
    struct Entry { std::string kumi; long long pay = 0; int ninki = 0; };
    std::vector<Entry> tansyo, fukusyo, wakuren, umaren, wide, umatan, sanrenpuku, sanrentan;
};

struct World {
    Options opt;
    std::vector<BreedHorse> breeding;
    std::vector<int> sires, dams;        // indexes into breeding
    std::vector<Horse> horses;
    std::vector<Person> jockeys, trainers, owners, breeders;
    std::vector<Race> races;             // past races in date order, then the week's races
    std::vector<Start> starts;
    std::size_t firstWeekRace = 0;       // index of the week's first race
    std::vector<kv::Date> weekDays;
    std::vector<Payout> payouts;         // per week race (index race - firstWeekRace)
};

// Builds the world up to the end of the race week the options name (no files
// written): the races of an earlier week are the same in every later week's world.
World buildWorld(const Options& opt);

// Racecourse facts shared by the generator parts.
const char* courseNameUtf8(int jyo);   // 札幌 ... 小倉
bool courseIsLeft(int jyo);

}  // namespace kvsample
