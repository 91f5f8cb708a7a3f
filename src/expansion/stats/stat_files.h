// The statistics files of OPTION1N: names, loading, key search and the two
// work files that the calculation run derives from "HAHAUMA.dat" and "KYOSOBA.dat".
#pragma once
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/appfolder.h"
#include "common/fields.h"
#include "expansion/stats/key_index.h"
#include "expansion/stats/stat_records.h"

namespace kv::stats {

// File names inside the folder OPTION1N.
namespace names = kv::option1n;

// Registers the layouts of the statistics files (common/recordcheck.h), so
// that every read of them is checked. Called once at start-up.
void registerRecordChecks();

// Path of a file of OPTION1N under an application folder (a trailing "/" optional).
std::string optionFile(std::string_view appDir, std::string_view name);
// Path of a file of OPTION1N under the current application folder (kv::GetAppPath).
std::string optionFile(std::string_view name);

// One statistics file read whole into memory with a hash index of its key member.
// Records are whole records only (a partial last record is not counted); a
// missing or empty file has no records and every search fails. Keys compare
// exactly: the whole key member against a text of the same width, byte for
// byte, case-sensitive, no trimming (a text of another width never matches).
// Copies share the loaded bytes; record views stay valid while any copy lives.
class StatFile {
public:
    StatFile() = default;
    StatFile(std::size_t recLen, Field key, Winner winner) : len_(recLen), key_(key), winner_(winner) {}

    // The factor coders' search: first match wins.
    static StatFile parent() { return {ParentStatRecord::kLength, ParentStatRecord::HansyokuNum, Winner::First}; }
    static StatFile kyosoba() { return {KyosobaStatRecord::kLength, KyosobaStatRecord::KettoNum, Winner::First}; }
    static StatFile seiseki() { return {SeisekiStatRecord::kLength, SeisekiStatRecord::StatCode, Winner::First}; }
    // "NANDAIFLOPTION1N.dat" is searched with the last match winning.
    static StatFile numberPair(Winner w = Winner::First) { return {NumberPairRecord::kLength, NumberPairRecord::Num1, w}; }

    // Reads the file (false when it cannot be read: then it has no records).
    // The file is held in place (mapped when large), not copied.
    bool load(const std::string& path);
    void loadBytes(std::string bytes);
    void loadHeld(std::shared_ptr<const HeldBytes> bytes);

    std::size_t count() const { return count_; }
    bool empty() const { return count_ == 0; }
    // Record n (1-based) with its CR LF; empty view past the end.
    std::string_view record(std::size_t n) const;
    // The winning record of key; nullopt when none matches.
    std::optional<std::string_view> find(std::string_view key) const;
    // 1-based number of the winning record; 0 when none matches.
    std::size_t findNumber(std::string_view key) const;
    std::size_t recordLength() const { return len_; }
    Field keyField() const { return key_; }

private:
    std::size_t len_ = 0;
    Field key_{0, 0};
    Winner winner_ = Winner::First;
    struct Loaded {
        std::shared_ptr<const HeldBytes> bytes;
        KeyIndex index;
    };
    std::shared_ptr<const Loaded> data_;
    std::size_t count_ = 0;
};

// The content of a work file: the records of the supplied file whose key
// member equals an entry of the list, in the order of the supplied file; a
// record is taken once for every list entry equal to its key (a key that the
// list holds twice gives two copies one after the other).
std::vector<std::string> selectListedRecords(std::string_view suppliedBytes, std::size_t recLen, Field key,
                                             const std::vector<std::string>& list);

// Writes "HAHAUMATHISWEEK.dat" from "HAHAUMA.dat" for this week's dams, and
// "KYOSOBATHISWEEK.dat" from "KYOSOBA.dat" for this week's horses (both in the
// OPTION1N folder of appDir). The work file is replaced as a whole, so it holds
// exactly this run's records (none when the supplied file is missing or empty).
// Result: the number of records written, or -1 when the work file could not be written.
long writeHahaumaThisWeek(std::string_view appDir, const std::vector<std::string>& dams);
long writeKyosobaThisWeek(std::string_view appDir, const std::vector<std::string>& horses);
// As writeKyosobaThisWeek; selected receives the work file's content (also when
// it could not be written), for the statistics search of this run.
long writeKyosobaThisWeek(std::string_view appDir, const std::vector<std::string>& horses, std::string& selected);

}  // namespace kv::stats
