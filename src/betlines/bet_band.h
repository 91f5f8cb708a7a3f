// How many of a race's pair and trio bets the race card and the prediction
// pages show, by the registered runner count. The count is compared as text,
// character by character in code order ("00" to "04", "05", "06", anything
// else, blanks included, is a full field); it is never converted.
#pragma once
#include <string_view>

namespace kv::bet {

struct BetBand {
    int pairLines;  // K lines carrying pairs: 1 (pairs 1-6), 2 (1-12) or 3 (1-18)
    int trioLines;  // S lines carrying trios: 1, 2 or 3 (seven trios each)
    bool shortTrioLine;  // the one trio line holds trios 1-4 only ("00" to "04")
    // Trio positions (1-based, inclusive) of the last S line that carries trios:
    // 1-4, 1-7, 8-14 or 15-21.
    int lastTrioFirst;
    int lastTrioLast;
};

BetBand betBandFor(std::string_view torokuTosu);

}  // namespace kv::bet
