// Helpers shared by the factor coders' source files (not part of the interface).
//
// The coders run for every factor of every run record, so the helpers read
// members in place and build codes in small fixed buffers: no string is made
// until the code itself is returned.
#pragma once
#include <charconv>
#include <cstddef>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "common/dates.h"
#include "common/fields.h"
#include "common/numbers.h"
#include "expansion/coders.h"

namespace kv::coders::detail {

// Throws the std::out_of_range of a context that names no record n.
[[noreturn]] void noRecord(const CoderContext& ctx, int n);

// Record n (1-based) of the horse; throws std::out_of_range when it does not exist.
inline std::string_view recordAt(const CoderContext& ctx, int n) {
    if (n < 1 || static_cast<std::size_t>(n) > ctx.records.size()) noRecord(ctx, n);
    return ctx.records[static_cast<std::size_t>(n - 1)];
}
// The current record (record curRecNo).
inline std::string_view current(const CoderContext& ctx) { return recordAt(ctx, ctx.curRecNo); }

// The raw bytes of a member: in place where the record holds the whole
// member, else a copy with blanks for the bytes a short record lacks. Holds
// the view of its own bytes, so it is neither copied nor moved.
class Member {
public:
    Member() = default;
    Member(std::string_view rec, Field f) { set(rec, f); }
    Member(const Member&) = delete;
    Member& operator=(const Member&) = delete;

    void set(std::string_view rec, Field f) {
        if (f.off <= rec.size() && f.len <= rec.size() - f.off) {
            v_ = std::string_view(rec.data() + f.off, f.len);
            return;
        }
        const std::size_t n = f.len < sizeof pad_ ? f.len : sizeof pad_;
        for (std::size_t i = 0; i < n; ++i) pad_[i] = f.off + i < rec.size() ? rec[f.off + i] : ' ';
        v_ = std::string_view(pad_, n);
    }
    std::string_view view() const { return v_; }
    operator std::string_view() const { return v_; }
    char operator[](std::size_t i) const { return v_[i]; }
    bool operator==(std::string_view s) const { return v_ == s; }
    std::string str() const { return std::string(v_); }

private:
    char pad_[16];
    std::string_view v_;
};

// A member's bytes as a string.
inline std::string member(std::string_view rec, Field f) { return Member(rec, f).str(); }

// A code text built in place: pieces appended, one string made at the end.
class Code {
public:
    Code() = default;
    explicit Code(std::string_view s) { *this << s; }
    Code& operator<<(std::string_view s) {
        const std::size_t n = s.size() < sizeof b_ - n_ ? s.size() : sizeof b_ - n_;
        std::memcpy(b_ + n_, s.data(), n);
        n_ += n;
        return *this;
    }
    Code& operator<<(char c) {
        if (n_ < sizeof b_) b_[n_++] = c;
        return *this;
    }
    Code& operator<<(const Member& m) { return *this << m.view(); }
    // The decimal text of a whole number (as std::to_string).
    Code& dec(long long v) {
        char t[24];
        const auto r = std::to_chars(t, t + sizeof t, v);
        return *this << std::string_view(t, static_cast<std::size_t>(r.ptr - t));
    }
    // The last n characters of the decimal text of v (all of it when shorter).
    Code& lastDec(long long v, std::size_t n) {
        char t[24];
        const auto r = std::to_chars(t, t + sizeof t, v);
        const std::size_t len = static_cast<std::size_t>(r.ptr - t);
        return *this << (len <= n ? std::string_view(t, len) : std::string_view(r.ptr - n, n));
    }
    std::string_view view() const { return {b_, n_}; }
    bool operator==(std::string_view s) const { return view() == s; }
    std::string str() const { return std::string(b_, n_); }

private:
    char b_[40];
    std::size_t n_ = 0;
};

// Strict integer conversion (kv::strictInt), digits-only texts counted at once.
inline std::optional<long long> strictIntOf(std::string_view s) {
    if (s.empty() || s.size() > 18) return kv::strictInt(s);
    long long v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return kv::strictInt(s);
        v = v * 10 + (c - '0');
    }
    return v;
}

// Lenient value of a text (leading number, else 0).
double valueOf(std::string_view s);
// The integer of a text: strict conversion (digits with an optional sign);
// a text that is not such a number falls back to Int of its lenient value.
inline long long integerOf(std::string_view s) {
    if (auto v = strictIntOf(s)) return *v;
    return kv::vbInt(kv::val(s));
}
// The track code t of a record as an integer.
inline int trackOf(std::string_view rec) {
    const Member t(rec, kv::exrec::TrackCD);
    return static_cast<int>(integerOf(t));
}

// Decimal text of a whole number (no sign for positive, no leading zeros).
inline std::string dec(long long v) { return Code().dec(v).str(); }
// Text range test a <= s <= b, byte for byte.
inline bool inRange(std::string_view s, std::string_view a, std::string_view b) { return s >= a && s <= b; }

// Int(rate value / 4000) of a rate member of a statistics record.
long long rateStep(std::string_view statRec, Field f);

// The statistics files the coders search, each with the member of the
// current record that is its key.
enum class Stat { Kishu, Chokyo, Stallion, Mare, Kyosoba };
inline constexpr int kStatCount = 5;

// The searches made for one record: several coders look up the same sire or
// horse, each file is searched once.
struct StatMemo {
    bool done[kStatCount] = {};
    std::optional<std::string_view> found[kStatCount];
};

// The record of file s for its key member of ctx's current record; nullopt
// when the file is absent or holds no record of the key. A search already
// made for the record is taken from ctx's memo.
std::optional<std::string_view> findStat(const CoderContext& ctx, Stat s);

// The race date of a record (Year, MonthDay of RaceId) and the birth date of
// the horse; nullopt when the texts are not a real calendar date.
std::optional<kv::Date> raceDateOf(std::string_view rec);
std::optional<kv::Date> birthDateOf(std::string_view rec);
// The day number of a record's race date; nullopt when it is not a real date.
std::optional<long> raceDayOf(std::string_view rec);

// A day count taken as the last four digits of n + 10000 (n modulo 10000 for
// the counts that occur).
long long lastFourOfDays(long long n);
// Weeks from an earlier race day to a later one: Int(d / 7 + 0.5) with d the
// day count taken as above; 0 when a date is not valid.
long long weeksBetweenDays(std::optional<long> earlier, std::optional<long> later);
// The same from an earlier record's race date to a later one's.
inline long long weeksBetween(std::string_view earlier, std::string_view later) {
    return weeksBetweenDays(raceDayOf(earlier), raceDayOf(later));
}

}  // namespace kv::coders::detail
