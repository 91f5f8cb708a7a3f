// The four bet grids: every pair or trio of the race in the order of the
// sorted bet files, best first, with the odds of the race's odds tables and the
// hits of the payout record in the window's buffer.
#include <array>

#include "acquisition/jvdata/race_records.h"
#include "common/appfolder.h"
#include "common/codec.h"
#include "common/numbers.h"
#include "common/quoted.h"
#include "common/recordfile.h"
#include "display/race_display.h"
#include "display/texts.h"

namespace kv::display {

namespace {

namespace hr = kv::jv::HrRecord;

constexpr int kPairs = 153;  // pairs of 18 horses: the pair grids' data rows
constexpr int kTrios = 816;  // trios of 18 horses

// Fixed captions of column 0: three tiers of T rows, then the advice sentence.
void tierCaptions(controls::GridModel& g, int T, const char* third) {
    for (int i = 1; i <= T; ++i) {
        const std::string n = std::to_string(i);
        g.setText(i, 0, "本線　" + n + " 点目");
        g.setText(T + i, 0, "準本線 " + n + " 点目");
        g.setText(2 * T + i, 0, "伏兵　" + n + " 点目");
    }
    const char* advice[4] = {"買い目として", "強く推奨でき", third, "みです。"};
    for (int i = 0; i < 4; ++i) g.setText(3 * T + 1 + i, 0, advice[i]);
}

void headCaptions(controls::GridModel& g, std::initializer_list<const char*> caps) {
    int c = 0;
    for (const char* s : caps) g.setText(0, c++, s);
    g.setColWidth(0, 1200);
}

// Reads the combinations (third item of each line) of a sorted bet file into
// list entries 1..; at most the list's size. Returns the number of lines read.
long readSortFile(const std::string& path, std::vector<std::string>& list) {
    const auto bytes = readFileBytes(path);
    if (!bytes) return 0;
    InputReader in(*bytes);
    long n = 0;
    while (!in.atEnd() && static_cast<std::size_t>(n + 1) < list.size()) {
        auto items = in.next(4);
        list[static_cast<std::size_t>(++n)] = fromCp932(items[2]);
    }
    return n;
}

// Reads an odds table: value i of the file into cell i; a missing value or one
// that is not a number reads 0.
void readOdds(const std::string& path, std::vector<float>& cells) {
    const auto bytes = readFileBytes(path);
    if (!bytes) return;
    const auto lines = splitLines(*bytes);
    for (std::size_t i = 0; i < cells.size() && i < lines.size(); ++i)
        cells[i] = static_cast<float>(strictNumber(lines[i]).value_or(0.0));
}

void clearRows(controls::GridModel& g, int rows) {
    for (int r = 1; r <= rows; ++r)
        for (int c = 1; c < g.cols(); ++c) {
            g.setText(r, c, std::string());
            g.setBackColor(r, c, palette(kWhite));
        }
}

// The horse number of a two-character part, -1 when it has no odds cell.
int horseOf(const std::string& part) {
    const double v = val(part);
    return v >= 0 && v <= 18 ? static_cast<int>(v) : -1;
}

// The steps before the rows of a grid: its bet list re-created with `rows`
// entries, the captions, the sort file read, the data rows cleared and the
// odds table read. Returns the number of lines read.
long beginGrid(controls::GridModel& g, std::vector<std::string>& list, int rows,
               std::initializer_list<const char*> caps, int T, const char* advice, const std::string& sortPath,
               const std::string& oddsPath, std::vector<float>& odds) {
    list.assign(static_cast<std::size_t>(rows) + 1, std::string());
    headCaptions(g, caps);
    tierCaptions(g, T, advice);
    const long n = readSortFile(sortPath, list);
    clearRows(g, rows);
    readOdds(oddsPath, odds);
    return n;
}

// After the rows: the list's entries emptied and the odds table back to zero.
void endGrid(std::vector<std::string>& list, long n, std::vector<float>& odds) {
    for (long r = 1; r <= n; ++r) list[static_cast<std::size_t>(r)].clear();
    odds.assign(odds.size(), 0.0f);
}

// The combinations of a payout group's entries; none when hits are not shown.
std::vector<std::string> kumiOf(const std::string& rec, bool hits, kv::jv::Array group, Field kumi) {
    std::vector<std::string> out;
    if (!hits) return out;
    for (std::size_t i = 1; i <= group.count; ++i) out.push_back(fromCp932(getField(rec, group.sub(i, kumi))));
    return out;
}

// The odds of pair a-b and trio a-b-c in the odds tables; empty for a part without a cell.
std::string pairOddsText(const std::vector<float>& odds, int a, int b) {
    return a < 0 || b < 0 ? std::string() : formatSingle(odds[static_cast<std::size_t>(19 * a + b)]);
}
std::string trioOddsText(const std::vector<float>& odds, int a, int b, int c) {
    return a < 0 || b < 0 || c < 0 ? std::string() : formatSingle(odds[static_cast<std::size_t>(361 * a + 19 * b + c)]);
}

}  // namespace

void RaceDisplay::ShowKaimeGrids() { showKaimeGrids(true); }

void RaceDisplay::showKaimeGrids(bool colour) {
    const std::string& rec = st_.race.HrRec;
    const std::string payKey = getField(rec, hr::Year) + getField(rec, hr::MonthDay) + getField(rec, hr::JyoCD) +
                               getField(rec, hr::RaceNum);
    const std::string key = selectedRaceKey();
    const bool hits = colour && payKey == key;
    const std::string kaime = appFile(std::string(dirs::KAIME) + "/" + key);
    showUmarenGrid(kaime, rec, hits);
    showUmatanGrid(kaime, rec, hits);
    showSanrenpukuGrid(kaime, rec, hits);
    showSanrentanGrid(kaime, rec, hits);
}

// 馬連 (with the ワイド hits).
void RaceDisplay::showUmarenGrid(const std::string& kaime, const std::string& rec, bool hits) {
    pred::RaceState& race = st_.race;
    const auto green = palette(kLightGreen), yellow = palette(kLightYellow);
    auto& g = UMARENGrid1;
    auto& list = race.UmarenKaimeKey;
    PairReadIdx = beginGrid(g, list, kPairs, {"馬連", "買い目", "実オッズ"}, 6, "るには本線の",
                            kaime + suffix::UMARENSORT, kaime + suffix::UMARENODDS, PairOdds);
    const auto wide = kumiOf(rec, hits, hr::PayWide::kArray, hr::PayWide::kKumi);
    const auto umaren = kumiOf(rec, hits, hr::PayUmaren::kArray, hr::PayUmaren::kKumi);
    for (long r = 1; r <= PairReadIdx; ++r) {
        const std::string& k = list[static_cast<std::size_t>(r)];
        const std::string aa = midChars(k, 0, 2), bb = midChars(k, 2, 2);
        const int row = static_cast<int>(r);
        g.setText(row, 1, aa + "-" + bb);
        g.setText(row, 2, pairOddsText(PairOdds, horseOf(aa), horseOf(bb)));
        for (const auto& kumi : wide)
            if (kumi == k) g.setBackColor(row, 1, yellow), g.setBackColor(row, 2, yellow);
        for (const auto& kumi : umaren)
            if (kumi == k) g.setBackColor(row, 1, green), g.setBackColor(row, 2, green);
    }
    endGrid(list, PairReadIdx, PairOdds);
}

// 馬単.
void RaceDisplay::showUmatanGrid(const std::string& kaime, const std::string& rec, bool hits) {
    pred::RaceState& race = st_.race;
    const auto green = palette(kLightGreen), magenta = palette(kLightMagenta);
    auto& g = UMATANGrid2;
    auto& list = race.UmarenKaimeDisp;
    PairReadIdx = beginGrid(g, list, kPairs, {"馬単", "買い目", "正順オッズ", "逆順オッズ"}, 6, "るには本線の",
                            kaime + suffix::UMATANSORT, kaime + suffix::UMATANODDS, PairOdds);
    g.setColWidth(1, 1500);
    const auto umatan = kumiOf(rec, hits, hr::PayUmatan::kArray, hr::PayUmatan::kKumi);
    for (long r = 1; r <= PairReadIdx; ++r) {
        const std::string& k = list[static_cast<std::size_t>(r)];
        const std::string aa = midChars(k, 0, 2), bb = midChars(k, 2, 2);
        const int a = horseOf(aa), b = horseOf(bb);
        const int row = static_cast<int>(r);
        const std::string shown = aa + "→" + bb;
        g.setText(row, 1, shown);
        g.setText(row, 2, pairOddsText(PairOdds, a, b));
        g.setText(row, 3, pairOddsText(PairOdds, b, a));
        for (const auto& kumi : umatan) {
            if (kumi == aa + bb) {
                g.setBackColor(row, 1, green), g.setBackColor(row, 2, green);
                g.setText(row, 1, "　　正順　　" + shown);
            }
            if (kumi == bb + aa) {
                g.setBackColor(row, 1, magenta), g.setBackColor(row, 3, magenta);
                g.setText(row, 1, "　　逆順　　" + shown);
            }
        }
    }
    endGrid(list, PairReadIdx, PairOdds);
}

// ３連複.
void RaceDisplay::showSanrenpukuGrid(const std::string& kaime, const std::string& rec, bool hits) {
    pred::RaceState& race = st_.race;
    const auto green = palette(kLightGreen);
    auto& g = SANRENGrid3;
    auto& list = race.SanrenpukuKaimeKey;
    TrioReadIdx = beginGrid(g, list, kTrios, {"３連複", "買い目", "実オッズ"}, 7, "るのは本線の",
                            kaime + suffix::SANRENSORT, kaime + suffix::SANRENODDS, TrioOdds);
    const auto trio = kumiOf(rec, hits, hr::PaySanrenpuku::kArray, hr::PaySanrenpuku::kKumi);
    for (long r = 1; r <= TrioReadIdx; ++r) {
        const std::string& k = list[static_cast<std::size_t>(r)];
        const std::string aa = midChars(k, 0, 2), bb = midChars(k, 2, 2), cc = midChars(k, 4, 2);
        const int row = static_cast<int>(r);
        g.setText(row, 1, aa + "-" + bb + "-" + cc);
        g.setText(row, 2, trioOddsText(TrioOdds, horseOf(aa), horseOf(bb), horseOf(cc)));
        for (const auto& kumi : trio)
            if (kumi == k) g.setBackColor(row, 1, green), g.setBackColor(row, 2, green);
    }
    endGrid(list, TrioReadIdx, TrioOdds);
}

// ３連単: the six orders of each trio A, B, C.
void RaceDisplay::showSanrentanGrid(const std::string& kaime, const std::string& rec, bool hits) {
    pred::RaceState& race = st_.race;
    const auto green = palette(kLightGreen), magenta = palette(kLightMagenta);
    auto& g = SANTANGrid4;
    auto& list = race.SanrenKaime;
    TrioReadIdx = beginGrid(g, list, kTrios,
                            {"３連単", "買い目", "第1順Odds", "第2順Odds", "第3順Odds", "第4順Odds", "第5順Odds",
                             "第6順Odds"},
                            7, "るのは本線の", kaime + suffix::SANRENTANSORT, kaime + suffix::SANRENTANODDS, TrioOdds);
    g.setColWidth(1, 1500);
    const auto trifecta = kumiOf(rec, hits, hr::PaySanrentan::kArray, hr::PaySanrentan::kKumi);
    static constexpr int kOrders[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
    for (long r = 1; r <= TrioReadIdx; ++r) {
        const std::string& k = list[static_cast<std::size_t>(r)];
        race.TrioUmaban1 = midChars(k, 0, 2);
        race.TrioUmaban2 = midChars(k, 2, 2);
        race.TrioUmaban3 = midChars(k, 4, 2);
        const std::array<std::string, 3> h{race.TrioUmaban1, race.TrioUmaban2, race.TrioUmaban3};
        const std::array<int, 3> n{horseOf(h[0]), horseOf(h[1]), horseOf(h[2])};
        const int row = static_cast<int>(r);
        const std::string shown = h[0] + "→" + h[1] + "→" + h[2];
        g.setText(row, 1, shown);
        for (int o = 0; o < 6; ++o) {
            const auto& ord = kOrders[o];
            g.setText(row, 2 + o, trioOddsText(TrioOdds, n[ord[0]], n[ord[1]], n[ord[2]]));
        }
        for (int o = 0; o < 6; ++o) {
            const auto& ord = kOrders[o];
            const std::string finish = h[ord[0]] + h[ord[1]] + h[ord[2]];
            for (const auto& kumi : trifecta) {
                if (kumi != finish) continue;
                const auto c = o == 0 ? green : magenta;
                g.setBackColor(row, 1, c), g.setBackColor(row, 2 + o, c);
                g.setText(row, 1, " 第" + std::to_string(o + 1) + "順" + shown);
            }
        }
    }
    endGrid(list, TrioReadIdx, TrioOdds);
}

}  // namespace kv::display
