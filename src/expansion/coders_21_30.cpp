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
    if (t >= 0 && t <= 24) return member(rec, ex::RaceNum) + member(rec, ex::GradeCD);
    return member(rec, ex::GradeCD);
}

// 22: distance and course on the flat (six characters, the member keeps five);
// a distance band otherwise.
std::string CodeFactorZenzensoChakusa(const CoderContext& ctx) {
    const std::string_view rec = current(ctx);
    const int t = trackOf(rec);
    if (t >= 0 && t <= 29) return member(rec, ex::Kyori) + member(rec, ex::CourseKubunCD);
    const long long k = integerOf(member(rec, ex::Kyori));
    if (k >= 0 && k <= 2800) return "2800";
    if (k >= 2801 && k <= 2999) return "2900";
    if (k >= 3000 && k <= 3500) return "3500";
    return "4000";
}

// 23: the sire's place rate by surface and distance band.
std::string CodeFactorFatherKyoriFukusho(const CoderContext& ctx) {
    const std::string_view rec = current(ctx);
    std::string code = "10";
    auto st = findStat(ctx.stats ? ctx.stats->stallion : nullptr, member(rec, ex::SireHansyokuNum));
    if (!st) return code;
    const int t = trackOf(rec);
    Field rate{0, 0};
    std::string band;
    if (t >= 0 && t <= 49) {
        const long long k = integerOf(member(rec, ex::Kyori));
        const int entry = (k >= 0 && k <= 1600) ? 1 : (k >= 1601 && k <= 2200) ? 2 : 3;
        rate = t <= 22 ? ParentStatRecord::TurfDistRate(entry) : ParentStatRecord::DirtDistRate(entry);
        band = dec(entry);
    } else {
        rate = ParentStatRecord::HurdleRate;
        band = "1";
    }
    code = band + dec(rateStep(*st, rate));
    if (auto x = kv::strictInt(code)) {
        if (*x == 0 || *x == 10 || *x == 20 || *x == 30) code = "10";
        else if (*x >= 110 && *x <= 130) code = "19";
        else if (*x >= 210 && *x <= 230) code = "29";
        else if (*x >= 310 && *x <= 330) code = "39";
    }
    return code;
}

// 24: horse number; on the flat with "1" behind it, otherwise at most "14".
std::string CodeFactorUmaban(const CoderContext& ctx) {
    const std::string_view rec = current(ctx);
    const std::string umaban = member(rec, ex::Umaban);
    const int t = trackOf(rec);
    if (t >= 0 && t <= 24) return umaban + "1";
    return integerOf(umaban) > 14 ? std::string("14") : umaban;
}

// 25: the horse's symbol, or its birth month when it has none.
std::string CodeFactorUmaretuki(const CoderContext& ctx) {
    const std::string_view rec = current(ctx);
    const std::string kigo = member(rec, ex::UmaKigoCD);
    if (kigo != "00") return kigo;
    return member(rec, ex::BirthMonth) + "1";
}

// 26: time behind the winner in the run before, in bands of tenths.
std::string CodeFactorZensoTimediff(const CoderContext& ctx) {
    const int before = RunBeforeRecNo(ctx);
    if (before == 0) return "0099";
    const std::string_view prev = recordAt(ctx, before);
    const std::string d = member(prev, ex::TimeDiff);
    if (d == "0000" || d == "    " || d == "+999" || d == "-999" || d == "9999") return "0099";
    if (d == "-000") return "0001";
    if (d == "-001") return "0002";
    if (d == "-002") return "0003";
    if (d == "-003" || d == "-004") return "0004";
    if (inRange(d, "-005", "-009")) return "0005";
    if (inRange(d, "-010", "-998")) return "0006";
    if (d == "+000") {
        if (member(prev, ex::NyusenJyuni) != "02") return "0007";
        return "+" + member(prev, ex::ChakusaCD);
    }
    if (inRange(d, "+001", "+028")) return kv::zeroPad(kv::vbInt(valueOf(d)) + 7, 4);
    if (d == "+029") return "0036";
    if (inRange(d, "+030", "+050")) return kv::zeroPad(integerOf(d.substr(2, 2)) + 7, 4);
    return "0099";
}

// 27: the meeting and day of the meeting.
std::string CodeFactorNichiji(const CoderContext& ctx) {
    const std::string_view rec = current(ctx);
    std::string code = member(rec, ex::Kaiji) + member(rec, ex::Nichiji);
    const int t = trackOf(rec);
    if (!(t >= 0 && t <= 24) && (code == "0310" || code == "0311")) code = "0101";
    return code;
}

// 28: the number of registered runners, "08" at least.
std::string CodeFactorTorokuTosu(const CoderContext& ctx) {
    const std::string_view rec = current(ctx);
    const std::string n = member(rec, ex::TorokuTosu);
    if (inRange(member(rec, ex::TrackCD), "00", "29")) return inRange(n, "00", "08") ? std::string("08") : n;
    if (inRange(n, "00", "08")) return "08";
    if (inRange(n, "09", "14")) return n;
    return "14";
}

// 29: weather and going.
std::string CodeFactorLap(const CoderContext& ctx) {
    const std::string_view rec = current(ctx);
    std::string w = member(rec, ex::TenkoCD);
    if (!inRange(w, "1", "4")) w = "4";
    const int t = trackOf(rec);
    const std::string going = (t >= 23 && t <= 49) ? member(rec, ex::DirtBabaCD) : member(rec, ex::SibaBabaCD);
    return w + going + "00";
}

// 30: logarithm of the horse's own earnings per start, "5" to "53"; without
// earnings, the number of the record (at most 19).
std::string CodeFactorBanusiArning(const CoderContext& ctx) {
    const std::string_view rec = current(ctx);
    std::string code = "10";
    const std::string key = member(rec, ex::KettoNum);
    if (!allChars(key, '0') && !allChars(key, ' ')) {
        if (auto st = findStat(ctx.stats ? ctx.stats->kyosobaThisWeek : nullptr, key)) {
            const int t = trackOf(rec);
            const bool flat = t >= 0 && t <= 49;
            const double starts =
                kv::stats::statValue(*st, flat ? KyosobaStatRecord::FlatStarts : KyosobaStatRecord::HurdleStarts);
            const double earnings = kv::stats::statValue(
                *st, flat ? KyosobaStatRecord::FlatEarnings : KyosobaStatRecord::HurdleEarnings);
            code = "00";
            if (starts != 0) {
                const double r = earnings / starts;
                if (r > 0) code = lastChars(dec(LogCode(r) + 100), 2);
            }
        }
    }
    if (code == "00") code = ctx.curRecNo <= 19 ? dec(ctx.curRecNo) : std::string("19");
    if (auto x = kv::strictInt(code)) {
        if (*x < 6) code = "5";
        else if (*x > 53) code = "53";
    }
    return code;
}

}  // namespace kv::coders
