// Factor weight tables: loading and category lookup.
#include "expansion/weights.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "common/appfolder.h"
#include "common/fsys.h"
#include "common/numbers.h"
#include "common/quoted.h"
#include "common/recordcheck.h"
#include "common/recordfile.h"

namespace kv::expansion {

Surface surfaceOf(std::string_view tc) {
    if (tc.size() != 2) return Surface::None;
    if (tc >= "10" && tc <= "22") return Surface::Turf;
    if (tc >= "23" && tc <= "29") return Surface::Dirt;
    if (tc >= "50" && tc <= "59") return Surface::Hurdle;
    return Surface::None;
}

const char* surfaceStem(Surface s) {
    switch (s) {
    case Surface::Turf: return option1n::WEIGHT_TURF;
    case Surface::Dirt: return option1n::WEIGHT_DIRT;
    case Surface::Hurdle: return option1n::WEIGHT_HURDLE;
    default: return "";
    }
}

WeightFileNames weightFileNames(Surface s) {
    const std::string st = surfaceStem(s);
    const std::string dir = std::string(dirs::OPTION1N) + "\\";
    const std::string qa1 = dir + option1n::WEIGHT_QA1 + st;
    WeightFileNames n;
    n.totalData = qa1 + option1n::WEIGHT_TOTAL + option1n::WEIGHT_END;
    n.itemCategory = dir + st + option1n::WEIGHT_CATEGORY + option1n::WEIGHT_END;
    n.itemCategoryCount = dir + st + option1n::WEIGHT_CATEGORY_COUNT + option1n::WEIGHT_END;
    n.soha = qa1 + option1n::WEIGHT_SOHA + option1n::WEIGHT_END;
    if (s == Surface::Hurdle) {
        n.agari = n.soha;
        n.pace = n.soha;
    } else {
        n.agari = qa1 + option1n::WEIGHT_AGARI + option1n::WEIGHT_END;
        n.pace = qa1 + option1n::WEIGHT_PACE + option1n::WEIGHT_END;
    }
    return n;
}

std::int32_t SurfaceTables::count(int k, int j) const {
    if (j < 1 || j > total_[k]) return 0;
    return count_[k][j - 1];
}

float SurfaceTables::weight(Kind kind, int k, int j) const {
    const auto& w = weight_[kind][k];
    if (k == 1) {
        if (j == 0) return factor1Fill_[kind];
        if (j >= 1 && j <= total_[1] && count_[1][j - 1] == 0) return factor1Fill_[kind];
    }
    if (j < 1 || j > total_[k]) return 0.0f;
    return w[j - 1];
}

float SurfaceTables::storedWeight(Kind kind, int k, int j) const {
    if (j < 1 || j > total_[k]) return 0.0f;
    return weight_[kind][k][j - 1];
}

int SurfaceTables::find(int k, std::string_view code) const {
    const std::vector<std::uint32_t>& slots = byCode_[k];
    if (!slots.empty()) {
        const std::size_t mask = slots.size() - 1;
        for (std::size_t s = TextHash{}(code) & mask;; s = (s + 1) & mask) {
            const std::uint32_t j = slots[s];
            if (j == 0) break;
            if (category_[k][j - 1] == code) return static_cast<int>(j);
        }
    }
    if (k == 2) {
        char key[5] = {'6'};
        std::size_t n = 1;
        if (code.size() > 1) {
            const std::string_view rest = code.substr(1, 4);
            std::memcpy(key + 1, rest.data(), rest.size());
            n += rest.size();
        }
        auto p = factor2Prefix_.find(std::string_view(key, n));
        if (p != factor2Prefix_.end()) return p->second;
    }
    return 0;
}

void SurfaceTables::index() {
    for (int k = 1; k <= 30; ++k) {
        std::vector<std::uint32_t>& slots = byCode_[k];
        slots.clear();
        if (total_[k] < 1) continue;
        std::size_t size = 8;
        while (size < 2 * static_cast<std::size_t>(total_[k])) size *= 2;
        slots.assign(size, 0);
        for (int j = 1; j <= total_[k]; ++j) {
            const std::string& c = category_[k][j - 1];
            for (std::size_t s = TextHash{}(c) & (size - 1);; s = (s + 1) & (size - 1)) {
                if (slots[s] == 0) {
                    slots[s] = static_cast<std::uint32_t>(j);
                    break;
                }
                if (category_[k][slots[s] - 1] == c) break;  // the first of equal texts stays
            }
        }
    }
    factor2Prefix_.clear();
    for (int j = 1; j <= total_[2]; ++j) {
        const std::string& c = category_[2][j - 1];
        if (c.size() >= 5) factor2Prefix_.emplace(c.substr(0, 5), j);
    }
    for (int kind = 0; kind < 3; ++kind)
        factor1Fill_[kind] = total_[1] >= 1 ? weight_[kind][1][0] : 0.0f;
}

SurfaceTables SurfaceTables::fromValues(const std::array<std::vector<std::string>, 31>& categories,
                                        const std::array<std::vector<std::int32_t>, 31>& counts,
                                        const std::array<std::vector<float>, 31>& agari,
                                        const std::array<std::vector<float>, 31>& pace,
                                        const std::array<std::vector<float>, 31>& soha) {
    SurfaceTables t;
    for (int k = 1; k <= 30; ++k) {
        const std::size_t n = categories[k].size();
        t.total_[k] = static_cast<int>(n);
        t.category_[k] = categories[k];
        t.count_[k] = counts[k];
        t.count_[k].resize(n, 0);
        const std::array<const std::vector<float>*, 3> src{&agari[k], &pace[k], &soha[k]};
        for (int kind = 0; kind < 3; ++kind) {
            t.weight_[kind][k] = *src[kind];
            t.weight_[kind][k].resize(n, 0.0f);
        }
    }
    t.index();
    return t;
}

namespace {

// One table file read value by value: a quoted value as written between its
// quotes, an unquoted one from its first non-blank to the next comma or line
// end (its trailing blanks belong to it, as a category code's do). Only the
// values the tables take are looked at: what follows them is never read.
struct ValueFile {
    std::string bytes;
    InputReader reader{std::string_view{}};
    std::optional<DamageTally> damage;
    const char* at = nullptr;  // where the value read last stands

    bool open(const std::string& relName) {
        const std::string path = appFile(relName);
        auto b = readFileBytes(path);
        if (!b) return false;
        bytes = std::move(*b);
        reader = InputReader(bytes);
        damage.emplace(path, 0);
        return true;
    }
    // The next value; false at the end of the file.
    bool next(std::string_view& out) {
        if (reader.atEnd()) return false;
        const InputReader::RawField f = reader.nextRaw();
        at = f.bytes.data();
        out = f.bytes;
        if (!f.quoted)
            while (!out.empty() && (out.front() == ' ' || out.front() == '\t')) out.remove_prefix(1);
        if (!f.whole) damaged("引用符が対になっていません", "quotes that do not pair");
        return true;
    }
    // The value read last is damaged.
    void damaged(const std::string& what, const std::string& english) {
        damage->damaged(reader.lineOf(at), what, english);
    }
    // What was found damaged in the values taken, said once they are all read.
    void done() const { damage->note(); }
};

// A number of the tables, in any form a value-by-value read takes as one
// ("0.144", "+.5", "144E-3"); an empty value reads as 0, and is named as damage.
std::optional<double> numberValue(ValueFile& f, std::string_view raw, const char* name, const char* english) {
    for (char c : raw)
        if (c != ' ' && c != '\t') return inputNumber(raw);
    f.damaged(std::string(name) + "が数字ではありません", std::string(english) + " is not a number");
    return 0.0;
}

}  // namespace

std::optional<SurfaceTables> SurfaceTables::load(Surface s, std::string& failedFile, std::string& reason) {
    const WeightFileNames names = weightFileNames(s);
    SurfaceTables t;
    auto fail = [&](const std::string& file, const std::string& why) {
        failedFile = file;
        reason = why;
        return std::optional<SurfaceTables>{};
    };

    ValueFile f;
    if (!f.open(names.totalData)) return fail(names.totalData, "missing");
    std::string_view v;
    for (int k = 1; k <= 30; ++k) {
        if (!f.next(v)) return fail(names.totalData, "too few values");
        auto n = numberValue(f, v, "項目数", "category count");
        if (!n) return fail(names.totalData, "not a number");
        if (*n < -1.0 || *n > kMaxCategories + 1.0) return fail(names.totalData, "category count out of range");
        const long long nk = vbRound(*n);
        if (nk < 0 || nk > kMaxCategories) return fail(names.totalData, "category count out of range");
        t.total_[k] = static_cast<int>(nk);
    }
    f.done();

    if (!f.open(names.itemCategory)) return fail(names.itemCategory, "missing");
    for (int k = 1; k <= 30; ++k) {
        t.category_[k].reserve(t.total_[k]);
        for (int j = 1; j <= t.total_[k]; ++j) {
            if (!f.next(v)) return fail(names.itemCategory, "too few values");
            t.category_[k].emplace_back(v);
        }
    }
    f.done();

    std::array<ValueFile, 3> w;
    const std::array<const std::string*, 3> wn{&names.agari, &names.pace, &names.soha};
    for (int kind = 0; kind < 3; ++kind)
        if (!w[kind].open(*wn[kind])) return fail(*wn[kind], "missing");
    for (int k = 1; k <= 30; ++k) {
        for (int kind = 0; kind < 3; ++kind) t.weight_[kind][k].reserve(t.total_[k]);
        for (int j = 1; j <= t.total_[k]; ++j) {
            for (int kind = 0; kind < 3; ++kind) {
                if (!w[kind].next(v)) return fail(*wn[kind], "too few values");
                auto x = numberValue(w[kind], v, "ウエイト", "weight");
                if (!x) return fail(*wn[kind], "not a number");
                // A weight is a single-precision number: beyond its range it cannot be read.
                if (std::fabs(*x) > static_cast<double>(std::numeric_limits<float>::max()))
                    return fail(*wn[kind], "weight out of range");
                t.weight_[kind][k].push_back(static_cast<float>(*x));
            }
        }
    }

    if (!f.open(names.itemCategoryCount)) return fail(names.itemCategoryCount, "missing");
    for (int k = 1; k <= 30; ++k) {
        t.count_[k].reserve(t.total_[k]);
        for (int j = 1; j <= t.total_[k]; ++j) {
            if (!f.next(v)) return fail(names.itemCategoryCount, "too few values");
            auto x = numberValue(f, v, "件数", "count");
            if (!x || *x != std::floor(*x) || *x < -2147483648.0 || *x > 2147483647.0)
                return fail(names.itemCategoryCount, "not a whole number");
            t.count_[k].push_back(static_cast<std::int32_t>(*x));
        }
    }
    f.done();
    for (const ValueFile& file : w) file.done();  // a file read for two kinds is named once
    t.index();
    return t;
}

bool WeightTables::loadAll(std::string& failedFile, std::string& reason) {
    for (Surface s : {Surface::Turf, Surface::Dirt, Surface::Hurdle}) {
        surfaces[static_cast<int>(s)] = SurfaceTables::load(s, failedFile, reason);
        if (!surfaces[static_cast<int>(s)]) return false;
    }
    return true;
}

}  // namespace kv::expansion
