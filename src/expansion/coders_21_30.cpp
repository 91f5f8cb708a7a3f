// Factor coders 21 to 30.
#include "common/fields.h"
#include "common/numbers.h"
#include "expansion/coders.h"
#include "expansion/coders_internal.h"

namespace kv::coders {

using namespace detail;
namespace ex = kv::exrec;
using kv::stats::KyosobaStatRecord;
using kv::stats::ParentStatRecord;

namespace {

bool allChars(std::string_view s, char ch) {
    for (char c : s)
        if (c != ch) return false;
    return true;
}

}  // namespace

// 21: race number and grade on the flat, the grade alone otherwise.
std::string CodeFactorRaceNo(const CoderContext& ctx) {
    const std::string_view rec = current(ctx);
    const int t = trackOf(rec);
    if (t >= 0 && t <= 24) return (Code() << Member(rec, ex::RaceNum) << Member(rec, ex::GradeCD)).str();
    return member(rec, ex::GradeCD);
}

// 22: distance and course on the flat (six characters, the member keeps five);
// a distance band otherwise.
std::string CodeFactorZenzensoChakusa(const CoderContext& ctx) {
    const std::string_view rec = current(ctx);
    const int t = trackOf(rec);
    const Member kyori(rec, ex::Kyori);
    if (t >= 0 && t <= 29) return (Code() << kyori << Member(rec, ex::CourseKubunCD)).str();
    const long long k = integerOf(kyori);
    if (k >= 0 && k <= 2800) return "2800";
    if (k >= 2801 && k <= 2999) return "2900";
    if (k >= 3000 && k <= 3500) return "3500";
    return "4000";
}

// 23: the sire's place rate by surface and distance band.
std::string CodeFactorFatherKyoriFukusho(const CoderContext& ctx) {
    const std::string_view rec = current(ctx);
    auto st = findStat(ctx, Stat::Stallion);
    if (!st) return "10";
    const int t = trackOf(rec);
    Field rate{0, 0};
    Code code;
    if (t >= 0 && t <= 49) {
        const long long k = integerOf(Member(rec, ex::Kyori));
        const int entry = (k >= 0 && k <= 1600) ? 1 : (k >= 1601 && k <= 2200) ? 2 : 3;
        rate = t <= 22 ? ParentStatRecord::TurfDistRate(entry) : ParentStatRecord::DirtDistRate(entry);
        code.dec(entry);
    } else {
        rate = ParentStatRecord::HurdleRate;
        code << '1';
    }
    code.dec(rateStep(*st, rate));
    if (auto x = strictIntOf(code.view())) {
        if (*x == 0 || *x == 10 || *x == 20 || *x == 30) return "10";
        if (*x >= 110 && *x <= 130) return "19";
        if (*x >= 210 && *x <= 230) return "29";
        if (*x >= 310 && *x <= 330) return "39";
    }
    return code.str();
}

// 24: horse number; on the flat with "1" behind it, otherwise at most "14".
std::string CodeFactorUmaban(const CoderContext& ctx) {
    const std::string_view rec = current(ctx);
    const Member umaban(rec, ex::Umaban);
    const int t = trackOf(rec);
    if (t >= 0 && t <= 24) return (Code() << umaban << '1').str();
    return integerOf(umaban) > 14 ? std::string("14") : umaban.str();
}

// 25: the horse's symbol, or its birth month when it has none.
std::string CodeFactorUmaretuki(const CoderContext& ctx) {
    const std::string_view rec = current(ctx);
    const Member kigo(rec, ex::UmaKigoCD);
    if (kigo != "00") return kigo.str();
    return (Code() << Member(rec, ex::BirthMonth) << '1').str();
}

// 26: time behind the winner in the run before, in bands of tenths.
std::string CodeFactorZensoTimediff(const CoderContext& ctx) {
    const int before = RunBeforeRecNo(ctx);
    if (before == 0) return "0099";
    const std::string_view prev = recordAt(ctx, before);
    const Member m(prev, ex::TimeDiff);
    const std::string_view d = m;
    if (d == "0000" || d == "    " || d == "+999" || d == "-999" || d == "9999") return "0099";
    if (d == "-000") return "0001";
    if (d == "-001") return "0002";
    if (d == "-002") return "0003";
    if (d == "-003" || d == "-004") return "0004";
    if (inRange(d, "-005", "-009")) return "0005";
    if (inRange(d, "-010", "-998")) return "0006";
    if (d == "+000") {
        if (Member(prev, ex::NyusenJyuni) != "02") return "0007";
        return (Code() << '+' << Member(prev, ex::ChakusaCD)).str();
    }
    if (inRange(d, "+001", "+028")) return kv::zeroPad(kv::vbInt(valueOf(d)) + 7, 4);
    if (d == "+029") return "0036";
    if (inRange(d, "+030", "+050")) return kv::zeroPad(integerOf(d.substr(2, 2)) + 7, 4);
    return "0099";
}

// 27: the meeting and day of the meeting.
std::string CodeFactorNichiji(const CoderContext& ctx) {
    const std::string_view rec = current(ctx);
    Code code;
    code << Member(rec, ex::Kaiji) << Member(rec, ex::Nichiji);
    const int t = trackOf(rec);
    if (!(t >= 0 && t <= 24) && (code == "0310" || code == "0311")) return "0101";
    return code.str();
}

// 28: the number of registered runners, "08" at least.
std::string CodeFactorTorokuTosu(const CoderContext& ctx) {
    const std::string_view rec = current(ctx);
    const Member n(rec, ex::TorokuTosu);
    if (inRange(Member(rec, ex::TrackCD), "00", "29")) return inRange(n, "00", "08") ? std::string("08") : n.str();
    if (inRange(n, "00", "08")) return "08";
    if (inRange(n, "09", "14")) return n.str();
    return "14";
}

// 29: weather and going.
std::string CodeFactorLap(const CoderContext& ctx) {
    const std::string_view rec = current(ctx);
    const Member tenko(rec, ex::TenkoCD);
    const std::string_view w = inRange(tenko, "1", "4") ? tenko.view() : std::string_view("4");
    const int t = trackOf(rec);
    const Member going(rec, (t >= 23 && t <= 49) ? ex::DirtBabaCD : ex::SibaBabaCD);
    return (Code() << w << going << "00").str();
}

// 30: logarithm of the horse's own earnings per start, "5" to "53"; without
// earnings, the number of the record (at most 19).
std::string CodeFactorBanusiArning(const CoderContext& ctx) {
    const std::string_view rec = current(ctx);
    Code code("10");
    const Member key(rec, ex::KettoNum);
    if (!allChars(key, '0') && !allChars(key, ' ')) {
        if (auto st = findStat(ctx, Stat::Kyosoba)) {
            const int t = trackOf(rec);
            const bool flat = t >= 0 && t <= 49;
            const double starts =
                kv::stats::statValue(*st, flat ? KyosobaStatRecord::FlatStarts : KyosobaStatRecord::HurdleStarts);
            const double earnings = kv::stats::statValue(
                *st, flat ? KyosobaStatRecord::FlatEarnings : KyosobaStatRecord::HurdleEarnings);
            code = Code("00");
            if (starts != 0) {
                const double r = earnings / starts;
                if (r > 0) code = Code().lastDec(LogCode(r) + 100, 2);
            }
        }
    }
    if (code == "00") {
        code = Code();
        if (ctx.curRecNo <= 19) code.dec(ctx.curRecNo);
        else code << "19";
    }
    if (auto x = strictIntOf(code.view())) {
        if (*x < 6) return "5";
        if (*x > 53) return "53";
    }
    return code.str();
}

}  // namespace kv::coders
