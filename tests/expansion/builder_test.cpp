// Building the expanded run records: whole-record byte comparison for a small
// horse, the lookups' blanks and last-match rules, the foal order and the
// order repair.
#include <gtest/gtest.h>

#include "acquisition/jvdata/horse_records.h"
#include "acquisition/jvdata/race_records.h"
#include "expansion/builder.h"
#include "common/exrecord.h"
#include "fixtures/fixtures.h"

using namespace kv::expansion;
namespace jv = kv::jv;

namespace {

// A record of len bytes whose every byte tells its position (so a wrong
// offset shows), with CR LF at the end.
std::string pattern(std::size_t len, char base) {
    std::string r(len, ' ');
    for (std::size_t i = 0; i < len; ++i) r[i] = static_cast<char>(base + (i * 7) % 23);
    r[len - 2] = '\r';
    r[len - 1] = '\n';
    return r;
}

const std::string kKetto = "2019100001";
const std::string kDam = "2000000002";
const std::string kJockey = "01001";

std::string raceId(int n) { return "2026120605050" + std::string(n < 10 ? "10" : "1") + std::to_string(n); }

std::string run(int n, const std::string& makeDate = "20261201") {
    std::string r = pattern(jv::se::kLength, static_cast<char>('A' + n));
    kv::setField(r, jv::se::MakeDate, makeDate);
    kv::setField(r, jv::se::RaceId, raceId(n));
    kv::setField(r, jv::se::KettoNum, kKetto);
    kv::setField(r, jv::se::KisyuCode, kJockey);
    return r;
}

std::string raceRec(int n) {
    std::string r = pattern(jv::ra::kLength, static_cast<char>('a' + n));
    kv::setField(r, jv::ra::RaceId, raceId(n));
    return r;
}

std::string horseRec(char base = '0') {
    std::string r = pattern(jv::UmRecord::kLength, base);
    kv::setField(r, jv::UmRecord::KettoNum, kKetto);
    kv::setField(r, jv::UmRecord::Ketto3Info::HansyokuNum(2), kDam);
    return r;
}

std::string jockeyRec(char base) {
    std::string r = pattern(jv::KsRecord::kLength, base);
    kv::setField(r, jv::KsRecord::KisyuCode, kJockey);
    return r;
}

std::string pair(const std::string& a, const std::string& b) { return a + b + "\r\n"; }

// The expected record, written from the member table's offsets directly.
std::string expected(const std::string& se, const std::string* um, const std::string* ks, const std::string* ra,
                     const std::string& sankuJun) {
    std::string e(2603, '\0');
    auto put = [&](std::size_t to, const std::string& src, std::size_t from, std::size_t len) {
        e.replace(to, len, src.substr(from, len));
    };
    auto blanks = [&](std::size_t from, std::size_t to) { e.replace(from, to - from, to - from, ' '); };
    // runner record
    for (auto [to, from, len] : std::initializer_list<std::array<std::size_t, 3>>{
             {0, 0, 30}, {30, 30, 10}, {788, 40, 36}, {825, 76, 6}, {831, 84, 1}, {832, 85, 19},
             {915, 168, 60}, {975, 288, 8}, {983, 296, 5}, {1018, 301, 23}, {1041, 324, 69},
             {1110, 531, 4}, {2601, 553, 2}})
        put(to, se, from, len);
    for (auto [from, to] : std::initializer_list<std::array<std::size_t, 2>>{
             {43, 206}, {380, 404}, {414, 438}, {508, 518}, {554, 588}, {624, 658}, {694, 728}, {764, 788}})
        blanks(from, to);
    if (um) {
        put(40, sankuJun, 0, 2);
        for (auto [to, from, len] : std::initializer_list<std::array<std::size_t, 3>>{
                 {206, 38, 8}, {214, 862, 20}, {234, 882, 100}, {334, 204, 46}, {404, 250, 10}, {728, 352, 36}})
            put(to, *um, from, len);
    } else {
        for (auto [from, to] : std::initializer_list<std::array<std::size_t, 2>>{
                 {40, 42}, {206, 380}, {404, 414}, {728, 764}})
            blanks(from, to);
    }
    if (ra) {
        for (auto [to, from, len] : std::initializer_list<std::array<std::size_t, 3>>{
                 {42, 27, 1}, {1114, 614, 23}, {1137, 697, 16}, {1153, 713, 160}, {1313, 873, 17},
                 {1330, 890, 91}, {1421, 981, 288}})
            put(to, *ra, from, len);
    } else {
        blanks(42, 43);
        blanks(1114, 1709);
    }
    if (ks) {
        put(988, *ks, 33, 8);
        put(996, *ks, 227, 2);
        put(997, *ks, 231, 20);
        put(1017, *ks, 228, 1);
    } else {
        blanks(988, 1018);
    }
    return e;
}

}  // namespace

TEST(Builder, WholeRecordsOfASmallHorse) {
    const std::string um = horseRec();
    const std::string ksWeek = jockeyRec('k'), ksSupplied = jockeyRec('K');
    const std::string ra1 = raceRec(1), ra3 = raceRec(3);
    const std::string hnsk = pair("1999999999", "2018100001") + pair(kDam, "2017100005") + pair(kDam, kKetto);
    const BuildInputs in = BuildInputs::fromBytes(um, ksWeek, ksSupplied, ra1 + ra3, hnsk);
    const std::vector<std::string> runs{run(1), run(2), run(3)};

    const BuiltHorse h = BuildUmagotoEx(in, runs);
    ASSERT_FALSE(h.failed);
    ASSERT_EQ(h.records.size(), 3u);
    // Jockey in both files: the supplied file (loaded last) wins. Foal order "02".
    EXPECT_EQ(h.records[0], expected(runs[0], &um, &ksSupplied, &ra1, "02"));
    // Race 2 is missing: race and jockey members blank.
    EXPECT_EQ(h.records[1], expected(runs[1], &um, nullptr, nullptr, "02"));
    EXPECT_EQ(h.records[2], expected(runs[2], &um, &ksSupplied, &ra3, "02"));
}

TEST(Builder, HorseWithoutHorseRecordAndLastMatches) {
    std::string raOld = raceRec(1), raNew = raceRec(1);
    kv::setField(raNew, jv::ra::Kyori, "2400");
    // A horse record of another horse only.
    std::string other = horseRec();
    kv::setField(other, jv::UmRecord::KettoNum, "2019999999");
    const BuildInputs in = BuildInputs::fromBytes(other, jockeyRec('k'), "", raOld + raNew, "");
    const std::vector<std::string> runs{run(1)};
    const BuiltHorse h = BuildUmagotoEx(in, runs);
    ASSERT_EQ(h.records.size(), 1u);
    const std::string ks = jockeyRec('k');
    EXPECT_EQ(h.records[0], expected(runs[0], nullptr, &ks, &raNew, ""));
}

TEST(Builder, FoalOrder) {
    std::string hnsk = pair("1111111111", "2010000000");
    for (int i = 1; i <= 25; ++i) hnsk += pair(kDam, "20150000" + std::string(i < 10 ? "0" : "") + std::to_string(i));
    hnsk += pair("3333333333", "2016000001") + pair("3333333333", "2016000002");
    const BuildInputs in = BuildInputs::fromBytes("", "", "", "", hnsk);
    struct Case { const char* dam; const char* foal; const char* want; } cases[] = {
        {"2000000002", "2015000001", "01"}, {"2000000002", "2015000005", "05"},
        {"2000000002", "2015000021", "21"}, {"2000000002", "2015000022", "01"},
        {"9999999999", "2015000005", "01"},  // dam not in the file
        {"3333333333", "2016000002", "02"}, {"3333333333", "2016000009", "01"},  // the file ends first
    };
    for (const auto& c : cases) EXPECT_EQ(in.GetSankuJun(c.dam, c.foal), c.want) << c.foal;
}

TEST(Builder, OrderRepair) {
    const BuildInputs in = BuildInputs::fromBytes("", "", "", "", "");
    struct Case { std::vector<std::string> dates; std::size_t want; bool failed; } cases[] = {
        {{"20250101", "20250301", "20250101"}, 2, false},  // newest made before the one before it: dropped
        {{"20250301", "20250301"}, 2, false},
        {{"20250301"}, 1, false},
        {{"20250101", "20250301", "20250401"}, 3, false},
        {{"20250101", "2025XX01"}, 2, true},                // not a number: the horse fails, nothing dropped
    };
    for (const auto& c : cases) {
        std::vector<std::string> runs;
        for (std::size_t i = 0; i < c.dates.size(); ++i) runs.push_back(run(static_cast<int>(i + 1), c.dates[i]));
        const BuiltHorse h = BuildUmagotoEx(in, runs);
        EXPECT_EQ(h.records.size(), c.want);
        EXPECT_EQ(h.failed, c.failed);
    }
    EXPECT_TRUE(BuildUmagotoEx(in, {}).records.empty());
}
