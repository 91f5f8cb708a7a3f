#include "prediction/predictions_window.h"

#include <algorithm>

#include "acquisition/jvdata/race_records.h"
#include "common/appfolder.h"
#include "common/fields.h"
#include "common/keys.h"
#include "common/recordfile.h"
#include "common/stepstate.h"
#include "common/exrecord.h"
#include "common/parallel.h"
#include "prediction/run_stages.h"


#include <exception>
#include <memory>
#include <unordered_map>
#include <unordered_set>

namespace kv::pred {

bool writeRunFile(WindowState& st, const std::string& path, std::string_view bytes) {
    if (writeFileAtomic(path, bytes)) return true;
    st.WriteFailures.push_back(path);
    return false;
}

void RaceState::reset(int n) {
    const auto size = static_cast<std::size_t>(n < 0 ? 1 : n + 1);
    HorseCount = n < 0 ? 0 : n;
    for (auto* v : {&GoseiSpeed, &HorseSpeedAdjust, &SuiteiSpeed, &JitsuSpeed, &YosoSortKey}) v->assign(size, 0.0f);
    for (auto* v : {&YosoJunUmaban, &SuiteiAgari3F, &Wakuban, &Bamei, &Futan, &KishuName, &ChokyoshiName, &Seibetsu,
                    &Barei, &SuiteiTime, &JitsuTime, &JitsuAgari3F})
        v->assign(size, std::string());
    RankMarks.assign(size, std::array<std::string, 5>{});
    for (auto* v : {&UmarenKaimeDisp, &UmarenKaimeKey, &SanrenKaime, &SanrenpukuKaimeKey}) v->assign(1, std::string());
    for (auto* v : {&PairScore, &PairSpeedSum, &PairAdjustSum, &TrioScore, &TrioSpeedSum, &TrioAdjustSum})
        v->assign(1, 0.0f);
    UmarenKaimeCount = 0;
    SanrenpukuKaimeCount = 0;
    SpeedSD = 0.0f;
}

YOSOKEKKATHISWEEKNQUEL::YOSOKEKKATHISWEEKNQUEL(WriterChain chain, StatusSink& menuStatus, YieldFn yield)
    : chain_(std::move(chain)), menu_(menuStatus), yield_(std::move(yield)) {}

std::vector<std::string_view> onePayoutPerRace(const std::vector<std::string_view>& hrRecords, long& skipped) {
    namespace hr = kv::jv::HrRecord;
    std::vector<std::string_view> out;
    std::unordered_map<std::string, std::size_t> at;  // race key -> place in out
    skipped = 0;
    for (const std::string_view rec : hrRecords) {
        const std::string key =
            getField(rec, hr::Year) + getField(rec, hr::MonthDay) + getField(rec, hr::JyoCD) + getField(rec, hr::RaceNum);
        auto [it, added] = at.emplace(key, out.size());
        if (added) {
            out.push_back(rec);
        } else {
            out[it->second] = rec;  // a later record of the key is the newer one
            ++skipped;
        }
    }
    return out;
}

void YOSOKEKKATHISWEEKNQUEL::Form_Load() {
    const auto earlier = beginStep(GetAppPath(), steps::PREDICT);  // said in report()
    steps::StepRun stepRun(GetAppPath(), steps::PREDICT);
    st = WindowState{};
    SkippedPayoutRepeats = 0;
    inputs_ = StepReport("");  // details: "writer ... failed for race ...", "could not write ..."
    inputs_.notes(earlier);
    if (nothingAt(appFile(files::CODE_TABLE)))
        inputs_.missingNote(files::CODE_TABLE,
                            "競馬場名などが空欄になります。プログラムに付属のコード表をこの場所に置いて下さい。");
    inputs_.missingFiles({appFile(files::RA_NEW), appFile(files::SE_NEW)}, "①今週開催取得と②構造・中止処理");
    st.run.codeTable.load(appFile(files::CODE_TABLE));
    for (const char* d : {dirs::RACE, dirs::KAIME, dirs::SOKUDO, dirs::TEKICHU, dirs::UMAREN, dirs::WIDE, dirs::UMATAN,
                          dirs::SANRENPUKU, dirs::SANRENTAN})
        makeDirs(appFile(d));
    // Temporary files a killed run left behind.
    for (const char* d : {dirs::RACE, dirs::KAIME, dirs::SOKUDO, dirs::TEKICHU, dirs::UMAREN, dirs::WIDE, dirs::UMATAN,
                          dirs::SANRENPUKU, dirs::SANRENTAN, dirs::SHUTSUBAHYO, dirs::TANFUKU, dirs::TANFUKU2,
                          dirs::TANSHO, dirs::YOSOU_HTML, dirs::WP})
        removeStaleTemps(appFile(d));
    removeStaleTemps(GetAppPath(), {files::RACE_INDEX, files::RACE_SYOSAI});

    hrView_ = RecordFile(appFile(files::HR), kv::jv::HrRecord::kLength).view();
    hrRecords_.clear();
    for (const std::string_view rec : hrView_) hrRecords_.push_back(rec);
    // The race records the index can need (those of the week's races or of
    // the payouts' races), kept from one pass through the file; the mode comes
    // from the file's last record.
    {
        std::unordered_set<std::string> payoutKeys;
        for (const std::string_view rec : hrRecords_) payoutKeys.insert(raceKeyFromId(fieldView(rec, kv::jv::HrRecord::RaceId)));
        std::unordered_set<std::string_view> payoutKeyViews(payoutKeys.begin(), payoutKeys.end());
        struct Part {
            std::string bytes, lastKind;  // the records kept; the data kind of the last record
            std::vector<std::size_t> at;
        };
        const unsigned parts = threadCount();
        std::vector<Part> part(parts);
        scanRecords(appFile(files::RA_NEW), kv::jv::RaRecord::kLength, parts, [&](unsigned k, std::string_view rec) {
            Part& p = part[k];
            const std::string_view kind = fieldView(rec, kv::jv::RaRecord::DataKubun);
            p.lastKind.assign(kind);
            char key[kRaceKeyLen];
            if ((kind >= "2" && kind <= "6") ||
                (!payoutKeyViews.empty() && payoutKeyViews.count(raceKeyIn(fieldView(rec, kv::jv::RaRecord::RaceId), key)))) {
                p.at.push_back(p.bytes.size());
                p.bytes.append(rec);
            }
        });
        std::vector<std::string_view> raRecords;
        bool anyRa = false;
        std::string lastKind;
        for (const Part& p : part) {
            for (std::size_t at : p.at) raRecords.push_back(std::string_view(p.bytes).substr(at, kv::jv::RaRecord::kLength));
            if (!p.lastKind.empty()) {
                anyRa = true;
                lastKind = p.lastKind;
            }
        }
        st.run.KekkaMode = anyRa ? modeOfDataKind(lastKind) : 0;
        // In result mode the payout records are the races: a race key met again
        // would run its race again, so each key runs once, with its newest record.
        if (st.run.KekkaMode == 1) hrRecords_ = onePayoutPerRace(hrRecords_, SkippedPayoutRepeats);
        buildRaceIndex(st, raRecords, hrRecords_);
    }
    entries_ = collectRaceEntries(st, appFile(files::SE_NEW), threadCount());

    {
        // The day files are put in place once every race is written; a run
        // that stops leaves them as they were.
        struct Drop {
            YOSOKEKKATHISWEEKNQUEL& w;
            ~Drop() {
                w.chain_.dropDayFiles();
                w.rateFiles_.discard();
            }
        } drop{*this};
        runRaces();
        // A day file a write failed for keeps its old version and is named.
        for (const auto& left : {chain_.placeDayFiles(), rateFiles_.place()})
            st.WriteFailures.insert(st.WriteFailures.end(), left.begin(), left.end());
    }
    entries_ = {};
    hrRecords_.clear();
    hrView_ = {};
    stepRun.finish(chain_.failures().empty() && st.WriteFailures.empty() && unreadableFiles().empty());
}

void YOSOKEKKATHISWEEKNQUEL::tallyExpandedFiles(const std::vector<HorseFile>& horses) {
    for (const HorseFile& h : horses) {
        if (!exTally_.seen.insert(h.ketto).second) continue;
        ++exTally_.horses;
        if (!h.found && exTally_.missing++ == 0) exTally_.first = h.ketto;
    }
}

void YOSOKEKKATHISWEEKNQUEL::noteMissingExpandedFiles(int tallied) {
    // The runners whose horse has no expanded run file get no past runs and no
    // speeds; the writers cannot write them. The races the loop did not reach
    // are looked at here.
    for (int i = tallied + 1; i <= st.run.RaceCount; ++i) {
        std::vector<HorseFile> horses;
        for (const Runner& r : entries_.runners[entries_.fileOf[static_cast<std::size_t>(i)]]) {
            if (!r.present) continue;  // no runner at this number
            const std::string ketto(r.field(kv::jv::SeRecord::KettoNum));
            if (ketto.find('\0') != std::string::npos) continue;
            horses.push_back(
                {ketto, fileSize(appFile(std::string(dirs::UMAGOTOEX) + "/" + ketto + exrec::kFileSuffix)) > 0, 0, {}});
        }
        tallyExpandedFiles(horses);
    }
    const long horses = exTally_.horses, missing = exTally_.missing;
    const std::string first = exTally_.first;
    exTally_ = {};
    if (missing == 0) return;
    const std::string folder = std::string("拡大構造体ファイル（") + dirs::UMAGOTOEX + "）";
    if (missing == horses)
        inputs_.missing("今週の" + folder, "③拡大構造体展開と⑤計算");
    else
        inputs_.missing(folder + "の " + std::to_string(missing) + " 頭分（最初: " + printableName(first) + "）",
                        "③拡大構造体展開と⑤計算");
}

std::string YOSOKEKKATHISWEEKNQUEL::raceLabel(int RaceIdx) const {
    if (RaceIdx < 1 || static_cast<std::size_t>(RaceIdx) >= st.run.RaceKeyList.size()) return {};
    const std::string key = st.run.raceKey(RaceIdx);
    if (key.size() < 12) return printableName(key);
    return printableName(key.substr(0, 8) + st.run.LookupCodeTable("2001", key.substr(8, 2), 4) + key.substr(10, 2) +
                         "R");
}

StepReport YOSOKEKKATHISWEEKNQUEL::report(const std::string& error) const {
    StepReport r = inputs_;
    if (!error.empty()) {
        r.detail("the run stopped: " + error);
        r.failedSentence("予想･結果の処理が途中で止まりました。");
    }
    const auto& failures = chain_.failures();
    // Races a writer could not finish: for the race's own data (missing or
    // damaged), or for a file that could not be written (or another cause).
    std::vector<int> races, dataRaces;
    std::string firstData;         // what was wrong with the first race of dataRaces
    std::vector<int> numberRaces;  // races a writer gave up on for a value that is no number
    for (const WriterFailure& f : failures) {
        if (f.notANumber) numberRaces.push_back(f.RaceIdx);
        const std::string key = f.RaceIdx >= 1 && static_cast<std::size_t>(f.RaceIdx) < st.run.RaceKeyList.size()
                                    ? st.run.raceKey(f.RaceIdx)
                                    : std::string();
        r.detail("writer " + f.writer + " failed for race " + key + ": " + f.what);
        std::vector<int>& list = f.kind == WriterFailure::Kind::RaceData ? dataRaces : races;
        if (std::find(list.begin(), list.end(), f.RaceIdx) != list.end()) continue;
        if (&list == &dataRaces && list.empty()) firstData = printableName(f.data, 200);
        list.push_back(f.RaceIdx);
    }
    if (!dataRaces.empty())
        r.failedSentence("出走データや払戻データの不足・不備で出力できなかったレースが " +
                         std::to_string(dataRaces.size()) + " レースあります。最初のレースは " +
                         raceLabel(dataRaces.front()) + " で、" + firstData +
                         "①今週開催取得と②構造・中止処理、⑤計算をやり直してから、⑥予想・結果をやり直して下さい。");
    if (!races.empty())
        r.failed("出力できなかったレース", static_cast<long>(races.size()), raceLabel(races.front()));
    // A race failed on a value that is no number, whose runners' expanded run
    // records hold a number member that is not digits: the file and the
    // record, which the calculation makes again.
    const ExDamage* damaged = nullptr;
    for (int race : numberRaces) {
        for (const ExDamage& d : exDamaged_)
            if (d.RaceIdx == race) {
                damaged = &d;
                break;
            }
        if (damaged) break;
    }
    if (damaged) {
        const std::string path =
            appFile(std::string(dirs::UMAGOTOEX) + "/" + damaged->horse.ketto + exrec::kFileSuffix);
        r.detail(path + ": record " + std::to_string(damaged->horse.badRecord) + ": " + damaged->horse.badMember +
                 " is not a number");
        r.notes({"拡大構造体ファイル " + fileLabel(path) + " の " + std::to_string(damaged->horse.badRecord) +
                 " 件目のレコードの数値（" + damaged->horse.badMember + "）が数字ではありません。"});
    }
    r.failedFiles(st.WriteFailures);
    if (SkippedPayoutRepeats > 0)
        r.detail("predict: " + std::to_string(SkippedPayoutRepeats) +
                 " repeated payout record(s) skipped (one race pass per race)");
    r.unreadableFiles("⑥予想・結果");
    // Missing inputs already say what to run first; the races' data failures
    // (a damaged expanded run record among them) say it in their sentence:
    // the disk is at fault only when a write failed.
    if (damaged)
        r.action("⑤計算をやり直してから、⑥予想・結果をやり直して下さい。" +
                 (st.WriteFailures.empty() ? std::string() : checkDiskAction("⑥予想・結果")));
    else if (!r.missingAny() && (!error.empty() || !races.empty() || !st.WriteFailures.empty()))
        r.action(checkDiskAction("⑥予想・結果"));
    return r;
}

// What preparing a race needs only while it runs, kept by each thread.
struct YOSOKEKKATHISWEEKNQUEL::Scratch {
    std::vector<RaceHorseRecord> recs;  // the race-horse records
    std::string fileBytes;              // the race's race-horse file
    std::string readBuffer;             // an expanded run file
};

// A race prepared ahead of its writers. `work` is a copy of the window state
// for this race alone: its run is the index (fixed during the loop), its race
// the race's state, its kept tables the race's per-horse rows; commitRace
// moves them into the window state.
struct YOSOKEKKATHISWEEKNQUEL::Prepared {
    WindowState work;
    int RaceIdx = 0;
    std::size_t raceFileFailures = 0;  // the first ones of work.WriteFailures
    // Each runner's horse and whether its expanded run file was found.
    std::vector<HorseFile> horseFiles;
    // The texts of the race's sorted pair and trio scores.
    std::vector<std::string> pairTexts, trioTexts;
};

void YOSOKEKKATHISWEEKNQUEL::prepareRace(Prepared& p, Scratch& scratch, int RaceIdx) const {
    WindowState& w = p.work;
    RunConstants& run = w.run;
    RaceState& race = w.race;
    p.RaceIdx = RaceIdx;
    w.WriteFailures.clear();
    w.ExRec.clear();
    const std::string key = run.raceKey(RaceIdx);

    // 1. The payout record at the race's place.
    const auto idx = static_cast<std::size_t>(RaceIdx);
    if (idx <= hrRecords_.size())
        race.HrRec.assign(hrRecords_[idx - 1]);
    else
        race.HrRec.clear();

    // 2-3. The race's records and fresh per-race arrays.
    p.horseFiles.clear();
    const int horses = buildRaceHorseFile(w, entries_, RaceIdx, scratch.recs, scratch.fileBytes, scratch.readBuffer,
                                          &p.horseFiles);
    p.raceFileFailures = w.WriteFailures.size();
    race.reset(horses);
    race.RaceHorseRec.clear();  // a race without runners carries no other race's record

    // 2. Horse values and the horses' candidate lines.
    std::string candidates;
    for (int h = 1; h <= race.HorseCount; ++h) {
        fillHorseValues(w, scratch.recs[static_cast<std::size_t>(h - 1)], h);
        candidates += horseCandidateLine(w, key, h);
    }
    if (race.HorseCount > 0) race.RaceHorseRec.bytes = scratch.recs[static_cast<std::size_t>(race.HorseCount - 1)].bytes;
    // The writers file the race under the race id of this record. A race
    // without runners, or whose last runner has no expanded run file, has none
    // there: it takes the race's id from the index, so that its lines still go
    // to its own day files.
    if (race.RaceHorseRec.raceId().find_first_not_of("0123456789") != std::string::npos)
        race.RaceHorseRec.set(rh::RaceId.at(0), run.raceId(RaceIdx));

    // 3. Spread, ranks, the horse tables.
    rankHorses(w, RaceIdx);
    std::string sortText, lupSortText;
    for (int h = 1; h <= race.HorseCount; ++h) {
        sortText += horseSortLine(w, h);
        lupSortText += lupSortLine(w, h);
    }
    const std::string kaime = std::string(dirs::KAIME) + "/" + key;
    writeRunFile(w, appFile(kaime + suffix::SORT), sortText);
    writeRunFile(w, appFile(kaime + suffix::LUPSORT), lupSortText);

    // 4. Pairs.
    candidates += scorePairs(race, key, &p.pairTexts);
    writeRunFile(w, appFile(kaime + suffix::UMARENSORT),
                 sortFileText(key, "Umaren", race.UmarenKaimeDisp, p.pairTexts, race.UmarenKaimeCount));

    // 5. 馬連 and ワイド tickets (pairs in payout form).
    writeRunFile(w, appFile(ticketFileName(run, dirs::UMAREN, key)), ticketFileText(race, key, TicketKind::Umaren));
    writeRunFile(w, appFile(ticketFileName(run, dirs::WIDE, key)), ticketFileText(race, key, TicketKind::Wide));

    // 6. Pairs faster first, 馬単.
    turnPairsFasterFirst(race);
    writeRunFile(w, appFile(kaime + suffix::UMATANSORT),
                 sortFileText(key, "Umatan", race.UmarenKaimeDisp, p.pairTexts, race.UmarenKaimeCount));
    writeRunFile(w, appFile(ticketFileName(run, dirs::UMATAN, key)), ticketFileText(race, key, TicketKind::Umatan));

    // 7. Trios, ３連複.
    candidates += scoreTrios(race, key, &p.trioTexts);
    writeRunFile(w, appFile(kaime + suffix::DAT), candidates);
    writeRunFile(w, appFile(kaime + suffix::SANRENSORT),
                 sortFileText(key, "Sanrenpuke", race.SanrenKaime, p.trioTexts, race.SanrenpukuKaimeCount));
    writeRunFile(w, appFile(ticketFileName(run, dirs::SANRENPUKU, key)),
                 ticketFileText(race, key, TicketKind::Sanrenpuku));

    // 8. Trios fastest first, ３連単.
    turnTriosFastestFirst(race);
    writeRunFile(w, appFile(kaime + suffix::SANRENTANSORT),
                 sortFileText(key, "sanrentan", race.SanrenKaime, p.trioTexts, race.SanrenpukuKaimeCount));
    writeRunFile(w, appFile(ticketFileName(run, dirs::SANRENTAN, key)),
                 ticketFileText(race, key, TicketKind::Sanrentan));
}

void YOSOKEKKATHISWEEKNQUEL::commitRace(Prepared& p) {
    WindowState& w = p.work;
    const int RaceIdx = p.RaceIdx;
    const auto idx = static_cast<std::size_t>(RaceIdx);
    RunConstants& run = st.run;
    KeptState& kept = st.kept;
    const std::string key = run.raceKey(RaceIdx);

    // A new racecourse day starts reset tallies (a day met again after another
    // day's races goes on from its own).
    kept.enterDay(run.dayKey(RaceIdx));
    ++kept.DayRaceCount;

    // The race's state, its rows of the per-horse tables (horses 1 to 18; rows
    // past the race's horses keep an earlier race's) and its columns of the index.
    run.Syosai[idx][10] = w.run.Syosai[idx][10];
    run.Syosai[idx][11] = w.run.Syosai[idx][11];
    const int rows = std::min(w.race.HorseCount, 18);
    for (int h = 1; h <= rows; ++h) {
        const auto i = static_cast<std::size_t>(h);
        kept.YosoJuni[i] = w.kept.YosoJuni[i];
        kept.Nyusen[i] = w.kept.Nyusen[i];
        kept.Ninki[i] = w.kept.Ninki[i];
        kept.Chakujun[i] = w.kept.Chakujun[i];
    }
    // The trio buffers hold the last trio turned; a race without trios leaves them.
    std::array<std::string, 3> trio{st.race.TrioUmaban1, st.race.TrioUmaban2, st.race.TrioUmaban3};
    std::swap(st.race, w.race);
    if (st.race.SanrenpukuKaimeCount == 0) {
        st.race.TrioUmaban1 = std::move(trio[0]);
        st.race.TrioUmaban2 = std::move(trio[1]);
        st.race.TrioUmaban3 = std::move(trio[2]);
    }
    if (!w.ExRec.empty()) st.ExRec = w.ExRec;
    for (std::size_t f = 0; f < w.WriteFailures.size(); ++f)
        (f < p.raceFileFailures ? raceFileFailures_ : st.WriteFailures).push_back(w.WriteFailures[f]);
    tallyExpandedFiles(p.horseFiles);
    for (const HorseFile& h : p.horseFiles)
        if (h.badRecord > 0) {
            exDamaged_.push_back({RaceIdx, h});
            break;
        }
    tallied_ = RaceIdx;

    // 7-8. Yield, progress text.
    if (yield_) yield_();
    menu_.setText("Text5", key.substr(0, 8) + run.LookupCodeTable("2001", key.substr(8, 2), 4) + key.substr(10, 2) +
                               "R予想中");

    // 9. The writers.
    chain_.runRace(st, RaceIdx);

    // 10. The day's rates.
    if (run.KekkaMode == 1) {
        computeDayRates(kept, kept.DayRaceCount);
        writeRateFiles(st, RaceIdx, kept.DayRaceCount, rateFiles_);
    }
}

unsigned YOSOKEKKATHISWEEKNQUEL::threadCount() const { return std::min<unsigned>(threads_ ? threads_ : kv::usableCores(), 8u); }

void YOSOKEKKATHISWEEKNQUEL::runRaces() {
    const int count = st.run.RaceCount;
    raceFileFailures_.clear();
    const std::size_t beforeLoop = st.WriteFailures.size();
    tallied_ = 0;
    exTally_ = {};
    exDamaged_.clear();
    // Whatever ends the loop: the files of the races go ahead of the race
    // loop's (they were once all written first), and the missing expanded run
    // files are noted.
    struct Finally {
        YOSOKEKKATHISWEEKNQUEL& w;
        std::size_t at;
        ~Finally() {
            try {
                auto& f = w.st.WriteFailures;
                f.insert(f.begin() + static_cast<std::ptrdiff_t>(at), w.raceFileFailures_.begin(),
                         w.raceFileFailures_.end());
                w.noteMissingExpandedFiles(w.tallied_);
            } catch (...) {  // the report goes without them rather than the process ending
            }
        }
    } finally{*this, beforeLoop};

    // Workers prepare races in index order into a ring of slots, each worker
    // with its own scratch; this thread commits them in the same order. A slot
    // is taken again once its race is committed.
    const unsigned workers = threadCount();
    const std::size_t slots = workers <= 1 ? 1 : std::size_t(workers) * 2;
    std::vector<std::unique_ptr<Prepared>> ring;
    for (std::size_t s = 0; s < slots; ++s) {
        ring.push_back(std::make_unique<Prepared>());
        ring.back()->work.run = st.run;
    }
    std::vector<Scratch> scratch(workers);
    kv::orderedForEach(
        static_cast<std::size_t>(std::max(count, 0)), workers,
        [&](std::size_t i, unsigned w) { prepareRace(*ring[i % slots], scratch[w], static_cast<int>(i) + 1); },
        [&](std::size_t i) { commitRace(*ring[i % slots]); }, slots);
}

}  // namespace kv::pred
