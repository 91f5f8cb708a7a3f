// Bets shown by registered runner count, compared as text.
#include <gtest/gtest.h>

#include "betlines/bet_band.h"

using kv::bet::betBandFor;

TEST(BetBand, RegisteredCountComparedAsText) {
    struct Case {
        const char* count;
        int pairLines, trioLines;
        bool shortLine;
        int first, last;
    } cases[] = {
        {"00", 1, 1, true, 1, 4},    {"03", 1, 1, true, 1, 4},     {"04", 1, 1, true, 1, 4},
        {"05", 1, 1, false, 1, 7},   {"06", 2, 2, false, 8, 14},   {"07", 3, 3, false, 15, 21},
        {"16", 3, 3, false, 15, 21}, {"  ", 3, 3, false, 15, 21},  {" 5", 3, 3, false, 15, 21},
        {"0", 3, 3, false, 15, 21},  // sorts before "00"
        {"041", 1, 3, false, 15, 21},  // between "04" and "05": short pair rows, full trio rows
    };
    for (const auto& c : cases) {
        auto b = betBandFor(c.count);
        EXPECT_EQ(b.pairLines, c.pairLines) << c.count;
        EXPECT_EQ(b.trioLines, c.trioLines) << c.count;
        EXPECT_EQ(b.shortTrioLine, c.shortLine) << c.count;
        EXPECT_EQ(b.lastTrioFirst, c.first) << c.count;
        EXPECT_EQ(b.lastTrioLast, c.last) << c.count;
    }
}
