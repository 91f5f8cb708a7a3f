// Hit check of the tiered bets: every payout combination of the race's payout
// record is looked up in the race's whole candidate lists (pairs for 馬連,
// ワイド and 馬単, trios for ３連複 and ３連単). A combination at a tier position
// (本線, 準本線, 伏兵) is a hit: it gets an "AT" line, sets the kind's hit result
// and adds to the kind's day tally. A combination further down the lists was
// not bet: it only sets the result (with a blank tier text) and counts a check.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "prediction/window_state.h"

namespace kv::bet {

// The race's candidate lists as the prediction run leaves them: entries
// 1..count, best first (entry 0 unused).
struct KaimeLists {
    const std::vector<std::string>* UmarenKaimeKey = nullptr;      // "aabb", lower number first
    const std::vector<std::string>* UmarenKaimeDisp = nullptr;     // same pairs, faster horse first
    int UmarenKaimeCount = 0;
    const std::vector<std::string>* SanrenpukuKaimeKey = nullptr;  // "aabbcc", ascending
    const std::vector<std::string>* SanrenKaime = nullptr;         // same trios, fastest first
    int SanrenpukuKaimeCount = 0;

    // The lists of a race (the window's race state, or anything holding the same members).
    template <class Race>
    static KaimeLists of(const Race& race) {
        KaimeLists l;
        l.UmarenKaimeKey = &race.UmarenKaimeKey;
        l.UmarenKaimeDisp = &race.UmarenKaimeDisp;
        l.UmarenKaimeCount = race.UmarenKaimeCount;
        l.SanrenpukuKaimeKey = &race.SanrenpukuKaimeKey;
        l.SanrenKaime = &race.SanrenKaime;
        l.SanrenpukuKaimeCount = race.SanrenpukuKaimeCount;
        return l;
    }
};

// What one check produces. The results start at the no-hit values; the
// tallies hold only this race's additions.
struct TekichuOutcome {
    std::vector<std::string> atLines;  // CP932, each ending in CR LF

    pred::TekichuResult UmarenResult, Wide1Result, Wide2Result, Wide3Result, UmatanResult;
    pred::TekichuResult SanrenpukuResult, SanrentanResult;

    pred::TierTally UmarenTally, WideTally, UmatanOmoteTally, UmatanUraTally, SanrenpukuTally, SanrentanTally;

    std::int16_t matchNumber = 0;  // matches of every kind, bet or not

    TekichuOutcome();
    // Adds the tallies to the day's tallies and replaces the race's seven results.
    void applyTo(pred::KeptState& kept) const;
    // The AT lines as one block of bytes.
    std::string lineBytes() const;
};

// The no-hit value of every result: Tekichu ten blanks, the rest empty.
pred::TekichuResult noHitResult();

// Checks payout record hrRec (raw HR bytes) against the lists. A payout or
// popularity field of a matched entry that holds no number throws
// kv::ConversionError; `out` then keeps what was done before the failure.
void CheckKaimeTekichu(std::string_view hrRec, const KaimeLists& lists, TekichuOutcome& out);
TekichuOutcome CheckKaimeTekichu(std::string_view hrRec, const KaimeLists& lists);

}  // namespace kv::bet
