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

// Sort and match keys (fixed-width texts of raw record bytes).
std::string RaSortKey(std::string_view ra);   // Year MonthDay DataKubun JyoCD RaceNum (13)
std::string SeSortKey(std::string_view se);   // Year MonthDay DataKubun JyoCD RaceNum Umaban KettoNum (25)
std::string RunKey(std::string_view se);      // MakeDate Year MonthDay RaceNum Umaban KettoNum (30)
std::string UmHorseKey(std::string_view um);  // KettoNum (10)
std::string UmDamKey(std::string_view um);    // HansyokuNum of the dam (second pedigree entry) (10)

// Sorts keys[0..n) ascending with the program's quicksort over positions 1 to n
// and returns, per distinct key in ascending order, the 0-based index of the
// record that stays: of equal keys the one the sort leaves last.
std::vector<std::size_t> SortDistinct(const std::vector<std::string>& keys);
// The same, also returning the distinct keys themselves.
std::vector<std::size_t> SortDistinct(const std::vector<std::string>& keys,
                                      std::vector<std::string>* distinctKeys);

// Places one runner record into a horse's runs (the runs of its run file, in
// file order): over the first run with the same race date, race number, horse
// number and horse whose creation date is not later; otherwise appended.
void PlaceRun(std::vector<std::string>& runs, std::vector<std::string>& runKeys, const std::string& se);


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
