// Actual speeds of one run: final section, pace and whole race.
#include "expansion/speeds.h"

#include <cmath>
#include <optional>

#include "common/fields.h"
#include "common/numbers.h"
#include "expansion/calcerror.h"
#include "common/exrecord.h"

namespace kv::expansion {

namespace {

namespace ex = kv::exrec;

enum class RaceKind { Flat, Hurdle, Other };

RaceKind kindOf(std::string_view exRec) {
    const std::string tc = getField(exRec, ex::TrackCD);
    if (tc >= "01" && tc <= "29") return RaceKind::Flat;
    if (tc >= "51" && tc <= "59") return RaceKind::Hurdle;
    return RaceKind::Other;
}

// A member of the record, in English and as the user knows it.
struct Named {
    const char* english;
    const char* name;
};
constexpr Named kTime{"Time", "走破タイム"};
constexpr Named kHaronTimeL3{"HaronTimeL3", "後3ハロンタイム"};
constexpr Named kKyori{"Kyori", "距離"};

// A text as a decimal number (blanks around ignored); anything else fails
// the horse for its data.
float number(std::string_view text, const Named& m) {
    std::optional<double> v = strictNumber(text);
    if (!v)
        throw CalcDataError(std::string("not a number in ") + m.english + ": '" + std::string(text) + "'",
                            std::string(m.name) + "「" + std::string(text) + "」が数字ではありません");
    return static_cast<float>(*v);
}

// The whole-race time in tenths of a second: minutes x 600 + seconds in tenths.
float totalTenths(std::string_view time) {
    const float minutes = number(time.substr(0, 1), kTime);
    const float tenths = number(time.substr(1, 3), kTime);
    const float m600 = minutes * 600.0f;
    return m600 + tenths;
}

std::string midText(const std::string& s, std::size_t start1, std::size_t n) {
    if (start1 - 1 >= s.size()) return {};
    return s.substr(start1 - 1, n);
}

// Int(x) of a scaled speed. Beyond 15 digits the decimal text is no longer
// plain digits: such a speed is a failure of the calculation.
long long scaledInt(double x) {
    if (!std::isfinite(x) || std::fabs(x) >= 1e15) throw CalcError("speed out of range");
    return vbInt(x);
}

}  // namespace

std::string actualSpeedText(float v) {
    const long long x = scaledInt(static_cast<double>(v) * 100000.0) + 10000000LL;
    const std::string s = std::to_string(x);
    return s.size() <= 7 ? s : s.substr(s.size() - 7);
}

std::string predictedSpeedText(float x) {
    const long long y = scaledInt(static_cast<double>(x) * 1000000.0) + 100000000LL;
    return midText(std::to_string(y), 2, 7);
}

std::string sampleCountText(long long c) {
    return midText(std::to_string(c + 10000000LL), 2, 7);
}

std::string CalcAgariSpeed(std::string_view exRec) {
    const std::string l3 = getField(exRec, ex::HaronTimeL3);
    if (l3 == "   ") return std::string(7, ' ');
    const float t = number(l3, kHaronTimeL3);
    float v = 0.0f;
    const RaceKind kind = kindOf(exRec);
    if (kind == RaceKind::Flat && t != 0.0f) v = 21600.0f / t;
    else if (kind == RaceKind::Hurdle && t != 0.0f) v = 7200.0f / t;
    return actualSpeedText(v);
}

std::string CalcPaceSpeed(std::string_view exRec) {
    const std::string l3 = getField(exRec, ex::HaronTimeL3);
    if (l3 == "   ") return std::string(7, ' ');
    const float t3 = number(l3, kHaronTimeL3);
    float v = 0.0f;
    const RaceKind kind = kindOf(exRec);
    if (kind != RaceKind::Other && t3 != 0.0f) {
        const float total = totalTenths(getField(exRec, ex::Time));
        const float before = total - t3;
        const float kyori = number(getField(exRec, ex::Kyori), kKyori);
        const float d = kyori - (kind == RaceKind::Flat ? 600.0f : 200.0f);
        if (before == 0.0f) throw CalcError("zero pace time");
        const float q = d / before;
        v = q * 36.0f;
    }
    return actualSpeedText(v);
}

std::string CalcSohaSpeed(std::string_view exRec) {
    const std::string time = getField(exRec, ex::Time);
    float v = 0.0f;
    if (time != "    " && number(time, kTime) != 0.0f) {
        const float total = totalTenths(time);
        const float kyori = number(getField(exRec, ex::Kyori), kKyori);
        const float q = kyori / total;
        v = q * 36.0f;
    }
    return actualSpeedText(v);
}

}  // namespace kv::expansion
