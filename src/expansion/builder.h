// Building the expanded run records of one horse from its run file, the week's
// horse, jockey and race records and the foal order file.
#pragma once
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <memory>
#include <vector>

#include "common/recordfile.h"

#include "expansion/stats/stat_files.h"

namespace kv::expansion {

// The week's inputs of the builder, read once per run and indexed.
// Lookups keep the row loaded last for a key (horses, jockeys, races); the
// foal order keeps the first record of a dam.
class BuildInputs {
public:
    // Reads "UMTHISWEEKNNEW.dat", "KSTHISWEEKN.dat" + "OPTION1N\KS20190101NEW.dat",
    // "RATHISWEEKNNEW.dat" and "OPTION1N\HNSKOPTION1N.dat" under the application
    // folder. Missing files give no rows. onHorseRow(i, n) is called once per
    // horse record (the horse table's progress).
    static BuildInputs load(const std::function<void(std::size_t, std::size_t)>& onHorseRow = {});
    // From record bytes (tests).
    static BuildInputs fromBytes(std::string umBytes, std::string ksWeekBytes, std::string ksSuppliedBytes,
                                 std::string raBytes, std::string hnskBytes);

    // The horse record of a KettoNum (last match), the jockey record of a
    // KisyuCode (last match, the supplied file after the week's), the race record
    // of a 12-character race key (last match).
    std::optional<std::string_view> horse(std::string_view kettoNum) const;
    std::optional<std::string_view> jockey(std::string_view kisyuCode) const;
    std::optional<std::string_view> race(std::string_view raceKey) const;
    // Foal order of a horse: its place (1..21) among its dam's records in the
    // foal order file, counted from the dam's first record, as two digits;
    // "01" when the dam is not there, the horse is not among the 21 records
    // looked at, or the file ends first.
    std::string GetSankuJun(std::string_view damHansyokuNum, std::string_view kettoNum) const;

    // The inputs as four parts that may be read at the same time on different
    // threads (each part's file read and indexed by one call), then put together.
    enum Part { Horses, Jockeys, Races, FoalOrder };
    void loadPart(Part p);
    // Records of the horse file (the horse table's progress counts them).
    std::size_t horseRows() const;

private:
    void indexPart(Part p);
    std::shared_ptr<const kv::stats::HeldBytes> um_, ksWeek_, ksSupplied_, ra_;
    kv::stats::StatFile hnsk_ = kv::stats::StatFile::numberPair(kv::stats::Winner::First);
    // Later rows win; the supplied jockeys come after the week's.
    kv::stats::KeyIndex umByKetto_, ksWeekByCode_, ksSuppliedByCode_, raByKey_;
};

// The result of building one horse.
struct BuiltHorse {
    std::vector<std::string> records;  // the expanded run records, 2603 bytes each
    bool failed = false;                // the build failed; records hold what was built
    std::string failure;
};

// Builds the expanded run records of one horse from its runner records (oldest
// first): one record per run, then the order repair (the last record goes when
// it was created before the record before it). A creation date that is not a
// number fails the horse after all records were built (no repair then).
BuiltHorse BuildUmagotoEx(const BuildInputs& in, const std::vector<std::string>& runs);

// As above, into records (grown when short; the entries past the horse's
// count are left as they are, so that their buffers serve the next horse).
// Returns the count of records of the horse; failure is set when it failed.
std::size_t BuildUmagotoEx(const BuildInputs& in, const kv::RecordView& runs, std::vector<std::string>& records,
                           std::string& failure);

// One expanded run record from one runner record and the lookups, into rec
// (its buffer reused).
void buildRecordInto(std::string& rec, const BuildInputs& in, std::string_view run,
                     std::optional<std::string_view> horse, std::string_view sankuJun);

}  // namespace kv::expansion
