// The past performance window: its load lists every past race day for which
// the prediction run left a hit summary under TEKICHU and exports the speeds of
// all their races for an outside program; a click on a day shows its hits and
// rates of both bet systems and its races on twelve tabs.
#pragma once
#include <array>
#include <ostream>
#include <string>
#include <vector>

#include "platform/controls/dump.h"
#include "platform/controls/grid_model.h"
#include "platform/controls/tabstrip_model.h"
#include "platform/sinks.h"

namespace kv::history {

class KakoSeisekiQUEL {
public:
    static constexpr const char* kCaption = "過去の予想成績 Ver.2024.8.12A";
    static constexpr int kRaceTabs = 12;
    // The menu button that starts the window (what the user presses again).
    static constexpr const char* kMenuLabel = "過去予想成績";

    // menu: the main menu, whose Text6 shows the progress texts; messages:
    // where a failure or a note is told (none: only the log).
    explicit KakoSeisekiQUEL(StatusSink& menu, MessageSink* messages = nullptr);

    // ---- controls -------------------------------------------------------
    std::vector<std::string> List1;
    controls::TabStripModel SSTab1;
    controls::GridModel KakoSeiFG, TekiKaiFG, TanFukuFG, TFTekiKaiFG;
    controls::TextModel Text1;
    controls::TabStripModel SSTab2;
    std::array<controls::TextModel, kRaceTabs> Text2;
    std::array<controls::GridModel, kRaceTabs> TKFG, RACEFG;

    // ---- window state ---------------------------------------------------
    std::string AppPath;
    std::string DayKey;
    std::array<std::array<std::string, 8>, 50> TekichuTable;  // rows 1-50, columns 1-8 at [r-1][c-1]
    std::string ExportDate;
    // Files a step could not write (each named once), in the order met.
    std::vector<std::string> WriteFailures;
    // True when the last load or day click failed (a file not written or not
    // readable); its message said what.
    bool Failed = false;

    // ---- events and procedures -------------------------------------------
    void Form_Load();
    void SearchPastRaceDays();
    void ExportPastSpeeds();
    // A click on item index of List1 (0-based); an index outside the list does nothing.
    void List1_Click(int index);
    void ShowRaceTabs(const std::string& item);

    // The controls in the window's order, in the control dump format.
    void dump(controls::ControlDump& d) const;

private:
    void status(const std::string& text) { menu_.setText("Text6", text); }
    void failed(const std::string& path);
    void resetRaceTabs();

    StatusSink& menu_;
    MessageSink* messages_;
    bool indexWritten_ = false;
};

// One horse's value pair of a speed file line: Int(distance x 3600 / seconds),
// seconds = minutes x 60 + the last five characters of the time text "M.SS.hh";
// 0 when the distance or time does not convert or the seconds are not above 0.
long long exportSpeed(long long distance, bool distanceOk, std::string_view timeText);
// A rank as two digits: (rank + 100), last two characters (" 1" -> "01"); a
// rank that is not a number counts as 0.
std::string twoDigitRank(std::string_view rank);

}  // namespace kv::history
