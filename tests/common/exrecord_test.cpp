// Layout of the expanded run record: members follow each other without gaps
// and end at 2603 bytes; the calculated arrays sit where readers expect them.
#include <gtest/gtest.h>

#include "common/exrecord.h"

namespace ex = kv::exrec;

TEST(ExRecordLayout, MembersAreContiguousAndEndAt2603) {
    std::size_t off = 0;
    for (const auto& m : ex::memberTable()) {
        EXPECT_EQ(m.field.off, off) << m.name;
        off = m.field.end();
    }
    EXPECT_EQ(off, ex::kLength);
}

TEST(ExRecordLayout, KeyOffsetsOfCalculatedMembers) {
    struct Case { kv::Field f; std::size_t off, len; } cases[] = {
        {ex::F(1), 1849, 9},   {ex::F(2), 1858, 11}, {ex::F(12), 1912, 3},
        {ex::F(20), 1952, 10}, {ex::F(27), 2001, 8}, {ex::F(30), 2021, 4},
        {ex::FC(0), 2025, 4},  {ex::FC(30), 2145, 4},
        {ex::SpeedText(1), 1709, 7}, {ex::SpeedText(20), 1842, 7},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.f.off, c.off);
        EXPECT_EQ(c.f.len, c.len);
    }
    EXPECT_EQ(ex::AgariFW(0), 2149u);
    EXPECT_EQ(ex::PaceFW(30), 2273u + 120u);
    EXPECT_EQ(ex::SohaFW(1), 2401u);
    EXPECT_EQ(ex::RunSpeeds(1), 2521u);
    EXPECT_EQ(ex::RunSpeeds(20), 2597u);
}
