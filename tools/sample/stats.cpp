// The OPTION1N statistics files, derived from the runs before the week.
#include <algorithm>
#include <numeric>

#include "common/appfolder.h"
#include "common/fields.h"
#include "common/recordfile.h"
#include "expansion/stats/stat_files.h"
#include "expansion/stats/stat_records.h"
#include "outputs.h"
#include "records.h"

namespace kvsample {

namespace st = kv::stats;
using kv::Field;

namespace {

// Starts, places in the first three, earnings; by surface (0 turf, 1 dirt, 2 hurdle).
struct Acc {
    int starts[3] = {}, top3[3] = {}, wins[3] = {};
    long long earn[3] = {};
    int goingStarts[3][4] = {}, goingTop3[3][4] = {};
    int distStarts[2][3] = {}, distTop3[2][3] = {};
    void add(const Race& race, const Start& s) {
        int surf = race.track < 23 ? 0 : (race.track < 50 ? 1 : 2);
        bool top = s.order >= 1 && s.order <= 3;
        ++starts[surf];
        top3[surf] += top;
        wins[surf] += s.order == 1;
        earn[surf] += s.prize + s.added;
        int going = std::clamp(surf == 1 ? race.dirt : race.siba, 1, 4) - 1;
        ++goingStarts[surf][going];
        goingTop3[surf][going] += top;
        if (surf < 2) {
            int band = race.dist <= 1600 ? 0 : (race.dist <= 2200 ? 1 : 2);
            ++distStarts[surf][band];
            distTop3[surf][band] += top;
        }
    }
    int flatStarts() const { return starts[0] + starts[1]; }
    int flatTop3() const { return top3[0] + top3[1]; }
    long long flatEarn() const { return earn[0] + earn[1]; }
};

long long rate(int top, int n) { return n > 0 ? static_cast<long long>(top) * 100000 / n : 0; }

std::string pad(long long v, std::size_t w) {
    long long cap = 1;
    for (std::size_t i = 0; i < w; ++i) cap *= 10;
    return kv::zeroPad(std::clamp(v, 0LL, cap - 1), w);
}

// A blank-free record: every byte before the CR LF a digit "0", the key first.
std::string zeroRecord(std::size_t len) {
    std::string r(len, '0');
    r[len - 2] = '\r';
    r[len - 1] = '\n';
    return r;
}

void set(std::string& r, Field f, long long v) { kv::setField(r, f, pad(v, f.len)); }

std::string parentRecord(const std::string& num, const Acc& a, int offspring) {
    using P = st::ParentStatRecord;
    std::string r = zeroRecord(P::kLength);
    kv::setField(r, P::HansyokuNum, num);
    set(r, Field{10, 6}, offspring);
    set(r, P::FlatRate, rate(a.flatTop3(), a.flatStarts()));
    set(r, Field{22, 6}, a.wins[0] + a.wins[1]);
    set(r, Field{28, 6}, a.wins[2]);
    set(r, P::FlatStarts, a.flatStarts());
    set(r, P::HurdleStarts, a.starts[2]);
    set(r, P::FlatEarnings, a.flatEarn());
    set(r, P::HurdleEarnings, a.earn[2]);
    set(r, P::FlatScore, a.flatEarn() / 10 + 100LL * (a.wins[0] + a.wins[1]));
    set(r, P::HurdleScore, a.earn[2] / 10 + 100LL * a.wins[2]);
    set(r, P::HurdleRate, rate(a.top3[2], a.starts[2]));
    for (int g = 1; g <= 4; ++g) {
        set(r, P::TurfGoingRate(g), rate(a.goingTop3[0][g - 1], a.goingStarts[0][g - 1]));
        set(r, P::DirtGoingRate(g), rate(a.goingTop3[1][g - 1], a.goingStarts[1][g - 1]));
        set(r, P::HurdleGoingRate(g), rate(a.goingTop3[2][g - 1], a.goingStarts[2][g - 1]));
    }
    for (int b = 1; b <= 3; ++b) {
        set(r, P::TurfDistRate(b), rate(a.distTop3[0][b - 1], a.distStarts[0][b - 1]));
        set(r, P::DirtDistRate(b), rate(a.distTop3[1][b - 1], a.distStarts[1][b - 1]));
    }
    return r;
}

std::string kyosobaRecord(const std::string& ketto, const Acc& a) {
    using K = st::KyosobaStatRecord;
    std::string r = zeroRecord(K::kLength);
    kv::setField(r, K::KettoNum, ketto);
    set(r, Field{10, 6}, a.wins[0] + a.wins[1] + a.wins[2]);
    set(r, Field{16, 6}, a.starts[0] + a.starts[1] + a.starts[2]);
    set(r, K::FlatStarts, a.flatStarts());
    set(r, K::HurdleStarts, a.starts[2]);
    set(r, K::FlatEarnings, a.flatEarn());
    set(r, K::HurdleEarnings, a.earn[2]);
    set(r, K::HurdleRate, rate(a.top3[2], a.starts[2]));
    set(r, K::TurfRate, rate(a.top3[0], a.starts[0]));
    set(r, K::DirtRate, rate(a.top3[1], a.starts[1]));
    return r;
}

std::string seisekiRecord(const std::string& code, const Acc& a) {
    using S = st::SeisekiStatRecord;
    std::string r = zeroRecord(S::kLength);
    kv::setField(r, S::StatCode, code);
    set(r, Field{5, 6}, a.starts[0] + a.starts[1] + a.starts[2]);
    set(r, Field{11, 6}, a.wins[0] + a.wins[1] + a.wins[2]);
    set(r, S::TurfRate, rate(a.top3[0], a.starts[0]));
    set(r, S::DirtRate, rate(a.top3[1], a.starts[1]));
    set(r, S::HurdleRate, rate(a.top3[2], a.starts[2]));
    return r;
}

bool put(const std::string& dir, const char* name, const std::string& bytes) {
    return kv::writeFileAtomic(kv::joinPath(dir, name), bytes);
}

// Indexes sorted by a key text.
template <class F>
std::vector<int> sortedBy(std::size_t n, F key) {
    std::vector<int> idx(n);
    std::iota(idx.begin(), idx.end(), 0);
    std::stable_sort(idx.begin(), idx.end(), [&](int a, int b) { return key(a) < key(b); });
    return idx;
}

}  // namespace

bool writeStatistics(const World& w, const std::string& appDir, WriteSummary& sum) {
    const std::string dir = kv::joinPath(appDir, kv::dirs::OPTION1N);
    if (!kv::makeDirs(dir)) return false;
    std::vector<Acc> horse(w.horses.size()), breed(w.breeding.size()), jockey(w.jockeys.size()),
        trainer(w.trainers.size());
    std::vector<int> offspringRan(w.breeding.size(), 0);
    std::vector<std::vector<int>> rides(w.jockeys.size());
    for (std::size_t si = 0; si < w.starts.size(); ++si) {
        const Start& s = w.starts[si];
        const Race& race = w.races[s.race];
        if (race.thisWeek) continue;
        rides[s.jockey].push_back(static_cast<int>(si));
        if (s.ijyo == 1) continue;
        const Horse& h = w.horses[s.horse];
        horse[s.horse].add(race, s);
        breed[h.sire].add(race, s);
        breed[h.dam].add(race, s);
        jockey[s.jockey].add(race, s);
        trainer[s.trainer].add(race, s);
    }
    for (const Horse& h : w.horses)
        if (!h.starts.empty()) {
            ++offspringRan[h.sire];
            ++offspringRan[h.dam];
        }
    bool ok = true;
    // Horses that have run, by registration number.
    {
        std::string out;
        auto idx = sortedBy(w.horses.size(), [&](int i) { return w.horses[i].ketto; });
        for (int i : idx) {
            if (horse[i].starts[0] + horse[i].starts[1] + horse[i].starts[2] == 0) continue;
            out += kyosobaRecord(w.horses[i].ketto, horse[i]);
            ++sum.statHorses;
        }
        ok &= put(dir, st::names::KYOSOBA, out);
    }
    // Sires and dams, by breeding number.
    {
        std::vector<int> sires = w.sires, dams = w.dams;
        auto byNum = [&](int a, int b) { return w.breeding[a].num < w.breeding[b].num; };
        std::stable_sort(sires.begin(), sires.end(), byNum);
        std::stable_sort(dams.begin(), dams.end(), byNum);
        std::string stallion, mare, hahauma, hnsk;
        for (int b : sires) stallion += parentRecord(w.breeding[b].num, breed[b], offspringRan[b]);
        for (int b : dams) {
            std::string rec = parentRecord(w.breeding[b].num, breed[b], offspringRan[b]);
            hahauma += rec;
            if (offspringRan[b] > 0) mare += rec;
            for (const std::string& foal : w.breeding[b].foalKetto) {
                hnsk += w.breeding[b].num + foal + "\r\n";
                ++sum.foalRecords;
            }
        }
        sum.statSires = sires.size();
        sum.statDams = dams.size();
        ok &= put(dir, st::names::STALLION, stallion);
        ok &= put(dir, st::names::MARE, mare);
        ok &= put(dir, st::names::HAHAUMA, hahauma);
        ok &= put(dir, st::names::HNSK, hnsk);
    }
    // Jockeys and trainers.
    {
        std::string kishu, chokyo;
        for (std::size_t i = 0; i < w.jockeys.size(); ++i) kishu += seisekiRecord(w.jockeys[i].code, jockey[i]);
        for (std::size_t i = 0; i < w.trainers.size(); ++i) chokyo += seisekiRecord(w.trainers[i].code, trainer[i]);
        ok &= put(dir, st::names::KISHUSEISEI, kishu);
        ok &= put(dir, st::names::CHOKYOSEISEI, chokyo);
    }
    // Supplied jockey and breeding-horse records.
    {
        const kv::Date made{2025, 3, 31};
        std::string ks;
        for (std::size_t i = 0; i < w.jockeys.size(); ++i) ks += ksRecord(w, static_cast<int>(i), rides[i], made, false);
        ok &= put(dir, st::names::KS_SUPPLIED, ks);
        std::string hn;
        auto idx = sortedBy(w.breeding.size(), [&](int i) { return w.breeding[i].num; });
        for (int i : idx) hn += hnRecord(w, i, made);
        ok &= put(dir, st::names::HN_SUPPLIED, hn);
    }
    return ok;
}

}  // namespace kvsample
