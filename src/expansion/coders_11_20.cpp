// Factor coders 11 to 20.
#include "common/numbers.h"
#include "expansion/coders.h"
#include "expansion/coders_internal.h"

namespace kv::coders {

using namespace detail;
namespace ex = kv::exrec;
using kv::stats::ParentStatRecord;
using kv::stats::SeisekiStatRecord;

namespace {

const kv::stats::StatFile* stallionOf(const CoderContext& ctx) { return ctx.stats ? ctx.stats->stallion : nullptr; }

// Place rate of a sire (16) or dam (17) for the surface and going of the race.
std::string goingRateCode(const CoderContext& ctx, const kv::stats::StatFile* file, Field key) {
    const std::string_view rec = current(ctx);
    std::string code = "10";
    auto st = findStat(file, member(rec, key));
    if (!st) return code;
    const int t = trackOf(rec);
    std::string going;
    Field (*rate)(int);
    if (t >= 0 && t <= 22) {
        going = member(rec, ex::SibaBabaCD);
        rate = ParentStatRecord::TurfGoingRate;
    } else if (t >= 23 && t <= 49) {
        going = member(rec, ex::DirtBabaCD);
        rate = ParentStatRecord::DirtGoingRate;
    } else {
        going = member(rec, ex::SibaBabaCD);
        rate = ParentStatRecord::HurdleGoingRate;
    }
    int entry = 0;
    if (going == "0" || going == "1") entry = 1;
    else if (going == "2") entry = 2;
    else if (going == "3") entry = 3;
    else if (going == "4") entry = 4;
    if (entry == 0) return code;
    return "1" + dec(rateStep(*st, rate(entry)));
}

}  // namespace

// 11: body weight in steps of 8 kg, "50" to "70".
std::string CodeFactorBataijuu(const CoderContext& ctx) {
    const std::string bt = member(current(ctx), ex::BaTaijyu);
    const long long b = valueOf(bt) == 0 ? 44 : kv::vbInt(static_cast<double>(integerOf(bt)) / 8.0);
    if (b <= 51) return "50";
    if (b >= 71) return "70";
    return dec(b);
}

// 12: age in months on the race day, by sex. A birth or race date that is not
// a real date gives a blank code (no category).
std::string CodeFactorBarei(const CoderContext& ctx) {
    const std::string_view rec = current(ctx);
    auto birth = birthDateOf(rec);
    auto race = raceDateOf(rec);
    if (!birth || !race) return "";
    const long long n = lastFourOfDays(kv::daySerial(*race) - kv::daySerial(*birth));
    long long m = kv::vbInt(static_cast<double>(n) / 30.0 + 0.5);
    const int t = trackOf(rec);
    const long long lo = (t >= 0 && t <= 29) ? 27 : 40;
    if (m < lo) m = lo;
    if (m > 90) m = 90;
    if (m >= 43) m = kv::vbInt(static_cast<double>(m) / 3.0) + 29;
    const std::string sex = member(rec, ex::SexCD);
    const std::string digit = sex == "1" ? "1" : sex == "2" ? "2" : "3";
    std::string code = digit + lastChars(dec(m + 100), 2);
    if (inRange(code, "327", "333")) code = "334";
    else if (code == "240") code = "241";
    else if (code == "340") code = "341";
    return code;
}

// 13: logarithm of the sire's offspring score.
std::string CodeFactorKishuArning(const CoderContext& ctx) {
    const std::string_view rec = current(ctx);
    auto st = findStat(stallionOf(ctx), member(rec, ex::SireHansyokuNum));
    if (!st) return "00";
    const int t = trackOf(rec);
    const double x = kv::stats::statValue(*st, (t >= 0 && t <= 29) ? ParentStatRecord::FlatScore
                                                                   : ParentStatRecord::HurdleScore);
    if (x <= 0) return "00";
    return dec(LogCode(x));
}

// 14: weeks since the run before, with the venue and long breaks before that.
std::string CodeFactorRaceKankaku(const CoderContext& ctx) {
    const std::string_view rec = current(ctx);
    const int c = ctx.curRecNo;
    long long e = 0, d = 0, b = 0;
    std::string v = "2";
    if (c == 2) {
        e = weeksBetween(recordAt(ctx, 1), rec);
    } else if (c == 3) {
        e = weeksBetween(recordAt(ctx, 2), rec);
        d = weeksBetween(recordAt(ctx, 1), recordAt(ctx, 2));
    } else if (c >= 4) {
        const std::string_view p = recordAt(ctx, RunBeforeRecNo(ctx));
        e = weeksBetween(p, rec);
        d = weeksBetween(recordAt(ctx, c - 2), p);
        b = weeksBetween(recordAt(ctx, c - 3), recordAt(ctx, c - 2));
        v = member(p, ex::JyoCD) == member(rec, ex::JyoCD) ? "1" : "2";
    }
    if (e > 78) e = 78;
    else if (e >= 52) e = 52;
    else if (e >= 27) e = 27;

    auto mark = [&](long long x) -> int {
        if (e < 1 || e > 3 || x == 0) return 0;
        if (x >= 52) return 2;
        if (x >= 27) return 1;
        return 0;
    };
    const int f = mark(d);
    const int g = mark(b);
    if (f > 0) e = 25 + 2 * e + f;                      // 1 -> 28/29, 2 -> 30/31, 3 -> 32/33
    if (e >= 1 && e <= 3 && g > 0) e = 31 + 2 * e + g;  // 1 -> 34/35, 2 -> 36/37, 3 -> 38/39

    std::string code = v + (e == 0 ? std::string("1020") : lastChars(dec(1000 + 10 * e), 4));
    if (code == "21340") code = "21040";
    return code;
}

// 15: logarithm of the win odds of the run before; "10" without a run before
// or without positive odds.
std::string CodeFactorZenzenOzz(const CoderContext& ctx) {
    const int before = RunBeforeRecNo(ctx);
    if (before == 0) return "10";
    const std::string odds = member(recordAt(ctx, before), ex::Odds);
    if (odds == "0000" || odds == "    ") return "10";
    const double x = valueOf(odds);
    if (!(x > 0)) return "10";
    return dec(LogCode(x));
}

// 16: the sire's place rate for the race's surface and going.
std::string CodeFactorTenkoBabaFather(const CoderContext& ctx) {
    return goingRateCode(ctx, stallionOf(ctx), ex::SireHansyokuNum);
}

// 17: the dam's place rate for the race's surface and going.
std::string CodeFactorChoArning(const CoderContext& ctx) {
    return goingRateCode(ctx, ctx.stats ? ctx.stats->mare : nullptr, ex::DamHansyokuNum);
}

// 18: the jockey's age band and apprentice class.
std::string CodeFactorKishuNenrei(const CoderContext& ctx) {
    const std::string_view rec = current(ctx);
    const std::string by = member(rec, ex::KisyuBirthDate).substr(0, 4);
    std::string a = "25";
    if (by != "    ") a = lastChars(dec(integerOf(member(rec, ex::Year)) + 100 - integerOf(by)), 2);
    std::string band;
    if (inRange(a, "00", "20")) band = "20";
    else if (inRange(a, "21", "25")) band = "23";
    else if (inRange(a, "26", "30")) band = "28";
    else if (inRange(a, "31", "35")) band = "33";
    else if (inRange(a, "36", "40")) band = "38";
    else band = "43";
    const int t = trackOf(rec);
    return "0" + band + ((t >= 0 && t <= 29) ? member(rec, ex::MinaraiCD) : std::string("0"));
}

// 19: the trainer's place rate for the race's surface, at most "110".
std::string CodeFactorTrainer(const CoderContext& ctx) {
    const std::string_view rec = current(ctx);
    std::string code = "10";
    const std::string key = member(rec, ex::ChokyosiCode);
    if (key != "00000" && key != "     ") {
        if (auto st = findStat(ctx.stats ? ctx.stats->chokyoSeisei : nullptr, key)) {
            const int t = trackOf(rec);
            const Field f = (t >= 0 && t <= 22)    ? SeisekiStatRecord::TurfRate
                            : (t >= 23 && t <= 49) ? SeisekiStatRecord::DirtRate
                                                   : SeisekiStatRecord::HurdleRate;
            code = "1" + dec(rateStep(*st, f));
        }
    }
    if (auto x = kv::strictInt(code); x && *x > 110) code = "110";
    return code;
}

// 20: logarithm of the sire's offspring earnings per start, "0" or "25" to "46".
std::string CodeFactorFatherArning(const CoderContext& ctx) {
    const std::string_view rec = current(ctx);
    std::string code = "0";
    if (auto st = findStat(stallionOf(ctx), member(rec, ex::SireHansyokuNum))) {
        const int t = trackOf(rec);
        const bool flat = t >= 0 && t <= 29;
        const double starts =
            kv::stats::statValue(*st, flat ? ParentStatRecord::FlatStarts : ParentStatRecord::HurdleStarts);
        const double earnings =
            kv::stats::statValue(*st, flat ? ParentStatRecord::FlatEarnings : ParentStatRecord::HurdleEarnings);
        if (starts != 0) {
            const double r = earnings / starts;
            if (r > 0) code = dec(LogCode(r));
        }
    }
    if (auto x = kv::strictInt(code)) {
        if (*x >= 1 && *x <= 24) code = "25";
        else if (*x > 46) code = "46";
    }
    return code;
}

}  // namespace kv::coders
