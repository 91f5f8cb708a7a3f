#include "betlines/combo_text.h"

#include <cstdint>
#include <limits>

#include "common/numbers.h"

namespace kv {

namespace {

const char* const kArrow = "→";

bool isBlankPattern(std::string_view s, std::size_t width) {
    return s.size() == width && s.find_first_not_of(' ') == std::string_view::npos;
}

// A part read as a decimal integer in the given range, blanks around ignored.
long long part(std::string_view s, long long lo, long long hi) {
    auto v = strictInt(s);
    if (!v || *v < lo || *v > hi) throw ConversionError("not a number: '" + std::string(s) + "'");
    return *v;
}

long long horse(std::string_view s) {
    return part(s, std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max());
}

std::string sub(std::string_view s, std::size_t pos, std::size_t n) {
    return pos < s.size() ? std::string(s.substr(pos, n)) : std::string();
}

std::string joinHorses(std::string_view kumi, std::size_t count, const char* sep) {
    std::string out;
    for (std::size_t i = 0; i < count; ++i) {
        if (i) out += sep;
        out += TwoPlace(horse(sub(kumi, 2 * i, 2)));
    }
    return out;
}

}  // namespace

std::string TwoPlace(long long n) {
    std::string t = " " + std::to_string(n);
    return t.substr(t.size() - 2);
}

std::string FormatUmaban(std::string_view umaban) {
    if (isBlankPattern(umaban, 2)) return {};
    return TwoPlace(horse(umaban));
}

std::string FormatWakurenKumi(std::string_view kumi) {
    if (isBlankPattern(kumi, 2)) return {};
    return std::to_string(horse(sub(kumi, 0, 1))) + "-" + std::to_string(horse(sub(kumi, 1, 1)));
}

std::string FormatUmarenKumi(std::string_view kumi) {
    if (isBlankPattern(kumi, 4)) return {};
    return joinHorses(kumi, 2, "-");
}

std::string FormatUmatanKumi(std::string_view kumi) {
    if (isBlankPattern(kumi, 4)) return {};
    return joinHorses(kumi, 2, kArrow);
}

std::string FormatSanrenpukuKumi(std::string_view kumi) {
    if (isBlankPattern(kumi, 6)) return {};
    return joinHorses(kumi, 3, "-");
}

std::string FormatSanrentanKumi(std::string_view kumi) {
    if (isBlankPattern(kumi, 6)) return {};
    return joinHorses(kumi, 3, kArrow);
}

std::string FormatHaito(std::string_view haito) {
    if (isBlankPattern(haito, 9)) return {};
    return std::to_string(part(haito, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

}  // namespace kv
