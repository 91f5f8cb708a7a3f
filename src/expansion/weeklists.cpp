#include "expansion/weeklists.h"

#include <string_view>
#include <unordered_set>

#include "common/quoted.h"
#include "common/recordfile.h"

namespace kv::expansion {

std::vector<std::string> readListFile(const std::string& path, long* repeats) {
    std::vector<std::string> out;
    if (repeats) *repeats = 0;
    auto bytes = readFileBytes(path);
    if (!bytes) return out;
    InputReader r(*bytes);
    std::unordered_set<std::string> seen;
    while (!r.atEnd()) {
        std::string v = r.next();
        if (!seen.insert(v).second) {
            if (repeats) ++*repeats;
            continue;
        }
        out.push_back(std::move(v));
    }
    return out;
}

}  // namespace kv::expansion
