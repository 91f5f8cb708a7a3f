#include "world.h"

#include <algorithm>
#include <array>
#include <map>
#include <queue>
#include <set>
#include <stdexcept>

#include "common/fields.h"
#include "names.h"
#include "rng.h"

namespace kvsample {

namespace {

constexpr std::array<const char*, 11> kCourseName = {"", "札幌", "函館", "福島", "新潟", "東京",
                                                     "中山", "中京", "京都", "阪神", "小倉"};
constexpr std::array<bool, 11> kLeft = {false, false, false, false, true, true, false, true, false, false, false};

// Racecourses of a weekend by month (the first one runs when only one runs).
constexpr int kSchedule[12][3] = {
    {6, 8, 7}, {5, 8, 10}, {6, 9, 7}, {6, 9, 3}, {5, 8, 4}, {5, 9, 2},
    {3, 7, 2}, {4, 10, 1}, {6, 9, 1}, {5, 8, 4}, {5, 8, 3}, {6, 9, 7}};

struct Scale {
    kv::Date historyStart;
    int coursesPerDay;
    int racesPerCourse;
    int firstCohort, lastCohort;
    int cohortSize;
    int sires, dams, ancestors;
    int jockeys, trainers, owners, breeders;
    int minPastRuns;
};

Scale scaleFor(Size s) {
    if (s == Size::Full)
        return {kv::Date{2019, 1, 5}, 3, 12, 2014, 2023, 3600, 420, 21000, 1200, 160, 220, 900, 260, 6};
    return {kv::Date{2024, 1, 6}, 1, 6, 2019, 2023, 640, 120, 700, 120, 48, 60, 90, 30, 3};
}

std::string digits(long long v, int width) { return kv::zeroPad(v, static_cast<std::size_t>(width)); }

long serialOf(const kv::Date& d) { return kv::daySerial(d); }

// Average speed (km/h) of a race of this surface and distance.
double baseSpeed(int surface, int dist) {
    if (surface == 0) return 62.0 - 0.0022 * (dist - 1200);
    if (surface == 1) return 58.5 - 0.0020 * (dist - 1200);
    return 52.5 - 0.0010 * (dist - 3000);
}

int surfaceOfTrack(int track) { return track < 23 ? 0 : (track < 50 ? 1 : 2); }

// A race of a programme week made to show a particular case.
struct RaceSpec {
    int field = 0;          // exact field, registered runners the same (0: 12 to 14 runners)
    bool spread = false;    // runners from both ends of the ability range (a wide speed spread)
    bool hurdle = false;
    int deadHeat = 0;       // 1: two horses first; 2: two first and two third
    bool scratch = false;   // horse number 3 scratched on race day
    double luck = 0.55;     // spread of a run's speed around the horse's rating (km/h)
    std::array<int, 3> finish = {0, 0, 0};  // the rating ranks (1 the best) that finish first, second, third
};

// One racecourse's race day of a programme week.
struct Meeting {
    int jyo = 5, kaiji = 5, nichiji = 1, races = 8;
    std::map<int, RaceSpec> specs;  // by race number
};
struct ProgrammeDay {
    kv::Date date;
    std::vector<Meeting> meetings;
};

// The base week (weeks back 0) and the weeks before it that have a fixed
// programme; every other weekend of the history is an ordinary one.
const kv::Date kBaseSaturday{2025, 11, 22};

kv::Date plusDays(const kv::Date& d, long n) { return kv::fromSerial(kv::daySerial(d) + n); }

std::vector<ProgrammeDay> programmeWeek(Size size, int k) {
    const kv::Date sat = plusDays(kBaseSaturday, -7L * k), sun = plusDays(sat, 1);
    if (size == Size::Full) {
        if (k != 0) return {};
        // Tokyo, Kyoto and Fukushima, Fukushima not on the holiday Monday.
        std::vector<ProgrammeDay> days;
        const std::vector<std::vector<int>> courses = {{5, 8, 3}, {5, 8, 3}, {5, 8}};
        for (int d = 0; d < 3; ++d) {
            ProgrammeDay day{plusDays(sat, d), {}};
            for (int jyo : courses[static_cast<std::size_t>(d)])
                day.meetings.push_back(Meeting{.jyo = jyo, .kaiji = 5, .nichiji = 7 + d, .races = 12, .specs = {}});
            days.push_back(std::move(day));
        }
        return days;
    }
    if (k == 0) {
        // Saturday: Tokyo's 8 races and Kyoto's 12 with the small fields; Sunday: Tokyo.
        Meeting tokyoSat{.jyo = 5, .kaiji = 5, .nichiji = 7, .races = 8, .specs = {}};
        Meeting kyoto{.jyo = 8, .kaiji = 5, .nichiji = 7, .races = 12, .specs = {}};
        Meeting tokyoSun{.jyo = 5, .kaiji = 5, .nichiji = 8, .races = 8, .specs = {}};
        tokyoSat.specs = {{2, {.finish = {3, 4, 1}}}, {3, {.spread = true}}, {5, {.deadHeat = 2}}, {6, {.finish = {2, 3, 4}}}};
        kyoto.specs = {{1, {.field = 4}}, {2, {.field = 5}}, {3, {.field = 6}}, {4, {.field = 7}}, {5, {.field = 8}}};
        tokyoSun.specs = {{1, {.finish = {1, 3, 5}}}, {2, {.finish = {4, 3, 2}}}, {3, {.field = 5}}, {4, {.field = 6}},
                          {5, {.field = 7}}, {6, {.field = 8, .spread = true}}, {7, {.scratch = true}}, {8, {.deadHeat = 1}}};
        return {{sat, {tokyoSat, kyoto}}, {sun, {tokyoSun}}};
    }
    if (k == 1 || k == 2) {
        // Kyoto's 12 races and Tokyo's 8 on both days.
        std::vector<ProgrammeDay> days;
        for (int d = 0; d < 2; ++d) {
            const int nichiji = 7 - 2 * k + d;
            Meeting kyoto{.jyo = 8, .kaiji = 5, .nichiji = nichiji, .races = 12, .specs = {}};
            Meeting tokyo{.jyo = 5, .kaiji = 5, .nichiji = nichiji, .races = 8, .specs = {}};
            if (k == 1 && d == 0) kyoto.specs = {{4, {.field = 10, .hurdle = true}}};
            if (k == 1 && d == 1) tokyo.specs = {{6, {.deadHeat = 1}}};
            days.push_back({d == 0 ? sat : sun, {kyoto, tokyo}});
        }
        return days;
    }
    return {};
}

struct Builder {
    World& w;
    const Options& opt;
    Scale sc;
    Rng rng;
    std::map<int, int> kettoSerial;   // birth year -> next serial
    std::set<std::string> usedNames;

    Builder(World& world, const Options& o) : w(world), opt(o), sc(scaleFor(o.size)), rng(Rng::derive(o.seed, "world")) {}

    std::string newKetto(int year) {
        int& n = kettoSerial[year];
        ++n;
        return digits(year, 4) + "1" + digits(n, 5);
    }

    std::string uniqueHorseName(int minSyl, int maxSyl, NameParts* parts) {
        for (int tries = 0;; ++tries) {
            NameParts p = horseName(rng, minSyl, tries > 20 ? maxSyl + 1 : maxSyl);
            if (usedNames.insert(p.full).second) {
                if (parts) *parts = p;
                return p.full;
            }
        }
    }

    void people() {
        auto makePeople = [&](std::vector<Person>& out, int count, int codeWidth, long long base, bool jockey) {
            out.reserve(count);
            for (int i = 0; i < count; ++i) {
                Person p;
                p.code = digits(base + i, codeWidth);
                bool female = jockey ? rng.chance(0.08) : rng.chance(0.03);
                PersonName n = personName(rng, female);
                p.name = n.full;
                p.shortName = n.shortName;
                p.kana = n.half;
                p.eng = n.latin;
                p.sex = female ? 2 : 1;
                int age = jockey ? rng.range(19, 55) : rng.range(32, 70);
                p.birth = kv::Date{2025 - age, rng.range(1, 12), rng.range(1, 28)};
                p.issue = kv::Date{std::max(p.birth.y + 18, 1990), 3, 1};
                p.tozai = rng.range(1, 2);
                p.minarai = (jockey && age < 23) ? rng.range(1, 3) : 0;
                p.skill = rng.normal() * (jockey ? 0.35 : 0.2);
                out.push_back(std::move(p));
            }
        };
        makePeople(w.jockeys, sc.jockeys, 5, 1001, true);
        makePeople(w.trainers, sc.trainers, 5, 1101, false);
        for (auto& j : w.jockeys) j.trainer = static_cast<int>(rng.below(w.trainers.size()));
        // Owners and breeders carry organisation names.
        for (int i = 0; i < sc.owners; ++i) {
            Person p;
            p.code = digits(100001 + i, 6);
            if (rng.chance(0.5)) {
                p.name = ownerCompanyName(rng);
            } else {
                p.name = personName(rng, rng.chance(0.2)).full;
            }
            w.owners.push_back(std::move(p));
        }
        for (int i = 0; i < sc.breeders; ++i) {
            Person p;
            p.code = digits(10000001 + i, 8);
            p.name = farmName(rng);
            w.breeders.push_back(std::move(p));
        }
    }

    int addBreeding(const std::string& prefix, long long serial, int sex, int birthYear, int sire, int dam, double quality) {
        BreedHorse b;
        b.num = prefix + digits(serial, 10 - static_cast<int>(prefix.size()));
        b.ketto = newKetto(birthYear);
        b.name = uniqueHorseName(3, 8, nullptr);
        b.sex = sex;
        b.birthYear = birthYear;
        b.sire = sire;
        b.dam = dam;
        b.quality = quality;
        w.breeding.push_back(std::move(b));
        return static_cast<int>(w.breeding.size()) - 1;
    }

    void breeding() {
        // Founders (no parents), a middle generation, then the sires and dams of the racehorses.
        std::vector<int> oldMales, oldFemales, midMales, midFemales;
        for (int i = 0; i < sc.ancestors / 4; ++i) {
            int sex = (i % 3 == 0) ? 1 : 2;
            int id = addBreeding("13", i + 1, sex, rng.range(1975, 1990), -1, -1, rng.normal() * 0.6);
            (sex == 1 ? oldMales : oldFemales).push_back(id);
        }
        for (int i = 0; i < sc.ancestors * 3 / 4; ++i) {
            int sex = (i % 3 == 0) ? 1 : 2;
            int s = rng.pick(oldMales), d = rng.pick(oldFemales);
            double q = 0.5 * (w.breeding[s].quality + w.breeding[d].quality) + rng.normal() * 0.5;
            int id = addBreeding("13", sc.ancestors / 4 + i + 1, sex, rng.range(1991, 2004), s, d, q);
            (sex == 1 ? midMales : midFemales).push_back(id);
        }
        std::vector<int> grandMales = midMales, grandFemales = midFemales;
        for (int i = 0; i < sc.sires; ++i) {
            int s = rng.pick(midMales), d = rng.pick(midFemales);
            double q = 0.5 * (w.breeding[s].quality + w.breeding[d].quality) + rng.normal() * 0.6 + 0.3;
            int id = addBreeding("11", i + 1, 1, rng.range(2000, 2018), s, d, q);
            w.sires.push_back(id);
        }
        for (int i = 0; i < sc.dams; ++i) {
            // A dam's sire is an older sire or a middle-generation stallion.
            int s = rng.chance(0.5) ? rng.pick(w.sires) : rng.pick(midMales);
            int d = rng.pick(midFemales);
            double q = 0.5 * (w.breeding[s].quality + w.breeding[d].quality) + rng.normal() * 0.6;
            int id = addBreeding("12", i + 1, 2, rng.range(2000, 2019), s, d, q);
            w.dams.push_back(id);
        }
    }

    void racehorses() {
        const int cohorts = sc.lastCohort - sc.firstCohort + 1;
        // Every dam gets her foals: the racing ones of the cohorts, others that never raced.
        std::vector<std::vector<int>> damsByYear(cohorts);
        for (int y = 0; y < cohorts; ++y) {
            for (int i = 0; i < sc.cohortSize; ++i) damsByYear[y].push_back(rng.pick(w.dams));
        }
        // Sires by quality: better sires cover more mares.
        std::vector<int> sireWeight;
        for (int s : w.sires) sireWeight.push_back(std::max(1, static_cast<int>(10 + 8 * w.breeding[s].quality)));
        struct Foal { int year; int dam; int horse; };
        std::vector<Foal> foals;
        for (int y = 0; y < cohorts; ++y) {
            const int year = sc.firstCohort + y;
            for (int dam : damsByYear[y]) {
                Horse h;
                h.ketto = newKetto(year);
                NameParts np;
                h.name = uniqueHorseName(2, 9, &np);
                h.kana = np.half;
                h.eng = np.latin;
                h.sire = w.sires[rng.weighted(sireWeight)];
                h.dam = dam;
                h.sex = rng.chance(0.5) ? 1 : 2;
                h.birth = kv::Date{year, rng.range(2, 5), rng.range(1, 28)};
                h.keiro = rng.range(1, 7);
                h.umaKigo = rng.chance(0.06) ? (rng.chance(0.5) ? "01" : "02") : "00";
                h.trainer = static_cast<int>(rng.below(w.trainers.size()));
                h.owner = static_cast<int>(rng.below(w.owners.size()));
                h.breeder = static_cast<int>(rng.below(w.breeders.size()));
                h.tozai = w.trainers[h.trainer].tozai;
                h.ability = 0.5 * (w.breeding[h.sire].quality + w.breeding[dam].quality) + rng.normal() * 1.4;
                h.surface = rng.chance(0.55) ? 0 : 1;
                static const int kPref[] = {1200, 1400, 1600, 1800, 2000, 2200, 2400};
                h.prefDist = kPref[rng.below(7)];
                h.style = rng.range(1, 4);
                h.restWeeks = rng.range(1, 6);
                h.lastWeight = (h.sex == 2 ? 440 : 470) + rng.range(-30, 40);
                w.horses.push_back(std::move(h));
                foals.push_back({year, dam, static_cast<int>(w.horses.size()) - 1});
            }
        }
        // Foals of each dam in birth order: older foals that never raced, then the racehorses.
        std::vector<std::vector<Foal>> byDam(w.breeding.size());
        for (const auto& f : foals) byDam[f.dam].push_back(f);
        for (int dam : w.dams) {
            auto& b = w.breeding[dam];
            auto& list = byDam[dam];
            std::stable_sort(list.begin(), list.end(), [](const Foal& a, const Foal& c) { return a.year < c.year; });
            int firstYear = list.empty() ? 2020 : list.front().year;
            int older = rng.range(5, 16);
            int startYear = std::max(b.birthYear + 3, firstYear - older);
            std::size_t next = 0;
            for (int y = startYear; y <= 2024 || next < list.size(); ++y) {
                bool raced = false;
                while (next < list.size() && list[next].year <= y) {
                    b.foals.push_back(list[next].horse);
                    b.foalKetto.push_back(w.horses[list[next].horse].ketto);
                    ++next;
                    raced = true;
                }
                if (!raced && rng.chance(0.85)) {
                    b.foals.push_back(-1);
                    b.foalKetto.push_back(newKetto(y));
                }
            }
        }
        for (int s : w.sires)
            for (std::size_t i = 0; i < w.horses.size(); ++i)
                if (w.horses[i].sire == s) w.breeding[s].foals.push_back(static_cast<int>(i));
    }

    // --- History -----------------------------------------------------------

    // Ready horses by (surface group 0 turf, 1 dirt, 2 hurdle; birth year; class 0 debut, 1 maiden, 2 winner).
    std::map<std::tuple<int, int, int>, std::vector<int>> ready;
    using Wait = std::pair<long, int>;
    std::priority_queue<Wait, std::vector<Wait>, std::greater<Wait>> waiting;
    std::map<int, int> meetingDays;  // (year * 100 + course) -> race days so far
    long firstWeekDay = 0;           // the race week's first day: its races keep their win probabilities

    int classOf(const Horse& h) const { return (h.starts.empty() && h.priorRuns == 0) ? 0 : (h.wins == 0 ? 1 : 2); }
    int groupOf(const Horse& h) const { return h.hurdler ? 2 : h.surface; }

    void scheduleHorses() {
        const long start = serialOf(sc.historyStart);
        for (std::size_t i = 0; i < w.horses.size(); ++i) {
            Horse& h = w.horses[i];
            kv::Date debut{h.birth.y + 2, 6, 1};
            long s = serialOf(debut) + rng.range(0, 330);
            if (s < start) {
                // Raced before the recorded history: give it a record of earlier runs.
                long years = (start - s) / 365 + 1;
                h.priorRuns = static_cast<int>(years * rng.range(3, 7));
                double winChance = std::clamp(0.08 + 0.05 * h.ability, 0.01, 0.4);
                for (int k = 0; k < h.priorRuns; ++k) if (rng.chance(winChance)) ++h.wins;
                h.priorWins = h.wins;
                h.prize = h.wins * 70000 + h.priorRuns * 3000;
                if (h.birth.y + 7 <= sc.historyStart.y) { h.retired = true; continue; }
                s = start + rng.range(0, 60);
            }
            waiting.push({s, static_cast<int>(i)});
        }
    }

    void release(long day) {
        while (!waiting.empty() && waiting.top().first <= day) {
            int i = waiting.top().second;
            waiting.pop();
            Horse& h = w.horses[i];
            if (h.retired) continue;
            ready[{groupOf(h), h.birth.y, classOf(h)}].push_back(i);
        }
    }

    // Takes up to n horses of the group for a race of the year whose runners are
    // at least minAge old (exactly minAge when onlyAge), of the wanted classes.
    std::vector<int> draw(int group, int year, int minAge, bool onlyAge, const std::vector<int>& classes, int n,
                          int minRuns = 0) {
        std::vector<std::vector<int>*> pools;
        std::vector<int> sizes;
        for (int by = year - minAge; by >= sc.firstCohort; --by) {
            if (onlyAge && by != year - minAge) break;
            for (int c : classes) {
                auto it = ready.find({group, by, c});
                if (it != ready.end() && !it->second.empty()) {
                    pools.push_back(&it->second);
                    sizes.push_back(static_cast<int>(it->second.size()));
                }
            }
        }
        std::vector<int> out;
        std::vector<int> skipped;
        while (static_cast<int>(out.size()) < n && !pools.empty()) {
            int p = rng.weighted(sizes);
            auto& v = *pools[p];
            std::size_t k = rng.below(v.size());
            int horse = v[k];
            v[k] = v.back();
            v.pop_back();
            if (static_cast<int>(w.horses[horse].starts.size()) >= minRuns)
                out.push_back(horse);
            else
                skipped.push_back(horse);
            if (v.empty()) {
                pools.erase(pools.begin() + p);
                sizes.erase(sizes.begin() + p);
            } else {
                sizes[p] = static_cast<int>(v.size());
            }
        }
        for (int horse : skipped) {
            const Horse& h = w.horses[horse];
            ready[{groupOf(h), h.birth.y, classOf(h)}].push_back(horse);
        }
        return out;
    }

    // A field of n with a wide speed spread: the ablest ready horses of the
    // race's surface and the least able of the other one, aged three and over.
    std::vector<int> spreadField(int group, int year, int n, int minRuns) {
        const std::size_t top = static_cast<std::size_t>(n + 1) / 2, bottom = static_cast<std::size_t>(n) - top;
        auto pick = [&](int g, std::size_t count, bool best) {
            std::vector<int> pool;
            for (auto& [key, horses] : ready)
                if (std::get<0>(key) == g && std::get<1>(key) <= year - 3 && std::get<2>(key) > 0)
                    for (int horse : horses)
                        if (static_cast<int>(w.horses[horse].starts.size()) >= minRuns) pool.push_back(horse);
            std::stable_sort(pool.begin(), pool.end(), [&](int a, int b) {
                return best ? w.horses[a].ability > w.horses[b].ability : w.horses[a].ability < w.horses[b].ability;
            });
            if (pool.size() > count) pool.resize(count);
            for (int horse : pool) {
                const Horse& h = w.horses[horse];
                auto& v = ready[{groupOf(h), h.birth.y, classOf(h)}];
                v.erase(std::find(v.begin(), v.end(), horse));
            }
            return pool;
        };
        std::vector<int> field = pick(group == 1 ? 1 : 0, top, true);
        std::vector<int> weak = pick(group == 1 ? 0 : 1, bottom, false);
        field.insert(field.end(), weak.begin(), weak.end());
        return field;
    }

    int trackFor(int jyo, int group, int dist) {
        if (group == 2) return rng.chance(0.5) ? 54 : 53;
        bool left = kLeft[jyo];
        if (group == 1) return left ? 23 : 24;
        if (jyo == 4 && dist == 1000) return 10;
        bool outer = rng.chance(0.3);
        return left ? (outer ? 12 : 11) : (outer ? 18 : 17);
    }

    int distFor(int group, int jyo, int pref) {
        static const int kTurf[] = {1200, 1400, 1600, 1800, 2000, 2200, 2400, 2500};
        static const int kDirt[] = {1000, 1150, 1200, 1400, 1600, 1700, 1800, 1900, 2100};
        static const int kHurdle[] = {2750, 2880, 3000, 3110, 3200, 3350, 3570};
        if (group == 2) return kHurdle[rng.below(7)];
        if (group == 1) return kDirt[rng.below(9)];
        if (jyo == 4 && rng.chance(0.08)) return 1000;
        (void)pref;
        return kTurf[rng.below(8)];
    }

    // The programme of one race: its horses' group, age and class limits.
    struct Programme {
        int group = 0;
        int minAge = 3;
        bool onlyAge = false;
        std::vector<int> classes = {1, 2};
        bool debut = false;
    };

    // Programme: young horses first, hurdle race now and then, the main race at 11.
    Programme programmeOf(int r, int month, const RaceSpec& spec) {
        Programme p;
        p.group = (r % 3 == 0) ? 1 : (r % 3 == 1 ? 0 : (rng.chance(0.5) ? 0 : 1));
        if (r <= 2 && month >= 6) {
            p.minAge = 2; p.onlyAge = true; p.classes = {1};
            if (r == 2) { p.classes = {0}; p.debut = true; }
        } else if (r <= 3 && month <= 9) {
            p.minAge = 3; p.onlyAge = true; p.classes = {0, 1};
        } else if ((r == 4 && rng.chance(0.5)) || spec.hurdle) {
            p.group = 2; p.minAge = 3; p.classes = {0, 1, 2};
        } else {
            p.minAge = month >= 6 ? 3 : 4;
            p.classes = {2};
            if (r <= 5) p.classes = {1};
        }
        if (spec.field > 0 || spec.spread) p.debut = false;
        return p;
    }

    // The horses of one race; the week's races take horses with at least
    // minPastRuns earlier runs (debut races excepted).
    std::vector<int> drawField(const Programme& p, const kv::Date& date, bool week, const RaceSpec& spec) {
        const int group = p.group;
        int want = week ? rng.range(12, opt.size == Size::Full ? 18 : 14) : rng.range(8, 16);
        if (spec.field > 0) want = spec.field;
        const std::size_t enough = spec.field > 0 ? static_cast<std::size_t>(spec.field) : 12u;
        int minRuns = (week && !p.debut) ? sc.minPastRuns : 0;
        std::vector<int> field = spec.spread ? spreadField(group, date.y, want, minRuns)
                                             : draw(group, date.y, p.minAge, p.onlyAge, p.classes, want, minRuns);
        // The week's programme is fixed: widen the choice until the field is big enough.
        for (int widen = 0; week && field.size() < enough && widen < 4; ++widen) {
            std::vector<int> more;
            if (widen == 0) more = draw(group, date.y, p.minAge, false, {0, 1, 2}, want - static_cast<int>(field.size()), minRuns);
            if (widen == 1) more = draw(1 - (group == 2 ? 0 : group), date.y, 3, false, {0, 1, 2}, want - static_cast<int>(field.size()), minRuns);
            if (widen == 2) more = draw(group == 0 ? 1 : 0, date.y, 2, false, {0, 1, 2}, want - static_cast<int>(field.size()), minRuns);
            if (widen == 3) {
                for (int g = 0; g < 3 && field.size() + more.size() < enough; ++g) {
                    auto extra = draw(g, date.y, 2, false, {0, 1, 2}, want - static_cast<int>(field.size() + more.size()), 0);
                    more.insert(more.end(), extra.begin(), extra.end());
                }
            }
            field.insert(field.end(), more.begin(), more.end());
        }
        return field;
    }

    // Horses of a race that is not run go back to those ready.
    void giveBack(const std::vector<int>& field) {
        for (int horse : field) {
            const Horse& h = w.horses[horse];
            ready[{groupOf(h), h.birth.y, classOf(h)}].push_back(horse);
        }
    }

    // Distance, track, course and the race's kind.
    void setCourse(Race& race, const Programme& p, int jyo) {
        const int group = p.group, minAge = p.minAge;
        race.dist = distFor(group, jyo, 0);
        race.track = trackFor(jyo, group, race.dist);
        race.course = (group == 1 || group == 2) ? "  " : std::string(1, "ABC"[rng.below(3)]) + " ";
        race.youngestAge = minAge;
        race.syubetu = group == 2 ? (minAge >= 4 ? "19" : "18") : (p.onlyAge ? (minAge == 2 ? "11" : "12") : (minAge >= 4 ? "14" : "13"));
    }

    // Condition from the field.
    void setCondition(Race& race, const std::vector<int>& field, bool debut) {
        int maxWins = 0;
        bool allDebut = true;
        for (int horse : field) {
            maxWins = std::max(maxWins, w.horses[horse].wins);
            if (!w.horses[horse].starts.empty()) allDebut = false;
        }
        if (debut || allDebut) race.jyoken = "701";
        else if (maxWins == 0) race.jyoken = "703";
        else if (maxWins == 1) race.jyoken = "005";
        else if (maxWins == 2) race.jyoken = "010";
        else if (maxWins == 3) race.jyoken = "016";
        else race.jyoken = "999";
    }

    // Grade and name of race r from its condition; returns the winner's prize.
    long long setGrade(Race& race, int r, int group, int jyo, int month) {
        long long first = 55000;
        if (race.jyoken == "005") first = 80000;
        if (race.jyoken == "010") first = 110000;
        if (race.jyoken == "016") first = 150000;
        if (race.jyoken == "999") {
            first = 220000;
            if (r == 11) {
                int g = rng.range(0, 9);
                race.grade = g < 1 ? 'A' : (g < 3 ? 'B' : (g < 6 ? 'C' : 'L'));
                if (group == 2) race.grade = g < 5 ? 'H' : ' ';
                first = race.grade == 'A' ? 1500000 : race.grade == 'B' ? 600000 : race.grade == 'C' ? 400000 : 250000;
            }
        }
        if (race.grade == ' ' && (r == 9 || r == 10 || (r == 11 && race.jyoken != "999")) && race.jyoken != "701" &&
            race.jyoken != "703")
            race.grade = 'E';
        if (race.grade != ' ') {
            static const char* kSeason[] = {"新春", "早春", "弥生", "卯月", "皐月", "水無月",
                                            "文月", "葉月", "長月", "神無月", "霜月", "師走"};
            static const char* kKind[] = {"ステークス", "カップ", "特別", "賞", "記念"};
            race.hondai = std::string(kCourseName[jyo]) + kSeason[month - 1] + kKind[rng.below(5)];
            race.ryakusyo = std::string(kCourseName[jyo]) + kSeason[month - 1];
        }
        return first;
    }

    // Symbol, weight rule and the prizes of the first five.
    void setPrizes(Race& race, bool debut, long long first) {
        race.kigo = debut || race.jyoken == "703" ? "A01" : (rng.chance(0.2) ? "N20" : (rng.chance(0.5) ? "A03" : "C01"));
        race.jyuryo = race.grade == 'A' ? 4 : (race.jyoken == "999" ? rng.range(1, 2) : 3);
        static const long long kShare[5] = {100, 40, 25, 15, 10};
        for (int p = 0; p < 5; ++p) race.prize[p] = first * kShare[p] / 100;
        if (race.grade == 'A' || race.grade == 'B') {
            for (int p = 0; p < 3; ++p) race.added[p] = first / (10 * (p + 1));
        }
    }

    // Weather and going of the day's races (one draw per day and racecourse).
    void setGoing(Race& race, long day, int jyo) const {
        Rng dayRng = Rng::derive(opt.seed ^ static_cast<std::uint64_t>(day * 16 + jyo), "going");
        int wx = dayRng.weighted({60, 25, 10, 5});
        race.tenko = wx + 1;
        int g = wx >= 2 ? dayRng.range(2, 4) : dayRng.weighted({80, 15, 5}) + 1;
        race.siba = g;
        race.dirt = std::min(4, g + (wx >= 2 ? 0 : dayRng.range(0, 1)));
    }

    // The races of one race day at one racecourse; the week's races take
    // horses with at least minRuns earlier runs (debut races excepted).
    void raceDay(const kv::Date& date, int jyo, int races, bool week, int nichijiOverride, int kaijiOverride,
                 const std::map<int, RaceSpec>* specs = nullptr) {
        long day = serialOf(date);
        int& count = meetingDays[date.y * 100 + jyo];
        int kaiji = kaijiOverride > 0 ? kaijiOverride : count / 8 + 1;
        int nichiji = nichijiOverride > 0 ? nichijiOverride : count % 8 + 1;
        ++count;
        const int month = date.m;
        for (int r = 1; r <= races; ++r) {
            static const RaceSpec kPlain;
            const RaceSpec* spec = &kPlain;
            if (specs) {
                auto it = specs->find(r);
                if (it != specs->end()) spec = &it->second;
            }
            Race race;
            race.date = date;
            race.jyo = jyo;
            race.kaiji = kaiji;
            race.nichiji = nichiji;
            race.raceNum = r;
            // Post times every 30 minutes from 9:50, as hhmm.
            const int postMinutes = 9 * 60 + 50 + (r - 1) * 30;
            race.hassoTime = (postMinutes / 60) * 100 + postMinutes % 60;
            const Programme prog = programmeOf(r, month, *spec);
            std::vector<int> field = drawField(prog, date, week, *spec);
            if (field.size() < (week ? 2u : 5u)) {
                // Not enough horses ready: give them back.
                giveBack(field);
                continue;
            }
            setCourse(race, prog, jyo);
            setCondition(race, field, prog.debut);
            setPrizes(race, prog.debut, setGrade(race, r, prog.group, jyo, month));
            setGoing(race, day, jyo);
            race.toroku = static_cast<int>(field.size()) + (rng.chance(0.3) ? rng.range(1, 4) : 0);
            if (race.toroku > 18 && field.size() <= 18) race.toroku = 18;
            if (spec->field > 0) race.toroku = static_cast<int>(field.size());
            race.recordUp = false;
            // A programme's races run from true to form to wide open, by race number.
            RaceSpec run = *spec;
            if (week && !spec->spread) run.luck = 0.55 * (1 + r % 3);
            runRace(race, field, day, run);
        }
    }

    // One race: the draw, the runners' entries, odds, times, the finish with
    // margins and prizes, corners and laps; then the horses' state after it.
    void runRace(Race& race, std::vector<int>& field, long day, const RaceSpec& spec) {
        const int surface = surfaceOfTrack(race.track);
        const int n = static_cast<int>(field.size());
        const std::vector<int> waku = drawGate(field);
        std::vector<double> perf(n), rating(n);
        enterRunners(race, field, waku, surface, spec, perf, rating);
        if (spec.finish[0] > 0) fixFinish(spec, rating, perf);
        const std::vector<int> ijyo = drawMishaps(n, spec);
        setOdds(race, rating, ijyo);
        const std::vector<double> exact = runTimes(race, perf, ijyo, surface);
        std::vector<int> order;
        for (int i = 0; i < n; ++i) if (ijyo[i] == 0) order.push_back(i);
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return exact[a] < exact[b]; });
        const std::vector<bool> tied = deadHeats(race, order, spec);
        placeFinishers(race, order, tied);
        sharePlacePrizes(race, order, tied);
        runCorners(race, ijyo);
        if (!order.empty()) setLaps(race, w.starts[race.starts[order[0]]], surface);
        w.races.push_back(std::move(race));
        afterRace(w.races.back(), day);
    }

    // Draw: horse numbers in random order; brackets as the JRA rule spreads them.
    std::vector<int> drawGate(std::vector<int>& field) {
        const int n = static_cast<int>(field.size());
        for (int i = n - 1; i > 0; --i) std::swap(field[i], field[rng.below(static_cast<std::uint64_t>(i + 1))]);
        std::vector<int> waku(n);
        if (n <= 8) {
            for (int i = 0; i < n; ++i) waku[i] = i + 1;
        } else {
            int extra = n - 8;  // brackets 8, 7, ... take a second (and third) horse
            std::vector<int> per(9, 1);
            for (int k = 0; k < extra; ++k) per[8 - (k % 8)] += 1;
            int u = 0;
            for (int b = 1; b <= 8; ++b)
                for (int c = 0; c < per[b]; ++c) waku[u++] = b;
        }
        return waku;
    }

    // The starts of the race's runners (jockey, weights, blinkers) with each
    // one's rating and the speed it runs at.
    void enterRunners(Race& race, const std::vector<int>& field, const std::vector<int>& waku, int surface,
                      const RaceSpec& spec, std::vector<double>& perf, std::vector<double>& rating) {
        const int raceIdx = static_cast<int>(w.races.size());
        const int n = static_cast<int>(field.size());
        std::vector<int> jockeysUsed;
        const double base = baseSpeed(surface, race.dist);
        for (int i = 0; i < n; ++i) {
            Horse& h = w.horses[field[i]];
            Start s;
            s.race = raceIdx;
            s.horse = field[i];
            s.umaban = i + 1;
            s.wakuban = waku[i];
            s.age = race.date.y - h.birth.y;
            int j;
            do { j = static_cast<int>(rng.below(w.jockeys.size())); } while (std::find(jockeysUsed.begin(), jockeysUsed.end(), j) != jockeysUsed.end());
            jockeysUsed.push_back(j);
            s.jockey = j;
            s.trainer = h.trainer;
            s.owner = h.owner;
            int kg = s.age <= 2 ? 55 : (s.age == 3 ? 56 : 57);
            if (h.sex == 2) kg -= 2;
            if (race.jyuryo == 1) kg += rng.range(-4, 2);
            s.futan = kg * 10;
            int change = h.starts.empty() ? 0 : rng.range(-8, 8);
            s.weight = std::clamp(h.lastWeight + change, 380, 580);
            s.zogen = h.starts.empty() ? 0 : s.weight - h.lastWeight;
            s.blinker = rng.chance(0.1) ? 1 : 0;
            double ageAdj = s.age == 2 ? -0.9 : (s.age == 3 ? -0.3 : (s.age <= 5 ? 0.0 : -0.3 * (s.age - 5)));
            double fit = (surface == 2 || groupOf(h) == surface) ? 0.0 : -0.8;
            double dd = race.dist - h.prefDist;
            fit -= 0.0006 * (dd < 0 ? -dd : dd);
            double going = (surface == 0 ? -0.25 : 0.2) * (race.siba - 1);
            rating[i] = h.ability + ageAdj + fit + w.jockeys[j].skill + w.trainers[h.trainer].skill;
            perf[i] = base + rating[i] + going + rng.normal() * spec.luck;
            w.starts.push_back(s);
            race.starts.push_back(static_cast<int>(w.starts.size()) - 1);
        }
    }

    // A race run to a given finish: the horses of those rating ranks come home first.
    static void fixFinish(const RaceSpec& spec, const std::vector<double>& rating, std::vector<double>& perf) {
        const int n = static_cast<int>(perf.size());
        std::vector<int> byRating(n);
        for (int i = 0; i < n; ++i) byRating[i] = i;
        std::stable_sort(byRating.begin(), byRating.end(), [&](int a, int b) { return rating[a] > rating[b]; });
        const double best = *std::max_element(perf.begin(), perf.end());
        for (int k = 0; k < 3; ++k)
            if (spec.finish[k] >= 1 && spec.finish[k] <= n) perf[byRating[spec.finish[k] - 1]] = best + 0.6 - 0.2 * k;
    }

    // Abnormal runs: scratched before the start (1), or stopped during the race (4).
    std::vector<int> drawMishaps(int n, const RaceSpec& spec) {
        std::vector<int> ijyo(n, 0);
        for (int i = 0; i < n; ++i) {
            double u = rng.uniform();
            if (u < 0.004) ijyo[i] = 1;
            else if (u < 0.010) ijyo[i] = 4;
        }
        // A race made for a case runs without chance mishaps.
        if (spec.field > 0 || spec.spread || spec.deadHeat > 0 || spec.scratch || spec.finish[0] > 0)
            std::fill(ijyo.begin(), ijyo.end(), 0);
        if (spec.scratch && n >= 3) ijyo[2] = 1;
        return ijyo;
    }

    // Win odds and popularity from the public's estimate: the rating seen through noise.
    void setOdds(Race& race, const std::vector<double>& rating, const std::vector<int>& ijyo) {
        const int n = static_cast<int>(rating.size());
        std::vector<double> q(n);
        double qsum = 0;
        for (int i = 0; i < n; ++i) {
            double x = 1.7 * (rating[i] + rng.normal() * 0.45);
            double t = 1.0 + x / 16.0;
            if (t < 0.02) t = 0.02;
            double v = t;
            for (int k = 0; k < 4; ++k) v = v * v;  // t^16, close to exp(x)
            q[i] = ijyo[i] == 1 ? 0.0 : v;
            qsum += q[i];
        }
        std::vector<double> prob(n + 1, 0.0);
        for (int i = 0; i < n; ++i) {
            Start& s = w.starts[race.starts[i]];
            if (q[i] <= 0 || qsum <= 0) { s.odds = 0; continue; }
            double p = q[i] / qsum;
            prob[i + 1] = p;
            long o = static_cast<long>(0.8 / p * 10.0);
            s.odds = static_cast<int>(std::clamp<long>(o, 11, 9999));
        }
        if (serialOf(race.date) >= firstWeekDay) race.winProb = prob;
        std::vector<int> idx;
        for (int i = 0; i < n; ++i) if (ijyo[i] != 1) idx.push_back(i);
        std::stable_sort(idx.begin(), idx.end(), [&](int a, int b) { return w.starts[race.starts[a]].odds < w.starts[race.starts[b]].odds; });
        for (std::size_t k = 0; k < idx.size(); ++k) w.starts[race.starts[idx[k]]].ninki = static_cast<int>(k) + 1;
    }

    // The runners' times and last 3F / 4F; returns the exact times (tenths of a second).
    std::vector<double> runTimes(Race& race, const std::vector<double>& perf, const std::vector<int>& ijyo, int surface) {
        const int n = static_cast<int>(perf.size());
        std::vector<double> exact(n, 0.0);
        for (int i = 0; i < n; ++i) {
            Start& s = w.starts[race.starts[i]];
            s.ijyo = ijyo[i];
            if (ijyo[i] != 0) continue;
            double v = perf[i];
            exact[i] = race.dist * 36.0 / v;  // tenths of a second
            s.time = static_cast<int>(exact[i] + 0.5);
            const Horse& h = w.horses[s.horse];
            double kick = 0.9 + 0.3 * (h.style - 2.5) + 0.25 * h.ability + rng.normal() * 0.35;
            double v3 = v + kick;
            if (surface == 2) s.l3 = static_cast<int>(7200.0 / v3 + 0.5);
            else s.l3 = static_cast<int>(21600.0 / v3 + 0.5);
            if (s.l3 >= s.time) s.l3 = s.time - 1;
            s.l4 = surface == 2 ? 0 : static_cast<int>(28800.0 / (v3 - 0.2) + 0.5);
            if (s.l4 >= s.time) s.l4 = 0;
        }
        return exact;
    }

    // A dead heat: the second (and the fourth) past the post share the place ahead.
    std::vector<bool> deadHeats(Race& race, const std::vector<int>& order, const RaceSpec& spec) {
        std::vector<bool> tied(order.size(), false);
        auto tie = [&](std::size_t k) {
            if (k >= order.size()) return;
            Start& s = w.starts[race.starts[order[k]]];
            const Start& ahead = w.starts[race.starts[order[k - 1]]];
            s.time = ahead.time;
            if (s.l3 >= s.time) s.l3 = s.time - 1;
            if (s.l4 >= s.time) s.l4 = 0;
            tied[k] = true;
        };
        if (spec.deadHeat >= 1) tie(1);
        if (spec.deadHeat >= 2) tie(3);
        return tied;
    }

    // Places, margins and the prizes of the first five past the post.
    void placeFinishers(Race& race, const std::vector<int>& order, const std::vector<bool>& tied) {
        for (std::size_t k = 0; k < order.size(); ++k) {
            Start& s = w.starts[race.starts[order[k]]];
            s.order = tied[k] ? w.starts[race.starts[order[k - 1]]].order : static_cast<int>(k) + 1;
            s.nyusen = s.order;
        }
        const int winnerTime = order.empty() ? 0 : w.starts[race.starts[order[0]]].time;
        for (std::size_t k = 0; k < order.size(); ++k) {
            Start& s = w.starts[race.starts[order[k]]];
            if (s.order == 1) {
                // The winner's margin: to the first horse behind it.
                int second = s.time;
                for (std::size_t j = k + 1; j < order.size(); ++j) {
                    const Start& o = w.starts[race.starts[order[j]]];
                    if (o.order != 1) { second = o.time; break; }
                }
                s.timeDiff = -(second - s.time);
                s.chakusa = "   ";
            } else if (tied[k]) {
                s.timeDiff = s.time - winnerTime;
                s.chakusa = "D  ";
            } else {
                s.timeDiff = s.time - winnerTime;
                int ahead = w.starts[race.starts[order[k - 1]]].time;
                int gap = s.time - ahead;
                static const char* kMargin[] = {"H  ", "12 ", "1  ", "112", "2  ", "212", "3  ", "3  ", "4  ", "4  ", "5  "};
                if (gap <= 0) s.chakusa = rng.chance(0.5) ? "H  " : (rng.chance(0.5) ? "A  " : "K  ");
                else if (gap <= 10) s.chakusa = kMargin[gap];
                else if (gap < 20) s.chakusa = "6  ";
                else s.chakusa = "Z  ";
            }
            if (k < 5) {
                s.prize = race.prize[k];
                s.added = race.added[k];
            }
        }
    }

    // Horses sharing a place share its prize and the next one's.
    void sharePlacePrizes(const Race& race, const std::vector<int>& order, const std::vector<bool>& tied) {
        for (std::size_t k = 1; k < order.size() && k < 5; ++k) {
            if (!tied[k]) continue;
            Start& a = w.starts[race.starts[order[k - 1]]];
            Start& b = w.starts[race.starts[order[k]]];
            a.prize = b.prize = (race.prize[k - 1] + race.prize[k]) / 2;
            a.added = b.added = (race.added[k - 1] + race.added[k]) / 2;
        }
    }

    // Corners: running positions from the style, closing on the finish order;
    // then each runner's running style.
    void runCorners(const Race& race, const std::vector<int>& ijyo) {
        const int n = static_cast<int>(ijyo.size());
        int corners = race.dist <= 1400 ? 2 : 4;
        for (int c = 0; c < 4; ++c) {
            if (c < 4 - corners) continue;
            std::vector<std::pair<double, int>> pos;
            for (int i = 0; i < n; ++i) {
                if (ijyo[i] == 1) continue;
                const Horse& h = w.horses[w.starts[race.starts[i]].horse];
                double fin = w.starts[race.starts[i]].order > 0 ? w.starts[race.starts[i]].order : n;
                double early = h.style * 3.0 + rng.normal() * 1.5;
                double mix = (c + 1) / 5.0;
                pos.push_back({early * (1 - mix) + fin * mix, i});
            }
            std::stable_sort(pos.begin(), pos.end());
            for (std::size_t k = 0; k < pos.size(); ++k) w.starts[race.starts[pos[k].second]].corner[c] = static_cast<int>(k) + 1;
        }
        for (int i = 0; i < n; ++i) {
            Start& s = w.starts[race.starts[i]];
            const Horse& h = w.horses[s.horse];
            s.kyakusitu = s.ijyo == 0 ? std::clamp(h.style + (rng.chance(0.2) ? rng.range(-1, 1) : 0), 1, 4) : 0;
        }
    }

    // Race laps and furlong times from the winner's run.
    static void setLaps(Race& race, const Start& win, int surface) {
        int sections = (race.dist + 199) / 200;
        if (sections > 25) sections = 25;
        race.lapCount = sections;
        int finalSections = surface == 2 ? 1 : 3;
        int finalTime = win.l3;
        int early = win.time - finalTime;
        int earlySections = sections - finalSections;
        int used = 0;
        for (int k = 0; k < sections; ++k) {
            int t;
            if (k < earlySections) {
                t = earlySections > 0 ? early / earlySections : 0;
                if (k == 0) t += 25;  // the start
                if (k == earlySections - 1) t = early - used;
            } else {
                t = finalTime / finalSections;
                if (k == sections - 1) t = win.time - used;
            }
            if (t < 0) t = 0;
            if (t > 999) t = 999;
            race.lap[k] = t;
            used += t;
        }
        if (surface != 2) {
            race.s3 = race.lap[0] + race.lap[1] + race.lap[2];
            race.s4 = race.s3 + race.lap[3];
            race.l3 = win.l3;
            race.l4 = win.l4;
        }
    }

    // Horses' state after the race: weight, wins and prizes, retirement, and
    // the day each one is ready again.
    void afterRace(const Race& stored, long day) {
        for (std::size_t i = 0; i < stored.starts.size(); ++i) {
            Start& s = w.starts[stored.starts[i]];
            Horse& h = w.horses[s.horse];
            h.starts.push_back(stored.starts[i]);
            if (s.ijyo == 0) h.lastWeight = s.weight;
            if (s.order == 1) ++h.wins;
            h.prize += s.prize;
            h.addedPrize += s.added;
            int age = stored.date.y - h.birth.y;
            double retire = age >= 7 ? 0.12 : (age >= 5 ? 0.03 : 0.0);
            if (h.wins == 0 && h.starts.size() >= 10 && age >= 3) retire += 0.08;
            if (!h.hurdler && age >= 4 && h.wins <= 1 && rng.chance(0.03)) h.hurdler = true;
            if (rng.chance(retire)) { h.retired = true; continue; }
            long rest = 14 + rng.range(0, h.restWeeks) * 7 + (rng.chance(0.08) ? rng.range(60, 200) : 0);
            waiting.push({day + rest, s.horse});
        }
    }

    // The history from its first day to the end of the race week: ordinary
    // weekends, and the programme weeks as their fixed programmes say.
    void run(const std::map<long, ProgrammeDay>& programme, const std::vector<kv::Date>& weekDays) {
        scheduleHorses();
        firstWeekDay = serialOf(weekDays.front());
        const long first = serialOf(sc.historyStart);
        const long last = serialOf(weekDays.back());
        for (long day = first; day <= last; ++day) {
            if (day == firstWeekDay) w.firstWeekRace = w.races.size();
            kv::Date d = kv::fromSerial(day);
            auto p = programme.find(day);
            if (p != programme.end()) {
                release(day);
                for (const Meeting& m : p->second.meetings)
                    raceDay(d, m.jyo, m.races, true, m.nichiji, m.kaiji, &m.specs);
                continue;
            }
            int wd = kv::weekday(d);  // 1 Sunday .. 7 Saturday
            if (wd != 1 && wd != 7) continue;
            release(day);
            for (int c = 0; c < sc.coursesPerDay; ++c) {
                int jyo = kSchedule[d.m - 1][(c + (opt.size == Size::Small ? (d.d / 7) % 3 : 0)) % 3];
                raceDay(d, jyo, sc.racesPerCourse, false, 0, 0);
            }
        }
        for (std::size_t r = w.firstWeekRace; r < w.races.size(); ++r) w.races[r].thisWeek = true;
    }
};

}  // namespace

const char* courseNameUtf8(int jyo) { return (jyo >= 1 && jyo <= 10) ? kCourseName[jyo] : ""; }
bool courseIsLeft(int jyo) { return jyo >= 1 && jyo <= 10 && kLeft[jyo]; }

World buildWorld(const Options& opt) {
    World w;
    w.opt = opt;
    Builder b(w, opt);
    b.people();
    b.breeding();
    b.racehorses();
    if (opt.weeksBack < 0 || opt.weeksBack > kMaxWeeksBack)
        throw std::invalid_argument("weeks back outside 0 to " + std::to_string(kMaxWeeksBack));
    // Every programme week up to the race week; the race week is a programme
    // week or, further back, an ordinary weekend.
    std::map<long, ProgrammeDay> programme;
    for (int k = opt.weeksBack; k <= kMaxWeeksBack; ++k)
        for (ProgrammeDay& d : programmeWeek(opt.size, k)) {
            if (k == opt.weeksBack) w.weekDays.push_back(d.date);
            programme.emplace(kv::daySerial(d.date), std::move(d));
        }
    if (w.weekDays.empty()) {
        const kv::Date sat = plusDays(kBaseSaturday, -7L * opt.weeksBack);
        w.weekDays = {sat, plusDays(sat, 1)};
    }
    b.run(programme, w.weekDays);
    return w;
}

}  // namespace kvsample
