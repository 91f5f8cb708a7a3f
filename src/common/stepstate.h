// The road's step record: one small file in the application folder
// ("STEPSTATE.txt", rewritten whole) that says, for each step of the week's
// road, that it started and whether it ended well. A step whose inputs come
// from an earlier step asks for warnings when that step was interrupted,
// failed, never ran, or ran before the step it depends on itself.
#pragma once
#include <string>
#include <vector>

namespace kv::steps {

// Step names (the command-line driver's names).
inline constexpr const char* FETCH = "fetch";
inline constexpr const char* STRUCTURE = "structure";
inline constexpr const char* ODDS_FETCH = "odds-fetch";
inline constexpr const char* ODDS_FETCH_TRIFECTA = "odds-fetch-trifecta";
inline constexpr const char* ODDS_TABLES = "odds-tables";
inline constexpr const char* FIX_PREVIOUS_DAY = "fix-previous-day";
inline constexpr const char* CALCULATE = "calculate";
inline constexpr const char* PREDICT = "predict";
// Steps off the road that read the prediction run's files (the windows of the
// menu's history buttons and the predictions window's race display).
inline constexpr const char* HISTORY_SEARCH = "history-search";
inline constexpr const char* BIG_PAYOUTS = "big-payouts";
inline constexpr const char* RACE_DISPLAY = "race-display";

enum class State { NeverRan, Started, Ok, Failed };

struct Entry {
    std::string step;
    long seq = 0;  // order of the starts, growing
    State state = State::NeverRan;
};

// The recorded entries of the application folder's state file (none when it is
// missing or unreadable).
std::vector<Entry> readState(const std::string& appDir);
Entry entryOf(const std::string& appDir, const std::string& step);

// One run of a step: the constructor records the start, finish() the end. A
// run that never finishes (killed, or left by an exception) stays "started".
class StepRun {
public:
    StepRun(std::string appDir, std::string step);
    void finish(bool ok);

private:
    std::string appDir_, step_;
    long seq_ = 0;
};

// The steps whose files this step reads.
std::vector<std::string> prerequisitesOf(const std::string& step);
// The user's label of a step ("⑤計算", ...).
std::string labelOf(const std::string& step);
// What the user should know before this step runs: one text per prerequisite
// that was interrupted, failed, never ran, or is older than its own
// prerequisite. Empty when nothing was ever recorded in the folder. A step off
// the road (the history windows, the race display) reads files that many runs
// of its prerequisite wrote, day by day: it is told only when the last run was
// interrupted or failed.
std::vector<std::string> warningsFor(const std::string& appDir, const std::string& step);

}  // namespace kv::steps
