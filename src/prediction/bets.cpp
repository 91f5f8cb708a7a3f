// Pair and trio scoring, the sorted bet files and the ticket files.
#include "common/appfolder.h"
#include "common/numbers.h"
#include "common/quicksort.h"
#include "common/quoted.h"
#include "prediction/run_stages.h"

namespace kv::pred {

namespace {

float speedOf(const RaceState& r, const std::string& twoDigits) {
    const long long h = valLong(twoDigits);
    if (h < 0 || static_cast<std::size_t>(h) >= r.SuiteiSpeed.size()) return 0.0f;
    return r.SuiteiSpeed[static_cast<std::size_t>(h)];
}

}  // namespace

std::string scorePairs(RaceState& r, const std::string& raceKey) {
    const int n = r.HorseCount;
    std::string lines;
    r.UmarenKaimeCount = 0;
    for (int i = 1; i <= n; ++i) {
        for (int j = i + 1; j <= n; ++j) {
            const auto a = static_cast<std::size_t>(i), b = static_cast<std::size_t>(j);
            const float g1 = r.GoseiSpeed[a], a1 = r.HorseSpeedAdjust[a];
            const float g2 = r.GoseiSpeed[b], a2 = r.HorseSpeedAdjust[b];
            const std::string key = zeroPad(i, 2) + zeroPad(j, 2);
            const float speedSum = g1 + g2;
            const float adjustSum = a1 + a2;
            const float score = ((g1 + a1) + g2) + a2;
            ++r.UmarenKaimeCount;
            r.UmarenKaimeDisp.push_back(key);
            r.PairSpeedSum.push_back(speedSum);
            r.PairAdjustSum.push_back(adjustSum);
            r.PairScore.push_back(score);
            QuotedLine().textRaw(raceKey).text("Umaren").text(key).single(score).single(speedSum).single(adjustSum).appendTo(lines);
        }
    }
    QuickSortDesc(r.PairScore, r.UmarenKaimeDisp, 1, r.UmarenKaimeCount);
    r.UmarenKaimeKey = r.UmarenKaimeDisp;
    return lines;
}

void turnPairsFasterFirst(RaceState& r) {
    for (int c = 1; c <= r.UmarenKaimeCount; ++c) {
        std::string& key = r.UmarenKaimeDisp[static_cast<std::size_t>(c)];
        const std::string h1 = key.substr(0, 2), h2 = key.substr(2, 2);
        if (speedOf(r, h2) > speedOf(r, h1)) key = h2 + h1;
    }
}

std::string scoreTrios(RaceState& r, const std::string& raceKey) {
    const int n = r.HorseCount;
    std::string lines;
    r.SanrenpukuKaimeCount = 0;
    for (int i = 1; i <= n; ++i) {
        for (int j = i + 1; j <= n; ++j) {
            for (int k = j + 1; k <= n; ++k) {
                const auto a = static_cast<std::size_t>(i), b = static_cast<std::size_t>(j), c = static_cast<std::size_t>(k);
                const std::string key = zeroPad(i, 2) + zeroPad(j, 2) + zeroPad(k, 2);
                const float speedSum = (r.GoseiSpeed[a] + r.GoseiSpeed[b]) + r.GoseiSpeed[c];
                const float adjustSum = (r.HorseSpeedAdjust[a] + r.HorseSpeedAdjust[b]) + r.HorseSpeedAdjust[c];
                const float score = speedSum + adjustSum;
                ++r.SanrenpukuKaimeCount;
                r.SanrenKaime.push_back(key);
                r.TrioSpeedSum.push_back(speedSum);
                r.TrioAdjustSum.push_back(adjustSum);
                r.TrioScore.push_back(score);
                QuotedLine().textRaw(raceKey).text("Sanrenpuku").text(key).single(score).single(speedSum).single(adjustSum).appendTo(lines);
            }
        }
    }
    QuickSortDesc(r.TrioScore, r.SanrenKaime, 1, r.SanrenpukuKaimeCount);
    r.SanrenpukuKaimeKey = r.SanrenKaime;
    return lines;
}

void SortTrioBySpeed(RaceState& r, int LoopI) {
    const std::string& key = r.SanrenKaime.at(static_cast<std::size_t>(LoopI));
    r.TrioUmaban1 = key.substr(0, 2);
    r.TrioUmaban2 = key.substr(2, 2);
    r.TrioUmaban3 = key.substr(4, 2);
    if (speedOf(r, r.TrioUmaban2) < speedOf(r, r.TrioUmaban3)) std::swap(r.TrioUmaban2, r.TrioUmaban3);
    if (speedOf(r, r.TrioUmaban1) < speedOf(r, r.TrioUmaban2)) std::swap(r.TrioUmaban1, r.TrioUmaban2);
    if (speedOf(r, r.TrioUmaban2) < speedOf(r, r.TrioUmaban3)) std::swap(r.TrioUmaban2, r.TrioUmaban3);
}

void turnTriosFastestFirst(RaceState& r) {
    for (int c = 1; c <= r.SanrenpukuKaimeCount; ++c) {
        SortTrioBySpeed(r, c);
        r.SanrenKaime[static_cast<std::size_t>(c)] = r.TrioUmaban1 + r.TrioUmaban2 + r.TrioUmaban3;
    }
}

std::string sortFileText(const std::string& raceKey, const char* tag, const std::vector<std::string>& combos,
                         const std::vector<float>& scores, int count) {
    std::string out;
    for (int c = 1; c <= count; ++c) {
        const auto i = static_cast<std::size_t>(c);
        QuotedLine().textRaw(raceKey).text(tag).text(combos[i]).single(scores[i]).appendTo(out);
    }
    return out;
}

std::string ticketFileName(const RunConstants& run, const char* folder, const std::string& raceKey) {
    const std::string course = run.LookupCodeTable("2001", raceKey.substr(8, 2), 4);
    return std::string(folder) + "/" + raceKey.substr(2, 6) + course + raceKey.substr(10, 2) + "R.csv";
}

std::string TicketCsvLine(const std::string& raceKey, const char* kind, const std::string& combination) {
    return raceKey.substr(0, 8) + "," + raceKey.substr(8, 2) + "," + raceKey.substr(10, 2) + "," + kind + "," +
           combination + ",100\r\n";
}

std::string ticketFileText(const RaceState& r, const std::string& raceKey, TicketKind kind) {
    std::string out;
    auto pair = [](const std::string& k, bool reverse) {
        const std::string a = k.substr(0, 2), b = k.substr(2, 2);
        return reverse ? b + "-" + a : a + "-" + b;
    };
    switch (kind) {
    case TicketKind::Umaren:
    case TicketKind::Wide: {
        const bool umaren = kind == TicketKind::Umaren;
        for (int k = 1; k <= (umaren ? 7 : 3) && k <= r.UmarenKaimeCount; ++k)
            out += TicketCsvLine(raceKey, umaren ? "04" : "05", pair(r.UmarenKaimeDisp[static_cast<std::size_t>(k)], false));
        break;
    }
    case TicketKind::Umatan:
        for (int k = 1; k <= 7 && k <= r.UmarenKaimeCount; ++k) {
            const std::string& key = r.UmarenKaimeDisp[static_cast<std::size_t>(k)];
            out += TicketCsvLine(raceKey, "06", pair(key, false));
            out += TicketCsvLine(raceKey, "06", pair(key, true));
        }
        break;
    case TicketKind::Sanrenpuku:
        for (int k = 1; k <= 10 && k <= r.SanrenpukuKaimeCount; ++k) {
            const std::string& key = r.SanrenKaime[static_cast<std::size_t>(k)];
            out += TicketCsvLine(raceKey, "07", key.substr(0, 2) + "-" + key.substr(2, 2) + "-" + key.substr(4, 2));
        }
        break;
    case TicketKind::Sanrentan:
        for (int k = 1; k <= 10 && k <= r.SanrenpukuKaimeCount; ++k) {
            const std::string& key = r.SanrenKaime[static_cast<std::size_t>(k)];
            const std::string a = key.substr(0, 2), b = key.substr(2, 2), c = key.substr(4, 2);
            for (const auto& t : {a + "-" + b + "-" + c, a + "-" + c + "-" + b, b + "-" + a + "-" + c,
                                  b + "-" + c + "-" + a, c + "-" + a + "-" + b, c + "-" + b + "-" + a})
                out += TicketCsvLine(raceKey, "08", t);
        }
        break;
    }
    return out;
}

}  // namespace kv::pred
