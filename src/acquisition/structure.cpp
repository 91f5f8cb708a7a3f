#include "acquisition/structure.h"

#include <cstdint>
#include <unordered_map>

#include "acquisition/structure_layout.h"
#include "common/appfolder.h"
#include "common/fields.h"
#include "common/filetime.h"
#include "common/numbers.h"
#include "common/quicksort.h"
#include "common/quoted.h"
#include "common/recordfile.h"
#include "common/stepstate.h"
#include "platform/step_report.h"

namespace kv {

namespace L = structlayout;

std::string RaSortKey(std::string_view ra) {
    std::string k;
    k.reserve(13);
    k += getField(ra, L::Year);
    k += getField(ra, L::MonthDay);
    k += getField(ra, L::DataKubun);
    k += getField(ra, L::JyoCD);
    k += getField(ra, L::RaceNum);
    return k;
}

std::string SeSortKey(std::string_view se) {
    std::string k;
    k.reserve(25);
    k += getField(se, L::Year);
    k += getField(se, L::MonthDay);
    k += getField(se, L::DataKubun);
    k += getField(se, L::JyoCD);
    k += getField(se, L::RaceNum);
    k += getField(se, L::SeUmaban);
    k += getField(se, L::SeKettoNum);
    return k;
}

std::string RunKey(std::string_view se) {
    std::string k;
    k.reserve(30);
    k += getField(se, L::MakeDate);
    k += getField(se, L::Year);
    k += getField(se, L::MonthDay);
    k += getField(se, L::RaceNum);
    k += getField(se, L::SeUmaban);
    k += getField(se, L::SeKettoNum);
    return k;
}

std::string UmHorseKey(std::string_view um) { return getField(um, L::UmKettoNum); }
std::string UmDamKey(std::string_view um) { return getField(um, L::UmDamHansyokuNum); }

std::vector<std::size_t> SortDistinct(const std::vector<std::string>& keys,
                                      std::vector<std::string>* distinctKeys) {
    const std::size_t n = keys.size();
    // Positions 1 to n, as the sort is defined over them (the pivot is the
    // middle position of the range, so the numbering matters for ties).
    std::vector<std::string> k(n + 1);
    std::vector<std::size_t> item(n + 1, 0);
    for (std::size_t i = 1; i <= n; ++i) {
        k[i] = keys[i - 1];
        item[i] = i;
    }
    QuickSortAsc(k, item, 1, static_cast<std::int64_t>(n));
    std::vector<std::size_t> out;
    if (distinctKeys) distinctKeys->clear();
    for (std::size_t p = 1; p <= n; ++p) {
        if (p == 1 || k[p] != k[p - 1]) {
            out.push_back(item[p] - 1);
            if (distinctKeys) distinctKeys->push_back(k[p]);
        } else {
            out.back() = item[p] - 1;  // a repeated key is written over the same output record
        }
    }
    return out;
}

std::vector<std::size_t> SortDistinct(const std::vector<std::string>& keys) {
    return SortDistinct(keys, nullptr);
}

void PlaceRun(std::vector<std::string>& runs, std::vector<std::string>& runKeys, const std::string& se) {
    const std::string rk = RunKey(se);
    const double made = val(std::string_view(rk).substr(0, 8));
    for (std::size_t k = 0; k < runKeys.size(); ++k) {
        const std::string& ek = runKeys[k];
        if (ek.compare(8, 22, rk, 8, 22) == 0 && val(std::string_view(ek).substr(0, 8)) <= made) {
            runs[k] = se;
            runKeys[k] = rk;
            return;
        }
    }
    runs.push_back(se);
    runKeys.push_back(rk);
}

bool SafeFileName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (char c : name)
        if (c == '/' || c == '\0') return false;
    return true;
}

namespace {

std::string listLines(const std::vector<std::string>& keys) {
    std::string out;
    for (const auto& key : keys) out += QuotedLine().textRaw(key).line();
    return out;
}

std::string recordsOf(const std::vector<std::string>& recs, const std::vector<std::size_t>& pick) {
    std::string bytes;
    bytes.reserve(pick.size() * (recs.empty() ? 0 : recs.front().size()));
    for (std::size_t i : pick) bytes += recs[i];
    return bytes;
}

}  // namespace

std::size_t BuildUmagotoFiles(const YieldFn& yield, std::vector<std::string>* failed) {
    // The horse list, as the list file holds it (quoted values, one per line).
    std::vector<std::string> horses;
    if (auto list = readFileBytes(appFile(files::KETTONUM_LIST))) {
        InputReader in(*list);
        while (!in.atEnd()) horses.push_back(in.next());
    }
    std::unordered_map<std::string, std::size_t> index;  // KettoNum -> horse (first entry)
    std::vector<std::string> names;
    for (const auto& h : horses) {
        if (!SafeFileName(h)) continue;  // never a file outside the run-file folder
        if (index.emplace(h, names.size()).second) names.push_back(h);
    }
    std::vector<std::vector<std::string>> runs(names.size()), runKeys(names.size());

    const auto se = RecordFile(appFile(files::SE_NEW), L::kSeLength).readAll();
    for (const auto& rec : se) {
        if (yield) yield();
        auto it = index.find(getField(rec, L::SeKettoNum));
        if (it == index.end()) continue;
        PlaceRun(runs[it->second], runKeys[it->second], rec);
    }

    std::size_t written = 0;
    const std::string dir = appFile(dirs::UMAGOTO);
    for (std::size_t h = 0; h < names.size(); ++h) {
        std::string bytes;
        bytes.reserve(runs[h].size() * L::kSeLength);
        for (const auto& r : runs[h]) bytes += r;
        const std::string path = joinPath(dir, names[h] + ".dat");
        // A file that already holds exactly these bytes is left as it is:
        // creating files is what costs, and the result is the same.
        const auto old = readFileBytes(path);
        if ((old && *old == bytes) || writeFileAtomic(path, bytes))
            ++written;
        else if (failed)
            failed->push_back(path);
    }
    return written;
}

KOUZOUTAIQUEL::KOUZOUTAIQUEL(StatusSink& menu, MessageSink& messages, Shell& shell, YieldFn yield)
    : menu_(menu), messages_(messages), shell_(shell), yield_(std::move(yield)) {}

void KOUZOUTAIQUEL::write(const std::string& relative, const std::string& bytes) {
    const std::string path = appFile(relative);
    if (!writeFileAtomic(path, bytes)) failed_.push_back(path);
}

void KOUZOUTAIQUEL::WeightFileCheck() {
    const std::string weights = appFile(std::string(dirs::OPTION1N) + "/KYOSOBA.dat");
    if (fileExists(weights)) {
        menu_.setBackColor("Label1", 0x80FF80);
        menu_.setText("Label1", "予想因子ウエイトは展開されています。作成日は " +
                                    fileDateTimeText(weights).value_or(std::string()) +
                                    " です。これより新しい日付の予想因子ウエイトがあれば展開して上書きして下さい。"
                                    "無ければそのまま続行して下さい。");
    } else {
        messages_.message(GetAppPath() +
                          "に参照場所(展開フォルダ）に合わせてOKをクリックして初回予想因子パラメータをセットして下さい。");
        shell_.startProgram(appFile("NEWSFX.EXE"));  // not awaited; a failure goes unreported
    }
}

void KOUZOUTAIQUEL::SortRaces() {
    const auto ra = RecordFile(appFile(files::RA), L::kRaLength).readAll();
    std::vector<std::string> keys;
    keys.reserve(ra.size());
    for (const auto& r : ra) keys.push_back(RaSortKey(r));
    const std::string bytes = recordsOf(ra, SortDistinct(keys));
    write(files::RA_NEW, bytes);
    write(files::RA_NEW_D, bytes);
}

void KOUZOUTAIQUEL::FilterAndSortRunners() {
    const RecordFile seFile(appFile(files::SE), L::kSeLength);
    std::vector<std::string> kept;
    if (auto bytes = readFileBytes(seFile.path())) {
        for (auto& r : splitRecords(*bytes, L::kSeLength))
            if (getField(r, L::DataKubun) != "1") kept.push_back(std::move(r));
        if (!seFile.writeAll(kept)) failed_.push_back(seFile.path());
    }
    removeFile(appFile(files::TEMPORARY));  // the scratch file never outlives this step

    std::vector<std::string> keys;
    keys.reserve(kept.size());
    for (const auto& r : kept) keys.push_back(SeSortKey(r));
    const std::string bytes = recordsOf(kept, SortDistinct(keys));
    write(files::SE_NEW, bytes);
    write(files::SE_NEW_D, bytes);
}

void KOUZOUTAIQUEL::SortHorses() {
    const auto um = RecordFile(appFile(files::UM), L::kUmLength).readAll();
    umCount_ = um.size();
    std::vector<std::string> horseKeys, damKeys;
    horseKeys.reserve(um.size());
    damKeys.reserve(um.size());
    for (const auto& r : um) {
        horseKeys.push_back(UmHorseKey(r));
        damKeys.push_back(UmDamKey(r));
    }
    std::vector<std::string> horses, dams;
    const auto keep = SortDistinct(horseKeys, &horses);
    write(files::KETTONUM_LIST, listLines(horses));
    write(files::UM_NEW, recordsOf(um, keep));
    SortDistinct(damKeys, &dams);
    write(files::HAHA_LIST, listLines(dams));
}

void KOUZOUTAIQUEL::Form_Load() {
    const auto earlier = beginStep(GetAppPath(), steps::STRUCTURE);
    steps::StepRun run(GetAppPath(), steps::STRUCTURE);
    // Temporary files a killed run left behind.
    removeStaleTemps(appFile(dirs::UMAGOTO));
    removeStaleTemps(GetAppPath(), {files::RA_NEW, files::SE_NEW, files::UM_NEW, files::RA_NEW_D, files::SE_NEW_D,
                                    files::KETTONUM_LIST, files::HAHA_LIST, files::SE});
    Loaded = true;
    failed_.clear();
    umCount_ = 0;
    WeightFileCheck();
    menu_.setText("Text4", "構造体処理を開始しました。しばらくお待ちください。。。。。。。");
    if (yield_) yield_();
    StepReport report("structure");
    report.notes(earlier);
    report.missingFiles({appFile(files::RA), appFile(files::SE), appFile(files::UM)}, "①今週開催取得");
    SortRaces();
    FilterAndSortRunners();
    SortHorses();
    BuildUmagotoFiles(yield_, &failed_);
    report.failedFiles(failed_);
    report.action(checkDiskAction("②構造・中止処理"));
    report.unreadableFiles("②構造・中止処理");
    const bool failed = report.tell(messages_);
    menu_.setText("Text4", failed ? std::string("構造体処理に失敗しました。")
                                  : "構造体処理終了  " + std::to_string(umCount_));
    Text1 = "中止処理を選択した場合、中止処理終了が出ますので暫くお待ち下さい。";
    Visible = true;
    run.finish(!failed);
}

void KOUZOUTAIQUEL::Command1_Click() {
    Visible = false;
    Loaded = false;
}

}  // namespace kv
