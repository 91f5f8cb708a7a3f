#include "factorview/factor_window.h"

#include <cmath>

#include "common/appfolder.h"
#include "common/codec.h"
#include "common/numbers.h"

namespace kv::factorview {

using kv::controls::ChartModel;
using kv::controls::GridModel;
using kv::expansion::SurfaceTables;

std::string weightText(float w) {
    // The product of a single and 1000 is exact in a double; its floor is
    // never rounded on the way, only the quotient becomes a single again.
    const double floored = std::floor(static_cast<double>(w) * 1000.0);
    return kv::formatSingle(static_cast<float>(floored / 1000.0));
}

namespace {

int gridColumns(const SurfaceConfig& c, int k) { return k == 6 ? c.f6Cols : 6; }
int gridFixedColumns(const SurfaceConfig& c, int k) {
    if (k == 6) return 0;
    if (k == 20) return c.f20FixedCols;
    return 1;
}

}  // namespace

FactorWeightWindow::FactorWeightWindow(const SurfaceConfig& config, kv::MessageSink& messages)
    : Caption(config.caption),
      SSTab1(30, 5),
      Legend(config.legendRows, 4, config.legendFixedRows, config.legendFixedCols),
      Nested(3, 0),
      config_(config),
      messages_(messages) {
    for (int k = 1; k <= 30; ++k) {
        SSTab1.setCaption(k - 1, config.tabs[k - 1].caption);
        FactorGrid[k] = GridModel(2, gridColumns(config, k), 1, gridFixedColumns(config, k));
    }
    SSTab1.setCurrent(config.outerCurrent);
    for (int i = 0; i < 3; ++i) Nested.setCaption(i, config.nestedCaptions[i]);
    Nested.setCurrent(config.nestedCurrent);
}

std::string FactorWeightWindow::ItemCategory(int k, int j) const { return kv::fromCp932(tables_->category(k, j)); }

bool FactorWeightWindow::Form_Load() {
    std::string file, reason;
    tables_ = SurfaceTables::load(config_.surface, file, reason);
    if (!tables_) {
        messages_.message(std::string(kLoadFailureText) + kv::appFile(file));
        return false;
    }
    fillLegend();
    for (int k = 1; k <= 11; ++k) {
        FillFactorGrid(FactorGrid[k], k);
        writeText(k);
        if (k == 1) FactorGrid[2].setColWidth(0, kFactor2CodeWidth);
    }
    fillChart(MaleChart, 0);
    fillChart(FemaleChart, kFemaleOffset);
    writeText(12);
    FillFactorGrid(FactorGrid[12], 12);
    for (int k = 13; k <= 30; ++k) {
        FillFactorGrid(FactorGrid[k], k);
        writeText(k);
    }
    return true;
}

void FactorWeightWindow::fillLegend() {
    static const int kColours[3] = {12, 10, 9};  // light red, light green, light blue
    for (int c = 0; c < 4; ++c) Legend.setColWidth(c, config_.legendWidths[c]);
    for (int c = 0; c < 3; ++c) {
        Legend.setCurrent(0, c);
        Legend.setBackColor(Legend.row(), Legend.col(), kv::controls::qbColor(kColours[c]));
        Legend.setText(Legend.row(), Legend.col(), config_.legendTexts[c]);
    }
    Legend.setText(0, 3, config_.legendTexts[3]);
}

void FactorWeightWindow::FillFactorGrid(GridModel& grid, int k) const {
    const int n = tables_->total(k);
    grid.setRows(n + 1);
    for (int c = 0; c < 6; ++c) grid.setText(0, c, kGridHeaders[c]);
    for (int j = 1; j <= n; ++j) {
        grid.setText(j, 0, ItemCategory(k, j));
        grid.setText(j, 1, weightText(AgariWeight(k, j)));
        grid.setText(j, 2, weightText(PaceWeight(k, j)));
        grid.setText(j, 3, weightText(SohaWeight(k, j)));
        grid.setText(j, 4, kv::formatInt(ItemCategoryCount(k, j)));
        grid.setText(j, 5, kv::formatInt(j));
    }
}

void FactorWeightWindow::fillChart(ChartModel& chart, int offset) const {
    static const char* const kSeries[3] = {"上がり", "ペース", "走破"};
    static const SurfaceTables::Kind kKinds[3] = {SurfaceTables::Agari, SurfaceTables::Pace, SurfaceTables::Soha};
    chart.setKindCode(3);
    chart.setColumnCount(3);
    chart.setRowCount(config_.chartRows);
    const int rows = chart.rowCount();
    for (int r = 1; r <= rows; ++r) {
        for (int c = 1; c <= 3; ++c) {
            chart.setColumn(c);
            chart.setRow(r);
            // The chart takes the value as the single's text and reads the number back.
            chart.setValueText(chart.row(), chart.column(), kv::formatSingle(weightAt(kKinds[c - 1], 12, r + offset)));
        }
    }
    for (int r = 1; r <= config_.chartRows; ++r) chart.setRowLabel(r, 1, std::to_string(config_.firstLabel + r - 1));
    for (int c = 1; c <= 3; ++c) chart.setColumnLabel(c, kSeries[c - 1]);
    for (int c = 1; c <= 3; ++c) chart.setLegendText(c, kSeries[c - 1]);
    chart.setValueAxisFixed(-2.5, 2.5, 10);
}

void FactorWeightWindow::writeText(int k) {
    const TabConfig& t = config_.tabs[k - 1];
    if (t.box && t.text) Box[k].text = t.text;
}

void FactorWeightWindow::dump(kv::controls::ControlDump& out) const {
    out.text("Caption", Caption);
    out.tabs("SSTab1", SSTab1);
    out.grid(config_.legendName, Legend);
    for (int k = 1; k <= 30; ++k) {
        const TabConfig& t = config_.tabs[k - 1];
        if (k == 12) {
            out.tabs(config_.nestedName, Nested);
            out.chart(config_.maleChart, MaleChart);
            out.chart(config_.femaleChart, FemaleChart);
        }
        out.grid(t.grid, FactorGrid[k]);
        if (t.box) out.text(t.box, Box[k]);
    }
}

}  // namespace kv::factorview
