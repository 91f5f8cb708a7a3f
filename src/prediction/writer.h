// The writers the prediction run calls for every race, and their chain.
//
// A writer is an object created per run; it owns what it keeps between races
// (its last-written keys, normally a kv::DayFiles). For each race the chain
// calls every writer in slot order with the window state and the current race;
// an exception thrown by a writer ends only that writer's work for the race,
// whatever it wrote stays, and the chain goes on with the next writer. The
// day files the writers build over the races are put in place when the run
// has written every race (placeDayFiles); a run that stops leaves them as
// they were (dropDayFiles).
#pragma once
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/datafault.h"
#include "common/dayfile.h"
#include "prediction/window_state.h"

namespace kv::pred {

// The fixed places of the writers in the chain, in calling order.
enum class ChainSlot : int {
    ShutsubahyoMmk = 1,  // race-card day file
    LupFiles = 2,        // race list and hit files
    LupPcFiles = 3,      // eleven-column files
    TwiRaceBlock = 4,    // race text file
    TanfukuCsv1 = 5,     // win-and-place sheet, rank 1
    TanfukuCsv2 = 6,     // win-and-place sheet, rank 2
    TanshoBetCsv = 7,    // single-bet CSV
    YosouHtmlPage = 8,   // HTML page
    WpRaceBlock = 9,     // WordPress block
    PdfDayPage = 10,     // printable day page
    SokudoHrCsv = 11,    // speed CSV
};

// What a writer throws when a file of the race could not be opened or
// written: the disk or the folder is at fault.
struct WriteError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The part of a writer's exception that says the race's own data does not
// allow the work (a horse without entry data, a rank beyond the horse count, a
// payout that is no number): data() says what is missing or damaged.
using RaceDataFault = kv::DataFault;

// A race's data fault as the standard exception its callers expect
// (std::out_of_range for a horse or rank outside the race, ...).
template <class StdError>
struct RaceDataError : StdError, RaceDataFault {
    RaceDataError(const std::string& what, std::string data) : StdError(what), RaceDataFault(std::move(data)) {}
};

class Writer {
public:
    virtual ~Writer() = default;
    // The writer's name (its procedure name, e.g. "WriteLupFiles").
    virtual std::string name() const = 0;
    // Writes race RaceIdx (1..RaceCount). Everything of the race is complete in
    // st: st.run (mode, index, Syosai), st.race (HrRec, RaceHorseRec, per-horse
    // values, bet lists in display form), st.kept (rank tables, day tallies).
    // Throw to end this writer's work for the race.
    virtual void writeRace(WindowState& st, int RaceIdx) = 0;
    // The day files the writer builds over the run's races.
    virtual std::vector<DayFiles*> dayFiles() { return {}; }
};

// A writer failure, for reporting (the run does not stop).
struct WriterFailure {
    enum class Kind {
        Write,     // a file could not be written (WriteError)
        RaceData,  // the race's data does not allow the work (RaceDataFault)
        Other,     // anything else
    };
    int RaceIdx = 0;
    std::string writer;
    std::string what;  // English, for the log
    Kind kind = Kind::Other;
    std::string data;  // RaceData: what is missing or damaged, for the user
    bool notANumber = false;  // RaceData: a value that must be a number is not (kv::ConversionError)
};

class WriterChain {
public:
    // Adds a writer at its slot; writers are called in slot order (equal slots
    // in the order they were added).
    void add(ChainSlot slot, std::unique_ptr<Writer> w);
    bool empty() const { return entries_.empty(); }
    std::size_t size() const { return entries_.size(); }
    // The writers' names in calling order.
    std::vector<std::string> names() const;
    // Calls every writer for the race; failures are caught and recorded.
    void runRace(WindowState& st, int RaceIdx);
    const std::vector<WriterFailure>& failures() const { return failures_; }
    // Puts the writers' day files in place, once every race is written;
    // returns the files left as they were (a write to them failed).
    std::vector<std::string> placeDayFiles();
    // Drops what the writers built of their day files (a run that stopped).
    void dropDayFiles();

private:
    struct Entry {
        ChainSlot slot;
        std::unique_ptr<Writer> writer;
    };
    std::vector<Entry> entries_;
    std::vector<WriterFailure> failures_;
};

}  // namespace kv::pred
