#include "common/stepstate.h"

#include <map>
#include <mutex>

#include "common/appfolder.h"
#include "common/numbers.h"
#include "common/quoted.h"
#include "common/recordfile.h"

namespace kv::steps {
namespace {

constexpr const char* kFile = files::STEPSTATE;
std::mutex gMu;  // one read-modify-write at a time in this process

const char* stateText(State s) {
    switch (s) {
    case State::Started: return "started";
    case State::Ok: return "ok";
    case State::Failed: return "failed";
    default: return "";
    }
}

std::string pathOf(const std::string& appDir) { return joinPath(appDir, kFile); }

std::vector<Entry> parse(const std::string& bytes) {
    std::vector<Entry> out;
    for (const auto& line : splitLines(bytes)) {
        const std::size_t a = line.find('\t'), b = a == std::string::npos ? a : line.find('\t', a + 1);
        if (b == std::string::npos) continue;
        Entry e;
        e.step = line.substr(0, a);
        e.seq = static_cast<long>(valLong(line.substr(a + 1, b - a - 1)));
        const std::string st = line.substr(b + 1);
        e.state = st == "ok" ? State::Ok : st == "failed" ? State::Failed : st == "started" ? State::Started
                                                                                               : State::NeverRan;
        if (!e.step.empty() && e.state != State::NeverRan) out.push_back(e);
    }
    return out;
}

void write(const std::string& appDir, const std::vector<Entry>& entries) {
    std::string out;
    for (const auto& e : entries) out += e.step + "\t" + std::to_string(e.seq) + "\t" + stateText(e.state) + "\n";
    writeFileAtomic(pathOf(appDir), out);  // a folder that cannot be written: the step fails on its own files
}

// Sets the step's entry; a new start takes the next sequence number.
long record(const std::string& appDir, const std::string& step, State s, long seq) {
    std::lock_guard<std::mutex> lock(gMu);
    std::vector<Entry> entries = readState(appDir);
    long top = 0;
    for (const auto& e : entries) top = std::max(top, e.seq);
    if (seq <= 0) seq = top + 1;
    bool found = false;
    for (auto& e : entries)
        if (e.step == step) {
            if (e.seq > seq) return seq;  // a later run of the same step owns the entry
            e.seq = seq;
            e.state = s;
            found = true;
        }
    if (!found) entries.push_back({step, seq, s});
    write(appDir, entries);
    return seq;
}

}  // namespace

std::vector<Entry> readState(const std::string& appDir) {
    const FileRead r = readFileChecked(pathOf(appDir));
    return r.ok() ? parse(r.bytes) : std::vector<Entry>{};
}

Entry entryOf(const std::string& appDir, const std::string& step) {
    for (const auto& e : readState(appDir))
        if (e.step == step) return e;
    return {step, 0, State::NeverRan};
}

StepRun::StepRun(std::string appDir, std::string step) : appDir_(std::move(appDir)), step_(std::move(step)) {
    removeStaleTemps(appDir_, {kFile});  // what a step killed while it rewrote the file left behind
    seq_ = record(appDir_, step_, State::Started, 0);
}

void StepRun::finish(bool ok) { record(appDir_, step_, ok ? State::Ok : State::Failed, seq_); }

std::vector<std::string> prerequisitesOf(const std::string& step) {
    static const std::map<std::string, std::vector<std::string>> kPre = {
        {STRUCTURE, {FETCH}},
        {FIX_PREVIOUS_DAY, {STRUCTURE}},
        {CALCULATE, {STRUCTURE, FIX_PREVIOUS_DAY}},
        {PREDICT, {CALCULATE}},
        {ODDS_TABLES, {ODDS_FETCH, ODDS_FETCH_TRIFECTA}},
        {HISTORY_SEARCH, {PREDICT}},
        {BIG_PAYOUTS, {PREDICT}},
        {RACE_DISPLAY, {PREDICT}},
    };
    auto it = kPre.find(step);
    return it == kPre.end() ? std::vector<std::string>{} : it->second;
}

std::string labelOf(const std::string& step) {
    static const std::map<std::string, std::string> kLabel = {
        {FETCH, "①今週開催取得"},         {STRUCTURE, "②構造・中止処理"},
        {FIX_PREVIOUS_DAY, "④前日固定"},  {CALCULATE, "⑤計算"},
        {PREDICT, "⑥予想・結果"},         {ODDS_FETCH, "今週のオッズ"},
        {ODDS_FETCH_TRIFECTA, "今週の3連単"}, {ODDS_TABLES, "オッズ処理"},
    };
    auto it = kLabel.find(step);
    return it == kLabel.end() ? step : it->second;
}

namespace {
bool offTheRoad(const std::string& step) {
    return step == HISTORY_SEARCH || step == BIG_PAYOUTS || step == RACE_DISPLAY;
}
}  // namespace

std::vector<std::string> warningsFor(const std::string& appDir, const std::string& step) {
    std::vector<std::string> out;
    const bool reader = offTheRoad(step);
    const std::vector<Entry> entries = readState(appDir);
    if (entries.empty()) return out;
    auto find = [&](const std::string& s) {
        for (const auto& e : entries)
            if (e.step == s) return e;
        return Entry{s, 0, State::NeverRan};
    };
    for (const auto& p : prerequisitesOf(step)) {
        const Entry e = find(p);
        const std::string l = "「" + labelOf(p) + "」";
        if (reader && e.state != State::Started && e.state != State::Failed) continue;
        if (e.state == State::NeverRan) {
            out.push_back(l + "がまだ実行されていません。先に" + l + "を実行して下さい。");
        } else if (e.state == State::Started) {
            out.push_back(l + "が途中で中断されています。" + (reader ? l + "の出力が不完全な場合があります。" : "") +
                          l + "をやり直して下さい。");
        } else if (e.state == State::Failed) {
            out.push_back(l + "が失敗で終わっています。" + (reader ? l + "の出力が不完全な場合があります。" : "") +
                          l + "をやり直して下さい。");
        } else {
            for (const auto& pp : prerequisitesOf(p)) {
                const Entry before = find(pp);
                if (before.seq > e.seq) {
                    out.push_back(l + "は「" + labelOf(pp) + "」より前に実行されたものです。" + l +
                                  "をやり直して下さい。");
                    break;
                }
            }
        }
    }
    return out;
}

}  // namespace kv::steps
