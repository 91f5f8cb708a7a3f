#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/numbers.h"
#include "common/recordfile.h"
#include "expansion/stats/stat_files.h"
#include "expansion/stats/stat_records.h"
#include "fixtures/fixtures.h"

using namespace kv::stats;
using kv::Field;

namespace {

// A record of length len with the key at offset 0 and a marker after it.
std::string rec(std::size_t len, std::string_view key, std::string_view marker = "") {
    kvtest::RecordBuilder b(len);
    b.setRaw(Field{0, key.size()}, key);
    if (!marker.empty()) b.setRaw(Field{key.size(), marker.size()}, marker);
    return b.crlf().str();
}

std::string join(const std::vector<std::string>& v) {
    std::string s;
    for (const auto& x : v) s += x;
    return s;
}

}  // namespace

TEST(StatRecords, NamedMembersLieInsideTheirRecords) {
    struct Case { std::size_t len; Field crlf; std::vector<Field> members; };
    using P = ParentStatRecord;
    using K = KyosobaStatRecord;
    using S = SeisekiStatRecord;
    using N = NumberPairRecord;
    std::vector<Case> cases = {
        {P::kLength, P::CrLf, {P::HansyokuNum, P::FlatRate, P::FlatStarts, P::HurdleStarts, P::FlatEarnings,
                               P::HurdleEarnings, P::FlatScore, P::HurdleScore, P::HurdleRate, P::TurfGoingRate(1),
                               P::HurdleGoingRate(4), P::TurfDistRate(1), P::DirtDistRate(3)}},
        {K::kLength, K::CrLf, {K::KettoNum, K::FlatStarts, K::HurdleStarts, K::FlatEarnings, K::HurdleEarnings,
                               K::HurdleRate, K::TurfRate, K::DirtRate}},
        {S::kLength, S::CrLf, {S::StatCode, S::TurfRate, S::DirtRate, S::HurdleRate}},
        {N::kLength, N::CrLf, {N::Num1, N::Num2}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.crlf.end(), c.len);
        for (Field f : c.members) EXPECT_LE(f.end(), c.crlf.off);
    }
    // Array members follow each other without gaps.
    EXPECT_EQ(P::TurfGoingRate(4).end(), P::DirtGoingRate(1).off);
    EXPECT_EQ(P::DirtGoingRate(4).end(), P::HurdleGoingRate(1).off);
    EXPECT_EQ(P::HurdleGoingRate(4).end(), P::TurfDistRate(1).off);
    EXPECT_EQ(P::TurfDistRate(3).end(), P::DirtDistRate(1).off);
    EXPECT_EQ(P::DirtDistRate(3).end(), 232u);
}

TEST(StatRecords, NumericMembersReadLeniently) {
    std::string r = rec(SeisekiStatRecord::kLength, "01001");
    kv::setField(r, SeisekiStatRecord::TurfRate, " 25000");
    kv::setField(r, SeisekiStatRecord::DirtRate, "abc   ");
    kv::setField(r, SeisekiStatRecord::HurdleRate, "012x00");
    EXPECT_EQ(statValue(r, SeisekiStatRecord::TurfRate), 25000);
    EXPECT_EQ(statValue(r, SeisekiStatRecord::DirtRate), 0);
    EXPECT_EQ(statValue(r, SeisekiStatRecord::HurdleRate), 12);
    // 25000 thousandths of a percent divided by 4000 keeps 6.
    EXPECT_EQ(static_cast<long long>(statValue(r, SeisekiStatRecord::TurfRate) / 4000), 6);
}

TEST(StatFileSearch, CodersTakeTheFirstMatchNandaiTheLast) {
    const std::size_t L = NumberPairRecord::kLength;
    std::string bytes = join({rec(L, "1200000001", "A"), rec(L, "1200000002", "B"), rec(L, "1200000001", "C")});
    StatFile first = StatFile::numberPair();
    first.loadBytes(bytes);
    StatFile last = StatFile::numberPair(Winner::Last);
    last.loadBytes(bytes);
    ASSERT_EQ(first.count(), 3u);
    EXPECT_EQ(first.findNumber("1200000001"), 1u);
    EXPECT_EQ(last.findNumber("1200000001"), 3u);
    EXPECT_EQ(first.find("1200000001")->substr(10, 1), "A");
    EXPECT_EQ(last.find("1200000001")->substr(10, 1), "C");
    EXPECT_EQ(first.findNumber("1200000002"), 2u);
    EXPECT_FALSE(first.find("1200000003").has_value());
}

TEST(StatFileSearch, KeysCompareWholeExactAndUntrimmed) {
    const std::size_t L = SeisekiStatRecord::kLength;
    StatFile f = StatFile::seiseki();
    f.loadBytes(join({rec(L, "A0001"), rec(L, "01 02"), rec(L, "00000")}));
    EXPECT_EQ(f.findNumber("A0001"), 1u);
    EXPECT_EQ(f.findNumber("a0001"), 0u);      // case counts
    EXPECT_EQ(f.findNumber("01 02"), 2u);      // inner blanks are part of the key
    EXPECT_EQ(f.findNumber("0102"), 0u);       // a text of another width never matches
    EXPECT_EQ(f.findNumber("A0001 "), 0u);
    EXPECT_EQ(f.findNumber("00000"), 3u);
}

TEST(StatFileSearch, MissingShortAndPartialFilesGiveWholeRecordsOnly) {
    kvtest::TempDir dir;
    StatFile missing = StatFile::kyosoba();
    EXPECT_FALSE(missing.load(dir.file("OPTION1N/KYOSOBA.dat")));
    EXPECT_EQ(missing.count(), 0u);
    EXPECT_FALSE(missing.find("2021100001").has_value());
    EXPECT_TRUE(missing.record(1).empty());

    const std::size_t L = KyosobaStatRecord::kLength;
    std::string one = rec(L, "2021100001");
    // A record and a half: the partial record is not counted, nor found.
    dir.write("k.dat", one + rec(L, "2021100002").substr(0, L / 2));
    StatFile f = StatFile::kyosoba();
    EXPECT_TRUE(f.load(dir.file("k.dat")));
    EXPECT_EQ(f.count(), 1u);
    EXPECT_EQ(f.record(1), one);
    EXPECT_TRUE(f.record(2).empty());
    EXPECT_FALSE(f.find("2021100002").has_value());

    // Shorter than one record: nothing.
    StatFile shortFile = StatFile::kyosoba();
    shortFile.loadBytes(one.substr(0, 20));
    EXPECT_EQ(shortFile.count(), 0u);
    EXPECT_FALSE(shortFile.find("2021100001").has_value());
}

TEST(StatFileSearch, CopiesShareTheLoadedRecords) {
    const std::size_t L = ParentStatRecord::kLength;
    StatFile copy;
    {
        StatFile f = StatFile::parent();
        f.loadBytes(join({rec(L, "1100000001", "X")}));
        copy = f;
    }
    ASSERT_TRUE(copy.find("1100000001").has_value());
    EXPECT_EQ(copy.find("1100000001")->substr(10, 1), "X");
}

TEST(WorkFiles, ListedRecordsInSuppliedOrderWithACopyPerListEntry) {
    const std::size_t L = KyosobaStatRecord::kLength;
    std::string a = rec(L, "2020100001", "a"), b = rec(L, "2020100002", "b"), c = rec(L, "2020100003", "c");
    std::string supplied = join({a, b, c}) + "partial";
    // The list order does not matter; a key listed twice gives two copies in a row;
    // a listed horse without a record gives nothing.
    auto out = selectListedRecords(supplied, L, KyosobaStatRecord::KettoNum,
                                   {"2020100003", "2020100001", "2020100009", "2020100003"});
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0], a);
    EXPECT_EQ(out[1], c);
    EXPECT_EQ(out[2], c);
    EXPECT_TRUE(selectListedRecords(supplied, L, KyosobaStatRecord::KettoNum, {}).empty());
}

TEST(WorkFiles, EachRunReplacesTheWholeWorkFile) {
    kvtest::TempDir dir;
    const std::size_t L = ParentStatRecord::kLength;
    std::string d1 = rec(L, "1200000001"), d2 = rec(L, "1200000002"), d3 = rec(L, "1200000003");
    dir.write("OPTION1N/HAHAUMA.dat", join({d1, d2, d3}));
    EXPECT_EQ(writeHahaumaThisWeek(dir.path(), {"1200000001", "1200000002", "1200000003"}), 3);
    EXPECT_EQ(dir.read("OPTION1N/HAHAUMATHISWEEK.dat"), join({d1, d2, d3}));
    // A later week with fewer dams leaves no record of the earlier one behind.
    EXPECT_EQ(writeHahaumaThisWeek(dir.path(), {"1200000002"}), 1);
    EXPECT_EQ(dir.read("OPTION1N/HAHAUMATHISWEEK.dat"), d2);

    // Horses: a missing supplied file empties the work file.
    dir.write("OPTION1N/KYOSOBATHISWEEK.dat", rec(KyosobaStatRecord::kLength, "2020100001"));
    EXPECT_EQ(writeKyosobaThisWeek(dir.path(), {"2020100001"}), 0);
    EXPECT_TRUE(dir.exists("OPTION1N/KYOSOBATHISWEEK.dat"));
    EXPECT_EQ(dir.read("OPTION1N/KYOSOBATHISWEEK.dat"), "");
    // A work file that cannot be written reports it.
    EXPECT_EQ(writeKyosobaThisWeek(dir.file("no/such/folder"), {"2020100001"}), -1);
}

// Files in key order are searched in place, others through a table: both give
// the same winner, for single and joined keys, few records or many.
TEST(KeyIndexSearch, SortedAndUnsortedFilesFindTheSameWinner) {
    const std::size_t L = 16;
    // Key: bytes 0..3 joined with bytes 8..9; a marker at 12..14 (the record number).
    auto r = [&](std::string_view a, std::string_view b, int n) {
        std::string s(L, '.');
        s.replace(0, 4, a);
        s.replace(8, 2, b);
        s.replace(12, 3, std::to_string(100 + n));
        return s;
    };
    struct Case {
        const char* name;
        std::vector<std::string> recs;
    };
    const std::vector<Case> cases = {
        {"in key order", {r("AAAA", "01", 1), r("AAAA", "02", 2), r("AAAA", "02", 3), r("BBBB", "00", 4), r("BBBB", "00", 5)}},
        {"out of order", {r("BBBB", "00", 1), r("AAAA", "02", 2), r("AAAA", "01", 3), r("BBBB", "00", 4), r("AAAA", "02", 5)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string bytes = join(c.recs) + "xx";  // a partial record at the end is not one
        for (Winner w : {Winner::First, Winner::Last}) {
            KeyIndex idx;
            idx.build(bytes, L, Field{0, 4}, w, Field{8, 2});
            EXPECT_EQ(idx.count(), 5u);
            for (std::string_view key : {"AAAA01", "AAAA02", "BBBB00"}) {
                std::size_t want = 0;
                for (std::size_t n = 1; n <= c.recs.size(); ++n)
                    if (c.recs[n - 1].substr(0, 4) + c.recs[n - 1].substr(8, 2) == key && (want == 0 || w == Winner::Last))
                        want = n;
                EXPECT_EQ(idx.find(key), want) << key;
            }
            for (std::string_view missing : {"AAAA00", "AAAA03", "BBBB01", "0000AA", "ZZZZ99", "AAAA0", "AAAA011", ""})
                EXPECT_EQ(idx.find(missing), 0u) << missing;
        }
    }
    // Many records in key order (searched in place), with a run of equal keys.
    std::string many;
    const int n = 70000;
    for (int i = 0; i < n; ++i) {
        char k[11];
        std::snprintf(k, sizeof k, "%010d", i < 100 ? 7 : i * 3);
        many += rec(NumberPairRecord::kLength, k);
    }
    StatFile first = StatFile::numberPair(), last = StatFile::numberPair(Winner::Last);
    first.loadBytes(many);
    last.loadBytes(many);
    EXPECT_EQ(first.findNumber("0000000007"), 1u);
    EXPECT_EQ(last.findNumber("0000000007"), 100u);
    EXPECT_EQ(first.findNumber("0000209997"), static_cast<std::size_t>(n));
    EXPECT_EQ(first.findNumber("0000000300"), 101u);
    EXPECT_EQ(first.findNumber("0000000301"), 0u);
    EXPECT_EQ(first.findNumber("9999999999"), 0u);
}

TEST(KeyIndexSearch, BigFileOutOfKeyOrderKeepsTheWinner) {
    const std::size_t L = NumberPairRecord::kLength;
    std::string bytes;
    const int n = 70000;
    for (int i = n; i >= 1; --i) {  // descending, and key 5 once more at the end
        char k[11];
        std::snprintf(k, sizeof k, "%010d", i);
        bytes += rec(L, k);
    }
    bytes += rec(L, "0000000005", "Z");
    StatFile first = StatFile::numberPair(), last = StatFile::numberPair(Winner::Last);
    first.loadBytes(bytes);
    last.loadBytes(bytes);
    EXPECT_EQ(first.findNumber("0000000005"), static_cast<std::size_t>(n - 4));
    EXPECT_EQ(last.findNumber("0000000005"), static_cast<std::size_t>(n + 1));
    EXPECT_EQ(first.findNumber("0000070000"), 1u);
    EXPECT_EQ(first.findNumber("0000070001"), 0u);
}

// The quick reading of plain digit texts gives what the general lenient reading gives.
TEST(StatRecords, LenientValueMatchesTheGeneralReading) {
    const std::string_view texts[] = {"0000123", "  42  ", "1 2 3", "", "   ", "-12", "+7", " 3.5", "12a4",
                                      "1234567890123456", "999999999999999", "\t8\r\n", "x12"};
    for (std::string_view t : texts) EXPECT_EQ(lenientValue(t), kv::val(t)) << t;
    using namespace std::string_literals;
    // Zero bytes end the number, unless they count as blanks.
    EXPECT_EQ(lenientValue("12\0" "3"s), 12);
    EXPECT_EQ(lenientValue("12\0" "3"s, true), 123);
    EXPECT_EQ(lenientValue("\0\0-5"s, true), -5);
    EXPECT_EQ(lenientValue("\0\0\0"s, true), 0);
}
