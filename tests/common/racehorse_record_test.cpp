#include <gtest/gtest.h>

#include "common/racehorse_record.h"

using namespace kv;

TEST(RaceHorseRecord, LayoutAndSlots) {
    RaceHorseRecord r;
    ASSERT_EQ(r.bytes.size(), 24022u);
    EXPECT_EQ(std::string(r.bytes.size(), '\0'), r.bytes);

    // Slot s of a text array lies at base + width * s.
    EXPECT_EQ(rh::RaceId.at(3).off, 48u);
    EXPECT_EQ(rh::KettoNum.at(64).off, 1235u + 640u);
    EXPECT_EQ(rh::NyusenJyuni.at(0).off, 2961u);
    EXPECT_EQ(rh::HaronTimeL3.at(0).len, 3u);
    EXPECT_EQ(rh::TenkoCD(2).off, 4741u);
    EXPECT_EQ(rh::SibaBabaCD(2).off, 4742u);
    EXPECT_EQ(rh::DirtBabaCD(2).off, 4743u);
    EXPECT_EQ(rh::EntityRank.at(4).off, 4969u);
    EXPECT_EQ(rh::agariFwOffset(1, 0), 4976u + 96u);
    EXPECT_EQ(rh::paceFwOffset(0, 23), 11696u + 92u);
    EXPECT_EQ(rh::runSpeedOffset(64, 19), 18416u + 80u * 64u + 76u);

    r.set(rh::RaceId.at(0), "2025040506010211");
    r.setSingleAt(rh::runSpeedOffset(0, rh::kSpeedComposite), 61.25f);
    r.set(rh::CrLf, "\r\n");
    EXPECT_EQ(r.raceId(), "2025040506010211");
    EXPECT_EQ(r.runSpeed(0, 6), 61.25f);
    EXPECT_EQ(r.bytes.substr(24020), "\r\n");
    EXPECT_EQ(r.bytes.size(), 24022u);
    // Little-endian IEEE single: 61.25 = 0x42750000.
    EXPECT_EQ(static_cast<unsigned char>(r.bytes[18416 + 24 + 3]), 0x42);
    EXPECT_EQ(static_cast<unsigned char>(r.bytes[18416 + 24 + 2]), 0x75);

    // A short record read back is completed with zero bytes.
    RaceHorseRecord shortRec(std::string_view("2025", 4));
    EXPECT_EQ(shortRec.bytes.size(), 24022u);
    EXPECT_EQ(shortRec.bytes.substr(0, 5), std::string("2025") + '\0');
}
