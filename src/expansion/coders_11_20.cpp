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

// Place rate of a sire (16) or dam (17) for the surface and going of the race.
std::string goingRateCode(const CoderContext& ctx, Stat parent) {
    const std::string_view rec = current(ctx);
    auto st = findStat(ctx, parent);
    if (!st) return "10";
    const int t = trackOf(rec);
    Field going;
    Field (*rate)(int);
    if (t >= 0 && t <= 22) {
        going = ex::SibaBabaCD;
        rate = ParentStatRecord::TurfGoingRate;
    } else if (t >= 23 && t <= 49) {
        going = ex::DirtBabaCD;
        rate = ParentStatRecord::DirtGoingRate;
    } else {
        going = ex::SibaBabaCD;
        rate = ParentStatRecord::HurdleGoingRate;
    }
    const Member g(rec, going);
    int entry = 0;
    if (g == "0" || g == "1") entry = 1;
    else if (g == "2") entry = 2;
    else if (g == "3") entry = 3;
    else if (g == "4") entry = 4;
    if (entry == 0) return "10";
    return Code("1").dec(rateStep(*st, rate(entry))).str();
}

}  // namespace

// 11: body weight in steps of 8 kg, "50" to "70".
std::string CodeFactorBataijuu(const CoderContext& ctx) {
    const Member bt(current(ctx), ex::BaTaijyu);
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
    const Member sex(rec, ex::SexCD);
    const char digit = sex == "1" ? '1' : sex == "2" ? '2' : '3';
    Code code;
    code << digit;
    code.lastDec(m + 100, 2);
    if (inRange(code.view(), "327", "333")) return "334";
    if (code == "240") return "241";
    if (code == "340") return "341";
    return code.str();
}

// 13: logarithm of the sire's offspring score.
std::string CodeFactorKishuArning(const CoderContext& ctx) {
    const std::string_view rec = current(ctx);
    auto st = findStat(ctx, Stat::Stallion);
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
    char v = '2';
    if (c == 2) {
        e = weeksBetween(recordAt(ctx, 1), rec);
    } else if (c == 3) {
        const auto day2 = raceDayOf(recordAt(ctx, 2));
        e = weeksBetweenDays(day2, raceDayOf(rec));
        d = weeksBetweenDays(raceDayOf(recordAt(ctx, 1)), day2);
    } else if (c >= 4) {
        const int before = RunBeforeRecNo(ctx);
        const std::string_view p = recordAt(ctx, before);
        const auto dayP = raceDayOf(p);
        const auto dayC2 = before == c - 2 ? dayP : raceDayOf(recordAt(ctx, c - 2));
        e = weeksBetweenDays(dayP, raceDayOf(rec));
        d = weeksBetweenDays(dayC2, dayP);
        b = weeksBetweenDays(raceDayOf(recordAt(ctx, c - 3)), dayC2);
        v = Member(p, ex::JyoCD).view() == Member(rec, ex::JyoCD).view() ? '1' : '2';
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

    Code code;
    code << v;
    if (e == 0) code << "1020";
    else code.lastDec(1000 + 10 * e, 4);
    if (code == "21340") return "21040";
    return code.str();
}

// 15: logarithm of the win odds of the run before; "10" without a run before
// or without positive odds.
std::string CodeFactorZenzenOzz(const CoderContext& ctx) {
    const int before = RunBeforeRecNo(ctx);
    if (before == 0) return "10";
    const Member odds(recordAt(ctx, before), ex::Odds);
    if (odds == "0000" || odds == "    ") return "10";
    const double x = valueOf(odds);
    if (!(x > 0)) return "10";
    return dec(LogCode(x));
}

// 16: the sire's place rate for the race's surface and going.
std::string CodeFactorTenkoBabaFather(const CoderContext& ctx) {
    return goingRateCode(ctx, Stat::Stallion);
}

// 17: the dam's place rate for the race's surface and going.
std::string CodeFactorChoArning(const CoderContext& ctx) {
    return goingRateCode(ctx, Stat::Mare);
}

// 18: the jockey's age band and apprentice class.
std::string CodeFactorKishuNenrei(const CoderContext& ctx) {
    const std::string_view rec = current(ctx);
    const Member birth(rec, ex::KisyuBirthDate);
    const std::string_view by = birth.view().substr(0, 4);
    Code a("25");
    if (by != "    ") a = Code().lastDec(integerOf(Member(rec, ex::Year)) + 100 - integerOf(by), 2);
    const std::string_view av = a.view();
    const char* band;
    if (inRange(av, "00", "20")) band = "20";
    else if (inRange(av, "21", "25")) band = "23";
    else if (inRange(av, "26", "30")) band = "28";
    else if (inRange(av, "31", "35")) band = "33";
    else if (inRange(av, "36", "40")) band = "38";
    else band = "43";
    const int t = trackOf(rec);
    Code code;
    code << '0' << band;
    if (t >= 0 && t <= 29) code << Member(rec, ex::MinaraiCD);
    else code << '0';
    return code.str();
}

// 19: the trainer's place rate for the race's surface, at most "110".
std::string CodeFactorTrainer(const CoderContext& ctx) {
    const std::string_view rec = current(ctx);
    const Member key(rec, ex::ChokyosiCode);
    if (key != "00000" && key != "     ") {
        if (auto st = findStat(ctx, Stat::Chokyo)) {
            const int t = trackOf(rec);
            const Field f = (t >= 0 && t <= 22)    ? SeisekiStatRecord::TurfRate
                            : (t >= 23 && t <= 49) ? SeisekiStatRecord::DirtRate
                                                   : SeisekiStatRecord::HurdleRate;
            Code code("1");
            code.dec(rateStep(*st, f));
            if (auto x = strictIntOf(code.view()); x && *x > 110) return "110";
            return code.str();
        }
    }
    return "10";
}

// 20: logarithm of the sire's offspring earnings per start, "0" or "25" to "46".
std::string CodeFactorFatherArning(const CoderContext& ctx) {
    const std::string_view rec = current(ctx);
    long long x = 0;  // the code "0" without a score
    if (auto st = findStat(ctx, Stat::Stallion)) {
        const int t = trackOf(rec);
        const bool flat = t >= 0 && t <= 29;
        const double starts =
            kv::stats::statValue(*st, flat ? ParentStatRecord::FlatStarts : ParentStatRecord::HurdleStarts);
        const double earnings =
            kv::stats::statValue(*st, flat ? ParentStatRecord::FlatEarnings : ParentStatRecord::HurdleEarnings);
        if (starts != 0) {
            const double r = earnings / starts;
            if (r > 0) x = LogCode(r);
        }
    }
    Code code;
    code.dec(x);
    if (auto y = strictIntOf(code.view())) {
        if (*y >= 1 && *y <= 24) return "25";
        if (*y > 46) return "46";
    }
    return code.str();
}

}  // namespace kv::coders
