// What the turf, dirt and hurdle factor weight windows differ in: captions,
// control names, tab captions, explanation boxes and texts, grid shapes,
// the legend, the nested month-age tab strip and the sizes in twips.
#pragma once
#include <array>

#include "expansion/weights.h"

namespace kv::factorview {

// A control's place in twips (left, top, width, height).
struct TwipsRect {
    int left = 0, top = 0, width = 0, height = 0;
};

// One tab of the window's outer tab strip; tab k shows factor k.
struct TabConfig {
    const char* caption;
    const char* grid;     // the factor grid
    const char* box;      // the explanation box, nullptr when the tab has none
    int boxWidth, boxHeight;
    const char* text;     // what the load writes into the box, nullptr: nothing
};

struct SurfaceConfig {
    kv::expansion::Surface surface;
    const char* windowName;
    const char* caption;
    int clientWidth, clientHeight;
    TwipsRect tabStrip;          // SSTab1
    int outerCurrent;            // the tab SSTab1 opens on (0-based)
    TwipsRect factorGrid;        // a factor grid on its tab (from the strip's top left)
    int boxLeft, boxTop;         // an explanation box below it

    const char* legendName;
    int legendRows, legendFixedRows, legendFixedCols;
    std::array<int, 4> legendWidths;
    std::array<const char*, 4> legendTexts;
    TwipsRect legend;

    std::array<TabConfig, 30> tabs;  // tabs[k - 1] is tab Fk
    int f6Cols;                      // columns of the F6 grid (the others have six)
    int f20FixedCols;                // fixed columns of the F20 grid

    const char* nestedName;          // the tab strip on tab F12
    std::array<const char*, 3> nestedCaptions;
    int nestedCurrent;
    TwipsRect nested;
    bool f12BoxOnNested;             // the F12 box stands on the nested strip's third tab

    const char* maleChart;
    const char* femaleChart;
    int chartRows;                   // month classes per chart
    int firstLabel;                  // label of the first row
};

const SurfaceConfig& turfConfig();
const SurfaceConfig& dirtConfig();
const SurfaceConfig& hurdleConfig();
const SurfaceConfig& surfaceConfig(kv::expansion::Surface s);

// Column headers of every factor grid.
inline constexpr std::array<const char*, 6> kGridHeaders{"コード番号", "上がり速度", "ペース速度",
                                                        "走破速度", "延出走数", "参照番地"};
// Width of column 0 of the factor 2 grid, in twips.
inline constexpr int kFactor2CodeWidth = 1200;
// Where the female chart starts among factor 12's categories.
inline constexpr int kFemaleOffset = 33;

}  // namespace kv::factorview
