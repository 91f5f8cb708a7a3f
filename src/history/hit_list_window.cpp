#include "history/hit_list_window.h"

#include "common/appfolder.h"
#include "common/codec.h"
#include "common/fields.h"
#include "common/numbers.h"
#include "common/quoted.h"
#include "common/recordfile.h"
#include "common/stepstate.h"
#include "history/day_items.h"
#include "history/history_report.h"
#include "history/past_days.h"
#include "platform/step_report.h"

namespace kv::history {

namespace {

const char* const kHeads[TekichuListQUEL::kCols] = {
    "年  本数", "月",       "日",       "場所",     "回次", "日次", "R",  "レース名", "券種", "配当(円)",
    "的中状況", "当たり目", "馬齢条件", "収得条件", "G",    "芝ダ", "距離(m)", "SD",     "天場", "本数"};

// The bet kind name of a hit line's kind code ("" for a code not in the list).
std::string kindName(const std::string& code) {
    static const char* const names[] = {"馬連", "ワイド1", "ワイド2", "ワイド3", "馬単", "３連複", "３連単"};
    if (code.size() == 1 && code[0] >= '1' && code[0] <= '7') return toCp932(names[code[0] - '1']);
    return {};
}

// Hit records have 19 fields, payout records 22; every field quoted.
std::string record(const std::array<std::string, 22>& f, std::size_t n) {
    QuotedLine q;
    for (std::size_t i = 0; i < n; ++i) q.textRaw(f[i]);
    return q.line();
}

}  // namespace

TekichuListQUEL::TekichuListQUEL(StatusSink& menu, YieldFn yield, MessageSink* messages)
    : tekichuFG(kRows, kCols, 1, 1), menu_(menu), yield_(std::move(yield)), messages_(messages) {
    Label1.text =
        "的中目はタイム合計法（指数和）で求めています。馬連・馬単は6点区切り、3連複は7点区切り、3連単は42点区切りの3区分（"
        "本・準・伏）です。";
}

std::string TekichuListQUEL::ScanCodeTable(const std::string& number, const std::string& code, int col) const {
    return codeTable.lookupText(number, code, col);
}

void TekichuListQUEL::Form_Load() {
    AppPath = GetAppPath();
    WriteFailures.clear();
    const auto earlier = beginStep(AppPath, steps::BIG_PAYOUTS);
    tekichuFG.clear();
    tekichuFG.setColWidth(0, 1700);
    for (int c = 1; c <= 6; ++c) tekichuFG.setColWidth(c, 600);
    tekichuFG.setColWidth(7, 2200);
    for (int c = 10; c <= 13; ++c) tekichuFG.setColWidth(c, 1700);
    for (int c : {14, 15, 17, 18}) tekichuFG.setColWidth(c, 600);
    for (int c = 0; c < kCols; ++c) tekichuFG.setText(0, c, kHeads[c]);
    RunningNumber = 0;
    UmarenFlag = false;

    codeTable = CodeTable();
    codeTable.load(appFile(files::CODE_TABLE));
    std::array<std::string, 11> courseNames;  // venue 1-10, CP932
    for (int v = 1; v <= 10; ++v) courseNames[v] = toCp932(ScanCodeTable("2001", zeroPad(v, 2), 4));

    const std::string folder = appFile(dirs::TEKICHU);
    std::string list;
    Fields f;
    walkPastDates(
        findPastDays(folder, suffix::LUP_RCM),
        [this](int y, int m, int d) {
            menu_.setText("Text6", searchText(y, m, d));
            if (yield_) yield_();
        },
        [&](const PastDay& day) {
            f[0] = zeroPad(day.year, 4) + toCp932("年");
            f[1] = zeroPad(day.month, 2) + toCp932("月");
            f[2] = zeroPad(day.day, 2) + toCp932("日");
            f[3] = courseNames[day.course];
            f[4] = zeroPad(day.kaiji, 2) + toCp932("回");
            f[5] = zeroPad(day.nichiji, 2) + toCp932("日");
            UmarenFlag = false;
            readDay(joinPath(folder, day.DayKey + suffix::LUP_RCM), f, list);
        });
    const std::string path = joinPath(folder, infolder::ATARILIST);
    if (!writeFileAtomic(path, list)) WriteFailures.push_back(path);
    Failed = tellHistoryReport(steps::BIG_PAYOUTS, kMenuLabel, earlier, WriteFailures, messages_);
}

void TekichuListQUEL::readDay(const std::string& path, Fields& f, std::string& out) {
    DayItems items(path);
    while (!items.atEnd()) {
        const std::string tag = items.next();
        if (tag == "RC") {
            const std::vector<std::string> v = items.next(11);
            f[6] = v[2] + "R";
            f[7] = v[3].empty() ? v[4] : v[3];
            for (int k = 5; k <= 11; ++k) f[static_cast<std::size_t>(k + 3)] = v[static_cast<std::size_t>(k - 1)];
        } else if (tag == "AT") {
            const std::vector<std::string> v = items.next(5);
            if (v[1] == "1") UmarenFlag = true;
            f[15] = kindName(v[1]);
            f[16] = v[2];
            f[17] = v[3];
            f[18] = v[4];
            out += record(f, 19);
            const auto pay = strictNumber(v[4]);
            if (pay && vbRound(*pay) > 10000) listHit(f);
        } else if (tag == "KK" && UmarenFlag) {
            const std::vector<std::string> v = items.next(3);
            const char* kind = v[0] == "1" ? "単勝" : v[0] == "2" ? "複勝" : v[0] == "3" ? "枠連" : nullptr;
            if (!kind) continue;
            if (v[0] == "3") UmarenFlag = false;
            f[19] = toCp932(kind);
            f[20] = v[1];
            f[21] = v[2];
            out += record(f, 22);
        }
    }
}

void TekichuListQUEL::listHit(const Fields& f) {
    if (RunningNumber < 32767) ++RunningNumber;
    const int row = RunningNumber;
    if (row >= kRows) return;
    const std::string n = formatInt(RunningNumber);
    auto t = [&](int field) -> const std::string& {
        const std::size_t i = static_cast<std::size_t>(field - 1);
        if (f[i] != listedRaw_[i]) {
            listedRaw_[i] = f[i];
            listedText_[i] = text(f[i]);
        }
        return listedText_[i];
    };
    tekichuFG.setText(row, 0, " " + t(1) + " " + n);
    for (int c = 1; c <= 6; ++c) tekichuFG.setText(row, c, t(c + 1));
    tekichuFG.setText(row, 7, t(8));
    tekichuFG.setText(row, 8, t(16));
    tekichuFG.setText(row, 9, t(19));
    tekichuFG.setText(row, 10, t(17));
    tekichuFG.setText(row, 11, " " + t(18));
    for (int c = 12; c <= 18; ++c) tekichuFG.setText(row, c, t(c - 3));
    tekichuFG.setText(row, 19, n);
}

void TekichuListQUEL::dump(controls::ControlDump& d) const {
    d.grid("tekichuFG", tekichuFG);
    d.text("Label1", Label1);
}

}  // namespace kv::history
