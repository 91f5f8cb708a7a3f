// Live results: the live win odds of the latest races ("O1RIALTIME.dat"), the
// live race, runner and payout records of the latest race days (appended to
// "RARIALTIME.dat", "SERIALTIME.dat", "HRRIALTIME.dat"), and the update of
// slot 0 of the race-horse files from them (arrival order, time, final 600 m,
// win odds and popularity).
#pragma once
#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "platform/jvlink/jvlink.h"
#include "platform/sinks.h"

namespace kv {

// The identification this program's live-results windows give JVInit.
inline constexpr const char* kSidLiveResults = "KV0000000001/KV0000000004/KORIVANRIALTIME/2024.6.29";
// Size of the read buffer (NUL characters) and of every read.
inline constexpr int kLiveReadBufferSize = 128000;
// A pass of the live results ends after this many read results that are
// neither a record, 0 nor -203 (JV-Link would otherwise be asked for ever).
inline constexpr int kLiveReadFaultLimit = 10000;

// LiveDates entries 1 to 5 (entry 0 unused): the newest dates (Year and
// MonthDay) found walking back over the last 98 race records, newest first; at
// most three are filled, the others stay empty.
using LiveDateList = std::array<std::string, 6>;
LiveDateList LiveDatesOf(const std::vector<std::string>& raNewRecords);

// The two downloads, shared by the live results window and the cancellation
// processing; each works on its caller's JV-Link control.
class LiveResultsDownload {
public:
    LiveResultsDownload(JVLink& jvlink, MessageSink& messages) : jv_(jvlink), messages_(messages) {}

    // Refills "O1RIALTIME.dat" from the live odds of the races of the last 97
    // records of "RATHISWEEKN.dat", last first.
    void DownloadRealtimeTanfukuOdds();
    // Builds LiveDates from "RATHISWEEKNNEW.dat" and appends the live RA, SE and
    // HR records of those dates to the live record files (five passes).
    void DownloadRealtimeResults();

    const LiveDateList& LiveDates() const { return liveDates_; }
    // Live files a record or line could not be written to (the download goes on).
    const std::vector<std::string>& FailedFiles() const { return failed_; }

private:
    void init();
    void store(const std::string& path, bool ok);
    JVLink& jv_;
    MessageSink& messages_;
    LiveDateList liveDates_{};
    std::vector<std::string> failed_;
};

// Writes the slot-0 members of the race-horse files under RACE: first from
// every record of "SERIALTIME.dat" (arrival order, time, final 600 m, odds,
// popularity), then from the win odds of every line of "O1RIALTIME.dat" (odds,
// popularity). Only existing records of existing files change. Returns the
// number of record updates made; files that could not be rewritten are added
// to `failed` when given.
std::size_t UpdateRaceHorsesFromLive(std::vector<std::string>* failed = nullptr);

// The live results window.
class TEZHRRIALTIME {
public:
    TEZHRRIALTIME(JVLink& jvlink, MessageSink& messages);

    std::string Caption = "2024.6.29Z";
    std::string Label1 = "速報払戻・単勝･着順取得";
    std::string Command1Caption = "速報払戻単勝着順所得完了";
    bool Loaded = false;
    bool Visible = false;

    // The two downloads and the two updates, then the window is shown.
    void Form_Load();
    void Command1_Click();  // closes the window

    const LiveDateList& LiveDates() const { return liveDates_; }
    // Files the last load could not write.
    const std::vector<std::string>& FailedFiles() const { return failed_; }
    bool Failed() const { return !failed_.empty(); }

private:
    JVLink& jv_;
    MessageSink& messages_;
    LiveDateList liveDates_{};
    std::vector<std::string> failed_;
};

}  // namespace kv
