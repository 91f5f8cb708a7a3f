#include "betlines/kaime_lines.h"

#include <algorithm>

#include "betlines/line_helpers.h"
#include "common/quoted.h"

namespace kv::bet {

namespace {

const char* const kArrow = "→";

std::string joinParts(std::string_view key, std::initializer_list<std::size_t> order, const char* sep) {
    std::string out;
    bool first = true;
    for (std::size_t i : order) {
        if (!first) out += sep;
        first = false;
        out += horseText(keyPart(key, i));
    }
    return out;
}

const std::string& entry(const std::vector<std::string>& v, int p) {
    return v[static_cast<std::size_t>(p)];
}

// Positions 1..asked that the list holds (entries 1..count of a vector).
int linesHeld(int asked, int count, const std::vector<std::string>& a, const std::vector<std::string>& b) {
    const int inVectors = static_cast<int>(std::min(a.size(), b.size())) - 1;
    return std::max(0, std::min({asked, count, inVectors}));
}

struct TierTag {
    char letter;
    int n;
};

TierTag tierTag(int p, int perTier) {
    const int t = (p - 1) / perTier;
    return {"HJF"[std::min(t, 2)], p - std::min(t, 2) * perTier};
}

std::string tag(char first, char kind, int p, int perTier) {
    const TierTag t = tierTag(p, perTier);
    return std::string{first, kind, t.letter} + std::to_string(t.n);
}

bool inRange(const std::string& raceNum, const char* lo, const char* hi) { return raceNum >= lo && raceNum <= hi; }

}  // namespace

KaimeLineCount kaimeLineCount(std::string_view t) {
    if (t >= "00" && t <= "04") return {6, 4};
    if (t == "05") return {6, 7};
    if (t == "06") return {12, 14};
    return {18, 21};
}

std::string FormatSanrenKey(std::string_view trio) { return joinParts(trio, {0, 1, 2}, "-"); }
std::string FormatSanrentan123(std::string_view trio) { return joinParts(trio, {0, 1, 2}, kArrow); }
std::string FormatSanrentan132(std::string_view trio) { return joinParts(trio, {0, 2, 1}, kArrow); }
std::string FormatSanrentan213(std::string_view trio) { return joinParts(trio, {1, 0, 2}, kArrow); }
std::string FormatSanrentan231(std::string_view trio) { return joinParts(trio, {1, 2, 0}, kArrow); }
std::string FormatSanrentan312(std::string_view trio) { return joinParts(trio, {2, 0, 1}, kArrow); }
std::string FormatSanrentan321(std::string_view trio) { return joinParts(trio, {2, 1, 0}, kArrow); }

void WriteKaimeMLines(const pred::WindowState& st, std::string& out) {
    const pred::RaceState& r = st.race;
    const KaimeLineCount asked = kaimeLineCount(torokuTosuOf(r.RaceHorseRec));
    const std::string raceNum = raceNumOf(r.RaceHorseRec);

    const int pairs = linesHeld(asked.pairs, r.UmarenKaimeCount, r.UmarenKaimeDisp, r.UmarenKaimeDisp);
    for (int p = 1; p <= pairs; ++p) {
        QuotedLine()
                   .text(tag('M', 'U', p, 6))
                   .text(std::to_string(p))
                   .text(joinParts(entry(r.UmarenKaimeDisp, p), {0, 1}, "-"))
                   .appendTo(out);
    }

    const int trios = linesHeld(asked.trios, r.SanrenpukuKaimeCount, r.SanrenKaime, r.SanrenpukuKaimeKey);
    for (int p = 1; p <= trios; ++p) {
        const bool fukuhei = p > 14;
        const bool speedOrder = fukuhei ? inRange(raceNum, "09", "12") : inRange(raceNum, "01", "12");
        QuotedLine()
                   .text(tag('M', 'S', p, 7))
                   .text(std::to_string(p))
                   .text(speedOrder ? FormatSanrenKey(entry(r.SanrenKaime, p))
                                    : FormatSanrenKey(entry(r.SanrenpukuKaimeKey, p)))
                   .appendTo(out);
    }
}

void WriteKaimePLines(const pred::WindowState& st, std::string& out) {
    const pred::RaceState& r = st.race;
    const KaimeLineCount asked = kaimeLineCount(torokuTosuOf(r.RaceHorseRec));
    const std::string raceNum = raceNumOf(r.RaceHorseRec);

    const int pairs = linesHeld(asked.pairs, r.UmarenKaimeCount, r.UmarenKaimeKey, r.UmarenKaimeDisp);
    for (int p = 1; p <= pairs; ++p) {
        const std::string& disp = entry(r.UmarenKaimeDisp, p);
        QuotedLine()
                   .text(tag('P', 'U', p, 6))
                   .text(std::to_string(p))
                   .text(joinParts(entry(r.UmarenKaimeKey, p), {0, 1}, "-"))
                   .text(joinParts(disp, {0, 1}, kArrow))
                   .text(joinParts(disp, {1, 0}, kArrow))
                   .appendTo(out);
    }

    const int trios = linesHeld(asked.trios, r.SanrenpukuKaimeCount, r.SanrenKaime, r.SanrenpukuKaimeKey);
    const bool withOrders = inRange(raceNum, "01", "12");
    for (int p = 1; p <= trios; ++p) {
        QuotedLine q;
        q.text(tag('P', 'S', p, 7)).text(std::to_string(p)).text(FormatSanrenKey(entry(r.SanrenpukuKaimeKey, p)));
        if (withOrders) {
            const std::string& trio = entry(r.SanrenKaime, p);
            q.text(FormatSanrentan123(trio))
                .text(FormatSanrentan132(trio))
                .text(FormatSanrentan213(trio))
                .text(FormatSanrentan231(trio))
                .text(FormatSanrentan312(trio))
                .text(FormatSanrentan321(trio));
        }
        q.appendTo(out);
    }
}

}  // namespace kv::bet
