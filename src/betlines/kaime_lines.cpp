#include "betlines/kaime_lines.h"

#include <algorithm>

#include "betlines/line_helpers.h"
#include "common/quoted.h"

namespace kv::bet {

namespace {

const char* const kArrow = "→";

std::string joinParts(std::string_view key, std::initializer_list<std::size_t> order, const char* sep) {
    return std::string(ShortText().horses(key, order, sep).view());
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

ShortText tag(char first, char kind, int p, int perTier) {
    const TierTag t = tierTag(p, perTier);
    ShortText s;
    s.add(first).add(kind).add(t.letter).number(t.n);
    return s;
}

bool inRange(std::string_view raceNum, std::string_view lo, std::string_view hi) { return raceNum >= lo && raceNum <= hi; }

// The race number of the race-horse record (two characters, clipped).
std::string_view raceNumView(const RaceHorseRecord& rec, std::string& raceId) {
    raceId = raceIdOf(rec);
    return raceId.size() > 14 ? std::string_view(raceId).substr(14, 2) : std::string_view();
}

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
    std::string raceId;
    const std::string_view raceNum = raceNumView(r.RaceHorseRec, raceId);

    const int pairs = linesHeld(asked.pairs, r.UmarenKaimeCount, r.UmarenKaimeDisp, r.UmarenKaimeDisp);
    for (int p = 1; p <= pairs; ++p) {
        const ShortText pair = ShortText().horses(entry(r.UmarenKaimeDisp, p), {0, 1}, "-");
        QuotedLine().textRaw(tag('M', 'U', p, 6).view()).textRaw(ShortText().number(p).view()).textRaw(pair.view()).appendTo(out);
    }

    const int trios = linesHeld(asked.trios, r.SanrenpukuKaimeCount, r.SanrenKaime, r.SanrenpukuKaimeKey);
    for (int p = 1; p <= trios; ++p) {
        const bool fukuhei = p > 14;
        const bool speedOrder = fukuhei ? inRange(raceNum, "09", "12") : inRange(raceNum, "01", "12");
        const ShortText trio =
            ShortText().horses(speedOrder ? entry(r.SanrenKaime, p) : entry(r.SanrenpukuKaimeKey, p), {0, 1, 2}, "-");
        QuotedLine().textRaw(tag('M', 'S', p, 7).view()).textRaw(ShortText().number(p).view()).textRaw(trio.view()).appendTo(out);
    }
}

void WriteKaimePLines(const pred::WindowState& st, std::string& out) {
    const pred::RaceState& r = st.race;
    const KaimeLineCount asked = kaimeLineCount(torokuTosuOf(r.RaceHorseRec));
    std::string raceId;
    const std::string_view raceNum = raceNumView(r.RaceHorseRec, raceId);
    const std::string& arrow = arrowCp932();

    const int pairs = linesHeld(asked.pairs, r.UmarenKaimeCount, r.UmarenKaimeKey, r.UmarenKaimeDisp);
    for (int p = 1; p <= pairs; ++p) {
        const std::string& disp = entry(r.UmarenKaimeDisp, p);
        const ShortText key = ShortText().horses(entry(r.UmarenKaimeKey, p), {0, 1}, "-");
        const long long horses[2] = {horseOfKey(disp, 0), horseOfKey(disp, 1)};
        const ShortText own = ShortText().horses(horses, {0, 1}, arrow);
        const ShortText reversed = ShortText().horses(horses, {1, 0}, arrow);
        QuotedLine()
            .textRaw(tag('P', 'U', p, 6).view())
            .textRaw(ShortText().number(p).view())
            .textRaw(key.view())
            .textRaw(own.view())
            .textRaw(reversed.view())
            .appendTo(out);
    }

    const int trios = linesHeld(asked.trios, r.SanrenpukuKaimeCount, r.SanrenKaime, r.SanrenpukuKaimeKey);
    const bool withOrders = inRange(raceNum, "01", "12");
    for (int p = 1; p <= trios; ++p) {
        QuotedLine q;
        const ShortText key = ShortText().horses(entry(r.SanrenpukuKaimeKey, p), {0, 1, 2}, "-");
        if (withOrders) {
            // Every order is formatted before the line is started: a failing one leaves no line.
            const std::string& trio = entry(r.SanrenKaime, p);
            const long long h[3] = {horseOfKey(trio, 0), horseOfKey(trio, 1), horseOfKey(trio, 2)};
            const ShortText orders[6] = {
                ShortText().horses(h, {0, 1, 2}, arrow), ShortText().horses(h, {0, 2, 1}, arrow),
                ShortText().horses(h, {1, 0, 2}, arrow), ShortText().horses(h, {1, 2, 0}, arrow),
                ShortText().horses(h, {2, 0, 1}, arrow), ShortText().horses(h, {2, 1, 0}, arrow)};
            q.textRaw(tag('P', 'S', p, 7).view()).textRaw(ShortText().number(p).view()).textRaw(key.view());
            for (const ShortText& o : orders) q.textRaw(o.view());
        } else {
            q.textRaw(tag('P', 'S', p, 7).view()).textRaw(ShortText().number(p).view()).textRaw(key.view());
        }
        q.appendTo(out);
    }
}

}  // namespace kv::bet
