// The race tabs of a past race day: caption, hits and race card of each race,
// read from the day's race list file in three passes.
#include <optional>

#include "common/appfolder.h"
#include "common/codec.h"
#include "common/numbers.h"
#include "history/colours.h"
#include "history/day_items.h"
#include "history/past_performance_window.h"

namespace kv::history {

namespace {

using controls::GridModel;
using controls::Rgb;

const char* const kKinds[] = {"券種", "馬連", "ワイド1", "ワイド2", "ワイド3", "馬単", "３連複", "３連単"};
const char* const kTkHeads[] = {"券種", "的中順位", "当たり目", "配当（円）"};
const char* const kRaceHeads[] = {"枠・馬番", "予想順位", "単勝人気", "入線順位", "性別",     "馬齢",   "馬名",
                                  "ハンデKg", "騎手名",   "調教師名", "推定タイム", "実タイム", "推定上3F", "実上3F"};
const int kRaceWidths[] = {500, 500, 500, 500, 500, 500, 1700, 500, 1000, 1000, 1000, 1000, 1000, 1000};

// The two-digit form of a number text: (value + 100), last two characters;
// nothing when the text is not a number.
std::optional<std::string> twoDigits(std::string_view s) {
    const auto v = strictNumber(s);
    if (!v) return std::nullopt;
    const std::string t = formatDouble(*v + 100);
    return t.size() > 2 ? t.substr(t.size() - 2) : t;
}

std::uint32_t rankColour(const std::string& two) {
    if (two == "01") return colour::Yellow;
    if (two == "02") return colour::Cyan;
    if (two == "03") return colour::LightGreen;
    if (two == "04") return colour::Blue;
    if (two == "05") return colour::Magenta;
    return colour::White;
}

// The index of a tab or row given by a number text, or -1 outside lo..hi.
int indexIn(std::string_view s, int lo, int hi) {
    const auto v = strictInt(s);
    return v && *v >= lo && *v <= hi ? static_cast<int>(*v) : -1;
}

// Reads the file from the start; each "RR" item opens the next race, and each
// item equal to tag hands the items after it to line with the race's tab
// (-1 before the first "RR").
template <class Line>
void eachRaceLine(const std::string& path, const char* tag, Line line) {
    DayItems f(path);
    int race = 0;
    while (!f.atEnd()) {
        const std::string item = f.next();
        if (item == "RR") ++race;
        else if (item == tag) line(f, race - 1);
    }
}

}  // namespace

void KakoSeisekiQUEL::resetRaceTabs() {
    for (int i = 0; i < kRaceTabs; ++i) {
        Text2[i] = controls::TextModel{};
        GridModel& tk = TKFG[i];
        tk.setColWidth(1, 1700);
        tk.setColWidth(2, 1700);
        for (int c = 0; c < 4; ++c) tk.setText(0, c, kTkHeads[c]);
        for (int r = 1; r <= 7; ++r) {
            tk.setText(r, 0, kKinds[r]);
            for (int c = 1; c <= 3; ++c) tk.setText(r, c, "");
        }
        GridModel& rg = RACEFG[i];
        for (int c = 0; c < 14; ++c) rg.setText(0, c, kRaceHeads[c]);
        for (int r = 1; r <= 18; ++r)
            for (int c = 0; c < 14; ++c) {
                rg.setBackColor(r, c, colour::White);
                rg.setText(r, c, "");
            }
        rg.setRowHeight(0, 500);
        for (int c = 0; c < 14; ++c) rg.setColWidth(c, kRaceWidths[c]);
    }
}

void KakoSeisekiQUEL::ShowRaceTabs(const std::string& item) {
    const std::string path = appFile(std::string(dirs::TEKICHU) + "/" + DayKey + suffix::LUP_RCM);
    resetRaceTabs();

    // Captions: the day label, then the details of the tab's race line.
    const std::string label = firstChars(item, 20);
    {
        DayItems f(path);
        for (int i = 0; i < kRaceTabs; ++i) {
            bool race = false;
            while (!f.atEnd())
                if (f.next() == "RC") {
                    race = true;
                    break;
                }
            std::string caption = label;
            if (race) {
                f.next(2);
                const std::string number = f.nextText();
                if (!number.empty()) {
                    std::string v[9];  // values 4 to 11 at v[1] to v[8]
                    for (int k = 4; k <= 11; ++k) v[k - 3] = f.nextText();
                    caption += number + "R " + v[1] + v[2] + v[3] + v[4] + v[5] + v[6] + "m " + " SD=" + v[7] + " " + v[8];
                }
            }
            Text2[i].text = caption;
        }
    }

    // Runners.
    eachRaceLine(path, "HS", [this](DayItems& f, int tab) {
        const std::string place = f.nextText();
        if (place.empty()) return;
        std::string v[17];
        for (int k = 2; k <= 16; ++k) v[k] = f.nextText();
        const int row = indexIn(place, 1, 18);
        if (tab < 0 || tab >= kRaceTabs || row < 0) return;
        GridModel& g = RACEFG[tab];
        const auto horse = twoDigits(v[3]);
        g.setText(row, 0, horse ? v[2] + "  " + *horse : v[2]);
        for (int c = 1; c <= 3; ++c) {
            const auto two = twoDigits(v[c + 3]);
            g.setText(row, c, two.value_or(""));
            g.setBackColor(row, c, two ? rankColour(*two) : colour::White);
        }
        for (int c = 4; c <= 13; ++c) g.setText(row, c, v[c + 3]);
    });

    // Hits: the kind code gives the row.
    eachRaceLine(path, "AT", [this](DayItems& f, int tab) {
        if (f.next().empty()) return;
        const std::string kind = f.next();
        std::string v[3];
        for (std::string& s : v) s = f.nextText();
        const int row = indexIn(kind, 1, 7);
        if (tab < 0 || tab >= kRaceTabs || row < 0) return;
        for (int c = 1; c <= 3; ++c) TKFG[tab].setText(row, c, v[c - 1]);
    });
}

}  // namespace kv::history
