// Race-horse files: the runners' entries and their past runs.
#include <algorithm>
#include <cstring>
#include <fstream>

#include "acquisition/jvdata/race_records.h"
#include "common/appfolder.h"
#include "common/codec.h"
#include "common/numbers.h"
#include "common/recordfile.h"
#include "expansion/exrecord.h"
#include "prediction/run_stages.h"

namespace kv::pred {

namespace {

namespace se = kv::jv::SeRecord;

// Runs a horse can hold: slot 0 (this race) and 64 earlier runs.
constexpr std::size_t kMaxRuns = static_cast<std::size_t>(rh::kRunSlots);

void copyBytes(RaceHorseRecord& rec, std::size_t dst, std::string_view ex, std::size_t src, std::size_t len) {
    if (src + len > ex.size() || dst + len > rec.bytes.size()) return;
    std::memcpy(rec.bytes.data() + dst, ex.data() + src, len);
}
void copyField(RaceHorseRecord& rec, Field dst, std::string_view ex, Field src) {
    copyBytes(rec, dst.off, ex, src.off, std::min(dst.len, src.len));
}

std::string exRaceKey(std::string_view ex) {
    return getField(ex, exrec::Year) + getField(ex, exrec::MonthDay) + getField(ex, exrec::JyoCD) +
           getField(ex, exrec::RaceNum);
}

// The weather text followed by the going text of slot 0.
std::string weatherAndGoing(const RunConstants& run, const RaceHorseRecord& rec) {
    const std::string track = rec.get(rh::TrackCD.at(0));
    const bool dirt = track >= "23" && track <= "49";
    return run.LookupCodeTable("2011", rec.get(rh::TenkoCD(0)), 2) +
           run.LookupCodeTable("2010", rec.get(dirt ? rh::DirtBabaCD(0) : rh::SibaBabaCD(0)), 2);
}

// Fills the runs of one record from its horse's expanded run file. Slot 0 is
// the newest expanded record of this race (the newest record of the file when
// none belongs to it), slot s the s-th record before it.
void fillPastRuns(RaceHorseRecord& rec, const std::string& raceKey, std::string& exBuffer) {
    const std::string ketto = rec.get(rh::KettoNum.at(0));
    if (ketto.find('\0') != std::string::npos) return;  // no runner at this number
    const std::string path = appFile(std::string(dirs::UMAGOTOEX) + "/" + ketto + exrec::kFileSuffix);
    const long long size = fileSize(path);
    if (size <= 0) return;
    const std::size_t count = static_cast<std::size_t>(size) / exrec::kLength;
    if (count == 0) return;

    std::size_t first = count > kMaxRuns ? count - kMaxRuns + 1 : 1;
    std::vector<std::string> tail = RecordFile(path, exrec::kLength).readRange(first, count);
    if (tail.empty()) return;
    // The entry of this race: the newest record with the race's key.
    std::size_t entry = tail.size() - 1;
    for (std::size_t i = tail.size(); i-- > 0;) {
        if (exRaceKey(tail[i]) == raceKey) {
            entry = i;
            break;
        }
    }
    const std::size_t back = tail.size() - 1 - entry;  // records after the entry
    if (back > 0 && first > 1) {
        // Reach back as many records as were skipped after the entry.
        const std::size_t more = std::min(back, first - 1);
        auto older = RecordFile(path, exrec::kLength).readRange(first - more, first - 1);
        tail.insert(tail.begin(), older.begin(), older.end());
        entry += older.size();
    }
    for (std::size_t s = 0; s < kMaxRuns && s <= entry; ++s) {
        copyRunToSlot(rec, tail[entry - s], static_cast<int>(s));
    }
    exBuffer = tail[entry - std::min(entry, kMaxRuns - 1)];
}

}  // namespace

void copyRunToSlot(RaceHorseRecord& rec, std::string_view ex, int s) {
    if (ex.size() < exrec::kLength) return;
    copyField(rec, rh::RaceId.at(s), ex, exrec::RaceId);
    copyField(rec, rh::Wakuban.at(s), ex, exrec::Wakuban);
    copyField(rec, rh::Umaban.at(s), ex, exrec::Umaban);
    copyField(rec, rh::KettoNum.at(s), ex, exrec::KettoNum);
    copyField(rec, rh::KisyuRyakusyo.at(s), ex, exrec::KisyuRyakusyo);
    copyField(rec, rh::Kyori.at(s), ex, exrec::Kyori);
    copyField(rec, rh::TrackCD.at(s), ex, exrec::TrackCD);
    copyField(rec, rh::TorokuTosu.at(s), ex, exrec::TorokuTosu);
    copyField(rec, rh::NyusenJyuni.at(s), ex, exrec::NyusenJyuni);
    copyField(rec, rh::KakuteiJyuni.at(s), ex, exrec::KakuteiJyuni);
    copyField(rec, rh::Time.at(s), ex, exrec::Time);
    copyField(rec, rh::Ninki.at(s), ex, exrec::Ninki);
    copyField(rec, rh::Odds.at(s), ex, exrec::Odds);
    copyField(rec, rh::HaronTimeL3.at(s), ex, exrec::HaronTimeL3);
    copyField(rec, rh::ChokyosiRyakusyo.at(s), ex, exrec::ChokyosiRyakusyo);
    copyField(rec, rh::TenkoCD(s), ex, exrec::TenkoCD);
    copyField(rec, rh::SibaBabaCD(s), ex, exrec::SibaBabaCD);
    copyField(rec, rh::DirtBabaCD(s), ex, exrec::DirtBabaCD);
    if (s == 0) {
        copyField(rec, rh::BreederName, ex, Field{exrec::BreederName.off, rh::BreederName.len});
        copyField(rec, rh::SireBamei, ex, exrec::SireBamei);
        // Age: year of the race + 100 - year of birth, last two digits.
        auto year = strictInt(getField(ex, exrec::Year));
        auto born = strictInt(getField(ex, exrec::BirthYear));
        if (year && born) {
            const std::string age = std::to_string(*year + 100 - *born);
            rec.set(rh::Barei, age.substr(age.size() >= 2 ? age.size() - 2 : 0));
        }
        copyField(rec, rh::SexCD, ex, exrec::SexCD);
        copyField(rec, rh::Futan, ex, exrec::Futan);
        copyField(rec, rh::BaTaijyu, ex, exrec::BaTaijyu);
        copyField(rec, rh::ZogenFugo, ex, exrec::ZogenFugo);
        copyField(rec, rh::ZogenSa, ex, exrec::ZogenSa);
        copyField(rec, rh::IJyoCD, ex, exrec::IJyoCD);
        copyField(rec, rh::HassoTime, ex, exrec::HassoTime);
        const int speedTexts[5] = {7, 9, 10, 11, 8};
        for (int e = 0; e < 5; ++e) copyField(rec, rh::EntityRank.at(e), ex, exrec::SpeedText(speedTexts[e]));
    }
    for (int k = 0; k < rh::kFwEntries; ++k) {
        copyBytes(rec, rh::agariFwOffset(s, k), ex, exrec::AgariFW(k), 4);
        copyBytes(rec, rh::paceFwOffset(s, k), ex, exrec::PaceFW(k), 4);
    }
    for (int e = 0; e < rh::kSpeedEntries; ++e) copyBytes(rec, rh::runSpeedOffset(s, e), ex, exrec::RunSpeeds(e + 1), 4);
}

RaceHorseFiles buildRaceHorseFiles(WindowState& st, const std::vector<std::string>& seRecords) {
    RunConstants& run = st.run;
    RaceHorseFiles filesByKey;
    for (int i = 1; i <= run.RaceCount; ++i) filesByKey[run.RaceKeyList[static_cast<std::size_t>(i)]];

    // Entry step: one record per runner, at its horse number.
    for (const auto& se_ : seRecords) {
        const std::string key = getField(se_, se::Year) + getField(se_, se::MonthDay) + getField(se_, se::JyoCD) +
                                getField(se_, se::RaceNum);
        auto it = filesByKey.find(key);
        if (it == filesByKey.end()) continue;
        auto num = strictInt(getField(se_, se::Umaban));
        if (!num || *num <= 0) continue;
        st.SeRec = se_;
        RaceHorseRecord rec;
        rec.set(rh::Wakuban.at(0), getField(se_, se::Wakuban));
        rec.set(rh::Umaban.at(0), getField(se_, se::Umaban));
        rec.set(rh::KettoNum.at(0), getField(se_, se::KettoNum));
        rec.set(rh::Bamei, getField(se_, se::Bamei));
        rec.set(rh::CrLf, "\r\n");
        RaceHorseFile& file = it->second;
        const std::size_t n = static_cast<std::size_t>(*num);
        if (file.size() < n) file.resize(n);
        file[n - 1] = std::move(rec);
    }

    // Past-run step, race by race in index order.
    std::unordered_map<std::string, bool> done;
    makeDirs(appFile(dirs::RACE));
    for (int i = 1; i <= run.RaceCount; ++i) {
        const std::string& key = run.RaceKeyList[static_cast<std::size_t>(i)];
        RaceHorseFile& file = filesByKey[key];
        const bool first = !done[key];
        for (auto& rec : file) {
            if (first) {
                fillPastRuns(rec, key, st.ExRec);
                rec.setSingleAt(rh::kSpeedAdjust, 0.0f);
            }
            run.Syosai[static_cast<std::size_t>(i)][11] = weatherAndGoing(run, rec);
        }
        if (!file.empty()) st.race.RaceHorseRec = file.back();
        if (first) {
            std::string bytes;
            bytes.reserve(file.size() * rh::kRecordLength);
            for (const auto& rec : file) bytes += rec.bytes;
            writeRunFile(st, appFile(std::string(dirs::RACE) + "/" + key + ".dat"), bytes);
        }
        done[key] = true;
    }
    return filesByKey;
}

}  // namespace kv::pred
