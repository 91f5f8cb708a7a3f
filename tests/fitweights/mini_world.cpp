#include "mini_world.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>

#include "acquisition/jvdata/horse_records.h"
#include "acquisition/jvdata/race_records.h"
#include "common/fields.h"
#include "fixtures/jv_records.h"

namespace kvtest {

namespace {

namespace R = kv::jv::RaRecord;
namespace S = kv::jv::SeRecord;
namespace U = kv::jv::UmRecord;

struct Rand {
    std::mt19937_64 g;
    explicit Rand(std::uint64_t seed) : g(seed) {}
    double uniform() { return static_cast<double>(g() >> 11) * (1.0 / 9007199254740992.0); }
    double normal() {
        double s = 0;
        for (int i = 0; i < 12; ++i) s += uniform();
        return s - 6.0;
    }
    int below(int n) { return static_cast<int>(g() % static_cast<std::uint64_t>(n)); }
};

struct Horse {
    std::string ketto;
    int sex = 1, birthYear = 2020, birthMonth = 4;
    int surface = 0;        // 0 turf, 1 dirt, 2 hurdle
    int prefDist = 1600;
    double ability = 0;
    int weight = 480;
    int sire = 0;
    int nextFree = 0;       // week index from which it may run
    std::vector<std::string> runs;
};

struct Day {
    int y, m, d;
};

Day addDays(Day x, int n) {
    static const int mdays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    while (n-- > 0) {
        int dim = mdays[x.m - 1] + (x.m == 2 && x.y % 4 == 0 ? 1 : 0);
        if (++x.d > dim) {
            x.d = 1;
            if (++x.m > 12) {
                x.m = 1;
                ++x.y;
            }
        }
    }
    return x;
}

std::string pad(long v, std::size_t w) { return kv::zeroPad(v, w); }

struct RacePlan {
    int surface;   // 0 turf, 1 dirt, 2 hurdle
    int dist;
    const char* track;
};
constexpr RacePlan kPlans[] = {{2, 3000, "54"}, {1, 1200, "24"}, {1, 1800, "24"}, {0, 1200, "17"},
                               {0, 1600, "18"}, {0, 2000, "11"}, {0, 2400, "12"}};

double baseSpeed(int surface, int dist) {
    if (surface == 2) return 52.0;
    if (surface == 1) return dist <= 1200 ? 58.5 : 57.0;
    return 64.5 - 0.0019 * dist;
}

// One race: picks runners among the free horses and, for a past race, runs it.
void runRace(Rand& rnd, std::vector<Horse>& hs, int week, const Day& day, int jyo, int kaiji, int nichiji, int raceNum,
             const RacePlan& plan, bool past, MiniWorld& w) {
    std::vector<int> free;
    for (std::size_t i = 0; i < hs.size(); ++i)
        if (hs[i].surface == plan.surface && hs[i].nextFree <= week &&
            (plan.surface != 0 || std::abs(hs[i].prefDist - plan.dist) <= 400))
            free.push_back(static_cast<int>(i));
    if (free.size() < 5) return;
    for (std::size_t i = 0; i < free.size(); ++i) std::swap(free[i], free[i + rnd.below(static_cast<int>(free.size() - i))]);
    const int n = static_cast<int>(std::min<std::size_t>(free.size(), past ? 12 : 14));
    free.resize(n);

    const std::string raceId = jvRaceId(day.y, day.m * 100 + day.d, jyo, kaiji, nichiji, raceNum);
    const int going = 1 + rnd.below(4);
    RecordBuilder ra = jvRA(raceId, past ? "7" : "2");
    ra.setRaw(R::MakeDate, pad(day.y, 4) + pad(day.m * 100 + day.d, 4))
        .setRaw(R::Kyori, pad(plan.dist, 4))
        .setRaw(R::TrackCD, plan.track)
        .setRaw(R::CourseKubunCD, plan.surface == 1 ? "  " : "A ")
        .setRaw(R::TorokuTosu, pad(n, 2))
        .setRaw(R::SyussoTosu, pad(n, 2))
        .setRaw(R::TenkoCD, pad(1 + rnd.below(3), 1))
        .setRaw(R::SibaBabaCD, plan.surface == 1 ? "0" : pad(going, 1))
        .setRaw(R::DirtBabaCD, plan.surface == 1 ? pad(going, 1) : "0")
        .setRaw(R::GradeCD, raceNum == 7 ? "C" : " ");
    (past ? w.history.races : w.weekRaces).push_back(ra.str());

    struct Run {
        int horse, umaban;
        int time = 0, l3 = 0;
        double score = 0;
    };
    std::vector<Run> runs;
    for (int u = 1; u <= n; ++u) runs.push_back(Run{free[u - 1], u});
    const double goingEffect = going >= 3 ? -0.8 : 0.0;
    for (Run& r : runs) {
        const Horse& h = hs[r.horse];
        const double spd = baseSpeed(plan.surface, plan.dist) + h.ability + goingEffect - (h.sex == 2 ? 0.3 : 0.0) -
                           0.4 * std::abs(h.prefDist - plan.dist) / 400.0 + 0.6 * rnd.normal();
        const double fin = spd + 1.5 + 0.4 * rnd.normal();
        r.time = static_cast<int>(std::lround(plan.dist * 36.0 / spd));
        r.l3 = static_cast<int>(std::lround((plan.surface == 2 ? 7200.0 : 21600.0) / fin));
        r.score = h.ability + 0.7 * rnd.normal();
    }
    // Win odds from the market's view of the runners.
    std::vector<double> prob(n);
    double tot = 0;
    for (int i = 0; i < n; ++i) tot += prob[i] = std::exp(1.2 * runs[i].score);
    std::vector<int> odds(n);
    for (int i = 0; i < n; ++i) odds[i] = std::clamp(static_cast<int>(std::lround(8.0 / (prob[i] / tot))), 10, 9999);
    std::vector<int> byOdds(n);
    std::iota(byOdds.begin(), byOdds.end(), 0);
    std::stable_sort(byOdds.begin(), byOdds.end(), [&](int a, int b) { return odds[a] < odds[b]; });
    std::vector<int> ninki(n);
    for (int i = 0; i < n; ++i) ninki[byOdds[i]] = i + 1;
    std::vector<int> order(n);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return runs[a].time < runs[b].time; });
    std::vector<int> place(n);
    for (int i = 0; i < n; ++i) place[order[i]] = i + 1;
    static const long prizes[] = {10000, 4000, 2500, 1500, 1000};

    for (int i = 0; i < n; ++i) {
        const Run& r = runs[i];
        Horse& h = hs[r.horse];
        RecordBuilder se = jvSE(raceId, r.umaban, h.ketto, past ? "7" : "2");
        se.setRaw(S::MakeDate, pad(day.y, 4) + pad(day.m * 100 + day.d, 4))
            .setRaw(S::SexCD, pad(h.sex, 1))
            .setRaw(S::Futan, h.sex == 2 ? "540" : "560")
            .setRaw(S::KisyuCode, "010" + pad(1 + rnd.below(12), 2))
            .setRaw(S::ChokyosiCode, "012" + pad(h.sire % 8, 2));
        const int bw = h.weight + rnd.below(9) - 4;
        if (past) {
            const int p = place[i];
            const int diff = p == 1 ? runs[order[1]].time - r.time : r.time - runs[order[0]].time;
            se.setRaw(S::BaTaijyu, pad(bw, 3))
                .setRaw(S::NyusenJyuni, pad(p, 2))
                .setRaw(S::KakuteiJyuni, pad(p, 2))
                .setRaw(S::Time, pad(r.time / 600, 1) + pad(r.time % 600, 3))
                .setRaw(S::HaronTimeL3, pad(r.l3, 3))
                .setRaw(S::Odds, pad(odds[i], 4))
                .setRaw(S::Ninki, pad(ninki[i], 2))
                .setRaw(S::Honsyokin, pad(p <= 5 ? prizes[p - 1] : 0, 8))
                .setRaw(S::TimeDiff, (p == 1 ? "-" : "+") + pad(std::min(diff, 999), 3))
                .setRaw(S::ChakusaCD, p > 1 && diff == 0 ? "H  " : "   ");
        } else {
            se.setRaw(S::BaTaijyu, "000");
        }
        if (past) {
            w.history.runners.push_back(se.str());
            h.runs.push_back(se.str());
            h.nextFree = week + 2 + rnd.below(4);
        } else {
            h.runs.push_back(se.str());
            w.week.push_back(MiniWeekHorse{h.ketto, h.ability, raceId.substr(0, 8) + raceId.substr(8, 2) + raceId.substr(14, 2),
                                           h.runs});
            h.nextFree = 1 << 30;
        }
    }
}

}  // namespace

MiniWorld makeMiniWorld(std::uint64_t seed, int horseCount) {
    Rand rnd(seed);
    MiniWorld w;
    std::vector<Horse> hs(horseCount);
    for (int i = 0; i < horseCount; ++i) {
        Horse& h = hs[i];
        h.ketto = pad(2020100001L + i, 10);
        const double u = rnd.uniform();
        h.sex = u < 0.45 ? 1 : u < 0.85 ? 2 : 3;
        h.birthYear = 2020 + rnd.below(2);
        h.birthMonth = 2 + rnd.below(4);
        const double v = rnd.uniform();
        h.surface = v < 0.55 ? 0 : v < 0.88 ? 1 : 2;
        h.prefDist = 1200 + 400 * rnd.below(4);
        h.ability = 1.5 * rnd.normal();
        h.weight = 440 + rnd.below(80);
        h.sire = rnd.below(15);
        h.nextFree = rnd.below(4);
        RecordBuilder um = jvUM(h.ketto, pad(1000000001L + h.sire, 10), pad(2000000001L + i, 10));
        um.setRaw(U::BirthDate, pad(h.birthYear, 4) + pad(h.birthMonth * 100 + 10, 4)).setRaw(U::SexCD, pad(h.sex, 1));
        w.history.horses.push_back(um.str());
    }
    Day day{2023, 6, 3};
    const int weeks = 80;
    for (int wk = 0; wk <= weeks; ++wk) {
        const bool past = wk < weeks;
        const int jyos[2] = {wk % 2 ? 5 : 8, wk % 2 ? 6 : 9};
        for (int v = 0; v < 2; ++v)
            for (int r = 0; r < 7; ++r)
                runRace(rnd, hs, past ? wk : 1 << 29, day, jyos[v], 1 + (wk / 8) % 5, 1 + wk % 8, r + 1, kPlans[r], past, w);
        day = addDays(day, 7);
    }
    return w;
}

double withinRaceCorrelation(const std::map<std::string, std::vector<std::pair<double, double>>>& byRace) {
    double sxy = 0, sxx = 0, syy = 0;
    for (const auto& [race, runners] : byRace) {
        double mx = 0, my = 0;
        for (const auto& [x, y] : runners) mx += x, my += y;
        mx /= static_cast<double>(runners.size());
        my /= static_cast<double>(runners.size());
        for (const auto& [x, y] : runners) {
            sxy += (x - mx) * (y - my);
            sxx += (x - mx) * (x - mx);
            syy += (y - my) * (y - my);
        }
    }
    return sxx > 0 && syy > 0 ? sxy / std::sqrt(sxx * syy) : 0.0;
}

}  // namespace kvtest
