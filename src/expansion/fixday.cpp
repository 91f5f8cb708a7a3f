// Previous-day fixing.
#include "expansion/fixday.h"

#include <sys/stat.h>

#include <algorithm>
#include <exception>
#include <unordered_set>
#include <vector>

#include "acquisition/jvdata/race_records.h"
#include "common/appfolder.h"
#include "common/fields.h"
#include "common/keys.h"
#include "common/numbers.h"
#include "common/parallel.h"
#include "common/quoted.h"
#include "common/recordfile.h"
#include "expansion/weeklists.h"

namespace kv::expansion {

namespace se = kv::jv::SeRecord;
namespace ra = kv::jv::RaRecord;
namespace hr = kv::jv::HrRecord;

namespace {

// The entry's jockey and carried weight from before a change, when there was one.
void applyChangeRule(std::string& rec) {
    if (val(getField(rec, se::KisyuCodeBefore)) != 0) {
        setField(rec, se::KisyuCode, getField(rec, se::KisyuCodeBefore));
        setField(rec, se::KisyuRyakusyo, getField(rec, se::KisyuRyakusyoBefore));
    }
    if (val(getField(rec, se::FutanBefore)) != 0) setField(rec, se::Futan, getField(rec, se::FutanBefore));
}

enum class EntryFix { Written, Failed, Untouched };

// Fixes the entry of one horse's run file.
EntryFix fixEntry(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        // A horse without a run file gets an empty one and nothing else.
        return truncateFile(path) ? EntryFix::Untouched : EntryFix::Failed;
    }
    if (st.st_size == 0) return EntryFix::Untouched;
    // The whole file in one read, checked as it is read: the entry is its last
    // record, the weight comes from the run before it.
    const RecordView runs = RecordFile(path, se::kLength).view();
    const std::size_t n = static_cast<std::size_t>(st.st_size) / se::kLength;
    if (n == 0) return EntryFix::Untouched;
    if (runs.size() != n) return EntryFix::Failed;
    std::string entry(runs[n - 1]);
    const std::string weight = n >= 2 ? getField(runs[n - 2], se::BaTaijyu) : std::string("440");
    applyChangeRule(entry);
    setField(entry, se::TimeDiff, "0000");
    setField(entry, se::BaTaijyu, weight);
    return RecordFile(path, se::kLength).write(n, entry) ? EntryFix::Written : EntryFix::Failed;
}

}  // namespace

FixUmagotoResult FixUmagotoZenjitsu() {
    FixUmagotoResult res;
    // Each horse once: fixing an entry again would change nothing.
    const std::vector<std::string> horses = readListFile(appFile(files::KETTONUM_LIST), &res.repeatsSkipped);
    const std::string dir = appFile(dirs::UMAGOTO);
    // Each horse's file is fixed on its own, so a few threads share the list.
    std::vector<EntryFix> done(horses.size(), EntryFix::Failed);
    constexpr std::size_t kPerTask = 32;
    const std::size_t tasks = (horses.size() + kPerTask - 1) / kPerTask;
    kv::orderedForEach(tasks, std::min(4u, kv::usableCores()), [&](std::size_t t, unsigned) {
        for (std::size_t i = t * kPerTask; i < std::min(horses.size(), (t + 1) * kPerTask); ++i) {
            try {
                done[i] = SafeFileName(horses[i]) ? fixEntry(joinPath(dir, horses[i] + suffix::DAT))
                                                     : EntryFix::Untouched;
            } catch (const std::exception&) {
                done[i] = EntryFix::Failed;  // out of memory
            }
        }
    });
    for (std::size_t i = 0; i < horses.size(); ++i) {
        if (done[i] == EntryFix::Written) ++res.written;
        if (done[i] == EntryFix::Failed && res.failed++ == 0) res.firstFailed = horses[i];
    }
    return res;
}

namespace {

// Writes the race file's bytes anew with weather, turf going and dirt going set
// to "1" in the records at `fix` (0-based, ascending): unchanged stretches go
// out as they are, through one reused buffer; the file is replaced whole.
bool writeFixedRaces(const std::string& path, std::string_view data, const std::vector<std::size_t>& fix) {
    constexpr std::size_t kChunk = std::size_t(1) << 19;
    StagedFile out(path);
    std::string chunk;
    chunk.reserve(kChunk);
    auto flush = [&] {
        if (!chunk.empty()) out.append(chunk);  // a failed append makes the commit fail
        chunk.clear();
    };
    auto put = [&](std::string_view piece) {
        if (chunk.size() + piece.size() > kChunk) flush();
        if (piece.size() >= kChunk)
            out.append(piece);
        else
            chunk += piece;
    };
    std::size_t pos = 0;
    for (std::size_t i : fix) {
        const std::size_t base = i * ra::kLength;
        put(data.substr(pos, base - pos));
        if (chunk.size() + ra::kLength > kChunk) flush();
        const std::size_t at = chunk.size();
        chunk += data.substr(base, ra::kLength);
        for (Field f : {ra::TenkoCD, ra::SibaBabaCD, ra::DirtBabaCD}) chunk[at + f.off] = '1';
        pos = base + ra::kLength;
    }
    put(data.substr(pos));  // with a partial record at the end, as the file had it
    flush();
    return out.commit();
}

}  // namespace

FixRaceResult FixRaceZenjitsu(const std::function<void(long)>& progress) {
    FixRaceResult res;
    const std::string raPath = appFile(files::RA_NEW);
    const FileView file = readFileView(raPath);
    if (!file.ok()) return res;
    const std::string_view data = file.bytes.view();
    const std::size_t n = data.size() / ra::kLength;
    if (n == 0) return res;
    auto recordAt = [&](std::size_t i) { return data.substr((i - 1) * ra::kLength, ra::kLength); };
    std::vector<std::size_t> fix;  // records whose codes are set (0-based)
    long lastValue = -1;
    auto report = [&](std::size_t i) {
        const long v = static_cast<long>(vbInt(static_cast<double>(i) * 100.0 / static_cast<double>(n)));
        if (progress && v != lastValue) progress(v);
        lastValue = v;
    };

    res.resultMode = fieldView(recordAt(n), ra::DataKubun) == "7";
    if (!res.resultMode) {
        for (std::size_t i = 1; i <= n; ++i) {
            if (fieldView(recordAt(i), ra::DataKubun) == "1") fix.push_back(i - 1);
            report(i);
        }
    } else {
        // The payout records' race keys, in file order, duplicates included.
        std::string lines;
        std::unordered_set<std::string> keys;
        FileView hr = readFileView(appFile(files::HR));
        if (hr.ok()) {
            for (std::string_view rec : RecordView(std::move(hr.bytes), hr::kLength)) {
                std::string key = raceKeyFromId(fieldView(rec, hr::RaceId));
                lines += QuotedLine().textRaw(key).line();
                keys.insert(std::move(key));
            }
        }
        if (!writeFileAtomic(appFile(files::RACE_INDEX), lines)) {
            res.unwritableFile = files::RACE_INDEX;
            return res;
        }
        for (std::size_t i = 1; i <= n; ++i) {
            if (keys.count(raceKeyFromId(fieldView(recordAt(i), ra::RaceId)))) fix.push_back(i - 1);
            report(i);
        }
    }
    res.racesWritten = static_cast<long>(fix.size());
    if (res.racesWritten > 0 && !writeFixedRaces(raPath, data, fix)) {
        res.unwritableFile = files::RA_NEW;
        return res;
    }
    res.ok = true;
    return res;
}

}  // namespace kv::expansion
