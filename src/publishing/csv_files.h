// The CSV outputs of the publishing writers: the win-and-place sheets
// (TANFUKU, TANFUKU2), the single-bet ticket file (TANSHO) and the speed file
// of a race date (SOKUDO/HR<yyyymmdd>.csv). CP932, CR LF.
#pragma once
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/dayfile.h"
#include "common/recordfile.h"
#include "prediction/writer.h"

namespace kv::pub {

// One speed line: the race id, then for horse numbers 1..HorseCount the
// predicted speed in metres per hour (Int of the single-precision product)
// and the predicted rank as two digits; CR LF. speeds and ranks are indexed
// by horse number. Throws when a rank is no number or a horse is missing.
std::string SokudoHrLine(std::string_view raceId, std::span<const float> speeds,
                         std::span<const std::string> ranks, int HorseCount);

// Win and place payout texts of horse h in a payout record: the nine stored
// digits of its 単勝 and of its 複勝 entry, empty where it has none.
struct SheetPayouts {
    std::string tansho, fukusho;
};
SheetPayouts payoutsOfHorse(std::string_view hrRec, int h);

// WriteTanfukuCsv1 (rank 1) and WriteTanfukuCsv2 (rank 2).
class TanfukuSheetWriter : public pred::Writer {
public:
    explicit TanfukuSheetWriter(int sheet) : sheet_(sheet) {}
    std::string name() const override { return sheet_ == 1 ? "WriteTanfukuCsv1" : "WriteTanfukuCsv2"; }
    void writeRace(pred::WindowState& st, int RaceIdx) override;
    std::vector<DayFiles*> dayFiles() override { return {&days_}; }

private:
    // The payout record of the race (last match of the week's file, read once).
    std::optional<std::string_view> payoutRecordOf(std::string_view raceId);
    int sheet_;
    DayFiles days_;
    bool hrLoaded_ = false;
    RecordView hrRecords_;  // the week's payout file, held in place
};

// WriteTanshoBetCsv: "TANSHO/<yymmdd><course><RR>R.csv", the rank-1 and the
// rank-2 runner, written whole; a race handed over twice in a row is written once.
class TanshoBetCsvWriter : public pred::Writer {
public:
    std::string name() const override { return "WriteTanshoBetCsv"; }
    void writeRace(pred::WindowState& st, int RaceIdx) override;

private:
    std::string LastTanshoKey;
};

// AppendSokudoHrCsv: one line per race with runners in the file of its date.
class SokudoHrCsvWriter : public pred::Writer {
public:
    std::string name() const override { return "AppendSokudoHrCsv"; }
    void writeRace(pred::WindowState& st, int RaceIdx) override;
    std::vector<DayFiles*> dayFiles() override { return {&dates_}; }

private:
    DayFiles dates_;
};

std::unique_ptr<pred::Writer> makeTanfukuCsv1Writer();
std::unique_ptr<pred::Writer> makeTanfukuCsv2Writer();
std::unique_ptr<pred::Writer> makeTanshoBetCsvWriter();
std::unique_ptr<pred::Writer> makeSokudoHrCsvWriter();

}  // namespace kv::pub
