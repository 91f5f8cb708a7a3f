// The factor weight table loader. Input: the six files of the turf tables
// (total, categories, category counts, three weight files) joined by the
// part break line; they are written into a scratch application folder.
#include <array>

#include "expansion/record_checks.h"
#include "expansion/weights.h"
#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kv::expansion;
    static const bool registered = (registerRecordChecks(), true);  // the tables checked as the program checks them
    (void)registered;
    kvfuzz::scratchAppDir();
    kv::makeDirs(kv::appFile(kv::dirs::OPTION1N));
    const WeightFileNames n = weightFileNames(Surface::Turf);
    const std::array<std::string, 6> files = {n.totalData, n.itemCategory, n.itemCategoryCount,
                                              n.agari,     n.pace,         n.soha};
    const auto parts = kvfuzz::splitParts(kvfuzz::view(data, size), files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (i < parts.size())
            kv::writeFileAtomic(kv::appFile(files[i]), parts[i]);
        else
            kv::removeFile(kv::appFile(files[i]));
    }
    std::string failed, reason;
    const auto t = SurfaceTables::load(Surface::Turf, failed, reason);
    if (!t) return 0;
    for (int k = 1; k <= 30; ++k) {
        (void)t->find(k, "2025     ");
        (void)t->find(k, "");
        for (int j : {0, 1, t->total(k), t->total(k) + 1, kMaxCategories}) {
            if (j >= 1 && j <= t->total(k)) (void)t->category(k, j);
            (void)t->count(k, j);
            for (auto kind : {SurfaceTables::Agari, SurfaceTables::Pace, SurfaceTables::Soha}) (void)t->weight(kind, k, j);
        }
    }
    return 0;
}
