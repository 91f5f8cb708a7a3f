// The race display of the predictions and results window: selecting an item
// of the race list shows the race header (Text1), the payout grid, the four
// bet grids with odds and hits, the two race-card grids and the chart. It
// works on the window state that the prediction run left (the window's record
// buffers, loop values and bet lists are shared with the run) and reads the
// race's files under the application folder; the only file it writes is
// "RACETHISWEEKN.dat".
//
// A click on a cell of either race-card grid stores the cell's text in
// SelectedHorseText and asks for the past-runs window (showKakoso).
#pragma once
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "platform/controls/chart_model.h"
#include "platform/controls/dump.h"
#include "platform/controls/grid_model.h"
#include "platform/controls/tabstrip_model.h"
#include "prediction/window_state.h"

namespace kv::display {

// The text of the last clicked race-card cell; read by the past-runs window's load.
extern std::string SelectedHorseText;

// Palette colours the display uses.
inline constexpr int kLightBlue = 9, kLightGreen = 10, kLightCyan = 11, kLightRed = 12, kLightMagenta = 13,
                     kLightYellow = 14, kWhite = 15;

// The fixed texts of the window.
extern const char* const kLabel1Text;
extern const char* const kLabel2Text;
extern const char* const kLabel3Text;
extern const char* const kLabel4Text;
extern const char* const kWindowCaption;

class RaceDisplay {
public:
    // st: the predictions window's state (its List1, Syosai and buffers).
    explicit RaceDisplay(pred::WindowState& st);
    RaceDisplay(const RaceDisplay&) = delete;
    RaceDisplay& operator=(const RaceDisplay&) = delete;

    // Selects list item p (1 for the first). False, with nothing changed,
    // when p is not an item of the list or lies beyond the per-race table.
    bool List1_Click(int p);

    // What the user should know before the display reads the files of the
    // prediction run (the race-horse files, the race list): that run was
    // interrupted or failed, so some races may be missing or cut short. Empty
    // when it ended well or nothing was recorded.
    static std::vector<std::string> predictionRunNotes(const std::string& appDir);

    // The operations the selection calls (public for tests; they read the
    // selected item set by List1_Click).
    void ShowRaceCard();
    void ShowKaimeGrids();
    void ShowHaitoGrid();
    void layoutHaitoGrid();

    // Clicks on the race-card grids (the cell made current by the click).
    void RACEDETAILGrid1_Click();
    void RACEDETAILGrid2_Click();
    // Called after a race-card click has set SelectedHorseText.
    std::function<void()> showKakoso;

    // Prints the controls in the window's order.
    void dump(controls::ControlDump& out) const;

    // The selected item (1-based; 0 before the first selection) and its text.
    int selected() const { return selected_; }
    const std::string& selectedText() const { return selectedText_; }
    // The last 12 characters of the selected item.
    std::string selectedRaceKey() const;

    // Controls.
    controls::TextModel Text1;
    controls::TabStripModel SSTab1;
    controls::GridModel RACEDETAILGrid1{19, 25, 1, 1};
    controls::GridModel RACEDETAILGrid2{19, 80, 1, 1};
    controls::GridModel UMARENGrid1{154, 3, 1, 1};
    controls::GridModel UMATANGrid2{517, 4, 1, 1};
    controls::GridModel SANRENGrid3{817, 3, 1, 1};
    controls::GridModel SANTANGrid4{817, 8, 1, 1};
    controls::GridModel HAITOGrid1{10, 22, 1, 1};
    controls::ChartModel YNjunMSChart;
    controls::TextModel Label1, Label2, Label3, Label4;

    // Window variables of the display.
    long SelTorokuTosu = 0;
    long ListRaceCount = 0;
    long ListHrCount = 0;
    std::vector<std::string> RaceKeyList{std::string()};  // entries 1..ListRaceCount
    std::array<std::array<std::string, 16>, 19> HorseSortTable{};
    std::string SelKyoriText;
    long PairReadIdx = 0, TrioReadIdx = 0;
    std::vector<float> PairOdds = std::vector<float>(19 * 19, 0.0f);
    std::vector<float> TrioOdds = std::vector<float>(19 * 19 * 19, 0.0f);

private:
    // colour == false: no hit is coloured whatever the payout buffer holds.
    void showKaimeGrids(bool colour);
    // One bet grid each: kaime is the race's bet-file base, rec the payout record.
    void showUmarenGrid(const std::string& kaime, const std::string& rec, bool hits);
    void showUmatanGrid(const std::string& kaime, const std::string& rec, bool hits);
    void showSanrenpukuGrid(const std::string& kaime, const std::string& rec, bool hits);
    void showSanrentanGrid(const std::string& kaime, const std::string& rec, bool hits);
    void raceDetailClick(const controls::GridModel& g);
    // Reads the race's sorted horse file into HorseSortTable and the predicted ranks.
    void loadPredictedRanks(const std::string& base);

    pred::WindowState& st_;
    int selected_ = 0;
    std::string selectedText_;
};

}  // namespace kv::display
