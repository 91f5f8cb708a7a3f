// The hit check of the eleven columns against the race's finishing positions
// and payout record, and the day's tallies it keeps.
#pragma once
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "elevencolumn/columns.h"
#include "prediction/window_state.h"

namespace kv::eleven {

// What one race's check reads.
struct ElevenRace {
    std::string_view hrRec;                            // the race's payout record (raw)
    const std::vector<std::string>* YosoJunUmaban;     // entry k: horse number of predicted rank k
    int horseCount = 0;
    const std::array<std::string, 19>* Chakujun;       // by horse number: "01" to "05", "**"
    ElevenBand band;
};

// Sets Kumi, Haito (and Tensu) of the eleven tallies of kept for this race and
// adds the hits, payouts and points to the day totals. Throws on a predicted
// rank beyond the horses, a horse number above 18, a hit payout that is not a
// number, or a day total beyond its width; what was set before stays.
void TallyTekichuHaito(const ElevenRace& race, pred::KeptState& kept);

// The eleven tallies in the column order of the hit table.
struct ElevenStats {
    pred::TanFukuStat* winPlace[4];  // 単勝1, 複勝1, 単勝2, 複勝2
    pred::KaimeStat* tickets[7];     // 馬連F, 馬連B, 馬単F, 3連複B, 3連単12, 3連単23, 3連単13
    static ElevenStats of(pred::KeptState& kept);
};

}  // namespace kv::eleven
