#include "tables_fixture.h"

#include "common/numbers.h"

namespace exptest {

using kv::expansion::Surface;

void writeTables(const kvtest::TempDir& dir, Surface s, const TableDef& def) {
    const kv::expansion::WeightFileNames n = kv::expansion::weightFileNames(s);
    std::string total, cats, counts, agari, pace, soha;
    for (int k = 1; k <= 30; ++k) {
        total += std::to_string(def[k].size()) + "\r\n";
        for (const Category& c : def[k]) {
            cats += "\"" + c.code + "\"\r\n";
            counts += std::to_string(c.count) + "\r\n";
            agari += kv::formatSingle(c.agari) + "\r\n";
            pace += kv::formatSingle(c.pace) + "\r\n";
            soha += kv::formatSingle(c.soha) + "\r\n";
        }
    }
    dir.write(n.totalData, total);
    dir.write(n.itemCategory, cats);
    dir.write(n.itemCategoryCount, counts);
    dir.write(n.soha, soha);
    if (s != Surface::Hurdle) {
        dir.write(n.agari, agari);
        dir.write(n.pace, pace);
    }
}

TableDef yearsOnly(std::vector<std::string> years, float base) {
    TableDef t;
    float w = base;
    for (const auto& y : years) {
        t[1].push_back({y, 1, w, w, w});
        w += 1.0f;
    }
    return t;
}

}  // namespace exptest
