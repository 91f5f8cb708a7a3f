// The big-payout hit list: its load reads the race list day files of every past
// race day, writes every hit (and, after a 馬連 hit, the race's 単勝, 複勝 and
// 枠連 payouts) to "ATARILIST.txt" under TEKICHU, and lists the hits that paid
// more than 10000 yen in its grid.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "common/codetable.h"
#include "platform/controls/dump.h"
#include "platform/controls/grid_model.h"
#include "platform/sinks.h"

namespace kv::history {

class TekichuListQUEL {
public:
    static constexpr const char* kCaption = "万馬券的中リスト　Ver.2024.8.12A";
    static constexpr int kRows = 5000;
    static constexpr int kCols = 20;
    // The menu button that starts the window (what the user presses again).
    static constexpr const char* kMenuLabel = "万馬券リスト";

    // menu: the main menu, whose Text6 shows the progress; yield: the pause
    // for pending window messages after each searched date; messages: where a
    // failure or a note is told (none: only the log).
    TekichuListQUEL(StatusSink& menu, YieldFn yield, MessageSink* messages = nullptr);

    // ---- controls -------------------------------------------------------
    controls::GridModel tekichuFG;
    controls::TextModel Label1;

    // ---- window state ---------------------------------------------------
    std::string AppPath;
    CodeTable codeTable;
    std::int16_t RunningNumber = 0;
    bool UmarenFlag = false;
    // Files the load could not write.
    std::vector<std::string> WriteFailures;
    // True when the load failed (a file not written or not readable); its
    // message said what.
    bool Failed = false;

    void Form_Load();
    // Column col of the last code-table row whose number and code match; "" when none.
    std::string ScanCodeTable(const std::string& number, const std::string& code, int col) const;

    void dump(controls::ControlDump& d) const;

private:
    // Fields 1-22 of a record (CP932), at [field - 1].
    using Fields = std::array<std::string, 22>;
    void readDay(const std::string& path, Fields& f, std::string& out);
    void listHit(const Fields& f);

    StatusSink& menu_;
    YieldFn yield_;
    MessageSink* messages_;
    // The fields of the last listed hit, as read and as decoded (most repeat from hit to hit).
    Fields listedRaw_, listedText_;
};

}  // namespace kv::history
