#include <gtest/gtest.h>

#include <map>
#include <stdexcept>

#include "bet_fixture.h"
#include "common/numbers.h"
#include "elevencolumn/tally.h"

using namespace bettest;
using kv::eleven::elevenBandFor;

namespace {

// Ten horses ranked in horse-number order (R(k) = horse k).
struct TallyRace {
    std::vector<std::string> order{""};
    std::array<std::string, 19> chakujun{};
    std::string hr;
    int horses = 10;
    std::string toroku = "10", sd = "25";

    explicit TallyRace(const std::map<int, const char*>& places, std::string payouts) : hr(std::move(payouts)) {
        for (int h = 1; h <= 18; ++h) order.push_back(two(h));
        for (int h = 1; h <= 18; ++h) chakujun[static_cast<std::size_t>(h)] = "**";
        for (auto& [h, p] : places) chakujun[static_cast<std::size_t>(h)] = p;
    }
    void run(pred::KeptState& kept) const {
        kv::eleven::TallyTekichuHaito({hr, &order, horses, &chakujun, elevenBandFor(toroku, sd)}, kept);
    }
};

// Kumi of the eleven columns in hit-table order.
std::vector<std::string> kumi(pred::KeptState& k) {
    const auto s = kv::eleven::ElevenStats::of(k);
    std::vector<std::string> v;
    for (auto* t : s.winPlace) v.push_back(t->Kumi);
    for (auto* t : s.tickets) v.push_back(t->Kumi);
    return v;
}

// Payouts of a race won by a, b second and c third.
std::string payouts(const std::string& a, const std::string& b, const std::string& c) {
    auto asc = [](std::string x, std::string y) { return x < y ? x + y : y + x; };
    return Payout()
        .tansho(1, a.c_str(), "000000300", "01")
        .fukusho(1, a.c_str(), "000000110", "01")
        .fukusho(2, b.c_str(), "000000120", "02")
        .fukusho(3, c.c_str(), "000000130", "03")
        .umaren(1, asc(a, b).c_str(), "000000500", "001")
        .umatan(1, (a + b).c_str(), "000000900", "001")
        .sanrenpuku(1, Lists::ascending(a + b + c, 3).c_str(), "000001500", "001")
        .sanrentan(1, (a + b + c).c_str(), "000005000", "0001")
        .str();
}

}  // namespace

TEST(ElevenTally, HitsByFinishingOrder) {
    using V = std::vector<std::string>;
    struct Case {
        const char* what;
        TallyRace race;
        V kumi;
    } cases[] = {
        {"R(2), R(3), R(1)", TallyRace({{2, "01"}, {3, "02"}, {1, "03"}}, payouts("02", "03", "01")),
         V{"", "01", "02", "02", " 2- 3", " 2- 3", " 2→ 3", " 1- 2- 3", " 2→ 3→ 1", "", ""}},
        {"R(3), R(1), R(5)", TallyRace({{3, "01"}, {1, "02"}, {5, "03"}}, payouts("03", "01", "05")),
         V{"", "01", "", "", " 1- 3", " 1- 3", " 3→ 1", " 1- 3- 5", "", "", " 3→ 1→ 5"}},
        {"R(1), R(7), R(9) (legs to 7 and 9)", TallyRace({{1, "01"}, {7, "02"}, {9, "03"}}, payouts("01", "07", "09")),
         V{"01", "01", "", "", " 1- 7", "", " 1→ 7", "", "", "", ""}},
        {"R(9), R(10), R(8)", TallyRace({{9, "01"}, {10, "02"}, {8, "03"}}, payouts("09", "10", "08")),
         V{"", "", "", "", "", "", "", "", "", "", ""}},
        // Dead heat for first: the exacta formation hits on its first count;
        // a box holding three horses of "01" or "02" does not.
        {"R(1) and R(2) dead heat, R(4) second", TallyRace({{1, "01"}, {2, "01"}, {4, "02"}}, payouts("01", "02", "04")),
         V{"01", "01", "", "02", " 1- 2", "", " 1→ 2", " 1- 2- 4", "", "", ""}},
    };
    for (auto& c : cases) {
        pred::KeptState k;
        c.race.run(k);
        EXPECT_EQ(kumi(k), c.kumi) << c.what;
    }
}

TEST(ElevenTally, PayoutsPointsAndDayTotals) {
    pred::KeptState k;
    k.StatUmarenF.Kumi = "old";
    const TallyRace hit({{2, "01"}, {3, "02"}, {1, "03"}}, payouts("02", "03", "01"));
    hit.run(k);
    EXPECT_EQ(k.StatFukusho1.Haito, "130");
    EXPECT_EQ(k.StatTansho2.Haito, "300");
    EXPECT_EQ(k.StatUmatanF.Haito, "900");
    EXPECT_EQ(k.StatSanrentan12.Haito, "5000");
    EXPECT_EQ(k.StatSanrentan23.Haito, "");
    EXPECT_EQ(k.StatSanrenpukuB.Tensu, 20);

    const TallyRace miss({{9, "01"}, {10, "02"}, {8, "03"}}, payouts("09", "10", "08"));
    miss.run(k);
    EXPECT_EQ(k.StatUmarenF.Kumi, "");
    EXPECT_EQ(k.StatUmarenF.Haito, "");
    EXPECT_EQ(k.StatUmarenF.TekichuKaisu, 1);
    EXPECT_EQ(k.StatUmarenF.HaitoGoukei, 500);
    EXPECT_EQ(k.StatUmarenF.TensuGoukei, 30);
    EXPECT_EQ(k.StatSanrentan12.TensuGoukei, 84);
    EXPECT_EQ(k.StatFukusho1.HaitoGoukei, 130);
}

// Only the first payout entry names the combination, also when a dead heat
// listed the hit later.
TEST(ElevenTally, FirstEntryOnly) {
    TallyRace r({{1, "01"}, {2, "02"}, {9, "02"}}, Payout()
                                                      .umaren(1, "0109", "000000700", "002")
                                                      .umaren(2, "0102", "000000400", "001")
                                                      .umatan(1, "0102", "000000900", "001")
                                                      .str());
    pred::KeptState k;
    r.run(k);
    EXPECT_EQ(k.StatUmarenF.Kumi, " 1- 9");
    EXPECT_EQ(k.StatUmarenF.Haito, "700");
}

// Six and seven registered runners: the exacta formation takes its second
// horse from R(1) to R(6), as its ticket line lists them.
TEST(ElevenTally, ExactaFormationOfSixAndSevenRunners) {
    for (const char* toroku : {"06", "07"}) {
        TallyRace r({{1, "01"}, {6, "02"}, {2, "03"}}, payouts("01", "06", "02"));
        r.toroku = toroku;
        r.horses = 7;
        pred::KeptState k;
        r.run(k);
        EXPECT_EQ(k.StatUmatanF.Tensu, 15) << toroku;
        EXPECT_EQ(k.StatUmatanF.Kumi, " 1→ 6") << toroku;
        EXPECT_EQ(k.StatUmarenF.Kumi, " 1- 6") << toroku;
    }
}

TEST(ElevenTally, Failures) {
    // A blank registered count with four horses: the quinella formation's
    // second leg reads rank 5.
    TallyRace few({{1, "01"}, {5, "02"}}, payouts("01", "05", "02"));
    few.toroku = "  ";
    few.horses = 4;
    pred::KeptState k;
    EXPECT_THROW(few.run(k), std::out_of_range);
    EXPECT_EQ(k.StatTansho1.TekichuKaisu, 1);  // set before the failure
    EXPECT_EQ(k.StatUmarenF.TensuGoukei, 15);

    TallyRace badPay({{1, "01"}, {2, "02"}}, Payout().tansho(1, "01", "00000x300", "01").str());
    EXPECT_THROW(badPay.run(k), kv::ConversionError);

    pred::KeptState full;
    full.StatUmarenF.TensuGoukei = 32760;
    const TallyRace any({{1, "01"}}, payouts("01", "02", "03"));
    EXPECT_THROW(any.run(full), std::overflow_error);
}
