#include "racefiles/race_lines.h"

#include <stdexcept>

#include "betlines/combo_text.h"
#include "betlines/line_helpers.h"
#include "common/quoted.h"
#include "common/speed.h"
#include "prediction/writer.h"

namespace kv::racefiles {

std::string syosaiRcLine(const pred::SyosaiRow& row, bool resultMode) {
    QuotedLine q;
    q.text("RC");
    for (int c = 1; c <= 11; ++c) q.text(row[static_cast<std::size_t>(c)]);
    if (resultMode) q.text("");
    return q.line();
}

std::string speedText(float kmh) {
    const ShortText t = ShortText(" ").number(speedMetresPerMinute(kmh));
    const std::string_view v = t.view();
    return std::string(v.size() > 4 ? v.substr(v.size() - 4) : v);
}

const std::string& horseCell(const std::vector<std::string>& v, int i) {
    if (i < 0 || static_cast<std::size_t>(i) >= v.size())
        throw pred::RaceDataError<std::out_of_range>("horse index beyond the race: " + std::to_string(i),
                                                     "馬番 " + std::to_string(i) + " の出走データが有りません。");
    return v[static_cast<std::size_t>(i)];
}

const std::string& fixedCell(const std::array<std::string, 19>& v, int i) {
    if (i < 0 || i > 18) throw pred::RaceDataError<std::out_of_range>("horse number beyond 18: " + std::to_string(i),
                                                         "馬番 " + std::to_string(i) + " が18を超えています。");
    return v[static_cast<std::size_t>(i)];
}

void forEachInPredictedOrder(const pred::WindowState& st, const std::function<void(int, int)>& f) {
    const int n = st.race.HorseCount;
    long long ranks[19];
    for (int r = 1; r <= n; ++r)
        for (int h = 1; h <= n; ++h) {
            // Every rank is read on the first pass; fixedCell keeps h within 0 to 18.
            if (r == 1) ranks[h] = wholeNumber(fixedCell(st.kept.YosoJuni, h));
            if (ranks[h] == r) f(r, h);
        }
}

std::string raceIdOf(const pred::WindowState& st) { return bet::raceIdOf(st.race.RaceHorseRec); }

}  // namespace kv::racefiles
