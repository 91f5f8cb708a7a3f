// Factor coders 1 to 10.
#include <bit>
#include <cstdint>
#include <cstring>

#include "common/numbers.h"
#include "expansion/coders.h"
#include "expansion/coders_internal.h"

namespace kv::coders {

using namespace detail;
namespace ex = kv::exrec;
using kv::stats::KyosobaStatRecord;
using kv::stats::SeisekiStatRecord;

namespace {

// Surface group of a track code text: '1' for "00".."22", '2' for "23"/"24", else '3'.
char surfaceGroup(std::string_view c) {
    if (inRange(c, "00", "22")) return '1';
    if (c == "23" || c == "24") return '2';
    return '3';
}

// The number of eight decimal digits at p (false when a byte is not a digit),
// all eight at once in one 64-bit word.
static_assert(ex::Honsyokin.len == 8);
bool eightDigits(const char* p, std::uint32_t& out) {
    std::uint64_t x;
    std::memcpy(&x, p, 8);
    if (std::endian::native != std::endian::little) {
        std::uint32_t v = 0;
        for (int i = 0; i < 8; ++i) {
            const unsigned d = static_cast<unsigned char>(p[i]) - unsigned{'0'};
            if (d > 9) return false;
            v = v * 10 + d;
        }
        out = v;
        return true;
    }
    // Every byte 0x30..0x39: its high half is 3, and adding 6 keeps it 3.
    if (((x & 0xF0F0F0F0F0F0F0F0ULL) | (((x + 0x0606060606060606ULL) & 0xF0F0F0F0F0F0F0F0ULL) >> 4)) !=
        0x3333333333333333ULL)
        return false;
    x -= 0x3030303030303030ULL;
    x = x * 10 + (x >> 8);  // pairs of digits
    x = (((x & 0x000000FF000000FFULL) * (100 + (1000000ULL << 32))) +
         (((x >> 16) & 0x000000FF000000FFULL) * (1 + (10000ULL << 32)))) >>
        32;
    out = static_cast<std::uint32_t>(x);
    return true;
}

bool allChars(std::string_view s, char ch) {
    for (char c : s)
        if (c != ch) return false;
    return true;
}

}  // namespace

// 1: the year of the race.
std::string CodeFactorYear(const CoderContext& ctx) { return member(current(ctx), ex::Year); }

// 2: racecourse letter with the horse number or bracket, and the track code.
std::string CodeFactorKaisaiBashoKyori(const CoderContext& ctx) {
    const std::string_view rec = current(ctx);
    const Member jyo(rec, ex::JyoCD);
    char v;
    if (jyo[0] == '0' && jyo[1] >= '1' && jyo[1] <= '9')
        v = jyo[1];
    else if (jyo == "10")
        v = 'A';
    else
        v = 'B';
    const int t = trackOf(rec);
    const Member waku(rec, ex::Wakuban);
    const Member track(rec, ex::TrackCD);
    Code code;
    if (t == 10) return (code << v << Member(rec, ex::Umaban) << track).str();
    if (t == 11 || t == 12 || t == 17 || t == 18) return (code << v << waku << track).str();
    if (t == 21) return (code << v << waku << "17").str();
    if (t == 22) return (code << v << waku << "18").str();
    if (t >= 23 && t <= 29) return (code << v << waku).str();
    return waku.str();
}

// 3: grade, surface and distance of the run before against this run.
std::string CodeFactorZensoKyoriCorner(const CoderContext& ctx) {
    const std::string_view rec = current(ctx);
    const char g = surfaceGroup(Member(rec, ex::TrackCD));
    const Member d(rec, ex::Kyori);
    const int before = RunBeforeRecNo(ctx);
    Member prevKyori, prevGrade;
    std::string_view pd = "5000", pr = "0";
    char pg = '0';
    if (before > 0) {
        const std::string_view prev = recordAt(ctx, before);
        pg = surfaceGroup(Member(prev, ex::TrackCD));
        const Member kubun(prev, ex::DataKubun);
        if (kubun == "A" || kubun == "B") pg = kubun[0];
        prevKyori.set(prev, ex::Kyori);
        prevGrade.set(prev, ex::GradeCD);
        pd = prevKyori;
        pr = prevGrade;
    }
    const char c = valueOf(d) > valueOf(pd) ? '2' : '1';
    Code code;
    if (g == '3') code << pg << c;
    else if (before == 0) code << Member(rec, Field{ex::JyokenCD.off + 12, 3}) << '0' << c;
    else code << pr << pg << (d == pd ? 'D' : c);
    return code.str();
}

// 4: carried weight in whole kilograms; 55 counts as 56.
std::string CodeFactorFutanjuryou(const CoderContext& ctx) {
    const Member futan(current(ctx), ex::Futan);
    const std::string_view code = futan.view().substr(0, 2);
    if (code == "55") return "56";
    return std::string(code);
}

// 5: logarithm of the prize money of every earlier run (summed in 64 bits;
// a prize that is not a number counts as 0).
std::string CodeFactorRuikeiHonshokin(const CoderContext& ctx) {
    current(ctx);
    if (ctx.curRecNo <= 1) return "00";
    std::int64_t s = 0;
    constexpr Field f = ex::Honsyokin;
    for (std::size_t n = 0; n + 1 < static_cast<std::size_t>(ctx.curRecNo); ++n) {
        const std::string_view r = ctx.records[n];
        std::uint32_t v8;
        if (r.size() >= f.off + f.len && eightDigits(r.data() + f.off, v8)) {  // the usual member
            s += v8;
            continue;
        }
        auto v = strictIntOf(Member(r, f));
        s += v ? *v : 0;
    }
    if (s <= 0) return "00";
    const long long b = LogCode(static_cast<double>(s));
    if (b == 0) return "00";
    if (b >= 1 && b <= 66) return dec(b);
    return "66";
}

// 6: race condition symbol; "N2" on dirt counts as "N0".
std::string CodeFactorKyosokigo(const CoderContext& ctx) {
    const std::string_view rec = current(ctx);
    const Member kigo(rec, ex::KigoCD);
    const std::string_view code = kigo.view().substr(0, 2);
    const int t = trackOf(rec);
    if ((t == 23 || t == 24) && code == "N2") return "N0";
    return std::string(code);
}

// 7: the jockey's place rate for the race's surface, "11" to "19".
std::string CodeFactorKishuFukusho(const CoderContext& ctx) {
    const std::string_view rec = current(ctx);
    Code code("10");
    const Member key(rec, ex::KisyuCode);
    if (key != "00000" && key != "     ") {
        if (auto st = findStat(ctx, Stat::Kishu)) {
            const int t = trackOf(rec);
            const Field f = (t >= 0 && t <= 22)    ? SeisekiStatRecord::TurfRate
                            : (t >= 23 && t <= 29) ? SeisekiStatRecord::DirtRate
                                                   : SeisekiStatRecord::HurdleRate;
            code = Code("1");
            code.dec(rateStep(*st, f));
        }
    }
    auto x = strictIntOf(code.view());
    if (!x || *x < 0 || *x > 19) return "19";
    if (code == "10") return "11";
    return code.str();
}

// 8: the horse's own place rate for the race's surface.
std::string CodeFactorKyosobaFukushoritu(const CoderContext& ctx) {
    const std::string_view rec = current(ctx);
    const Member key(rec, ex::KettoNum);
    if (!allChars(key, '0') && !allChars(key, ' ')) {
        if (auto st = findStat(ctx, Stat::Kyosoba)) {
            const int t = trackOf(rec);
            const Field f = (t >= 0 && t <= 22)    ? KyosobaStatRecord::TurfRate
                            : (t >= 23 && t <= 49) ? KyosobaStatRecord::DirtRate
                                                   : KyosobaStatRecord::HurdleRate;
            return dec(rateStep(*st, f));
        }
    }
    return "10";
}

// 9: the number of earlier runs in the file, "001" to "050".
std::string CodeFactorRaceSuu(const CoderContext& ctx) {
    current(ctx);
    const int c = ctx.curRecNo;
    if (c <= 1) return "001";
    if (c <= 50) return Code().lastDec(c + 999, 3).str();
    return "050";
}

// 10: carried weight per body weight in thousandths, even, by sex.
std::string CodeFactorFutanJuuryoritu(const CoderContext& ctx) {
    const std::string_view rec = current(ctx);
    const double futan = valueOf(Member(rec, ex::Futan));
    const double w = futan * 0.1;
    const double m = valueOf(Member(rec, ex::BaTaijyu));
    long long r = 100;
    if (futan > 0 && m > 0) {
        r = kv::vbInt(w * 1000.0 / (m + w) + 0.5);
        if (r < 96) r = 96;
        if (r > 114) r = 114;
    }
    r = 2 * kv::vbInt(static_cast<double>(r) / 2.0);
    const Member sex(rec, ex::SexCD);
    if (sex != "1" && sex != "3") {
        r += 200;
        if (r == 300) r = 100;
    }
    return Code().lastDec(r + 1000, 3).str();
}

}  // namespace kv::coders
