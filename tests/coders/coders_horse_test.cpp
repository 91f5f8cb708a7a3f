// All 30 codes of one horse's entry, stored at their members' widths: the
// 176 bytes of F1..F30 as the factor expansion writes them.
#include <gtest/gtest.h>

#include "coders_test_support.h"

using namespace cdt;
namespace ex = kv::exrec;

TEST(CoderHorse, EntryCodesFillTheFactorBlock) {
    std::vector<std::string> recs{
        exRec({{ex::Year, "2023"}, {ex::MonthDay, "1001"}, {ex::Honsyokin, "00000500"}}),
        exRec({{ex::Year, "2023"}, {ex::MonthDay, "1105"}, {ex::Honsyokin, "00000500"}}),
        exRec({{ex::Year, "2024"}, {ex::MonthDay, "0421"}, {ex::Honsyokin, "00001000"}, {ex::Kyori, "1800"},
               {ex::TimeDiff, "+005"}, {ex::Odds, "0123"}}),
        exRec(),  // 2024-05-12, this week's entry
    };
    std::string block;
    for (int k = 1; k <= 30; ++k) block += kv::coders::FitCode(k, code(k, recs, 4));
    const std::string want = std::string("2024     ") + "5417       " + " 11      " + "56  " + "33   " + "A0    " +
                             "11   " + "10  " + "003" + "102" + "60  " + "138" + "00    " + "11030 " + "20    " +
                             "10  " + "10  " + "0330  " + "10   " + "0         " + "11        " + "1600A" +
                             "10        " + "071   " + "041 " + "0012" + "0311    " + "16    " + "1100  " + "10  ";
    ASSERT_EQ(block.size(), ex::FactorCodesAll.len);
    EXPECT_EQ(block, want);
}
