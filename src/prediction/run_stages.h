// The stages of the prediction run, callable one by one (the window's load
// runs them in order; tests drive them directly). Files are taken from and
// written to the application folder (kv::GetAppPath()).
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/dayfile.h"
#include "common/recordfile.h"
#include "prediction/window_state.h"

namespace kv::pred {

// Writes a whole file of the run; a file that cannot be written is noted in
// st.WriteFailures and the run goes on.
bool writeRunFile(WindowState& st, const std::string& path, std::string_view bytes);

// The race key of a complete 16-character race id, written into buf (12
// bytes; as raceKeyFromId without the allocation).
inline std::string_view raceKeyIn(std::string_view raceId, char* buf) {
    raceId.copy(buf, 10, 0);
    raceId.copy(buf + 10, 2, 14);
    return std::string_view(buf, 12);
}

// ---- race index and run mode ----

// 1 when the last race record has data kind "7", else 0.
std::int16_t decideMode(const std::vector<std::string>& raRecords);
// The same from the data kind of the last race record.
std::int16_t modeOfDataKind(std::string_view lastDataKubun);
// Builds RaceKeyList, RaceIdList, Syosai and List1 from the race records
// (prediction mode) or the payout records (result mode), and writes
// "RACETHISWEEKN.dat", "RACETHISWEEKNSYOSAI.dat" and "SOKUDO/RACEID.txt".
// raRecords: the race records in file order, at least those of data kinds 2
// to 6 (prediction mode) or those of the payout records' races (result mode).
void buildRaceIndex(WindowState& st, const std::vector<std::string_view>& raRecords,
                    const std::vector<std::string_view>& hrRecords);

// ---- race-horse files ----

// A runner of the entry records ("SETHISWEEKNNEW.dat"): the bytes of its
// record from the frame number to the horse name (all the run takes from it).
struct Runner {
    static constexpr std::size_t kFrom = 27, kLen = 49;  // Wakuban .. Bamei
    bool present = false;
    char bytes[kLen] = {};
    void take(std::string_view seRecord) {
        present = true;
        seRecord.copy(bytes, kLen, kFrom);
    }
    // A field of the entry record (inside Wakuban .. Bamei).
    std::string_view field(Field f) const { return std::string_view(bytes + (f.off - kFrom), f.len); }
};

// The runners of every race.
struct RaceEntries {
    // Per race key, in the order of the index: the runner of each horse
    // number n at n - 1 (not present where no runner has the number).
    std::vector<std::vector<Runner>> runners;
    std::vector<std::size_t> fileOf;  // race i -> its key's entry in runners (entry 0 unused)
    std::vector<bool> firstOfKey;     // race i is the first race of its key in the index
};
// The entry step over the entry file sePath, read in up to `parts` parts at once.
RaceEntries collectRaceEntries(WindowState& st, const std::string& sePath, unsigned parts = 1);
// The past-run step of race RaceIdx: builds its race-horse records (record n
// at recs[n - 1], recs reused from race to race), sets Syosai column 11, and
// writes "RACE/<key>.dat" when the race is the first of its key. fileBytes is
// and readBuffer are buffers reused from race to race. Returns the number of records.
// horseFiles, when given, receives each runner's horse (in number order)
// and whether its expanded run file has something in it (a file that is there
// but cannot be read counts as found, and is noted as unreadable).
struct HorseFile {
    std::string ketto;
    bool found = false;
    // The first record taken from the file whose whole-number members are not
    // all digits (1-based record number, 0 for none), and the first such member.
    std::size_t badRecord = 0;
    std::string badMember;
};
int buildRaceHorseFile(WindowState& st, const RaceEntries& entries, int RaceIdx, std::vector<RaceHorseRecord>& recs,
                       std::string& fileBytes, std::string& readBuffer, std::vector<HorseFile>* horseFiles = nullptr);
// Copies the run of expanded record ex into slot s of rec (s == 0: also the
// once-per-record members of the entry).
void copyRunToSlot(RaceHorseRecord& rec, std::string_view ex, int s);

// ---- ranking ----

// Time text M.SS.hh of running `distance` metres at `speed` km/h; nullopt when
// the distance is not a number or the speed is 0.
std::optional<std::string> ConvertSpeedToTimeText(float speed, std::string_view distance);
// Population standard deviation of values[1..n] with single-precision sums;
// nullopt when n is 0. A negative variance from rounding counts as 0.
std::optional<float> CalcSpeedStdDev(const std::vector<float>& values, int n);
// Marks entities 0..4 of horse LoopI from rec (the horse's record).
void MarkRankBands(RaceState& race, const RaceHorseRecord& rec, int LoopI);
// Fills the per-horse values of horse h from its record (not the marks' reset).
void fillHorseValues(WindowState& st, const RaceHorseRecord& rec, int h);
// Ranks horses 1..HorseCount (YosoJunUmaban, YosoJuni) and sets SpeedSD and
// Syosai column 10 of the race.
void rankHorses(WindowState& st, int RaceIdx);

// ---- the text lines of the KAIME files (CP932, CR LF) ----
std::string horseCandidateLine(const WindowState& st, const std::string& raceKey, int h);
std::string horseSortLine(const WindowState& st, int h);
std::string lupSortLine(const WindowState& st, int h);

// ---- pairs and trios ----
// Enumerates, scores and sorts the pairs; returns their candidate lines.
// scoreTexts, when given, receives the texts of the sorted scores (entry c: PairScore[c]).
std::string scorePairs(RaceState& race, const std::string& raceKey, std::vector<std::string>* scoreTexts = nullptr);
// Turns every pair faster-first (UMATANSORT order).
void turnPairsFasterFirst(RaceState& race);
std::string scoreTrios(RaceState& race, const std::string& raceKey, std::vector<std::string>* scoreTexts = nullptr);
// Orders trio LoopI fastest first into TrioUmaban1..3.
void SortTrioBySpeed(RaceState& race, int LoopI);
void turnTriosFastestFirst(RaceState& race);
// A sorted bet file's content: lines of (key, tag, combination, score).
std::string sortFileText(const std::string& raceKey, const char* tag,
                         const std::vector<std::string>& combos, const std::vector<float>& scores, int count);
// The same with the scores' texts given (as scorePairs and scoreTrios give them).
std::string sortFileText(const std::string& raceKey, const char* tag, const std::vector<std::string>& combos,
                         const std::vector<std::string>& scoreTexts, int count);

// ---- ticket files ----
enum class TicketKind { Umaren, Wide, Umatan, Sanrenpuku, Sanrentan };
// "<folder>/<YYMMDD><course><RR>R.csv" relative to the application folder.
std::string ticketFileName(const RunConstants& run, const char* folder, const std::string& raceKey);
// One ticket line "YYYYMMDD,JJ,RR,KK,combination,100" with CR LF.
std::string TicketCsvLine(const std::string& raceKey, const char* kind, const std::string& combination);
// The ticket file content of a bet type from the race's lists as they are now.
std::string ticketFileText(const RaceState& race, const std::string& raceKey, TicketKind kind);

// ---- daily rates ----
// Computes the day's rates from the tallies (R = races of the day so far).
void computeDayRates(KeptState& kept, int R);
// Rewrites "TEKICHU/<DayKey>kaiteki.txt" and "...kaitekiPC.txt" among the
// run's day files (put in place when the run ends).
void writeRateFiles(WindowState& st, int RaceIdx, int R, DayFiles& days);
// A rate in tenths as printed: "33.3", "50", "0".
std::string rateText(long long tenths);

}  // namespace kv::pred
