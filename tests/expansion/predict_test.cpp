// Speed prediction of one record: weight sums with the |w| > 20 rule, the
// stored weights, predicted texts, sample counts and RunSpeeds.
#include <gtest/gtest.h>

#include <limits>

#include "common/fields.h"
#include "common/numbers.h"
#include "expansion/calc.h"
#include "expansion/calcerror.h"
#include "common/exrecord.h"
#include "expansion/speeds.h"

namespace ex = kv::exrec;
using namespace kv::expansion;

namespace {

// Factor 1: one year; factors 5, 6: one category each; factor 2: one category.
SurfaceTables sampleTables() {
    std::array<std::vector<std::string>, 31> cats;
    std::array<std::vector<std::int32_t>, 31> counts;
    std::array<std::vector<float>, 31> a, p, s;
    auto add = [&](int k, const char* code, int count, float wa, float wp, float ws) {
        cats[k].push_back(code);
        counts[k].push_back(count);
        a[k].push_back(wa);
        p[k].push_back(wp);
        s[k].push_back(ws);
    };
    add(1, "2024     ", 100, 40.0f, 80.0f, 40.0f);
    add(5, "3    ", 9, 20.0f, -20.0f, 20.5f);   // exactly +-20 is added, 20.5 is not
    add(6, "A1    ", 42, 1.25f, 40.0f, 0.5f);   // 40 is left out of the pace sum
    add(2, "50710      ", 7, -25.0f, 0.0f, 0.0f);
    return SurfaceTables::fromValues(cats, counts, a, p, s);
}

std::string recordWithCategories(std::initializer_list<std::pair<int, int>> fc) {
    std::string r = ex::emptyRecord();
    kv::setField(r, ex::Kyori, "1600");
    kv::setField(r, ex::SpeedText(1), "6260869");
    kv::setField(r, ex::SpeedText(2), "       ");
    kv::setField(r, ex::SpeedText(3), "6095238");
    for (int k = 1; k <= 30; ++k) kv::setField(r, ex::FC(k), "0");
    for (auto [k, j] : fc) kv::setField(r, ex::FC(k), std::to_string(j));
    return r;
}

}  // namespace

TEST(PredictSpeeds, SumsStoredWeightsAndSpeedValues) {
    const SurfaceTables t = sampleTables();
    std::string r = recordWithCategories({{1, 1}, {5, 1}, {6, 1}, {2, 1}});
    PredictSpeeds(r, t);

    // A = 40 + 20 + 1.25 (factor 2's -25 left out), P = 80 - 20, S = 40 + 0.5.
    EXPECT_EQ(kv::getField(r, ex::SpeedText(4)), "6125000");
    EXPECT_EQ(kv::getField(r, ex::SpeedText(5)), "6000000");
    EXPECT_EQ(kv::getField(r, ex::SpeedText(6)), "4050000");
    // Every weight is stored, also one left out of its sum.
    EXPECT_EQ(kv::getSingle(r, ex::AgariFW(2)), -25.0f);
    EXPECT_EQ(kv::getSingle(r, ex::SohaFW(5)), 20.5f);
    EXPECT_EQ(kv::getSingle(r, ex::PaceFW(6)), 40.0f);
    EXPECT_EQ(kv::getSingle(r, ex::AgariFW(3)), 0.0f);
    // Sample counts of factors 6, 18, 19, 20, 21.
    EXPECT_EQ(kv::getField(r, ex::SpeedText(7)), "0000042");
    EXPECT_EQ(kv::getField(r, ex::SpeedText(8)), "0000000");
    // Entry 0 of the arrays and SpeedText 12.. keep their zero bytes.
    EXPECT_EQ(kv::getField(r, ex::FC(0)), std::string(4, '\0'));
    EXPECT_EQ(kv::getField(r, ex::SpeedText(12)), std::string(7, '\0'));

    const float e1 = kv::getSingle(r, ex::RunSpeeds(1));
    EXPECT_EQ(e1, static_cast<float>(6260869 / 100000.0));
    EXPECT_EQ(kv::getSingle(r, ex::RunSpeeds(2)), 0.0f);
    EXPECT_EQ(kv::getSingle(r, ex::RunSpeeds(4)), 61.25f);
    EXPECT_EQ(kv::getSingle(r, ex::RunSpeeds(5)), 60.0f);
    EXPECT_EQ(kv::getSingle(r, ex::RunSpeeds(6)), 40.5f);
    const float g = kv::getSingle(r, ex::RunSpeeds(7));
    // Every step in single precision: 60.46272 (a double quotient would give 60.46273).
    EXPECT_EQ(kv::formatSingle(g), "60.46272");
    EXPECT_EQ(kv::getSingle(r, ex::RunSpeeds(8)), kv::getSingle(r, ex::RunSpeeds(3)) - g);
    EXPECT_EQ(kv::getSingle(r, ex::RunSpeeds(9)), 40.5f - g);
    EXPECT_EQ(kv::getSingle(r, ex::RunSpeeds(10)), e1 - 61.25f);
    EXPECT_EQ(kv::getSingle(r, ex::RunSpeeds(11)), -60.0f);
    EXPECT_EQ(kv::formatSingle(kv::getSingle(r, ex::RunSpeeds(13))), "23.80951");
    EXPECT_EQ(kv::getField(r, kv::Field{ex::RunSpeeds(14), 28}), std::string(28, '\0'));
}

TEST(PredictSpeeds, FactorOneFillInForAnUnknownYear) {
    const SurfaceTables t = sampleTables();
    std::string r = recordWithCategories({{5, 1}});  // factor 1 not found: category 0
    PredictSpeeds(r, t);
    EXPECT_EQ(kv::getSingle(r, ex::AgariFW(1)), 40.0f);
    EXPECT_EQ(kv::getSingle(r, ex::PaceFW(1)), 80.0f);
    EXPECT_EQ(kv::getField(r, ex::SpeedText(4)), "6000000");
}

TEST(PredictSpeeds, PaceIndexZeroWhenPredictedSpeedsAreEqual) {
    std::array<std::vector<std::string>, 31> cats;
    std::array<std::vector<std::int32_t>, 31> counts;
    std::array<std::vector<float>, 31> w;
    cats[1] = {"2024     "};
    counts[1] = {1};
    w[1] = {55.0f};
    const SurfaceTables hurdle = SurfaceTables::fromValues(cats, counts, w, w, w);
    std::string r = recordWithCategories({{1, 1}});
    PredictSpeeds(r, hurdle);
    // Equal in exact arithmetic; single-precision steps leave the last bit.
    EXPECT_NEAR(kv::getSingle(r, ex::RunSpeeds(7)), 55.0f, 1e-5);
    EXPECT_NEAR(kv::getSingle(r, ex::RunSpeeds(9)), 0.0f, 1e-5);
    EXPECT_EQ(kv::getSingle(r, ex::RunSpeeds(13)), 0.0f);
}

TEST(PredictSpeeds, ZeroPredictedSpeedFailsTheRecord) {
    std::array<std::vector<std::string>, 31> cats;
    std::array<std::vector<std::int32_t>, 31> counts;
    std::array<std::vector<float>, 31> w;
    const SurfaceTables empty = SurfaceTables::fromValues(cats, counts, w, w, w);
    std::string r = recordWithCategories({});
    EXPECT_THROW(PredictSpeeds(r, empty), CalcError);
}

TEST(PredictSpeeds, SpeedsBeyondTheirRangeFailTheRecord) {
    // Factor 1's weight is always added: a sum too large for its speed text is
    // a failure of the calculation, never an undefined value.
    std::array<std::vector<std::string>, 31> cats;
    std::array<std::vector<std::int32_t>, 31> counts;
    std::array<std::vector<float>, 31> w;
    cats[1] = {"2024     "};
    counts[1] = {1};
    w[1] = {3.0e38f};
    const SurfaceTables t = SurfaceTables::fromValues(cats, counts, w, w, w);
    std::string r = recordWithCategories({{1, 1}});
    EXPECT_THROW(PredictSpeeds(r, t), CalcError);

    struct Case { float x; const char* text; } texts[] = {
        {-5.0f, "5000000"}, {899.5f, "9950000"}, {900.0f, "0000000"}, {999999.0f, "0000990"},
    };
    for (const auto& c : texts) EXPECT_EQ(predictedSpeedText(c.x), c.text) << c.x;
    EXPECT_THROW(predictedSpeedText(1.0e10f), CalcError);
    EXPECT_THROW(predictedSpeedText(std::numeric_limits<float>::infinity()), CalcError);
}
