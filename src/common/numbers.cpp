#include "common/numbers.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace kv {

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
    return std::strtod(num.c_str(), nullptr);
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

std::optional<double> strictNumber(std::string_view s) {
    s = trimBlanks(s);
    if (s.empty()) return std::nullopt;
    std::size_t i = 0;
    if (s[0] == '+' || s[0] == '-') i = 1;
    bool digits = false, dot = false;
    for (std::size_t k = i; k < s.size(); ++k) {
        if (s[k] >= '0' && s[k] <= '9') {
            digits = true;
        } else if (s[k] == '.' && !dot) {
            dot = true;
        } else {
            return std::nullopt;
        }
    }
    if (!digits) return std::nullopt;
    return std::strtod(std::string(s).c_str(), nullptr);
}

namespace {

// Formats v rounded to `sig` significant digits in plain decimal notation.
std::string plain(double v, int sig) {
    if (v != v) return "0";  // NaN never reaches a file as text
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*e", sig - 1, v);
    // buf: [-]d.ddddde[+-]xx
    std::string s(buf);
    bool neg = s[0] == '-';
    if (neg) s.erase(0, 1);
    std::size_t e = s.find('e');
    int exp = std::atoi(s.c_str() + e + 1);
    std::string digits;
    for (std::size_t i = 0; i < e; ++i)
        if (s[i] != '.') digits.push_back(s[i]);
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    if (digits == "0") return "0";
    std::string out;
    int pointPos = exp + 1;  // digits before the decimal point
    if (pointPos <= 0) {
        out = "0." + std::string(static_cast<std::size_t>(-pointPos), '0') + digits;
    } else if (static_cast<std::size_t>(pointPos) >= digits.size()) {
        out = digits + std::string(static_cast<std::size_t>(pointPos) - digits.size(), '0');
    } else {
        out = digits.substr(0, static_cast<std::size_t>(pointPos)) + "." +
              digits.substr(static_cast<std::size_t>(pointPos));
    }
    return neg ? "-" + out : out;
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
