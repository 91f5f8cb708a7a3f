#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "common/appfolder.h"
#include "common/codec.h"
#include "common/codetable.h"
#include "common/dates.h"
#include "common/dayfile.h"
#include "common/fields.h"
#include "common/keys.h"
#include "common/numbers.h"
#include "common/quicksort.h"
#include "common/quoted.h"
#include "common/recordfile.h"
#include "common/speed.h"
#include "fixtures/fixtures.h"

using namespace kv;

TEST(Codec, FullWidthRoundTripAndCharacterCuts) {
    std::string u = "東京優駿（日本ダービー）ＡＢ";
    std::string s = toCp932(u);
    EXPECT_EQ(s.size(), 2 * charCount(u));  // every character double-byte
    EXPECT_EQ(fromCp932(s), u);
    EXPECT_EQ(firstChars(u, 4), "東京優駿");
    EXPECT_EQ(lastChars(u, 2), "ＡＢ");
    EXPECT_EQ(lastChars("ab", 5), "ab");
    // CP932 and not Shift_JIS: the backslash byte stays a backslash, "～" maps to 0x8160.
    EXPECT_EQ(toCp932("\\"), "\\");
    EXPECT_EQ(toCp932("～"), "\x81\x60");
    EXPECT_EQ(fromCp932(std::string("a\0b", 3)), "a b");
}

TEST(Codec, HalfCharacterAtFieldEndAndGarbageNeverThrow) {
    std::string s = toCp932("馬名");
    std::string cut = getField(s, 0, 3);  // a lead byte without its trail byte
    EXPECT_EQ(fromCp932(cut), "馬?");
    EXPECT_EQ(fromCp932("\xff\xfe"), "??");
    EXPECT_EQ(toCp932("\xf0\x9f\x90\x8e"), "?");  // no CP932 form
}

TEST(Fields, LeftJustifyPadCutAndShortRecords) {
    std::string rec(10, 'x');
    setField(rec, Field{2, 4}, "ab");
    EXPECT_EQ(rec, "xxab  xxxx");
    setField(rec, Field{2, 4}, "abcdefg");
    EXPECT_EQ(rec, "xxabcdxxxx");
    EXPECT_EQ(getField("abc", Field{1, 4}), "bc  ");
    EXPECT_EQ(getField("abc", Field{9, 2}), "  ");
    std::string r2;
    setSingle(r2, 3, 61.25f);
    EXPECT_EQ(r2.size(), 7u);
    EXPECT_EQ(getSingle(r2, 3), 61.25f);
    EXPECT_EQ(getSingle("", 0), 0.0f);  // missing bytes read as zero
    EXPECT_EQ(zeroPad(42, 4), "0042");
    EXPECT_EQ(zeroPad(123456789, 7), "3456789");
    EXPECT_EQ(fitRecord("abc", 5), "abc  ");
    EXPECT_EQ(fitRecord("abcdef", 3), "abc");
}

TEST(Numbers, ValAndStrictConversion) {
    struct C { const char* in; double v; } cases[] = {
        {"  12ab", 12}, {"-3.5", -3.5}, {"", 0}, {"abc", 0}, {"1 2", 12}, {"0042", 42}, {"+7", 7}, {"1.2.3", 1.2}};
    for (auto& c : cases) EXPECT_DOUBLE_EQ(val(c.in), c.v) << c.in;
    EXPECT_EQ(strictInt(" 0042 "), 42);
    EXPECT_EQ(strictInt("-7"), -7);
    EXPECT_FALSE(strictInt("12a"));
    EXPECT_FALSE(strictInt(""));
    EXPECT_FALSE(strictInt("   "));
    EXPECT_FALSE(strictInt("-"));
    EXPECT_EQ(strictNumber("3.25"), 3.25);
    EXPECT_FALSE(strictNumber("3,25"));
    EXPECT_EQ(vbInt(-0.5), -1);
    EXPECT_EQ(vbInt(2.999), 2);
    EXPECT_EQ(vbRound(2.5), 2);
    EXPECT_EQ(vbRound(3.5), 4);
    EXPECT_EQ(vbInt(std::nan("")), 0);  // damaged values never overflow the conversion
    EXPECT_EQ(vbInt(1e300), 9223372036854775807LL);
    EXPECT_EQ(vbRound(-1e300), -9223372036854775807LL - 1);
}

TEST(Numbers, NumberTextHardCases) {
    EXPECT_EQ(formatDouble(1.7000000000000002), "1.7");
    EXPECT_EQ(formatSingle(12345.677f), "12345.68");
    EXPECT_EQ(formatSingle(0.1f), "0.1");
    EXPECT_EQ(formatSingle(-0.0f), "0");
    EXPECT_EQ(formatDouble(-0.0), "0");
    EXPECT_EQ(formatSingle(-1e-9f), "-0.000000001");
    EXPECT_EQ(formatSingle(5.0f), "5");
    EXPECT_EQ(formatSingle(123456789.0f), "123456800");
    EXPECT_EQ(formatSingle(0.5f), "0.5");
    EXPECT_EQ(formatSingle(61.123456f), "61.12346");
    EXPECT_EQ(formatDouble(0.1 + 0.2), "0.3");
    EXPECT_EQ(formatDouble(82.1), "82.1");
    EXPECT_EQ(formatTenths(821), "82.1");
    EXPECT_EQ(formatTenths(0), "0.0");
    EXPECT_EQ(formatTenths(-5), "-0.5");
}

TEST(QuotedLines, WriterAndReaderRoundTrip) {
    QuotedLine q;
    q.text("RC").text("").absent().number(12).single(61.5f).text("阪神,1R");
    std::string line = q.line();
    EXPECT_EQ(fromCp932(line), "\"RC\",\"\",,12,61.5,\"阪神,1R\"\r\n");
    const std::string input = line + "\"x\" , y  \r\nlast";
    InputReader in(input);
    auto f = in.next(6);
    EXPECT_EQ(f[0], "RC");
    EXPECT_EQ(f[1], "");
    EXPECT_EQ(f[2], "");
    EXPECT_EQ(f[3], "12");
    EXPECT_EQ(f[4], "61.5");
    EXPECT_EQ(fromCp932(f[5]), "阪神,1R");
    EXPECT_EQ(in.next(), "x");
    EXPECT_EQ(in.next(), "y");
    EXPECT_EQ(in.next(), "last");
    EXPECT_TRUE(in.atEnd());
    EXPECT_EQ(in.next(), "");
    auto lines = splitLines("a\r\nb\nc");
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "c"}));
}

TEST(QuickSort, TieOrdersAreFixed) {
    auto desc = [](std::vector<double> keys, std::vector<std::string> items) {
        QuickSortDesc(keys, items, 0, static_cast<long>(keys.size()) - 1);
        return items;
    };
    auto asc = [](std::vector<double> keys, std::vector<std::string> items) {
        QuickSortAsc(keys, items, 0, static_cast<long>(keys.size()) - 1);
        return items;
    };
    using V = std::vector<std::string>;
    EXPECT_EQ(desc({1, 1}, {"a", "b"}), (V{"b", "a"}));
    EXPECT_EQ(asc({1, 1}, {"a", "b"}), (V{"b", "a"}));
    EXPECT_EQ(desc({1, 1, 1, 1}, {"a", "b", "c", "d"}), (V{"c", "d", "a", "b"}));
    EXPECT_EQ(desc({1, 1, 1, 1, 1}, {"a", "b", "c", "d", "e"}), (V{"d", "e", "c", "a", "b"}));
    EXPECT_EQ(desc({60.0, 61.0, 59.0, 61.0, 58.5}, {"01", "02", "03", "04", "05"}),
              (V{"04", "02", "01", "03", "05"}));
    EXPECT_EQ(asc({3, 1, 2}, {"a", "b", "c"}), (V{"b", "c", "a"}));
    EXPECT_EQ(desc({5}, {"a"}), (V{"a"}));
    std::vector<float> none;
    std::vector<int> noItems;
    QuickSortDesc(none, noItems, 1, 0);  // empty range: nothing happens
    // Text keys (structure processing), 1-based range inside a larger array.
    std::vector<std::string> tk{"", "b", "a", "c", "a"};
    std::vector<int> ti{0, 1, 2, 3, 4};
    QuickSortAsc(tk, ti, 1, 4);
    EXPECT_EQ(tk, (std::vector<std::string>{"", "a", "a", "b", "c"}));
    EXPECT_EQ(ti[0], 0);
}

TEST(CodeTable, LastMatchWinsAndNoMatchIsAbsent) {
    CodeTable t;
    t.loadBytes(kvtest::sj("2001,01,a,b,札幌,c,d,e\r\n2001,05,,,東京,,,\r\n2001,05,,,TOKYO,,,\r\n\"2010\",\"1\",良,,,,,\r\n"));
    EXPECT_EQ(t.lookup("2001", "05", 4), "TOKYO");
    EXPECT_EQ(t.lookup("2001", "01", 4), "札幌");
    EXPECT_FALSE(t.lookup("2001", "06", 4).has_value());
    EXPECT_FALSE(t.lookup("2010", "01", 2).has_value());  // "1" is not "01"
    EXPECT_EQ(t.lookup("2010", "1", 2), "良");
    EXPECT_EQ(t.lookup("2001", "01", 9), std::nullopt);
    // Fields run on across lines: a short line borrows from the next one.
    CodeTable s;
    s.loadBytes("2001,01,x\r\n2001,02,y,z,w,v\r\n");
    EXPECT_EQ(s.rowCount(), 2);
    EXPECT_EQ(s.cell(0, 3), "2001");
    EXPECT_EQ(s.cell(1, 0), "v");
    CodeTable missing;
    EXPECT_FALSE(missing.load("/nonexistent/CodeTable.csv"));
    EXPECT_FALSE(missing.lookup("2001", "01", 4).has_value());
}

TEST(RecordFiles, CountReadAppendAndMissingFiles) {
    kvtest::TempDir dir;
    RecordFile f(dir.file("X.dat"), 4);
    EXPECT_EQ(f.count(), 0u);
    EXPECT_TRUE(f.readAll().empty());
    EXPECT_FALSE(dir.exists("X.dat"));  // reading never creates
    dir.write("X.dat", "aaaabbbbcc");    // partial last record
    EXPECT_EQ(f.count(), 2u);
    EXPECT_EQ(f.readAll(), (std::vector<std::string>{"aaaa", "bbbb"}));
    EXPECT_TRUE(f.append("dd"));
    EXPECT_EQ(dir.read("X.dat"), "aaaabbbbdd  ");
    EXPECT_TRUE(f.write(2, "BBBBBB"));
    EXPECT_EQ(*f.read(2), "BBBB");
    EXPECT_FALSE(f.read(4).has_value());
    EXPECT_TRUE(f.writeAll({"1", "2"}));
    EXPECT_EQ(dir.read("X.dat"), "1   2   ");
    EXPECT_FALSE(readFileBytes(dir.path()).has_value());  // a folder is not a file

    RecordFileWriter w(dir.file("Y.dat"), 3);
    ASSERT_TRUE(w.open());
    EXPECT_TRUE(w.write(2, "bbbb"));
    EXPECT_TRUE(w.write(1, "a"));
    w.close();
    EXPECT_EQ(dir.read("Y.dat"), "a  bbb");
    EXPECT_EQ(w.failures(), 0);
    RecordFileWriter bad(dir.path(), 3);  // a folder cannot be opened: every record is counted lost
    EXPECT_FALSE(bad.open());
    EXPECT_FALSE(bad.write(1, "x"));
    EXPECT_EQ(bad.failures(), 1);
}

TEST(DayFiles, CreatedOnFirstOccurrenceAppendedAfterwards) {
    kvtest::TempDir dir;
    dir.write("A.txt", "old\r\n");
    DayFiles w;
    EXPECT_TRUE(w.write("A", dir.file("A.txt"), "1\r\n"));
    EXPECT_TRUE(w.write("B", dir.file("B.txt"), "2\r\n"));
    EXPECT_TRUE(w.write("A", dir.file("A.txt"), "3\r\n"));  // A again after B: appended
    EXPECT_EQ(dir.read("A.txt"), "old\r\n");  // in place when the run ends
    EXPECT_TRUE(w.place().empty());
    EXPECT_EQ(dir.read("A.txt"), "1\r\n3\r\n");
    EXPECT_EQ(w.lastKey(), "A");
    EXPECT_TRUE(w.write("A", dir.file("A.txt"), "5\r\n"));  // a started key goes on from the placed file
    EXPECT_TRUE(w.place().empty());
    EXPECT_EQ(dir.read("A.txt"), "1\r\n3\r\n5\r\n");
    {
        DayFiles next;  // a new run empties it again
        next.write("A", dir.file("A.txt"), "4\r\n");
        next.replace("A", dir.file("R.txt"), "x");
        next.replace("A", dir.file("R.txt"), "y");  // rewritten whole
        EXPECT_TRUE(next.place().empty());
    }
    EXPECT_EQ(dir.read("A.txt"), "4\r\n");
    EXPECT_EQ(dir.read("R.txt"), "y");
    {
        DayFiles stopped;  // a run that never ends leaves the files as they were
        stopped.write("A", dir.file("A.txt"), "6\r\n");
    }
    EXPECT_EQ(dir.read("A.txt"), "4\r\n");
    EXPECT_EQ(kv::listFiles(dir.path()), (std::vector<std::string>{"A.txt", "B.txt", "R.txt"}));
}

TEST(Dates, SerialsWeekdaysAndValidation) {
    EXPECT_EQ(daySerial(Date{1899, 12, 30}), 0);
    EXPECT_EQ(daySerial(Date{2025, 3, 31}) - daySerial(Date{2019, 1, 1}), 2281);
    EXPECT_EQ(fromSerial(daySerial(Date{2024, 2, 29})), (Date{2024, 2, 29}));
    EXPECT_EQ(weekday(Date{2026, 12, 10}), 5);  // a Thursday
    EXPECT_FALSE(parseYmd("20230229"));
    EXPECT_FALSE(parseYmd("2023011"));
    EXPECT_TRUE(parseYmd("20240229"));
    EXPECT_EQ(addMonths(Date{2024, 1, 31}, 1), (Date{2024, 2, 29}));
}

TEST(KeysAndSpeeds, KeysFromRaceIdsAndSpeedTexts) {
    EXPECT_EQ(raceKeyFromId("2025061505030411"), "202506150511");
    EXPECT_EQ(dayKeyFromId("2025061505030411"), "20250615050304");
    EXPECT_EQ(raceKeyFromId("2025"), "2025        ");
    EXPECT_EQ(speedMetresPerHour(61.5f), 61500);
    EXPECT_EQ(speedMetresPerMinute(60.0f), 999);
    EXPECT_EQ(joinPath("/a/", "JRACODE\\CodeTable.csv"), "/a/JRACODE/CodeTable.csv");
}
