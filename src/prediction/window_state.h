// The state of the predictions and results window YOSOKEKKATHISWEEKNQUEL that
// the prediction run and the writers of the chain share. Three groups:
//   RunConstants - fixed once the race index is built (mode, index, per-race table);
//   KeptState    - carried from race to race (rank tables, day tallies, rates, hit results);
//   RaceState    - rebuilt at the start of every race pass (records, per-horse values, bet lists).
// The current race (RaceIdx) is passed to every callee as an argument.
// Members carry the names the rest of the program knows them by.
#pragma once
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "common/codetable.h"
#include "common/racehorse_record.h"

namespace kv::pred {

// One row of the per-race table: 0 race key, 1 race number without leading zero,
// 2 start time, 3 race number, 4 name, 5 race type, 6 condition, 7 grade,
// 8 track, 9 distance, 10 speed spread, 11 weather and going (12 unused). UTF-8.
using SyosaiRow = std::array<std::string, 13>;

// Rates are whole tenths of a percent; empty while not computed for the day.
using Tenths = std::optional<long long>;

struct TanFukuStat {
    std::string Kumi;           // this race's hit combination, empty when none
    std::string Haito;          // its payout
    std::int32_t TekichuKaisu = 0;  // hits of the day
    std::int32_t HaitoGoukei = 0;   // payout sum of the day (yen per 100-yen ticket)
    Tenths TekichuRitsu;
    Tenths KaishuRitsu;
};

struct KaimeStat : TanFukuStat {
    std::int16_t Tensu = 0;        // tickets of this race
    std::int16_t TensuGoukei = 0;  // tickets of the day
};

struct TierTally {
    long long TekichuHonsen = 0, TekichuJunhon = 0, TekichuFukuhei = 0;
    long long CheckCount = 0;
    long long HaitoHonsen = 0, HaitoJunhon = 0, HaitoFukuhei = 0;
};

struct TierRates {
    Tenths TekichuRitsuHonsen, TekichuRitsuJunhon, TekichuRitsuFukuhei;
    Tenths KaishuRitsuHonsen, KaishuRitsuJunhon, KaishuRitsuFukuhei;
};

struct TekichuResult {
    std::string Tekichu;  // tier text of the hit, ten blanks when outside the bets
    std::string Atarime;  // winning combination
    std::string Haito;    // its payout
    std::string Ninki;    // list position, a blank and the popularity
};

// Fixed once the race index is built.
struct RunConstants {
    std::int16_t KekkaMode = 0;      // 1 in result mode
    int RaceCount = 0;
    // Entry i (1..RaceCount) of each list belongs to race i; entry 0 is unused.
    std::vector<std::string> RaceKeyList{std::string()};  // 12-character race keys
    std::vector<std::string> RaceIdList{std::string()};   // 16-character race ids (the race's identity)
    std::vector<SyosaiRow> Syosai{SyosaiRow{}};           // column 10 set by the race loop
    CodeTable codeTable;

    std::string raceKey(int RaceIdx) const { return RaceKeyList.at(static_cast<std::size_t>(RaceIdx)); }
    std::string raceId(int RaceIdx) const { return RaceIdList.at(static_cast<std::size_t>(RaceIdx)); }
    // DayKey: the race id without the race number (14 characters).
    std::string dayKey(int RaceIdx) const { return raceId(RaceIdx).substr(0, 14); }
    // Code-table text (UTF-8), empty when no row matches.
    std::string LookupCodeTable(std::string_view table, std::string_view code, int col) const {
        return codeTable.lookupText(table, code, col);
    }
};

// Carried from race to race.
struct KeptState {
    // Fixed tables of entries 0 to 18, overwritten for horses 1..HorseCount.
    std::array<std::string, 19> YosoJuni{}, Nyusen{}, Ninki{}, Chakujun{};

    // Eleven-column day tallies.
    TanFukuStat StatTansho1, StatTansho2, StatFukusho1, StatFukusho2;
    KaimeStat StatUmarenF, StatUmarenB, StatUmatanF, StatSanrenpukuB;
    KaimeStat StatSanrentan12, StatSanrentan23, StatSanrentan13;
    // Tiered day tallies and rates.
    TierTally UmarenTally, WideTally, UmatanOmoteTally, UmatanUraTally, SanrenpukuTally, SanrentanTally;
    TierRates UmarenRates, WideRates, UmatanOmoteRates, UmatanUraRates, SanrenpukuRates, SanrentanRates;
    // Hit results of the current race.
    TekichuResult UmarenResult, Wide1Result, Wide2Result, Wide3Result, UmatanResult;
    TekichuResult SanrenpukuResult, SanrentanResult;

    // The day the tallies belong to and the races of it processed so far.
    std::string TallyDayKey;
    int DayRaceCount = 0;

    // The tallies, rates and race count of a day whose races were interrupted
    // by another day's (the index can list one racecourse day in two groups).
    struct DayTallies {
        TanFukuStat StatTansho1, StatTansho2, StatFukusho1, StatFukusho2;
        KaimeStat StatUmarenF, StatUmarenB, StatUmatanF, StatSanrenpukuB;
        KaimeStat StatSanrentan12, StatSanrentan23, StatSanrentan13;
        TierTally UmarenTally, WideTally, UmatanOmoteTally, UmatanUraTally, SanrenpukuTally, SanrentanTally;
        TierRates UmarenRates, WideRates, UmatanOmoteRates, UmatanUraRates, SanrenpukuRates, SanrentanRates;
        int DayRaceCount = 0;
    };
    std::map<std::string, DayTallies> OtherDays;

    // Seven trios of the race-card writer's last trio line (read by the HTML page writer).
    std::array<std::string, 8> SLineTrio{};

    // Resets the counts of the day tallies and the day's rates (a new racecourse day).
    void resetDay(const std::string& dayKey);
    // Makes dayKey the tallies' day: nothing changes while it is the current
    // day; otherwise the current day's tallies are put aside and the new day
    // continues from its own earlier races, or starts reset when it has none.
    void enterDay(const std::string& dayKey);
};

// Rebuilt at the start of every race pass.
struct RaceState {
    std::string HrRec;                 // record RaceIdx of "HRTHISWEEKN.dat" (raw, 719 bytes or empty)
    RaceHorseRecord RaceHorseRec;      // after the horse loop: the race's last horse
    int HorseCount = 0;

    // Per-horse values, entries 0..HorseCount (entry h = horse number h).
    std::vector<float> GoseiSpeed, HorseSpeedAdjust, SuiteiSpeed, JitsuSpeed, YosoSortKey;
    std::vector<std::string> YosoJunUmaban;   // entry k: horse number (2 digits) of predicted rank k
    std::vector<std::string> SuiteiAgari3F;
    std::vector<std::string> Wakuban, Bamei, Futan, KishuName, ChokyoshiName, Seibetsu, Barei;
    std::vector<std::string> SuiteiTime, JitsuTime, JitsuAgari3F;
    std::vector<std::array<std::string, 5>> RankMarks;  // (horse, entity 0..4): "A" or empty

    // Bet lists, entries 1..count (entry 0 unused). Pair keys "aabb", trio keys "aabbcc".
    std::vector<std::string> UmarenKaimeDisp;     // best first; faster horse first (display form)
    std::vector<std::string> UmarenKaimeKey;      // same order; lower number first (payout form)
    std::vector<float> PairScore;                 // sorted with UmarenKaimeDisp
    std::vector<float> PairSpeedSum, PairAdjustSum;  // enumeration order
    int UmarenKaimeCount = 0;
    std::vector<std::string> SanrenKaime;         // best first; fastest horse first
    std::vector<std::string> SanrenpukuKaimeKey;  // same order; ascending numbers
    std::vector<float> TrioScore;
    std::vector<float> TrioSpeedSum, TrioAdjustSum;
    int SanrenpukuKaimeCount = 0;
    std::string TrioUmaban1, TrioUmaban2, TrioUmaban3;

    float SpeedSD = 0.0f;

    // Empty per-horse arrays for n horses and empty bet lists.
    void reset(int n);
};

// The whole window state.
struct WindowState {
    RunConstants run;
    KeptState kept;
    RaceState race;
    // Record buffers of the index and past-run stages (raw bytes, last record handled).
    std::string RaRec, SeRec, ExRec;
    // The race list List1 (UTF-8 items; the last 12 characters of each are the race key).
    std::vector<std::string> List1;
    // Files of the run that could not be written (the run goes on without them).
    std::vector<std::string> WriteFailures;
};

}  // namespace kv::pred
