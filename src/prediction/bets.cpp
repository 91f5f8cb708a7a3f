// Pair and trio scoring, the sorted bet files and the ticket files.
#include <algorithm>
#include <array>
#include <cstring>

#include "common/appfolder.h"
#include "common/numbers.h"
#include "common/quicksort.h"
#include "common/quoted.h"
#include "prediction/run_stages.h"

namespace kv::pred {

namespace {

// The horse number of a two-digit key part ("07" -> 7).
long long horseOf(std::string_view twoDigits) {
    if (twoDigits.size() == 2 && twoDigits[0] >= '0' && twoDigits[0] <= '9' && twoDigits[1] >= '0' && twoDigits[1] <= '9')
        return (twoDigits[0] - '0') * 10 + (twoDigits[1] - '0');
    return valLong(twoDigits);
}

float speedOf(const RaceState& r, std::string_view twoDigits) {
    const long long h = horseOf(twoDigits);
    if (h < 0 || static_cast<std::size_t>(h) >= r.SuiteiSpeed.size()) return 0.0f;
    return r.SuiteiSpeed[static_cast<std::size_t>(h)];
}

// Two-digit horse numbers, written into a key.
void putTwoDigits(char* at, int h) {
    at[0] = static_cast<char>('0' + h / 10 % 10);
    at[1] = static_cast<char>('0' + h % 10);
}

// Equal values give equal texts (the sums of adjustments are mostly 0, so a
// score mostly equals its speed sum).
bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// The text of a value, remembering the last one (the adjustment sums repeat).
struct LastText {
    float v = 0.0f;
    bool set = false;
    std::string text;
    const std::string& of(float x) {
        if (!set || !sameBits(x, v)) {
            v = x;
            set = true;
            text = formatSingle(x);
        }
        return text;
    }
};

// Sorts scores[1..count] greatest first as QuickSortDesc over (scores, keys)
// would, and puts keys and the score texts (enumeration order) in the same order.
void sortBets(std::vector<float>& scores, std::vector<std::string>& keys, int count,
              std::vector<std::string>* texts) {
    std::vector<int> order(static_cast<std::size_t>(count) + 1);
    for (int c = 0; c <= count; ++c) order[static_cast<std::size_t>(c)] = c;
    QuickSortDesc(scores, order, 1, count);  // the swaps depend on the scores alone
    std::vector<std::string> sortedKeys(keys.size());
    for (int c = 1; c <= count; ++c)
        sortedKeys[static_cast<std::size_t>(c)] = std::move(keys[static_cast<std::size_t>(order[static_cast<std::size_t>(c)])]);
    keys.swap(sortedKeys);
    if (texts) {
        std::vector<std::string> sortedTexts(texts->size());
        for (int c = 1; c <= count; ++c)
            sortedTexts[static_cast<std::size_t>(c)] = std::move((*texts)[static_cast<std::size_t>(order[static_cast<std::size_t>(c)])]);
        texts->swap(sortedTexts);
    }
}

// The scored bets of one kind as they are enumerated: each bet counted, its
// key and values kept, and its line "race key","kind","key",score,speed sum,
// adjust sum added to the lines; the score's text is kept for the sorted
// files when asked for. sorted() puts the bets greatest score first.
class ScoredBets {
public:
    ScoredBets(const std::string& raceKey, const char* kind, std::size_t bets, std::size_t lineBytes, int& count,
               std::vector<std::string>& keys, std::vector<float>& speedSums, std::vector<float>& adjustSums,
               std::vector<float>& scores, std::vector<std::string>* scoreTexts)
        : count_(count), keys_(keys), speedSums_(speedSums), adjustSums_(adjustSums), scores_(scores),
          scoreTexts_(scoreTexts) {
        count_ = 0;
        for (auto* v : {&speedSums_, &adjustSums_, &scores_}) v->reserve(bets + 1);
        keys_.reserve(bets + 1);
        if (scoreTexts_) scoreTexts_->assign(1, std::string());
        lines_.reserve(bets * lineBytes);
        head_.textRaw(raceKey).text(kind);
    }

    void add(std::string_view key, float score, float speedSum, float adjustSum) {
        ++count_;
        keys_.emplace_back(key);
        speedSums_.push_back(speedSum);
        adjustSums_.push_back(adjustSum);
        scores_.push_back(score);
        std::string scoreText = formatSingle(score);
        line_ = head_;  // keeps the line's buffer
        line_.text(key)
            .bare(scoreText)
            .bare(sameBits(speedSum, score) ? scoreText : formatSingle(speedSum))
            .bare(adjustText_.of(adjustSum))
            .appendTo(lines_);
        if (scoreTexts_) scoreTexts_->push_back(std::move(scoreText));
    }

    // Sorts the bets greatest score first; the lines stay in enumeration order.
    std::string sorted() {
        sortBets(scores_, keys_, count_, scoreTexts_);
        return std::move(lines_);
    }

private:
    int& count_;
    std::vector<std::string>& keys_;
    std::vector<float>& speedSums_;
    std::vector<float>& adjustSums_;
    std::vector<float>& scores_;
    std::vector<std::string>* scoreTexts_;
    std::string lines_;
    LastText adjustText_;
    QuotedLine head_, line_;
};

}  // namespace

std::string scorePairs(RaceState& r, const std::string& raceKey, std::vector<std::string>* scoreTexts) {
    const int n = r.HorseCount;
    const std::size_t pairs = n > 1 ? static_cast<std::size_t>(n) * static_cast<std::size_t>(n - 1) / 2 : 0;
    ScoredBets bets(raceKey, "Umaren", pairs, 64, r.UmarenKaimeCount, r.UmarenKaimeDisp, r.PairSpeedSum,
                    r.PairAdjustSum, r.PairScore, scoreTexts);
    char key[4];
    for (int i = 1; i <= n; ++i) {
        putTwoDigits(key, i);
        for (int j = i + 1; j <= n; ++j) {
            putTwoDigits(key + 2, j);
            const auto a = static_cast<std::size_t>(i), b = static_cast<std::size_t>(j);
            const float g1 = r.GoseiSpeed[a], a1 = r.HorseSpeedAdjust[a];
            const float g2 = r.GoseiSpeed[b], a2 = r.HorseSpeedAdjust[b];
            const float speedSum = g1 + g2;
            const float adjustSum = a1 + a2;
            const float score = ((g1 + a1) + g2) + a2;
            bets.add(std::string_view(key, 4), score, speedSum, adjustSum);
        }
    }
    std::string lines = bets.sorted();
    r.UmarenKaimeKey = r.UmarenKaimeDisp;
    return lines;
}

void turnPairsFasterFirst(RaceState& r) {
    for (int c = 1; c <= r.UmarenKaimeCount; ++c) {
        std::string& key = r.UmarenKaimeDisp[static_cast<std::size_t>(c)];
        const std::string_view k(key);
        if (speedOf(r, k.substr(2, 2)) > speedOf(r, k.substr(0, 2))) {
            std::swap(key[0], key[2]);
            std::swap(key[1], key[3]);
        }
    }
}

std::string scoreTrios(RaceState& r, const std::string& raceKey, std::vector<std::string>* scoreTexts) {
    const int n = r.HorseCount;
    const std::size_t trios =
        n > 2 ? static_cast<std::size_t>(n) * static_cast<std::size_t>(n - 1) * static_cast<std::size_t>(n - 2) / 6 : 0;
    ScoredBets bets(raceKey, "Sanrenpuku", trios, 72, r.SanrenpukuKaimeCount, r.SanrenKaime, r.TrioSpeedSum,
                    r.TrioAdjustSum, r.TrioScore, scoreTexts);
    char key[6];
    for (int i = 1; i <= n; ++i) {
        putTwoDigits(key, i);
        for (int j = i + 1; j <= n; ++j) {
            putTwoDigits(key + 2, j);
            for (int k = j + 1; k <= n; ++k) {
                putTwoDigits(key + 4, k);
                const auto a = static_cast<std::size_t>(i), b = static_cast<std::size_t>(j), c = static_cast<std::size_t>(k);
                const float speedSum = (r.GoseiSpeed[a] + r.GoseiSpeed[b]) + r.GoseiSpeed[c];
                const float adjustSum = (r.HorseSpeedAdjust[a] + r.HorseSpeedAdjust[b]) + r.HorseSpeedAdjust[c];
                const float score = speedSum + adjustSum;
                bets.add(std::string_view(key, 6), score, speedSum, adjustSum);
            }
        }
    }
    std::string lines = bets.sorted();
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
    // SortTrioBySpeed on each trio, in place; the trio buffers keep the last one.
    for (int c = 1; c <= r.SanrenpukuKaimeCount; ++c) {
        std::string& key = r.SanrenKaime[static_cast<std::size_t>(c)];
        if (key.size() < 6) {
            SortTrioBySpeed(r, c);
            key = r.TrioUmaban1 + r.TrioUmaban2 + r.TrioUmaban3;
            continue;
        }
        const std::string_view k(key);
        char t[3][2] = {{k[0], k[1]}, {k[2], k[3]}, {k[4], k[5]}};
        float s[3] = {speedOf(r, k.substr(0, 2)), speedOf(r, k.substr(2, 2)), speedOf(r, k.substr(4, 2))};
        auto turn = [&](int x, int y) {
            if (s[x] < s[y]) {
                std::swap(t[x][0], t[y][0]);
                std::swap(t[x][1], t[y][1]);
                std::swap(s[x], s[y]);
            }
        };
        turn(1, 2);
        turn(0, 1);
        turn(1, 2);
        key.assign({t[0][0], t[0][1], t[1][0], t[1][1], t[2][0], t[2][1]});
        if (c == r.SanrenpukuKaimeCount) {
            r.TrioUmaban1.assign(t[0], 2);
            r.TrioUmaban2.assign(t[1], 2);
            r.TrioUmaban3.assign(t[2], 2);
        }
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

std::string sortFileText(const std::string& raceKey, const char* tag, const std::vector<std::string>& combos,
                         const std::vector<std::string>& scoreTexts, int count) {
    std::string out;
    out.reserve(static_cast<std::size_t>(count) * 48);
    QuotedLine head, line;
    head.textRaw(raceKey).text(tag);
    for (int c = 1; c <= count; ++c) {
        const auto i = static_cast<std::size_t>(c);
        line = head;  // keeps the line's buffer
        line.text(combos[i]).bare(scoreTexts[i]).appendTo(out);
    }
    return out;
}

std::string ticketFileName(const RunConstants& run, const char* folder, const std::string& raceKey) {
    const std::string course = run.LookupCodeTable("2001", raceKey.substr(8, 2), 4);
    return std::string(folder) + "/" + raceKey.substr(2, 6) + course + raceKey.substr(10, 2) + suffix::TICKET;
}

namespace {

// Appends TicketCsvLine(raceKey, kind, combination) to out.
void appendTicketLine(std::string& out, std::string_view raceKey, const char* kind, std::string_view combination) {
    out.append(raceKey.substr(0, 8));
    out.push_back(',');
    out.append(raceKey.substr(std::min<std::size_t>(8, raceKey.size()), 2));
    out.push_back(',');
    out.append(raceKey.substr(std::min<std::size_t>(10, raceKey.size()), 2));
    out.push_back(',');
    out.append(kind);
    out.push_back(',');
    out.append(combination);
    out.append(",100\r\n");
}

// "aa-bb" or "bb-aa" of a pair key "aabb".
std::string_view pairText(std::string_view k, bool reverse, char (&buf)[5]) {
    const std::string_view a = k.substr(0, 2), b = k.substr(std::min<std::size_t>(2, k.size()), 2);
    const std::string_view first = reverse ? b : a, second = reverse ? a : b;
    std::size_t n = first.copy(buf, 2);
    buf[n++] = '-';
    n += second.copy(buf + n, 2);
    return std::string_view(buf, n);
}

// "x-y-z" of three two-digit parts.
std::string_view trioText(std::string_view x, std::string_view y, std::string_view z, char (&buf)[8]) {
    std::size_t n = x.copy(buf, 2);
    buf[n++] = '-';
    n += y.copy(buf + n, 2);
    buf[n++] = '-';
    n += z.copy(buf + n, 2);
    return std::string_view(buf, n);
}

}  // namespace

std::string TicketCsvLine(const std::string& raceKey, const char* kind, const std::string& combination) {
    std::string out;
    appendTicketLine(out, raceKey, kind, combination);
    return out;
}

std::string ticketFileText(const RaceState& r, const std::string& raceKey, TicketKind kind) {
    std::string out;
    char pairBuf[5], trioBuf[8];
    switch (kind) {
    case TicketKind::Umaren:
    case TicketKind::Wide: {
        const bool umaren = kind == TicketKind::Umaren;
        for (int k = 1; k <= (umaren ? 7 : 3) && k <= r.UmarenKaimeCount; ++k)
            appendTicketLine(out, raceKey, umaren ? "04" : "05",
                             pairText(r.UmarenKaimeDisp[static_cast<std::size_t>(k)], false, pairBuf));
        break;
    }
    case TicketKind::Umatan:
        for (int k = 1; k <= 7 && k <= r.UmarenKaimeCount; ++k) {
            const std::string& key = r.UmarenKaimeDisp[static_cast<std::size_t>(k)];
            appendTicketLine(out, raceKey, "06", pairText(key, false, pairBuf));
            appendTicketLine(out, raceKey, "06", pairText(key, true, pairBuf));
        }
        break;
    case TicketKind::Sanrenpuku:
        for (int k = 1; k <= 10 && k <= r.SanrenpukuKaimeCount; ++k) {
            const std::string_view key = r.SanrenKaime[static_cast<std::size_t>(k)];
            appendTicketLine(out, raceKey, "07", trioText(key.substr(0, 2), key.substr(std::min<std::size_t>(2, key.size()), 2),
                                                       key.substr(std::min<std::size_t>(4, key.size()), 2), trioBuf));
        }
        break;
    case TicketKind::Sanrentan:
        for (int k = 1; k <= 10 && k <= r.SanrenpukuKaimeCount; ++k) {
            const std::string_view key = r.SanrenKaime[static_cast<std::size_t>(k)];
            const std::string_view a = key.substr(0, 2), b = key.substr(std::min<std::size_t>(2, key.size()), 2),
                                   c = key.substr(std::min<std::size_t>(4, key.size()), 2);
            for (const auto& [x, y, z] : {std::array{a, b, c}, std::array{a, c, b}, std::array{b, a, c},
                                          std::array{b, c, a}, std::array{c, a, b}, std::array{c, b, a}})
                appendTicketLine(out, raceKey, "08", trioText(x, y, z, trioBuf));
        }
        break;
    }
    return out;
}

}  // namespace kv::pred
