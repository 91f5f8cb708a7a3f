#include "racefiles/race_lines.h"

#include <stdexcept>

#include "betlines/line_helpers.h"
#include "common/quoted.h"
#include "common/speed.h"

namespace kv::racefiles {

std::string syosaiRcLine(const pred::SyosaiRow& row, bool resultMode) {
    QuotedLine q;
    q.text("RC");
    for (int c = 1; c <= 11; ++c) q.text(row[static_cast<std::size_t>(c)]);
    if (resultMode) q.text("");
    return q.line();
}

std::string speedText(float kmh) {
    const std::string t = " " + std::to_string(speedMetresPerMinute(kmh));
    return t.size() > 4 ? t.substr(t.size() - 4) : t;
}

const std::string& horseCell(const std::vector<std::string>& v, int i) {
    if (i < 0 || static_cast<std::size_t>(i) >= v.size())
        throw std::out_of_range("horse index beyond the race: " + std::to_string(i));
    return v[static_cast<std::size_t>(i)];
}

const std::string& fixedCell(const std::array<std::string, 19>& v, int i) {
    if (i < 0 || i > 18) throw std::out_of_range("horse number beyond 18: " + std::to_string(i));
    return v[static_cast<std::size_t>(i)];
}

void forEachInPredictedOrder(const pred::WindowState& st, const std::function<void(int, int)>& f) {
    const int n = st.race.HorseCount;
    for (int r = 1; r <= n; ++r)
        for (int h = 1; h <= n; ++h)
            if (bet::wholeNumber(fixedCell(st.kept.YosoJuni, h)) == r) f(r, h);
}

std::string raceIdOf(const pred::WindowState& st) { return bet::raceIdOf(st.race.RaceHorseRec); }

}  // namespace kv::racefiles
