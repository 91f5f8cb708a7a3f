// Command-line step of the race display: selects races of the predictions
// window's list and prints the window's controls, and opens the past-runs
// window of a race-card cell.
#include <iostream>
#include <string>
#include <vector>

#include "cli.h"
#include "common/appfolder.h"
#include "common/numbers.h"
#include "display/past_runs_window.h"
#include "display/race_display.h"
#include "platform/step_report.h"
#include "prediction/predictions_window.h"

namespace kvcli {

namespace {

struct Cell {
    int row = 0, col = 6;
};

int usageError(const std::string& what) {
    std::cerr << "korivan-cli: race-display: " << what << std::endl;
    return 2;
}

// "ROW" or "ROW,COL" inside the race-card grid.
bool parseCell(const std::string& s, Cell& cell) {
    const auto comma = s.find(',');
    const auto row = kv::strictInt(s.substr(0, comma));
    if (!row) return false;
    cell.row = static_cast<int>(*row);
    if (comma != std::string::npos) {
        const auto col = kv::strictInt(s.substr(comma + 1));
        if (!col) return false;
        cell.col = static_cast<int>(*col);
    }
    return cell.row >= 0 && cell.row <= 18 && cell.col >= 0 && cell.col <= 24;
}

int raceDisplay(Context& ctx, const std::vector<std::string>& options) {
    // Options: selections (a race key or a list position) and past-runs cells.
    struct Pick {
        bool byKey;
        std::string key;
        long long item = 0;
    };
    std::vector<Pick> picks;
    std::vector<Cell> cells;
    for (const auto& o : options) {
        const auto eq = o.find('=');
        const std::string name = o.substr(0, eq), value = eq == std::string::npos ? std::string() : o.substr(eq + 1);
        if (eq == std::string::npos || value.empty()) return usageError("option '" + o + "' needs a value");
        if (name == "--race") {
            picks.push_back({true, value});
        } else if (name == "--item") {
            const auto p = kv::strictInt(value);
            if (!p) return usageError("--item needs a list position, not '" + value + "'");
            picks.push_back({false, {}, *p});
        } else if (name == "--past-runs") {
            Cell c;
            if (!parseCell(value, c)) return usageError("--past-runs needs ROW[,COL] of the race-card grid, not '" + value + "'");
            cells.push_back(c);
        } else {
            return usageError("unknown option '" + o + "'");
        }
    }

    // The window an earlier predict of this invocation opened, or a new one.
    if (!ctx.predictions) openPredictions(ctx);
    {
        // The files shown come from the last prediction run: say when it did not end well.
        kv::StepReport notes("race-display");
        notes.notes(kv::display::RaceDisplay::predictionRunNotes(kv::GetAppPath()));
        notes.tell(ctx.messages);
    }
    auto& window = *ctx.predictions;
    if (!ctx.raceDisplay) ctx.raceDisplay = std::make_shared<kv::display::RaceDisplay>(window.st);
    kv::display::RaceDisplay& display = *ctx.raceDisplay;
    const auto& list = window.List1();

    std::vector<int> positions;
    for (const auto& pk : picks) {
        if (pk.byKey) {
            int found = 0;
            for (std::size_t i = 0; i < list.size() && !found; ++i)
                if (list[i].size() >= pk.key.size() && list[i].compare(list[i].size() - pk.key.size(), pk.key.size(), pk.key) == 0)
                    found = static_cast<int>(i) + 1;
            if (!found) return usageError("race '" + pk.key + "' is not in the race list");
            positions.push_back(found);
        } else {
            if (pk.item < 1 || pk.item > static_cast<long long>(list.size()))
                return usageError("item " + std::to_string(pk.item) + " is not in the race list (" +
                                  std::to_string(list.size()) + " items)");
            positions.push_back(static_cast<int>(pk.item));
        }
    }
    if (picks.empty())
        for (std::size_t i = 1; i <= list.size(); ++i) positions.push_back(static_cast<int>(i));

    kv::display::KakosoHost kakoso;
    display.showKakoso = [&kakoso] { kakoso.show(); };
    kv::controls::ControlDump dump(std::cout);
    int rc = 0;
    for (int p : positions) {
        if (!display.List1_Click(p)) {
            rc = usageError("item " + std::to_string(p) + " cannot be shown");
            break;
        }
        std::cout << "=== select " << p << ' ' << display.selectedRaceKey() << '\n';
        display.dump(dump);
        for (const Cell& c : cells) {
            display.RACEDETAILGrid1.click(c.row, c.col);
            std::cout << "=== past-runs " << c.row << ',' << c.col << '\n';
            if (kv::display::Kakoso* w = kakoso.instance()) {
                w->dump(dump);
                w->Command1_Click();
            }
        }
    }
    display.showKakoso = nullptr;
    std::cout.flush();
    return rc;
}

}  // namespace

void addDisplaySteps(std::vector<Step>& steps) {
    steps.push_back({"race-display",
                     "[--race=KEY | --item=P]... [--past-runs=ROW[,COL]]...: selects races of the predictions window "
                     "(opened by an earlier predict, or now) and prints its controls",
                     raceDisplay});
}

}  // namespace kvcli
