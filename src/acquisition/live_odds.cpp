#include "acquisition/live_odds.h"

#include "acquisition/download_common.h"
#include "acquisition/menu_globals.h"
#include "common/appfolder.h"
#include "common/fields.h"
#include "common/recordfile.h"
#include "platform/step_report.h"

#include <memory>

namespace kv {
namespace {
constexpr std::size_t kRaLength = 1272;
constexpr Field kRaceId{11, 16};  // Year, MonthDay, JyoCD, Kaiji, Nichiji, RaceNum
constexpr const char* kLiveOddsSpec = feed::LIVE_ODDS;
constexpr long kNewestRaces = 97;
constexpr int kReadsPerRace = 6;
}  // namespace

TEZP2RIALTIME::TEZP2RIALTIME(MessageSink& messages, YieldFn yield, JVLink& jvlink, StatusSink* out)
    : msg_(messages), yield_(std::move(yield)), jv_(jvlink), out_(out) {}

void TEZP2RIALTIME::setText1(const std::string& t) {
    Text1 = t;
    if (out_) out_->setText("Text1", t);
}

void TEZP2RIALTIME::Command1_Click() {
    struct Kind {
        const char* id;
        const char* file;
    };
    static const Kind kKinds[] = {
        {"O2", files::O2_LIVE}, {"O4", files::O4_LIVE}, {"O5", files::O5_LIVE}, {"O6", files::O6_LIVE}};

    OddsSource = 1;
    setText1("速報オッズ取得を開始します。。。。。。");
    if (yield_) yield_();
    RacesFetched = 0;
    InitFailures = 0;
    FileFailures = 0;
    // The live odds files are refilled under temporary names and put in place
    // at the end: a kill or a full disk leaves the previous files.
    removeStaleTemps(GetAppPath(), {files::O6_LIVE, files::O5_LIVE, files::O4_LIVE, files::O2_LIVE});
    std::unique_ptr<StagedFile> staged[4];
    for (int i = 0; i < 4; ++i) staged[i] = std::make_unique<StagedFile>(appFile(kKinds[i].file));

    // The whole race file at once; its last records are the newest races.
    beginStep(GetAppPath(), "live-odds");
    StepReport report("live-odds");
    report.missingFiles({appFile(files::RA_NEW)}, "②構造・中止処理");
    const std::vector<std::string> races = RecordFile(appFile(files::RA_NEW), kRaLength).readAll();
    const long n = static_cast<long>(races.size());
    const long last = n - (kNewestRaces - 1) > 1 ? n - (kNewestRaces - 1) : 1;
    std::string buffer;
    std::string fileName;
    // Each live record is checked as it arrives against the layout of its
    // live file; a damaged one is stored as it reads and named in the message.
    ReceivedRecords received(jv_, kLiveOddsSpec,
                             {{"O1", files::O1_LIVE},
                              {"O2", files::O2_LIVE},
                              {"O4", files::O4_LIVE},
                              {"O5", files::O5_LIVE},
                              {"O6", files::O6_LIVE}},
                             files::O2_LIVE);
    for (long r = n; r >= last; --r) {
        const std::string& ra = races[static_cast<std::size_t>(r - 1)];
        int rc = jv_.JVInit(kSidLiveOdds);
        if (rc != 0) {
            ++InitFailures;
            msg_.message("JVInitエラー。RC=" + std::to_string(rc));
        }
        jv_.JVRTOpen(kLiveOddsSpec, getField(ra, kRaceId));
        buffer.assign(kReadBufferSize, '\0');
        int size = kReadBufferSize;
        for (int i = 0; i < kReadsPerRace; ++i) {
            rc = jv_.JVRead(buffer, size, fileName);
            if (rc == -1) {
                received.endOfFile(fileName);
                break;
            }
            if (rc <= 0) continue;
            std::string_view rec = readRecord(buffer, rc);
            received.record(rec, fileName);
            std::string_view id = rec.substr(0, 2);
            for (int k = 0; k < 4; ++k) {
                if (id == kKinds[k].id) {
                    staged[k]->append(rec);
                    break;
                }
            }
        }
        received.finish();
        jv_.JVClose();
        ++RacesFetched;
    }
    std::string firstFailed;  // the first live odds file an operation failed on
    for (int k = 0; k < 4; ++k) {
        staged[k]->commit();  // after a failed write the old file stays whole
        if (staged[k]->failures() > 0 && FileFailures == 0) firstFailed = kKinds[k].file;
        FileFailures += staged[k]->failures();
    }
    if (FileFailures > 0)
        report.detail(std::to_string(FileFailures) + " live odds file operation(s) failed, first on " + firstFailed);
    report.failed("速報オッズファイルへの書き込みの失敗", FileFailures, firstFailed);
    report.action(checkDiskAction("「Ⅱ　速報オッズ情報」"));
    report.unreadableFiles("「Ⅱ　速報オッズ情報」");
    // JV-Link's own failures have had their messages.
    const bool failed = report.tell(msg_) || InitFailures > 0;
    setText1(failed ? "速報オッズ取得に失敗しました。" : "速報オッズ取得完了");
}

void TEZP2RIALTIME::Command2_Click() {
    setText1("速報払戻等取得を開始します。。。。。");
    if (yield_) yield_();
    OddsSource = 1;
    const bool ok = ShowLiveResults ? ShowLiveResults() : true;
    setText1(ok ? "速報払戻等取得及び処理完了" : "速報払戻等取得及び処理に失敗しました。");
}

void TEZP2RIALTIME::Command3_Click() {
    if (jv_.JVSetUIProperties() == -1) msg_.message("エラーのためJV-Linkの設定に失敗しました。");
}

}  // namespace kv
