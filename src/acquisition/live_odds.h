// The live window: fetches the live odds of the newest races (up to 97 race
// records from the end of the processed race file) as odds lines, and opens
// the live results window.
#pragma once
#include <functional>
#include <string>

#include "platform/jvlink/jvlink.h"
#include "platform/sinks.h"

namespace kv {

class TEZP2RIALTIME {
public:
    // out, when given, sees every write into Text1 (the view or the console).
    TEZP2RIALTIME(MessageSink& messages, YieldFn yield, JVLink& jvlink, StatusSink* out = nullptr);

    std::string Caption = "速報 Ver.2024.7.8";
    std::string Text1;
    static constexpr const char* Command1Caption = "Ⅱ　速報オッズ情報";
    static constexpr const char* Command2Caption = "Ⅲ　速報着順等情報";
    static constexpr const char* Command3Caption = "設定ODDS";

    // Shows the live results window TEZHRRIALTIME (single instance); wired by
    // the GUI or the driver. False when its work failed (it has said what failed).
    std::function<bool()> ShowLiveResults;

    // Races fetched by the last press and JVInit failures seen (driver's report).
    long RacesFetched = 0;
    long InitFailures = 0;
    // Live odds files that could not be emptied and records that could not be
    // appended by the last press; the press goes on.
    long FileFailures = 0;

    void Command1_Click();  // "Ⅱ　速報オッズ情報"
    void Command2_Click();  // "Ⅲ　速報着順等情報"
    void Command3_Click();  // "設定ODDS"

private:
    void setText1(const std::string& t);

    MessageSink& msg_;
    YieldFn yield_;
    JVLink& jv_;
    StatusSink* out_;
};

}  // namespace kv
