#include "racefiles/payout_matches.h"

#include <algorithm>
#include <vector>

#include "acquisition/jvdata/race_records.h"
#include "betlines/payout_view.h"
#include "common/fields.h"

namespace kv::racefiles {

namespace hr = kv::jv::HrRecord;

namespace {

struct Entry {
    std::string_view kumi, pay;
    std::uint64_t packed;     // packedKey of kumi
    std::uint64_t unordered;  // unorderedKey of kumi (pairs and trios)
};

// The entries of a payout group, in place in the record.
template <std::size_t N>
struct Entries {
    Entry e[N];
    std::size_t n = N;
    Entries(const bet::PayoutRecordView& rec, Field (*kumi)(std::size_t), Field (*pay)(std::size_t)) {
        for (std::size_t k = 1; k <= N; ++k) {
            const std::string_view c = rec(kumi(k));
            e[k - 1] = {c, rec(pay(k)), bet::packedKey(c), c.size() == 4 ? bet::unorderedKey(c, 2) : bet::unorderedKey(c, 3)};
        }
    }
    const Entry* begin() const { return e; }
    const Entry* end() const { return e + n; }
    std::size_t size() const { return n; }
    const Entry& operator[](std::size_t i) const { return e[i]; }
};

#define KV_ENTRIES(G) Entries<hr::G::kArray.count>(rec, &hr::G::Kumi, &hr::G::Pay)

const std::string& at(const std::vector<std::string>* v, int p) {
    static const std::string kEmpty;
    if (!v || p < 0 || static_cast<std::size_t>(p) >= v->size()) return kEmpty;
    return (*v)[static_cast<std::size_t>(p)];
}

}  // namespace

BetTier betTierOf(int p, int perTier) {
    if (p < 1 || p > 3 * perTier) return {};
    const int t = (p - 1) / perTier;
    return {t, p - t * perTier};
}

void forEachPayoutMatch(std::string_view hrRec, const bet::KaimeLists& lists, KindSet kinds,
                        const std::function<void(const PayoutMatch&)>& f) {
    const bet::PayoutRecordView rec(hrRec);
    const int pairs = std::max(0, lists.UmarenKaimeCount);
    const int trios = std::max(0, lists.SanrenpukuKaimeCount);

    auto simple = [&](BetKind kind, const std::vector<std::string>* keys, int count, const auto& es) {
        for (int p = 1; p <= count; ++p) {
            const std::uint64_t key = bet::packedKey(at(keys, p));
            for (std::size_t e = 0; e < es.size(); ++e)
                if (es[e].packed == key) f({kind, p, static_cast<int>(e + 1), 0, es[e].kumi, es[e].pay});
        }
    };

    if (kinds.pairsAndTrio) {
        simple(BetKind::Umaren, lists.UmarenKaimeKey, pairs, KV_ENTRIES(PayUmaren));
        simple(BetKind::Wide, lists.UmarenKaimeKey, pairs, KV_ENTRIES(PayWide));
        const auto umatan = KV_ENTRIES(PayUmatan);
        for (int p = 1; p <= pairs; ++p) {
            const std::string& disp = at(lists.UmarenKaimeDisp, p);
            const std::uint64_t pair = bet::unorderedKey(disp, 2);
            for (std::size_t e = 0; e < umatan.size(); ++e) {
                const Entry& u = umatan[e];
                if (u.unordered != pair) continue;
                const int k = static_cast<int>(e + 1);
                const unsigned orders = bet::pairOrdersOf(disp, u.kumi);
                if (orders & 1u) f({BetKind::Umatan, p, k, 1, u.kumi, u.pay});
                if (orders & 2u) f({BetKind::Umatan, p, k, 2, u.kumi, u.pay});
            }
        }
        simple(BetKind::Sanrenpuku, lists.SanrenpukuKaimeKey, trios, KV_ENTRIES(PaySanrenpuku));
    }

    if (kinds.trifecta) {
        auto sanrentan = KV_ENTRIES(PaySanrentan);
        std::size_t used = 0;
        while (used < sanrentan.size() && sanrentan[used].kumi != "000000") ++used;
        sanrentan.n = used;
        if (used == 0) return;
        for (int p = 1; p <= trios; ++p) {
            const std::string& trio = at(lists.SanrenKaime, p);
            const std::uint64_t pieces = bet::unorderedKey(trio, 3);
            for (std::size_t e = 0; e < used; ++e) {
                if (sanrentan[e].unordered != pieces) continue;
                const unsigned orders = bet::trioOrdersOf(trio, sanrentan[e].kumi);
                for (int n = 1; orders && n <= 6; ++n)
                    if (orders & (1u << (n - 1)))
                        f({BetKind::Sanrentan, p, static_cast<int>(e + 1), n, sanrentan[e].kumi, sanrentan[e].pay});
            }
        }
    }
}

}  // namespace kv::racefiles
