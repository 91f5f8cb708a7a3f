// The expansion window's logic.
#include "expansion/expansion_window.h"

#include <algorithm>
#include <exception>
#include <functional>
#include <span>
#include <memory>
#include <optional>

#include "acquisition/jvdata/race_records.h"
#include "common/appfolder.h"
#include "common/numbers.h"
#include "common/parallel.h"
#include "common/recordfile.h"
#include "common/stepstate.h"
#include "expansion/builder.h"
#include "expansion/calc.h"
#include "expansion/coders.h"
#include "common/exrecord.h"
#include "expansion/fixday.h"
#include "expansion/stats/stat_files.h"
#include "expansion/weeklists.h"
#include "expansion/weights.h"
#include "platform/step_report.h"

namespace kv::expansion {

const char* const KORIVANEXPDTHISWEEKNQUEL::kCaption = "拡大構造体展開　Ver.2024.8.12AZ";
const char* const KORIVANEXPDTHISWEEKNQUEL::kStartText = "計算を開始しました。標準で約10分かります。。。。。。";
const char* const KORIVANEXPDTHISWEEKNQUEL::kEndText = "計算終了";
const char* const KORIVANEXPDTHISWEEKNQUEL::kFixEndText = "前日固定終了";
const char* const KORIVANEXPDTHISWEEKNQUEL::kFailedText = "計算に失敗しました。";
const char* const KORIVANEXPDTHISWEEKNQUEL::kFixFailedText = "前日固定に失敗しました。";

KORIVANEXPDTHISWEEKNQUEL::KORIVANEXPDTHISWEEKNQUEL(StatusSink& status, MessageSink& messages,
                                                   ProgressSink& progress, YieldFn yield)
    : status_(status), messages_(messages), progress_(progress), yield_(std::move(yield)) {
    c_.caption = kCaption;
    c_.Command1 = "⑤　計算(約１0分）";
    c_.Command3 = "④　　　　　　　前日固定";
    c_.Command2 = "拡大構造体処理終了";
    c_.Label4 = "拡大構造体にレース・騎手・繁殖馬・過去走の上がり･ペース･走破速度を組み込む";
    c_.Label2 = "天候･馬場状態並びに馬体重が不明な場合、晴・良・前走馬体重、初440KGに設定";
}

void KORIVANEXPDTHISWEEKNQUEL::Form_Load() { appPath_ = GetAppPath(); }

ExpansionControls KORIVANEXPDTHISWEEKNQUEL::controls() const {
    std::lock_guard<std::mutex> lock(mu_);
    return c_;
}

void KORIVANEXPDTHISWEEKNQUEL::setText(std::string ExpansionControls::*member, const char* name,
                                       const std::string& text) {
    {
        std::lock_guard<std::mutex> lock(mu_);
        c_.*member = text;
    }
    status_.setText(name, text);
}

void KORIVANEXPDTHISWEEKNQUEL::setBar(ProgressBarState ExpansionControls::*member, const char* name, long value,
                                      long max) {
    {
        std::lock_guard<std::mutex> lock(mu_);
        ProgressBarState& b = c_.*member;
        if (max >= 0) {
            b.max = max;
            b.min = 0;
        } else if (b.value == value) {
            return;  // nothing changes on screen
        }
        b.value = value;
        max = b.max;
    }
    progress_.progress(name, value, max);
}

bool KORIVANEXPDTHISWEEKNQUEL::acquire() {
    bool expected = false;
    if (!running_.compare_exchange_strong(expected, true)) return false;
    std::lock_guard<std::mutex> lock(mu_);
    c_.busy = true;
    return true;
}

void KORIVANEXPDTHISWEEKNQUEL::release() {
    {
        std::lock_guard<std::mutex> lock(mu_);
        c_.busy = false;
    }
    running_.store(false);
}

void KORIVANEXPDTHISWEEKNQUEL::Command2_Click() {
    if (!running_.load()) closeRequested_ = true;
}

bool KORIVANEXPDTHISWEEKNQUEL::Command3_Click() {
    const RunLock lock(*this);
    if (!lock.held()) return false;
    if (appPath_.empty()) Form_Load();
    const auto earlier = beginStep(appPath_, steps::FIX_PREVIOUS_DAY);
    steps::StepRun run(appPath_, steps::FIX_PREVIOUS_DAY);
    // Temporary files a killed run left behind.
    removeStaleTemps(appFile(dirs::UMAGOTO));
    removeStaleTemps(appPath_, {files::RA_NEW, files::RACE_INDEX});
    setBar(&ExpansionControls::ProgressBar1, "ProgressBar1", 0, 100);
    const FixUmagotoResult u = FixUmagotoZenjitsu();
    const FixRaceResult r =
        FixRaceZenjitsu([this](long v) { setBar(&ExpansionControls::ProgressBar1, "ProgressBar1", v); });
    StepReport report("fix-previous-day");
    report.notes(earlier);
    report.repeatsSkipped(appFile(files::KETTONUM_LIST), u.repeatsSkipped);
    report.action(checkDiskAction("④前日固定"));
    if (!r.ok && !r.unwritableFile.empty()) {
        report.detail("could not write " + r.unwritableFile);
        report.failedSentence(fileLabel(appFile(r.unwritableFile)) +
                              " を書き込めないため、天候・馬場状態を設定できませんでした。");
    } else if (!r.ok && !fileExists(appFile(files::RA_NEW))) {
        report.missingFiles({appFile(files::RA_NEW)}, "②構造・中止処理");
    } else if (!r.ok) {
        report.failedSentence(std::string(files::RA_NEW) + " が空のため、天候・馬場状態を設定できませんでした。");
        report.action("①今週開催取得と②構造・中止処理をやり直して下さい。");
    }
    if (u.failed > 0) report.detail(std::to_string(u.failed) + " horse(s) not fixed, first " + u.firstFailed);
    report.failed("前日固定できなかった馬", u.failed, printableName(u.firstFailed), "頭");
    report.unreadableFiles("④前日固定");
    const bool ok = !report.tell(messages_) && r.ok && u.failed == 0;
    setText(&ExpansionControls::Text1, "Text1", ok ? kFixEndText : kFixFailedText);
    run.finish(ok);
    return ok;
}

CalculationReport KORIVANEXPDTHISWEEKNQUEL::Command1_Click() {
    CalculationReport report;
    const RunLock lock(*this);
    if (!lock.held()) return report;
    report.started = true;
    if (appPath_.empty()) Form_Load();
    const auto earlier = beginStep(appPath_, steps::CALCULATE);
    steps::StepRun run(appPath_, steps::CALCULATE);
    // Inputs of other steps the run goes on without.
    StepReport told("calculate");
    told.notes(earlier);
    told.missingFiles({appFile(files::KETTONUM_LIST), appFile(files::HAHA_LIST)}, "②構造・中止処理");
    {
        namespace sn = kv::stats::names;
        using kv::stats::optionFile;
        told.missingFiles({optionFile(sn::KISHUSEISEI), optionFile(sn::CHOKYOSEISEI), optionFile(sn::STALLION),
                           optionFile(sn::MARE), optionFile(sn::KYOSOBA)},
                          "予想因子ウエイトの展開（自己解凍EXE）");
    }
    try {
        runCalculation(report);
    } catch (const std::exception& e) {
        // Nothing outside one horse is expected to fail; if it does, say so.
        report.error = e.what();
    }
    told.repeatsSkipped(appFile(files::HAHA_LIST), report.damRepeats);
    told.repeatsSkipped(appFile(files::KETTONUM_LIST), report.horseRepeats);
    if (!report.error.empty()) {
        told.detail(report.error);
        told.failedSentence("計算が途中で止まりました。");
    }
    if (!report.tableFailure.empty()) {
        told.detail("factor weight table unreadable: " + report.tableFailure);
        told.failedSentence("因子ウエイトファイル " + fileLabel(report.tableFailure) +
                            " を読み込めないため、因子と予想速度を計算できませんでした。");
    }
    told.failedFiles(report.workFileFailures);
    if (report.failedHorses > 0)
        told.detail(std::to_string(report.failedHorses) + " horse(s) failed, first " + report.firstFailedKettoNum);
    std::string firstFailed = printableName(report.firstFailedKettoNum);
    if (!report.firstFailedData.empty()) firstFailed += "、" + printableName(report.firstFailedData, 200);
    told.failed("計算できなかった馬", static_cast<long>(report.failedHorses), firstFailed, "頭");
    // Horses failed by their runs' data alone: the runs are written again, not the disk checked.
    const bool dataOnly = report.failedHorses > 0 && report.dataFailedHorses == report.failedHorses &&
                          report.error.empty() && report.workFileFailures.empty();
    told.action(!report.tableFailure.empty()
                    ? "最新の予想因子ウエイトを展開し直してから、⑤計算をやり直して下さい。"
                : dataOnly ? "②構造・中止処理をやり直してから、⑤計算をやり直して下さい。"
                           : checkDiskAction("⑤計算"));
    report.unreadableFiles = static_cast<long>(unreadableFiles().size());
    told.unreadableFiles("⑤計算");
    const bool failed = !report.ok();
    setText(&ExpansionControls::Text3, "Text3", failed ? kFailedText : kEndText);
    told.tell(messages_);
    run.finish(!failed);
    return report;
}

// What the horses are worked from, each file read once: the week's records,
// the statistics, the weight tables and the work file of this week's horses.
// The dams' work file is needed by no horse; it is written beside them.
struct KORIVANEXPDTHISWEEKNQUEL::CalculationInputs {
    using StatFile = kv::stats::StatFile;
    BuildInputs inputs;
    StatFile kishu = StatFile::seiseki(), chokyo = StatFile::seiseki();
    StatFile stallion = StatFile::parent(), mare = StatFile::parent(), kyosoba = StatFile::kyosoba();
    const kv::coders::CoderStats stats{&kishu, &chokyo, &stallion, &mare, &kyosoba};
    WeightTables tables;
    std::string failedFile, reason;  // the weight table that could not be read
    bool tablesOk = false;
    long hahaumaRecords = 0, kyosobaRecords = 0;
    std::string runDir, exDir;       // the horses' run files, their expanded files
    // Each load's failure, in load order; the horses need all but the last.
    std::vector<std::exception_ptr> failures;

    CalculationInputs() = default;
    CalculationInputs(const CalculationInputs&) = delete;
    CalculationInputs& operator=(const CalculationInputs&) = delete;
    // Throws the first failure of the loads the horses need, or of every load.
    void throwFailure(bool neededOnly) const {
        const std::size_t upTo = neededOnly && !failures.empty() ? failures.size() - 1 : failures.size();
        for (std::size_t t = 0; t < upTo; ++t)
            if (failures[t]) std::rethrow_exception(failures[t]);
    }
};

// The outcome of one horse.
struct KORIVANEXPDTHISWEEKNQUEL::HorseOutcome {
    bool failed = false;
    std::string data;  // what of the horse's data failed it (DataFault::data()), if that did
    std::vector<long> progress4;
};

// What each worker keeps from horse to horse: record and file buffers.
struct KORIVANEXPDTHISWEEKNQUEL::HorseBuffers {
    std::vector<std::string> records;
    std::string file, failure;
    CategoryMemo categories;
};

namespace {

// What of the data a failure tells of; empty when it is no fault of the data.
std::string dataOf(const std::exception& e) {
    const auto* d = dynamic_cast<const DataFault*>(&e);
    return d ? d->data() : std::string();
}

// The horse bar at list entry i: the two sweeps over the list move it alike.
long horseBarAt(std::size_t i, std::size_t listed) {
    return static_cast<long>(vbInt(static_cast<double>(i + 1) * 100.0 / static_cast<double>(listed)));
}

}  // namespace

void KORIVANEXPDTHISWEEKNQUEL::runCalculation(CalculationReport& report) {
    auto listBar = [this](std::size_t count) {
        const long v = std::min<long>(100, static_cast<long>(vbInt(static_cast<double>(count) * 100.0 / 2000.0)));
        setBar(&ExpansionControls::ProgressBar3, "ProgressBar3", v);
    };
    setText(&ExpansionControls::Text3, "Text3", kStartText);
    setBar(&ExpansionControls::ProgressBar3, "ProgressBar3", 0, 100);
    setBar(&ExpansionControls::ProgressBar4, "ProgressBar4", 0, 100);

    // This week's dams and horses. The bar counts them as the lists are taken in.
    const std::vector<std::string> dams = readListFile(appFile(files::HAHA_LIST), &report.damRepeats);
    for (std::size_t i = 1; i <= dams.size(); ++i) listBar(i);
    // Each horse once (the list's reader passes over a horse listed again).
    const std::vector<std::string> horses = readListFile(appFile(files::KETTONUM_LIST), &report.horseRepeats);
    CalculationInputs in;
    in.runDir = appFile(dirs::UMAGOTO);
    in.exDir = appFile(dirs::UMAGOTOEX);
    makeDirs(in.exDir);
    removeStaleTemps(in.exDir);  // what a killed run left behind
    removeStaleTemps(appFile(dirs::OPTION1N));
    for (std::size_t i = 1; i <= horses.size(); ++i) listBar(i);
    setBar(&ExpansionControls::ProgressBar3, "ProgressBar3", 0, 100);
    report.horses = horses.size();

    unsigned workers = threads_ ? threads_ : kv::usableCores();
    workers = static_cast<unsigned>(std::min<std::size_t>(workers, std::max<std::size_t>(horses.size(), 1)));
    loadCalculationInputs(in, horses, dams, workers);
    namespace sn = kv::stats::names;
    report.hahaumaRecords = in.hahaumaRecords;
    report.kyosobaRecords = in.kyosobaRecords;
    if (in.hahaumaRecords < 0) report.workFileFailures.push_back(kv::stats::optionFile(sn::HAHAUMA_WEEK));
    if (in.kyosobaRecords < 0) report.workFileFailures.push_back(kv::stats::optionFile(sn::KYOSOBA_WEEK));
    in.throwFailure(true);  // the horses are not worked without their inputs
    if (!in.tablesOk) report.tableFailure = appFile(in.failedFile);
    // The horse table's rows.
    const std::size_t rows = in.inputs.horseRows();
    for (std::size_t i = 1; i <= rows; ++i)
        setBar(&ExpansionControls::ProgressBar3, "ProgressBar3",
               static_cast<long>(vbInt(100.0 * static_cast<double>(i) / static_cast<double>(rows))));

    const std::vector<HorseOutcome> outcomes = workHorses(in, horses, workers);
    in.throwFailure(false);
    reportHorses(report, horses, outcomes);
}

// The inputs are read on the workers, a file each, all of them before the horses.
void KORIVANEXPDTHISWEEKNQUEL::loadCalculationInputs(CalculationInputs& in, const std::vector<std::string>& horses,
                                                     const std::vector<std::string>& dams, unsigned workers) {
    namespace sn = kv::stats::names;
    const std::vector<std::function<void()>> loads = {
        [&] { in.inputs.loadPart(BuildInputs::Races); },
        [&] {
            // The coders get this week's horses also when the work file could
            // not be written, never what an earlier week left in it.
            std::string selected;
            in.kyosobaRecords = kv::stats::writeKyosobaThisWeek(appPath_, horses, selected);
            in.kyosoba.loadBytes(std::move(selected));
        },
        [&] { in.mare.load(kv::stats::optionFile(sn::MARE)); },
        [&] { in.inputs.loadPart(BuildInputs::FoalOrder); },
        [&] { in.inputs.loadPart(BuildInputs::Horses); },
        [&] { in.inputs.loadPart(BuildInputs::Jockeys); },
        [&] {
            in.kishu.load(kv::stats::optionFile(sn::KISHUSEISEI));
            in.chokyo.load(kv::stats::optionFile(sn::CHOKYOSEISEI));
            in.stallion.load(kv::stats::optionFile(sn::STALLION));
        },
        [&] { in.tablesOk = in.tables.loadAll(in.failedFile, in.reason); },
        // Not needed by the horses: last.
        [&] { in.hahaumaRecords = kv::stats::writeHahaumaThisWeek(appPath_, dams); },
    };
    // Every load runs, also after another failed.
    in.failures.assign(loads.size(), nullptr);
    kv::orderedForEach(loads.size(), workers, [&](std::size_t t, unsigned) {
        try {
            loads[t]();
        } catch (...) {
            in.failures[t] = std::current_exception();
        }
    });
}

// The horses are worked on the workers, in list order. The horse bar's first
// sweep moves one step per horse as it and every one before it are done.
auto KORIVANEXPDTHISWEEKNQUEL::workHorses(const CalculationInputs& in, const std::vector<std::string>& horses,
                                          unsigned workers) -> std::vector<HorseOutcome> {
    const std::size_t listed = horses.size();
    std::vector<HorseOutcome> outcomes(horses.size());
    std::vector<HorseBuffers> buffers(std::max(workers, 1u));
    std::size_t shown = 0;  // the horses done
    kv::orderedForEach(
        horses.size(), workers,
        [&](std::size_t i, unsigned w) { outcomes[i] = workHorse(in, horses[i], buffers[w]); },
        [&](std::size_t i) {
            for (; shown < listed && shown <= i; ++shown) {
                // A horse showing the same as the next is passed over.
                if (shown + 1 < listed && horseBarAt(shown, listed) == horseBarAt(shown + 1, listed)) continue;
                setBar(&ExpansionControls::ProgressBar3, "ProgressBar3", horseBarAt(shown, listed));
            }
        });
    return outcomes;
}

// One horse: its expanded records built from its run file, their factors and
// predictions calculated, and its file written whole, so that no torn file
// stands under its name. A failed calculation leaves what the builder made.
KORIVANEXPDTHISWEEKNQUEL::HorseOutcome KORIVANEXPDTHISWEEKNQUEL::workHorse(const CalculationInputs& in,
                                                                         const std::string& k, HorseBuffers& buf) {
    HorseOutcome result;
    if (!SafeFileName(k)) {
        result.failed = true;  // a name leading out of the folder gets no file
        return result;
    }
    auto exPath = [&] { return joinPath(in.exDir, k + kv::exrec::kFileSuffix); };
    try {
        const RecordView runs = RecordFile(joinPath(in.runDir, k + suffix::DAT), kv::jv::SeRecord::kLength).view();
        std::size_t m = BuildUmagotoEx(in.inputs, runs, buf.records, buf.failure);
        if (!buf.failure.empty()) {
            result.failed = true;
        } else if (in.tablesOk) {
            try {
                ExpandFactorsAndPredict(std::span<std::string>(buf.records.data(), m), in.tables, &in.stats,
                                        &result.progress4, &buf.categories);
            } catch (const std::exception& e) {
                result.failed = true;
                result.data = dataOf(e);
                m = BuildUmagotoEx(in.inputs, runs, buf.records, buf.failure);
            }
        }
        buf.file.clear();
        buf.file.reserve(m * kv::exrec::kLength);
        for (std::size_t j = 0; j < m; ++j) buf.file += buf.records[j];
        if (!writeFileAtomic(exPath(), buf.file)) result.failed = true;
    } catch (const std::exception&) {
        result.failed = true;
        writeFileAtomic(exPath(), {});
    }
    return result;
}

// The horse bar's second sweep, one step per horse, with the record bar of
// the horse; the failed horses counted.
void KORIVANEXPDTHISWEEKNQUEL::reportHorses(CalculationReport& report, const std::vector<std::string>& horses,
                                            const std::vector<HorseOutcome>& outcomes) {
    const std::size_t listed = horses.size();
    for (std::size_t i = 0; i < listed; ++i) {
        const HorseOutcome& horse = outcomes[i];
        for (long v : horse.progress4) setBar(&ExpansionControls::ProgressBar4, "ProgressBar4", v);
        if (horse.failed) {
            if (report.failedHorses == 0) {
                report.firstFailedKettoNum = horses[i];
                report.firstFailedData = horse.data;
            }
            ++report.failedHorses;
            if (!horse.data.empty()) ++report.dataFailedHorses;
        }
        setBar(&ExpansionControls::ProgressBar3, "ProgressBar3", horseBarAt(i, listed));
        if (yield_) yield_();
    }
}

}  // namespace kv::expansion
