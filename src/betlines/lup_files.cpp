#include "betlines/lup_files.h"

#include <stdexcept>

#include "acquisition/jvdata/race_records.h"
#include "betlines/combo_text.h"
#include "betlines/day_append.h"
#include "betlines/hit_check.h"
#include "betlines/kaime_lines.h"
#include "betlines/line_helpers.h"
#include "betlines/payout_view.h"
#include "betlines/yosojun_lines.h"
#include "common/appfolder.h"
#include "common/codec.h"
#include "common/fields.h"
#include "common/numbers.h"
#include "common/quoted.h"
#include "prediction/writer.h"

namespace kv::bet {

namespace hr = kv::jv::HrRecord;

namespace {

std::string part(std::string_view s, std::size_t pos, std::size_t n) {
    return pos < s.size() ? std::string(s.substr(pos, n)) : std::string();
}

// A number field as text without leading zeros ("01" -> "1").
std::string numberText(std::string_view s) { return formatInt(vbInt(val(s))); }

const std::string& cell(const std::vector<std::string>& v, int i) {
    return v.at(static_cast<std::size_t>(i));
}

const std::string& fixedCell(const std::array<std::string, 19>& v, int i) {
    if (i < 0 || i > 18) throw pred::RaceDataError<std::out_of_range>("horse number beyond 18: " + std::to_string(i),
                                                         "馬番 " + std::to_string(i) + " が18を超えています。");
    return v[static_cast<std::size_t>(i)];
}

// A payout group of the HR record: its entries and the places of the
// combination and the payout inside one entry.
struct PayGroup {
    kv::jv::Array entries;
    Field kumi;
    Field pay;
};
#define KV_PAY_GROUP(G) PayGroup{hr::G::kArray, hr::G::kKumi, hr::G::kPay}

// Entries 1..last of a group: combination text, then payout text. A format
// marked cp932 gives CP932 bytes already.
void payEntries(QuotedLine& q, const PayoutRecordView& rec, const PayGroup& g, std::size_t last,
                std::string (*format)(std::string_view), bool cp932 = false) {
    for (std::size_t k = 1; k <= last; ++k) {
        const std::string kumi = format(rec(g.entries.sub(k, g.kumi)));
        if (cp932) q.textRaw(kumi);
        else q.text(kumi);
        q.text(FormatHaito(rec(g.entries.sub(k, g.pay))));
    }
}

}  // namespace

bool isFlatTrack(std::string_view t) { return t >= "00" && t <= "49"; }

std::string dyLine(std::string_view raceId) {
    return QuotedLine().text("DY").text("1").text(fromCp932(part(raceId, 0, 8))).line();
}

std::string plLine(std::string_view raceId, const std::optional<std::string>& courseName) {
    return QuotedLine()
        .text("PL")
        .text("1")
        .text(numberText(part(raceId, 10, 2)))
        .textOpt(courseName)
        .text(numberText(part(raceId, 12, 2)))
        .text("11")
        .line();
}

std::string rcLine(const pred::SyosaiRow& row) {
    return QuotedLine()
        .text("RC")
        .text(row[1])
        .text(row[2])
        .text(row[3])
        .text("")
        .text(row[4].empty() ? row[5] + row[6] : row[4])
        .text(row[5] + row[6])
        .text(row[7])
        .text(row[8])
        .text(row[9])
        .text(row[10])
        .text(row[11])
        .line();
}

std::string rrLine(bool resultMode, bool flat, const RrTitles& titles) {
    QuotedLine q;
    q.text("RR").text(titles.number).text(titles.frame).text(titles.horse).text(titles.rank);
    if (resultMode) q.text(titles.favourite).text(titles.arrival);
    q.text("性").text("齢").text("馬名　　　　　　　").text("負担").text("騎手名　").text("調教師名").text("推定タイム");
    if (resultMode) q.text("実タイム");
    q.text(flat ? "推定上3F" : "推定平1F");
    if (resultMode) q.text(flat ? "実上3F" : "実平1F");
    return q.line();
}

const std::string& rrLineText(bool resultMode, bool flat) {
    static const std::string lines[4] = {rrLine(false, false), rrLine(false, true), rrLine(true, false),
                                         rrLine(true, true)};
    return lines[(resultMode ? 2 : 0) + (flat ? 1 : 0)];
}

std::string hsLine(const pred::WindowState& st, int j, int k) {
    std::string s;
    appendHsLine(st, j, k, s);
    return s;
}

void appendHsLine(const pred::WindowState& st, int j, int k, std::string& out) {
    const pred::RaceState& r = st.race;
    const bool result = st.run.KekkaMode != 0;
    QuotedLine q;
    q.textRaw("HS")
        .textRaw(ShortText().number(k).view())
        .text(cell(r.Wakuban, j))
        .textRaw(ShortText().twoPlace(j).view())
        .text(fixedCell(st.kept.YosoJuni, j));
    if (result) q.text(fixedCell(st.kept.Ninki, j)).text(fixedCell(st.kept.Nyusen, j));
    q.text(cell(r.Seibetsu, j))
        .textRaw(ShortText().twoPlace(wholeNumber(cell(r.Barei, j))).view())
        .text(firstChars(cell(r.Bamei, j), 9))
        .text(cell(r.Futan, j))
        .text(firstChars(cell(r.KishuName, j), 4))
        .text(firstChars(cell(r.ChokyoshiName, j), result ? 4 : 3))
        .text(cell(r.SuiteiTime, j));
    if (result) q.text(cell(r.JitsuTime, j));
    q.text(cell(r.SuiteiAgari3F, j));
    if (result) q.text(cell(r.JitsuAgari3F, j));
    q.appendTo(out);
}

void appendPayoutLines(std::string_view hrRec, std::string& out) {
    const PayoutRecordView rec(hrRec);
    auto line = [&](const char* tag, const char* no, auto fill) {
        QuotedLine q;
        q.text(tag).text(no);
        fill(q);
        q.appendTo(out);
    };
    line("KK", "1", [&](QuotedLine& q) { payEntries(q, rec, KV_PAY_GROUP(PayTansyo), 2, FormatUmaban); });
    line("KK", "2", [&](QuotedLine& q) { payEntries(q, rec, KV_PAY_GROUP(PayFukusyo), 4, FormatUmaban); });
    line("KK", "3", [&](QuotedLine& q) { payEntries(q, rec, KV_PAY_GROUP(PayWakuren), 2, FormatWakurenKumi); });
    line("KK", "4", [&](QuotedLine& q) { payEntries(q, rec, KV_PAY_GROUP(PayUmaren), 2, FormatUmarenKumi); });
    line("KK", "5", [&](QuotedLine& q) { payEntries(q, rec, KV_PAY_GROUP(PayWide), 5, FormatUmarenKumi); });
    line("KS", "1", [&](QuotedLine& q) { payEntries(q, rec, KV_PAY_GROUP(PayUmatan), 6, FormatUmatanKumiCp932, true); });
    line("KS", "2", [&](QuotedLine& q) { payEntries(q, rec, KV_PAY_GROUP(PaySanrenpuku), 3, FormatSanrenpukuKumi); });
    if (val(rec(hr::PaySanrentan::Kumi(1))) != 0)
        line("KS", "3", [&](QuotedLine& q) {
            payEntries(q, rec, KV_PAY_GROUP(PaySanrentan), 6, FormatSanrentanKumiCp932, true);
        });
}

std::string tekichuHeaderLines(std::string_view raceId, const std::optional<std::string>& courseName) {
    const std::string monthDay = part(raceId, 4, 4);
    std::string s = QuotedLine()
                        .text(fromCp932(part(raceId, 0, 4)) + "年")
                        .text(fromCp932(part(monthDay, 0, 2)) + "月")
                        .text(fromCp932(part(monthDay, 2, 2)) + "日")
                        .text(numberText(part(raceId, 10, 2)) + "回")
                        .textOpt(courseName)
                        .text(numberText(part(raceId, 12, 2)) + "日目")
                        .line();
    QuotedLine()
             .text("R番号")
             .text("馬連")
             .text("馬単")
             .text("3連複")
             .text("3連単")
             .text("ワイド1")
             .text("ワイド2")
             .text("ワイド3")
             .appendTo(s);
    return s;
}

SummaryResults SummaryResults::of(const pred::KeptState& k) {
    return {&k.UmarenResult, &k.UmatanResult, &k.SanrenpukuResult, &k.SanrentanResult,
            &k.Wide1Result,  &k.Wide2Result,  &k.Wide3Result};
}

std::string tekichuRows(std::string_view raceNum, const SummaryResults& r) {
    const pred::TekichuResult* cols[] = {r.Umaren, r.Umatan, r.Sanrenpuku, r.Sanrentan, r.Wide1, r.Wide2, r.Wide3};
    const std::string labels[] = {fromCp932(raceNum) + "R 的中", "    当目", "    配当", "    予人"};
    std::string s;
    for (int row = 0; row < 4; ++row) {
        QuotedLine q;
        q.text(labels[row]);
        for (const pred::TekichuResult* c : cols) {
            const std::string* members[] = {&c->Tekichu, &c->Atarime, &c->Haito, &c->Ninki};
            q.text(*members[row]);
        }
        q.appendTo(s);
    }
    return s;
}

bool payoutMatchesRace(std::string_view hrRec, std::string_view raceId) {
    // Both read as 16 characters, blanks for what they lack.
    auto idAt = [&](std::size_t i) { return hr::RaceId.off + i < hrRec.size() ? hrRec[hr::RaceId.off + i] : ' '; };
    auto raceAt = [&](std::size_t i) { return i < raceId.size() ? raceId[i] : ' '; };
    for (std::size_t i : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 14, 15})
        if (idAt(i) != raceAt(i)) return false;
    return true;
}

void LupFilesWriter::writeRace(pred::WindowState& st, int RaceIdx) {
    const bool result = st.run.KekkaMode != 0;
    const RaceHorseRecord& rec = st.race.RaceHorseRec;
    const std::string raceId = raceIdOf(rec);
    const std::string dayKey = raceId.substr(0, 14);
    const std::string base = std::string(dirs::TEKICHU) + "/" + dayKey;
    const std::string lupPath = appFile(base + (result ? suffix::LUP_RCM : suffix::LUP));
    const auto courseName = st.run.codeTable.lookup("2001", fromCp932(raceId.substr(8, 2)), 4);

    // The day's files: created (emptied) on the key's first race of the run,
    // opened for appending afterwards; each is opened once per race.
    const bool newDay = lupDays_.isNew(dayKey);
    DayFileAppend lup(lupDays_, dayKey, lupPath);
    if (!lup.isOpen()) throw pred::WriteError("cannot open " + lupPath);
    std::optional<DayFileAppend> tekichu;
    std::string tekichuPath;
    if (result) {
        tekichuPath = appFile(base + suffix::TEKICHU);
        const bool newTekichu = tekichuDays_.isNew(dayKey);
        tekichu.emplace(tekichuDays_, dayKey, tekichuPath);
        if (!tekichu->isOpen() || (newTekichu && !tekichu->write(tekichuHeaderLines(raceId, courseName))))
            throw pred::WriteError("cannot open " + tekichuPath);
    }

    // The block is written in one go; on a failure the lines built so far are
    // written before the failure goes on to the chain.
    std::string& block = block_;
    block.clear();
    bool flushed = false;
    auto flush = [&] {
        flushed = true;
        if (!lup.write(block) || !lup.close()) throw pred::WriteError("cannot write " + lupPath);
    };
    try {
        if (newDay) {
            block += dyLine(raceId);
            block += plLine(raceId, courseName);
        }
        block += rcLine(st.run.Syosai.at(static_cast<std::size_t>(RaceIdx)));
        block += rrLineText(result, isFlatTrack(rec.get(rh::TrackCD.at(0))));

        // Horses by predicted rank, ties in number order. Every rank is read
        // on the first pass (a rank that is no number fails there).
        const int n = st.race.HorseCount;
        long long ranks[19];
        for (int k = 1; k <= n; ++k)
            for (int j = 1; j <= n; ++j) {
                if (k == 1) ranks[j] = wholeNumber(fixedCell(st.kept.YosoJuni, j));  // j <= 18 here
                if (ranks[j] == k) appendHsLine(st, j, k, block);
            }

        WriteYosojunLines(st, block);
        WriteKaimeMLines(st, block);
        WriteKaimePLines(st, block);

        bool matched = false;
        if (result && payoutMatchesRace(st.race.HrRec, raceId)) {
            matched = true;
            TekichuOutcome hits;
            try {
                CheckKaimeTekichu(st.race.HrRec, KaimeLists::of(st.race), hits);
            } catch (...) {
                hits.applyTo(st.kept);
                block += hits.lineBytes();
                throw;
            }
            hits.applyTo(st.kept);
            block += hits.lineBytes();
            appendPayoutLines(st.race.HrRec, block);
        }
        flush();

        if (result) {
            // A race without its payout record gets the no-hit values, never
            // the results of an earlier race.
            const pred::TekichuResult none = noHitResult();
            const SummaryResults rows = matched ? SummaryResults::of(st.kept)
                                                : SummaryResults{&none, &none, &none, &none, &none, &none, &none};
            const std::string raceNum = raceId.substr(14, 2);
            if (!tekichu->write(tekichuRows(raceNum, rows)) || !tekichu->close())
                throw pred::WriteError("cannot write " + tekichuPath);
        }
    } catch (...) {
        if (!flushed) lup.write(block);
        throw;
    }
}

std::unique_ptr<pred::Writer> makeLupFilesWriter() { return std::make_unique<LupFilesWriter>(); }

}  // namespace kv::bet
