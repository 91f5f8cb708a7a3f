// The number-text formatter: hard cases, and a cross-check on random values
// against a formatter built on the C library's "%.*e" conversion.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "common/numbers.h"

using kv::formatDouble;
using kv::formatSingle;

namespace {

// The same texts through printf-style rounding: sig significant digits, plain
// decimal notation, no trailing zeros, "-0" as "0".
std::string reference(double v, int sig) {
    if (!std::isfinite(v)) return "0";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*e", sig - 1, v);
    std::string s(buf);
    const bool neg = s[0] == '-';
    if (neg) s.erase(0, 1);
    const std::size_t e = s.find('e');
    const int exp = std::atoi(s.c_str() + e + 1);
    std::string digits;
    for (std::size_t i = 0; i < e; ++i)
        if (s[i] != '.') digits.push_back(s[i]);
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    if (digits == "0") return "0";
    const int point = exp + 1;
    std::string out;
    if (point <= 0) out = "0." + std::string(static_cast<std::size_t>(-point), '0') + digits;
    else if (static_cast<std::size_t>(point) >= digits.size())
        out = digits + std::string(static_cast<std::size_t>(point) - digits.size(), '0');
    else out = digits.substr(0, static_cast<std::size_t>(point)) + "." + digits.substr(static_cast<std::size_t>(point));
    return neg ? "-" + out : out;
}

}  // namespace

TEST(NumberText, HardCases) {
    struct Single { float v; const char* text; };
    const Single singles[] = {
        {0.1f, "0.1"},
        {12345.677f, "12345.68"},
        {123456789.0f, "123456800"},
        {-0.0f, "0"},
        {0.0f, "0"},
        {1234567.5f, "1234568"},  // exact ties: half to even
        {1234568.5f, "1234568"},
        {0.125f, "0.125"},
        {-2.5e-8f, "-0.000000025"},
        {1.0e-45f, "0.000000000000000000000000000000000000000000001401298"},
        {3.4028235e38f, "340282300000000000000000000000000000000"},
        {9999999.0f, "9999999"},
        {99999992.0f, "99999990"},
        {0.3f, "0.3"},
        {16777217.0f, "16777220"},
        {std::numeric_limits<float>::infinity(), "0"},  // never "inf" or worse in a file
        {std::numeric_limits<float>::quiet_NaN(), "0"},
    };
    for (const auto& c : singles) EXPECT_EQ(formatSingle(c.v), c.text) << c.text;
    struct Double { double v; const char* text; };
    const Double doubles[] = {
        {1.7000000000000002, "1.7"},
        {0.1, "0.1"},
        {-0.0, "0"},
        {123456789012345.5, "123456789012346"},  // exact ties at the 15th digit: half to even
        {123456789012344.5, "123456789012344"},
        {0.30000000000000004, "0.3"},
        {1e21, "1000000000000000000000"},
        {-999999999999999.9, "-1000000000000000"},
        {2.0 / 3.0, "0.666666666666667"},
        {123456789.0, "123456789"},
        {-std::numeric_limits<double>::infinity(), "0"},
    };
    for (const auto& c : doubles) EXPECT_EQ(formatDouble(c.v), c.text) << c.text;
    EXPECT_EQ(formatDouble(1e-300), "0." + std::string(299, '0') + "1");
}

TEST(NumberText, SameAsPrintfRoundingOnRandomValues) {
    std::mt19937_64 rng(20240607);
    int mismatches = 0;
    for (int i = 0; i < 150000 && mismatches < 5; ++i) {
        // Any bit pattern, and values of the sizes the files hold with few decimals.
        const std::uint64_t bits = rng();
        float f;
        const std::uint32_t fb = static_cast<std::uint32_t>(bits);
        std::memcpy(&f, &fb, sizeof f);
        double d;
        std::memcpy(&d, &bits, sizeof d);
        const double scaled = static_cast<double>(bits % 100000000) / std::pow(10.0, static_cast<int>(bits >> 60));
        const float fs = static_cast<float>(scaled);
        for (float x : {f, fs})
            if (formatSingle(x) != reference(x, 7)) {
                ADD_FAILURE() << "single " << reference(x, 9) << ": " << formatSingle(x);
                ++mismatches;
            }
        for (double x : {d, scaled})
            if (formatDouble(x) != reference(x, 15)) {
                ADD_FAILURE() << "double " << reference(x, 17) << ": " << formatDouble(x);
                ++mismatches;
            }
    }
}
