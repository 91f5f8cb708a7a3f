// The chart control as plain data: a table of rows (categories) by columns
// (series) of optional values, row labels in up to three levels, series labels
// and legend texts, and the value axis (automatic or a fixed range with a
// number of divisions). Rows and columns are 1-based, as the chart control
// counts them.
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kv::controls {

class ChartModel {
public:
    enum class Kind { Bar2d, Line2d };
    using Listener = std::function<void()>;
    static constexpr int kLabelLevels = 3;

    struct Axis {
        bool automatic = true;
        double minimum = 0;
        double maximum = 100;
        int divisions = 10;
    };

    Kind kind() const { return kind_; }
    void setKind(Kind k);
    // The chart control's numeric kind setting: 1 two-dimensional bars,
    // 3 two-dimensional lines; any other value throws std::out_of_range.
    void setKindCode(int code);

    int rowCount() const { return rows_; }
    int columnCount() const { return cols_; }
    // Resizing keeps the values and labels that remain inside.
    void setRowCount(int n);
    void setColumnCount(int n);

    // Values; rows 1..rowCount, columns 1..columnCount (std::out_of_range otherwise).
    std::optional<double> value(int row, int col) const;
    void setValue(int row, int col, std::optional<double> v);
    // The chart control takes cell values as text: a number sets the value,
    // an empty or non-numeric text leaves the cell without a value.
    void setValueText(int row, int col, const std::string& text);

    // The current cell, for windows written against "select row, select column, set data".
    int row() const { return curRow_; }
    int column() const { return curCol_; }
    void setRow(int r);
    void setColumn(int c);
    void setData(std::optional<double> v) { setValue(curRow_, curCol_, v); }

    // Row labels, level 1..3.
    const std::string& rowLabel(int row, int level = 1) const;
    void setRowLabel(int row, int level, std::string text);
    // The label of a column (series) and its legend text.
    const std::string& columnLabel(int col) const;
    void setColumnLabel(int col, std::string text);
    const std::string& legendText(int col) const;
    void setLegendText(int col, std::string text);

    bool showLegend() const { return showLegend_; }
    void setShowLegend(bool on);

    const Axis& valueAxis() const { return axis_; }
    void setValueAxis(const Axis& a);
    void setValueAxisFixed(double minimum, double maximum, int divisions);

    void setListener(Listener l) { listener_ = std::move(l); }

private:
    void notify() const {
        if (listener_) listener_();
    }
    std::size_t cell(int row, int col) const;

    Kind kind_ = Kind::Bar2d;
    int rows_ = 0, cols_ = 0;
    int curRow_ = 1, curCol_ = 1;
    std::vector<std::optional<double>> values_;        // row-major, rows_ x cols_
    std::vector<std::vector<std::string>> rowLabels_;  // [row-1][level-1]
    std::vector<std::string> colLabels_, legend_;
    bool showLegend_ = true;
    Axis axis_;
    Listener listener_;
};

}  // namespace kv::controls
