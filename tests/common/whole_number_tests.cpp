// The strict whole-number conversion of the file writers: what it accepts,
// what it rejects, and the error's text.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "common/numbers.h"

namespace {

constexpr long long kShortMin = std::numeric_limits<std::int16_t>::min();
constexpr long long kShortMax = std::numeric_limits<std::int16_t>::max();

TEST(WholeNumber, AcceptsDigitsWithSignAndBlanksAround) {
    struct Case {
        const char* text;
        long long value;
    };
    const Case cases[] = {
        {"7", 7},           {"007", 7},          {" 12 ", 12},         {"\t4\r\n", 4},
        {"+5", 5},          {"-3", -3},          {"000012340", 12340}, {"2147483647", 2147483647},
        {"-2147483648", -2147483648LL},
    };
    for (const auto& c : cases) EXPECT_EQ(kv::wholeNumber(c.text), c.value) << "'" << c.text << "'";
    EXPECT_EQ(kv::wholeNumber("-32768", kShortMin, kShortMax), -32768);
}

TEST(WholeNumber, RejectsAnythingElseWithItsText) {
    struct Case {
        const char* text;
        long long lo, hi;
    };
    constexpr long long kMin = std::numeric_limits<std::int32_t>::min();
    constexpr long long kMax = std::numeric_limits<std::int32_t>::max();
    const Case cases[] = {
        {"", kMin, kMax},          {"  ", kMin, kMax},        {"1 2", kMin, kMax},      {"1.0", kMin, kMax},
        {"12x", kMin, kMax},       {"+", kMin, kMax},         {"- 1", kMin, kMax},      {"0x1A", kMin, kMax},
        {"2147483648", kMin, kMax}, {"-2147483649", kMin, kMax}, {"99999999999999999999", kMin, kMax},
        {"32768", kShortMin, kShortMax}, {"\xEF\xBC\x91", kMin, kMax},  // a full-width digit
    };
    for (const auto& c : cases) {
        try {
            kv::wholeNumber(c.text, c.lo, c.hi);
            ADD_FAILURE() << "accepted '" << c.text << "'";
        } catch (const kv::ConversionError& e) {
            EXPECT_EQ(std::string(e.what()), "not a number: '" + std::string(c.text) + "'");
        }
    }
}

TEST(WholeNumber, ErrorIsARuntimeError) {
    EXPECT_THROW(kv::wholeNumber("x"), std::runtime_error);
    EXPECT_STREQ(kv::notANumber(" 1.5").what(), "not a number: ' 1.5'");
}

}  // namespace
