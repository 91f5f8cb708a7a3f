#include "betlines/hit_check.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "acquisition/jvdata/race_records.h"
#include "betlines/combo_text.h"
#include "betlines/payout_view.h"
#include "common/fields.h"
#include "common/numbers.h"
#include "common/quoted.h"

namespace kv::bet {

namespace hr = kv::jv::HrRecord;
using pred::TekichuResult;
using pred::TierTally;

namespace {

const std::string kTenBlanks(10, ' ');
const std::string kElevenBlanks(11, ' ');

// Tier of a candidate position: 0 本線, 1 準本線, 2 伏兵, -1 not bet; n is the
// position within the tier.
struct Tier {
    int tier = -1;
    int n = 0;
};

Tier tierOf(int p, int perTier) {
    if (p < 1 || p > 3 * perTier) return {};
    const int t = (p - 1) / perTier;
    return {t, p - t * perTier};
}

const char* const kLongLabel[] = {"本線", "準本線", "伏兵"};
const char* const kShortLabel[] = {"本線", "準本", "伏兵"};

// The payout text of a hit read as a 32-bit integer.
long long payoutValue(const std::string& haitoText) { return wholeNumber(haitoText); }

// The entry's popularity read as an integer ("004" -> 4).
long long popularityValue(std::string_view ninkiField) { return wholeNumber(ninkiField); }

void addHit(TierTally& t, int tier, const std::string& haitoText) {
    long long* hits[] = {&t.TekichuHonsen, &t.TekichuJunhon, &t.TekichuFukuhei};
    long long* sums[] = {&t.HaitoHonsen, &t.HaitoJunhon, &t.HaitoFukuhei};
    *hits[tier] += 1;
    t.CheckCount += 1;
    *sums[tier] += payoutValue(haitoText);
}

// Sets a result record member by member; the popularity conversion comes last.
void setResult(TekichuResult& r, const std::string& tekichu, const std::string& atarime, const std::string& haito,
               long long betNumber, std::string_view ninkiField) {
    r.Tekichu = tekichu;
    r.Atarime = atarime;
    r.Haito = haito;
    r.Ninki = std::to_string(betNumber) + " " + std::to_string(popularityValue(ninkiField));
}

// The result of a match that was not bet: it replaces the record unless the
// record already holds a hit of this race. The popularity is converted either way.
void setUnbetResult(TekichuResult& r, bool hitRecorded, const std::string& blanks, const std::string& atarime,
                    const std::string& haito, long long betNumber, std::string_view ninkiField) {
    if (hitRecorded) {
        (void)popularityValue(ninkiField);
        return;
    }
    setResult(r, blanks, atarime, haito, betNumber, ninkiField);
}

class Checker {
public:
    Checker(std::string_view hrRec, const KaimeLists& lists, TekichuOutcome& out)
        : hr_(hrRec), lists_(lists), out_(out) {}

    void run() {
        umaren();
        wide();
        umatan();
        sanrenpuku();
        sanrentan();
    }

private:
    static const std::string& at(const std::vector<std::string>* v, int p) {
        static const std::string kEmpty;
        if (!v || p < 0 || static_cast<std::size_t>(p) >= v->size()) return kEmpty;
        return (*v)[static_cast<std::size_t>(p)];
    }
    // The packed combinations (packedKey) of a group's entries 1..N, entry k at k - 1.
    template <std::size_t N>
    std::array<std::uint64_t, N> packedKumi(Field (*kumi)(std::size_t)) const {
        std::array<std::uint64_t, N> a{};
        for (std::size_t k = 1; k <= N; ++k) a[k - 1] = packedKey(hr_(kumi(k)));
        return a;
    }
    int pairCount() const { return std::max(0, lists_.UmarenKaimeCount); }
    int trioCount() const { return std::max(0, lists_.SanrenpukuKaimeCount); }

    void atLine(const std::string& kindCode, const std::string& hitText, const std::string& combo,
                const std::string& haito) {
        out_.atLines.push_back(QuotedLine()
                                   .text("AT")
                                   .text(std::to_string(out_.matchNumber))
                                   .text(kindCode)
                                   .text(hitText)
                                   .text(combo)
                                   .text(haito)
                                   .line());
    }

    // The hits of a kind whose combination has no order (馬連, ３連複): every
    // bet p (1..count, perTier to a tier) whose key equals the combination of
    // payout entry k, with the kind code of its AT line.
    template <std::size_t N>
    void unorderedMatches(Field (*kumiOf)(std::size_t), Field (*payOf)(std::size_t), Field (*ninkiOf)(std::size_t),
                          const std::vector<std::string>* keys, int count, int perTier, const char* code,
                          std::string (*format)(std::string_view), TekichuResult& result, TierTally& tally) {
        bool hitRecorded = false;
        const auto packed = packedKumi<N>(kumiOf);
        for (int p = 1; p <= count; ++p) {
            const std::uint64_t key = packedKey(at(keys, p));
            for (std::size_t k = 1; k <= N; ++k) {
                if (packed[k - 1] != key) continue;
                const std::string_view kumi = hr_(kumiOf(k));
                ++out_.matchNumber;
                const std::string_view pay = hr_(payOf(k));
                const std::string_view ninki = hr_(ninkiOf(k));
                const Tier t = tierOf(p, perTier);
                if (t.tier >= 0) {
                    const std::string combo = format(kumi), haito = FormatHaito(pay);
                    const std::string n = std::to_string(t.n);
                    atLine(code, kLongLabel[t.tier] + n + "点目 的中", combo, haito);
                    setResult(result, kShortLabel[t.tier] + n + "点目", combo, haito, p, ninki);
                    hitRecorded = true;
                    addHit(tally, t.tier, haito);
                } else {
                    setUnbetResult(result, hitRecorded, kTenBlanks, format(kumi), FormatHaito(pay), p, ninki);
                    tally.CheckCount += 1;
                }
            }
        }
    }

    void umaren() {
        unorderedMatches<hr::PayUmaren::kArray.count>(hr::PayUmaren::Kumi, hr::PayUmaren::Pay, hr::PayUmaren::Ninki,
                                                      lists_.UmarenKaimeKey, pairCount(), 6, "1", FormatUmarenKumi,
                                                      out_.UmarenResult, out_.UmarenTally);
    }

    void wide() {
        std::int16_t wideNumber = 1;
        const auto packed = packedKumi<hr::PayWide::kArray.count>(hr::PayWide::Kumi);
        for (int p = 1; p <= pairCount(); ++p) {
            const std::uint64_t key = packedKey(at(lists_.UmarenKaimeKey, p));
            for (std::size_t k = 1; k <= hr::PayWide::kArray.count; ++k) {
                if (packed[k - 1] != key) continue;
                const std::string_view kumi = hr_(hr::PayWide::Kumi(k));
                ++out_.matchNumber;
                ++wideNumber;
                TekichuResult* record = wideNumber == 2   ? &out_.Wide1Result
                                        : wideNumber == 3 ? &out_.Wide2Result
                                        : wideNumber == 4 ? &out_.Wide3Result
                                                          : nullptr;
                const std::string_view pay = hr_(hr::PayWide::Pay(k));
                const std::string_view ninki = hr_(hr::PayWide::Ninki(k));
                const Tier t = tierOf(p, 6);
                if (t.tier >= 0) {
                    const std::string combo = FormatUmarenKumi(kumi), haito = FormatHaito(pay);
                    const std::string n = std::to_string(t.n);
                    // Kind codes "5" to "7" belong to other bet kinds: every ワイド
                    // match beyond the third keeps the code "4".
                    const std::string code = std::to_string(std::min<int>(wideNumber, 4));
                    atLine(code, kLongLabel[t.tier] + n + "点目 的中", combo, haito);
                    if (record) setResult(*record, kShortLabel[t.tier] + n + "点目", combo, haito, p, ninki);
                    addHit(out_.WideTally, t.tier, haito);
                } else {
                    if (record) setResult(*record, kTenBlanks, FormatUmarenKumi(kumi), FormatHaito(pay), p, ninki);
                    out_.WideTally.CheckCount += 1;
                }
            }
        }
    }

    void umatan() {
        bool hitRecorded = false;
        std::array<std::uint64_t, hr::PayUmatan::kArray.count> unordered{};
        for (std::size_t k = 1; k <= unordered.size(); ++k) unordered[k - 1] = unorderedKey(hr_(hr::PayUmatan::Kumi(k)), 2);
        for (int p = 1; p <= pairCount(); ++p) {
            const std::string& disp = at(lists_.UmarenKaimeDisp, p);
            const std::uint64_t pair = unorderedKey(disp, 2);
            for (std::size_t k = 1; k <= hr::PayUmatan::kArray.count; ++k) {
                if (unordered[k - 1] != pair) continue;
                const std::string_view kumi = hr_(hr::PayUmatan::Kumi(k));
                const unsigned orders = pairOrdersOf(disp, kumi);
                if (orders & 1u) umatanMatch(p, k, kumi, false, hitRecorded);
                if (orders & 2u) umatanMatch(p, k, kumi, true, hitRecorded);
            }
        }
    }

    void umatanMatch(int p, std::size_t k, std::string_view kumi, bool reverse, bool& hitRecorded) {
        ++out_.matchNumber;
        const std::string_view pay = hr_(hr::PayUmatan::Pay(k));
        const std::string_view ninki = hr_(hr::PayUmatan::Ninki(k));
        const long long betNumber = reverse ? 2LL * p : 2LL * p - 1;
        TierTally& tally = reverse ? out_.UmatanUraTally : out_.UmatanOmoteTally;
        const Tier t = tierOf(p, 6);
        if (t.tier >= 0) {
            const std::string combo = FormatUmatanKumi(kumi), haito = FormatHaito(pay);
            const std::string n = std::to_string(t.n);
            atLine("5", kLongLabel[t.tier] + n + (reverse ? "逆順 的中" : "正順 的中"), combo, haito);
            setResult(out_.UmatanResult, kShortLabel[t.tier] + n + (reverse ? "点目裏" : "点目表"), combo, haito,
                      betNumber, ninki);
            hitRecorded = true;
            addHit(tally, t.tier, haito);
        } else {
            setUnbetResult(out_.UmatanResult, hitRecorded, reverse ? kTenBlanks : kElevenBlanks,
                           FormatUmatanKumi(kumi), FormatHaito(pay), betNumber, ninki);
            tally.CheckCount += 1;
        }
    }

    void sanrenpuku() {
        unorderedMatches<hr::PaySanrenpuku::kArray.count>(
            hr::PaySanrenpuku::Kumi, hr::PaySanrenpuku::Pay, hr::PaySanrenpuku::Ninki, lists_.SanrenpukuKaimeKey,
            trioCount(), 7, "6", FormatSanrenpukuKumi, out_.SanrenpukuResult, out_.SanrenpukuTally);
    }

    void sanrentan() {
        // The entries up to the first "000000" one.
        std::size_t entries = 0;
        while (entries < hr::PaySanrentan::kArray.count && hr_(hr::PaySanrentan::Kumi(entries + 1)) != "000000")
            ++entries;
        std::array<std::uint64_t, hr::PaySanrentan::kArray.count> unordered{};
        for (std::size_t k = 1; k <= entries; ++k) unordered[k - 1] = unorderedKey(hr_(hr::PaySanrentan::Kumi(k)), 3);
        bool hitRecorded = false;
        for (int p = 1; p <= trioCount(); ++p) {
            const std::string& trio = at(lists_.SanrenKaime, p);
            const std::uint64_t pieces = unorderedKey(trio, 3);
            for (std::size_t k = 1; k <= entries; ++k) {
                if (unordered[k - 1] != pieces) continue;
                const std::string_view kumi = hr_(hr::PaySanrentan::Kumi(k));
                const unsigned orders = trioOrdersOf(trio, kumi);
                for (int N = 1; orders && N <= 6; ++N) {
                    if (orders & (1u << (N - 1))) sanrentanMatch(p, k, kumi, N, hitRecorded);
                }
            }
        }
    }

    void sanrentanMatch(int p, std::size_t k, std::string_view kumi, int N, bool& hitRecorded) {
        ++out_.matchNumber;
        const std::string_view pay = hr_(hr::PaySanrentan::Pay(k));
        const std::string_view ninki = hr_(hr::PaySanrentan::Ninki(k));
        const long long betNumber = 6LL * (p - 1) + N;
        const Tier t = tierOf(p, 7);
        const std::string order = "第" + std::to_string(N) + "順";
        if (t.tier >= 0) {
            const std::string combo = FormatSanrentanKumi(kumi), haito = FormatHaito(pay);
            const std::string n = std::to_string(t.n);
            const std::string suffix = (t.tier == 0 && N >= 3) ? order + "的中 " : order + " 的中";
            atLine("7", kLongLabel[t.tier] + n + suffix, combo, haito);
            setResult(out_.SanrentanResult, kShortLabel[t.tier] + n + order + "目", combo, haito, betNumber, ninki);
            hitRecorded = true;
            addHit(out_.SanrentanTally, t.tier, haito);
        } else {
            setUnbetResult(out_.SanrentanResult, hitRecorded, kTenBlanks, FormatSanrentanKumi(kumi), FormatHaito(pay),
                           betNumber, ninki);
            out_.SanrentanTally.CheckCount += 1;
        }
    }

    PayoutRecordView hr_;
    const KaimeLists& lists_;
    TekichuOutcome& out_;
};

void addTally(TierTally& day, const TierTally& race) {
    day.TekichuHonsen += race.TekichuHonsen;
    day.TekichuJunhon += race.TekichuJunhon;
    day.TekichuFukuhei += race.TekichuFukuhei;
    day.CheckCount += race.CheckCount;
    day.HaitoHonsen += race.HaitoHonsen;
    day.HaitoJunhon += race.HaitoJunhon;
    day.HaitoFukuhei += race.HaitoFukuhei;
}

}  // namespace

TekichuResult noHitResult() {
    TekichuResult r;
    r.Tekichu = kTenBlanks;
    return r;
}

TekichuOutcome::TekichuOutcome() {
    for (TekichuResult* r : {&UmarenResult, &Wide1Result, &Wide2Result, &Wide3Result, &UmatanResult,
                             &SanrenpukuResult, &SanrentanResult})
        *r = noHitResult();
}

void TekichuOutcome::applyTo(pred::KeptState& kept) const {
    addTally(kept.UmarenTally, UmarenTally);
    addTally(kept.WideTally, WideTally);
    addTally(kept.UmatanOmoteTally, UmatanOmoteTally);
    addTally(kept.UmatanUraTally, UmatanUraTally);
    addTally(kept.SanrenpukuTally, SanrenpukuTally);
    addTally(kept.SanrentanTally, SanrentanTally);
    kept.UmarenResult = UmarenResult;
    kept.Wide1Result = Wide1Result;
    kept.Wide2Result = Wide2Result;
    kept.Wide3Result = Wide3Result;
    kept.UmatanResult = UmatanResult;
    kept.SanrenpukuResult = SanrenpukuResult;
    kept.SanrentanResult = SanrentanResult;
}

std::string TekichuOutcome::lineBytes() const {
    std::string s;
    for (const auto& l : atLines) s += l;
    return s;
}

void CheckKaimeTekichu(std::string_view hrRec, const KaimeLists& lists, TekichuOutcome& out) {
    Checker(hrRec, lists, out).run();
}

TekichuOutcome CheckKaimeTekichu(std::string_view hrRec, const KaimeLists& lists) {
    TekichuOutcome out;
    CheckKaimeTekichu(hrRec, lists, out);
    return out;
}

}  // namespace kv::bet
