#include "fitweights.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <stdexcept>

#include "acquisition/jvdata/jvdata.h"
#include "common/appfolder.h"
#include "common/fields.h"
#include "common/numbers.h"
#include "common/recordfile.h"
#include "expansion/builder.h"
#include "expansion/calc.h"
#include "expansion/coders.h"
#include "common/exrecord.h"
#include "expansion/weights.h"
#include "fixtures/fixtures.h"
#include "mini_world.h"

namespace {

namespace ex = kv::exrec;
using kv::expansion::Surface;
using kv::expansion::SurfaceTables;

const kvtest::MiniWorld& world() {
    static const kvtest::MiniWorld w = kvtest::makeMiniWorld(7);
    return w;
}

// The tables of the mini world, fitted once and written into one folder.
struct Fitted {
    kvtest::TempDir dir;
    kv::fit::FitResult result;
    Fitted() {
        kv::fit::FitOptions o;
        o.seed = 11;
        o.threads = 3;
        result = kv::fit::fitWeightTables(dir.path(), world().history, o);
        std::string err;
        if (!kv::fit::writeWeightFiles(dir.path(), result, &err)) ADD_FAILURE() << "cannot write " << err;
    }
};

const Fitted& fitted() {
    static const Fitted f;
    return f;
}

std::optional<SurfaceTables> loadBack(const std::string& appDir, Surface s) {
    kv::SetAppPath(appDir);
    std::string file, reason;
    auto t = SurfaceTables::load(s, file, reason);
    EXPECT_TRUE(t.has_value()) << file << ": " << reason;
    return t;
}

TEST(FitWeights, TablesReadBackThroughTheReaderWithFullWidthCategories) {
    const Fitted& f = fitted();
    EXPECT_EQ(f.result.failedHorses, 0u);
    EXPECT_EQ(f.result.runs, world().history.runners.size());
    int files = 0;
    for (const auto& name : kv::listFiles(f.dir.file("OPTION1N"))) files += name.find("201901N2025") != std::string::npos;
    EXPECT_EQ(files, 16);

    for (Surface s : {Surface::Turf, Surface::Dirt, Surface::Hurdle}) {
        SCOPED_TRACE(kv::expansion::surfaceStem(s));
        const kv::fit::SurfaceFit& sf = f.result.surfaces[static_cast<int>(s)];
        ASSERT_GT(sf.samples, 100u);
        auto t = loadBack(f.dir.path(), s);
        ASSERT_TRUE(t);
        int extreme = 0;
        for (int k = 1; k <= 30; ++k) {
            const kv::fit::FactorTable& ft = sf.factors[k];
            ASSERT_EQ(t->total(k), static_cast<int>(ft.codes.size())) << "factor " << k;
            // Every coded run counts once in each factor (factor 2's pooled categories count again).
            long long runs = 0;
            for (std::int32_t c : ft.counts) runs += c;
            if (k != 2) {
                EXPECT_EQ(runs, static_cast<long long>(sf.samples)) << "factor " << k;
            }
            EXPECT_GT(t->total(k), 0) << "factor " << k;
            for (int j = 1; j <= t->total(k); ++j) {
                const std::string& code = t->category(k, j);
                ASSERT_EQ(code, ft.codes[j - 1]);
                ASSERT_EQ(code.size(), ex::kFactorWidth[k]) << "factor " << k << " category " << j;
                // A category text finds itself (first match) through the lookup.
                EXPECT_EQ(ft.codes[t->find(k, code) - 1], code);
                EXPECT_EQ(t->count(k, j), ft.counts[j - 1]);
                EXPECT_EQ(t->weight(SurfaceTables::Agari, k, j), ft.agari[j - 1]);
                EXPECT_EQ(t->weight(SurfaceTables::Pace, k, j), ft.pace[j - 1]);
                EXPECT_EQ(t->weight(SurfaceTables::Soha, k, j), ft.soha[j - 1]);
                if (s == Surface::Hurdle) {
                    EXPECT_EQ(ft.agari[j - 1], ft.soha[j - 1]);
                    EXPECT_EQ(ft.pace[j - 1], ft.soha[j - 1]);
                }
                if (k >= 2 && std::fabs(ft.soha[j - 1]) > 20.0f) ++extreme;
            }
        }
        EXPECT_EQ(extreme, 3);
        // Factor 1: the newest year first, a base speed of a plausible size.
        EXPECT_EQ(t->category(1, 1), "2024     ");
        EXPECT_EQ(t->category(1, 2), "2023     ");
        EXPECT_GT(t->weight(SurfaceTables::Soha, 1, 1), 45.0f);
        EXPECT_LT(t->weight(SurfaceTables::Soha, 1, 1), 70.0f);
    }
    // The category file holds quoted texts with their trailing blanks, one per line.
    const std::string cats = f.dir.read("OPTION1N/SibaItemCategory201901N2025.dat");
    EXPECT_EQ(cats.substr(0, 26), "\"2024     \"\r\n\"2023     \"\r\n");
}

TEST(FitWeights, Factor12MonthClassesStandAtTheChartPositions) {
    const Fitted& f = fitted();
    struct Case {
        Surface s;
        int pos;
        const char* code;
    };
    const Case cases[] = {{Surface::Turf, 1, "127"},   {Surface::Turf, 33, "159"},  {Surface::Turf, 34, "227"},
                          {Surface::Turf, 47, "240"},  {Surface::Turf, 66, "259"},  {Surface::Dirt, 10, "136"},
                          {Surface::Dirt, 40, "233"},  {Surface::Hurdle, 1, "140"}, {Surface::Hurdle, 20, "159"},
                          {Surface::Hurdle, 21, "341"}, {Surface::Hurdle, 33, "353"}, {Surface::Hurdle, 34, "240"},
                          {Surface::Hurdle, 53, "259"}};
    for (const Case& c : cases) {
        const kv::fit::FactorTable& t = f.result.surfaces[static_cast<int>(c.s)].factors[12];
        ASSERT_GE(t.codes.size(), static_cast<std::size_t>(c.pos));
        EXPECT_EQ(t.codes[c.pos - 1], c.code) << kv::expansion::surfaceStem(c.s) << " position " << c.pos;
    }
    // "240" is merged into "241" by the coder: it stands at its place without runs.
    const kv::fit::FactorTable& turf = f.result.surfaces[0].factors[12];
    EXPECT_EQ(turf.counts[46], 0);
    EXPECT_EQ(turf.soha[46], 0.0f);
    // Geldings follow the fixed classes in ascending order.
    ASSERT_GT(turf.codes.size(), 66u);
    EXPECT_EQ(turf.codes[66][0], '3');
    EXPECT_TRUE(std::is_sorted(turf.codes.begin() + 66, turf.codes.end()));
}

TEST(FitWeights, Factor2CodesOfAnUnseenVenueFallBackOnTheirVenue6Category) {
    const Fitted& f = fitted();
    // The history ran at racecourses 05, 06, 08 and 09. For every code that
    // occurred, the same code at racecourse "B" (not in the tables) finds,
    // through the second pass, a category starting with "6" and the code's
    // characters 2 to 5: venue 6's own, or a pooled one appended for it.
    // (Hurdle codes are the bracket number alone, without a venue.)
    for (Surface s : {Surface::Turf, Surface::Dirt}) {
        SCOPED_TRACE(kv::expansion::surfaceStem(s));
        auto t = loadBack(f.dir.path(), s);
        ASSERT_TRUE(t);
        const kv::fit::FactorTable& f2 = f.result.surfaces[static_cast<int>(s)].factors[2];
        std::size_t appended = 0;
        for (std::size_t i = 1; i < f2.codes.size(); ++i) appended += f2.codes[i] < f2.codes[i - 1];
        for (const std::string& c : f2.codes) {
            const std::string unseen = "B" + c.substr(1);
            const int j = t->find(2, unseen);
            ASSERT_GT(j, 0) << c;
            EXPECT_EQ(f2.codes[j - 1].substr(0, 5), "6" + c.substr(1, 4)) << c;
        }
        if (s == Surface::Turf) {
            EXPECT_EQ(appended, 1u);   // one ascending block of pooled categories after the regular ones
        }
    }
}

TEST(FitWeights, SameFilesWhateverTheThreadsAndOnARepeat) {
    kv::fit::FitOptions one;
    one.seed = 11;
    one.threads = 1;
    const kv::fit::FitResult a = kv::fit::fitWeightTables(fitted().dir.path(), world().history, one);
    for (int s = 0; s < 3; ++s)
        for (int which = 0; which < 6; ++which)
            EXPECT_EQ(kv::fit::tableFileBytes(a.surfaces[s], which),
                      kv::fit::tableFileBytes(fitted().result.surfaces[s], which))
                << "surface " << s << " file " << which;
    // Another seed moves only the weights beyond +-20.
    kv::fit::FitOptions other = one;
    other.seed = 12;
    const kv::fit::FitResult b = kv::fit::fitWeightTables(fitted().dir.path(), world().history, other);
    EXPECT_EQ(kv::fit::tableFileBytes(a.surfaces[0], 1), kv::fit::tableFileBytes(b.surfaces[0], 1));
}

TEST(FitWeights, RunsMadeOnDemandFitTheSameAsRunRecords) {
    // The same history handed over as record bytes and runs made per horse
    // (each horse's runs newest first): the same tables.
    const kv::fit::History& h = world().history;
    std::map<std::string, std::vector<std::string>> byHorse;
    for (const std::string& r : h.runners) byHorse[kv::getField(r, kv::jv::SeRecord::KettoNum)].push_back(r);
    std::vector<std::vector<std::string>> runs;
    for (auto& [ketto, v] : byHorse) runs.emplace_back(v.rbegin(), v.rend());
    kv::fit::History lazy;
    for (const std::string& r : h.races) lazy.raceBytes += r;
    for (const std::string& r : h.horses) lazy.horseBytes += r;
    lazy.jockeys = h.jockeys;
    lazy.runHorses = runs.size();
    lazy.runsOf = [&runs](std::size_t i, std::vector<std::string>& out) { out = runs[i]; };
    kv::fit::FitOptions o;
    o.seed = 11;
    o.threads = 2;
    const kv::fit::FitResult a = kv::fit::fitWeightTables(fitted().dir.path(), std::move(lazy), o);
    EXPECT_EQ(a.runs, fitted().result.runs);
    for (int s = 0; s < 3; ++s)
        for (int which = 0; which < 6; ++which)
            EXPECT_EQ(kv::fit::tableFileBytes(a.surfaces[s], which),
                      kv::fit::tableFileBytes(fitted().result.surfaces[s], which))
                << "surface " << s << " file " << which;
}

TEST(FitWeights, AFailureOnAnyThreadReachesTheCaller) {
    // Horses made on demand, the last one failing: it is coded by a thread other
    // than the caller's, and its exception leaves fitWeightTables (not the program).
    std::map<std::string, std::vector<std::string>> byHorse;
    for (const std::string& r : world().history.runners)
        byHorse[kv::getField(r, kv::jv::SeRecord::KettoNum)].push_back(r);
    std::vector<std::vector<std::string>> runs;
    for (auto& [ketto, v] : byHorse) runs.push_back(v);
    kv::fit::History h;
    h.races = world().history.races;
    h.horses = world().history.horses;
    h.jockeys = world().history.jockeys;
    h.runHorses = runs.size();
    h.runsOf = [&runs](std::size_t i, std::vector<std::string>& out) {
        if (i + 1 == runs.size()) throw std::runtime_error("runs unreadable");
        out = runs[i];
    };
    kv::fit::FitOptions o;
    o.threads = 3;
    EXPECT_THROW(kv::fit::fitWeightTables(fitted().dir.path(), std::move(h), o), std::runtime_error);
}

TEST(FitWeights, EmptyHistoryWritesTablesTheReaderAccepts) {
    kvtest::TempDir dir;
    std::string err;
    kv::fit::FitResult r;
    ASSERT_TRUE(kv::fit::writeWeightTables(dir.path(), kv::fit::History{}, 1, &err, &r)) << err;
    auto t = loadBack(dir.path(), Surface::Dirt);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->total(1), 0);
    EXPECT_EQ(t->total(12), 66);   // the fixed month classes, without runs
    EXPECT_EQ(t->count(12, 1), 0);
    EXPECT_EQ(t->weight(SurfaceTables::Agari, 12, 1), 0.0f);
}

TEST(FitWeights, UnwritableFolderIsReportedWithItsPath) {
    kvtest::TempDir dir;
    dir.write("OPTION1N", "a file where the folder should be");
    std::string err;
    EXPECT_FALSE(kv::fit::writeWeightTables(dir.path(), kv::fit::History{}, 1, &err));
    EXPECT_NE(err.find("OPTION1N"), std::string::npos);
}

// The week's entries run through the builder and the calculation with the
// fitted tables: most factors find categories, and the predicted composite
// speed ranks the abler horses higher.
TEST(FitWeights, WeekEntriesFindCategoriesAndPredictedSpeedFollowsAbility) {
    const Fitted& f = fitted();
    kv::SetAppPath(f.dir.path());
    kv::expansion::WeightTables tables;
    std::string file, reason;
    ASSERT_TRUE(tables.loadAll(file, reason)) << file << ": " << reason;

    std::string um, ra;
    for (const auto& r : world().history.horses) um += r;
    for (const auto& r : world().history.races) ra += r;
    for (const auto& r : world().weekRaces) ra += r;
    const auto in = kv::expansion::BuildInputs::fromBytes(um, "", "", ra, "");

    std::map<std::string, std::vector<std::pair<double, double>>> byRace;   // race -> (predicted, ability)
    long found = 0, coded = 0, extremeUsed = 0;
    for (const kvtest::MiniWeekHorse& h : world().week) {
        auto built = kv::expansion::BuildUmagotoEx(in, h.runs);
        ASSERT_FALSE(built.failed);
        kv::expansion::ExpandFactorsAndPredict(built.records, tables, nullptr);
        const std::string& entry = built.records.back();
        for (int k = 1; k <= 30; ++k) {
            found += kv::val(kv::getField(entry, ex::FC(k))) > 0 ? 1 : 0;
            extremeUsed += std::fabs(kv::getSingle(entry, ex::SohaFW(k))) > 20.0f && k >= 2;
        }
        coded += 30;
        byRace[h.raceKey].emplace_back(kv::getSingle(entry, ex::RunSpeeds(7)), h.ability);
    }
    ASSERT_GT(world().week.size(), 60u);
    EXPECT_GT(static_cast<double>(found) / static_cast<double>(coded), 0.9);

    // Correlation of predicted speed and ability, each relative to its race's mean.
    const double corr = kvtest::withinRaceCorrelation(byRace);
    EXPECT_GT(corr, 0.4) << "correlation " << corr;
    // Some entries carry a weight beyond +-20, which their sums leave out.
    EXPECT_GT(extremeUsed, 0);
}

}  // namespace

namespace {

TEST(FitWeights, HorsesWithoutAValidBirthDateGiveNoBlankAgeCategory) {
    kv::fit::History h = world().history;
    for (auto& um : h.horses) kv::setField(um, kv::jv::um::BirthDate, "00000000");
    kvtest::TempDir dir;
    kv::fit::FitOptions o;
    o.seed = 11;
    o.threads = 2;
    const kv::fit::FitResult r = kv::fit::fitWeightTables(dir.path(), h, o);
    for (const auto& s : r.surfaces)
        for (const std::string& code : s.factors[12].codes)
            EXPECT_NE(code.find_first_not_of(' '), std::string::npos) << "blank factor-12 category";
}

}  // namespace
