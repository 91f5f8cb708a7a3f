#include "acquisition/structure.h"

#include <array>
#include <cstdint>
#include <initializer_list>
#include <memory>
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

namespace {

// Sorts keys k[1..n] (k[0] unused) with the program's quicksort over positions
// 1 to n and returns, per distinct key in ascending order, the 0-based index of
// the record that stays: of equal keys the one the sort leaves last.
template <class Key>
std::vector<std::size_t> sortDistinct(std::vector<Key>& k) {
    const std::size_t n = k.empty() ? 0 : k.size() - 1;
    std::vector<std::size_t> item;
    item.reserve(n + 1);
    for (std::size_t i = 0; i <= n; ++i) item.push_back(i);
    QuickSortAsc(k, item, 1, static_cast<std::int64_t>(n));
    std::vector<std::size_t> out;
    for (std::size_t p = 1; p <= n; ++p) {
        if (p == 1 || k[p] != k[p - 1])
            out.push_back(item[p] - 1);
        else
            out.back() = item[p] - 1;  // a repeated key is written over the same output record
    }
    return out;
}

// A sort key of raw record bytes packed big-endian into whole words: keys of
// the same length compare as their texts do (byte by byte, unsigned).
template <std::size_t Words>
struct PackedKey {
    std::array<std::uint64_t, Words> w{};
    friend bool operator<(const PackedKey& a, const PackedKey& b) { return a.w < b.w; }
    friend bool operator>(const PackedKey& a, const PackedKey& b) { return a.w > b.w; }
    friend bool operator!=(const PackedKey& a, const PackedKey& b) { return a.w != b.w; }
};

template <std::size_t Words>
PackedKey<Words> packKey(std::string_view rec, std::initializer_list<Field> fields) {
    PackedKey<Words> key;
    std::size_t i = 0;
    for (Field f : fields)
        for (char c : fieldView(rec, f)) {
            key.w[i / 8] |= std::uint64_t(static_cast<unsigned char>(c)) << (56 - 8 * (i % 8));
            ++i;
        }
    return key;
}

// Sort keys of a file's records, 1-based as sortDistinct takes them.
template <std::size_t Words, class Records>
std::vector<PackedKey<Words>> packedKeys(const Records& recs, std::initializer_list<Field> fields) {
    std::vector<PackedKey<Words>> keys;
    keys.reserve(recs.size() + 1);
    keys.emplace_back();
    for (std::string_view r : recs) keys.push_back(packKey<Words>(r, fields));
    return keys;
}

// Whether a runner record takes the place of a stored run: the same race date,
// race number, horse number and horse, and the stored one not made later.
bool replacesRun(std::string_view stored, double storedMade, std::string_view se, double made) {
    for (Field f : {L::Year, L::MonthDay, L::RaceNum, L::SeUmaban, L::SeKettoNum})
        if (fieldView(stored, f) != fieldView(se, f)) return false;
    return storedMade <= made;
}

// One or more files written with the same bytes, gathered from pieces (record
// views): pieces that follow each other in memory are joined, and small runs are
// collected in a reused buffer, so that no copy of a whole file is ever made.
// Each file is staged under a temporary name and put in place by finish().
class GatheredOutput {
public:
    static constexpr std::size_t kChunk = std::size_t(1) << 19;

    GatheredOutput(std::string& chunk, const std::vector<std::string>& paths) : chunk_(chunk) {
        chunk_.clear();
        chunk_.reserve(kChunk);
        for (const auto& p : paths) files_.push_back(std::make_unique<StagedFile>(p));
    }
    void add(std::string_view piece) {
        if (runLen_ > 0 && piece.data() == runAt_ + runLen_) {
            runLen_ += piece.size();
            return;
        }
        emitRun();
        runAt_ = piece.data();
        runLen_ = piece.size();
    }
    // Puts the files in place, in the order given; returns the paths not written.
    std::vector<std::string> finish() {
        emitRun();
        flush();
        std::vector<std::string> failed;
        for (auto& f : files_)
            if (!f->commit()) failed.push_back(f->path());
        return failed;
    }

private:
    void put(std::string_view bytes) {
        for (auto& f : files_) f->append(bytes);  // a failed append makes its commit fail
    }
    void flush() {
        if (!chunk_.empty()) put(chunk_);
        chunk_.clear();
    }
    void emitRun() {
        if (runLen_ == 0) return;
        const std::string_view run(runAt_, runLen_);
        runLen_ = 0;
        if (chunk_.size() + run.size() > kChunk) flush();
        if (run.size() >= kChunk)
            put(run);
        else
            chunk_ += run;
    }
    std::string& chunk_;
    std::vector<std::unique_ptr<StagedFile>> files_;
    const char* runAt_ = nullptr;
    std::size_t runLen_ = 0;
};

template <class Records>
std::vector<std::string> writeRecords(std::string& chunk, const std::vector<std::string>& paths, const Records& recs,
                                      const std::vector<std::size_t>& pick) {
    GatheredOutput out(chunk, paths);
    for (std::size_t i : pick) out.add(recs[i]);
    return out.finish();
}

// The list file of distinct keys: one quoted value per line.
template <class Records>
std::string listLines(const Records& recs, const std::vector<std::size_t>& pick, Field key) {
    std::string out;
    for (std::size_t i : pick) out += QuotedLine().textRaw(fieldView(recs[i], key)).line();
    return out;
}

// Builds the per-horse run files from the horse list's bytes and the runner
// records of "SETHISWEEKNNEW.dat" in file order.
std::size_t buildRunFiles(std::string_view list, const std::vector<std::string_view>& se, const YieldFn& yield,
                          std::vector<std::string>* failed) {
    // The horse list, as the list file holds it (quoted values, one per line).
    std::vector<std::string> horses;
    InputReader in(list);
    while (!in.atEnd()) horses.push_back(in.next());
    std::unordered_map<std::string_view, std::size_t> index;  // KettoNum -> horse (first entry)
    std::vector<std::string_view> names;
    for (const auto& h : horses) {
        if (!SafeFileName(h)) continue;  // never a file outside the run-file folder
        if (index.emplace(h, names.size()).second) names.push_back(h);
    }
    struct Run {
        std::string_view rec;
        double made;
    };
    std::vector<std::vector<Run>> runs(names.size());
    for (std::string_view rec : se) {
        if (yield) yield();
        auto it = index.find(fieldView(rec, L::SeKettoNum));
        if (it == index.end()) continue;
        auto& mine = runs[it->second];
        const double made = val(fieldView(rec, L::MakeDate));
        bool placed = false;
        for (auto& r : mine)
            if (replacesRun(r.rec, r.made, rec, made)) {
                r = {rec, made};
                placed = true;
                break;
            }
        if (!placed) mine.push_back({rec, made});
    }

    std::size_t written = 0;
    const std::string dir = appFile(dirs::UMAGOTO);
    std::string bytes;
    for (std::size_t h = 0; h < names.size(); ++h) {
        bytes.clear();
        for (const auto& r : runs[h]) bytes += r.rec;
        const std::string path = joinPath(dir, std::string(names[h]) + ".dat");
        // A file that already holds exactly these bytes is left as it is:
        // creating files is what costs, and the result is the same.
        const FileView old = readFileView(path);
        if ((old.ok() && old.bytes.view() == bytes) || writeFileAtomic(path, bytes))
            ++written;
        else if (failed)
            failed->push_back(path);
    }
    return written;
}

}  // namespace

std::vector<std::size_t> SortDistinct(const std::vector<std::string>& keys,
                                      std::vector<std::string>* distinctKeys) {
    // Positions 1 to n, as the sort is defined over them (the pivot is the
    // middle position of the range, so the numbering matters for ties).
    std::vector<std::string> k;
    k.reserve(keys.size() + 1);
    k.emplace_back();
    k.insert(k.end(), keys.begin(), keys.end());
    auto out = sortDistinct(k);
    if (distinctKeys) {
        distinctKeys->clear();
        for (std::size_t i : out) distinctKeys->push_back(keys[i]);
    }
    return out;
}

std::vector<std::size_t> SortDistinct(const std::vector<std::string>& keys) {
    return SortDistinct(keys, nullptr);
}

void PlaceRun(std::vector<std::string>& runs, std::vector<std::string>& runKeys, const std::string& se) {
    const std::string rk = RunKey(se);
    const double made = val(fieldView(se, L::MakeDate));
    for (std::size_t k = 0; k < runKeys.size(); ++k) {
        if (replacesRun(runs[k], val(std::string_view(runKeys[k]).substr(0, 8)), se, made)) {
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

std::size_t BuildUmagotoFiles(const YieldFn& yield, std::vector<std::string>* failed) {
    const FileView list = readFileView(appFile(files::KETTONUM_LIST));
    const RecordView se = RecordFile(appFile(files::SE_NEW), L::kSeLength).view();
    std::vector<std::string_view> recs;
    recs.reserve(se.size());
    for (std::string_view r : se) recs.push_back(r);
    return buildRunFiles(list.ok() ? list.bytes.view() : std::string_view(), recs, yield, failed);
}

KOUZOUTAIQUEL::KOUZOUTAIQUEL(StatusSink& menu, MessageSink& messages, Shell& shell, YieldFn yield)
    : menu_(menu), messages_(messages), shell_(shell), yield_(std::move(yield)) {}

bool KOUZOUTAIQUEL::write(const std::string& relative, std::string_view bytes) {
    const std::string path = appFile(relative);
    if (writeFileAtomic(path, bytes)) return true;
    failed_.push_back(path);
    return false;
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
    const RecordView ra = RecordFile(appFile(files::RA), L::kRaLength).view();
    auto keys = packedKeys<2>(ra, {L::Year, L::MonthDay, L::DataKubun, L::JyoCD, L::RaceNum});
    for (auto& f : writeRecords(chunk_, {appFile(files::RA_NEW), appFile(files::RA_NEW_D)}, ra, sortDistinct(keys)))
        failed_.push_back(f);
}

void KOUZOUTAIQUEL::FilterAndSortRunners() {
    const std::string sePath = appFile(files::SE);
    FileView file = readFileView(sePath);
    seKept_ = RecordView();
    seSorted_.clear();
    seSortedWritten_ = false;
    std::vector<std::string_view> kept;
    if (file.ok()) {
        seKept_ = RecordView(std::move(file.bytes), L::kSeLength);
        kept.reserve(seKept_.size());
        for (std::string_view r : seKept_)
            if (fieldView(r, L::DataKubun) != "1") kept.push_back(r);
        GatheredOutput out(chunk_, {sePath});
        for (std::string_view r : kept) out.add(r);
        for (auto& f : out.finish()) failed_.push_back(f);
    }
    removeFile(appFile(files::TEMPORARY));  // the scratch file never outlives this step

    auto keys = packedKeys<4>(kept, {L::Year, L::MonthDay, L::DataKubun, L::JyoCD, L::RaceNum, L::SeUmaban,
                                     L::SeKettoNum});
    const auto pick = sortDistinct(keys);
    const auto bad = writeRecords(chunk_, {appFile(files::SE_NEW), appFile(files::SE_NEW_D)}, kept, pick);
    seSortedWritten_ = bad.empty() || bad.front() != appFile(files::SE_NEW);
    failed_.insert(failed_.end(), bad.begin(), bad.end());
    seSorted_.reserve(pick.size());
    for (std::size_t i : pick) seSorted_.push_back(kept[i]);
}

void KOUZOUTAIQUEL::SortHorses() {
    const RecordView um = RecordFile(appFile(files::UM), L::kUmLength).view();
    umCount_ = um.size();
    auto horseKeys = packedKeys<2>(um, {L::UmKettoNum});
    const auto keep = sortDistinct(horseKeys);
    horseList_ = listLines(um, keep, L::UmKettoNum);
    horseListWritten_ = write(files::KETTONUM_LIST, horseList_);
    for (auto& f : writeRecords(chunk_, {appFile(files::UM_NEW)}, um, keep)) failed_.push_back(f);
    auto damKeys = packedKeys<2>(um, {L::UmDamHansyokuNum});
    write(files::HAHA_LIST, listLines(um, sortDistinct(damKeys), L::UmDamHansyokuNum));
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
    // The run files from what was just written, read back only when it was not.
    if (seSortedWritten_ && horseListWritten_)
        buildRunFiles(horseList_, seSorted_, yield_, &failed_);
    else
        BuildUmagotoFiles(yield_, &failed_);
    seKept_ = RecordView();
    seSorted_ = {};
    horseList_ = {};
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
