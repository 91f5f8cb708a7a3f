// Structure processing (button ②): sorts and de-duplicates the week's race,
// runner and horse records into the "NEW" files and their "NEWd" copies, writes
// the lists of this week's horses and dams, and builds one run file per horse
// under UMAGOTOTHISWEEKN.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sinks.h"

namespace kv {

// Sorts keys[0..n) ascending with the program's quicksort over positions 1 to n
// and returns, per distinct key in ascending order, the 0-based index of the
// record that stays: of equal keys the one the sort leaves last.
std::vector<std::size_t> SortDistinct(const std::vector<std::string>& keys);
// The same, also returning the distinct keys themselves.
std::vector<std::size_t> SortDistinct(const std::vector<std::string>& keys,
                                      std::vector<std::string>* distinctKeys);

// Builds the per-horse run files: every horse of "KETTONUMTHISWEEKN.dat" gets a
// fresh run file, filled from "SETHISWEEKNNEW.dat" in file order. `yield` runs
// once per runner record. Returns the number of horse files written; the paths
// of files that could not be written are added to `failed` when given.
std::size_t BuildUmagotoFiles(const YieldFn& yield, std::vector<std::string>* failed = nullptr);

// The structure-processing window. Its whole work runs in Form_Load; the menu
// creates a new instance per press of ②.
class KOUZOUTAIQUEL {
public:
    // menu: the main menu's status controls ("Label1", "Text4").
    KOUZOUTAIQUEL(StatusSink& menu, MessageSink& messages, Shell& shell, YieldFn yield);

    // The window's own controls.
    std::string Caption = "Ver.2024.8.12A　構造体";
    std::string Text1;
    std::string Command1Caption = "構造体処理終了";
    bool Loaded = false;
    bool Visible = false;

    void Form_Load();
    void Command1_Click();  // closes the window

    // Record count of "UMTHISWEEKN.dat" read by the last load (duplicates included).
    std::size_t HorseRecordCount() const { return umCount_; }
    // Files the last load could not write (the processing skips them and goes on).
    const std::vector<std::string>& FailedFiles() const { return failed_; }

    void WeightFileCheck();

private:
    StatusSink& menu_;
    MessageSink& messages_;
    Shell& shell_;
    YieldFn yield_;
    std::size_t umCount_ = 0;
    std::vector<std::string> failed_;
    std::vector<std::string> chunks_;  // the writers' reused buffers
    // Sorts, de-duplicates and writes every file of the step (the run files too).
    void WriteFiles();
};

}  // namespace kv
