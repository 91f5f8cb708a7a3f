// The predictions and results window YOSOKEKKATHISWEEKNQUEL as a logic class:
// its load computes the whole week (race index, race-horse files, ranking,
// bet files, ticket files, the writer chain and, in result mode, the day's
// rates) and fills the race list List1. Progress goes into the main menu's
// Text5 through a status sink; the run yields once per race.
#pragma once
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sinks.h"
#include "platform/step_report.h"
#include "prediction/run_stages.h"
#include "prediction/writer.h"
#include "prediction/window_state.h"

namespace kv::pred {

// The payout records with one record per race key, at the place where the key
// first appears and holding its last (newest) record; skipped counts the repeats.
std::vector<std::string_view> onePayoutPerRace(const std::vector<std::string_view>& hrRecords, long& skipped);

class YOSOKEKKATHISWEEKNQUEL {
public:
    // menuStatus receives the main menu's texts ("Text5"); yield is called once per race.
    YOSOKEKKATHISWEEKNQUEL(WriterChain chain, StatusSink& menuStatus, YieldFn yield = {});

    // The load: the whole prediction run.
    void Form_Load();

    // How many threads prepare races (race-horse files, ranking, bet files)
    // ahead of the writers; 0 (the default): as many as the cores the process
    // may run on. The files and the state are the same for any number.
    void setThreads(unsigned n) { threads_ = n; }

    WindowState st;
    // Payout records of the last load that repeated a race key already met (result mode).
    long SkippedPayoutRepeats = 0;
    const std::vector<std::string>& List1() const { return st.List1; }
    const WriterChain& chain() const { return chain_; }

    // What the last load went on without and what it could not do (writers,
    // files, and `error` when the load stopped on one): one message for the
    // user, details for the log. failedAny() tells whether the run failed.
    StepReport report(const std::string& error = {}) const;
    // The race as the user knows it: date, racecourse and race number ("20250405中山11R").
    std::string raceLabel(int RaceIdx) const;

private:
    struct Prepared;
    struct Scratch;
    // One pass of the race loop in two halves: prepare (everything of the race
    // alone, on any thread) and commit (the day tallies, the writers and the
    // rates, in race order on the loop's thread).
    void prepareRace(Prepared& p, Scratch& scratch, int RaceIdx) const;
    void commitRace(Prepared& p);
    void runRaces();
    unsigned threadCount() const;
    // The runners whose horse has no expanded run file, counted race by race
    // (each horse once); noted in the report when the loop ends.
    void tallyExpandedFiles(const std::vector<HorseFile>& horses);
    void noteMissingExpandedFiles(int tallied);
    struct ExTally {
        std::unordered_set<std::string> seen;
        long horses = 0, missing = 0;
        std::string first;
    } exTally_;
    // Per race, the first runner whose expanded run records taken have a
    // number member that is not digits (race index, horse and record).
    struct ExDamage {
        int RaceIdx = 0;
        HorseFile horse;
    };
    std::vector<ExDamage> exDamaged_;
    int tallied_ = 0;  // the races counted so far
    StepReport inputs_{"predict"};
    WriterChain chain_;
    StatusSink& menu_;
    YieldFn yield_;
    // The run's input files, held while it lasts, and the records taken from them.
    RecordView hrView_;
    std::vector<std::string_view> hrRecords_;
    RaceEntries entries_;
    unsigned threads_ = 0;
    // Files "RACE/<key>.dat" that could not be written; they go to
    // st.WriteFailures ahead of the race loop's own.
    std::vector<std::string> raceFileFailures_;
    // The day's rate files, rewritten race by race and put in place with the
    // writers' day files when the run ends.
    DayFiles rateFiles_;
};

}  // namespace kv::pred
