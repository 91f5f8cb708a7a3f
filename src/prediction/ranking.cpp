// Per-horse values, ranking and the horse lines of the KAIME files.
#include <cmath>

#include "common/codec.h"
#include "common/numbers.h"
#include "common/quicksort.h"
#include "common/quoted.h"
#include "common/speed.h"
#include "prediction/run_stages.h"

namespace kv::pred {

namespace {

std::string lastChars2(const std::string& s, std::size_t n) { return s.size() > n ? s.substr(s.size() - n) : s; }
// A text set into a 2-character field: right-justified, the leftmost
// characters kept when longer.
std::string rset2(const std::string& s) { return s.size() >= 2 ? s.substr(0, 2) : std::string(2 - s.size(), ' ') + s; }
std::string at(const std::string& s, std::size_t i, std::size_t n) { return i < s.size() ? s.substr(i, n) : std::string(); }

bool isFlat(const std::string& track) { return track >= "00" && track <= "49"; }

// The last n characters of a blank and Int(speed x 16.666); empty for a speed
// that is no number (a damaged record).
std::string metresPerMinuteText(float speed, std::size_t n) {
    if (!std::isfinite(speed) || std::fabs(speed) > 1e12f) return std::string();
    return lastChars2(" " + formatInt(speedMetresPerMinute(speed)), n);
}

}  // namespace

std::optional<std::string> ConvertSpeedToTimeText(float speed, std::string_view distance) {
    auto d = strictNumber(distance);
    if (!d || speed == 0.0f) return std::nullopt;
    float m = static_cast<float>(*d / static_cast<double>(speed));  // text / Single is a Double quotient
    m = m * 60.0f;
    m = m / 1000.0f;
    if (!std::isfinite(m) || std::fabs(m) > 1e15f) return std::nullopt;  // a damaged record's speed
    const long long im = vbInt(m);
    const float s = (m - static_cast<float>(im)) * 60.0f;
    const long long is = vbInt(s);
    const float c = (s - static_cast<float>(is)) * 100.0f;
    const long long ic = vbInt(c);
    return formatInt(im) + "." + lastChars2(formatInt(is + 100), 2) + "." + lastChars2(formatInt(ic + 100), 2);
}

std::optional<float> CalcSpeedStdDev(const std::vector<float>& values, int n) {
    float sum = 0.0f, squares = 0.0f;
    std::int16_t count = 0;
    for (int i = 1; i <= n && static_cast<std::size_t>(i) < values.size(); ++i) {
        const float v = values[static_cast<std::size_t>(i)];
        sum = sum + v;
        squares = squares + v * v;
        ++count;
    }
    if (count == 0) return std::nullopt;
    const float c = static_cast<float>(count);
    const float mean = sum / c;
    float variance = squares / c - mean * mean;
    if (!(variance > 0.0f)) variance = 0.0f;
    return std::sqrt(variance);
}

void MarkRankBands(RaceState& race, const RaceHorseRecord& rec, int LoopI) {
    static const double kTopFlat[5] = {73, 176, 73, 75, 77};
    static const double kTopOther[5] = {88, 86, 69, 60, 45};
    const bool flat = isFlat(rec.get(rh::TrackCD.at(0)));
    auto& marks = race.RankMarks.at(static_cast<std::size_t>(LoopI));
    for (int e = 0; e < 5; ++e) {
        const double v = val(rec.get(rh::EntityRank.at(e)));
        const double top = flat ? kTopFlat[e] : kTopOther[e];
        bool mark = v == 0.0 || v > top;
        if (flat && e == 1) {
            mark = mark || (v >= 1 && v <= 5) || (v >= 6 && v <= 50) || (v >= 51 && v <= 100) || (v >= 101 && v <= 176);
        } else {
            mark = mark || (v >= 1 && v <= 5) || (v >= 6 && v <= 10) || (v >= 11 && v <= 20) || (v >= 21 && v <= top);
        }
        if (mark) marks[static_cast<std::size_t>(e)] = "A";
    }
}

void fillHorseValues(WindowState& st, const RaceHorseRecord& rec, int h) {
    RaceState& r = st.race;
    const auto i = static_cast<std::size_t>(h);
    r.GoseiSpeed[i] = rec.runSpeed(0, rh::kSpeedComposite);
    r.HorseSpeedAdjust[i] = rec.speedAdjust();
    r.SuiteiSpeed[i] = r.GoseiSpeed[i] + r.HorseSpeedAdjust[i];
    r.JitsuSpeed[i] = rec.runSpeed(0, rh::kSpeedActual);
    const float agari = rec.runSpeed(0, rh::kSpeedAgariPredicted);

    const std::string time = rec.get(rh::Time.at(0));
    r.JitsuTime[i] = (time == "    " || time == "0000")
                         ? std::string("    ")
                         : fromCp932(at(time, 0, 1) + "." + at(time, 1, 2) + "." + at(time, 3, 1) + " ");
    const std::string l3 = rec.get(rh::HaronTimeL3.at(0));
    r.JitsuAgari3F[i] = fromCp932(at(l3, 0, 2) + "." + at(l3, 2, 1) + " ");
    r.Wakuban[i] = fromCp932(rec.get(rh::Wakuban.at(0)));
    r.Bamei[i] = fromCp932(rec.get(rh::Bamei));
    r.KishuName[i] = fromCp932(rec.get(rh::KisyuRyakusyo.at(0)));
    r.ChokyoshiName[i] = fromCp932(rec.get(rh::ChokyosiRyakusyo.at(0)));
    const std::string futan = rec.get(rh::Futan);
    r.Futan[i] = fromCp932(at(futan, 0, 2) + "." + at(futan, 2, 1));
    r.Seibetsu[i] = firstChars(st.run.LookupCodeTable("2202", rec.get(rh::SexCD), 2), 1);
    r.Barei[i] = fromCp932(rec.get(rh::Barei));
    MarkRankBands(r, rec, h);

    // Predicted closing time: hundredths over 600 m (flat) or 200 m (hurdle).
    long long t = 0;
    if (agari != 0.0f) {
        const double metres = isFlat(rec.get(rh::TrackCD.at(0))) ? 216000.0 : 72000.0;
        const double q = metres / static_cast<double>(agari);
        if (std::isfinite(q) && std::fabs(q) < 1e15) t = vbInt(q);
    }
    const std::string tt = formatInt(t);
    r.SuiteiAgari3F[i] = at(tt, 0, 2) + "." + at(tt, 2, 1);

    r.SuiteiTime[i] = ConvertSpeedToTimeText(r.SuiteiSpeed[i], rec.get(rh::Kyori.at(0))).value_or(std::string());
    if (h >= 0 && h <= 18) {
        auto nyusen = strictInt(rec.get(rh::NyusenJyuni.at(0)));
        st.kept.Nyusen[i] = nyusen ? rset2(formatInt(*nyusen)) : std::string();
        const std::string kakutei = rec.get(rh::KakuteiJyuni.at(0));
        st.kept.Chakujun[i] = (kakutei >= "01" && kakutei <= "05") ? kakutei : std::string("**");
        auto ninki = strictInt(rec.get(rh::Ninki.at(0)));
        st.kept.Ninki[i] = ninki ? rset2(formatInt(*ninki)) : std::string();
    }
}

void rankHorses(WindowState& st, int RaceIdx) {
    RaceState& r = st.race;
    const int n = r.HorseCount;
    const auto sd = CalcSpeedStdDev(r.SuiteiSpeed, n);
    r.SpeedSD = sd.value_or(0.0f);
    st.run.Syosai.at(static_cast<std::size_t>(RaceIdx))[10] = metresPerMinuteText(r.SpeedSD, 2);

    for (int h = 1; h <= n; ++h) {
        r.YosoJunUmaban[static_cast<std::size_t>(h)] = zeroPad(h, 2);
        r.YosoSortKey[static_cast<std::size_t>(h)] = r.SuiteiSpeed[static_cast<std::size_t>(h)];
    }
    QuickSortDesc(r.YosoSortKey, r.YosoJunUmaban, 1, n);
    for (int k = 1; k <= n; ++k) {
        const long long h = valLong(r.YosoJunUmaban[static_cast<std::size_t>(k)]);
        if (h >= 0 && h <= 18) st.kept.YosoJuni[static_cast<std::size_t>(h)] = lastChars2(" " + formatInt(k), 2);
    }
}

std::string horseCandidateLine(const WindowState& st, const std::string& raceKey, int h) {
    const auto i = static_cast<std::size_t>(h);
    return QuotedLine()
        .textRaw(raceKey)
        .number(h)
        .single(st.race.SuiteiSpeed[i])
        .single(st.race.GoseiSpeed[i])
        .single(st.race.HorseSpeedAdjust[i])
        .line();
}

namespace {
// Fields 1 to 8 shared by the two horse tables.
QuotedLine horseTableHead(const WindowState& st, int h) {
    const RaceState& r = st.race;
    const auto i = static_cast<std::size_t>(h);
    auto age = strictInt(r.Barei[i]);
    QuotedLine q;
    q.number(h)
        .text(r.Wakuban[i])
        .text(rset2(formatInt(h)))
        .text(h <= 18 ? st.kept.YosoJuni[i] : std::string())
        .text(r.Seibetsu[i])
        .text(age ? rset2(formatInt(*age)) : std::string())
        .text(firstChars(r.Bamei[i], 9))
        .text(r.Futan[i]);
    return q;
}
}  // namespace

std::string horseSortLine(const WindowState& st, int h) {
    const RaceState& r = st.race;
    const auto i = static_cast<std::size_t>(h);
    QuotedLine q = horseTableHead(st, h);
    for (int e = 0; e < 4; ++e) q.text(r.RankMarks[i][static_cast<std::size_t>(e)]);
    q.text(firstChars(r.KishuName[i], 4))
        .text(r.SuiteiTime[i])
        .text(metresPerMinuteText(r.SuiteiSpeed[i], 4));
    return q.line();
}

std::string lupSortLine(const WindowState& st, int h) {
    const RaceState& r = st.race;
    const auto i = static_cast<std::size_t>(h);
    QuotedLine q = horseTableHead(st, h);
    q.text(firstChars(r.KishuName[i], 4))
        .text(firstChars(r.ChokyoshiName[i], 4))
        .text(r.SuiteiTime[i])
        .text(r.SuiteiAgari3F[i]);
    return q.line();
}

}  // namespace kv::pred
