// Previous-day fixing.
#include "expansion/fixday.h"

#include <unordered_set>

#include "acquisition/jvdata/race_records.h"
#include "common/appfolder.h"
#include "common/fields.h"
#include "common/keys.h"
#include "common/numbers.h"
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

}  // namespace

FixUmagotoResult FixUmagotoZenjitsu() {
    FixUmagotoResult res;
    auto failed = [&](const std::string& ketto) {
        if (res.failed++ == 0) res.firstFailed = ketto;
    };
    for (const std::string& ketto : readListFile(appFile(files::KETTONUM_LIST))) {
        const std::string path = joinPath(appFile(dirs::UMAGOTO), ketto + ".dat");
        if (!fileExists(path)) {
            // A horse without a run file gets an empty one and nothing else.
            if (!truncateFile(path)) failed(ketto);
            continue;
        }
        RecordFile file(path, se::kLength);
        const std::size_t n = file.count();
        if (n == 0) continue;
        std::string entry;
        std::string weight = "440";
        if (n >= 2) {
            auto before = file.read(n - 1);
            if (!before) {
                failed(ketto);
                continue;
            }
            weight = getField(*before, se::BaTaijyu);
        }
        auto rec = file.read(n);
        if (!rec) {
            failed(ketto);
            continue;
        }
        entry = std::move(*rec);
        applyChangeRule(entry);
        setField(entry, se::TimeDiff, "0000");
        setField(entry, se::BaTaijyu, weight);
        if (file.write(n, entry)) ++res.written;
        else failed(ketto);
    }
    return res;
}

FixRaceResult FixRaceZenjitsu(const std::function<void(long)>& progress) {
    FixRaceResult res;
    const std::string raPath = appFile(files::RA_NEW);
    auto bytes = readFileBytes(raPath);
    if (!bytes) return res;
    std::string& data = *bytes;
    const std::size_t n = data.size() / ra::kLength;
    if (n == 0) return res;
    auto recordAt = [&](std::size_t i) { return std::string_view(data).substr((i - 1) * ra::kLength, ra::kLength); };
    auto setCodes = [&](std::size_t i) {
        const std::size_t base = (i - 1) * ra::kLength;
        for (Field f : {ra::TenkoCD, ra::SibaBabaCD, ra::DirtBabaCD}) data[base + f.off] = '1';
        ++res.racesWritten;
    };
    long lastValue = -1;
    auto report = [&](std::size_t i) {
        const long v = static_cast<long>(vbInt(static_cast<double>(i) * 100.0 / static_cast<double>(n)));
        if (progress && v != lastValue) progress(v);
        lastValue = v;
    };

    res.resultMode = getField(recordAt(n), ra::DataKubun) == "7";
    if (!res.resultMode) {
        for (std::size_t i = 1; i <= n; ++i) {
            if (getField(recordAt(i), ra::DataKubun) == "1") setCodes(i);
            report(i);
        }
    } else {
        // The payout records' race keys, in file order, duplicates included.
        std::string lines;
        std::unordered_set<std::string> keys;
        auto hrBytes = readFileBytes(appFile(files::HR));
        if (hrBytes) {
            for (const std::string& rec : splitRecords(*hrBytes, hr::kLength)) {
                const std::string key = raceKeyFromId(getField(rec, hr::RaceId));
                keys.insert(key);
                lines += QuotedLine().textRaw(key).line();
            }
        }
        if (!writeFileAtomic(appFile(files::RACE_INDEX), lines)) {
            res.unwritableFile = files::RACE_INDEX;
            return res;
        }
        for (std::size_t i = 1; i <= n; ++i) {
            if (keys.count(raceKeyFromId(getField(recordAt(i), ra::RaceId)))) setCodes(i);
            report(i);
        }
    }
    if (res.racesWritten > 0 && !writeFileAtomic(raPath, data)) {
        res.unwritableFile = files::RA_NEW;
        return res;
    }
    res.ok = true;
    return res;
}

}  // namespace kv::expansion
