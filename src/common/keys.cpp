#include "common/keys.h"

#include "common/fields.h"

namespace kv {

std::string raceKeyFromId(std::string_view raceId) {
    std::string id = getField(raceId, 0, kRaceIdLen);
    return id.substr(0, 10) + id.substr(14, 2);
}

std::string dayKeyFromId(std::string_view raceId) { return getField(raceId, 0, kDayKeyLen); }

std::string raceIdOf(std::string_view year, std::string_view monthDay, std::string_view jyo, std::string_view kaiji,
                     std::string_view nichiji, std::string_view raceNum) {
    std::string id;
    id += getField(year, 0, 4);
    id += getField(monthDay, 0, 4);
    id += getField(jyo, 0, 2);
    id += getField(kaiji, 0, 2);
    id += getField(nichiji, 0, 2);
    id += getField(raceNum, 0, 2);
    return id;
}

}  // namespace kv
