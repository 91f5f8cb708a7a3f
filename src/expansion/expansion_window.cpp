// The expansion window's logic.
#include "expansion/expansion_window.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <functional>
#include <span>
#include <memory>
#include <optional>
#include <thread>
#include <unordered_map>

#include "acquisition/jvdata/race_records.h"
#include "common/appfolder.h"
#include "common/numbers.h"
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
    told.failed("計算できなかった馬", static_cast<long>(report.failedHorses), printableName(report.firstFailedKettoNum),
                "頭");
    told.action(report.tableFailure.empty()
                    ? checkDiskAction("⑤計算")
                    : "最新の予想因子ウエイトを展開し直してから、⑤計算をやり直して下さい。");
    report.unreadableFiles = static_cast<long>(unreadableFiles().size());
    told.unreadableFiles("⑤計算");
    const bool failed = !report.ok();
    setText(&ExpansionControls::Text3, "Text3", failed ? kFailedText : kEndText);
    told.tell(messages_);
    run.finish(!failed);
    return report;
}

namespace {

// The outcome of one horse, filled by a worker and read in list order.
struct HorseSlot {
    bool done = false;
    bool failed = false;
    std::vector<long> progress4;
};

// What each worker keeps from horse to horse: record and file buffers.
struct HorseBuffers {
    std::vector<std::string> records;
    std::string file, failure;
    CategoryMemo categories;
};

}  // namespace

void KORIVANEXPDTHISWEEKNQUEL::runCalculation(CalculationReport& report) {
    namespace sn = kv::stats::names;
    auto barValue = [](std::size_t count) {
        return std::min<long>(100, static_cast<long>(vbInt(static_cast<double>(count) * 100.0 / 2000.0)));
    };
    setText(&ExpansionControls::Text3, "Text3", kStartText);
    setBar(&ExpansionControls::ProgressBar3, "ProgressBar3", 0, 100);
    setBar(&ExpansionControls::ProgressBar4, "ProgressBar4", 0, 100);

    // This week's dams and horses. The bar counts them as the lists are taken in.
    const std::vector<std::string> dams = readListFile(appFile(files::HAHA_LIST), &report.damRepeats);
    for (std::size_t i = 1; i <= dams.size(); ++i) setBar(&ExpansionControls::ProgressBar3, "ProgressBar3", barValue(i));
    const std::vector<std::string> horses = readListFile(appFile(files::KETTONUM_LIST), &report.horseRepeats);
    const std::string exDir = appFile(dirs::UMAGOTOEX);
    makeDirs(exDir);
    removeStaleTemps(exDir);  // what a killed run left behind
    removeStaleTemps(appFile(dirs::OPTION1N));
    auto exPath = [&](const std::string& k) { return joinPath(exDir, k + kv::exrec::kFileSuffix); };
    for (std::size_t i = 1; i <= horses.size(); ++i)
        setBar(&ExpansionControls::ProgressBar3, "ProgressBar3", barValue(i));
    setBar(&ExpansionControls::ProgressBar3, "ProgressBar3", 0, 100);

    // Each distinct horse is worked once, in list order; a horse listed again
    // would only be worked again to the same file. slotOf maps each list entry
    // to its horse.
    std::vector<std::string> distinct;
    std::vector<std::size_t> slotOf;
    slotOf.reserve(horses.size());
    {
        std::unordered_map<std::string_view, std::size_t> seen;
        seen.reserve(horses.size());
        distinct.reserve(horses.size());
        for (const auto& h : horses) {
            auto [it, added] = seen.emplace(h, distinct.size());
            if (added) distinct.push_back(h);
            slotOf.push_back(it->second);
        }
    }
    report.horses = distinct.size();
    const std::size_t count = distinct.size();

    // Inputs read once, each file by one of the workers, all of them before the
    // horses: the week's records, the statistics, the weight tables and the
    // work file of this week's horses. The dams' work file is needed by no
    // horse: it is written while the horses are worked.
    BuildInputs inputs;
    using kv::stats::StatFile;
    StatFile kishu = StatFile::seiseki(), chokyo = StatFile::seiseki();
    StatFile stallion = StatFile::parent(), mare = StatFile::parent(), kyosoba = StatFile::kyosoba();
    const kv::coders::CoderStats stats{&kishu, &chokyo, &stallion, &mare, &kyosoba};
    WeightTables tables;
    std::string failedFile, reason;
    bool tablesOk = false;
    long hahaumaRecords = 0, kyosobaRecords = 0;
    const std::vector<std::function<void()>> loads = {
        [&] { inputs.loadPart(BuildInputs::Races); },
        [&] {
            // The coders get this week's horses also when the work file could
            // not be written, never what an earlier week left in it.
            std::string selected;
            kyosobaRecords = kv::stats::writeKyosobaThisWeek(appPath_, horses, selected);
            kyosoba.loadBytes(std::move(selected));
        },
        [&] { mare.load(kv::stats::optionFile(sn::MARE)); },
        [&] { inputs.loadPart(BuildInputs::FoalOrder); },
        [&] { inputs.loadPart(BuildInputs::Horses); },
        [&] { inputs.loadPart(BuildInputs::Jockeys); },
        [&] {
            kishu.load(kv::stats::optionFile(sn::KISHUSEISEI));
            chokyo.load(kv::stats::optionFile(sn::CHOKYOSEISEI));
            stallion.load(kv::stats::optionFile(sn::STALLION));
        },
        [&] { tablesOk = tables.loadAll(failedFile, reason); },
        // Not needed by the horses: last.
        [&] { hahaumaRecords = kv::stats::writeHahaumaThisWeek(appPath_, dams); },
    };
    const std::size_t needed = loads.size() - 1;
    std::vector<std::exception_ptr> loadErrors(loads.size());
    std::atomic<std::size_t> nextLoad{0};
    std::size_t neededLeft = needed;

    std::vector<HorseSlot> slots(count);
    std::mutex slotMu;
    std::condition_variable slotCv;
    std::atomic<std::size_t> nextHorse{0};
    std::size_t awaited = static_cast<std::size_t>(-1);  // the horse the list waits for (under slotMu)
    const std::string runDir = appFile(dirs::UMAGOTO);

    auto loadFailed = [&] {
        for (std::size_t t = 0; t < needed; ++t)
            if (loadErrors[t]) return true;
        return false;
    };

    auto work = [&]() {
        for (;;) {
            const std::size_t t = nextLoad.fetch_add(1);
            if (t >= loads.size()) break;
            try {
                loads[t]();
            } catch (...) {
                loadErrors[t] = std::current_exception();
            }
            if (t < needed) {
                std::lock_guard<std::mutex> lock(slotMu);
                if (--neededLeft == 0) slotCv.notify_all();
            }
        }
        {
            std::unique_lock<std::mutex> lock(slotMu);
            slotCv.wait(lock, [&] { return neededLeft == 0; });
            if (loadFailed()) return;
        }
        HorseBuffers buf;
        for (;;) {
            const std::size_t i = nextHorse.fetch_add(1);
            if (i >= count) return;
            HorseSlot result;
            const std::string& k = distinct[i];
            if (!SafeFileName(k)) {
                result.failed = true;  // a name leading out of the folder gets no file
            } else try {
                const RecordView runs = RecordFile(joinPath(runDir, k + suffix::DAT), kv::jv::SeRecord::kLength).view();
                std::size_t m = BuildUmagotoEx(inputs, runs, buf.records, buf.failure);
                if (!buf.failure.empty()) {
                    result.failed = true;
                } else if (tablesOk) {
                    try {
                        ExpandFactorsAndPredict(std::span<std::string>(buf.records.data(), m), tables, &stats,
                                                &result.progress4, &buf.categories);
                    } catch (const std::exception&) {
                        // The file keeps what the builder made.
                        result.failed = true;
                        m = BuildUmagotoEx(inputs, runs, buf.records, buf.failure);
                    }
                }
                // The horse's whole file at once: no torn file stands under its name.
                buf.file.clear();
                buf.file.reserve(m * kv::exrec::kLength);
                for (std::size_t j = 0; j < m; ++j) buf.file += buf.records[j];
                if (!writeFileAtomic(exPath(k), buf.file)) result.failed = true;
            } catch (const std::exception&) {
                result.failed = true;
                writeFileAtomic(exPath(k), {});
            }
            bool wake;
            {
                std::lock_guard<std::mutex> lock(slotMu);
                slots[i] = std::move(result);
                slots[i].done = true;
                wake = i == awaited;
            }
            if (wake) slotCv.notify_all();  // only the horse the list is waiting for
        }
    };

    unsigned n = threads_ ? threads_ : kv::usableCores();
    n = static_cast<unsigned>(std::min<std::size_t>(n, std::max<std::size_t>(count, 1)));
    // The workers are always joined, also when reporting the progress fails.
    struct Pool {
        std::vector<std::thread> threads;
        void join() {
            for (auto& t : threads)
                if (t.joinable()) t.join();
        }
        ~Pool() { join(); }
    } pool;
    if (n == 1) {
        work();
    } else {
        for (unsigned t = 0; t < n; ++t) pool.threads.push_back(kv::stepThread(work));
    }
    // The work files' outcome, once every worker is done (also when the
    // progress display fails below).
    bool collected = false;
    auto collectLoads = [&] {
        if (collected) return;
        collected = true;
        pool.join();
        report.hahaumaRecords = hahaumaRecords;
        report.kyosobaRecords = kyosobaRecords;
        if (hahaumaRecords < 0) report.workFileFailures.push_back(kv::stats::optionFile(sn::HAHAUMA_WEEK));
        if (kyosobaRecords < 0) report.workFileFailures.push_back(kv::stats::optionFile(sn::KYOSOBA_WEEK));
    };
    auto finishLoads = [&] {
        collectLoads();
        for (const auto& e : loadErrors)
            if (e) std::rethrow_exception(e);
    };

    try {
        {
            std::unique_lock<std::mutex> lock(slotMu);
            slotCv.wait(lock, [&] { return neededLeft == 0; });
        }
        if (loadFailed()) {
            finishLoads();
            return;
        }
        if (!tablesOk) report.tableFailure = appFile(failedFile);
        // The horse table's rows.
        const std::size_t rows = inputs.horseRows();
        for (std::size_t i = 1; i <= rows; ++i)
            setBar(&ExpansionControls::ProgressBar3, "ProgressBar3",
                   static_cast<long>(vbInt(100.0 * static_cast<double>(i) / static_cast<double>(rows))));

        // Progress and failures in list order. The horse bar makes two sweeps, one
        // per list entry each (a horse listed twice moves it twice): the building,
        // as the horses come in, then the calculation with the record bar; a
        // failed horse is counted once.
        const std::size_t listed = horses.size();
        auto barAt = [&](std::size_t i) {
            return static_cast<long>(vbInt(static_cast<double>(i + 1) * 100.0 / static_cast<double>(listed)));
        };
        auto horseBar = [&](std::size_t i) { setBar(&ExpansionControls::ProgressBar3, "ProgressBar3", barAt(i)); };
        // The list waits for its horses where the bar moves only: one wake-up per
        // step of the bar, not per horse.
        std::size_t waitedUpTo = 0;
        for (std::size_t i = 0; i < listed; ++i) {
            if (i + 1 < listed && barAt(i) == barAt(i + 1)) continue;  // the next entry shows the same
            for (; waitedUpTo <= i; ++waitedUpTo) {
                const std::size_t si = slotOf[waitedUpTo];
                std::unique_lock<std::mutex> lock(slotMu);
                awaited = si;
                slotCv.wait(lock, [&] { return slots[si].done; });
            }
            horseBar(i);
        }
        finishLoads();
        std::vector<char> seenSlot(count, 0);
        for (std::size_t i = 0; i < listed; ++i) {
            const std::size_t si = slotOf[i];
            const HorseSlot& slot = slots[si];
            for (long v : slot.progress4) setBar(&ExpansionControls::ProgressBar4, "ProgressBar4", v);
            if (!seenSlot[si]) {
                seenSlot[si] = 1;
                if (slot.failed) {
                    if (report.failedHorses == 0) report.firstFailedKettoNum = distinct[si];
                    ++report.failedHorses;
                }
            }
            horseBar(i);
            if (yield_) yield_();
        }
    } catch (...) {
        collectLoads();
        throw;
    }
}

}  // namespace kv::expansion
