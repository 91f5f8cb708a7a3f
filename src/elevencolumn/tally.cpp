#include "elevencolumn/tally.h"

#include <cstdint>
#include <limits>
#include <stdexcept>

#include "acquisition/jvdata/race_records.h"
#include "betlines/combo_text.h"
#include "betlines/line_helpers.h"
#include "common/fields.h"
#include "common/numbers.h"
#include "prediction/writer.h"

namespace kv::eleven {

namespace hr = kv::jv::HrRecord;

namespace {

template <class T>
void addChecked(T& total, long long add) {
    const long long v = static_cast<long long>(total) + add;
    if (v < std::numeric_limits<T>::min() || v > std::numeric_limits<T>::max())
        throw pred::RaceDataError<std::overflow_error>("day total beyond its width", "一日の集計が桁数を超えています。");
    total = static_cast<T>(v);
}

class Check {
public:
    Check(const ElevenRace& r, pred::KeptState& kept) : r_(r), s_(ElevenStats::of(kept)) {}

    void run() {
        for (auto* s : s_.winPlace) s->Kumi.clear(), s->Haito.clear();
        for (auto* s : s_.tickets) s->Kumi.clear(), s->Haito.clear();

        winPlace(*s_.winPlace[0], 1, hr::PayTansyo::kArray.count, hr::PayTansyo::Umaban, hr::PayTansyo::Pay);
        winPlace(*s_.winPlace[1], 1, hr::PayFukusyo::kArray.count, hr::PayFukusyo::Umaban, hr::PayFukusyo::Pay);
        winPlace(*s_.winPlace[2], 2, hr::PayTansyo::kArray.count, hr::PayTansyo::Umaban, hr::PayTansyo::Pay);
        winPlace(*s_.winPlace[3], 2, hr::PayFukusyo::kArray.count, hr::PayFukusyo::Umaban, hr::PayFukusyo::Pay);

        const ElevenBand& b = r_.band;
        ticket(*s_.tickets[0], b.umarenF(), [&] {
            int c = count(1, 3, "01", "02");
            if (c == 1) c += count(4, b.uf2Last, "01", "02");
            return c == 2;
        }, hr::PayUmaren::Kumi(1), hr::PayUmaren::Pay(1), FormatUmarenKumi);
        ticket(*s_.tickets[1], b.umarenB(), [&] { return count(1, b.ubxLast, "01", "02") == 2; },
               hr::PayUmaren::Kumi(1), hr::PayUmaren::Pay(1), FormatUmarenKumi);
        ticket(*s_.tickets[2], b.umatanF(), [&] {
            int c = count(1, 3, "01");
            if (c == 1) c += count(1, b.umatanLast, "02");
            return c == 2;
        }, hr::PayUmatan::Kumi(1), hr::PayUmatan::Pay(1), FormatUmatanKumi);
        ticket(*s_.tickets[3], b.sanrenpukuB(), [&] { return count(1, b.sbxLast, "01", "02", "03") == 3; },
               hr::PaySanrenpuku::Kumi(1), hr::PaySanrenpuku::Pay(1), FormatSanrenpukuKumi);
        ticket(*s_.tickets[4], b.sanrentan12(), [&] { return trifecta(1, 2, 3, b.s12Last); },
               hr::PaySanrentan::Kumi(1), hr::PaySanrentan::Pay(1), FormatSanrentanKumi);
        ticket(*s_.tickets[5], b.sanrentan23(), [&] { return trifecta(2, 3, 4, b.s23Last); },
               hr::PaySanrentan::Kumi(1), hr::PaySanrentan::Pay(1), FormatSanrentanKumi);
        ticket(*s_.tickets[6], b.sanrentan13(), [&] { return trifecta(1, 3, 4, b.s23Last); },
               hr::PaySanrentan::Kumi(1), hr::PaySanrentan::Pay(1), FormatSanrentanKumi);
    }

private:
    // The horse number of predicted rank k.
    int horse(int k) const {
        const auto& ranks = *r_.YosoJunUmaban;
        if (k < 1 || k > r_.horseCount || static_cast<std::size_t>(k) >= ranks.size())
            throw pred::RaceDataError<std::out_of_range>(
                "no horse of predicted rank " + std::to_string(k),
                "予想順位 " + std::to_string(k) + " 位の馬が有りません（出走頭数を超える順位です）。");
        const long long h = wholeNumber(ranks[static_cast<std::size_t>(k)]);
        if (h < 0 || h > 18) throw pred::RaceDataError<std::out_of_range>("horse number beyond 18: " + std::to_string(h),
                                                         "馬番 " + std::to_string(h) + " が18を超えています。");
        return static_cast<int>(h);
    }
    // The final position text of the horse of predicted rank k.
    const std::string& place(int k) const { return (*r_.Chakujun)[static_cast<std::size_t>(horse(k))]; }

    // Horses of ranks first..last whose final position is one of the texts.
    template <class... T>
    int count(int first, int last, const T&... texts) const {
        int c = 0;
        for (int k = first; k <= last; ++k) {
            const std::string& p = place(k);
            if (((p == texts) || ...)) ++c;
        }
        return c;
    }

    // Two axis horses anywhere among the first three, the third from ranks first..last.
    bool trifecta(int a, int b, int first, int last) const {
        const std::string axes = place(a) + place(b);
        const char* need = axes == "0102" || axes == "0201"   ? "03"
                           : axes == "0203" || axes == "0302" ? "01"
                           : axes == "0103" || axes == "0301" ? "02"
                                                              : nullptr;
        return need && count(first, last, std::string(need)) == 1;
    }

    void hit(pred::TanFukuStat& s, std::string kumi, std::string_view payField) {
        s.Kumi = std::move(kumi);
        const long long pay = wholeNumber(payField);
        s.Haito = formatInt(pay);
        addChecked(s.TekichuKaisu, 1);
        addChecked(s.HaitoGoukei, pay);
    }

    void winPlace(pred::TanFukuStat& s, int rank, std::size_t entries, Field (*umaban)(std::size_t),
                  Field (*pay)(std::size_t)) {
        const int h = horse(rank);
        for (std::size_t k = 1; k <= entries; ++k) {
            const auto v = strictInt(getField(r_.hrRec, umaban(k)));
            if (v && *v == h) hit(s, (*r_.YosoJunUmaban)[static_cast<std::size_t>(rank)], getField(r_.hrRec, pay(k)));
        }
    }

    template <class Test>
    void ticket(pred::KaimeStat& s, int points, Test test, Field kumi, Field pay, std::string (*format)(std::string_view)) {
        s.Tensu = static_cast<std::int16_t>(points);
        addChecked(s.TensuGoukei, points);
        if (test()) hit(s, format(getField(r_.hrRec, kumi)), getField(r_.hrRec, pay));
    }

    const ElevenRace& r_;
    ElevenStats s_;
};

}  // namespace

ElevenStats ElevenStats::of(pred::KeptState& k) {
    return {{&k.StatTansho1, &k.StatFukusho1, &k.StatTansho2, &k.StatFukusho2},
            {&k.StatUmarenF, &k.StatUmarenB, &k.StatUmatanF, &k.StatSanrenpukuB, &k.StatSanrentan12,
             &k.StatSanrentan23, &k.StatSanrentan13}};
}

void TallyTekichuHaito(const ElevenRace& race, pred::KeptState& kept) { Check(race, kept).run(); }

}  // namespace kv::eleven
