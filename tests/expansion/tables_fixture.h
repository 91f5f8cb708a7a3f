// A small factor weight table set written into a test application folder.
#pragma once
#include <array>
#include <string>
#include <vector>

#include "expansion/weights.h"
#include "fixtures/fixtures.h"

namespace exptest {

struct Category {
    std::string code;  // stored quoted, exactly as given
    long count;
    float agari, pace, soha;
};

// Categories per factor (index 1..30).
using TableDef = std::array<std::vector<Category>, 31>;

// Writes the surface's files (the hurdle surface writes only its whole-race
// weight file, from the soha weights) into OPTION1N of the folder.
void writeTables(const kvtest::TempDir& dir, kv::expansion::Surface s, const TableDef& def);

// A table where factor 1 holds the given years (weights base+i, count 1) and
// every other factor is empty.
TableDef yearsOnly(std::vector<std::string> years, float base);

}  // namespace exptest
