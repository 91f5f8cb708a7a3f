#include "platform/controls/chart_model.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <stdexcept>

#include "common/numbers.h"

namespace kv::controls {

void ChartModel::setKind(Kind k) {
    kind_ = k;
    notify();
}

void ChartModel::setKindCode(int code) {
    switch (code) {
        case 1: setKind(Kind::Bar2d); break;
        case 3: setKind(Kind::Line2d); break;
        default: throw std::out_of_range("chart kind");
    }
}

void ChartModel::setRowCount(int n) {
    if (n < 0) throw std::out_of_range("chart rows");
    std::vector<std::optional<double>> v(static_cast<std::size_t>(n) * cols_);
    for (int r = 0; r < std::min(n, rows_); ++r)
        for (int c = 0; c < cols_; ++c) v[static_cast<std::size_t>(r) * cols_ + c] = values_[cell(r + 1, c + 1)];
    values_ = std::move(v);
    rows_ = n;
    rowLabels_.resize(n, std::vector<std::string>(kLabelLevels));
    curRow_ = std::clamp(curRow_, 1, std::max(n, 1));
    notify();
}

void ChartModel::setColumnCount(int n) {
    if (n < 0) throw std::out_of_range("chart columns");
    std::vector<std::optional<double>> v(static_cast<std::size_t>(rows_) * n);
    for (int r = 0; r < rows_; ++r)
        for (int c = 0; c < std::min(n, cols_); ++c) v[static_cast<std::size_t>(r) * n + c] = values_[cell(r + 1, c + 1)];
    values_ = std::move(v);
    cols_ = n;
    colLabels_.resize(n);
    legend_.resize(n);
    curCol_ = std::clamp(curCol_, 1, std::max(n, 1));
    notify();
}

std::size_t ChartModel::cell(int row, int col) const {
    if (row < 1 || row > rows_ || col < 1 || col > cols_) throw std::out_of_range("chart cell");
    return static_cast<std::size_t>(row - 1) * cols_ + (col - 1);
}

std::optional<double> ChartModel::value(int row, int col) const { return values_[cell(row, col)]; }

void ChartModel::setValue(int row, int col, std::optional<double> v) {
    if (v && !std::isfinite(*v)) v.reset();
    values_[cell(row, col)] = v;
    notify();
}

void ChartModel::setValueText(int row, int col, const std::string& text) {
    // The point is '.' whatever the locale (the GUI runs in the user's).
    setValue(row, col, inputNumber(text));
}

void ChartModel::setRow(int r) {
    if (r < 1 || r > rows_) throw std::out_of_range("chart row");
    curRow_ = r;
}

void ChartModel::setColumn(int c) {
    if (c < 1 || c > cols_) throw std::out_of_range("chart column");
    curCol_ = c;
}

const std::string& ChartModel::rowLabel(int row, int level) const {
    if (row < 1 || row > rows_ || level < 1 || level > kLabelLevels) throw std::out_of_range("chart row label");
    return rowLabels_[row - 1][level - 1];
}

void ChartModel::setRowLabel(int row, int level, std::string text) {
    if (row < 1 || row > rows_ || level < 1 || level > kLabelLevels) throw std::out_of_range("chart row label");
    rowLabels_[row - 1][level - 1] = std::move(text);
    notify();
}

const std::string& ChartModel::columnLabel(int col) const {
    if (col < 1 || col > cols_) throw std::out_of_range("chart column label");
    return colLabels_[col - 1];
}

void ChartModel::setColumnLabel(int col, std::string text) {
    if (col < 1 || col > cols_) throw std::out_of_range("chart column label");
    colLabels_[col - 1] = std::move(text);
    notify();
}

const std::string& ChartModel::legendText(int col) const {
    if (col < 1 || col > cols_) throw std::out_of_range("chart legend");
    return legend_[col - 1].empty() ? colLabels_[col - 1] : legend_[col - 1];
}

void ChartModel::setLegendText(int col, std::string text) {
    if (col < 1 || col > cols_) throw std::out_of_range("chart legend");
    legend_[col - 1] = std::move(text);
    notify();
}

void ChartModel::setShowLegend(bool on) {
    showLegend_ = on;
    notify();
}

void ChartModel::setValueAxis(const Axis& a) {
    axis_ = a;
    notify();
}

void ChartModel::setValueAxisFixed(double minimum, double maximum, int divisions) {
    axis_.automatic = false;
    axis_.minimum = minimum;
    axis_.maximum = maximum;
    axis_.divisions = divisions;
    notify();
}

}  // namespace kv::controls
