// Shared rules of the factor coders and the dispatch table.
#include <cmath>
#include <stdexcept>

#include "common/numbers.h"
#include "expansion/coders.h"
#include "expansion/coders_internal.h"

namespace kv::coders {

namespace detail {

std::string_view recordAt(const CoderContext& ctx, int n) {
    if (n < 1 || static_cast<std::size_t>(n) > ctx.records.size())
        throw std::out_of_range("factor coder: record " + std::to_string(n) + " of " +
                                std::to_string(ctx.records.size()));
    return ctx.records[static_cast<std::size_t>(n - 1)];
}

double valueOf(std::string_view s) { return kv::stats::lenientValue(s); }

long long integerOf(std::string_view s) {
    if (auto v = kv::strictInt(s)) return *v;
    return kv::vbInt(kv::val(s));
}

int trackOf(std::string_view rec) {
    char buf[exrec::TrackCD.len];
    return static_cast<int>(integerOf(memberInto(rec, exrec::TrackCD, buf)));
}

std::string dec(long long v) { return std::to_string(v); }

std::string lastChars(std::string_view s, std::size_t n) {
    return std::string(s.size() <= n ? s : s.substr(s.size() - n));
}

long long rateStep(std::string_view statRec, Field f) {
    return kv::vbInt(kv::stats::statValue(statRec, f) / 4000.0);
}

std::optional<std::string_view> findStat(const kv::stats::StatFile* file, std::string_view key) {
    if (file == nullptr) return std::nullopt;
    return file->find(key);
}

std::optional<kv::Date> raceDateOf(std::string_view rec) {
    char date[exrec::Year.len + exrec::MonthDay.len];
    memberInto(rec, exrec::Year, date);
    memberInto(rec, exrec::MonthDay, date + exrec::Year.len);
    return kv::parseYmd(std::string_view(date, sizeof date));
}

std::optional<kv::Date> birthDateOf(std::string_view rec) {
    return kv::parseYmd(member(rec, exrec::BirthDate));
}

long long lastFourOfDays(long long n) {
    // The last four characters of the decimal text of m, read back: the
    // number below 10000 of m, or of -m when that has four digits or more
    // (the minus sign then falls off); a shorter negative text stays whole.
    const long long m = n + 10000;
    if (m >= 0) return m % 10000;
    return -m >= 1000 ? (-m) % 10000 : m;
}

long long weeksBetween(std::string_view earlier, std::string_view later) {
    auto a = raceDateOf(earlier);
    auto b = raceDateOf(later);
    if (!a || !b) return 0;
    long long d = lastFourOfDays(kv::daySerial(*b) - kv::daySerial(*a));
    return kv::vbInt(static_cast<double>(d) / 7.0 + 0.5);
}

}  // namespace detail

using namespace detail;

long long LogCode(double x) { return kv::vbInt(10.0 * std::log(x) / std::log(10.0)); }

int RunBeforeRecNo(const CoderContext& ctx) {
    const int c = ctx.curRecNo;
    current(ctx);  // validates the context
    if (c <= 1) return 0;
    if (member(recordAt(ctx, c - 1), exrec::IJyoCD) == "0") return c - 1;
    return c == 2 ? 1 : c - 2;
}

const std::array<CoderFn, 31> kFactorCoders = {
    nullptr,
    CodeFactorYear,               CodeFactorKaisaiBashoKyori,   CodeFactorZensoKyoriCorner,
    CodeFactorFutanjuryou,        CodeFactorRuikeiHonshokin,    CodeFactorKyosokigo,
    CodeFactorKishuFukusho,       CodeFactorKyosobaFukushoritu, CodeFactorRaceSuu,
    CodeFactorFutanJuuryoritu,    CodeFactorBataijuu,           CodeFactorBarei,
    CodeFactorKishuArning,        CodeFactorRaceKankaku,        CodeFactorZenzenOzz,
    CodeFactorTenkoBabaFather,    CodeFactorChoArning,          CodeFactorKishuNenrei,
    CodeFactorTrainer,            CodeFactorFatherArning,       CodeFactorRaceNo,
    CodeFactorZenzensoChakusa,    CodeFactorFatherKyoriFukusho, CodeFactorUmaban,
    CodeFactorUmaretuki,          CodeFactorZensoTimediff,      CodeFactorNichiji,
    CodeFactorTorokuTosu,         CodeFactorLap,                CodeFactorBanusiArning,
};

std::string CodeFactor(int k, const CoderContext& ctx) {
    if (k < 1 || k > 30) throw std::out_of_range("factor coder: no factor " + std::to_string(k));
    return kFactorCoders[static_cast<std::size_t>(k)](ctx);
}

std::string FitCode(int k, std::string_view code) {
    if (k < 1 || k > 30) throw std::out_of_range("factor coder: no factor " + std::to_string(k));
    std::string out(kFactorWidth[static_cast<std::size_t>(k)], ' ');
    out.replace(0, std::min(out.size(), code.size()), code.substr(0, std::min(out.size(), code.size())));
    return out;
}

}  // namespace kv::coders
