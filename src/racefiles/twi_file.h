// The race text day file ("twi.txt", in result mode "twiRCM.txt") under
// TEKICHU, named by the race's DayKey. Every race adds its race line, column
// titles, one HS line per horse in predicted order and, in result mode with
// the race's payout record, its hit lines AT and the payout lines KK and KS
// (the file's frame: DayBlockWriter).
#pragma once
#include <memory>
#include <string>
#include <string_view>

#include "betlines/hit_check.h"
#include "racefiles/day_block.h"

namespace kv::racefiles {

// The column titles of the HS lines.
std::string twiRrLine(bool resultMode, bool flat);

// The AT lines of every payout entry that one of the race's bets hit (馬連,
// ワイド, 馬単, ３連複 and ３連単), appended line by line to out.
void WriteTwiTekichuLines(std::string_view hrRec, const bet::KaimeLists& lists, std::string& out);

// The writer of the chain (WriteTwiRaceBlock).
class TwiRaceBlockWriter : public DayBlockWriter {
public:
    std::string name() const override { return "WriteTwiRaceBlock"; }
    void writeRace(pred::WindowState& st, int RaceIdx) override;
};

std::unique_ptr<pred::Writer> makeTwiRaceBlockWriter();

}  // namespace kv::racefiles
