#include <gtest/gtest.h>

#include <stdexcept>

#include "common/numbers.h"
#include "common/quoted.h"
#include "elevencolumn/columns.h"
#include "fixtures/fixtures.h"

using kv::eleven::ElevenBand;
using kv::eleven::elevenBandFor;

TEST(ElevenBand, RanksAndPointsByRegisteredCountAndSd) {
    struct Case {
        const char* toroku;
        const char* sd;
        ElevenBand band;
        std::vector<int> points;  // 馬連F 馬連B 馬単F 3連複B 3連単12 3連単23 3連単13
    } cases[] = {
        {"04", "xx", {4, 4, 4, 4, 4, 4}, {6, 6, 9, 4, 12, 6, 6}},  // SD not read
        {"01", "  ", {4, 4, 4, 4, 4, 4}, {6, 6, 9, 4, 12, 6, 6}},
        {"05", "SD", {5, 5, 5, 5, 5, 5}, {9, 10, 12, 10, 18, 12, 12}},
        {"06", "", {6, 5, 6, 5, 6, 6}, {12, 10, 15, 10, 24, 18, 18}},
        {"07", "", {6, 5, 6, 5, 7, 7}, {12, 10, 15, 10, 30, 24, 24}},
        {"08", "25", {7, 6, 7, 6, 8, 8}, {15, 15, 18, 20, 36, 30, 30}},
        {"08", "30", {7, 6, 7, 6, 8, 8}, {15, 15, 18, 20, 36, 30, 30}},
        {"08", "35", {6, 5, 6, 5, 8, 8}, {12, 10, 15, 10, 36, 30, 30}},
        {"12", "31", {6, 5, 6, 5, 8, 8}, {12, 10, 15, 10, 36, 30, 30}},
        {"12", "30", {7, 6, 7, 6, 9, 9}, {15, 15, 18, 20, 42, 36, 36}},
        {"  ", " 2", {7, 6, 7, 6, 9, 9}, {15, 15, 18, 20, 42, 36, 36}},  // blank is 0: the remaining band
        {"18", "99", {6, 5, 6, 5, 8, 8}, {12, 10, 15, 10, 36, 30, 30}},
    };
    for (const Case& c : cases) {
        const ElevenBand b = elevenBandFor(c.toroku, c.sd);
        EXPECT_EQ(b, c.band) << c.toroku << "/" << c.sd;
        EXPECT_EQ((std::vector<int>{b.umarenF(), b.umarenB(), b.umatanF(), b.sanrenpukuB(), b.sanrentan12(),
                                    b.sanrentan23(), b.sanrentan13()}),
                  c.points)
            << c.toroku << "/" << c.sd;
    }
    // The SD value is read in the two bands that use it, and must be a number there.
    EXPECT_THROW(elevenBandFor("08", "SD"), kv::ConversionError);
    EXPECT_THROW(elevenBandFor("10", ""), kv::ConversionError);
}

TEST(ElevenTicketLines, EightRunnersHighSd) {
    const std::vector<std::string> order{"", "03", "11", "07", "01", "08", "02", "05", "04"};
    std::string out;
    kv::eleven::WriteKaimePcLines(order, 8, elevenBandFor("08", "31"), out);
    EXPECT_EQ(out,
              "\"TF1\",\" 3\"\r\n"
              "\"TF2\",\"11\"\r\n"
              "\"UF1\",\" 3\",\"11\",\" 7\"\r\n"
              "\"UF2\",\" 3\",\"11\",\" 7\",\" 1\",\" 8\",\" 2\"\r\n"
              "\"UBX\",\" 3\",\"11\",\" 7\",\" 1\",\" 8\"\r\n"
              "\"S11\",\" 3\"\r\n"
              "\"S12\",\"11\"\r\n"
              "\"S1A\",\" 7\",\" 1\",\" 8\",\" 2\",\" 5\",\" 4\"\r\n"
              "\"S21\",\"11\"\r\n"
              "\"S22\",\" 7\"\r\n"
              "\"S2A\",\" 1\",\" 8\",\" 2\",\" 5\",\" 4\"\r\n"
              "\"S31\",\" 3\"\r\n"
              "\"S32\",\" 7\"\r\n"
              "\"S3A\",\" 1\",\" 8\",\" 2\",\" 5\",\" 4\"\r\n"
              "\"SBX\",\" 3\",\"11\",\" 7\",\" 1\",\" 8\"\r\n");
}

// A line naming a rank the race does not have ends the lines there.
TEST(ElevenTicketLines, FewerHorsesThanTheLinesName) {
    const std::vector<std::string> order{"", "02", "01", "03"};
    const std::pair<int, std::vector<std::string>> cases[] = {
        {2, {"TF1", "TF2"}},
        {3, {"TF1", "TF2", "UF1"}},
    };
    for (const auto& [horses, tags] : cases) {
        std::string out;
        EXPECT_THROW(kv::eleven::WriteKaimePcLines(order, horses, elevenBandFor("03", ""), out), std::out_of_range);
        std::vector<std::string> got;
        for (const auto& l : kv::splitLines(out)) got.push_back(kv::InputReader(l).next());
        EXPECT_EQ(got, tags) << horses;
    }
}
