// Number conversion and number text as the program writes it in its files.
#pragma once
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "common/datafault.h"

namespace kv {

// Lenient conversion: leading blanks (and tabs) skipped, an optional
// sign, digits with at most one '.', the number taken so far; anything else 0.
// Blanks inside the digits are skipped ("1 2" -> 12).
double val(std::string_view s);
// val() made a whole number (rounded half to even), for callers that keep a
// whole count or amount.
long long valLong(std::string_view s);

// Strict conversion: optional blanks around, an optional sign and digits only.
std::optional<long long> strictInt(std::string_view s);
// A text that has to hold a number (in its range) does not: a fault of the
// data, whose data() says so to the user.
struct ConversionError : std::runtime_error, DataFault {
    ConversionError(const std::string& what, std::string data) : std::runtime_error(what), DataFault(std::move(data)) {}
};
// The error for such a text: "not a number: '<text>'".
ConversionError notANumber(std::string_view text);

// strictInt() within lo..hi (by default the 32-bit range); a text that is no
// number or lies outside throws notANumber(s).
long long wholeNumber(std::string_view s, long long lo = std::numeric_limits<std::int32_t>::min(),
                      long long hi = std::numeric_limits<std::int32_t>::max());

// A number as a value-by-value file read holds it: optional blanks around, an
// optional sign, digits with at most one '.' (at least one digit: ".5" and "5."
// are numbers), then optionally E or e, an optional sign and at least one digit
// ("1E-05", "2.5E+07", "144E-3"). Anything else, and a value beyond what a
// double holds (too large or too small), is no number. '.' is the point
// whatever the locale.
std::optional<double> inputNumber(std::string_view s);
// The same without the exponent: for fields that hold a plain decimal
// (fixed-width fields, record members) and take no exponent form.
std::optional<double> strictNumber(std::string_view s);

// A whole-valued double as a 64-bit integer: NaN gives 0, values beyond the
// range are held at its ends (never undefined behaviour on damaged input).
inline long long toWhole(double w) {
    if (w != w) return 0;
    if (w >= 9.2e18) return 9223372036854775807LL;
    if (w <= -9.2e18) return -9223372036854775807LL - 1;
    return static_cast<long long>(w);
}
// The greatest whole number not greater than x (floor, also negative).
inline long long vbInt(double x) { return toWhole(std::floor(x)); }
// Truncation toward zero.
inline long long vbFix(double x) { return toWhole(std::trunc(x)); }
// Rounding to a whole number: half to even.
long long vbRound(double x);

// Single: at most 7 significant digits; Double: at most 15; no exponent,
// no trailing zeros, no trailing '.', "-0" as "0", leading "0." kept.
std::string formatSingle(float v);
std::string formatDouble(double v);
std::string formatInt(long long v);

// Integer tenths as text with one decimal ("821" -> "82.1", "-5" -> "-0.5").
std::string formatTenths(long long tenths);

}  // namespace kv
