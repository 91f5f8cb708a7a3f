// Helpers shared by the factor coders' source files (not part of the interface).
#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "common/dates.h"
#include "common/fields.h"
#include "expansion/coders.h"

namespace kv::coders::detail {

// Record n (1-based) of the horse; throws std::out_of_range when it does not exist.
std::string_view recordAt(const CoderContext& ctx, int n);
// The current record (record curRecNo).
inline std::string_view current(const CoderContext& ctx) { return recordAt(ctx, ctx.curRecNo); }

// Raw bytes of a member (blanks past the end of a short record).
inline std::string member(std::string_view rec, Field f) { return kv::getField(rec, f); }
// The same into out (at least f.len bytes), as a view of out; no string made.
inline std::string_view memberInto(std::string_view rec, Field f, char* out) {
    const std::string_view v = kv::fieldView(rec, f);
    for (std::size_t i = 0; i < f.len; ++i) out[i] = i < v.size() ? v[i] : ' ';
    return {out, f.len};
}

// Lenient value of a text (leading number, else 0).
double valueOf(std::string_view s);
// The integer of a text: strict conversion (digits with an optional sign);
// a text that is not such a number falls back to Int of its lenient value.
long long integerOf(std::string_view s);
// The track code t of a record as an integer.
int trackOf(std::string_view rec);

// Decimal text of a whole number (no sign for positive, no leading zeros).
std::string dec(long long v);
// Last n characters of a text (all of it when shorter).
std::string lastChars(std::string_view s, std::size_t n);
// Text range test a <= s <= b, byte for byte.
inline bool inRange(std::string_view s, std::string_view a, std::string_view b) { return s >= a && s <= b; }

// Int(rate value / 4000) of a rate member of a statistics record.
long long rateStep(std::string_view statRec, Field f);

// A statistics search; nullopt when the file is absent or holds no record of the key.
std::optional<std::string_view> findStat(const kv::stats::StatFile* file, std::string_view key);

// The race date of a record (Year, MonthDay of RaceId) and the birth date of
// the horse; nullopt when the texts are not a real calendar date.
std::optional<kv::Date> raceDateOf(std::string_view rec);
std::optional<kv::Date> birthDateOf(std::string_view rec);

// A day count taken as the last four digits of n + 10000 (n modulo 10000 for
// the counts that occur).
long long lastFourOfDays(long long n);
// Weeks from an earlier record's race date to a later one's:
// Int(d / 7 + 0.5) with d the day count taken as above; 0 when a date is not valid.
long long weeksBetween(std::string_view earlier, std::string_view later);

}  // namespace kv::coders::detail
