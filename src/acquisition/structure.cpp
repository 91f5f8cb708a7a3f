#include "acquisition/structure.h"


#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <limits>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "acquisition/structure_layout.h"
#include "common/appfolder.h"
#include "common/fields.h"
#include "common/filetime.h"
#include "common/numbers.h"
#include "common/parallel.h"
#include "common/quicksort.h"
#include "common/quoted.h"
#include "common/recordfile.h"
#include "common/stepstate.h"
#include "platform/step_report.h"

namespace kv {

namespace L = structlayout;


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

// Whether two runner records are of the same run: the same race date, race
// number, horse number and horse. A record takes the place of a stored run of
// the same run that was not made later.
bool sameRun(std::string_view stored, std::string_view se) {
    for (Field f : {L::Year, L::MonthDay, L::RaceNum, L::SeUmaban, L::SeKettoNum})
        if (fieldView(stored, f) != fieldView(se, f)) return false;
    return true;
}

// A file written from pieces (record views): pieces that follow each other in
// memory are joined, small runs are collected in a reused buffer, large ones
// go out as they are, so that no copy of a whole file is ever made. The file
// is staged under a temporary name and put in place by finish().
class GatheredOutput {
public:
    static constexpr std::size_t kChunk = std::size_t(1) << 19;

    GatheredOutput(std::string& chunk, const std::string& path) : chunk_(chunk), file_(path) {
        chunk_.clear();
        chunk_.reserve(kChunk);
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
    bool finish() {
        emitRun();
        flush();
        return file_.commit();
    }

private:
    void flush() {
        if (!chunk_.empty()) file_.append(chunk_);  // a failed append makes the commit fail
        chunk_.clear();
    }
    void emitRun() {
        if (runLen_ == 0) return;
        const std::string_view run(runAt_, runLen_);
        runLen_ = 0;
        if (chunk_.size() + run.size() > kChunk) flush();
        if (run.size() >= kChunk)
            file_.append(run);
        else
            chunk_ += run;
    }
    std::string& chunk_;
    StagedFile file_;
    const char* runAt_ = nullptr;
    std::size_t runLen_ = 0;
};

template <class Records>
bool writeRecords(std::string& chunk, const std::string& path, const Records& recs, const std::vector<std::size_t>* pick) {
    GatheredOutput out(chunk, path);
    if (pick)
        for (std::size_t i : *pick) out.add(recs[i]);
    else
        for (std::string_view r : recs) out.add(r);
    return out.finish();
}

// The list file of distinct keys: one quoted value per line.
template <class Records>
std::string listLines(const Records& recs, const std::vector<std::size_t>& pick, Field key) {
    std::string out;
    for (std::size_t i : pick) out += QuotedLine().textRaw(fieldView(recs[i], key)).line();
    return out;
}

// The writers' threads, each with its own reused buffer: more threads than
// cores gain nothing, more than four neither (the work is writing files).
unsigned writerThreads(std::vector<std::string>& buffers) {
    const unsigned threads = std::min(4u, kv::usableCores());
    if (buffers.size() < threads) buffers.resize(threads);
    return threads;
}

// The horses' runs: the runner records each horse's run file holds, in order.
struct HorseRuns {
    std::vector<std::string> horses;      // the list as read (quoted values, one per line)
    std::vector<std::string_view> names;  // file names: the safe horses, each once
    std::vector<std::string_view> runs;   // every horse's runs, horse after horse
    std::vector<std::size_t> first, count;  // where a horse's runs are in `runs`
};

HorseRuns placeRuns(std::string_view list, const std::vector<std::string_view>& se, const YieldFn& yield) {
    HorseRuns h;
    InputReader in(list);
    while (!in.atEnd()) h.horses.push_back(in.next());
    std::unordered_map<std::string_view, std::size_t> index;  // KettoNum -> horse (first entry)
    index.reserve(h.horses.size());
    for (const auto& name : h.horses) {
        if (!SafeFileName(name)) continue;  // never a file outside the run-file folder
        if (index.emplace(name, h.names.size()).second) h.names.push_back(name);
    }
    // Each horse's records in file order, all in one array.
    constexpr std::size_t kNone = ~std::size_t(0);
    std::vector<std::size_t> owner;
    owner.reserve(se.size());
    h.count.assign(h.names.size(), 0);
    for (std::string_view rec : se) {
        if (yield) yield();
        auto it = index.find(fieldView(rec, L::SeKettoNum));
        owner.push_back(it == index.end() ? kNone : it->second);
        if (it != index.end()) ++h.count[it->second];
    }
    h.first.assign(h.names.size(), 0);
    std::size_t total = 0;
    for (std::size_t i = 0; i < h.names.size(); ++i) {
        h.first[i] = total;
        total += h.count[i];
    }
    h.runs.resize(total);
    {
        std::vector<std::size_t> at = h.first;
        for (std::size_t r = 0; r < se.size(); ++r)
            if (owner[r] != kNone) h.runs[at[owner[r]]++] = se[r];
    }
    // A record takes the place of the first stored run of the same run that
    // was not made later; otherwise it is added. Creation dates are worked out
    // only when a run matches another.
    constexpr double kUnknown = std::numeric_limits<double>::quiet_NaN();
    std::vector<double> made;
    auto madeOf = [](double& m, std::string_view rec) {
        if (std::isnan(m)) m = val(fieldView(rec, L::MakeDate));
        return m;
    };
    for (std::size_t i = 0; i < h.names.size(); ++i) {
        std::string_view* runs = h.runs.data() + h.first[i];
        made.clear();
        std::size_t kept = 0;
        for (std::size_t r = 0; r < h.count[i]; ++r) {
            const std::string_view rec = runs[r];
            double m = kUnknown;
            std::size_t k = 0;
            while (k < kept && !(sameRun(runs[k], rec) && madeOf(made[k], runs[k]) <= madeOf(m, rec))) ++k;
            if (k < kept) {
                runs[k] = rec;
                made[k] = m;
            } else {
                runs[kept++] = rec;
                made.push_back(m);
            }
        }
        h.count[i] = kept;
    }
    return h;
}

// Horses per task when the run files are written on several threads.
constexpr std::size_t kHorsesPerTask = 32;

// Writes horse h's run file; false when it could not be written.
bool writeRunFile(const HorseRuns& h, std::size_t i, const std::string& dir,
                  const std::unordered_set<std::string>* present, std::string& bytes) {
    bytes.clear();
    for (std::size_t r = 0; r < h.count[i]; ++r) bytes += h.runs[h.first[i] + r];
    const std::string name = std::string(h.names[i]) + suffix::DAT;
    const std::string path = joinPath(dir, name);
    // A file that already holds exactly these bytes is left as it is:
    // creating files is what costs, and the result is the same.
    if ((!present || present->count(name)) && fileHolds(path, bytes)) return true;
    return writeFileAtomic(path, bytes);
}

// The names in a folder (of any kind); nullopt when it cannot be listed.
std::optional<std::unordered_set<std::string>> namesIn(const std::string& dir) {
    std::error_code ec;
    std::filesystem::directory_iterator it(dir, ec), end;
    if (ec) return std::nullopt;
    std::unordered_set<std::string> names;
    for (; it != end; it.increment(ec)) {
        if (ec) return std::nullopt;
        names.insert(it->path().filename().string());
    }
    if (ec) return std::nullopt;
    return names;
}

// The run files of the horses, written by a task pool, a few horses per task.
class RunFiles {
public:
    RunFiles(const HorseRuns& horses, std::string dir)
        : horses_(horses), dir_(std::move(dir)), present_(namesIn(dir_)), ok_(horses.names.size(), 0) {}
    void push(kv::TaskQueue& pool, std::vector<std::string>& buffers) {
        for (std::size_t first = 0; first < horses_.names.size(); first += kHorsesPerTask)
            pool.push([this, first, &buffers](unsigned t) {
                std::string& buffer = buffers[t];
                try {
                    for (std::size_t i = first; i < std::min(first + kHorsesPerTask, horses_.names.size()); ++i)
                        ok_[i] = writeRunFile(horses_, i, dir_, present_ ? &*present_ : nullptr, buffer);
                } catch (const std::exception&) {
                    // out of memory: the task's files count as not written
                }
            });
    }
    // Once the pool is done: the number written; the paths not written go to `failed`.
    std::size_t collect(std::vector<std::string>* failed) const {
        std::size_t written = 0;
        for (std::size_t i = 0; i < horses_.names.size(); ++i) {
            if (ok_[i])
                ++written;
            else if (failed)
                failed->push_back(joinPath(dir_, std::string(horses_.names[i]) + suffix::DAT));
        }
        return written;
    }

private:
    const HorseRuns& horses_;
    const std::string dir_;
    const std::optional<std::unordered_set<std::string>> present_;
    std::vector<char> ok_;
};

// Everything the step writes, gathered before any file is written.
struct Prepared {
    RecordView ra, se, um;
    std::vector<std::size_t> raPick, sePick, umPick;
    bool seRead = false;
    std::vector<std::string_view> seKept;  // runner records kept, in file order
    std::string horseList, damList;
};

void prepareRaces(Prepared& w) {
    w.ra = RecordFile(appFile(files::RA), L::kRaLength).view();
    auto keys = packedKeys<2>(w.ra, {L::Year, L::MonthDay, L::DataKubun, L::JyoCD, L::RaceNum});
    w.raPick = sortDistinct(keys);
}

void prepareRunners(Prepared& w) {
    FileView file = readFileView(appFile(files::SE));
    w.seRead = file.ok();
    if (w.seRead) {
        w.se = RecordView(std::move(file.bytes), L::kSeLength);
        w.seKept.reserve(w.se.size());
        for (std::string_view r : w.se)
            if (fieldView(r, L::DataKubun) != "1") w.seKept.push_back(r);
    }
    auto keys = packedKeys<4>(w.seKept, {L::Year, L::MonthDay, L::DataKubun, L::JyoCD, L::RaceNum, L::SeUmaban,
                                         L::SeKettoNum});
    w.sePick = sortDistinct(keys);
}

void prepareHorses(Prepared& w) {
    w.um = RecordFile(appFile(files::UM), L::kUmLength).view();
    auto horseKeys = packedKeys<2>(w.um, {L::UmKettoNum});
    w.umPick = sortDistinct(horseKeys);
    w.horseList = listLines(w.um, w.umPick, L::UmKettoNum);
    auto damKeys = packedKeys<2>(w.um, {L::UmDamHansyokuNum});
    w.damList = listLines(w.um, sortDistinct(damKeys), L::UmDamHansyokuNum);
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

std::size_t BuildUmagotoFiles(const YieldFn& yield, std::vector<std::string>* failed) {
    const FileView list = readFileView(appFile(files::KETTONUM_LIST));
    const RecordView se = RecordFile(appFile(files::SE_NEW), L::kSeLength).view();
    std::vector<std::string_view> recs;
    recs.reserve(se.size());
    for (std::string_view r : se) recs.push_back(r);
    const HorseRuns h = placeRuns(list.ok() ? list.bytes.view() : std::string_view(), recs, yield);
    RunFiles files(h, appFile(dirs::UMAGOTO));
    std::vector<std::string> buffers;
    {
        kv::TaskQueue pool(writerThreads(buffers));
        files.push(pool, buffers);
        pool.finish();
    }
    const std::size_t written = files.collect(failed);
    return written;
}

KOUZOUTAIQUEL::KOUZOUTAIQUEL(StatusSink& menu, MessageSink& messages, Shell& shell, YieldFn yield)
    : menu_(menu), messages_(messages), shell_(shell), yield_(std::move(yield)) {}

void KOUZOUTAIQUEL::WeightFileCheck() {
    const std::string weights = appFile(std::string(dirs::OPTION1N) + "/" + option1n::KYOSOBA);
    if (fileExists(weights)) {
        menu_.setBackColor("Label1", 0x80FF80);
        menu_.setText("Label1", "予想因子ウエイトは展開されています。作成日は " +
                                    fileDateTimeText(weights).value_or(std::string()) +
                                    " です。これより新しい日付の予想因子ウエイトがあれば展開して上書きして下さい。"
                                    "無ければそのまま続行して下さい。");
    } else {
        messages_.message(GetAppPath() +
                          "に参照場所(展開フォルダ）に合わせてOKをクリックして初回予想因子パラメータをセットして下さい。");
        shell_.startProgram(appFile(files::SELF_EXTRACTOR));  // not awaited; a failure goes unreported
    }
}

void KOUZOUTAIQUEL::WriteFiles() {
    Prepared w;
    HorseRuns horses;
    std::optional<RunFiles> runFiles;
    // The files, in the order their failures are reported; each is written
    // as soon as what it holds is known, while the rest is worked out.
    enum { RaNew, RaNewD, Se, SeNew, SeNewD, HorseList, UmNew, DamList, kFiles };
    const char* const names[kFiles] = {files::RA_NEW,        files::RA_NEW_D, files::SE,
                                       files::SE_NEW,        files::SE_NEW_D, files::KETTONUM_LIST,
                                       files::UM_NEW,        files::HAHA_LIST};
    std::vector<char> fileOk(kFiles, 1);
    {
        kv::TaskQueue pool(writerThreads(chunks_));
        // Every task catches what it throws (out of memory): its files count as not written.
        auto records = [&](int f, const auto& recs, const std::vector<std::size_t>* pick) {
            fileOk[f] = 0;
            pool.push([this, &fileOk, f, &recs, pick, path = appFile(names[f])](unsigned t) {
                try {
                    fileOk[f] = writeRecords(chunks_[t], path, recs, pick);
                } catch (const std::exception&) {
                }
            });
        };
        auto text = [&](int f, const std::string& bytes) {
            fileOk[f] = 0;
            pool.push([&fileOk, f, &bytes, path = appFile(names[f])](unsigned) {
                try {
                    fileOk[f] = writeFileAtomic(path, bytes);
                } catch (const std::exception&) {
                }
            });
        };
        // The files are prepared one after the other: first looks at a file's
        // pages do not go faster side by side, writing beside them does.
        prepareRaces(w);
        records(RaNew, w.ra, &w.raPick);
        records(RaNewD, w.ra, &w.raPick);
        prepareRunners(w);
        if (w.seRead) records(Se, w.seKept, nullptr);
        records(SeNew, w.seKept, &w.sePick);
        records(SeNewD, w.seKept, &w.sePick);
        removeFile(appFile(files::TEMPORARY));  // the scratch file never outlives this step
        prepareHorses(w);
        text(HorseList, w.horseList);
        records(UmNew, w.um, &w.umPick);
        text(DamList, w.damList);

        // The run files from the sorted runner records, as "SETHISWEEKNNEW.dat"
        // holds them, and the horse list as written.
        std::vector<std::string_view> seSorted;
        seSorted.reserve(w.sePick.size());
        for (std::size_t i : w.sePick) seSorted.push_back(w.seKept[i]);
        horses = placeRuns(w.horseList, seSorted, yield_);
        runFiles.emplace(horses, appFile(dirs::UMAGOTO));
        runFiles->push(pool, chunks_);
        pool.finish();
    }
    umCount_ = w.um.size();
    for (int f = 0; f < kFiles; ++f)
        if (!fileOk[f]) failed_.push_back(appFile(names[f]));
    runFiles->collect(&failed_);
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
    WriteFiles();
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
