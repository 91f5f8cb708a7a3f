#include "acquisition/jvdata/jvdata.h"

#include <algorithm>
#include <limits>

namespace kv::jv {

std::string CutField(std::string_view rec, std::size_t& pos, std::size_t width) {
    std::string out;
    if (pos >= 1 && pos - 1 < rec.size()) out.assign(rec.substr(pos - 1, width));
    pos += width;
    return out;
}

namespace {

// The working record: the bytes the layout covers, walked member by member
// (the members are contiguous, so this is the received bytes up to the length).
std::string cutTo(std::string_view received, std::size_t len) {
    return std::string(received.substr(0, std::min(received.size(), len)));
}

}  // namespace

std::string ParseRA(std::string_view r) { return cutTo(r, RaRecord::kLength); }
std::string ParseSE(std::string_view r) { return cutTo(r, SeRecord::kLength); }
std::string ParseHR(std::string_view r) { return cutTo(r, HrRecord::kLength); }
std::string ParseUM(std::string_view r) { return cutTo(r, UmRecord::kLength); }
std::string ParseKS(std::string_view r) { return cutTo(r, KsReceived::kLength); }
std::string ParseO1(std::string_view r) { return cutTo(r, O1Record::kLength); }
std::string ParseO2(std::string_view r) { return cutTo(r, O2Record::kLength); }
std::string ParseO4(std::string_view r) { return cutTo(r, O4Record::kLength); }
std::string ParseO5(std::string_view r) { return cutTo(r, O5Record::kLength); }
std::string ParseO6(std::string_view r) { return cutTo(r, O6Record::kLength); }

std::string FixRA(std::string_view w) { return fitRecord(w, RaRecord::kLength); }
std::string FixSE(std::string_view w) { return fitRecord(w, SeRecord::kLength); }
std::string FixHR(std::string_view w) { return fitRecord(w, HrRecord::kLength); }
std::string FixUM(std::string_view w) { return fitRecord(w, UmRecord::kLength); }

std::string FixKS(std::string_view w) {
    using R = KsReceived::HonZenRuikei;
    using S = KsRecord::HonZenRuikei;
    std::string out(KsRecord::kLength, ' ');
    // The same up to the year blocks.
    const std::size_t headLen = KsCommon::kYearBlocksOff;
    std::size_t pos = 1;
    setField(out, 0, headLen, CutField(w, pos, headLen));
    // Each year block member by member; the prize members lose their last byte.
    for (std::size_t b = 1; b <= KsCommon::kYearBlockCount; ++b) {
        const std::size_t rOff = R::entry(b).off, sOff = S::entry(b).off;
        for (std::size_t m = 0; m < std::size(R::kEntryMembers); ++m) {
            const Member& rm = R::kEntryMembers[m];
            const Member& sm = S::kEntryMembers[m];
            std::size_t p = rOff + rm.off + 1;
            setField(out, sOff + sm.off, sm.len, CutField(w, p, rm.len));
        }
    }
    std::size_t p = KsReceived::CrLf.off + 1;
    setField(out, KsRecord::CrLf, CutField(w, p, KsReceived::CrLf.len));
    return out;
}

RecordKind recordKindOf(std::string_view rec) {
    if (rec.size() < 2) return RecordKind::Other;
    const std::string_view id = rec.substr(0, 2);
    if (id == "RA") return RecordKind::RA;
    if (id == "SE") return RecordKind::SE;
    if (id == "HR") return RecordKind::HR;
    if (id == "UM") return RecordKind::UM;
    if (id == "KS") return RecordKind::KS;
    if (id == "HN") return RecordKind::HN;
    if (id == "O1") return RecordKind::O1;
    if (id == "O2") return RecordKind::O2;
    if (id == "O4") return RecordKind::O4;
    if (id == "O5") return RecordKind::O5;
    if (id == "O6") return RecordKind::O6;
    return RecordKind::Other;
}

std::size_t receivedLength(RecordKind kind) {
    switch (kind) {
    case RecordKind::RA: return RaRecord::kLength;
    case RecordKind::SE: return SeRecord::kLength;
    case RecordKind::HR: return HrRecord::kLength;
    case RecordKind::UM: return UmRecord::kLength;
    case RecordKind::KS: return KsReceived::kLength;
    case RecordKind::HN: return HnRecord::kLength;
    case RecordKind::O1: return O1Record::kLength;
    case RecordKind::O2: return O2Record::kLength;
    case RecordKind::O4: return O4Record::kLength;
    case RecordKind::O5: return O5Record::kLength;
    case RecordKind::O6: return O6Record::kLength;
    case RecordKind::Other: return 0;
    }
    return 0;
}

std::size_t storedLength(RecordKind kind) {
    return kind == RecordKind::KS ? KsRecord::kLength : receivedLength(kind);
}

std::optional<std::string> storedRecord(std::string_view received) {
    switch (recordKindOf(received)) {
    case RecordKind::RA: return FixRA(ParseRA(received));
    case RecordKind::SE: return FixSE(ParseSE(received));
    case RecordKind::HR: return FixHR(ParseHR(received));
    case RecordKind::UM: return FixUM(ParseUM(received));
    case RecordKind::KS: return FixKS(ParseKS(received));
    default: return std::nullopt;
    }
}

bool isNoOdds(std::string_view t) {
    if (t.empty()) return true;
    const char c = t.front();
    if (c != '0' && c != '-' && c != '*' && c != ' ') return false;
    return std::all_of(t.begin(), t.end(), [c](char x) { return x == c; });
}

std::optional<long> oddsTenths(std::string_view t) {
    if (isNoOdds(t)) return 0L;
    std::size_t i = 0;
    while (i < t.size() && t[i] == ' ') ++i;
    if (i == t.size()) return 0L;
    long v = 0;
    for (; i < t.size(); ++i) {
        if (t[i] < '0' || t[i] > '9') return std::nullopt;
        // More digits than a number holds: no odds text either.
        if (v > (std::numeric_limits<long>::max() - 9) / 10) return std::nullopt;
        v = v * 10 + (t[i] - '0');
    }
    return v;
}

std::vector<int> kumiNumbers(std::string_view kumi, std::size_t digits) {
    std::vector<int> out;
    if (digits == 0) return out;
    for (std::size_t i = 0; i < kumi.size(); i += digits) {
        const std::string_view part = kumi.substr(i, digits);
        int v = 0;
        bool blank = true, bad = false;
        for (char ch : part) {
            if (ch == ' ') continue;
            if (ch < '0' || ch > '9') { bad = true; break; }
            blank = false;
            v = v * 10 + (ch - '0');
        }
        out.push_back(bad ? -1 : (blank ? 0 : v));
    }
    return out;
}

namespace {

template <typename G>
std::vector<OddsEntry> entriesOf(std::string_view rec) {
    std::vector<OddsEntry> out;
    out.reserve(G::kArray.count);
    for (std::size_t i = 1; i <= G::kArray.count; ++i)
        out.push_back({getField(rec, G::Kumi(i)), getField(rec, G::Odds(i)), getField(rec, G::Ninki(i))});
    return out;
}

// Stand-ins for the group namespaces, so one template serves them all.
#define KV_JV_GROUP_TYPE(T, NS)                                             \
    struct T {                                                              \
        static constexpr Array kArray = NS::kArray;                         \
        static constexpr Field Kumi(std::size_t i) { return NS::Kumi(i); }  \
        static constexpr Field Odds(std::size_t i) { return NS::Odds(i); }  \
        static constexpr Field Ninki(std::size_t i) { return NS::Ninki(i); } \
    };
KV_JV_GROUP_TYPE(GTansyo, O1Record::OddsTansyo)
KV_JV_GROUP_TYPE(GUmaren, O2Record::OddsUmaren)
KV_JV_GROUP_TYPE(GUmatan, O4Record::OddsUmatan)
KV_JV_GROUP_TYPE(GSanren, O5Record::OddsSanren)
KV_JV_GROUP_TYPE(GSanrentan, O6Record::OddsSanrentan)
#undef KV_JV_GROUP_TYPE

}  // namespace

std::vector<OddsEntry> oddsEntries(std::string_view rec) {
    switch (recordKindOf(rec)) {
    case RecordKind::O1: return entriesOf<GTansyo>(rec);
    case RecordKind::O2: return entriesOf<GUmaren>(rec);
    case RecordKind::O4: return entriesOf<GUmatan>(rec);
    case RecordKind::O5: return entriesOf<GSanren>(rec);
    case RecordKind::O6: return entriesOf<GSanrentan>(rec);
    default: return {};
    }
}

}  // namespace kv::jv
