#include "betlines/bet_band.h"

namespace kv::bet {

namespace {
// "lo" <= t <= "hi", texts compared byte by byte (code order).
bool inRange(std::string_view t, std::string_view lo, std::string_view hi) { return t >= lo && t <= hi; }
}  // namespace

BetBand betBandFor(std::string_view t) {
    BetBand b{};
    // The pair rows and the trio rows have their own ranges.
    b.pairLines = inRange(t, "00", "05") ? 1 : t == "06" ? 2 : 3;
    if (inRange(t, "00", "04")) {
        b.trioLines = 1, b.shortTrioLine = true, b.lastTrioFirst = 1, b.lastTrioLast = 4;
    } else if (t == "05") {
        b.trioLines = 1, b.lastTrioFirst = 1, b.lastTrioLast = 7;
    } else if (t == "06") {
        b.trioLines = 2, b.lastTrioFirst = 8, b.lastTrioLast = 14;
    } else {
        b.trioLines = 3, b.lastTrioFirst = 15, b.lastTrioLast = 21;
    }
    return b;
}

}  // namespace kv::bet
