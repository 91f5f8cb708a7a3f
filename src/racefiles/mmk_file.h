// The race-card day file ("mmk.txt", in result mode "mmkRCM.txt") under
// SHUTSUBAHYO, named by the race's DayKey. Every race adds one block: race
// line, the pair bet lines K1-K3, in result mode with the race's payout record
// the payout lines KK and KS, the hit lines AT and the trifecta comment lines
// CM, one HS line per horse in horse-number order, and the trio bet lines
// S1-S3 (the file's frame: DayBlockWriter).
#pragma once
#include <array>
#include <memory>
#include <string>
#include <string_view>

#include "betlines/hit_check.h"
#include "prediction/window_state.h"
#include "racefiles/day_block.h"

namespace kv::racefiles {

// The lines K1, K2 and K3: the pair bets that the registered runner count
// shows, placeholders ("  -  ") elsewhere and for positions the list lacks.
std::string kLines(const pred::RaceState& race, std::string_view torokuTosu);
void appendKLines(const pred::RaceState& race, std::string_view torokuTosu, std::string& out);

// The lines S1, S2 and S3 from SanrenKaime (prediction mode) or
// SanrenpukuKaimeKey (result mode). trios gets, in entries 1 to 7, the trio
// texts of the last line that carries trios; entries the line does not fill
// (or whose position the list lacks) stay empty.
std::string sLines(const pred::RaceState& race, bool resultMode, std::string_view torokuTosu,
                   std::array<std::string, 8>& trios);
void appendSLines(const pred::RaceState& race, bool resultMode, std::string_view torokuTosu,
                  std::array<std::string, 8>& trios, std::string& out);

// The payout lines KK and KS of the race card (馬単 joined by "-").
std::string mmkPayoutLines(std::string_view hrRec);

// The AT lines of the pair and trio bets that hit (馬連, ワイド, 馬単, ３連複),
// appended line by line to out.
void appendMmkHitLines(std::string_view hrRec, const bet::KaimeLists& lists, std::string& out);

// The CM lines of the ３連単 hits among the 21 trio bets, appended line by line
// to out; when no bet trio hit, one line with the race's ３連単 result. A race
// without a ３連単 result (first entry blank or zero) gets none.
void WriteSanrentanTekichuComments(std::string_view hrRec, const bet::KaimeLists& lists, std::string& out);

// The HS line of horse number n.
void appendMmkHsLine(const pred::WindowState& st, int n, std::string& out);

// The writer of the chain (WriteShutsubahyoMmk). It clears SLineTrio first
// and sets it only when the race's block is written whole.
class ShutsubahyoMmkWriter : public DayBlockWriter {
public:
    std::string name() const override { return "WriteShutsubahyoMmk"; }
    void writeRace(pred::WindowState& st, int RaceIdx) override;
};

std::unique_ptr<pred::Writer> makeShutsubahyoMmkWriter();

}  // namespace kv::racefiles
