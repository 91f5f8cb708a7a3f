// The eleven-column day file ("lupPC.txt", in result mode "lupRCMPC.txt")
// under TEKICHU and, in result mode, the day's hit table "tekichuPC.txt", both
// named by the race's DayKey. Every race adds its race line, column titles,
// one HS line per horse in predicted order and the fifteen ticket lines; in
// result mode with the race's payout record it is checked and adds its points,
// hits and payouts rows to the hit table. The first race of a DayKey in the
// run creates the files and writes their head lines.
#pragma once
#include <memory>
#include <string>
#include <string_view>

#include "common/dayfile.h"
#include "prediction/window_state.h"
#include "prediction/writer.h"

namespace kv::eleven {

std::string lupPcRrLine(bool resultMode);
// Horse j at predicted rank k.
void appendLupPcHsLine(const pred::WindowState& st, int j, int k, std::string& out);
// The hit table's column titles.
std::string tekichuPcTitleLine();
// The race's points, hits and payouts rows from the eleven tallies.
std::string tekichuPcRows(std::string_view raceNum, const pred::KeptState& kept);

// The writer of the chain (WriteLupPcFiles).
class LupPcFilesWriter : public pred::Writer {
public:
    std::string name() const override { return "WriteLupPcFiles"; }
    void writeRace(pred::WindowState& st, int RaceIdx) override;
    std::vector<DayFiles*> dayFiles() override { return {&lupDays_, &tekichuDays_}; }

private:
    DayFiles lupDays_;      // "lupPC.txt" / "lupRCMPC.txt"
    DayFiles tekichuDays_;  // "tekichuPC.txt"
    std::string block_, table_;  // the race's lines, kept for the next race's
};

std::unique_ptr<pred::Writer> makeLupPcFilesWriter();

}  // namespace kv::eleven
