// The factor weight windows: the factor weight tables of one surface (turf,
// dirt or hurdle) on 30 factor tabs, each a grid of the factor's categories
// with their three weights in km/h, sample counts and category indexes, and an
// explanation text; a colour legend; and on tab F12 two charts of the month-age
// weights of male and female horses. The window is read-only: everything is
// read and filled once, by its load.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

#include "expansion/weights.h"
#include "factorview/surface_config.h"
#include "platform/controls/chart_model.h"
#include "platform/controls/dump.h"
#include "platform/controls/grid_model.h"
#include "platform/controls/tabstrip_model.h"
#include "platform/sinks.h"

namespace kv::factorview {

// A weight as the grids show it: floored to three decimals (the floor of the
// exact product w x 1000), then written as a single-precision number.
std::string weightText(float w);

// The message of a load that cannot read a table, before the file's path.
inline constexpr const char* kLoadFailureText = "因子ウエイトファイルを読み込めません: ";

class FactorWeightWindow {
public:
    FactorWeightWindow(const SurfaceConfig& config, kv::MessageSink& messages);
    virtual ~FactorWeightWindow() = default;

    // Reads the surface's tables and fills the legend, the 30 factor grids,
    // the age charts and the explanation texts. When a table cannot be read it
    // shows one message naming the file, fills nothing and returns false: the
    // window does not open.
    bool Form_Load();

    const SurfaceConfig& config() const { return config_; }
    bool loaded() const { return tables_.has_value(); }

    // The tables as loaded (valid after a successful load); k 1..30, j 1..TotalData(k).
    int TotalData(int k) const { return tables_->total(k); }
    // The category code as read, decoded for display.
    std::string ItemCategory(int k, int j) const;
    std::int32_t ItemCategoryCount(int k, int j) const { return tables_->count(k, j); }
    // 0 for a position beyond the factor's categories.
    float AgariWeight(int k, int j) const { return weightAt(kv::expansion::SurfaceTables::Agari, k, j); }
    float PaceWeight(int k, int j) const { return weightAt(kv::expansion::SurfaceTables::Pace, k, j); }
    float SohaWeight(int k, int j) const { return weightAt(kv::expansion::SurfaceTables::Soha, k, j); }

    // Fills one factor grid from factor k's tables.
    void FillFactorGrid(kv::controls::GridModel& grid, int k) const;

    // The controls.
    std::string Caption;
    kv::controls::TabStripModel SSTab1;
    kv::controls::GridModel Legend;
    std::array<kv::controls::GridModel, 31> FactorGrid;   // 1..30
    std::array<kv::controls::TextModel, 31> Box;          // 1..30, where the tab has a box
    kv::controls::TabStripModel Nested;                   // on tab F12
    kv::controls::ChartModel MaleChart, FemaleChart;

    // Prints the controls in the window's order.
    void dump(kv::controls::ControlDump& out) const;

private:
    float weightAt(kv::expansion::SurfaceTables::Kind kind, int k, int j) const {
        return tables_->storedWeight(kind, k, j);
    }
    void fillLegend();
    void fillChart(kv::controls::ChartModel& chart, int offset) const;
    void writeText(int k);

    const SurfaceConfig& config_;
    kv::MessageSink& messages_;
    std::optional<kv::expansion::SurfaceTables> tables_;
};

class FactorTURFQJ : public FactorWeightWindow {
public:
    explicit FactorTURFQJ(kv::MessageSink& m) : FactorWeightWindow(turfConfig(), m) {}
};
class FactorDIRTQJ : public FactorWeightWindow {
public:
    explicit FactorDIRTQJ(kv::MessageSink& m) : FactorWeightWindow(dirtConfig(), m) {}
};
class FactorHURDQJ : public FactorWeightWindow {
public:
    explicit FactorHURDQJ(kv::MessageSink& m) : FactorWeightWindow(hurdleConfig(), m) {}
};

}  // namespace kv::factorview
