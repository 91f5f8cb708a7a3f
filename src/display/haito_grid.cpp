// The payout grid: one row per bet kind, one group of three cells (combination,
// payout, popularity) per payout entry of the record in the window's buffer.
#include "acquisition/jvdata/race_records.h"
#include "common/codec.h"
#include "common/numbers.h"
#include "display/race_display.h"

namespace kv::display {

namespace {

namespace hr = kv::jv::HrRecord;

enum class Combo { Umaban, Wakuren, Pair, Exacta, Trio, Trifecta };

struct PayRow {
    const char* caption;
    kv::jv::Array entries;
    kv::Field kumi, pay, ninki;  // inside one entry
    Combo combo;
};

const PayRow kPayRows[8] = {
    {"単勝", hr::PayTansyo::kArray, hr::PayTansyo::kKumi, hr::PayTansyo::kPay, hr::PayTansyo::kNinki, Combo::Umaban},
    {"複勝", hr::PayFukusyo::kArray, hr::PayFukusyo::kKumi, hr::PayFukusyo::kPay, hr::PayFukusyo::kNinki,
     Combo::Umaban},
    {"枠連", hr::PayWakuren::kArray, hr::PayWakuren::kKumi, hr::PayWakuren::kPay, hr::PayWakuren::kNinki,
     Combo::Wakuren},
    {"馬連", hr::PayUmaren::kArray, hr::PayUmaren::kKumi, hr::PayUmaren::kPay, hr::PayUmaren::kNinki, Combo::Pair},
    {"ワイド", hr::PayWide::kArray, hr::PayWide::kKumi, hr::PayWide::kPay, hr::PayWide::kNinki, Combo::Pair},
    {"馬単", hr::PayUmatan::kArray, hr::PayUmatan::kKumi, hr::PayUmatan::kPay, hr::PayUmatan::kNinki, Combo::Exacta},
    {"３連複", hr::PaySanrenpuku::kArray, hr::PaySanrenpuku::kKumi, hr::PaySanrenpuku::kPay,
     hr::PaySanrenpuku::kNinki, Combo::Trio},
    {"３連単", hr::PaySanrentan::kArray, hr::PaySanrentan::kKumi, hr::PaySanrentan::kPay,
     hr::PaySanrentan::kNinki, Combo::Trifecta},
};

std::string comboCell(const std::string& k, Combo c) {
    auto part = [&k](std::size_t off, std::size_t n) { return fromCp932(k.substr(off, n)); };
    switch (c) {
        case Combo::Umaban: return fromCp932(k);
        case Combo::Wakuren: return part(0, 1) + "-" + part(1, 1);
        case Combo::Pair: return part(0, 2) + "-" + part(2, 2);
        case Combo::Exacta: return part(0, 2) + "→" + part(2, 2);
        case Combo::Trio: return part(0, 2) + "-" + part(2, 2) + "-" + part(4, 2);
        case Combo::Trifecta: return part(0, 2) + "→" + part(2, 2) + "→" + part(4, 2);
    }
    return std::string();
}

std::string wholeText(const std::string& digits) { return formatInt(vbFix(val(digits))); }

}  // namespace

void RaceDisplay::layoutHaitoGrid() {
    auto& g = HAITOGrid1;
    g.setText(0, 0, "券種");
    for (int r = 0; r < 8; ++r) g.setText(r + 1, 0, kPayRows[r].caption);
    static const char* const heads[3] = {"当り目", "配当(円)", "人気"};
    for (int k = 0; k < 5; ++k)
        for (int i = 0; i < 3; ++i) g.setText(0, 3 * k + 1 + i, heads[i]);
    g.setColWidth(1, 1200);
    for (int r = 1; r <= 8; ++r)
        for (int c = 1; c <= 21; ++c) g.setText(r, c, std::string());
}

void RaceDisplay::ShowHaitoGrid() {
    auto& g = HAITOGrid1;
    const std::string& rec = st_.race.HrRec;
    for (int r = 0; r < 8; ++r)
        for (std::size_t k = 0; k < kPayRows[r].entries.count; ++k)
            for (int i = 1; i <= 3; ++i) g.setText(r + 1, static_cast<int>(3 * k) + i, std::string());
    for (int r = 0; r < 8; ++r) {
        const PayRow& pr = kPayRows[r];
        for (std::size_t k = 0; k < pr.entries.count; ++k) {
            const std::string kumi = getField(rec, pr.entries.sub(k + 1, pr.kumi));
            const std::string pay = getField(rec, pr.entries.sub(k + 1, pr.pay));
            const std::string ninki = getField(rec, pr.entries.sub(k + 1, pr.ninki));
            const std::string& test = pr.combo == Combo::Umaban ? kumi : pay;
            if (val(test) == 0.0) continue;
            const int col = static_cast<int>(3 * k) + 1;
            g.setText(r + 1, col, comboCell(kumi, pr.combo));
            g.setText(r + 1, col + 1, wholeText(pay));
            g.setText(r + 1, col + 2, wholeText(ninki));
        }
    }
}

}  // namespace kv::display
