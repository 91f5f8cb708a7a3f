// The sample generator's small week with tables fitted on its history, run
// through the week's road (download from the feed, structure processing,
// previous-day fixing, calculation) in process.
#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "acquisition/menu.h"
#include "acquisition/structure.h"
#include "common/appfolder.h"
#include "mini_world.h"
#include "common/dates.h"
#include "common/fields.h"
#include "common/numbers.h"
#include "common/quoted.h"
#include "common/recordfile.h"
#include "expansion/expansion_window.h"
#include "common/exrecord.h"
#include "fitweights.h"
#include "fixtures/fixtures.h"
#include "outputs.h"
#include "platform/jvlink/jvlink.h"
#include "platform/sinks.h"
#include "records.h"
#include "world.h"

namespace {

namespace ex = kv::exrec;

// The past races of the world as the feed carries them (data kind "7", created
// two days after the race), every horse's record.
kv::fit::History pastHistory(const kvsample::World& w) {
    kv::fit::History h;
    for (std::size_t r = 0; r < w.firstWeekRace; ++r) {
        const kvsample::Race& race = w.races[r];
        const kv::Date made = kv::fromSerial(kv::daySerial(race.date) + 2);
        h.races.push_back(kvsample::raRecord(w, race, '7', made, true));
        for (int si : race.starts) h.runners.push_back(kvsample::seRecord(w, w.starts[si], '7', made, true));
    }
    for (std::size_t i = 0; i < w.horses.size(); ++i)
        h.horses.push_back(kvsample::umRecord(w, static_cast<int>(i), w.weekDays.front()));
    return h;
}

struct NoShell : kv::Shell {
    bool openUrl(const std::string&) override { return false; }
    bool startProgram(const std::string&) override { return false; }
};

TEST(FitWeightsSampleWeek, EntriesFindCategoriesAndPredictedSpeedFollowsHiddenAbility) {
    kvtest::TempDir dir;
    kvsample::Options opt;
    opt.appDir = dir.path();
    opt.seed = 1;
    kvsample::generate(opt);
    std::string err;
    kv::fit::FitResult fit;
    ASSERT_TRUE(kv::fit::writeWeightTables(dir.path(), pastHistory(kvsample::buildWorld(opt)), opt.seed, &err, &fit))
        << err;
    EXPECT_EQ(fit.failedHorses, 0u);

    // The road: start-up, download, structure processing, 4 and 5.
    kv::SetAppPath(dir.path());
    kv::NullMessageSink messages;
    kv::NullStatusSink status;
    kv::NullProgressSink progress;
    NoShell shell;
    kv::SystemClock clock;
    {
        auto jv = kv::makeJVLink(kv::joinPath(dir.path(), "jvfeed"));
        kv::TEZF1THISWEEKNQUEL menu(messages, [] {}, *jv, shell, clock, &status);
        menu.Form_Load();
        menu.Command2_Click();
        ASSERT_EQ(menu.LastDownload, kv::DownloadOutcome::Completed);
    }
    {
        kv::KOUZOUTAIQUEL structure(status, messages, shell, [] {});
        structure.Form_Load();
        ASSERT_TRUE(structure.FailedFiles().empty());
    }
    kv::expansion::KORIVANEXPDTHISWEEKNQUEL expansion(status, messages, progress);
    expansion.Form_Load();
    expansion.Command3_Click();
    const kv::expansion::CalculationReport report = expansion.Command1_Click();
    ASSERT_TRUE(report.ok()) << report.tableFailure << report.error << report.firstFailedKettoNum;

    // Hidden abilities and week races of the horses.
    std::map<std::string, std::pair<double, std::string>> ability;
    const std::string csv = dir.read(kv::joinPath(kv::dirs::SAMPLE, kv::sample::HIDDEN_ABILITY));
    for (const std::string& line : kv::splitLines(csv)) {
        kv::InputReader r(line);
        const auto f = r.next(8);
        if (f[0] == "KettoNum" || f[6].empty()) continue;
        ability[f[0]] = {kv::val(f[1]), f[6]};
    }

    std::map<std::string, std::vector<std::pair<double, double>>> byRace;   // race -> (predicted, ability)
    long found = 0, coded = 0;
    for (const std::string& name : kv::listFiles(dir.file("UMAGOTOEXTHISWEEKN"))) {
        const auto recs = kv::RecordFile(dir.file("UMAGOTOEXTHISWEEKN/" + name), ex::kLength).readAll();
        auto a = ability.find(name.substr(0, 10));
        if (recs.empty() || a == ability.end()) continue;
        const std::string& entry = recs.back();
        for (int k = 1; k <= 30; ++k) found += kv::val(kv::getField(entry, ex::FC(k))) > 0 ? 1 : 0;
        coded += 30;
        byRace[a->second.second].emplace_back(kv::getSingle(entry, ex::RunSpeeds(7)), a->second.first);
    }
    ASSERT_GT(coded, 30L * 100);
    EXPECT_GT(static_cast<double>(found) / static_cast<double>(coded), 0.8);

    // Correlation of predicted speed and ability, each relative to its race's mean.
    const double corr = kvtest::withinRaceCorrelation(byRace);
    EXPECT_GT(corr, 0.3) << "correlation " << corr;
}

}  // namespace
