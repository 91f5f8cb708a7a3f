// Numbers as a value-by-value file read takes them (inputNumber), the same
// grammar without the exponent (strictNumber), and the lenient val() beyond
// the range of a double.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "common/numbers.h"

namespace {

TEST(InputNumber, TakesSignPointAndExponentForms) {
    struct Case {
        const char* text;
        double value;
        bool plain;  // no exponent: strictNumber takes it as well
    };
    const Case cases[] = {
        {"0.144", 0.144, true},     {"144E-3", 0.144, false},  {"1E-05", 1e-5, false},
        {"2.5E+07", 2.5e7, false},  {"-1.5e2", -150.0, false}, {"+3", 3.0, true},
        {".5", 0.5, true},          {"5.", 5.0, true},         {"-.25", -0.25, true},
        {"+5.E1", 50.0, false},     {"2.476E3", 2476.0, false}, {"0007", 7.0, true},
        {" 12 ", 12.0, true},       {"\t-0.25\r\n", -0.25, true}, {"1e308", 1e308, false},
        {"1E-310", 1e-310, false},  {"0E-999", 0.0, false},    {"00000000000000000000000000000001", 1.0, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(kv::inputNumber(c.text), c.value) << "'" << c.text << "'";
        if (c.plain) EXPECT_EQ(kv::strictNumber(c.text), c.value) << "'" << c.text << "'";
        else EXPECT_FALSE(kv::strictNumber(c.text)) << "'" << c.text << "'";
    }
}

TEST(InputNumber, RefusesEverythingElse) {
    const std::string beyond = "1" + std::string(400, '0');
    const char* const cases[] = {
        "E5", "1E", "1E+", "1E-", "1.2.3", "--1", "+-1", "1 2", "1 E5", "1E 5", "", "   ", "+", "-", ".", "-.",
        "1e5x", "0x10", "inf", "-inf", "nan", "1,5", "1E5.0", "1EE5", "1D5", "\xEF\xBC\x91",  // a full-width digit
        "1E309", "-1E309", "1E-400", beyond.c_str(),  // beyond what a double holds
    };
    for (const char* c : cases) {
        EXPECT_FALSE(kv::inputNumber(c)) << "'" << c << "'";
        EXPECT_FALSE(kv::strictNumber(c)) << "'" << c << "'";
    }
}

TEST(Val, BeyondADoubleGivesInfinityOrZero) {
    EXPECT_EQ(kv::val("1" + std::string(400, '0')), HUGE_VAL);
    EXPECT_EQ(kv::val("-" + std::string(400, '9') + ".5"), -HUGE_VAL);
    EXPECT_EQ(kv::val("0." + std::string(400, '0') + "1"), 0.0);
    EXPECT_EQ(kv::val("00" + std::string(400, '0') + "7.5"), 7.5);  // leading zeros are no size
    EXPECT_EQ(kv::val("1E5"), 1.0);  // no exponent: the number ends before the E
}

}  // namespace
