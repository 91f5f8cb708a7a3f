#include "acquisition/cancel.h"

#include <unordered_map>

#include "acquisition/live_results.h"
#include "acquisition/structure.h"
#include "acquisition/structure_layout.h"
#include "common/appfolder.h"
#include "common/fields.h"
#include "common/recordfile.h"
#include "platform/step_report.h"

namespace kv {

namespace L = structlayout;

std::string ChushiRaceKey(std::string_view ra) {
    std::string k;
    k.reserve(12);
    k += getField(ra, L::JyoCD);
    k += getField(ra, L::Year);
    k += getField(ra, L::Kaiji);
    k += getField(ra, L::Nichiji);
    k += getField(ra, L::RaceNum);
    return k;
}

std::string ChushiRunKey(std::string_view se) {
    std::string k = ChushiRaceKey(se);  // the race id sits at the same place in both records
    k += getField(se, L::SeUmaban);
    return k;
}

std::size_t ApplyCancellations(std::vector<std::string>& copy, const std::vector<std::string>& live,
                               std::string (*key)(std::string_view)) {
    std::unordered_map<std::string, std::vector<std::size_t>> where;  // key -> every record of the copy
    for (std::size_t i = 0; i < copy.size(); ++i) where[key(copy[i])].push_back(i);
    std::size_t replaced = 0;
    for (const auto& rec : live) {
        if (getField(rec, L::DataKubun) != "9") continue;
        auto it = where.find(key(rec));
        if (it == where.end()) continue;
        for (std::size_t i : it->second) {
            copy[i] = fitRecord(rec, copy[i].size());
            ++replaced;
        }
    }
    return replaced;
}

std::vector<std::string> WithoutEntriesAndCancelled(const std::vector<std::string>& recs) {
    std::vector<std::string> out;
    out.reserve(recs.size());
    for (const auto& r : recs) {
        const std::string kind = getField(r, L::DataKubun);
        if (kind != "1" && kind != "9") out.push_back(r);
    }
    return out;
}

CHUSIRIALTIME::CHUSIRIALTIME(JVLink& jvlink, MessageSink& messages, YieldFn yield)
    : jv_(jvlink), messages_(messages), yield_(std::move(yield)) {}

void CHUSIRIALTIME::cancelInto(const char* copyName, const char* liveName, const char* rebuiltName,
                               std::size_t len, std::string (*key)(std::string_view)) {
    const RecordFile copyFile(appFile(copyName), len);
    std::vector<std::string> copy;
    const bool haveCopy = fileExists(copyFile.path());
    if (haveCopy) copy = copyFile.readAll();
    const auto live = RecordFile(appFile(liveName), len).readAll();
    if (haveCopy && ApplyCancellations(copy, live, key) > 0 && !copyFile.writeAll(copy))
        failed_.push_back(copyFile.path());
    const RecordFile rebuilt(appFile(rebuiltName), len);
    if (!rebuilt.writeAll(WithoutEntriesAndCancelled(copy))) failed_.push_back(rebuilt.path());
}

void CHUSIRIALTIME::CancelRaces() {
    cancelInto(files::RA_NEW_D, files::RA_LIVE, files::RA_NEW, L::kRaLength, ChushiRaceKey);
}

void CHUSIRIALTIME::CancelRunners() {
    cancelInto(files::SE_NEW_D, files::SE_LIVE, files::SE_NEW, L::kSeLength, ChushiRunKey);
}

void CHUSIRIALTIME::ProcessChushi() {
    LiveResultsDownload download(jv_, messages_);
    download.DownloadRealtimeResults();
    failed_ = download.FailedFiles();
    CancelRaces();
    CancelRunners();
    BuildUmagotoFiles(yield_, &failed_);
}

void CHUSIRIALTIME::Form_Load() {
    Loaded = true;
    Text1 = "中止処理中。。";
    beginStep(GetAppPath(), "cancel");
    StepReport report("cancel");
    report.missingFiles({appFile(files::RA_NEW_D), appFile(files::SE_NEW_D)}, "②構造・中止処理の構造体処理");
    ProcessChushi();
    report.failedFiles(failed_);
    report.action(checkDiskAction("②構造・中止処理"));
    report.unreadableFiles("②構造・中止処理");
    Text1 = report.tell(messages_) ? "中止処理に失敗しました。"
                                   : "中止処理終了コマンドボタンはソフトを完全に終了する時まではクリックしないで下さい。";
    Visible = true;
}

void CHUSIRIALTIME::Command1_Click() {
    Visible = false;
    Loaded = false;
}

}  // namespace kv
