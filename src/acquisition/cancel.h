// Cancellation processing (the optional second half of ②): fetches the live
// results of the latest race days, lays every race and runner that JV-Link
// reports as cancelled (data kind "9") over its records in the "NEWd" copies,
// rebuilds "RATHISWEEKNNEW.dat" and "SETHISWEEKNNEW.dat" from those copies
// without the records of data kinds "1" and "9", and rebuilds the per-horse
// run files.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/jvlink/jvlink.h"
#include "platform/sinks.h"

namespace kv {

// JyoCD Year Kaiji Nichiji RaceNum of a race record (12): a race whatever its data kind.
std::string ChushiRaceKey(std::string_view ra);
// JyoCD Year Kaiji Nichiji RaceNum Umaban of a runner record (14): one horse number of one race.
std::string ChushiRunKey(std::string_view se);

// Lays each live record of data kind "9" over every record of `copy` with the
// same key (live records in file order, so a later one wins). Returns the
// number of records replaced.
std::size_t ApplyCancellations(std::vector<std::string>& copy, const std::vector<std::string>& live,
                               std::string (*key)(std::string_view));
// The records whose data kind is neither "1" nor "9", in order.
std::vector<std::string> WithoutEntriesAndCancelled(const std::vector<std::string>& recs);

class CHUSIRIALTIME {
public:
    CHUSIRIALTIME(JVLink& jvlink, MessageSink& messages, YieldFn yield);

    std::string Caption = "中止処理 Ver.2024.6.29Z";
    std::string Text1;
    std::string Command1Caption = "触れないで";
    bool Loaded = false;
    bool Visible = false;

    void Form_Load();
    void ProcessChushi();
    // "触れないで": closes this window only; no file of another window is touched.
    void Command1_Click();

    // The stages of ProcessChushi after the download (public for tests and tools).
    void CancelRaces();
    void CancelRunners();

    // Files the last run could not write (skipped; the processing goes on).
    const std::vector<std::string>& FailedFiles() const { return failed_; }
    bool Failed() const { return !failed_.empty(); }

private:
    JVLink& jv_;
    MessageSink& messages_;
    YieldFn yield_;
    std::vector<std::string> failed_;
    void cancelInto(const char* copyName, const char* liveName, const char* rebuiltName, std::size_t len,
                    std::string (*key)(std::string_view));
};

}  // namespace kv
