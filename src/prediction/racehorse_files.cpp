// Race-horse files: the runners' entries and their past runs.
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "acquisition/jvdata/race_records.h"
#include "common/appfolder.h"
#include "common/codec.h"
#include "common/keys.h"
#include "common/numbers.h"
#include "common/recordfile.h"
#include "common/exrecord.h"
#include "common/fsys.h"
#include "prediction/run_stages.h"

namespace kv::pred {

namespace {

namespace se = kv::jv::SeRecord;
static_assert(se::Wakuban.off == Runner::kFrom && se::Umaban.off > se::Wakuban.off && se::KettoNum.off > se::Umaban.off &&
              se::Bamei.end() == Runner::kFrom + Runner::kLen);

// Runs a horse can hold: slot 0 (this race) and 64 earlier runs.
constexpr std::size_t kMaxRuns = static_cast<std::size_t>(rh::kRunSlots);

void copyBytes(RaceHorseRecord& rec, std::size_t dst, std::string_view ex, std::size_t src, std::size_t len) {
    if (src + len > ex.size() || dst + len > rec.bytes.size()) return;
    std::memcpy(rec.bytes.data() + dst, ex.data() + src, len);
}
void copyField(RaceHorseRecord& rec, Field dst, std::string_view ex, Field src) {
    copyBytes(rec, dst.off, ex, src.off, std::min(dst.len, src.len));
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
// none belongs to it), slot s the s-th record before it. Only the last
// kMaxRuns records are searched for the race; when the race's record is not the
// newest, as many older records are reached back as were skipped after it.
// Returns whether the horse has a file with something in it; file.badRecord
// and file.badMember name the first record taken whose numbers are not digits.
bool fillPastRuns(RaceHorseRecord& rec, const std::string& raceKey, std::string& exBuffer, std::string& fileBuffer,
                  HorseFile& file) {
    const std::string_view ketto = fieldView(rec.bytes, rh::KettoNum.at(0));
    if (ketto.find('\0') != std::string_view::npos) return false;  // no runner at this number
    const std::string path = appFile(std::string(dirs::UMAGOTOEX) + "/" + std::string(ketto) + exrec::kFileSuffix);
    // Missing, empty or not a file: no runs.
    const long long bytes = readFileInto(path, fileBuffer);
    if (bytes < 0) {
        // Something in the file's place that is no file (a folder) is there but unreadable.
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0 || S_ISREG(st.st_mode)) return false;
        noteUnreadable(path, "not a regular file");
        return true;
    }
    const std::size_t count = static_cast<std::size_t>(bytes) / exrec::kLength;
    if (count == 0) return true;
    const auto runs = [&fileBuffer](std::size_t i) {
        return std::string_view(fileBuffer.data() + i * exrec::kLength, exrec::kLength);
    };

    // 0-based: the searched records are [first, count).
    const std::size_t first = count > kMaxRuns ? count - kMaxRuns : 0;
    std::size_t entry = count - 1;
    for (std::size_t i = count; i-- > first;) {
        const std::string_view ex = runs(i);
        if (fieldView(ex, exrec::Year) == std::string_view(raceKey).substr(0, 4) &&
            fieldView(ex, exrec::MonthDay) == std::string_view(raceKey).substr(4, 4) &&
            fieldView(ex, exrec::JyoCD) == std::string_view(raceKey).substr(8, 2) &&
            fieldView(ex, exrec::RaceNum) == std::string_view(raceKey).substr(10, 2)) {
            entry = i;
            break;
        }
    }
    const std::size_t back = count - 1 - entry;  // records after the entry
    const std::size_t start = first - std::min(back, first);
    const std::size_t slots = std::min(kMaxRuns - 1, entry - start);
    for (std::size_t s = 0; s <= slots; ++s) {
        const std::string_view ex = runs(entry - s);
        if (file.badRecord == 0) {
            if (const exrec::Member* m = exrec::firstNonDigitMember(ex)) {
                file.badRecord = entry - s + 1;
                file.badMember = m->name;
            }
        }
        copyRunToSlot(rec, ex, static_cast<int>(s));
    }
    exBuffer.assign(runs(entry - slots));
    return true;
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

RaceEntries collectRaceEntries(WindowState& st, const std::string& sePath, unsigned parts) {
    const RunConstants& run = st.run;
    RaceEntries e;
    e.fileOf.assign(static_cast<std::size_t>(run.RaceCount) + 1, 0);
    e.firstOfKey.assign(static_cast<std::size_t>(run.RaceCount) + 1, false);
    std::unordered_map<std::string_view, std::size_t> fileOfKey;
    for (int i = 1; i <= run.RaceCount; ++i) {
        const auto at = static_cast<std::size_t>(i);
        auto [it, added] = fileOfKey.emplace(run.RaceKeyList[at], e.runners.size());
        if (added) e.runners.emplace_back();
        e.fileOf[at] = it->second;
        e.firstOfKey[at] = added;
    }

    // One runner per horse number (a later record of the number replaces it).
    struct Taken {
        std::size_t file, number;
        Runner runner;
    };
    struct Part {
        std::vector<Taken> taken;
        std::string last;  // the last record taken
    };
    std::vector<Part> part(std::max(1u, parts));
    scanRecords(sePath, se::kLength, parts, [&](unsigned k, std::string_view se_) {
        char key[kRaceKeyLen];
        auto it = fileOfKey.find(raceKeyIn(fieldView(se_, se::RaceId), key));
        if (it == fileOfKey.end()) return;
        auto num = strictInt(fieldView(se_, se::Umaban));
        if (!num || *num <= 0) return;
        Part& p = part[k];
        p.taken.push_back({it->second, static_cast<std::size_t>(*num), {}});
        p.taken.back().runner.take(se_);
        p.last.assign(se_);
    });
    for (const Part& p : part) {
        for (const Taken& t : p.taken) {
            auto& file = e.runners[t.file];
            if (file.size() < t.number) file.resize(t.number);
            file[t.number - 1] = t.runner;
        }
        if (!p.last.empty()) st.SeRec = p.last;
    }
    return e;
}

int buildRaceHorseFile(WindowState& st, const RaceEntries& entries, int RaceIdx, std::vector<RaceHorseRecord>& recs,
                       std::string& fileBytes, std::string& readBuffer, std::vector<HorseFile>* horseFiles) {
    RunConstants& run = st.run;
    const auto at = static_cast<std::size_t>(RaceIdx);
    const std::string& key = run.RaceKeyList[at];
    const std::vector<Runner>& runners = entries.runners[entries.fileOf[at]];
    if (recs.size() < runners.size()) recs.resize(runners.size());
    const bool first = entries.firstOfKey[at];
    fileBytes.clear();
    for (std::size_t h = 0; h < runners.size(); ++h) {
        RaceHorseRecord& rec = recs[h];
        rec.clear();
        const Runner& runner = runners[h];
        if (runner.present) {
            rec.set(rh::Wakuban.at(0), runner.field(se::Wakuban));
            rec.set(rh::Umaban.at(0), runner.field(se::Umaban));
            rec.set(rh::KettoNum.at(0), runner.field(se::KettoNum));
            rec.set(rh::Bamei, runner.field(se::Bamei));
            rec.set(rh::CrLf, "\r\n");
            // Past runs: a race whose key came earlier in the index took them
            // already; its records are the same, only the exchange buffer is not touched again.
            std::string scratch;
            HorseFile file;
            file.found = fillPastRuns(rec, key, first ? st.ExRec : scratch, readBuffer, file);
            const std::string_view ketto = runner.field(se::KettoNum);
            if (horseFiles && ketto.find('\0') == std::string_view::npos) {
                file.ketto = ketto;
                horseFiles->push_back(std::move(file));
            }
        }
        run.Syosai[at][11] = weatherAndGoing(run, rec);
        if (first) fileBytes += rec.bytes;
    }
    if (first) writeRunFile(st, appFile(std::string(dirs::RACE) + "/" + key + suffix::DAT), fileBytes);
    return static_cast<int>(runners.size());
}

}  // namespace kv::pred
