// Factor expansion and speed prediction.
#include "expansion/calc.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "common/fields.h"
#include "common/numbers.h"
#include "expansion/calcerror.h"
#include "common/exrecord.h"
#include "expansion/speeds.h"
#include "expansion/stats/stat_records.h"

namespace kv::expansion {

namespace ex = kv::exrec;

namespace {

// fn(the field's bytes); a short record's missing bytes read as blanks (copied only then).
template <class Fn>
auto withField(std::string_view rec, Field f, Fn fn) {
    if (f.end() <= rec.size()) return fn(rec.substr(f.off, f.len));
    const std::string s = getField(rec, f);
    return fn(std::string_view(s));
}

// A text as a number the lenient way: its leading decimal number; blanks or
// zero bytes give 0.
double textNumber(std::string_view rec, Field f) {
    return withField(rec, f, [](std::string_view v) { return kv::stats::lenientValue(v, true); });
}

void blankField(std::string& rec, Field f) { rec.replace(f.off, f.len, f.len, ' '); }

float checked(float v) {
    if (!std::isfinite(v)) throw CalcError("overflow in the composite speed");
    return v;
}

float checkedSum(float v) {
    if (!std::isfinite(v)) throw CalcError("overflow in a sum of weights");
    return v;
}

float divide(float a, float b) {
    if (b == 0.0f) throw CalcError("division by zero in the composite speed");
    return checked(a / b);
}

}  // namespace

bool passesDateFilter(std::string_view rec) {
    char date[ex::Year.len + ex::MonthDay.len];
    withField(rec, ex::Year, [&](std::string_view v) { return std::memcpy(date, v.data(), v.size()); });
    withField(rec, ex::MonthDay, [&](std::string_view v) { return std::memcpy(date + ex::Year.len, v.data(), v.size()); });
    return kv::stats::lenientValue(std::string_view(date, sizeof date)) >= 20160101.0;
}

static bool racecourseOk(std::string_view rec) {
    return withField(rec, ex::JyoCD, [](std::string_view jyo) { return jyo >= "01" && jyo <= "10"; });
}

bool passesFactorFilters(std::string_view rec) {
    return passesDateFilter(rec) && racecourseOk(rec) &&
           withField(rec, ex::TrackCD, [](std::string_view tc) { return tc >= "10" && tc <= "59"; });
}

bool passesTableFilters(std::string_view rec) {
    return passesDateFilter(rec) && racecourseOk(rec) &&
           withField(rec, ex::TrackCD, [](std::string_view tc) { return surfaceOf(tc); }) != Surface::None;
}

namespace {

// The categories of F1..F30 into FC 1..30 and into cats[1..30].
void lookUpCategories(std::string& rec, const SurfaceTables& t, CategoryMemo* memo, int* cats) {
    for (int k = 1; k <= 30; ++k) {
        const int idx = withField(rec, ex::F(k), [&](std::string_view code) {
            if (!memo) return t.find(k, code);
            CategoryMemo::Entry& e = memo->last[k];
            if (e.tables != &t || e.code != code) {
                e.tables = &t;
                e.code.assign(code);
                e.category = t.find(k, code);
            }
            return e.category;
        });
        cats[k] = idx;
        char buf[16];
        const auto r = std::to_chars(buf, buf + sizeof buf, idx);
        setField(rec, ex::FC(k), std::string_view(buf, static_cast<std::size_t>(r.ptr - buf)));
    }
}

struct Predicted {
    float a, p, s;
};

// The prediction's weights, sample counts and predicted speeds (what follows
// from the categories alone), with categoryOf(k) giving the category of factor k.
template <class CategoryOf>
Predicted weigh(std::string& rec, const SurfaceTables& t, CategoryOf categoryOf) {
    // Sample counts of the categories of factors 6, 18, 19, 20 and 21.
    static constexpr int kCountPairs[5][2] = {{7, 6}, {8, 18}, {9, 19}, {10, 20}, {11, 21}};
    for (const auto& pr : kCountPairs)
        setField(rec, ex::SpeedText(pr[0]), sampleCountText(t.count(pr[1], categoryOf(pr[1]))));

    // Sums of the weights; factors 2..30 leave out a weight beyond +-20.
    float a = 0.0f, p = 0.0f, s = 0.0f;
    for (int k = 1; k <= 30; ++k) {
        const int idx = categoryOf(k);
        const float wa = t.weight(SurfaceTables::Agari, k, idx);
        const float wp = t.weight(SurfaceTables::Pace, k, idx);
        const float ws = t.weight(SurfaceTables::Soha, k, idx);
        // A sum beyond the single-precision range is an overflow of the calculation.
        if (k == 1 || std::fabs(wa) <= 20.0f) a = checkedSum(a + wa);
        if (k == 1 || std::fabs(wp) <= 20.0f) p = checkedSum(p + wp);
        if (k == 1 || std::fabs(ws) <= 20.0f) s = checkedSum(s + ws);
        setSingle(rec, ex::AgariFW(k), wa);
        setSingle(rec, ex::PaceFW(k), wp);
        setSingle(rec, ex::SohaFW(k), ws);
    }
    setField(rec, ex::SpeedText(4), predictedSpeedText(a));
    setField(rec, ex::SpeedText(5), predictedSpeedText(p));
    setField(rec, ex::SpeedText(6), predictedSpeedText(s));
    return {a, p, s};
}

// RunSpeeds 1..13 from the record's own speeds and distance and the predicted ones.
void runSpeeds(std::string& rec, float a, float p, float s) {
    float e[14] = {};
    for (int i = 1; i <= 3; ++i) e[i] = static_cast<float>(textNumber(rec, ex::SpeedText(i)) / 100000.0);
    e[4] = a;
    e[5] = p;
    e[6] = s;
    // Composite: the race less its last 600 m at the pace speed plus 600 m at the final-section speed.
    const float d = static_cast<float>(textNumber(rec, ex::Kyori));
    const float before = d - 600.0f;
    const float t1 = divide(before, p);
    const float t2 = divide(600.0f, a);
    const float time = checked(t1 + t2);
    e[7] = divide(d, time);
    e[8] = e[3] - e[7];
    e[9] = e[6] - e[7];
    e[10] = e[1] - e[4];
    e[11] = e[2] - e[5];
    e[12] = e[3] - e[6];
    const float span = e[5] - e[4];
    if (span == 0.0f) {
        e[13] = 0.0f;
    } else {
        const float diff = e[3] - e[4];
        const float scaled = checked(100.0f * diff);
        e[13] = divide(scaled, span);
    }
    for (int i = 1; i <= 13; ++i) setSingle(rec, ex::RunSpeeds(i), e[i]);
}

}  // namespace

void PredictSpeeds(std::string& rec, const SurfaceTables& t) {
    const Predicted w = weigh(rec, t, [&](int k) {
        const double v = textNumber(rec, ex::FC(k));
        if (v < 0 || v > kMaxCategories) throw CalcError("category number out of range");
        return static_cast<int>(v);
    });
    runSpeeds(rec, w.a, w.p, w.s);
}

namespace {

// The parts of a record that follow from its codes F1..F30 and the tables
// alone: the categories (FC), the weights, SpeedText 4..11.
constexpr Field kCodes{ex::kFactorOff[1], ex::FC(1).off - ex::kFactorOff[1]};
constexpr Field kFromCodes[] = {
    Field{ex::FC(1).off, ex::FC(30).end() - ex::FC(1).off},
    Field{ex::AgariFW(1), 30 * 4},
    Field{ex::PaceFW(1), 30 * 4},
    Field{ex::SohaFW(1), 30 * 4},
    Field{ex::SpeedText(4).off, ex::SpeedText(11).end() - ex::SpeedText(4).off},
};

// Looks up and weighs a record of surface table t, or takes what an earlier
// record with the same codes and tables got.
void lookUpAndPredict(std::string& rec, const SurfaceTables& t, int surface, CategoryMemo* memo) {
    if (memo && rec.size() >= ex::kLength) {
        CategoryMemo::Codes& m = memo->bySurface[surface];
        const std::string_view codes(rec.data() + kCodes.off, kCodes.len);
        if (m.tables == &t && m.codes == codes) {
            std::size_t at = 0;
            for (Field f : kFromCodes) {
                std::memcpy(rec.data() + f.off, m.parts.data() + at, f.len);
                at += f.len;
            }
            runSpeeds(rec, m.a, m.p, m.s);
            return;
        }
        int cats[31];
        lookUpCategories(rec, t, memo, cats);
        const Predicted w = weigh(rec, t, [&](int k) { return cats[k]; });
        m.tables = &t;
        m.codes.assign(codes);
        m.parts.clear();
        for (Field f : kFromCodes) m.parts.append(rec, f.off, f.len);
        m.a = w.a;
        m.p = w.p;
        m.s = w.s;
        runSpeeds(rec, w.a, w.p, w.s);
        return;
    }
    int cats[31];
    lookUpCategories(rec, t, memo, cats);
    const Predicted w = weigh(rec, t, [&](int k) { return cats[k]; });
    runSpeeds(rec, w.a, w.p, w.s);
}

}  // namespace

void ExpandFactorsAndPredict(std::span<std::string> records, const WeightTables& tables,
                             const kv::coders::CoderStats* stats, std::vector<long>* progress4, CategoryMemo* memo) {
    const int n = static_cast<int>(records.size());
    if (n == 0) return;

    // Factor phase: this week's entry and its three previous runs.
    const int first = n <= 3 ? 1 : n - 3;
    for (int cur = first; cur <= n; ++cur) {
        std::string& rec = records[cur - 1];
        if (!passesFactorFilters(rec)) {
            for (int i = 1; i <= 3; ++i) blankField(rec, ex::SpeedText(i));
            for (int k = 1; k <= 30; ++k) blankField(rec, ex::F(k));
        } else {
            setField(rec, ex::SpeedText(1), CalcAgariSpeed(rec));
            setField(rec, ex::SpeedText(2), CalcPaceSpeed(rec));
            setField(rec, ex::SpeedText(3), CalcSohaSpeed(rec));
            const kv::coders::CoderContext ctx{records, cur, stats};
            kv::coders::FactorCodes codes;
            kv::coders::CodeFactors(ctx, codes);
            setField(rec, ex::FactorCodesAll, std::string_view(codes.data(), codes.size()));
        }
        if (progress4 && passesDateFilter(rec)) progress4->push_back(static_cast<long>(vbInt(cur * 100.0 / n)));
    }

    // Lookup and prediction phases: every record, each record on its own
    // (the categories found go straight into the prediction).
    for (std::string& rec : records) {
        if (!passesTableFilters(rec)) {
            for (int k = 1; k <= 30; ++k) blankField(rec, ex::FC(k));
            for (int i = 7; i <= 10; ++i) blankField(rec, ex::SpeedText(i));
            for (int k = 1; k <= 30; ++k) {
                setSingle(rec, ex::AgariFW(k), 0.0f);
                setSingle(rec, ex::PaceFW(k), 0.0f);
                setSingle(rec, ex::SohaFW(k), 0.0f);
            }
            continue;
        }
        const Surface surface = surfaceOf(fieldView(rec, ex::TrackCD));
        const SurfaceTables* t = tables.get(surface);
        if (!t) throw CalcError("no factor weight tables for the surface");
        lookUpAndPredict(rec, *t, static_cast<int>(surface), memo);
    }
}

}  // namespace kv::expansion
