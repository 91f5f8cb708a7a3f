#include "expansion/weeklists.h"

#include "common/quoted.h"
#include "common/recordfile.h"

namespace kv::expansion {

std::vector<std::string> readListFile(const std::string& path) {
    std::vector<std::string> out;
    auto bytes = readFileBytes(path);
    if (!bytes) return out;
    InputReader r(*bytes);
    while (!r.atEnd()) out.push_back(r.next());
    return out;
}

}  // namespace kv::expansion
