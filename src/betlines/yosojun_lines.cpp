#include "betlines/yosojun_lines.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "betlines/line_helpers.h"
#include "common/numbers.h"
#include "common/quoted.h"
#include "prediction/writer.h"

namespace kv::bet {

int yosojunRankCount(double n) {
    if (n >= 1 && n <= 4) return 4;
    if (n >= 5 && n <= 18 && std::floor(n) == n) return static_cast<int>(n);
    return 0;
}

void WriteYosojunLines(const pred::WindowState& st, std::string& out) {
    const pred::RaceState& r = st.race;
    const int asked = yosojunRankCount(val(torokuTosuOf(r.RaceHorseRec)));
    // Only the ranks the race's table holds are written.
    const int held = static_cast<int>(r.YosoJunUmaban.size()) - 1;
    const int ranks = std::max(0, std::min({asked, r.HorseCount, held}));
    if (ranks == 0) return;

    auto horseOfRank = [&](int k) { return wholeNumber(r.YosoJunUmaban[static_cast<std::size_t>(k)]); };

    static const char* const kQ[] = {"Q1", "Q2", "Q3", "Q4"};
    static const char* const kATQ[] = {"ATQ1", "ATQ2", "ATQ3", "ATQ4"};
    const int lines = (ranks + 4) / 5;

    for (int l = 0; l < lines; ++l) {
        QuotedLine q;
        q.text(kQ[l]);
        for (int k = 5 * l + 1; k <= std::min(ranks, 5 * l + 5); ++k) q.text(TwoPlace(horseOfRank(k)));
        q.appendTo(out);
    }
    if (st.run.KekkaMode == 0) return;
    for (int l = 0; l < lines; ++l) {
        QuotedLine q;
        q.text(kATQ[l]);
        for (int k = 5 * l + 1; k <= std::min(ranks, 5 * l + 5); ++k) {
            const long long h = horseOfRank(k);
            if (h < 0 || h > 18) throw pred::RaceDataError<std::out_of_range>("horse number beyond 18: " + std::to_string(h),
                                                         "馬番 " + std::to_string(h) + " が18を超えています。");
            q.text(st.kept.Chakujun[static_cast<std::size_t>(h)]);
        }
        q.appendTo(out);
    }
}

}  // namespace kv::bet
