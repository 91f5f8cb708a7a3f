// Factor weight tables fitted on a race history.
#include "fitweights.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <unordered_map>
#include <utility>

#include "acquisition/jvdata/horse_records.h"
#include "acquisition/jvdata/race_records.h"
#include "common/appfolder.h"
#include "common/fields.h"
#include "common/fsys.h"
#include "common/numbers.h"
#include "common/parallel.h"
#include "common/quoted.h"
#include "common/recordfile.h"
#include "expansion/builder.h"
#include "expansion/calc.h"
#include "expansion/coders.h"
#include "common/exrecord.h"
#include "expansion/speeds.h"
#include "expansion/stats/stat_files.h"
#include "expansion/weights.h"

namespace kv::fit {

namespace ex = kv::exrec;
namespace se = kv::jv::SeRecord;
using kv::expansion::Surface;

namespace {

constexpr int kSurfaces = 3;
constexpr int kKinds = 3;   // final section, pace, whole race
constexpr int kMax = kv::expansion::kMaxCategories;

// One coded run: its surface, the local category id of each factor's code
// (index 1..30) and its usable actual speeds.
struct Sample {
    std::uint8_t surface = 0;
    std::uint8_t valid = 0;          // bit q: speed q usable
    float y[kKinds] = {0, 0, 0};
    std::int32_t cat[31] = {};
};

// The codes a worker met, per surface and factor, with local ids.
struct Dictionary {
    std::unordered_map<std::string, std::int32_t> ids;
    std::vector<std::string> codes;
    std::vector<std::int64_t> counts;
    std::int32_t id(const std::string& code) {
        auto [it, added] = ids.emplace(code, static_cast<std::int32_t>(codes.size()));
        if (added) {
            codes.push_back(code);
            counts.push_back(0);
        }
        ++counts[it->second];
        return it->second;
    }
};

struct WorkerOut {
    // The samples in blocks of a fixed size: no block is ever copied to grow.
    static constexpr std::size_t kBlock = 4096;
    std::vector<std::vector<Sample>> samples;
    void add(const Sample& smp) {
        if (samples.empty() || samples.back().size() == kBlock) {
            samples.emplace_back();
            samples.back().reserve(kBlock);
        }
        samples.back().push_back(smp);
    }
    std::array<std::array<Dictionary, 31>, kSurfaces> dict;
    std::size_t runs = 0, failedHorses = 0;
};

// Speed of a speed text as the prediction reads it back (digits / 100000);
// 0 when the text is blank.
float speedOf(const std::string& text) { return static_cast<float>(kv::val(text) / 100000.0); }

bool usableSpeed(float v) { return v > 20.0f && v < 99.0f; }

// The actual speeds of a record; bits of the usable ones.
std::uint8_t actualSpeeds(const std::string& rec, float y[kKinds]) {
    if (getField(rec, ex::IJyoCD) != "0") return 0;
    std::uint8_t valid = 0;
    try {
        const std::string texts[kKinds] = {kv::expansion::CalcAgariSpeed(rec), kv::expansion::CalcPaceSpeed(rec),
                                           kv::expansion::CalcSohaSpeed(rec)};
        for (int q = 0; q < kKinds; ++q) {
            y[q] = speedOf(texts[q]);
            if (usableSpeed(y[q])) valid |= static_cast<std::uint8_t>(1u << q);
        }
    } catch (const std::exception&) {
        return 0;
    }
    return valid;
}

std::string raceOrderKey(const std::string& se) {
    return getField(se, se::Year) + getField(se, se::MonthDay) + getField(se, se::JyoCD) + getField(se, se::RaceNum) +
           getField(se, se::Umaban);
}

// Codes every run of the horses [begin, end); runsOf(h, runs) gives horse h's
// runs in race order.
void codeHorses(const kv::expansion::BuildInputs& in, const kv::coders::CoderStats& stats,
                const std::function<void(std::size_t, std::vector<std::string>&)>& runsOf, std::size_t begin,
                std::size_t end, WorkerOut& out) {
    std::vector<std::string> runs;
    for (std::size_t h = begin; h < end; ++h) {
        runs.clear();
        runsOf(h, runs);
        kv::expansion::BuiltHorse built = kv::expansion::BuildUmagotoEx(in, runs);
        if (built.failed) {
            ++out.failedHorses;
            continue;
        }
        const std::vector<std::string>& recs = built.records;
        out.runs += recs.size();
        for (std::size_t r = 0; r < recs.size(); ++r) {
            const std::string& rec = recs[r];
            if (!kv::expansion::passesTableFilters(rec)) continue;
            const Surface s = kv::expansion::surfaceOf(getField(rec, ex::TrackCD));
            Sample smp;
            smp.surface = static_cast<std::uint8_t>(s);
            smp.valid = actualSpeeds(rec, smp.y);
            const kv::coders::CoderContext ctx{recs, static_cast<int>(r + 1), &stats};
            bool ok = true;
            std::array<std::string, 31> codes;
            for (int k = 1; k <= 30 && ok; ++k) {
                try {
                    codes[k] = kv::coders::FitCode(k, kv::coders::CodeFactor(k, ctx));
                } catch (const std::exception&) {
                    ok = false;
                }
            }
            if (!ok) continue;
            for (int k = 1; k <= 30; ++k) smp.cat[k] = out.dict[smp.surface][k].id(codes[k]);
            out.add(smp);
        }
    }
}

// A code that a quoted value can hold as it is.
bool storable(const std::string& code) {
    for (char c : code)
        if (c == '"' || c == '\r' || c == '\n' || c == '\0') return false;
    return true;
}

std::string twoDigits(int v) { return kv::zeroPad(v, 2); }

// Factor 12's codes at fixed positions (index = position - 1); empty entries are free.
std::vector<std::string> factor12Fixed(Surface s) {
    std::vector<std::string> fixed;
    if (s == Surface::Hurdle) {
        fixed.assign(53, "");
        for (int m = 40; m <= 59; ++m) fixed[m - 40] = "1" + twoDigits(m);
        for (int m = 41; m <= 53; ++m) fixed[20 + m - 41] = "3" + twoDigits(m);
        for (int m = 40; m <= 59; ++m) fixed[33 + m - 40] = "2" + twoDigits(m);
    } else {
        fixed.assign(66, "");
        for (int m = 27; m <= 59; ++m) fixed[m - 27] = "1" + twoDigits(m);
        for (int m = 27; m <= 59; ++m) fixed[33 + m - 27] = "2" + twoDigits(m);
    }
    for (std::string& c : fixed) c = kv::coders::FitCode(12, c);
    return fixed;
}

// Category layout of one factor of one surface: the category texts in file
// order, and for factor 2 which of them are second-pass categories.
struct Layout {
    std::vector<std::string> codes;
    std::vector<std::int64_t> counts;
    std::vector<bool> pooled;   // factor 2's second-pass categories
};

Layout makeLayout(Surface s, int k, const std::map<std::string, std::int64_t>& occurring, std::size_t& dropped) {
    Layout L;
    std::vector<std::pair<std::string, std::int64_t>> codes;
    for (const auto& [c, n] : occurring) {
        // A blank code means the factor could not be coded for that run (an
        // age without a valid birth date): it must find no category.
        if (k == 12 && c.find_first_not_of(' ') == std::string::npos) continue;
        if (storable(c))
            codes.emplace_back(c, n);
        else
            ++dropped;
    }
    std::vector<std::string> fixed;
    if (k == 12) fixed = factor12Fixed(s);
    std::size_t room = kMax - fixed.size();
    if (k == 2) room = kMax / 2;   // leave room for the second-pass categories
    if (k == 12) {
        codes.erase(std::remove_if(codes.begin(), codes.end(),
                                   [&](const auto& p) { return std::find(fixed.begin(), fixed.end(), p.first) != fixed.end(); }),
                    codes.end());
    }
    if (codes.size() > room) {
        std::stable_sort(codes.begin(), codes.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
        dropped += codes.size() - room;
        codes.resize(room);
        std::sort(codes.begin(), codes.end());
    }
    if (k == 1) std::reverse(codes.begin(), codes.end());   // newest year first

    for (const std::string& f : fixed) {   // factor 12's classes first, with or without runs
        auto it = occurring.find(f);
        L.codes.push_back(f);
        L.counts.push_back(it == occurring.end() ? 0 : it->second);
    }
    for (const auto& [c, n] : codes) {
        L.codes.push_back(c);
        L.counts.push_back(n);
    }
    L.pooled.assign(L.codes.size(), false);

    if (k == 2) {
        // The second pass looks for "6" and characters 2 to 5 of a code among
        // the first five characters of the categories.
        std::map<std::string, std::int64_t> pools;   // key -> runs pooled
        for (const auto& [c, n] : codes) pools[std::string("6") + c.substr(1, 4)] += n;
        std::vector<std::string> prefixes;
        for (const std::string& c : L.codes) prefixes.push_back(c.substr(0, 5));
        std::sort(prefixes.begin(), prefixes.end());
        for (const auto& [key, n] : pools) {
            if (L.codes.size() >= static_cast<std::size_t>(kMax)) break;
            if (std::binary_search(prefixes.begin(), prefixes.end(), key)) continue;
            L.codes.push_back(kv::coders::FitCode(2, key));
            L.counts.push_back(n);
            L.pooled.push_back(true);
        }
    }
    return L;
}

// The samples of one surface by column, for the fits.
struct Columns {
    std::size_t n = 0;
    std::array<std::vector<std::int32_t>, 31> cat;   // final category numbers (0: none)
    std::array<std::vector<float>, kKinds> y;
    std::vector<std::uint8_t> valid;
};

// Backfitting of one target speed q over the samples of one surface: w[k][j]
// are the weights (j = 0 stays 0); factor 1 takes plain means, factors 2..30
// residual sums over count + shrink.
void backfit(const Columns& c, int q, const std::array<std::size_t, 31>& n, const FitOptions& o,
             std::array<std::vector<double>, 31>& w) {
    for (int k = 1; k <= 30; ++k) w[k].assign(n[k] + 1, 0.0);
    std::vector<std::size_t> rows;
    std::vector<double> resid;
    double total = 0;
    for (std::size_t i = 0; i < c.n; ++i)
        if (c.valid[i] >> q & 1) {
            rows.push_back(i);
            resid.push_back(c.y[q][i]);
            total += c.y[q][i];
        }
    const double mean = rows.empty() ? 0.0 : total / static_cast<double>(rows.size());
    std::vector<std::int32_t> col(rows.size());
    std::vector<double> sum, nw;
    std::vector<std::int64_t> cnt;
    for (int pass = 0; pass < std::max(1, o.passes); ++pass) {
        for (int k = 1; k <= 30; ++k) {
            for (std::size_t i = 0; i < rows.size(); ++i) col[i] = c.cat[k][rows[i]];
            sum.assign(n[k] + 1, 0.0);
            cnt.assign(n[k] + 1, 0);
            const std::vector<double>& wk = w[k];
            for (std::size_t i = 0; i < rows.size(); ++i) {
                sum[col[i]] += resid[i] + wk[col[i]];
                ++cnt[col[i]];
            }
            nw.assign(n[k] + 1, 0.0);
            for (std::size_t j = 1; j <= n[k]; ++j) {
                if (k == 1)
                    nw[j] = cnt[j] > 0 ? sum[j] / static_cast<double>(cnt[j]) : (pass == 0 ? mean : wk[j]);
                else
                    nw[j] = sum[j] / (static_cast<double>(cnt[j]) + o.shrink);
            }
            for (std::size_t i = 0; i < rows.size(); ++i) resid[i] += wk[col[i]] - nw[col[i]];
            w[k].swap(nw);
        }
    }
}

// A weight as it is written: three decimals, the value the file reads back.
float stored(double v) {
    const double r = std::round(v * 1000.0) / 1000.0;
    return static_cast<float>(r == 0.0 ? 0.0 : r);
}

std::uint64_t splitmix(std::uint64_t& x) {
    std::uint64_t z = (x += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// A few small weights of factors 2..30 (factor 12 aside: its charts have a fixed
// scale) become weights beyond +-20.
void placeExtremeWeights(SurfaceFit& sf, int surface, const FitOptions& o) {
    std::vector<std::pair<int, std::size_t>> candidates;
    for (int k = 2; k <= 30; ++k) {
        if (k == 12) continue;
        const FactorTable& t = sf.factors[k];
        for (std::size_t j = 0; j < t.codes.size(); ++j)
            if (t.counts[j] >= 3 && std::fabs(t.agari[j]) < 0.3f && std::fabs(t.pace[j]) < 0.3f &&
                std::fabs(t.soha[j]) < 0.3f)
                candidates.emplace_back(k, j);
    }
    std::uint64_t state = o.seed * 0x2545F4914F6CDD1Dull + static_cast<std::uint64_t>(surface + 1);
    for (int e = 0; e < o.extremeWeights && !candidates.empty(); ++e) {
        const std::size_t pick = static_cast<std::size_t>(splitmix(state) % candidates.size());
        const auto [k, j] = candidates[pick];
        candidates.erase(candidates.begin() + static_cast<std::ptrdiff_t>(pick));
        const double mag = 20.5 + static_cast<double>(splitmix(state) % 50) / 10.0;
        const float v = stored((splitmix(state) & 1) ? mag : -mag);
        FactorTable& t = sf.factors[k];
        t.agari[j] = v;
        t.pace[j] = v;
        t.soha[j] = v;
    }
}

std::string fileOf(const std::string& appDir, const std::string& rel) {
    std::string r = rel;
    std::replace(r.begin(), r.end(), '\\', '/');
    return kv::joinPath(appDir, r);
}

using Layouts = std::array<std::array<Layout, 31>, kSurfaces>;
using RunsOf = std::function<void(std::size_t, std::vector<std::string>&)>;

// Inputs of the builder and the coders, read once: the history's horse, jockey
// and race records (let go here) and the supplied option files.
kv::expansion::BuildInputs builderInputs(const std::string& appDir, History& history) {
    auto readOption = [&](const char* name) {
        auto b = kv::readFileBytes(kv::stats::optionFile(appDir, name));
        return b ? std::move(*b) : std::string();
    };
    std::string um = std::move(history.horseBytes), ks, ra = std::move(history.raceBytes);
    for (const std::string& r : history.horses) um += kv::fitRecord(r, kv::jv::UmRecord::kLength);
    for (const std::string& r : history.jockeys) ks += kv::fitRecord(r, 4161);
    if (history.jockeys.empty()) ks = readOption(kv::stats::names::KS_SUPPLIED);
    for (const std::string& r : history.races) ra += kv::fitRecord(r, kv::jv::RaRecord::kLength);
    history.horses = {};
    history.races = {};
    return kv::expansion::BuildInputs::fromBytes(std::move(um), std::string(), std::move(ks), std::move(ra),
                                                 readOption(kv::stats::names::HNSK));
}

// The statistics files the coders read (the coders keep pointers to them).
struct CoderStatFiles {
    kv::stats::StatFile kishu = kv::stats::StatFile::seiseki(), chokyo = kv::stats::StatFile::seiseki();
    kv::stats::StatFile stallion = kv::stats::StatFile::parent(), mare = kv::stats::StatFile::parent();
    kv::stats::StatFile kyosoba = kv::stats::StatFile::kyosoba();

    explicit CoderStatFiles(const std::string& appDir) {
        kishu.load(kv::stats::optionFile(appDir, kv::stats::names::KISHUSEISEI));
        chokyo.load(kv::stats::optionFile(appDir, kv::stats::names::CHOKYOSEISEI));
        stallion.load(kv::stats::optionFile(appDir, kv::stats::names::STALLION));
        mare.load(kv::stats::optionFile(appDir, kv::stats::names::MARE));
        kyosoba.load(kv::stats::optionFile(appDir, kv::stats::names::KYOSOBA));
    }
    CoderStatFiles(const CoderStatFiles&) = delete;
    CoderStatFiles& operator=(const CoderStatFiles&) = delete;
    kv::coders::CoderStats stats() const { return {&kishu, &chokyo, &stallion, &mare, &kyosoba}; }
};

// Sorts runs by race (stable).
void sortByRace(std::vector<std::string>& runs) {
    std::vector<std::pair<std::string, std::size_t>> keys;
    keys.reserve(runs.size());
    for (std::size_t i = 0; i < runs.size(); ++i) keys.emplace_back(raceOrderKey(runs[i]), i);
    std::stable_sort(keys.begin(), keys.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string> sorted;
    sorted.reserve(runs.size());
    for (const auto& k : keys) sorted.push_back(std::move(runs[k.second]));
    runs.swap(sorted);
}

// Each horse's runs in race order: first the horses whose runs the history
// makes on demand, then those of its runners by registration number.
class HorseRuns {
public:
    explicit HorseRuns(History& history) : history_(history), made_(history.runsOf ? history.runHorses : 0) {
        std::map<std::string, std::vector<const std::string*>> byHorse;
        for (const std::string& r : history.runners) {
            if (r.size() < se::kLength) continue;
            byHorse[getField(r, se::KettoNum)].push_back(&r);
        }
        horses_.reserve(byHorse.size());
        for (auto& [ketto, runs] : byHorse) horses_.push_back(std::move(runs));
    }
    std::size_t total() const { return made_ + horses_.size(); }
    void runsOf(std::size_t h, std::vector<std::string>& runs) const {
        if (h < made_) {
            history_.runsOf(h, runs);
            runs.erase(std::remove_if(runs.begin(), runs.end(), [](const std::string& r) { return r.size() < se::kLength; }),
                       runs.end());
        } else {
            for (const std::string* r : horses_[h - made_]) runs.push_back(*r);
        }
        sortByRace(runs);
    }

private:
    History& history_;
    std::size_t made_;
    std::vector<std::vector<const std::string*>> horses_;
};

// Codes horses [0, total) in contiguous chunks, one per thread, chunk t into outs[t].
std::vector<WorkerOut> codeInChunks(const kv::expansion::BuildInputs& in, const kv::coders::CoderStats& stats,
                                    const RunsOf& runsOf, std::size_t total, unsigned threads) {
    std::vector<WorkerOut> outs(threads);
    const std::size_t per = (total + threads - 1) / threads;
    kv::orderedForEach(threads, threads, [&](std::size_t t, unsigned) {
        const std::size_t b = std::min(total, t * per), e = std::min(total, b + per);
        codeHorses(in, stats, runsOf, b, e, outs[t]);
    });
    return outs;
}

// Codes every run of the history; the builder's inputs and the statistics are
// let go once every run is coded. threads is lowered to at most one per horse.
std::vector<WorkerOut> codeHistory(const std::string& appDir, History& history, unsigned& threads,
                                   std::size_t& horses) {
    const kv::expansion::BuildInputs in = builderInputs(appDir, history);
    const CoderStatFiles statFiles(appDir);
    const kv::coders::CoderStats stats = statFiles.stats();
    const HorseRuns horseRuns(history);
    const RunsOf runsOf = [&](std::size_t h, std::vector<std::string>& runs) { horseRuns.runsOf(h, runs); };
    const std::size_t total = horseRuns.total();
    horses = total;
    threads = static_cast<unsigned>(std::min<std::size_t>(threads, std::max<std::size_t>(1, total)));
    return codeInChunks(in, stats, runsOf, total, threads);
}

// Categories per surface and factor from the codes every worker met.
Layouts categoryLayouts(const std::vector<WorkerOut>& outs, std::size_t& droppedCodes) {
    Layouts layouts;
    for (int s = 0; s < kSurfaces; ++s) {
        for (int k = 1; k <= 30; ++k) {
            std::map<std::string, std::int64_t> occurring;
            for (const WorkerOut& o : outs) {
                const Dictionary& d = o.dict[s][k];
                for (std::size_t i = 0; i < d.codes.size(); ++i) occurring[d.codes[i]] += d.counts[i];
            }
            layouts[s][k] = makeLayout(static_cast<Surface>(s), k, occurring, droppedCodes);
        }
    }
    return layouts;
}

// A worker's local category ids to the layouts' category numbers (0: none).
std::array<std::array<std::vector<std::int32_t>, 31>, kSurfaces> finalIds(const WorkerOut& o, const Layouts& layouts) {
    std::array<std::array<std::vector<std::int32_t>, 31>, kSurfaces> remap;
    for (int s = 0; s < kSurfaces; ++s)
        for (int k = 1; k <= 30; ++k) {
            std::unordered_map<std::string, std::int32_t> pos;
            const Layout& L = layouts[s][k];
            for (std::size_t j = 0; j < L.codes.size(); ++j)
                if (!L.pooled[j]) pos.emplace(L.codes[j], static_cast<std::int32_t>(j + 1));
            const Dictionary& d = o.dict[s][k];
            remap[s][k].resize(d.codes.size(), 0);
            for (std::size_t i = 0; i < d.codes.size(); ++i) {
                auto it = pos.find(d.codes[i]);
                remap[s][k][i] = it == pos.end() ? 0 : it->second;
            }
        }
    return remap;
}

// Every worker's samples as columns per surface with final category numbers;
// the workers' samples are let go block by block.
std::array<Columns, kSurfaces> sampleColumns(std::vector<WorkerOut>& outs, const Layouts& layouts) {
    std::array<Columns, kSurfaces> cols;
    {
        std::array<std::size_t, kSurfaces> n{};
        for (const WorkerOut& o : outs)
            for (const auto& block : o.samples)
                for (const Sample& smp : block) ++n[smp.surface];
        for (int s = 0; s < kSurfaces; ++s) {
            for (int k = 1; k <= 30; ++k) cols[s].cat[k].reserve(n[s]);
            for (int q = 0; q < kKinds; ++q) cols[s].y[q].reserve(n[s]);
            cols[s].valid.reserve(n[s]);
        }
    }
    for (WorkerOut& o : outs) {
        const auto remap = finalIds(o, layouts);
        for (auto& block : o.samples) {
            for (const Sample& smp : block) {
                Columns& c = cols[smp.surface];
                ++c.n;
                for (int k = 1; k <= 30; ++k) c.cat[k].push_back(remap[smp.surface][k][smp.cat[k]]);
                for (int q = 0; q < kKinds; ++q) c.y[q].push_back(smp.y[q]);
                c.valid.push_back(smp.valid);
            }
            block = {};
        }
        o.samples.clear();
        o.samples.shrink_to_fit();
    }
    return cols;
}

// One fit: surface s, target speed q, and the weights it found.
struct FitJob {
    int s, q;
    std::array<std::vector<double>, 31> w;
};

// Fits: turf and dirt per target speed, hurdle on the whole-race speed; up to
// `threads` fits at a time.
std::vector<FitJob> runFits(const std::array<Columns, kSurfaces>& cols, const Layouts& layouts, unsigned threads,
                            const FitOptions& options) {
    std::vector<FitJob> jobs;
    for (int s = 0; s < kSurfaces; ++s)
        for (int q = (s == 2 ? 2 : 0); q < kKinds; ++q) jobs.push_back(FitJob{s, q, {}});
    std::vector<std::array<std::size_t, 31>> sizes(kSurfaces);
    for (int s = 0; s < kSurfaces; ++s)
        for (int k = 1; k <= 30; ++k) sizes[s][k] = layouts[s][k].codes.size();
    const unsigned par = std::max(1u, std::min<unsigned>(threads, static_cast<unsigned>(jobs.size())));
    kv::orderedForEach(jobs.size(), par, [&](std::size_t j, unsigned) {
        FitJob& job = jobs[j];
        backfit(cols[job.s], job.q, sizes[job.s], options, job.w);
    });
    return jobs;
}

// Second-pass categories of factor 2: the run-weighted mean of the categories they pool.
void poolSecondPass(const Layout& L, const std::array<std::vector<float>*, 3>& dst) {
    for (std::size_t j = 0; j < L.codes.size(); ++j) {
        if (!L.pooled[j]) continue;
        for (int q = 0; q < kKinds; ++q) {
            double sum = 0, n = 0;
            for (std::size_t i = 0; i < L.codes.size(); ++i) {
                if (L.pooled[i] || std::string("6") + L.codes[i].substr(1, 4) != L.codes[j].substr(0, 5))
                    continue;
                sum += static_cast<double>((*dst[q])[i]) * static_cast<double>(L.counts[i]);
                n += static_cast<double>(L.counts[i]);
            }
            (*dst[q])[j] = n > 0 ? stored(sum / n) : 0.0f;
        }
    }
}

// The tables of surface s: its sample counts and each factor's categories and weights.
void storeSurface(SurfaceFit& sf, int s, const Columns& cols, const std::array<Layout, 31>& layouts,
                  const std::vector<FitJob>& jobs, const FitOptions& options) {
    sf.samples = cols.n;
    for (std::uint8_t v : cols.valid)
        for (int q = 0; q < kKinds; ++q) sf.fitted[q] += (v >> q) & 1;
    for (int k = 1; k <= 30; ++k) {
        const Layout& L = layouts[k];
        FactorTable& t = sf.factors[k];
        t.codes = L.codes;
        for (std::int64_t c : L.counts) t.counts.push_back(static_cast<std::int32_t>(std::min<std::int64_t>(c, 2147483647)));
        std::array<std::vector<float>*, 3> dst{&t.agari, &t.pace, &t.soha};
        for (int q = 0; q < kKinds; ++q) dst[q]->assign(L.codes.size(), 0.0f);
        for (const FitJob& job : jobs) {
            if (job.s != s) continue;
            for (std::size_t j = 0; j < L.codes.size(); ++j) (*dst[job.q])[j] = stored(job.w[k][j + 1]);
        }
        if (s == 2) {
            t.agari = t.soha;
            t.pace = t.soha;
        }
        if (k == 2) poolSecondPass(L, dst);
    }
    placeExtremeWeights(sf, s, options);
}

}  // namespace

FitResult fitWeightTables(const std::string& appDir, History history, const FitOptions& options) {
    FitResult result;
    unsigned threads = options.threads ? options.threads : kv::usableCores();
    std::vector<WorkerOut> outs = codeHistory(appDir, history, threads, result.horses);
    for (const WorkerOut& o : outs) {
        result.runs += o.runs;
        result.failedHorses += o.failedHorses;
    }
    const Layouts layouts = categoryLayouts(outs, result.droppedCodes);
    const std::array<Columns, kSurfaces> cols = sampleColumns(outs, layouts);
    const std::vector<FitJob> jobs = runFits(cols, layouts, threads, options);
    for (int s = 0; s < kSurfaces; ++s) storeSurface(result.surfaces[s], s, cols[s], layouts[s], jobs, options);
    return result;
}

std::string tableFileBytes(const SurfaceFit& sf, int which) {
    std::string out;
    auto line = [&](kv::QuotedLine l) { out += l.line(); };
    if (which == 0) {
        for (int k = 1; k <= 30; ++k) line(kv::QuotedLine().number(static_cast<long long>(sf.factors[k].codes.size())));
        return out;
    }
    for (int k = 1; k <= 30; ++k) {
        const FactorTable& t = sf.factors[k];
        for (std::size_t j = 0; j < t.codes.size(); ++j) {
            switch (which) {
            case 1: line(kv::QuotedLine().textRaw(t.codes[j])); break;
            case 2: line(kv::QuotedLine().number(t.counts[j])); break;
            case 3: line(kv::QuotedLine().single(t.agari[j])); break;
            case 4: line(kv::QuotedLine().single(t.pace[j])); break;
            default: line(kv::QuotedLine().single(t.soha[j])); break;
            }
        }
    }
    return out;
}

bool writeWeightFiles(const std::string& appDir, const FitResult& result, std::string* error) {
    if (!kv::makeDirs(kv::joinPath(appDir, kv::dirs::OPTION1N))) {
        if (error) *error = kv::joinPath(appDir, kv::dirs::OPTION1N);
        return false;
    }
    for (Surface s : {Surface::Turf, Surface::Dirt, Surface::Hurdle}) {
        const kv::expansion::WeightFileNames names = kv::expansion::weightFileNames(s);
        const SurfaceFit& sf = result.surfaces[static_cast<int>(s)];
        std::vector<std::pair<std::string, int>> files = {
            {names.totalData, 0}, {names.itemCategory, 1}, {names.itemCategoryCount, 2}, {names.soha, 5}};
        if (s != Surface::Hurdle) {
            files.emplace_back(names.agari, 3);
            files.emplace_back(names.pace, 4);
        }
        for (const auto& [rel, which] : files) {
            const std::string path = fileOf(appDir, rel);
            if (!kv::writeFileAtomic(path, tableFileBytes(sf, which))) {
                if (error) *error = path;
                return false;
            }
        }
    }
    return true;
}

bool writeWeightTables(const std::string& appDir, History history, std::uint64_t seed, std::string* error,
                       FitResult* result) {
    FitOptions o;
    o.seed = seed;
    FitResult r = fitWeightTables(appDir, std::move(history), o);
    const bool ok = writeWeightFiles(appDir, r, error);
    if (result) *result = std::move(r);
    return ok;
}

}  // namespace kv::fit
