#include "publishing/wp_block.h"

#include <stdexcept>

#include "betlines/combo_text.h"
#include "betlines/day_append.h"
#include "common/appfolder.h"
#include "common/codec.h"
#include "prediction/writer.h"

namespace kv::pub {

namespace {

void line(std::string& out, std::string_view s) { addLine(out, s); }

const char* const kTableOpen[] = {"<!-- wp:table -->", "<figure class=\"wp-block-Table\">", "<table class=\"\">",
                                  "<tbody>"};
const char* const kTableClose[] = {"</tbody>", "</table>", "</figure>", "<!-- /wp:table -->"};

}  // namespace

std::string wpDayFileName(const PageValues& v) { return kv::wpDayFileName(v.Year + v.MonthDay, v.VenueSlug); }

void appendWpRaceBlock(const pred::WindowState& st, int RaceIdx, const PageValues& v, std::string& out) {
    const pred::SyosaiRow& row = st.run.Syosai.at(static_cast<std::size_t>(RaceIdx));
    const pred::RaceState& r = st.race;
    line(out, "<!-- wp:heading -->");
    addLine(out, "<h2><strong>", zeroRule(row[3]), "R ", Escaped{row[8]}, " ", Escaped{row[9]}, "m 発走 ",
            Escaped{midChars(row[2], 0, 2)}, "：", Escaped{midChars(row[2], 2, 2)}, "</strong></h2>");
    line(out, "<!-- /wp:heading -->");
    for (const char* s : kTableOpen) line(out, s);
    line(out, "<tr><th>単勝・複勝</th><td>出馬表の予想順位を参考にして下さい</td></tr>");
    addLine(out, "<tr><th>馬連・馬単</th><td>", pairsText(v, "・"), "</td></tr>");
    addLine(out, "<tr><th>3連複・3連単</th><td>", triosText(v, "・"), "</td></tr>");
    for (const char* s : kTableClose) line(out, s);
    for (const char* s : kTableOpen) line(out, s);
    line(out, "<tr><th>枠</th><th>馬番</th><th>予想</th><th>馬名</th><th>性齢</th><th>負担重量</th><th>騎手</th><th>調教師</th></tr>");
    for (int h = 1; h <= r.HorseCount; ++h) {
        const RowTexts t = SetRowTexts(st, h);
        const auto i = static_cast<std::size_t>(h);
        addLine(out, "<tr><td><strong>", Escaped{t.RowWaku}, "</strong></td><td>", ShortText().number(h).view(), "</td><td>",
                Escaped{t.RowYosoJuni}, "</td><td>", Escaped{firstChars(r.Bamei.at(i), 9)}, "</td><td>",
                Escaped{r.Seibetsu.at(i)}, Escaped{t.RowBarei}, "</td><td>", Escaped{r.Futan.at(i)}, "kg</td><td>",
                Escaped{firstChars(r.KishuName.at(i), 4)}, "</td><td>", Escaped{firstChars(r.ChokyoshiName.at(i), 4)},
                "</td></tr>");
    }
    for (const char* s : kTableClose) line(out, s);
}

void WpRaceBlockWriter::writeRace(pred::WindowState& st, int RaceIdx) {
    const PageValues v = pageValuesFor(st, RaceIdx);
    const std::string path = appFile(wpDayFileName(v));
    const bool appended = !days_.isNew(v.dayKey);
    std::string& out = text_;
    out.clear();
    try {
        if (hasRankOne(st)) appendWpRaceBlock(st, RaceIdx, v, out);
    } catch (...) {
        bet::DayFileAppend file(days_, v.dayKey, path);  // the day's file is started all the same
        file.close();
        throw;
    }
    if (appended && v.RaceNum == "12") line(out, "Finish");
    bet::DayFileAppend file(days_, v.dayKey, path);
    if (!file.write(toCp932(out)) || !file.close()) throw pred::WriteError("cannot write " + path);
}

std::unique_ptr<pred::Writer> makeWpRaceBlockWriter() { return std::make_unique<WpRaceBlockWriter>(); }

}  // namespace kv::pub
