#include "betlines/combo_text.h"

#include <charconv>
#include <cstdint>
#include <cstring>
#include <limits>

#include "common/codec.h"
#include "common/numbers.h"

namespace kv {

namespace {

const char* const kArrow = "→";

bool isBlankPattern(std::string_view s, std::size_t width) {
    return s.size() == width && s.find_first_not_of(' ') == std::string_view::npos;
}

// A horse number part: a 16-bit whole number, blanks around ignored.
long long horse(std::string_view s) {
    return wholeNumber(s, std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max());
}

std::string_view sub(std::string_view s, std::size_t pos, std::size_t n) {
    return pos < s.size() ? s.substr(pos, n) : std::string_view();
}

std::string joinHorses(std::string_view kumi, std::size_t count, const char* sep) {
    ShortText t;
    if (count == 2) t.horses(kumi, {0, 1}, sep);
    else t.horses(kumi, {0, 1, 2}, sep);
    return std::string(t.view());
}

}  // namespace

ShortText& ShortText::add(std::string_view s) {
    const std::size_t n = std::min(s.size(), sizeof c_ - n_);
    std::memcpy(c_ + n_, s.data(), n);
    n_ += n;
    return *this;
}

ShortText& ShortText::number(long long v) {
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return add(std::string_view(buf, static_cast<std::size_t>(r.ptr - buf)));
}

ShortText& ShortText::twoPlace(long long v) {
    // " " & n, its last two characters.
    if (v >= 0 && v <= 99) {
        const char two[2] = {v < 10 ? ' ' : static_cast<char>('0' + v / 10), static_cast<char>('0' + v % 10)};
        return add(std::string_view(two, 2));
    }
    char buf[24];
    buf[0] = ' ';
    const auto r = std::to_chars(buf + 1, buf + sizeof buf, v);
    return add(std::string_view(r.ptr - 2, 2));
}

ShortText& ShortText::horses(std::string_view key, std::initializer_list<std::size_t> order, std::string_view sep) {
    bool first = true;
    for (std::size_t i : order) {
        if (!first) add(sep);
        first = false;
        twoPlace(horse(sub(key, 2 * i, 2)));
    }
    return *this;
}

ShortText& ShortText::horses(const long long* numbers, std::initializer_list<std::size_t> order, std::string_view sep) {
    bool first = true;
    for (std::size_t i : order) {
        if (!first) add(sep);
        first = false;
        twoPlace(numbers[i]);
    }
    return *this;
}

long long horseOfKey(std::string_view key, std::size_t i) { return horse(sub(key, 2 * i, 2)); }

const std::string& arrowCp932() {
    static const std::string arrow = toCp932(kArrow);
    return arrow;
}

std::string TwoPlace(long long n) { return std::string(ShortText().twoPlace(n).view()); }

std::string FormatUmaban(std::string_view umaban) {
    if (isBlankPattern(umaban, 2)) return {};
    return TwoPlace(horse(umaban));
}

std::string FormatWakurenKumi(std::string_view kumi) {
    if (isBlankPattern(kumi, 2)) return {};
    return std::string(ShortText().number(horse(sub(kumi, 0, 1))).add('-').number(horse(sub(kumi, 1, 1))).view());
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

std::string FormatUmatanKumiCp932(std::string_view kumi) {
    if (isBlankPattern(kumi, 4)) return {};
    return std::string(ShortText().horses(kumi, {0, 1}, arrowCp932()).view());
}

std::string FormatSanrentanKumiCp932(std::string_view kumi) {
    if (isBlankPattern(kumi, 6)) return {};
    return std::string(ShortText().horses(kumi, {0, 1, 2}, arrowCp932()).view());
}

std::string FormatHaito(std::string_view haito) {
    if (isBlankPattern(haito, 9)) return {};
    return std::string(
        ShortText().number(wholeNumber(haito)).view());
}

}  // namespace kv
