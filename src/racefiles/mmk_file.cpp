#include "racefiles/mmk_file.h"

#include <algorithm>

#include "acquisition/jvdata/race_records.h"
#include "betlines/bet_band.h"
#include "betlines/combo_text.h"
#include "betlines/payout_view.h"
#include "betlines/line_helpers.h"
#include "betlines/lup_files.h"
#include "common/appfolder.h"
#include "common/codec.h"
#include "common/fields.h"
#include "common/numbers.h"
#include "common/quoted.h"
#include "racefiles/payout_matches.h"
#include "racefiles/race_lines.h"
#include "prediction/writer.h"

namespace kv::racefiles {

namespace hr = kv::jv::HrRecord;

namespace {

const char* const kPairPlaceholder = "  -  ";
const char* const kTrioPlaceholder = "  -  -  ";

// Entry p of a bet list, empty when the list does not reach it.
std::string_view listEntry(const std::vector<std::string>& v, int count, int p) {
    if (p < 1 || p > count || static_cast<std::size_t>(p) >= v.size()) return {};
    return v[static_cast<std::size_t>(p)];
}

// Entries 1..last of a payout group: number or combination, then payout.
template <class KumiFn, class PayFn>
void payItems(QuotedLine& q, const bet::PayoutRecordView& rec, std::size_t last, KumiFn kumi, PayFn pay,
              std::string (*format)(std::string_view)) {
    for (std::size_t k = 1; k <= last; ++k) {
        q.text(format(rec(kumi(k))));
        q.text(FormatHaito(rec(pay(k))));
    }
}
#define KV_PAY(G, LAST, FORMAT) payItems(q, rec, LAST, hr::G::Kumi, hr::G::Pay, FORMAT)

const char* const kTierWord[] = {"本線", "準本", "伏兵"};
const char* const kCmTierWord[] = {"本線", "準本線", "伏兵"};

// The order label of a CM line: 本線 lines run the words together; the other
// tiers end order 1 with a blank and put a blank before 的中 from order 3 on.
std::string cmOrderLabel(int tier, int order) {
    const std::string o = "第" + std::to_string(order) + "順";
    if (tier == 0 || order == 2) return o + "的中";
    return order == 1 ? o + "的中 " : o + " 的中";
}

std::string cmLine(const std::string& comment) { return QuotedLine().text("CM").text("1").text(comment).line(); }

}  // namespace

std::string kLines(const pred::RaceState& race, std::string_view torokuTosu) {
    std::string s;
    appendKLines(race, torokuTosu, s);
    return s;
}

void appendKLines(const pred::RaceState& race, std::string_view torokuTosu, std::string& out) {
    static const char* const kTags[] = {"K1", "K2", "K3"};
    const bet::BetBand band = bet::betBandFor(torokuTosu);
    for (int line = 1; line <= 3; ++line) {
        QuotedLine q;
        q.textRaw(kTags[line - 1]).textRaw("1");
        for (int i = 1; i <= 6; ++i) {
            const std::string_view pair =
                line <= band.pairLines ? listEntry(race.UmarenKaimeDisp, race.UmarenKaimeCount, (line - 1) * 6 + i)
                                       : std::string_view();
            if (pair.empty()) q.textRaw(kPairPlaceholder);
            else q.textRaw(FormatUmarenKumi(pair));
        }
        q.appendTo(out);
    }
}

std::string sLines(const pred::RaceState& race, bool resultMode, std::string_view torokuTosu,
                   std::array<std::string, 8>& trios) {
    std::string s;
    appendSLines(race, resultMode, torokuTosu, trios, s);
    return s;
}

void appendSLines(const pred::RaceState& race, bool resultMode, std::string_view torokuTosu,
                  std::array<std::string, 8>& trios, std::string& out) {
    static const char* const kTags[] = {"S1", "S2", "S3"};
    const bet::BetBand band = bet::betBandFor(torokuTosu);
    const std::vector<std::string>& list = resultMode ? race.SanrenpukuKaimeKey : race.SanrenKaime;
    trios = {};
    for (int line = 1; line <= 3; ++line) {
        QuotedLine q;
        q.textRaw(kTags[line - 1]).textRaw("1");
        const int first = (line - 1) * 7 + 1;
        const int filled = line > band.trioLines ? 0 : band.shortTrioLine ? 4 : 7;
        for (int i = 1; i <= 7; ++i) {
            const int p = first + i - 1;
            const std::string_view trio = i <= filled ? listEntry(list, race.SanrenpukuKaimeCount, p) : std::string_view();
            if (i <= filled && p >= band.lastTrioFirst && p <= band.lastTrioLast) trios[static_cast<std::size_t>(i)] = trio;
            if (trio.empty()) q.textRaw(kTrioPlaceholder);
            else q.textRaw(FormatSanrenpukuKumi(trio));
        }
        q.appendTo(out);
    }
}

std::string mmkPayoutLines(std::string_view hrRec) {
    const bet::PayoutRecordView rec(hrRec);
    std::string s;
    {
        QuotedLine q;
        q.text("KK").text("1");
        KV_PAY(PayTansyo, 2, FormatUmaban);
        KV_PAY(PayFukusyo, 4, FormatUmaban);
        KV_PAY(PayWakuren, 2, FormatWakurenKumi);
        KV_PAY(PayUmaren, 2, FormatUmarenKumi);
        KV_PAY(PayWide, 5, FormatUmarenKumi);
        q.appendTo(s);
    }
    {
        QuotedLine q;
        q.text("KS").text("1");
        KV_PAY(PayUmatan, 6, FormatUmarenKumi);
        KV_PAY(PaySanrenpuku, 3, FormatSanrenpukuKumi);
        q.appendTo(s);
    }
    return s;
}

void appendMmkHitLines(std::string_view rec, const bet::KaimeLists& lists, std::string& out) {
    int h = 0;
    int w = 1;
    forEachPayoutMatch(rec, lists, {true, false}, [&](const PayoutMatch& m) {
        ++h;
        std::string kind;
        switch (m.kind) {
            case BetKind::Umaren: kind = "1"; break;
            // Kinds "5" and up belong to other bets: every ワイド hit after the
            // third keeps the kind "4".
            case BetKind::Wide: ++w; kind = std::to_string(std::min(w, 4)); break;
            case BetKind::Umatan: kind = "5"; break;
            default: kind = "6"; break;
        }
        const BetTier t = betTierOf(m.position, perTierOf(m.kind));
        if (t.tier < 0) return;
        std::string label = kTierWord[t.tier];
        if (m.kind == BetKind::Umatan) label += m.order == 1 ? "正順的中" : "逆順的中";
        else label += std::to_string(t.number) + " 的中";
        const std::string combo = m.kind == BetKind::Sanrenpuku ? FormatSanrenpukuKumi(m.kumi) : FormatUmarenKumi(m.kumi);
        QuotedLine().text("AT").text(std::to_string(h)).text(kind).text(label).text(combo).text(FormatHaito(m.pay)).appendTo(out);
    });
}

void WriteSanrentanTekichuComments(std::string_view rec, const bet::KaimeLists& lists, std::string& out) {
    const std::string firstKumi = getField(rec, hr::PaySanrentan::Kumi(1));  // once per race
    if (val(firstKumi) == 0) return;  // no ３連単 result in this record
    bool CmHitFlag = false;
    forEachPayoutMatch(rec, lists, {false, true}, [&](const PayoutMatch& m) {
        const BetTier t = betTierOf(m.position, 7);
        if (t.tier < 0) return;
        CmHitFlag = true;
        out += cmLine(kCmTierWord[t.tier] + std::to_string(t.number) + cmOrderLabel(t.tier, m.order) +
                      FormatSanrenpukuKumi(m.kumi) + " " + FormatHaito(m.pay) + "円");
    });
    if (!CmHitFlag)
        out += cmLine(FormatSanrenpukuKumi(firstKumi) + " " + FormatHaito(getField(rec, hr::PaySanrentan::Pay(1))) + "円");
}

void appendMmkHsLine(const pred::WindowState& st, int n, std::string& out) {
    const pred::RaceState& r = st.race;
    const bool result = st.run.KekkaMode != 0;
    const auto i = static_cast<std::size_t>(n);
    QuotedLine q;
    q.textRaw("HS")
        .textRaw(ShortText().number(n).view())
        .text(horseCell(r.Wakuban, n))
        .textRaw(ShortText().twoPlace(n).view())
        .text(fixedCell(st.kept.YosoJuni, n));
    if (result) q.text(fixedCell(st.kept.Nyusen, n));
    q.text(horseCell(r.Seibetsu, n))
        .textRaw(ShortText().twoPlace(wholeNumber(horseCell(r.Barei, n))).view())
        .text(firstChars(horseCell(r.Bamei, n), 9))
        .text(horseCell(r.Futan, n));
    const auto& marks = r.RankMarks.at(i);
    for (int m = 0; m < 4; ++m) q.text(marks[static_cast<std::size_t>(m)]);
    q.text(firstChars(horseCell(r.KishuName, n), 4)).text(horseCell(r.SuiteiTime, n));
    if (result) q.text(horseCell(r.JitsuTime, n));
    q.text(speedText(r.SuiteiSpeed.at(i)));
    if (result) q.text(speedText(r.JitsuSpeed.at(i)));
    q.appendTo(out);
}

void ShutsubahyoMmkWriter::writeRace(pred::WindowState& st, int RaceIdx) {
    // Never an earlier race's trios, also when this race fails.
    st.kept.SLineTrio = {};
    const bool result = st.run.KekkaMode != 0;
    const pred::RaceState& race = st.race;
    const std::string raceId = raceIdOf(st);
    const std::string torokuTosu = bet::torokuTosuOf(race.RaceHorseRec);
    std::array<std::string, 8> trios{};
    writeDayBlock(st, raceId, dirs::SHUTSUBAHYO, result ? suffix::MMK_RCM : suffix::MMK, [&](std::string& block) {
        block += syosaiRcLine(st.run.Syosai.at(static_cast<std::size_t>(RaceIdx)), result);
        appendKLines(race, torokuTosu, block);
        if (result && bet::payoutMatchesRace(race.HrRec, raceId)) {
            const bet::KaimeLists lists = bet::KaimeLists::of(race);
            block += mmkPayoutLines(race.HrRec);
            appendMmkHitLines(race.HrRec, lists, block);
            WriteSanrentanTekichuComments(race.HrRec, lists, block);
        }
        for (int n = 1; n <= race.HorseCount; ++n) appendMmkHsLine(st, n, block);
        appendSLines(race, result, torokuTosu, trios, block);
    });
    st.kept.SLineTrio = trios;
}

std::unique_ptr<pred::Writer> makeShutsubahyoMmkWriter() { return std::make_unique<ShutsubahyoMmkWriter>(); }

}  // namespace kv::racefiles
