#include "acquisition/odds_download.h"

#include "acquisition/download_common.h"
#include "acquisition/menu_globals.h"
#include "common/appfolder.h"
#include "common/recordfile.h"
#include "common/stepstate.h"
#include "platform/step_report.h"

#include <memory>

namespace kv {
namespace {
constexpr const char* kOddsSpec = feed::ODDS;
}  // namespace

TEZFOTHISWEEKNQUEL::TEZFOTHISWEEKNQUEL(MessageSink& messages, JVLink& jvlink, StatusSink* out)
    : AppPath(GetAppPath()), msg_(messages), jv_(jvlink), out_(out) {}

void TEZFOTHISWEEKNQUEL::setText1(const std::string& t) {
    Text1 = t;
    if (out_) out_->setText("Text1", t);
}

void TEZFOTHISWEEKNQUEL::Form_Load() { AppPath = GetAppPath(); }

void TEZFOTHISWEEKNQUEL::Command1_Click() {
    if (jv_.JVSetUIProperties() == -1) msg_.message("エラーのためJV-Linkの設定に失敗しました。");
}

void TEZFOTHISWEEKNQUEL::Command2_Click() { download(false); }
void TEZFOTHISWEEKNQUEL::Command3_Click() { download(true); }

void TEZFOTHISWEEKNQUEL::download(bool trifecta) {
    struct Kind {
        const char* id;
        const char* file;
    };
    static const Kind kWeek[] = {{"O2", files::O2_WEEK}, {"O4", files::O4_WEEK}, {"O5", files::O5_WEEK}};
    static const Kind kTrifecta[] = {{"O6", files::O6_WEEK}};
    const Kind* kinds = trifecta ? kTrifecta : kWeek;
    const int nKinds = trifecta ? 1 : 3;

    bool failed = false;
    LastDownload = DownloadOutcome::Completed;
    FileFailures = 0;
    OddsSource = 0;
    const auto earlier = beginStep(GetAppPath(), trifecta ? steps::ODDS_FETCH_TRIFECTA : steps::ODDS_FETCH);
    steps::StepRun run(GetAppPath(), trifecta ? steps::ODDS_FETCH_TRIFECTA : steps::ODDS_FETCH);
    // The records go to temporary files, put in place when the press ends; a
    // kill or a full disk leaves the previous files, a failed read empty ones.
    std::vector<std::string> names;
    for (int i = 0; i < nKinds; ++i) names.push_back(kinds[i].file);
    removeStaleTemps(GetAppPath(), names);
    std::vector<std::unique_ptr<StagedFile>> staged;
    for (int i = 0; i < nKinds; ++i) staged.push_back(std::make_unique<StagedFile>(appFile(kinds[i].file)));

    const DownloadStart opened = startDownload(jv_, msg_, trifecta ? kSidTrifecta : kSidOdds, kOddsSpec,
                                               OddsDownloadCount, OddsDialogResult, ProgressModal, ProgressTickMs);
    failed = failed || opened.failed;
    if (opened.noData) LastDownload = DownloadOutcome::NoData;
    if (opened.cancelled) LastDownload = DownloadOutcome::Cancelled;

    if (opened.read) {
        // Both presses read the same download: each checks every odds record
        // of it against the layout of its file (win odds, kept by neither,
        // against the one win odds layout) and names the damaged ones with
        // its own action. A damaged record is stored as it reads.
        ReceivedRecords received(jv_, kOddsSpec,
                                 {{"O1", files::O1_LIVE},
                                  {"O2", files::O2_WEEK},
                                  {"O4", files::O4_WEEK},
                                  {"O5", files::O5_WEEK},
                                  {"O6", files::O6_WEEK}},
                                 kinds[0].file);
        const bool readAll = readDownload(
            jv_, msg_, kOddsSpec, false, received,
            [&](std::string_view rec) {
                const std::string_view id = rec.substr(0, 2);
                for (int i = 0; i < nKinds; ++i)
                    if (id == kinds[i].id) {
                        staged[i]->append(rec);
                        break;
                    }
            },
            [&] {
                for (auto& f : staged) f->restart();
            });
        failed = !readAll || failed;
    }
    // A file whose records all arrived replaces the old one. After a read that
    // failed the file is left empty, as the press found it emptied; one whose
    // records could not all be written (a full disk) keeps its old version
    // whole, and the press fails.
    std::string firstFailed;  // the first odds file an operation failed on
    for (int i = 0; i < nKinds; ++i) {
        if (failed && staged[i]->failures() == 0)
            staged[i]->abandon(true);
        else
            staged[i]->commit();  // refused after a failed write: the old file stays
        if (staged[i]->failures() > 0 && FileFailures == 0) firstFailed = kinds[i].file;
        FileFailures += staged[i]->failures();
    }
    jv_.JVClose();
    StepReport report(trifecta ? "odds-fetch-trifecta" : "odds-fetch");
    report.notes(earlier);
    if (FileFailures > 0)
        report.detail(std::to_string(FileFailures) + " odds file operation(s) failed, first on " + firstFailed);
    report.failed("オッズファイルへの書き込みの失敗", FileFailures, firstFailed);
    report.action(checkDiskAction(trifecta ? "「今週の3連単」" : "「今週のオッズ」"));
    report.unreadableFiles(trifecta ? "「今週の3連単」" : "「今週のオッズ」");
    failed = report.tell(msg_) || failed;
    if (failed) LastDownload = DownloadOutcome::Failed;
    if (failed)
        setText1(trifecta ? "3連単オッズ取得に失敗しました。" : "オッズ取得に失敗しました。");
    else
        setText1(trifecta ? "3連単オッズ取得完了" : "オッズ取得完了");
    run.finish(LastDownload == DownloadOutcome::Completed && FileFailures == 0);
}

}  // namespace kv
