// Shared rules of the factor coders and the dispatch table.
#include <cmath>
#include <cstring>
#include <stdexcept>

#include "common/numbers.h"
#include "expansion/coders.h"
#include "expansion/coders_internal.h"

namespace kv::coders {

namespace detail {

void noRecord(const CoderContext& ctx, int n) {
    throw std::out_of_range("factor coder: record " + std::to_string(n) + " of " +
                            std::to_string(ctx.records.size()));
}

double valueOf(std::string_view s) { return kv::stats::lenientValue(s); }

long long rateStep(std::string_view statRec, Field f) {
    return kv::vbInt(kv::stats::statValue(statRec, f) / 4000.0);
}

std::optional<std::string_view> findStat(const CoderContext& ctx, Stat s) {
    const int i = static_cast<int>(s);
    StatMemo* memo = ctx.memo;
    if (memo && memo->done[i]) return memo->found[i];
    const kv::stats::StatFile* file = nullptr;
    Field key{0, 0};
    if (ctx.stats) {
        switch (s) {
            case Stat::Kishu: file = ctx.stats->kishuSeisei, key = exrec::KisyuCode; break;
            case Stat::Chokyo: file = ctx.stats->chokyoSeisei, key = exrec::ChokyosiCode; break;
            case Stat::Stallion: file = ctx.stats->stallion, key = exrec::SireHansyokuNum; break;
            case Stat::Mare: file = ctx.stats->mare, key = exrec::DamHansyokuNum; break;
            case Stat::Kyosoba: file = ctx.stats->kyosobaThisWeek, key = exrec::KettoNum; break;
        }
    }
    std::optional<std::string_view> found;
    if (file != nullptr) found = file->find(Member(current(ctx), key));
    if (memo) {
        memo->done[i] = true;
        memo->found[i] = found;
    }
    return found;
}

// Year and MonthDay lie side by side: the race date is one member of eight bytes.
static_assert(exrec::Year.off + exrec::Year.len == exrec::MonthDay.off);
constexpr Field kRaceDate{exrec::Year.off, exrec::Year.len + exrec::MonthDay.len};

std::optional<kv::Date> raceDateOf(std::string_view rec) { return kv::parseYmd(Member(rec, kRaceDate)); }

std::optional<kv::Date> birthDateOf(std::string_view rec) { return kv::parseYmd(Member(rec, exrec::BirthDate)); }

std::optional<long> raceDayOf(std::string_view rec) {
    const auto d = raceDateOf(rec);
    if (!d) return std::nullopt;
    return kv::daySerial(*d);
}

long long lastFourOfDays(long long n) {
    // The last four characters of the decimal text of m, read back: the
    // number below 10000 of m, or of -m when that has four digits or more
    // (the minus sign then falls off); a shorter negative text stays whole.
    const long long m = n + 10000;
    if (m >= 0) return m % 10000;
    return -m >= 1000 ? (-m) % 10000 : m;
}

long long weeksBetweenDays(std::optional<long> earlier, std::optional<long> later) {
    if (!earlier || !later) return 0;
    long long d = lastFourOfDays(*later - *earlier);
    return kv::vbInt(static_cast<double>(d) / 7.0 + 0.5);
}

}  // namespace detail

using namespace detail;

long long LogCode(double x) { return kv::vbInt(10.0 * std::log(x) / std::log(10.0)); }

int RunBeforeRecNo(const CoderContext& ctx) {
    const int c = ctx.curRecNo;
    current(ctx);  // validates the context
    if (c <= 1) return 0;
    if (Member(recordAt(ctx, c - 1), exrec::IJyoCD) == "0") return c - 1;
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

static_assert(exrec::FactorCodesAll.off == exrec::kFactorOff[1] &&
              exrec::FactorCodesAll.end() == exrec::F(30).end());

void CodeFactors(const CoderContext& ctx, FactorCodes& out) {
    current(ctx);  // validates the context
    StatMemo memo;
    CoderContext shared = ctx;
    shared.memo = &memo;
    char* at = out.data();
    for (std::size_t k = 1; k <= 30; ++k) {
        const std::string code = kFactorCoders[k](shared);
        const std::size_t w = kFactorWidth[k];
        const std::size_t n = code.size() < w ? code.size() : w;
        std::memcpy(at, code.data(), n);
        std::memset(at + n, ' ', w - n);
        at += w;
    }
}

std::string FitCode(int k, std::string_view code) {
    if (k < 1 || k > 30) throw std::out_of_range("factor coder: no factor " + std::to_string(k));
    std::string out(kFactorWidth[static_cast<std::size_t>(k)], ' ');
    out.replace(0, std::min(out.size(), code.size()), code.substr(0, std::min(out.size(), code.size())));
    return out;
}

}  // namespace kv::coders
