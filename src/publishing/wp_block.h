// The WordPress block day file "tavlen_wp/<yyyymmdd>-<VenueSlug>.txt" (CP932):
// per race a heading block, a bet table block and a race card block.
#pragma once
#include <memory>
#include <string>

#include "common/dayfile.h"
#include "prediction/writer.h"
#include "publishing/race_section.h"

namespace kv::pub {

// The race's block (UTF-8, CR LF): 23 lines and one per horse.
void appendWpRaceBlock(const pred::WindowState& st, int RaceIdx, const PageValues& v, std::string& out);
std::string wpDayFileName(const PageValues& v);

class WpRaceBlockWriter : public pred::Writer {
public:
    std::string name() const override { return "AppendWpRaceBlock"; }
    void writeRace(pred::WindowState& st, int RaceIdx) override;
    std::vector<DayFiles*> dayFiles() override { return {&days_}; }

private:
    DayFiles days_;
    std::string text_;  // the race's block (UTF-8), kept for the next race's
};

std::unique_ptr<pred::Writer> makeWpRaceBlockWriter();

}  // namespace kv::pub
