#include "acquisition/live_results.h"

#include <algorithm>
#include <map>

#include "acquisition/jvdata/jvdata.h"
#include "acquisition/structure.h"
#include "acquisition/structure_layout.h"
#include "common/appfolder.h"
#include "common/fields.h"
#include "common/numbers.h"
#include "common/quoted.h"
#include "common/recordfile.h"
#include "platform/step_report.h"
#include "common/racehorse_record.h"

namespace kv {

namespace L = structlayout;

namespace {

std::string dateOf(const std::string& ra) { return getField(ra, L::Year) + getField(ra, L::MonthDay); }

// The record a read delivered (the buffer up to the reported length).
std::string delivered(const std::string& buff, int rc, int size) {
    std::size_t n = buff.size();
    if (size > 0 && static_cast<std::size_t>(size) < n) n = static_cast<std::size_t>(size);
    if (rc > 0 && static_cast<std::size_t>(rc) < n) n = static_cast<std::size_t>(rc);
    return buff.substr(0, n);
}

}  // namespace

LiveDateList LiveDatesOf(const std::vector<std::string>& ra) {
    LiveDateList dates{};
    const long n = static_cast<long>(ra.size());
    if (n == 0) return dates;
    dates[1] = dateOf(ra[n - 1]);
    int c = 1;
    for (long i = n; i >= std::max(2L, n - 96); --i) {
        const std::string prev = dateOf(ra[i - 2]);
        if (prev != dateOf(ra[i - 1])) {
            ++c;
            dates[c] = prev;
            if (c == 3) break;
        }
    }
    return dates;
}

void LiveResultsDownload::init() {
    const int rc = jv_.JVInit(kSidLiveResults);
    if (rc != 0) messages_.message("JVInitエラー。RC=" + std::to_string(rc));
}

void LiveResultsDownload::store(const std::string& path, bool ok) {
    if (!ok && std::find(failed_.begin(), failed_.end(), path) == failed_.end()) failed_.push_back(path);
}

void LiveResultsDownload::DownloadRealtimeTanfukuOdds() {
    // The file is refilled under a temporary name, put in place at the end: a
    // kill or a full disk leaves the file as it was.
    const std::string o1 = appFile(files::O1_LIVE);
    removeStaleTemps(GetAppPath(), {files::O1_LIVE});
    StagedFile staged(o1);
    const auto ra = RecordFile(appFile(files::RA), L::kRaLength).readAll();
    const long n = static_cast<long>(ra.size());
    for (long i = n; i >= std::max(1L, n - 96); --i) {
        const std::string& rec = ra[i - 1];
        init();
        jv_.JVRTOpen(feed::LIVE_ODDS, getField(rec, L::RaceId));
        std::string buff(kLiveReadBufferSize, '\0'), fileName;
        for (int read = 0; read < 6; ++read) {
            int size = kLiveReadBufferSize;
            const int rc = jv_.JVRead(buff, size, fileName);
            if (rc == -1) break;
            // Only a read that delivered a record can add a line.
            if (rc > 0 && buff.compare(0, 2, "O1") == 0) staged.append(delivered(buff, rc, size));
        }
        jv_.JVClose();
    }
    staged.commit();  // after a failed write the old file stays whole
    store(o1, staged.failures() == 0);
}

void LiveResultsDownload::DownloadRealtimeResults() {
    liveDates_ = LiveDatesOf(RecordFile(appFile(files::RA_NEW), L::kRaLength).readAll());
    if (liveDates_[1].empty()) {
        liveDates_ = {};
        return;  // no race record, no date: nothing is fetched
    }
    // The records are added to the live files when every date is read, each
    // file written whole: a kill or a full disk leaves the files as they were.
    removeStaleTemps(GetAppPath(), {files::RA_LIVE, files::SE_LIVE, files::HR_LIVE});
    const RecordFile raLive(appFile(files::RA_LIVE), L::kRaLength);
    const RecordFile seLive(appFile(files::SE_LIVE), L::kSeLength);
    const RecordFile hrLive(appFile(files::HR_LIVE), L::kHrLength);
    std::vector<std::string> ra, se, hr;
    for (int d = 1; d <= 5; ++d) {
        init();
        jv_.JVRTOpen(feed::LIVE_RESULTS, liveDates_[d]);
        std::string buff(kLiveReadBufferSize, '\0'), fileName;
        int faults = 0;
        for (;;) {
            int size = kLiveReadBufferSize;
            const int rc = jv_.JVRead(buff, size, fileName);
            if (rc > 0) {
                const std::string rec = delivered(buff, rc, size);
                switch (jv::recordKindOf(rec)) {
                    case jv::RecordKind::RA: ra.push_back(jv::FixRA(jv::ParseRA(rec))); break;
                    case jv::RecordKind::SE: se.push_back(jv::FixSE(jv::ParseSE(rec))); break;
                    case jv::RecordKind::HR: hr.push_back(jv::FixHR(jv::ParseHR(rec))); break;
                    default: break;
                }
            } else if (rc == 0 || rc == -203) {
                break;
            } else if (++faults >= kLiveReadFaultLimit) {
                break;
            }
        }
        jv_.JVClose();
    }
    store(raLive.path(), raLive.appendAll(ra));
    store(seLive.path(), seLive.appendAll(se));
    store(hrLive.path(), hrLive.appendAll(hr));
}

namespace {

// The race-horse files touched by one update, each read once and written once.
class RaceHorseFiles {
public:
    // The record `horse` (1-based) of the race's file, or nullptr when the file
    // or the record does not exist.
    char* record(const std::string& raceKey, long long horse) {
        if (horse < 1 || !SafeFileName(raceKey)) return nullptr;
        auto it = files_.find(raceKey);
        if (it == files_.end()) {
            Entry e;
            e.path = appFile(std::string(dirs::RACE) + "/" + raceKey + suffix::DAT);
            if (auto bytes = readFileBytes(e.path)) {
                e.exists = true;
                e.bytes = std::move(*bytes);
            }
            it = files_.emplace(raceKey, std::move(e)).first;
        }
        Entry& e = it->second;
        const std::size_t count = e.bytes.size() / rh::kRecordLength;
        if (!e.exists || static_cast<unsigned long long>(horse) > count) return nullptr;
        e.dirty = true;
        return e.bytes.data() + static_cast<std::size_t>(horse - 1) * rh::kRecordLength;
    }
    void flush(std::vector<std::string>* failed) {
        for (auto& [key, e] : files_)
            if (e.dirty && !writeFileAtomic(e.path, e.bytes) && failed) failed->push_back(e.path);
    }

private:
    struct Entry {
        std::string path;
        std::string bytes;
        bool exists = false;
        bool dirty = false;
    };
    std::map<std::string, Entry> files_;
};

void put(char* rec, Field f, const std::string& value) {
    // Left-justified, blank-padded, cut at the width (the members of both sides are equally wide).
    for (std::size_t i = 0; i < f.len; ++i) rec[f.off + i] = i < value.size() ? value[i] : ' ';
}

std::string raceKeyOf(std::string_view rec) {
    return getField(rec, L::Year) + getField(rec, L::MonthDay) + getField(rec, L::JyoCD) +
           getField(rec, L::RaceNum);
}

}  // namespace

std::size_t UpdateRaceHorsesFromLive(std::vector<std::string>* failed) {
    RaceHorseFiles race;
    std::size_t updates = 0;
    for (const auto& se : RecordFile(appFile(files::SE_LIVE), L::kSeLength).readAll()) {
        char* rec = race.record(raceKeyOf(se), valLong(getField(se, L::SeUmaban)));
        if (!rec) continue;
        put(rec, rh::NyusenJyuni.at(0), getField(se, L::SeNyusenJyuni));
        put(rec, rh::Ninki.at(0), getField(se, L::SeNinki));
        put(rec, rh::Odds.at(0), getField(se, L::SeOdds));
        put(rec, rh::Time.at(0), getField(se, L::SeTime));
        put(rec, rh::HaronTimeL3.at(0), getField(se, L::SeHaronTimeL3));
        ++updates;
    }
    if (auto o1 = readFileBytes(appFile(files::O1_LIVE))) {
        namespace win = jv::O1Record::OddsTansyo;
        for (const auto& line : splitLines(*o1)) {
            const std::string key = raceKeyOf(line);
            for (std::size_t i = 1; i <= win::kArray.count; ++i) {
                const long long horse = valLong(getField(line, win::Umaban(i)));
                if (horse == 0) continue;
                char* rec = race.record(key, horse);
                if (!rec) continue;
                put(rec, rh::Ninki.at(0), getField(line, win::Ninki(i)));
                put(rec, rh::Odds.at(0), getField(line, win::Odds(i)));
                ++updates;
            }
        }
    }
    race.flush(failed);
    return updates;
}

TEZHRRIALTIME::TEZHRRIALTIME(JVLink& jvlink, MessageSink& messages) : jv_(jvlink), messages_(messages) {}

void TEZHRRIALTIME::Form_Load() {
    Loaded = true;
    beginStep(GetAppPath(), "live-results");
    StepReport report("live-results");
    report.missingFiles({appFile(files::RA)}, "①今週開催取得");
    report.missingFiles({appFile(files::RA_NEW)}, "②構造・中止処理");
    LiveResultsDownload download(jv_, messages_);
    download.DownloadRealtimeTanfukuOdds();
    download.DownloadRealtimeResults();
    liveDates_ = download.LiveDates();
    failed_ = download.FailedFiles();
    UpdateRaceHorsesFromLive(&failed_);
    report.failedFiles(failed_);
    report.action(checkDiskAction("「Ⅲ　速報着順等情報」"));
    report.unreadableFiles("「Ⅲ　速報着順等情報」");
    if (report.tell(messages_)) Label1 = "速報払戻・単勝･着順取得に失敗しました。";
    Visible = true;
}

void TEZHRRIALTIME::Command1_Click() {
    Visible = false;
    Loaded = false;
}

}  // namespace kv
