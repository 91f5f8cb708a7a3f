// The matches of a race's payout combinations with its candidate lists, in
// the order the hit lines list them: 馬連, ワイド, 馬単 (each pair in its own
// order, then reversed), ３連複, ３連単 (each trio in its six finishing
// orders); within a kind by candidate position, within a position by payout
// entry. Every match is reported, also those beyond the bet positions.
#pragma once
#include <functional>
#include <string>
#include <string_view>

#include "betlines/hit_check.h"

namespace kv::racefiles {

enum class BetKind { Umaren, Wide, Umatan, Sanrenpuku, Sanrentan };

struct PayoutMatch {
    BetKind kind;
    int position;      // candidate position, 1-based
    int entry;         // payout entry of the kind, 1-based
    int order;         // 馬単: 1 own order, 2 reversed; ３連単: 1 to 6; otherwise 0
    std::string_view kumi;  // the entry's combination as the record holds it (finishing order)
    std::string_view pay;   // the entry's 9-digit payout field
    // kumi and pay are valid during the call only.
};

// Which kinds a walk covers (the others are skipped).
struct KindSet {
    bool pairsAndTrio = true;  // 馬連, ワイド, 馬単, ３連複
    bool trifecta = true;      // ３連単
};

// Calls f for every match of hrRec (raw payout record, short records read as
// blanks) with the lists. The ３連単 entries of each position are tested up to
// the first "000000" entry.
void forEachPayoutMatch(std::string_view hrRec, const bet::KaimeLists& lists, KindSet kinds,
                        const std::function<void(const PayoutMatch&)>& f);

// Tier of a bet position: 0 本線, 1 準本線, 2 伏兵, -1 beyond the bets; number
// is the position within the tier. perTier is 6 for pairs, 7 for trios.
struct BetTier {
    int tier = -1;
    int number = 0;
};
BetTier betTierOf(int position, int perTier);
inline int perTierOf(BetKind k) { return k == BetKind::Sanrenpuku || k == BetKind::Sanrentan ? 7 : 6; }

}  // namespace kv::racefiles
