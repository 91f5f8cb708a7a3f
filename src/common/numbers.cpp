#include "common/numbers.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace kv {

namespace {

// The value of a checked number text with '.' as its point whatever the
// locale; nullopt beyond what a double holds.
std::optional<double> decimalValue(std::string_view t) {
    if (!t.empty() && t.front() == '+') t.remove_prefix(1);  // from_chars takes no '+'
    double v = 0.0;
    const auto r = std::from_chars(t.data(), t.data() + t.size(), v);
    if (r.ec != std::errc() || r.ptr != t.data() + t.size()) return std::nullopt;
    return v;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

double val(std::string_view s) {
    std::string num;
    std::size_t i = 0;
    auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (i < s.size() && isBlank(s[i])) ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        if (s[i] == '-') num.push_back('-');
        ++i;
    }
    bool dot = false, any = false;
    for (; i < s.size(); ++i) {
        char c = s[i];
        if (isBlank(c)) continue;  // blanks inside the number are skipped
        if (c >= '0' && c <= '9') {
            num.push_back(c);
            any = true;
        } else if (c == '.' && !dot) {
            num.push_back(c);
            dot = true;
        } else {
            break;
        }
    }
    if (!any) return 0.0;
    if (const auto v = decimalValue(num)) return *v;
    // Beyond a double: infinity for a whole part of more than 308 digits, 0 for
    // a fraction too small to hold.
    const bool neg = num.front() == '-';
    const std::size_t whole = num.find_first_of("123456789");
    const bool big = whole != std::string::npos && whole < num.find('.');
    const double m = big ? HUGE_VAL : 0.0;
    return neg ? -m : m;
}

long long vbRound(double x) {
    return toWhole(std::nearbyint(x));  // default rounding mode: half to even
}

long long valLong(std::string_view s) { return vbRound(val(s)); }

static std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n'))
        s.remove_suffix(1);
    return s;
}

std::optional<long long> strictInt(std::string_view s) {
    s = trimBlanks(s);
    if (s.empty()) return std::nullopt;
    std::size_t i = 0;
    bool neg = false;
    if (s[0] == '+' || s[0] == '-') {
        neg = s[0] == '-';
        i = 1;
    }
    if (i >= s.size()) return std::nullopt;
    long long v = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9') return std::nullopt;
        if (v > (9223372036854775807LL - 9) / 10) return std::nullopt;
        v = v * 10 + (s[i] - '0');
    }
    return neg ? -v : v;
}

ConversionError notANumber(std::string_view text) {
    return ConversionError("not a number: '" + std::string(text) + "'",
                           "数字であるべき値「" + std::string(text) + "」が数字でないか範囲外です。");
}

long long wholeNumber(std::string_view s, long long lo, long long hi) {
    const auto v = strictInt(s);
    if (!v || *v < lo || *v > hi) throw notANumber(s);
    return *v;
}

namespace {

// A decimal number, blanks around allowed; with an exponent part if `exponent`.
std::optional<double> decimalNumber(std::string_view s, bool exponent) {
    s = trimBlanks(s);
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    bool digits = false, dot = false;
    for (; i < s.size(); ++i) {
        if (isDigit(s[i])) digits = true;
        else if (s[i] == '.' && !dot) dot = true;
        else break;
    }
    if (!digits) return std::nullopt;
    if (exponent && i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        const std::size_t first = i;
        while (i < s.size() && isDigit(s[i])) ++i;
        if (i == first) return std::nullopt;
    }
    if (i != s.size()) return std::nullopt;
    return decimalValue(s);
}

}  // namespace

std::optional<double> inputNumber(std::string_view s) { return decimalNumber(s, true); }
std::optional<double> strictNumber(std::string_view s) { return decimalNumber(s, false); }

namespace {

// Formats v rounded to `sig` significant digits (half to even on exact ties)
// in plain decimal notation.
std::string plain(double v, int sig) {
    if (!std::isfinite(v)) return "0";  // NaN and infinity never reach a file as text
    char sci[32];
    // [-]d.ddddde[+-]xx, shortest exponent digits
    const auto r = std::to_chars(sci, sci + sizeof sci, v, std::chars_format::scientific, sig - 1);
    const char* p = sci;
    const char* end = r.ptr;
    const bool neg = *p == '-';
    if (neg) ++p;
    char digits[24];
    int n = 0;
    for (; p < end && *p != 'e'; ++p)
        if (*p != '.') digits[n++] = *p;
    int exp = 0;
    if (p < end) std::from_chars(p + 1 + (p[1] == '+'), end, exp);
    while (n > 1 && digits[n - 1] == '0') --n;
    if (n == 1 && digits[0] == '0') return "0";
    const int pointPos = exp + 1;  // digits before the decimal point
    std::string out;
    out.reserve(static_cast<std::size_t>(n + (pointPos < 0 ? -pointPos : pointPos) + 3));
    if (neg) out.push_back('-');
    if (pointPos <= 0) {
        out.append("0.");
        out.append(static_cast<std::size_t>(-pointPos), '0');
        out.append(digits, static_cast<std::size_t>(n));
    } else if (pointPos >= n) {
        out.append(digits, static_cast<std::size_t>(n));
        out.append(static_cast<std::size_t>(pointPos - n), '0');
    } else {
        out.append(digits, static_cast<std::size_t>(pointPos));
        out.push_back('.');
        out.append(digits + pointPos, static_cast<std::size_t>(n - pointPos));
    }
    return out;
}

}  // namespace

std::string formatSingle(float v) { return plain(static_cast<double>(v), 7); }
std::string formatDouble(double v) { return plain(v, 15); }
std::string formatInt(long long v) { return std::to_string(v); }

std::string formatTenths(long long tenths) {
    bool neg = tenths < 0;
    unsigned long long u = neg ? 0ULL - static_cast<unsigned long long>(tenths) : static_cast<unsigned long long>(tenths);
    std::string s = std::to_string(u / 10) + "." + std::to_string(u % 10);
    return neg ? "-" + s : s;
}

}  // namespace kv
