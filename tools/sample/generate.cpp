#include <algorithm>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "acquisition/jvdata/horse_records.h"
#include "acquisition/jvdata/race_records.h"
#include "common/appfolder.h"
#include "common/numbers.h"
#include "common/recordfile.h"
#include "fitweights.h"
#include "outputs.h"
#include "records.h"

namespace kvsample {

bool writeHidden(const World& w, const std::string& appDir) {
    const std::string dir = kv::joinPath(appDir, kv::dirs::SAMPLE);
    if (!kv::makeDirs(dir)) return false;
    std::ostringstream ab;
    ab << "KettoNum,Ability,Surface,PrefDist,Style,PastRuns,WeekRaceId,WeekUmaban\n";
    std::vector<std::pair<std::string, int>> week(w.horses.size(), {"", 0});
    for (std::size_t r = w.firstWeekRace; r < w.races.size(); ++r)
        for (int si : w.races[r].starts) week[w.starts[si].horse] = {raceIdOf(w.races[r]), w.starts[si].umaban};
    for (std::size_t i = 0; i < w.horses.size(); ++i) {
        const Horse& h = w.horses[i];
        int past = 0;
        for (int si : h.starts) past += w.races[w.starts[si].race].thisWeek ? 0 : 1;
        ab << h.ketto << ',' << kv::formatDouble(static_cast<double>(static_cast<long long>(h.ability * 10000)) / 10000)
           << ',' << (h.hurdler ? "hurdle" : (h.surface == 0 ? "turf" : "dirt")) << ',' << h.prefDist << ',' << h.style
           << ',' << past << ',' << week[i].first << ',' << week[i].second << '\n';
    }
    std::ostringstream res;
    res << "RaceId,Umaban,KettoNum,Order,IJyoCD,TimeTenths,OddsTenths,Ninki\n";
    for (std::size_t r = w.firstWeekRace; r < w.races.size(); ++r)
        for (int si : w.races[r].starts) {
            const Start& s = w.starts[si];
            res << raceIdOf(w.races[r]) << ',' << s.umaban << ',' << w.horses[s.horse].ketto << ',' << s.order << ','
                << s.ijyo << ',' << s.time << ',' << s.odds << ',' << s.ninki << '\n';
        }
    return kv::writeFileAtomic(kv::joinPath(dir, kv::sample::HIDDEN_ABILITY), ab.str()) &&
           kv::writeFileAtomic(kv::joinPath(dir, kv::sample::WEEK_RESULTS), res.str());
}

// The factor weight tables, fitted on the past races of the world by running the
// expansion and the factor coders over every past run (the same in both phases).
// The runs' records are made horse by horse while the fit needs them.
void writeWeights(const World& w, const Options& opt) {
    kv::fit::History h;
    auto madeOf = [](const Race& race) { return kv::fromSerial(kv::daySerial(race.date) + 2); };
    for (std::size_t r = 0; r < w.firstWeekRace; ++r)
        h.raceBytes += kv::fitRecord(raRecord(w, w.races[r], '7', madeOf(w.races[r]), true), kv::jv::RaRecord::kLength);
    h.horseBytes.reserve(w.horses.size() * kv::jv::UmRecord::kLength);
    for (std::size_t i = 0; i < w.horses.size(); ++i)
        h.horseBytes += kv::fitRecord(umRecord(w, static_cast<int>(i), w.weekDays.front()), kv::jv::UmRecord::kLength);
    // Horses with past runs, by registration number.
    std::vector<int> ran;
    for (std::size_t i = 0; i < w.horses.size(); ++i)
        for (int si : w.horses[i].starts)
            if (static_cast<std::size_t>(w.starts[si].race) < w.firstWeekRace) {
                ran.push_back(static_cast<int>(i));
                break;
            }
    std::stable_sort(ran.begin(), ran.end(), [&](int a, int b) { return w.horses[a].ketto < w.horses[b].ketto; });
    h.runHorses = ran.size();
    h.runsOf = [&w, &ran, madeOf](std::size_t k, std::vector<std::string>& runs) {
        for (int si : w.horses[ran[k]].starts) {
            const Start& s = w.starts[si];
            if (static_cast<std::size_t>(s.race) < w.firstWeekRace)
                runs.push_back(seRecord(w, s, '7', madeOf(w.races[s.race]), true));
        }
    };
    std::string err;
    if (!kv::fit::writeWeightTables(opt.appDir, std::move(h), opt.seed, &err))
        throw std::runtime_error("cannot write the factor weight table " + err);
}

WriteSummary generate(const Options& opt) {
    if (opt.appDir.empty()) throw std::runtime_error("no application folder given");
    if (!kv::makeDirs(opt.appDir)) throw std::runtime_error("cannot create the folder " + opt.appDir);
    World w = buildWorld(opt);
    WriteSummary sum;
    if (!writeCodeTable(opt.appDir)) throw std::runtime_error(std::string("cannot write ") + kv::files::CODE_TABLE);
    if (!writeStatistics(w, opt.appDir, sum))
        throw std::runtime_error(std::string("cannot write the ") + kv::dirs::OPTION1N + " statistics files");
    writeWeights(w, opt);
    if (!writeFeed(w, opt.appDir, sum))
        throw std::runtime_error(std::string("cannot write the feed folder ") + kv::dirs::JVFEED);
    if (!writeHidden(w, opt.appDir))
        throw std::runtime_error(std::string("cannot write the folder ") + kv::dirs::SAMPLE);
    return sum;
}

}  // namespace kvsample
