#include "publishing/csv_files.h"

#include <stdexcept>

#include "acquisition/jvdata/race_records.h"
#include "betlines/day_append.h"
#include "betlines/line_helpers.h"
#include "betlines/lup_files.h"
#include "common/appfolder.h"
#include "common/codec.h"
#include "common/fields.h"
#include "common/keys.h"
#include "common/numbers.h"
#include "common/quoted.h"
#include "common/recordfile.h"
#include "prediction/run_stages.h"
#include "publishing/race_section.h"
#include "prediction/writer.h"

namespace kv::pub {

namespace hr = kv::jv::HrRecord;

namespace {

const std::string& cell(const std::vector<std::string>& v, int i) { return v.at(static_cast<std::size_t>(i)); }

const std::string& rankCell(std::span<const std::string> v, int i) {
    if (i < 0 || static_cast<std::size_t>(i) >= v.size())
        throw pred::RaceDataError<std::out_of_range>("horse number beyond the table: " + std::to_string(i),
                                                     "馬番 " + std::to_string(i) + " の予想順位が有りません。");
    return v[static_cast<std::size_t>(i)];
}

// A number field as text without leading zeros ("02" -> "2").
std::string numberText(std::string_view s) { return formatInt(vbInt(val(s))); }

// n + 100 as text, its last two characters ("01" for 1).
std::string twoDigits(long long n) {
    const std::string t = std::to_string(n + 100);
    return t.substr(t.size() - 2);
}

// The race's identity with its members checked for use in file names.
struct RaceIds {
    std::string raceId, raceKey, dayKey, year, monthDay;
};
RaceIds raceIdsOf(const pred::WindowState& st) {
    RaceIds r;
    r.raceId = fromCp932(bet::raceIdOf(st.race.RaceHorseRec));
    requireDigits(r.raceId, "race id", 16);
    r.raceKey = raceKeyFromId(r.raceId);
    r.dayKey = dayKeyFromId(r.raceId);
    r.year = r.raceId.substr(0, 4);
    r.monthDay = r.raceId.substr(4, 4);
    return r;
}

}  // namespace

std::string SokudoHrLine(std::string_view raceId, std::span<const float> speeds, std::span<const std::string> ranks,
                         int HorseCount) {
    std::string s(raceId);
    for (int h = 1; h <= HorseCount; ++h) {
        if (static_cast<std::size_t>(h) >= speeds.size())
            throw pred::RaceDataError<std::out_of_range>("no speed for horse number " + std::to_string(h),
                                                         "馬番 " + std::to_string(h) + " の速度指数が有りません。");
        const float product = speeds[static_cast<std::size_t>(h)] * 1000.0f;
        const std::string speed = formatInt(vbInt(product));
        const std::string rank = twoDigits(wholeNumber(rankCell(ranks, h)));
        s += ',';
        s += speed;
        s += ',';
        s += rank;
    }
    s += "\r\n";
    return s;
}

SheetPayouts payoutsOfHorse(std::string_view rec, int h) {
    SheetPayouts p;
    const std::string uma = zeroPad(h, 2);
    for (std::size_t k = 1; k <= hr::PayTansyo::kArray.count && p.tansho.empty(); ++k)
        if (getField(rec, hr::PayTansyo::Umaban(k)) == uma) p.tansho = getField(rec, hr::PayTansyo::Pay(k));
    for (std::size_t k = 1; k <= hr::PayFukusyo::kArray.count && p.fukusho.empty(); ++k)
        if (getField(rec, hr::PayFukusyo::Umaban(k)) == uma) p.fukusho = getField(rec, hr::PayFukusyo::Pay(k));
    return p;
}

std::optional<std::string_view> TanfukuSheetWriter::payoutRecordOf(std::string_view raceId) {
    if (!hrLoaded_) {
        hrRecords_ = RecordFile(appFile(files::HR), hr::kLength).view();
        hrLoaded_ = true;
    }
    std::optional<std::string_view> found;
    for (const std::string_view rec : hrRecords_)
        if (bet::payoutMatchesRace(rec, raceId)) found = rec;  // the last match decides
    return found;
}

void TanfukuSheetWriter::writeRace(pred::WindowState& st, int RaceIdx) {
    const bool result = st.run.KekkaMode != 0;
    const RaceIds id = raceIdsOf(st);
    const std::string raceId = id.raceId;
    const char* folder = sheet_ == 1 ? dirs::TANFUKU : dirs::TANFUKU2;
    const char* suffix = sheet_ == 1 ? (result ? suffix::TNFK_RCM : suffix::TNFK) : (result ? suffix::TNFK_RCM2 : suffix::TNFK2);
    const std::string path = appFile(std::string(folder) + "/" + id.dayKey + suffix);

    std::string head;
    if (days_.isNew(id.dayKey)) {
        const std::string course = st.run.LookupCodeTable("2001", raceId.substr(8, 2), 4);
        QuotedLine()
                    .text(std::string("単勝・複勝 数量化") + (sheet_ == 1 ? "1" : "2") + "位 " + id.year + "年" +
                          id.monthDay.substr(0, 2) + "月" + id.monthDay.substr(2, 2) + "日 第" +
                          numberText(raceId.substr(10, 2)) + "回 " + course + " 第" + numberText(raceId.substr(12, 2)) +
                          "日")
                    .appendTo(head);
        QuotedLine titles;
        titles.text("発走時刻").text("R番号").text("枠番").text("馬番");
        if (result) titles.text("人気").text("入線");
        titles.text("馬名").text("単勝配当").text("複勝配当").text("騎手名").text("調教師名");
        titles.appendTo(head);
    }

    std::string rows;
    try {
        const pred::SyosaiRow& row = st.run.Syosai.at(static_cast<std::size_t>(RaceIdx));
        const pred::RaceState& r = st.race;
        for (int h = 1; h <= r.HorseCount; ++h) {
            if (h > 18) throw pred::RaceDataError<std::out_of_range>("horse number beyond 18: " + std::to_string(h),
                                                         "馬番 " + std::to_string(h) + " が18を超えています。");
            if (wholeNumber(st.kept.YosoJuni[static_cast<std::size_t>(h)]) != sheet_) continue;
            // Each lookup starts from empty texts: a race without its payout
            // record, or a horse without a paid entry, shows empty cells.
            SheetPayouts pay;
            if (result) {
                if (auto rec = payoutRecordOf(raceId)) pay = payoutsOfHorse(*rec, h);
            }
            QuotedLine q;
            q.text(row[2]).text("第" + row[3] + "R").text(cell(r.Wakuban, h)).text(TwoPlace(h));
            if (result)
                q.text(st.kept.Ninki[static_cast<std::size_t>(h)]).text(st.kept.Nyusen[static_cast<std::size_t>(h)]);
            q.text(firstChars(cell(r.Bamei, h), 9))
                .text(fromCp932(pay.tansho))
                .text(fromCp932(pay.fukusho))
                .text(firstChars(cell(r.KishuName, h), 4))
                .text(firstChars(cell(r.ChokyoshiName, h), result ? 4 : 3))
                .text(cell(r.Seibetsu, h))
                .text(TwoPlace(wholeNumber(cell(r.Barei, h))) + "歳")
                .text(row[4])
                .text(row[5])
                .text(row[6])
                .text(row[7])
                .text(row[8])
                .text(row[9] + "ｍ");
            q.appendTo(rows);
        }
    } catch (...) {
        bet::DayFileAppend file(days_, id.dayKey, path);
        file.write(head);  // the sheet's headings stay
        throw;
    }
    head += rows;
    bet::DayFileAppend file(days_, id.dayKey, path);
    if (!file.write(head) || !file.close()) throw pred::WriteError("cannot write " + path);
}

void TanshoBetCsvWriter::writeRace(pred::WindowState& st, int) {
    const RaceIds id = raceIdsOf(st);
    if (id.raceKey == LastTanshoKey) return;
    LastTanshoKey = id.raceKey;
    const std::string course = st.run.LookupCodeTable("2001", id.raceKey.substr(8, 2), 4);
    if (course.find('/') != std::string::npos)
        throw pred::RaceDataError<std::runtime_error>(
            "racecourse code " + id.raceKey.substr(8, 2) + ": name '" + course + "' holds a '/'",
            "コード表の競馬場コード " + id.raceKey.substr(8, 2) + " の名前に「/」が有ります。");
    const std::string path = appFile(pred::ticketFileName(st.run, dirs::TANSHO, id.raceKey));

    std::string text;
    for (int rank = 1; rank <= 2; ++rank)
        for (int h = 1; h <= st.race.HorseCount; ++h) {
            if (h > 18) throw pred::RaceDataError<std::out_of_range>("horse number beyond 18: " + std::to_string(h),
                                                         "馬番 " + std::to_string(h) + " が18を超えています。");
            if (wholeNumber(st.kept.YosoJuni[static_cast<std::size_t>(h)]) == rank)
                text += pred::TicketCsvLine(id.raceKey, "01", twoDigits(h));
        }
    if (!writeFileAtomic(path, text)) throw pred::WriteError("cannot write " + path);
}

void SokudoHrCsvWriter::writeRace(pred::WindowState& st, int) {
    const RaceIds id = raceIdsOf(st);
    const pred::RaceState& r = st.race;
    if (r.HorseCount <= 0) return;  // a race without runners has no line
    const std::string date = id.year + id.monthDay;
    const std::string line = SokudoHrLine(id.raceId, r.SuiteiSpeed, st.kept.YosoJuni, r.HorseCount);
    const std::string path = appFile(std::string(dirs::SOKUDO) + "/" + speedCsvName(date));
    bet::DayFileAppend file(dates_, date, path);
    if (!file.write(line) || !file.close()) throw pred::WriteError("cannot write " + path);
}

std::unique_ptr<pred::Writer> makeTanfukuCsv1Writer() { return std::make_unique<TanfukuSheetWriter>(1); }
std::unique_ptr<pred::Writer> makeTanfukuCsv2Writer() { return std::make_unique<TanfukuSheetWriter>(2); }
std::unique_ptr<pred::Writer> makeTanshoBetCsvWriter() { return std::make_unique<TanshoBetCsvWriter>(); }
std::unique_ptr<pred::Writer> makeSokudoHrCsvWriter() { return std::make_unique<SokudoHrCsvWriter>(); }

}  // namespace kv::pub
