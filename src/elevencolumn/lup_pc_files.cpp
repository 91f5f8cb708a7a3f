#include "elevencolumn/lup_pc_files.h"

#include <stdexcept>

#include "betlines/combo_text.h"
#include "betlines/day_append.h"
#include "betlines/line_helpers.h"
#include "betlines/lup_files.h"
#include "common/appfolder.h"
#include "common/codec.h"
#include "common/quoted.h"
#include "elevencolumn/columns.h"
#include "elevencolumn/tally.h"
#include "racefiles/race_lines.h"
#include "prediction/writer.h"

namespace kv::eleven {

using racefiles::fixedCell;
using racefiles::horseCell;

std::string lupPcRrLine(bool result) {
    QuotedLine q;
    q.text("RR").text("n").text("w").text("馬").text("予");
    if (result) q.text("人").text("入");
    q.text("性").text("齢").text("馬名　　　　　　　").text("負担").text("騎手名　").text("推定タイム");
    if (result) q.text("実タイム");
    return q.line();
}

void appendLupPcHsLine(const pred::WindowState& st, int j, int k, std::string& out) {
    const pred::RaceState& r = st.race;
    const bool result = st.run.KekkaMode != 0;
    QuotedLine q;
    q.textRaw("HS")
        .textRaw(ShortText().number(k).view())
        .text(horseCell(r.Wakuban, j))
        .textRaw(ShortText().twoPlace(j).view())
        .text(fixedCell(st.kept.YosoJuni, j));
    if (result) q.text(fixedCell(st.kept.Ninki, j)).text(fixedCell(st.kept.Nyusen, j));
    q.text(horseCell(r.Seibetsu, j))
        .textRaw(ShortText().twoPlace(wholeNumber(horseCell(r.Barei, j))).view())
        .text(firstChars(horseCell(r.Bamei, j), 9))
        .text(horseCell(r.Futan, j))
        .text(firstChars(horseCell(r.KishuName, j), 4))
        .text(horseCell(r.SuiteiTime, j));
    if (result) q.text(horseCell(r.JitsuTime, j));
    q.appendTo(out);
}

std::string tekichuPcTitleLine() {
    QuotedLine q;
    for (const char* t : {" R番号", "単勝1", "複勝1", "単勝2", "複勝2", "馬連F", "馬連B", "馬単F", "  3連複B", "  3連単12",
                          "  3連単23", "  3連単13"})
        q.text(t);
    return q.line();
}

std::string tekichuPcRows(std::string_view raceNum, const pred::KeptState& kept) {
    const pred::KaimeStat* tickets[] = {&kept.StatUmarenF,     &kept.StatUmarenB,     &kept.StatUmatanF,
                                        &kept.StatSanrenpukuB, &kept.StatSanrentan12, &kept.StatSanrentan23,
                                        &kept.StatSanrentan13};
    const pred::TanFukuStat* columns[] = {&kept.StatTansho1, &kept.StatFukusho1, &kept.StatTansho2, &kept.StatFukusho2,
                                          tickets[0],        tickets[1],         tickets[2],        tickets[3],
                                          tickets[4],        tickets[5],         tickets[6]};
    QuotedLine points, hits, pays;
    points.text(fromCp932(raceNum) + "R点数  ");
    for (int i = 0; i < 4; ++i) points.text("1");
    for (const pred::KaimeStat* t : tickets) points.number(t->Tensu);
    hits.text("  的中目");
    pays.text("  配当");
    for (const pred::TanFukuStat* t : columns) hits.text(t->Kumi), pays.text(t->Haito);
    return points.line() + hits.line() + pays.line();
}

namespace {

const std::string& lupPcRrLineText(bool result) {
    static const std::string lines[2] = {lupPcRrLine(false), lupPcRrLine(true)};
    return lines[result ? 1 : 0];
}

// The title line of a day's hit table: the same as the race list writer's.
std::string tekichuHeadLine(std::string_view raceId, const std::optional<std::string>& courseName) {
    const std::string both = bet::tekichuHeaderLines(raceId, courseName);
    return both.substr(0, both.find("\r\n") + 2);
}

}  // namespace

void LupPcFilesWriter::writeRace(pred::WindowState& st, int RaceIdx) {
    const bool result = st.run.KekkaMode != 0;
    const pred::RaceState& race = st.race;
    const std::string raceId = racefiles::raceIdOf(st);
    const std::string dayKey = racefiles::dayKeyOf(raceId);
    const std::string base = std::string(dirs::TEKICHU) + "/" + dayKey;
    const std::string lupPath = appFile(base + (result ? suffix::LUP_RCM_PC : suffix::LUP_PC));
    const std::string tekichuPath = appFile(base + suffix::TEKICHU_PC);
    const auto courseName = st.run.codeTable.lookup("2001", fromCp932(raceId.substr(8, 2)), 4);

    // Each file gets the race's lines in one write; on a failure the lines
    // built so far (and a new hit table's head lines) are written before the
    // failure goes on to the chain.
    std::string& block = block_;
    std::string& table = table_;
    block.clear();
    table.clear();
    auto flush = [&] {
        bet::DayFileAppend lup(lupDays_, dayKey, lupPath);
        const bool lupOk = lup.write(block) && lup.close();
        bool tableOk = true;
        if (!table.empty()) {
            bet::DayFileAppend tekichu(tekichuDays_, dayKey, tekichuPath);
            tableOk = tekichu.write(table) && tekichu.close();
        }
        if (!lupOk) throw pred::WriteError("cannot write " + lupPath);
        if (!tableOk) throw pred::WriteError("cannot write " + tekichuPath);
    };
    try {
        if (lupDays_.isNew(dayKey)) {
            block += bet::dyLine(raceId);
            block += bet::plLine(raceId, courseName);
        }
        if (result && tekichuDays_.isNew(dayKey)) table = tekichuHeadLine(raceId, courseName) + tekichuPcTitleLine();
        const pred::SyosaiRow& row = st.run.Syosai.at(static_cast<std::size_t>(RaceIdx));
        block += racefiles::syosaiRcLine(row, result);
        block += lupPcRrLineText(result);
        racefiles::forEachInPredictedOrder(st, [&](int k, int j) { appendLupPcHsLine(st, j, k, block); });

        const ElevenBand band = elevenBandFor(bet::torokuTosuOf(race.RaceHorseRec), row[10]);
        WriteKaimePcLines(race.YosoJunUmaban, race.HorseCount, band, block);

        if (result && bet::payoutMatchesRace(race.HrRec, raceId)) {
            TallyTekichuHaito({race.HrRec, &race.YosoJunUmaban, race.HorseCount, &st.kept.Chakujun, band}, st.kept);
            table += tekichuPcRows(raceId.substr(14, 2), st.kept);
        }
    } catch (...) {
        flush();
        throw;
    }
    flush();
}

std::unique_ptr<pred::Writer> makeLupPcFilesWriter() { return std::make_unique<LupPcFilesWriter>(); }

}  // namespace kv::eleven
