// Previous-day fixing (button 4): values published only on race day are set
// to fixed stand-ins in this week's entries and races.
#pragma once
#include <functional>
#include <string>

namespace kv::expansion {

// Result of fixing the entries.
struct FixUmagotoResult {
    long written = 0;          // horses whose entry was written
    long failed = 0;           // horses whose run file could not be created, read or written
    std::string firstFailed;   // the first of them (its KettoNum)
    long repeatsSkipped = 0;   // list entries passed over as met before
};
// Sets, in the entry (last record) of every listed horse's run file, the horse
// weight (the previous run's, "440" for a first run) and the time margin
// ("0000"), and the jockey and carried weight from before a change. A name
// that would lead out of the run-file folder is passed over.
FixUmagotoResult FixUmagotoZenjitsu();

// Result of fixing the race file.
struct FixRaceResult {
    bool ok = false;            // false: the race file is missing or empty, or a file could not be written
    bool resultMode = false;    // the last race record has data kind "7"
    long racesWritten = 0;      // race records whose codes were set
    std::string unwritableFile; // the file that could not be written (relative name), if any
};
// Sets weather, turf going and dirt going to "1" in "RATHISWEEKNNEW.dat": in
// prediction mode on the records of data kind "1", in result mode on every
// race with a payout record in "HRTHISWEEKN.dat" (whose keys it writes to
// "RACETHISWEEKN.dat"). progress(value) receives ProgressBar1's values (0..100).
FixRaceResult FixRaceZenjitsu(const std::function<void(long)>& progress = {});

}  // namespace kv::expansion
