// The past-runs window Kakoso: every stored run of one horse side by side, one
// column per run (this week's entry first, then the earlier runs newest
// first), one row per field of the expanded run record. Its load reads the
// horse's expanded run file named by the last 16 characters of
// SelectedHorseText. One instance exists at a time (KakosoHost).
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "common/codetable.h"
#include "platform/controls/dump.h"
#include "platform/controls/grid_model.h"

namespace kv::display {

extern const char* const kKakosoCaption;
extern const char* const kKakosoCommand1Caption;

class Kakoso {
public:
    static constexpr int kRows = 312;

    // unload: closes the window (Command1).
    explicit Kakoso(std::function<void()> unload = {}) : unload_(std::move(unload)) {}

    void Form_Load();
    void Command1_Click();

    void dump(controls::ControlDump& out) const { out.grid("EXFG1", EXFG1); }

    controls::GridModel EXFG1{kRows, 2, 1, 1};
    kv::CodeTable CodeTable;
    std::int16_t ExRecCount = 0;
    // The file the load opened ("" when the text named none).
    std::string fileName;

private:
    std::function<void()> unload_;
};

// The single instance: shown loads it when it is not loaded; closing unloads it.
class KakosoHost {
public:
    // Loads (when not loaded) and returns the window.
    Kakoso& show();
    void close() { w_.reset(); }
    Kakoso* instance() const { return w_.get(); }

private:
    std::unique_ptr<Kakoso> w_;
};

// The label of a row (1..311) of the past-runs grid.
std::string kakosoRowLabel(int row);
// The text a run's cell of row 1..311 shows for one expanded run record.
std::string kakosoCell(const kv::CodeTable& codes, const std::string& rec, int row);

}  // namespace kv::display
