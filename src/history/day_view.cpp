// A click on a past race day: the hits of the tiered bet system (KakoSeiFG),
// its rates (TekiKaiFG), the eleven-column hits and rates (TanFukuFG,
// TFTekiKaiFG), then the race tabs.
#include "common/appfolder.h"
#include "common/codec.h"
#include "common/fsys.h"
#include "common/numbers.h"
#include "common/stepstate.h"
#include "history/colours.h"
#include "history/day_items.h"
#include "history/history_report.h"
#include "history/past_performance_window.h"

namespace kv::history {

namespace {

using controls::GridModel;
using controls::Rgb;

// The tiers of a hit position by column of KakoSeiFG: the last position of
// 本線 and of 準本線, and the last position of 伏兵.
struct TierRange {
    int main, second, last;
};
TierRange tiersOf(int col) {
    switch (col) {
        case 2: return {12, 24, 36};   // 馬単
        case 3: return {7, 14, 21};    // 3連複
        case 4: return {42, 84, 126};  // 3連単
        default: return {6, 12, 18};   // 馬連, ワイド1-3
    }
}

// The hit position of a 予人 cell: the text before its first blank, looked for
// among the first ten characters; 0 when there is none.
int hitPosition(const std::string& cell) {
    const std::size_t blank = firstChars(cell, 10).find(' ');
    if (blank == std::string::npos) return 0;
    return static_cast<int>(valLong(cell.substr(0, blank)));
}

Rgb tierColour(int col, int position) {
    const TierRange t = tiersOf(col);
    if (position >= 1 && position <= t.main) return colour::Yellow;
    if (position > t.main && position <= t.second) return colour::Cyan;
    if (position > t.second && position <= t.last) return colour::Red;
    return colour::White;
}

// Fore colour when the cell's number is above the limit, standard otherwise.
void markAbove(GridModel& g, int r, int c, double limit, std::uint32_t rgb) {
    g.setForeColor(r, c, val(g.text(r, c)) > limit ? Rgb(rgb) : Rgb());
}

// Reads n items of the file into row r from column c0 on.
void readRow(DayItems& f, GridModel& g, int r, int c0, int n) {
    for (int c = c0; c < c0 + n; ++c) g.setText(r, c, f.nextText());
}

}  // namespace

void KakoSeisekiQUEL::List1_Click(int index) {
    if (index < 0 || index >= static_cast<int>(List1.size())) return;
    const std::string item = List1[static_cast<std::size_t>(index)];
    clearUnreadableFiles();  // the day's files are named by this click's message

    // Nothing of the previous day stays on screen, whatever the files hold.
    for (GridModel* g : {&KakoSeiFG, &TekiKaiFG, &TanFukuFG, &TFTekiKaiFG}) g->clear();
    for (auto& row : TekichuTable) row.fill(std::string());

    DayKey = lastChars(item, 14);
    const std::string base = appFile(std::string(dirs::TEKICHU) + "/" + DayKey);

    // Hit table: the day header, then eight items a row.
    {
        DayItems f(base + suffix::TEKICHU);
        for (int c = 0; c < 6; ++c) TekichuTable[0][c] = f.nextText();
        for (std::size_t r = 1; r < TekichuTable.size() && !f.atEnd(); ++r)
            for (std::string& cell : TekichuTable[r]) cell = f.nextText();
    }

    KakoSeiFG.setColWidth(2, 1100);
    KakoSeiFG.setColWidth(4, 1200);
    for (int r = 2; r <= 46; r += 4)
        for (int c = 1; c <= 7; ++c) KakoSeiFG.setBackColor(r, c, colour::White);
    for (int r = 0; r < 50; ++r)
        for (int c = 0; c < 8; ++c) KakoSeiFG.setText(r, c, TekichuTable[r][c]);
    for (int n = 1; n <= 12; ++n)
        for (int c = 1; c <= 7; ++c)
            KakoSeiFG.setBackColor(4 * n - 2, c, tierColour(c, hitPosition(KakoSeiFG.text(4 * n + 1, c))));

    // Rates of the tiered bets.
    {
        DayItems f(base + suffix::KAITEKI);
        readRow(f, TekiKaiFG, 0, 0, 6);
        for (int r = 1; r <= 8; ++r) readRow(f, TekiKaiFG, r, 0, 7);
    }
    for (int r = 3; r <= 8; ++r) {
        for (int c = 4; c <= 6; ++c) markAbove(TekiKaiFG, r, c, 30, colour::Navy);
        for (int c = 1; c <= 3; ++c) markAbove(TekiKaiFG, r, c, 100, colour::Red);
    }

    Text1.text =
        "回収率・的中率は一場の全レース（通常12レース）を計算対象としています。馬連・ "
        "馬単表（正順）・馬単裏（逆順）・ワイドは本線・準本線・伏兵ともに6点均等買い、3連複は7点均等買い、3連単は42点("
        "7点ｘ6順）均等買いを想定して回収率を求めています。的中率は通常一日一場の全12レースを分母として計算しています。"
        "例えば4レース的中していれば4/12で的中率は "
        "33.3％となります。なお、ワイドの的中率は一レースにつき最大3点を計数しますので、的中率が100％を超える事が有り"
        "ますのでご注意下さい。なお、2008年2月9日と11日の京都2回3日は続行競馬となりましたので計算が不成立となり正確な値"
        "ではありません。また、1日12レースでない日は計算が少し正しくない場合があります。";

    // Eleven-column hits.
    {
        DayItems f(base + suffix::TEKICHU_PC);
        for (int c = 1; c <= 7; ++c) TanFukuFG.setColWidth(c, 600);
        for (int c = 9; c <= 11; ++c) TanFukuFG.setColWidth(c, 950);
        readRow(f, TanFukuFG, 0, 0, 6);
        for (int r = 1; r <= 37; ++r) readRow(f, TanFukuFG, r, 0, 12);
    }
    for (int n = 1; n <= 12; ++n)
        for (int c = 1; c <= 11; ++c) {
            const int payRow = 3 * n + 1;
            const double pay = val(TanFukuFG.text(payRow, c));
            for (int r = 3 * n - 1; r <= payRow; ++r) TanFukuFG.setBackColor(r, c, pay > 0 ? Rgb(colour::Yellow) : Rgb());
            if (pay > 0) TanFukuFG.setForeColor(payRow, c, pay > 10000 ? Rgb(colour::Red) : Rgb());
        }

    // Eleven-column rates; the day header of the file is read and dropped.
    {
        DayItems f(base + suffix::KAITEKI_PC);
        for (int c = 1; c <= 7; ++c) TFTekiKaiFG.setColWidth(c, 600);
        for (int c = 9; c <= 11; ++c) TFTekiKaiFG.setColWidth(c, 950);
        f.next(6);
        for (int r = 0; r <= 6; ++r) readRow(f, TFTekiKaiFG, r, 0, 12);
    }
    for (int c = 1; c <= 11; ++c) {
        markAbove(TFTekiKaiFG, 3, c, 30, colour::Navy);
        markAbove(TFTekiKaiFG, 6, c, 100, colour::Red);
    }

    ShowRaceTabs(item);
    Failed = tellHistoryReport(steps::HISTORY_SEARCH, kMenuLabel, {}, {}, messages_);
}

}  // namespace kv::history
