// The week's JV-Link feed: stored data of the week (kv::feed::WEEK), the
// week's odds (kv::feed::ODDS), live odds per race (kv::feed::LIVE_ODDS) and
// live results per day (kv::feed::LIVE_RESULTS).
#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <stdexcept>

#include "common/appfolder.h"
#include "common/fields.h"
#include "common/recordfile.h"
#include "outputs.h"
#include "records.h"

namespace kvsample {

namespace {

kv::Date addDays(const kv::Date& d, int n) { return kv::fromSerial(kv::daySerial(d) + n); }

struct FeedWriter {
    std::string dir;
    std::size_t records = 0;
    bool ok = true;
    // Writes recs to <dir>/<sub>/<stem>.jvd.
    void file(const std::string& sub, const std::string& stem, const std::vector<std::string>& recs) {
        if (recs.empty()) return;
        std::string folder = kv::joinPath(dir, sub);
        if (!kv::makeDirs(folder)) { ok = false; return; }
        std::size_t total = 0;
        for (const auto& r : recs) total += r.size();
        std::string bytes;
        bytes.reserve(total);
        for (const auto& r : recs) bytes += r;
        ok &= kv::writeFileAtomic(kv::joinPath(folder, stem + kv::feed::RECORDS), bytes);
        records += recs.size();
    }
};

std::string mmddhhmm(const kv::Date& d, int hhmm) {
    return kv::zeroPad(d.m, 2) + kv::zeroPad(d.d, 2) + kv::zeroPad(hhmm, 4);
}

// The clock time hhmm moved by the given minutes (within the day).
int addMinutes(int hhmm, int minutes) {
    const int m = std::clamp((hhmm / 100) * 60 + hhmm % 100 + minutes, 0, 23 * 60 + 59);
    return (m / 60) * 100 + m % 60;
}

// The week's feed files, written in the order the feed lists them.
struct WeekFeed {
    const World& w;
    FeedWriter& fw;
    const bool result;
    const kv::Date entriesMade, cardMade, resultMade;
    const std::string spec = kv::feed::WEEK;
    std::set<int> weekHorses, weekJockeys;
    std::vector<RaceOdds> odds;

    WeekFeed(const World& world, FeedWriter& writer)
        : w(world),
          fw(writer),
          result(world.opt.phase == Phase::Result),
          entriesMade(addDays(world.weekDays.front(), -2)),
          cardMade(addDays(world.weekDays.front(), -1)),
          resultMade(addDays(world.weekDays.back(), 1)) {}

    // This week's horses and jockeys.
    void collectRunners(WriteSummary& sum) {
        for (std::size_t r = w.firstWeekRace; r < w.races.size(); ++r)
            for (int si : w.races[r].starts) {
                weekHorses.insert(w.starts[si].horse);
                weekJockeys.insert(w.starts[si].jockey);
                ++sum.weekRunners;
            }
        sum.weekRaces = static_cast<int>(w.races.size() - w.firstWeekRace);
        sum.weekHorses = static_cast<int>(weekHorses.size());
    }

    // Horse records (by registration number), one struck-off horse of data kind "9" among them.
    void horses() {
        std::vector<int> hs(weekHorses.begin(), weekHorses.end());
        std::stable_sort(hs.begin(), hs.end(), [&](int a, int b) { return w.horses[a].ketto < w.horses[b].ketto; });
        std::vector<std::string> um;
        for (int h : hs) um.push_back(umRecord(w, h, cardMade));
        for (std::size_t h = 0; h < w.horses.size(); ++h) {
            if (w.horses[h].retired && !w.horses[h].starts.empty()) {
                std::string rec = umRecord(w, static_cast<int>(h), cardMade);
                rec[2] = '9';
                um.push_back(rec);
                break;
            }
        }
        fw.file(spec, "00_UM", um);
    }

    // Jockey records in their received form.
    void jockeys() {
        std::vector<std::vector<int>> rides(w.jockeys.size());
        for (std::size_t si = 0; si < w.starts.size(); ++si) rides[w.starts[si].jockey].push_back(static_cast<int>(si));
        std::vector<std::string> ks;
        for (int j : weekJockeys) ks.push_back(ksRecord(w, j, rides[j], cardMade, true));
        fw.file(spec, "01_KS", ks);
    }

    // Past races of this week's horses and their runs, one file per year.
    void pastRacesOfWeekHorses(WriteSummary& sum) {
        std::map<int, std::vector<std::string>> raByYear, seByYear;
        std::set<int> pastRaces;
        for (int h : weekHorses) {
            const Horse& horse = w.horses[h];
            int past = 0;
            for (int si : horse.starts) {
                const Race& race = w.races[w.starts[si].race];
                if (race.thisWeek) continue;
                pastRaces.insert(w.starts[si].race);
                ++past;
            }
            sum.pastRuns += past;
            sum.maxPastRuns = std::max(sum.maxPastRuns, past);
        }
        for (int r : pastRaces) {
            const Race& race = w.races[r];
            kv::Date made = addDays(race.date, 2);
            raByYear[race.date.y].push_back(raRecord(w, race, '7', made, true));
            for (int si : race.starts)
                if (weekHorses.count(w.starts[si].horse)) seByYear[race.date.y].push_back(seRecord(w, w.starts[si], '7', made, true));
        }
        sum.pastRaces = static_cast<int>(pastRaces.size());
        for (auto& [y, v] : raByYear) fw.file(spec, "10_RA_" + std::to_string(y), v);
        for (auto& [y, v] : seByYear) fw.file(spec, "11_SE_" + std::to_string(y), v);
    }

    // The week's races: entries and race cards (prediction) or final results (result).
    void weekRaces() {
        for (std::size_t k = 0; k + w.firstWeekRace < w.races.size(); ++k) odds.push_back(raceOdds(w, k));
        for (const kv::Date& day : w.weekDays) {
            std::vector<std::string> ra, se, hr;
            const std::string tag = ymd(day);
            for (std::size_t r = w.firstWeekRace; r < w.races.size(); ++r) {
                const Race& race = w.races[r];
                if (!(race.date == day)) continue;
                if (result) {
                    ra.push_back(raRecord(w, race, '7', resultMade, true));
                    for (int si : race.starts) se.push_back(seRecord(w, w.starts[si], '7', resultMade, true));
                    hr.push_back(hrRecord(w, r - w.firstWeekRace, odds[r - w.firstWeekRace], resultMade));
                } else {
                    ra.push_back(raRecord(w, race, '1', entriesMade, false));
                    ra.push_back(raRecord(w, race, '2', cardMade, false));
                    for (int si : race.starts) se.push_back(seRecord(w, w.starts[si], '1', entriesMade, false));
                    for (int si : race.starts) se.push_back(seRecord(w, w.starts[si], '2', cardMade, false));
                }
            }
            fw.file(spec, "20_RA_" + tag, ra);
            fw.file(spec, "21_SE_" + tag, se);
            fw.file(spec, "22_HR_" + tag, hr);
        }
    }

    // The week's odds: one file per race, and the live odds of race day.
    void weekOdds() {
        for (std::size_t k = 0; k + w.firstWeekRace < w.races.size(); ++k) {
            const Race& race = w.races[w.firstWeekRace + k];
            const RaceOdds& o = odds[k];
            const std::string id = raceIdOf(race);
            char kubun = result ? '4' : '1';
            kv::Date made = result ? resultMade : cardMade;
            std::string happyo = result ? mmddhhmm(race.date, race.hassoTime) : mmddhhmm(cardMade, 1700);
            fw.file(kv::feed::ODDS, id,
                    {o1Record(w, k, o, kubun, made, happyo), o2Record(w, k, o, kubun, made, happyo),
                     o4Record(w, k, o, kubun, made, happyo), o5Record(w, k, o, kubun, made, happyo),
                     o6Record(w, k, o, kubun, made, happyo)});
            std::string live = mmddhhmm(race.date, addMinutes(race.hassoTime, -10));
            fw.file(kv::feed::LIVE_ODDS, id,
                    {o1Record(w, k, o, '3', race.date, live), o2Record(w, k, o, '3', race.date, live),
                     o4Record(w, k, o, '3', race.date, live), o5Record(w, k, o, '3', race.date, live),
                     o6Record(w, k, o, '3', race.date, live)});
        }
    }

    // Live results of each race day.
    void liveResults() {
        for (const kv::Date& day : w.weekDays) {
            std::vector<std::string> recs;
            for (std::size_t r = w.firstWeekRace; r < w.races.size(); ++r) {
                const Race& race = w.races[r];
                if (!(race.date == day)) continue;
                recs.push_back(raRecord(w, race, '7', day, true));
                for (int si : race.starts) recs.push_back(seRecord(w, w.starts[si], '7', day, true));
                recs.push_back(hrRecord(w, r - w.firstWeekRace, odds[r - w.firstWeekRace], day));
            }
            fw.file(kv::feed::LIVE_RESULTS, ymd(day), recs);
        }
    }
};

}  // namespace

bool writeFeed(const World& w, const std::string& appDir, WriteSummary& sum) {
    const std::string feed = kv::joinPath(appDir, kv::dirs::JVFEED);
    std::error_code ec;
    std::filesystem::remove_all(feed, ec);
    FeedWriter fw{feed};
    WeekFeed week(w, fw);
    week.collectRunners(sum);
    week.horses();
    week.jockeys();
    week.pastRacesOfWeekHorses(sum);
    week.weekRaces();
    week.weekOdds();
    week.liveResults();
    sum.feedRecords = fw.records;
    return fw.ok;
}

}  // namespace kvsample
