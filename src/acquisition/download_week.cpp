// ① This week's data download: the main menu's Command2.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "acquisition/download_common.h"
#include "acquisition/jvdata/jvdata.h"
#include "acquisition/menu.h"
#include "acquisition/menu_globals.h"
#include "common/appfolder.h"
#include "common/fields.h"
#include "common/recordfile.h"
#include "common/stepstate.h"
#include "platform/step_report.h"

namespace kv {
namespace {

constexpr const char* kWeekSpec = feed::WEEK;

// One week file of the read loop. Its records go to a temporary file, put in
// place under the week file's name only when the read ended well, so a kill,
// a full disk or a failed read never leaves a half-written week file.
class WeekFile {
public:
    WeekFile(const char* name, std::size_t len)
        : path_(appFile(name)), tmp_(tempNameFor(path_)), writer_(tmp_, len) {}
    ~WeekFile() { discard(); }
    void remove() const { removeFile(path_); }
    void open() {
        count_ = 0;
        writer_.open();
    }
    // Adds 1 to the counter and writes the record there; a record that cannot
    // be written is lost and counted in lost().
    void write(std::string_view fixed) { writer_.write(static_cast<std::size_t>(++count_), fixed); }
    // Drops what this press wrote: the counter goes back to where the press began.
    void restart() {
        if (!writer_.truncate(0) && count_ > 0) ++dropFailures_;
        count_ = 0;
    }
    // Closes; puts the file in place when asked and every record reached it.
    void close(bool keep) {
        writer_.close();
        if (keep && lost() == 0) {
            if (!placeFile(tmp_, path_)) lostOnPlace_ = count_;
        } else {
            discard();
        }
    }
    long count() const { return count_; }
    long lost() const { return writer_.failures() + dropFailures_ + lostOnPlace_; }
    const std::string& path() const { return path_; }

private:
    void discard() { ::unlink(tmp_.c_str()); }
    std::string path_, tmp_;
    RecordFileWriter writer_;
    long count_ = 0;
    long dropFailures_ = 0, lostOnPlace_ = 0;
};

// The five week files of the read loop.
struct WeekFiles {
    WeekFile ra{files::RA, jv::RaRecord::kLength}, se{files::SE, jv::SeRecord::kLength},
        um{files::UM, jv::UmRecord::kLength}, ks{files::KS, jv::KsRecord::kLength},
        hr{files::HR, jv::HrRecord::kLength};
    WeekFile* week[5] = {&ra, &se, &um, &ks, &hr};

    // Stores one record read in the file of its kind; other kinds are skipped.
    void store(std::string_view rec) {
        switch (jv::recordKindOf(rec)) {
        case jv::RecordKind::RA: ra.write(jv::FixRA(jv::ParseRA(rec))); break;
        case jv::RecordKind::SE: se.write(jv::FixSE(jv::ParseSE(rec))); break;
        case jv::RecordKind::UM: {
            const std::string working = jv::ParseUM(rec);
            // Horses of data kind "9" are neither counted nor written.
            if (getField(working, jv::Head::DataKubun) != "9") um.write(jv::FixUM(working));
            break;
        }
        case jv::RecordKind::KS: ks.write(jv::FixKS(jv::ParseKS(rec))); break;
        case jv::RecordKind::HR: hr.write(jv::FixHR(jv::ParseHR(rec))); break;
        default: break;
        }
    }
};

// Reads the download into the week files (opened afresh) until JV-Link has no
// more; a damaged file is downloaded again up to a few times. False on a read
// error, after its message.
bool readWeek(JVLink& jv, MessageCounter& msg, WeekFiles& weekFiles, int readCount) {
    for (WeekFile* f : weekFiles.week) {
        f->remove();
        f->open();
    }
    if (readCount <= 0) return true;
    // Each record is checked as it arrives against the layout of its week
    // file; a damaged one is stored as it reads (the files' reader names it
    // again) and named in the step's message.
    ReceivedRecords received(
        jv, kWeekSpec, {{"RA", files::RA}, {"SE", files::SE}, {"UM", files::UM}, {"KS", files::KS}, {"HR", files::HR}},
        files::RA);
    // A damaged file (-402 or -403) is read again from the start: what this
    // press stored so far goes, so that each record is stored once.
    return readDownload(
        jv, msg, kWeekSpec, true, received, [&](std::string_view rec) { weekFiles.store(rec); },
        [&] {
            for (WeekFile* f : weekFiles.week) f->restart();
        });
}

// Tells the step's report: the records the week files lost, the earlier
// unfinished run, unreadable files. True when the report counts as a failure.
bool reportFetch(MessageCounter& msg, const std::vector<std::string>& earlier, const WeekFiles& weekFiles,
                 long recordsLost) {
    StepReport report("fetch");
    report.notes(earlier);
    std::string firstLost;
    for (const WeekFile* f : weekFiles.week)
        if (f->lost() > 0) {
            report.detail(std::to_string(f->lost()) + " record(s) could not be written to " + f->path());
            if (firstLost.empty()) firstLost = fileLabel(f->path());
        }
    report.failed("週ファイルに書き込めなかったレコード", recordsLost, firstLost);
    report.action(checkDiskAction("①今週開催取得"));
    report.unreadableFiles("①今週開催取得");
    return report.tell(msg);
}

}  // namespace

void TEZF1THISWEEKNQUEL::Command2_Click() {
    LastDownload = DownloadOutcome::Completed;
    RecordsLost = 0;
    MessageCounter msg(msg_);
    const auto earlier = beginStep(GetAppPath(), steps::FETCH);
    steps::StepRun run(GetAppPath(), steps::FETCH);

    // 1. The factor weights' statistics: the self-extractor sets them up.
    if (!fileExists(appFile(std::string(dirs::OPTION1N) + "/" + option1n::STALLION))) {
        msg.message(AppPath + "に参照場所(展開フォルダ）に合わせてOKをクリックして初回予想因子パラメータをセットして下さい。");
        setText("Label1",
                "まだ、予想因子ウエイトが展開されていません。タスクバーにある展開先の指定をクリックして自己解凍EXEを起動させて下さい。");
        shell_.startProgram(AppPath + files::SELF_EXTRACTOR);  // failing to start shows nothing more
    }
    bool failed = false;

    // 2. Start text.
    setText("Text1", "今週開催取得開始しました。しばらくお待ち下さい。。。。。");
    if (yield_) yield_();

    // 3. The week's files go first, whatever happens next.
    WeekFiles weekFiles;
    for (WeekFile* f : weekFiles.week) f->remove();
    // Temporary week files a killed press left behind.
    removeStaleTemps(GetAppPath(), {files::RA, files::SE, files::UM, files::KS, files::HR});

    // 4 to 6. JV-Link, and the progress window while files are downloaded.
    const DownloadStart opened =
        startDownload(jv_, msg, kSidWeek, kWeekSpec, DownloadCount, DialogResult, ProgressModal, ProgressTickMs);
    failed = failed || opened.failed;
    if (opened.noData) LastDownload = DownloadOutcome::NoData;
    if (opened.cancelled) LastDownload = DownloadOutcome::Cancelled;

    if (opened.read) {
        // 7 to 12. The records into the week files.
        if (!readWeek(jv_, msg, weekFiles, opened.readCount)) failed = true;
        // A failed read leaves no week files (they were deleted above);
        // a finished one puts every file in place whose records all reached it.
        for (int i = 4; i >= 0; --i) {
            weekFiles.week[i]->close(!failed);
            RecordsLost += weekFiles.week[i]->lost();
        }
    }

    // 13. A download that lost records or ended on an error does not end as a success.
    jv_.JVClose();
    failed = reportFetch(msg, earlier, weekFiles, RecordsLost) || failed;
    setText("Text1", failed ? kFetchFailedText : "今週開催取得終了");
    if (failed) LastDownload = DownloadOutcome::Failed;
    run.finish(!failed && RecordsLost == 0);
}

}  // namespace kv
