// The export of past speeds: "RACEID.txt" and one "HR<date>.csv" per race date
// under SOKUDO, from the race list day files of the days the search found.
#include <array>

#include "common/appfolder.h"
#include "common/numbers.h"
#include "common/recordfile.h"
#include "history/day_items.h"
#include "history/past_performance_window.h"

namespace kv::history {

long long exportSpeed(long long distance, bool distanceOk, std::string_view t) {
    if (!distanceOk || t.empty()) return 0;
    const std::string_view minutes = t.substr(0, 1);
    const std::string_view secs = t.size() > 5 ? t.substr(t.size() - 5) : t;
    if (!strictNumber(minutes) || !strictNumber(secs)) return 0;
    // Summed in double, kept as a single; the division in double.
    const float seconds = static_cast<float>(val(minutes) * 60 + val(secs));
    if (!(seconds > 0)) return 0;
    return vbInt(static_cast<double>(distance) * 3600.0 / static_cast<double>(seconds));
}

std::string twoDigitRank(std::string_view rank) {
    const long long r = strictInt(rank).value_or(0);
    const std::string s = formatInt(r + 100);
    return s.size() > 2 ? s.substr(s.size() - 2) : s;
}

namespace {

bool isDayKey(std::string_view k) {
    if (k.size() != 14) return false;
    for (char c : k)
        if (c < '0' || c > '9') return false;
    return true;
}

constexpr int kScanSteps = 1000;
constexpr int kHorses = 19;

}  // namespace

void KakoSeisekiQUEL::ExportPastSpeeds() {
    status("VEZの外部指数作成開始");
    ExportDate.clear();
    const std::string tekichu = appFile(dirs::TEKICHU);
    const std::string sokudo = appFile(dirs::SOKUDO);

    // The day keys as the search has just written them (none when it could not).
    std::vector<std::string> keys;
    if (indexWritten_) {
        DayItems index(joinPath(tekichu, infolder::RACEID_INDEX));
        while (!index.atEnd()) keys.push_back(index.next());
    }

    std::string raceIds;
    // The speed file of the date being written: emptied at the date's first
    // race, so it is written whole when the date changes.
    std::string hrLines;
    bool hrStarted = false;
    auto flushDate = [&] {
        if (!hrStarted) return;
        const std::string path = joinPath(sokudo, speedCsvName(ExportDate));
        if (!writeFileAtomic(path, hrLines)) failed(path);
        hrLines.clear();
        hrStarted = false;
    };

    for (const std::string& key : keys) {
        // Only day keys name files; anything else in the list is passed over.
        if (!isDayKey(key)) continue;
        DayItems f(joinPath(tekichu, key + suffix::LUP_RCM));
        bool atRace = false;  // the scan of the previous race stopped at this race's "RC"
        while (atRace || !f.atEnd()) {
            if (!atRace && f.next() != "RC") continue;
            atRace = false;
            const std::vector<std::string> rc = f.next(9);
            const std::string raceId = key + rc[2];  // CP932, as the file holds it
            const auto distance = strictInt(rc[8]);
            raceIds += raceId + "\r\n";
            status(text(raceId) + "VEZの外部指数作成中");
            if (key.compare(0, 8, ExportDate) != 0) {
                flushDate();
                ExportDate = key.substr(0, 8);
                hrStarted = true;
            }

            // The runners up to the race's "Q1" (or the next race's "RC").
            std::array<std::string, kHorses + 1> horse;
            int last = 0;
            for (int step = 0; step < kScanSteps && !f.atEnd(); ++step) {
                const std::string v = f.next();
                if (v == "Q1") break;
                if (v == "RC") {
                    atRace = true;
                    break;
                }
                if (v != "HS") continue;
                const std::vector<std::string> a = f.next(3);
                const std::string rank = f.next();
                const std::vector<std::string> b = f.next(9);
                const auto number = strictInt(a[2]);
                if (!number || *number < 1 || *number > kHorses) continue;
                const int n = static_cast<int>(*number);
                horse[n] = formatInt(exportSpeed(distance.value_or(0), distance.has_value(), b[8])) + "," +
                           twoDigitRank(rank);
                if (n > last) last = n;
            }
            if (last == 0) continue;
            std::string line = raceId;
            for (int n = 1; n <= last; ++n) line += "," + (horse[n].empty() ? std::string("0,00") : horse[n]);
            hrLines += line + "\r\n";
        }
    }
    flushDate();
    const std::string path = joinPath(sokudo, infolder::RACEID);
    if (!writeFileAtomic(path, raceIds)) failed(path);
}

}  // namespace kv::history
