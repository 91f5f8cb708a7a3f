// All 30 codes of one horse's entry, stored at their members' widths: the
// 176 bytes of F1..F30 as the factor expansion writes them.
#include <gtest/gtest.h>

#include "coders_test_support.h"
#include "common/numbers.h"
#include "expansion/coders_internal.h"

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

    // All thirty at once give the same block, for every record of the horse
    // and also for records shorter than the members read.
    recs.push_back(recs[2].substr(0, ex::Kyori.off + 2));
    for (int cur = 1; cur <= static_cast<int>(recs.size()); ++cur) {
        const kv::coders::CoderContext ctx{recs, cur, nullptr};
        std::string one;
        for (int k = 1; k <= 30; ++k) one += kv::coders::FitCode(k, kv::coders::CodeFactor(k, ctx));
        kv::coders::FactorCodes all;
        kv::coders::CodeFactors(ctx, all);
        EXPECT_EQ(std::string(all.data(), all.size()), one) << "record " << cur;
        if (cur == 4) {
            EXPECT_EQ(one, want);
        }
    }
    kv::coders::FactorCodes all;
    EXPECT_THROW(kv::coders::CodeFactors(kv::coders::CoderContext{recs, 0, nullptr}, all), std::out_of_range);
    EXPECT_THROW(kv::coders::CodeFactors(kv::coders::CoderContext{recs, 6, nullptr}, all), std::out_of_range);
}

// Day counts are taken as the last four characters of the decimal text of
// n + 10000, read back; counted in numbers, they must stay the same.
TEST(CoderRules, LastFourOfDaysKeepsTheTextRule) {
    auto byText = [](long long n) {
        const std::string t = std::to_string(n + 10000);
        return static_cast<long long>(kv::val(t.size() <= 4 ? t : t.substr(t.size() - 4)));
    };
    for (long long n = -32000; n <= 32000; n += 7)
        ASSERT_EQ(kv::coders::detail::lastFourOfDays(n), byText(n)) << n;
    for (long long n : {-10000LL, -10999LL, -11000LL, -9001LL, -9000LL, -8999LL, -20000LL, 0LL, 99999999LL, -99999999LL})
        EXPECT_EQ(kv::coders::detail::lastFourOfDays(n), byText(n)) << n;
}
