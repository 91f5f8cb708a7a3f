// Actual speeds and the speed texts.
#include <gtest/gtest.h>

#include "expansion/calcerror.h"
#include "common/exrecord.h"
#include "expansion/speeds.h"
#include "fixtures/fixtures.h"

namespace ex = kv::exrec;
using namespace kv::expansion;

namespace {

std::string runRecord(const char* track, const char* kyori, const char* time, const char* l3) {
    std::string r = ex::emptyRecord();
    kv::setField(r, ex::TrackCD, track);
    kv::setField(r, ex::Kyori, kyori);
    kv::setField(r, ex::Time, time);
    kv::setField(r, ex::HaronTimeL3, l3);
    return r;
}

}  // namespace

TEST(ActualSpeeds, Table) {
    struct Case {
        const char *track, *kyori, *time, *l3, *agari, *pace, *soha;
    } cases[] = {
        {"17", "1600", "1345", "345", "6260869", "6000000", "6095238"},  // flat: 21600/345, 1000/600*36, 1600/945*36
        {"52", "3000", "3200", "124", "5806451", "5373134", "5400000"},  // hurdle: 7200/124; (2800/1876)*36; 3000/2000*36
        {"17", "1600", "1345", "000", "0000000", "0000000", "6095238"},  // no final-section time
        {"17", "1600", "0000", "000", "0000000", "0000000", "0000000"},
        {"17", "1600", "1345", "   ", "       ", "       ", "6095238"},  // blank: blank texts, whole race still computed
        {"35", "1600", "1345", "345", "0000000", "0000000", "6095238"},  // neither flat nor hurdle
    };
    for (const auto& c : cases) {
        const std::string r = runRecord(c.track, c.kyori, c.time, c.l3);
        EXPECT_EQ(CalcAgariSpeed(r), c.agari) << c.track << c.time << c.l3;
        EXPECT_EQ(CalcPaceSpeed(r), c.pace) << c.track << c.time << c.l3;
        EXPECT_EQ(CalcSohaSpeed(r), c.soha) << c.track << c.time << c.l3;
    }
}

TEST(ActualSpeeds, NegativePaceEncodesWithoutError) {
    // Whole-race time 34.0 s shorter than the final 34.5 s: T = -5 tenths, D = 1000 m.
    const std::string r = runRecord("17", "1600", "0340", "345");
    // (1000 / -5) * 36 = -7200 km/h: Int(-720000000) + 10000000 = -710000000 -> last seven "0000000".
    EXPECT_EQ(CalcPaceSpeed(r), "0000000");
    EXPECT_EQ(actualSpeedText(-5.0f), "9500000");
    EXPECT_EQ(actualSpeedText(123.5f), "2350000");
    EXPECT_EQ(actualSpeedText(0.0f), "0000000");
}

TEST(ActualSpeeds, FailuresOfTheCalculation) {
    EXPECT_THROW(CalcPaceSpeed(runRecord("17", "1600", "0345", "345")), CalcError);  // zero pace time
    EXPECT_THROW(CalcAgariSpeed(runRecord("17", "1600", "1345", "3x5")), CalcError);
    EXPECT_THROW(CalcSohaSpeed(runRecord("17", "16a0", "1345", "345")), CalcError);
}

TEST(SpeedTexts, PredictedAndSampleCount) {
    EXPECT_EQ(predictedSpeedText(61.25f), "6125000");
    EXPECT_EQ(predictedSpeedText(0.0f), "0000000");
    EXPECT_EQ(sampleCountText(42), "0000042");
    EXPECT_EQ(sampleCountText(0), "0000000");
}
