// The two race-card grids and the chart of the selected race: one row per
// runner from the race-horse file, the predicted ranks from the sorted horse file.
#include <cmath>

#include "common/appfolder.h"
#include "common/codec.h"
#include "common/numbers.h"
#include "common/quoted.h"
#include "common/recordfile.h"
#include "display/race_display.h"
#include "display/texts.h"
#include "prediction/run_stages.h"

namespace kv::display {

namespace {

constexpr int kMaxHorses = 18;

const char* const kGrid1Captions[25] = {
    "",           "入線",           "予想順位",       "単勝人気",     "予想人気",       "単勝オッズ",
    "馬名",       "信頼度",         "実タイム",       "実上3Fタイム", "合成タイム",     "予上3Fタイム",
    "予ペ-スタイム", "騎手",        "騎手上がり時速", "騎手ペース時速", "父馬",         "父馬上がり時速",
    "父馬ペース時速", "調教師",     "調教師上がり時速", "調教師ペース時速", "母父馬",   "母父馬上がり時速",
    "母父馬ペース時速"};
const char* const kGrid2Captions[11] = {"",         "入線",          "予想順位",   "単勝人気",
                                        "人気-予想", "馬名",          "推定時速",   "推定タイム",
                                        "合成タイム", "実-合成(時速）", "残差平均（時速）"};

std::string raceKeyOf(const RaceHorseRecord& rec, int slot) {
    const std::string id = rec.raceId(slot);
    return fromCp932(id.substr(0, 8) + id.substr(8, 2) + id.substr(14, 2));
}

std::string field(const RaceHorseRecord& rec, Field f) { return asStored(rec.get(f)); }

std::string timeText(float speed, const std::string& length) {
    return pred::ConvertSpeedToTimeText(speed, length).value_or(std::string());
}

std::string threeDecimals(float v) { return floorDecimals(v, 3); }

// "01".."05" colours of the order, rank and popularity columns (first `n` of them).
controls::Rgb placeColour(const std::string& text, int n) {
    static const char* const texts[5] = {"01", "02", "03", "04", "05"};
    static const int colours[5] = {kLightYellow, kLightCyan, kLightGreen, kLightBlue, kLightMagenta};
    for (int i = 0; i < n; ++i)
        if (text == texts[i]) return palette(colours[i]);
    return palette(kWhite);
}

// What both race-card grids show of one runner.
struct RunnerCells {
    std::string horse, nyusen, rank, ninki, ninkiRaw, name, kyori;
    double predicted = 0;  // the predicted rank
    float composite = 0, adjust = 0;
};

RunnerCells runnerCells(const RaceHorseRecord& rec, double predicted) {
    RunnerCells c;
    c.predicted = predicted;
    c.horse = fromCp932(rec.get(rh::Wakuban.at(0))) + "    " + fromCp932(rec.get(rh::Umaban.at(0)));
    c.nyusen = field(rec, rh::NyusenJyuni.at(0));
    c.rank = rankText(predicted);
    c.ninki = field(rec, rh::Ninki.at(0));
    c.ninkiRaw = rec.get(rh::Ninki.at(0));
    c.name = firstChars(field(rec, rh::Bamei), 18) + fromCp932(rec.get(rh::KettoNum.at(0))) + suffix::EX;
    c.kyori = rec.get(rh::Kyori.at(0));
    c.composite = rec.runSpeed(0, rh::kSpeedComposite);
    c.adjust = rec.speedAdjust();
    return c;
}

// The predicted last-three-furlong time, "SS.HH"; empty without a speed.
std::string predictedAgariText(const RaceHorseRecord& rec) {
    const float agari = rec.runSpeed(0, rh::kSpeedAgariPredicted);
    std::string cell;
    if (agari != 0.0f) {
        float q = 2160.0f / agari;
        q = q * 100.0f;
        if (std::isfinite(q)) {
            const std::string s = formatSingle(static_cast<float>(std::floor(q)));
            cell = midChars(s, 0, 2) + "." + midChars(s, 2, 2);
        }
    }
    return cell;
}

// The row of the chart for a rank or popularity text (0: none).
int chartRow(const std::string& text, int n) {
    if (text == "--" || text == "**" || text == "00") return 0;
    const double r = val(text);
    return r >= 1 && r <= n ? static_cast<int>(r) : 0;
}

void clearRaceCardGrids(controls::GridModel& g1, controls::GridModel& g2, const std::string& key) {
    g1.setRowHeight(0, 500);
    for (int c = 1; c <= 22; ++c) g1.setColWidth(c, c <= 5 ? 500 : 1000);
    for (auto [c, w] : {std::pair{5, 1700}, {6, 2500}, {15, 1700}, {21, 1700}}) g1.setColWidth(c, w);
    for (int r = 1; r <= kMaxHorses; ++r) {
        g1.setText(r, 0, std::string());
        g2.setText(r, 0, std::string());
        for (int c = 1; c <= 24; ++c) g1.setText(r, c, std::string()), g1.setBackColor(r, c, palette(kWhite));
        for (int c = 1; c <= 79; ++c) g2.setText(r, c, std::string()), g2.setBackColor(r, c, palette(kWhite));
    }
    g1.setText(0, 0, key);
}

// The race-card grid: order, ranks, odds, reliability marks, times and the
// factor speeds of jockey, sire, trainer and dam sire.
void fillRaceCardRow(controls::GridModel& g1, pred::RaceState& race, std::string& selKyori, int h,
                     const RaceHorseRecord& rec, const RunnerCells& cells) {
    g1.setText(0, 0, raceKeyOf(rec, 0));
    for (int c = 1; c <= 24; ++c) g1.setText(0, c, kGrid1Captions[c]);
    g1.setText(h, 0, cells.horse);
    g1.setText(h, 1, cells.nyusen);
    g1.setText(h, 2, cells.rank);
    g1.setText(h, 3, cells.ninki);
    g1.setText(h, 4, formatDouble(val(cells.ninkiRaw) - cells.predicted));
    g1.setText(h, 5, formatDouble(val(rec.get(rh::Odds.at(0))) * 0.1));
    g1.setText(h, 6, cells.name);
    pred::MarkRankBands(race, rec, h);
    const auto& m = race.RankMarks[static_cast<std::size_t>(h)];
    g1.setText(h, 7, "騎" + m[0] + "・" + "調" + m[1] + "・" + "父父" + m[2] + "・" + "母父" + m[3] + "・" + "生" + m[4]);
    const std::string soha = fromCp932(rec.get(rh::Time.at(0)));
    g1.setText(h, 8, midChars(soha, 0, 1) + "." + midChars(soha, 1, 2) + "." + midChars(soha, 3, 1) + "0");
    g1.setText(h, 9, formatDouble(val(rec.get(rh::HaronTimeL3.at(0))) * 0.1));
    g1.setText(h, 10, timeText(cells.composite, cells.kyori));
    g1.setText(h, 11, predictedAgariText(rec));
    const auto metres = strictInt(cells.kyori);
    selKyori = metres ? formatInt(*metres - 600) : std::string();
    g1.setText(h, 12, selKyori.empty() ? std::string() : timeText(rec.runSpeed(0, rh::kSpeedPacePredicted), selKyori));
    g1.setText(h, 13, field(rec, rh::KisyuRyakusyo.at(0)));
    g1.setText(h, 14, threeDecimals(rec.single(rh::agariFwOffset(0, 6))));
    g1.setText(h, 15, threeDecimals(rec.single(rh::paceFwOffset(0, 6))));
    g1.setText(h, 16, field(rec, rh::SireBamei));
    g1.setText(h, 17, threeDecimals(rec.single(rh::agariFwOffset(0, 23))));
    g1.setText(h, 18, threeDecimals(rec.single(rh::paceFwOffset(0, 23))));
    g1.setText(h, 19, field(rec, rh::ChokyosiRyakusyo.at(0)));
    g1.setText(h, 20, threeDecimals(rec.single(rh::agariFwOffset(0, 19))));
    g1.setText(h, 21, threeDecimals(rec.single(rh::paceFwOffset(0, 19))));
    g1.setText(h, 22, field(rec, rh::DamSireBamei));
    g1.setText(h, 23, threeDecimals(rec.single(rh::agariFwOffset(0, 21))));
    g1.setText(h, 24, threeDecimals(rec.single(rh::paceFwOffset(0, 21))));

    const double v = val(g1.text(h, 4));
    if (v >= 4) g1.setBackColor(h, 4, palette(kLightYellow));
    if (v <= -7) g1.setBackColor(h, 4, palette(kLightRed));
    g1.setBackColor(h, 1, placeColour(cells.nyusen, 3));
    g1.setBackColor(h, 2, placeColour(cells.rank, 5));
    g1.setBackColor(h, 3, placeColour(cells.ninki, 5));
}

// The second grid: estimated speed and time, and the residual of every past
// run coloured by its surface.
void fillResidualRow(controls::GridModel& g2, int h, const RaceHorseRecord& rec, const RunnerCells& cells) {
    g2.setRowHeight(0, 500);
    for (int c = 1; c <= 79; ++c) g2.setColWidth(c, c <= 3 ? 500 : 1000);
    g2.setColWidth(5, 1700);

    g2.setText(0, 0, raceKeyOf(rec, 0));
    for (int c = 1; c <= 10; ++c) g2.setText(0, c, kGrid2Captions[c]);
    for (int s = 0; s < rh::kRunSlots; ++s) g2.setText(0, 11 + s, "前" + std::to_string(s) + "残差");
    g2.setText(h, 0, cells.horse);
    g2.setText(h, 1, cells.nyusen);
    g2.setText(h, 2, cells.rank);
    g2.setText(h, 3, cells.ninki);
    g2.setText(h, 4, cells.ninkiRaw == "--" || cells.ninkiRaw == "**" ? cells.ninki
                                                                      : formatDouble(val(cells.ninkiRaw) - cells.predicted));
    g2.setText(h, 5, cells.name);
    const float estimated = cells.composite + cells.adjust;
    g2.setText(h, 6, threeDecimals(estimated));
    g2.setText(h, 7, timeText(estimated, cells.kyori));
    g2.setText(h, 8, timeText(cells.composite, cells.kyori));
    g2.setText(h, 9, threeDecimals(rec.runSpeed(0, rh::kSpeedActualMinusComposite)));
    g2.setText(h, 10, threeDecimals(cells.adjust));
    for (int s = 0; s < rh::kRunSlots; ++s) {
        g2.setText(h, 11 + s, threeDecimals(rec.runSpeed(s, rh::kSpeedActualMinusComposite)));
        const std::string jyo = rec.raceId(s).substr(8, 2);
        if (jyo < "01" || jyo > "10") continue;
        const std::string track = rec.get(rh::TrackCD.at(s));
        if (track >= "00" && track <= "22") g2.setBackColor(h, 11 + s, palette(kLightGreen));
        else if (track >= "23" && track <= "29") g2.setBackColor(h, 11 + s, palette(kLightYellow));
        else if (track >= "30" && track <= "59") g2.setBackColor(h, 11 + s, palette(kLightCyan));
    }
    g2.setBackColor(h, 1, placeColour(cells.nyusen, 3));
    g2.setBackColor(h, 2, placeColour(cells.rank, 5));
    g2.setBackColor(h, 3, placeColour(cells.ninki, 5));
}

// The chart from the race-card grid: win odds by predicted rank and by popularity.
void fillOddsChart(controls::ChartModel& ch, const controls::GridModel& g1, int n) {
    ch.setKind(controls::ChartModel::Kind::Bar2d);
    ch.setRowCount(0);
    ch.setColumnCount(2);
    ch.setRowCount(n);
    for (int h = 1; h <= n; ++h) {
        if (int r = chartRow(g1.text(h, 2), n)) ch.setValueText(r, 1, g1.text(h, 5));
        if (int r = chartRow(g1.text(h, 3), n)) ch.setValueText(r, 2, g1.text(h, 5));
    }
    for (int r = 1; r <= n; ++r)
        for (int h = 1; h <= n; ++h) {
            if (val(g1.text(h, 2)) != r) continue;
            ch.setRowLabel(r, 1, lastChars(g1.text(h, 0), 2));
            ch.setRowLabel(r, 2, g1.text(h, 1));
            ch.setRowLabel(r, 3, formatInt(r));
        }
    for (int c = 1; c <= 2; ++c) {
        ch.setColumnLabel(c, c == 1 ? "予想順" : "人気順");
        ch.setLegendText(c, c == 1 ? "予想順" : "人気順");
    }
    ch.setValueAxisFixed(0, 150, 10);
}

}  // namespace

void RaceDisplay::ShowRaceCard() {
    pred::RaceState& race = st_.race;
    const std::string key = selectedRaceKey();

    // 1. Predicted ranks: a runner without a line has rank 0.
    loadPredictedRanks(std::string(dirs::KAIME) + "/" + key);

    // 2. The runners.
    const auto raw = RecordFile(appFile(std::string(dirs::RACE) + "/" + key + suffix::DAT), rh::kRecordLength)
                         .readRange(1, kMaxHorses);
    const int n = static_cast<int>(raw.size());
    race.HorseCount = n;
    race.RankMarks.assign(static_cast<std::size_t>(n + 1), std::array<std::string, 5>{});

    // 3. Widths of the first grid, both grids emptied.
    clearRaceCardGrids(RACEDETAILGrid1, RACEDETAILGrid2, key);

    // 4. One row per runner in each grid.
    for (int h = 1; h <= n; ++h) {
        race.RaceHorseRec = RaceHorseRecord(raw[static_cast<std::size_t>(h - 1)]);
        const RaceHorseRecord& rec = race.RaceHorseRec;
        const RunnerCells cells = runnerCells(rec, val(st_.kept.YosoJuni[static_cast<std::size_t>(h)]));
        fillRaceCardRow(RACEDETAILGrid1, race, SelKyoriText, h, rec, cells);
        fillResidualRow(RACEDETAILGrid2, h, rec, cells);
    }

    // 5. The chart: win odds by predicted rank and by popularity.
    fillOddsChart(YNjunMSChart, RACEDETAILGrid1, n);
}

void RaceDisplay::loadPredictedRanks(const std::string& base) {
    for (auto& row : HorseSortTable) row.fill(std::string());
    st_.kept.YosoJuni.fill(std::string());
    if (auto bytes = readFileBytes(appFile(base + suffix::SORT))) {
        InputReader in(*bytes);
        for (int r = 1; r <= kMaxHorses && !in.atEnd(); ++r) {
            const auto values = in.next(15);
            for (int i = 0; i < 15; ++i) HorseSortTable[r][i] = fromCp932(values[static_cast<std::size_t>(i)]);
            st_.kept.YosoJuni[static_cast<std::size_t>(r)] = HorseSortTable[r][3];
        }
    }
}

}  // namespace kv::display
