#include "racefiles/payout_matches.h"

#include <algorithm>
#include <vector>

#include "acquisition/jvdata/race_records.h"
#include "common/fields.h"

namespace kv::racefiles {

namespace hr = kv::jv::HrRecord;

namespace {

struct Entry {
    std::string kumi, pay;
};

#define KV_ENTRIES(G) entriesOfGroup<hr::G::kArray.count>(rec, &hr::G::Kumi, &hr::G::Pay)

template <std::size_t N>
std::vector<Entry> entriesOfGroup(std::string_view rec, Field (*kumi)(std::size_t), Field (*pay)(std::size_t)) {
    std::vector<Entry> e;
    e.reserve(N);
    for (std::size_t k = 1; k <= N; ++k) e.push_back({getField(rec, kumi(k)), getField(rec, pay(k))});
    return e;
}

const std::string& at(const std::vector<std::string>* v, int p) {
    static const std::string kEmpty;
    if (!v || p < 0 || static_cast<std::size_t>(p) >= v->size()) return kEmpty;
    return (*v)[static_cast<std::size_t>(p)];
}

std::string piece(const std::string& s, std::size_t i) { return 2 * i < s.size() ? s.substr(2 * i, 2) : std::string(); }

}  // namespace

BetTier betTierOf(int p, int perTier) {
    if (p < 1 || p > 3 * perTier) return {};
    const int t = (p - 1) / perTier;
    return {t, p - t * perTier};
}

void forEachPayoutMatch(std::string_view rec, const bet::KaimeLists& lists, KindSet kinds,
                        const std::function<void(const PayoutMatch&)>& f) {
    const int pairs = std::max(0, lists.UmarenKaimeCount);
    const int trios = std::max(0, lists.SanrenpukuKaimeCount);

    auto simple = [&](BetKind kind, const std::vector<std::string>* keys, int count, const std::vector<Entry>& es) {
        for (int p = 1; p <= count; ++p) {
            const std::string& key = at(keys, p);
            for (std::size_t e = 0; e < es.size(); ++e)
                if (es[e].kumi == key) f({kind, p, static_cast<int>(e + 1), 0, es[e].kumi, es[e].pay});
        }
    };

    if (kinds.pairsAndTrio) {
        simple(BetKind::Umaren, lists.UmarenKaimeKey, pairs, KV_ENTRIES(PayUmaren));
        simple(BetKind::Wide, lists.UmarenKaimeKey, pairs, KV_ENTRIES(PayWide));
        const auto umatan = KV_ENTRIES(PayUmatan);
        for (int p = 1; p <= pairs; ++p) {
            const std::string& disp = at(lists.UmarenKaimeDisp, p);
            for (std::size_t e = 0; e < umatan.size(); ++e) {
                const std::string& kumi = umatan[e].kumi;
                const int k = static_cast<int>(e + 1);
                if (kumi == disp) f({BetKind::Umatan, p, k, 1, kumi, umatan[e].pay});
                if (piece(kumi, 1) + piece(kumi, 0) == disp) f({BetKind::Umatan, p, k, 2, kumi, umatan[e].pay});
            }
        }
        simple(BetKind::Sanrenpuku, lists.SanrenpukuKaimeKey, trios, KV_ENTRIES(PaySanrenpuku));
    }

    if (kinds.trifecta) {
        auto sanrentan = KV_ENTRIES(PaySanrentan);
        const auto end = std::find_if(sanrentan.begin(), sanrentan.end(), [](const Entry& e) { return e.kumi == "000000"; });
        sanrentan.erase(end, sanrentan.end());
        if (sanrentan.empty()) return;
        for (int p = 1; p <= trios; ++p) {
            const std::string& trio = at(lists.SanrenKaime, p);
            const std::string a = piece(trio, 0), b = piece(trio, 1), c = piece(trio, 2);
            const std::string orders[6] = {a + b + c, a + c + b, b + a + c, b + c + a, c + a + b, c + b + a};
            for (std::size_t e = 0; e < sanrentan.size(); ++e)
                for (int n = 1; n <= 6; ++n)
                    if (sanrentan[e].kumi == orders[n - 1])
                        f({BetKind::Sanrentan, p, static_cast<int>(e + 1), n, sanrentan[e].kumi, sanrentan[e].pay});
        }
    }
}

}  // namespace kv::racefiles
