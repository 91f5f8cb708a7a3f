// The race list day file ("lup.txt", in result mode "lupRCM.txt") and, in
// result mode, the hit summary day file ("tekichu.txt") under TEKICHU, named by
// the race's DayKey. For every race the writer appends the race block: race
// line, column titles, horse lines in predicted order, predicted-order lines,
// tiered bet lines and, in result mode with the race's payout record, the hit
// lines and the payout lines; in result mode it also appends the race's four
// rows of the hit summary file. Every value is a quoted text; a code-table
// lookup that finds nothing is absent (nothing between the commas).
#pragma once
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "common/dayfile.h"
#include "prediction/window_state.h"
#include "prediction/writer.h"

namespace kv::bet {

// Track codes "00" to "49" (text order) are flat races; anything else hurdle.
bool isFlatTrack(std::string_view trackCD);

// The lines of a race block (CP932, CR LF). raceId is the race's 16-character id.
std::string dyLine(std::string_view raceId);
std::string plLine(std::string_view raceId, const std::optional<std::string>& courseName);
std::string rcLine(const pred::SyosaiRow& row);
// The column titles of the HS lines; the race list's files title the first
// columns in short, the race text in full (RrTitles below).
struct RrTitles {
    const char* number;
    const char* frame;
    const char* horse;
    const char* rank;
    const char* favourite;  // result mode only
    const char* arrival;    // result mode only
};
inline constexpr RrTitles kShortRrTitles{"n", "w", "馬", "予", "人", "入"};
std::string rrLine(bool resultMode, bool flat, const RrTitles& titles = kShortRrTitles);
const std::string& rrLineText(bool resultMode, bool flat);  // the short titles, built once
// Horse j at predicted rank k.
std::string hsLine(const pred::WindowState& st, int j, int k);
void appendHsLine(const pred::WindowState& st, int j, int k, std::string& out);
// "KK" lines 1 to 5, "KS" lines 1 and 2 and, when the first ３連単 combination
// is not 0, "KS" line 3, appended to out line by line.
void appendPayoutLines(std::string_view hrRec, std::string& out);

// The hit summary file's header line and column header line.
std::string tekichuHeaderLines(std::string_view raceId, const std::optional<std::string>& courseName);
// The seven results in the column order of the hit summary file.
struct SummaryResults {
    const pred::TekichuResult* Umaren;
    const pred::TekichuResult* Umatan;
    const pred::TekichuResult* Sanrenpuku;
    const pred::TekichuResult* Sanrentan;
    const pred::TekichuResult* Wide1;
    const pred::TekichuResult* Wide2;
    const pred::TekichuResult* Wide3;
    static SummaryResults of(const pred::KeptState& kept);
};
// The race's four rows ("01R 的中", "    当目", "    配当", "    予人").
std::string tekichuRows(std::string_view raceNum, const SummaryResults& r);

// True when the payout record belongs to the race: year, month-day,
// racecourse and race number equal (meeting and day are not compared).
bool payoutMatchesRace(std::string_view hrRec, std::string_view raceId);

// The writer of the chain (WriteLupFiles). Day files are created the first
// time their DayKey appears in the run and appended afterwards.
class LupFilesWriter : public pred::Writer {
public:
    std::string name() const override { return "WriteLupFiles"; }
    void writeRace(pred::WindowState& st, int RaceIdx) override;
    std::vector<DayFiles*> dayFiles() override { return {&lupDays_, &tekichuDays_}; }

private:
    DayFiles lupDays_;      // "lup.txt" / "lupRCM.txt"
    DayFiles tekichuDays_;  // "tekichu.txt"
    std::string block_;     // the race block, kept for the next race's
};

std::unique_ptr<pred::Writer> makeLupFilesWriter();

}  // namespace kv::bet
