// Factor weight tables: loading, category lookup with factor 2's second pass,
// factor 1's fill-in and the failures of a table.
#include <gtest/gtest.h>

#include "common/appfolder.h"
#include "common/recordfile.h"
#include "expansion/weights.h"
#include "tables_fixture.h"

using namespace kv::expansion;
using exptest::Category;

namespace {

exptest::TableDef sampleTable() {
    exptest::TableDef t;
    t[1] = {{"2019     ", 10, 60.5f, 59.5f, 58.5f}, {"2020     ", 0, 70.0f, 70.0f, 70.0f},
            {"2021     ", 5, 62.0f, 61.0f, 60.0f}};
    t[2] = {{"50710      ", 3, 1.0f, 1.0f, 1.0f}, {"60710      ", 4, 2.0f, 2.0f, 2.0f},
            {"60710X     ", 4, 3.0f, 3.0f, 3.0f}};
    t[4] = {{"54", 7, 0.5f, 0.5f, 0.5f}, {"54  ", 8, 0.25f, 0.25f, 0.25f}};
    t[5] = {{"3    ", 1, -1.0f, -1.0f, -1.0f}, {"3    ", 2, -2.0f, -2.0f, -2.0f}};
    return t;
}

struct WeightsTest : ::testing::Test {
    kvtest::TempDir dir;
    void SetUp() override { kv::SetAppPath(dir.path()); }
};

}  // namespace

TEST_F(WeightsTest, LookupRules) {
    exptest::writeTables(dir, Surface::Turf, sampleTable());
    std::string file, why;
    auto t = SurfaceTables::load(Surface::Turf, file, why);
    ASSERT_TRUE(t) << file << " " << why;
    EXPECT_EQ(t->total(1), 3);
    EXPECT_EQ(t->total(7), 0);

    struct Case { int k; const char* code; int want; } cases[] = {
        {1, "2021     ", 3},
        {1, "2021", 0},            // codes compare at full width
        {2, "50710      ", 1},
        {2, "30710      ", 2},     // second pass: "6" + characters 2..5, first match
        {2, "39999      ", 0},
        {3, "30710      ", 0},     // no second pass for other factors
        {4, "54  ", 2},            // a category stored without trailing blanks never matches
        {5, "3    ", 1},           // the lower of two equal categories
        {7, "11   ", 0},           // N(k) = 0
    };
    for (const auto& c : cases) EXPECT_EQ(t->find(c.k, c.code), c.want) << c.k << " '" << c.code << "'";
    EXPECT_EQ(t->find(2, std::string(11, '\0')), 0);
}

TEST_F(WeightsTest, FactorOneFillInAndCounts) {
    exptest::writeTables(dir, Surface::Dirt, sampleTable());
    std::string file, why;
    auto t = SurfaceTables::load(Surface::Dirt, file, why);
    ASSERT_TRUE(t);
    // Category 0 and a category without samples weigh like category 1.
    EXPECT_EQ(t->weight(SurfaceTables::Agari, 1, 0), 60.5f);
    EXPECT_EQ(t->weight(SurfaceTables::Pace, 1, 2), 59.5f);
    EXPECT_EQ(t->weight(SurfaceTables::Soha, 1, 3), 60.0f);
    // Other factors: category 0 and categories above N(k) weigh 0.
    EXPECT_EQ(t->weight(SurfaceTables::Agari, 2, 0), 0.0f);
    EXPECT_EQ(t->weight(SurfaceTables::Agari, 2, 4), 0.0f);
    EXPECT_EQ(t->count(2, 2), 4);
    EXPECT_EQ(t->count(2, 0), 0);
}

TEST_F(WeightsTest, HurdleUsesTheWholeRaceFileForAllThree) {
    exptest::writeTables(dir, Surface::Hurdle, sampleTable());
    std::string file, why;
    auto t = SurfaceTables::load(Surface::Hurdle, file, why);
    ASSERT_TRUE(t);
    for (int j = 1; j <= 3; ++j) {
        EXPECT_EQ(t->weight(SurfaceTables::Agari, 2, j), t->weight(SurfaceTables::Soha, 2, j));
        EXPECT_EQ(t->weight(SurfaceTables::Pace, 2, j), t->weight(SurfaceTables::Soha, 2, j));
    }
}

TEST_F(WeightsTest, FailuresNameTheFile) {
    exptest::writeTables(dir, Surface::Turf, sampleTable());
    const WeightFileNames n = weightFileNames(Surface::Turf);
    std::string file, why;

    dir.write(n.pace, "1\r\n2\r\n");  // fewer values than categories
    EXPECT_FALSE(SurfaceTables::load(Surface::Turf, file, why));
    EXPECT_EQ(file, n.pace);

    exptest::writeTables(dir, Surface::Turf, sampleTable());
    dir.write(n.itemCategoryCount, "1\r\nabc\r\n");
    EXPECT_FALSE(SurfaceTables::load(Surface::Turf, file, why));
    EXPECT_EQ(file, n.itemCategoryCount);

    std::string total;
    for (int k = 1; k <= 30; ++k) total += k == 3 ? "6001\r\n" : "0\r\n";
    dir.write(n.totalData, total);
    EXPECT_FALSE(SurfaceTables::load(Surface::Turf, file, why));
    EXPECT_EQ(file, n.totalData);

    // A weight beyond the single-precision range cannot be read.
    exptest::writeTables(dir, Surface::Turf, sampleTable());
    dir.write(n.soha, "1\r\n2\r\n" + std::string(40, '9') + "\r\n1\r\n1\r\n1\r\n1\r\n1\r\n1\r\n1\r\n1\r\n1\r\n");
    EXPECT_FALSE(SurfaceTables::load(Surface::Turf, file, why));
    EXPECT_EQ(file, n.soha);

    kv::removeFile(dir.file(n.totalData));
    EXPECT_FALSE(SurfaceTables::load(Surface::Turf, file, why));
    EXPECT_EQ(file, n.totalData);
}

// Totals, counts and weights in every form a value-by-value read takes as a
// number (sign, point, exponent) load as their plain forms do.
TEST_F(WeightsTest, NumbersInEveryFormLoadAsTheirPlainForms) {
    exptest::writeTables(dir, Surface::Turf, sampleTable());
    std::string file, why;
    const auto plain = SurfaceTables::load(Surface::Turf, file, why);
    ASSERT_TRUE(plain) << file << " " << why;

    const WeightFileNames n = weightFileNames(Surface::Turf);
    std::string total = "3E0\r\n +.3e1\r\n0e5\r\n2.\r\n2E+0\r\n";
    for (int k = 6; k <= 30; ++k) total += "0.E-3\r\n";
    dir.write(n.totalData, total);
    dir.write(n.itemCategoryCount, "1E1,0E0,+5\r\n3.E0\r\n40e-1,.4e1,7,8,1e0,2\r\n");
    dir.write(n.agari, "6.05E+1\r\n7E1\r\n620e-1\r\n+1\r\n2.\r\n3E0\r\n.5\r\n25E-2\r\n-1E0\r\n-2\r\n");
    const auto forms = SurfaceTables::load(Surface::Turf, file, why);
    ASSERT_TRUE(forms) << file << " " << why;
    for (int k = 1; k <= 30; ++k) {
        ASSERT_EQ(forms->total(k), plain->total(k)) << k;
        for (int j = 1; j <= plain->total(k); ++j) {
            EXPECT_EQ(forms->count(k, j), plain->count(k, j)) << k << "/" << j;
            for (auto kind : {SurfaceTables::Agari, SurfaceTables::Pace, SurfaceTables::Soha})
                EXPECT_EQ(forms->storedWeight(kind, k, j), plain->storedWeight(kind, k, j)) << k << "/" << j;
        }
    }

    // A count in exponent form must still be whole; a broken exponent is no number.
    const std::pair<std::string, std::string> refused[] = {{n.itemCategoryCount, "1E1,0,5,3,4,4,7,8,1,1E-1\r\n"},
                                                           {n.pace, "1,2,3,4,5,6,7,8,9E,10\r\n"}};
    for (const auto& [name, bytes] : refused) {
        exptest::writeTables(dir, Surface::Turf, sampleTable());
        dir.write(name, bytes);
        EXPECT_FALSE(SurfaceTables::load(Surface::Turf, file, why)) << bytes;
        EXPECT_EQ(file, name);
    }
}

TEST(Surfaces, ByTrackCode) {
    EXPECT_EQ(surfaceOf("10"), Surface::Turf);
    EXPECT_EQ(surfaceOf("22"), Surface::Turf);
    EXPECT_EQ(surfaceOf("23"), Surface::Dirt);
    EXPECT_EQ(surfaceOf("29"), Surface::Dirt);
    EXPECT_EQ(surfaceOf("30"), Surface::None);
    EXPECT_EQ(surfaceOf("49"), Surface::None);
    EXPECT_EQ(surfaceOf("50"), Surface::Hurdle);
    EXPECT_EQ(surfaceOf("00"), Surface::None);
}
