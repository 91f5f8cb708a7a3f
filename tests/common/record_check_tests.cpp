// The record check: CP932 text told block by block must be what a walk over
// the characters says, and a damaged record is named by its first fault.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "common/codetable.h"
#include "common/fsys.h"
#include "common/recordcheck.h"

namespace {

// The text walked character by character: single bytes 0x01 to 0x7F and
// 0xA1 to 0xDF, lead bytes 0x81 to 0x9F and 0xE0 to 0xFC each followed by a
// trail byte 0x40 to 0xFC other than 0x7F.
bool walkedText(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        if ((c >= 0x01 && c <= 0x7F) || (c >= 0xA1 && c <= 0xDF)) {
            ++i;
            continue;
        }
        if (!((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) || i + 1 >= s.size()) return false;
        const auto t = static_cast<unsigned char>(s[i + 1]);
        if (t < 0x40 || t > 0xFC || t == 0x7F) return false;
        i += 2;
    }
    return true;
}

// Text of whole characters (runs of lead-range bytes of every length among
// them), with one byte changed now and then; or bytes of awkward values.
std::string sampleText(std::mt19937_64& rng) {
    static const unsigned char awkward[] = {' ',  'A',  '0',  0x40, 0x7E, 0x7F, 0x3F, 0x01, 0x00,
                                            0x80, 0xA0, 0xA1, 0xDF, 0x81, 0x9F, 0xE0, 0xFC, 0xFD,
                                            0xFF, 0x82, 0x83, 0x88, 0x89, 0xE3, 0x9A, 0xC0};
    const std::size_t n = rng() % 300;
    std::string s;
    if (rng() % 3 == 0) {
        while (s.size() < n) s += static_cast<char>(awkward[rng() % sizeof awkward]);
        return s;
    }
    while (s.size() < n) {
        switch (rng() % 4) {
            case 0: s += static_cast<char>(0x20 + rng() % 0x5F); break;
            case 1: s += static_cast<char>(0xA1 + rng() % 0x3F); break;
            case 2: s += "\x81\x81"; break;  // a lead-range byte as trail byte
            default: {
                const unsigned lead = rng() % 2 ? 0x81 + rng() % 0x1F : 0xE0 + rng() % 0x1D;
                unsigned trail = 0x40 + rng() % 0xBD;
                if (trail == 0x7F) trail = 0x80;
                s += static_cast<char>(lead);
                s += static_cast<char>(trail);
            }
        }
    }
    if (!s.empty() && rng() % 2) s[rng() % s.size()] = static_cast<char>(awkward[rng() % sizeof awkward]);
    return s;
}

TEST(TextCheck, SameAsACharacterWalk) {
    for (bool narrow : {false, true}) {
        SCOPED_TRACE(narrow ? "16-byte registers" : "the widest registers");
        kv::useNarrowTextCheck(narrow);
        std::mt19937_64 rng(7);
        long longText = 0, longDamaged = 0;
        for (int i = 0; i < 200000; ++i) {
            const std::string s = sampleText(rng);
            const bool text = walkedText(s);
            ASSERT_EQ(kv::isCp932Text(s), text) << testing::PrintToString(s);
            if (s.size() >= 128) ++(text ? longText : longDamaged);
        }
        // Both kinds came in numbers, over several blocks.
        EXPECT_GT(longText, 10000);
        EXPECT_GT(longDamaged, 10000);
        // A lead byte last, and one whose trail byte starts the next block.
        std::string edge(127, ' ');
        edge += '\x82';
        EXPECT_FALSE(kv::isCp932Text(edge));
        edge += 'A';
        EXPECT_TRUE(kv::isCp932Text(edge));
        std::string nul(200, ' ');
        nul[130] = '\0';
        EXPECT_FALSE(kv::isCp932Text(nul));
    }
    kv::useNarrowTextCheck(false);
}

// Records of 130 bytes ending in CR LF, text, with a key of digits: the first
// damaged one is named with what is wrong with it.
TEST(RecordCheck, FirstDamagedRecordAndWhatIsWrong) {
    kv::RecordLayout l;
    l.length = 130;
    l.crlf = true;
    l.text = true;
    l.digits = {{kv::Field{0, 10}, "キー", "key"}};
    const std::string good =
        "0123456789" + std::string(58, ' ') + std::string(30, '\x82') + std::string(30, 'x') + "\r\n";
    ASSERT_EQ(good.size(), 130u);
    struct Case {
        const char* name;
        std::size_t at;
        char byte;
        const char* what;
    };
    const Case cases[] = {{"NUL in the second block", 100, '\0', "NUL バイトが有ります"},
                          {"a byte that is no character", 70, '\xFF', "文字でないバイトが有ります"},
                          {"a lead byte before CR LF", 127, '\x82', "文字でないバイトが有ります"},
                          {"a key digit turned to a letter", 4, 'X', "キーが数字ではありません"},
                          {"no CR LF", 129, ' ', "レコードの終わり（CR LF）が有りません"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string rec = good;
        rec[c.at] = c.byte;
        kv::clearUnreadableFiles();
        kv::checkFileBytes("f.dat", good + good + rec + good + rec, l);
        const auto damaged = kv::damagedFiles();
        ASSERT_EQ(damaged.size(), 1u);
        EXPECT_EQ(damaged[0].records, 2);
        EXPECT_EQ(damaged[0].first, 3u);
        EXPECT_EQ(damaged[0].what, c.what);
    }
    kv::clearUnreadableFiles();
    kv::checkFileBytes("f.dat", good + good, l);
    EXPECT_TRUE(kv::damagedFiles().empty());
}


// The code table's stream of fields, eight a row: every way of laying the
// fields out is taken as the table's reader takes it, and any text is a cell
// (a row of titles is a row no lookup asks for); only fields that make no
// whole rows, quotes that do not pair, rows past the last the table holds and
// bytes that are no text are named, at the line where the row starts.
TEST(RecordCheck, FieldStreamRowsAsTheReaderTakesThem) {
    const kv::RecordLayout l = kv::codeTableLayout();
    struct Case {
        const char* name;
        std::string bytes;
        std::size_t first;  // 0: nothing named
        long rows;
        const char* what;
    };
    const std::string row = "\"2001\",\"01\",\"a\",\"b\",\"c\",\"d\",\"e\",\"f\"\r\n";
    std::string full;
    for (int k = 0; k < kv::CodeTable::kRows; ++k) full += row;
    const std::string whole = "値の数が行に揃っていません";
    const Case cases[] = {
        {"a row a line", row + row, 0, 0, ""},
        {"rows over two lines", "\"2001\",\"01\",\"a\",\"b\"\r\n\"c\",\"d\",\"e\",\"f\"\r\n" + row, 0, 0, ""},
        {"the whole table on one line", "2001,01,a,b,c,d,e,f,2002,01,a,b,c,d,e,f", 0, 0, ""},
        {"unquoted, blanks after the commas", "2001, 01, a, b, c, d, e, f\r\n2002 , 01,,,,,,\r\n", 0, 0, ""},
        {"blanks around the quotes", " \"2001\" , \"01\",\"\",\"\",\"\",\"\",\"\", \"\" \r\n", 0, 0, ""},
        {"line ends LF or CR alone", "2001,01,a,b\nc,d,e,f\r2002,01,a,b,c,d,e,f", 0, 0, ""},
        {"no line end after the last row", row + row.substr(0, row.size() - 2), 0, 0, ""},
        {"a row of titles", "\"No\",\"Code\",\"Name\",\"Short\",\"Kana\",\"Roman\",\"English\",\"Abbr\"\r\n" + row, 0, 0,
         ""},
        {"table numbers of letters, blanks and signs", "20X1,01,a,b,c,d,e,f\r\n,,,,,,,\r\n-1,+2,,,,,,\r\n", 0, 0, ""},
        {"as many rows as the table holds", full, 0, 0, ""},
        {"a row ending with the file", row + "\"2001\",\"02\"", 2, 1, whole.c_str()},
        {"a field lost shifts the rows", "2001,01,a,b,c,d,e\r\n2002,01,a,b,c,d,e,f\r\n", 2, 1, whole.c_str()},
        {"a field added", "2001,01,a,b,c,d,e,f,g\r\n2002,01,a,b,c,d,e,f\r\n", 2, 1, whole.c_str()},
        {"a quote that does not pair", row + "\"2001\",\"01\",\"a\"b\",\"c\",\"d\",\"e\",\"f\",\"g\"\r\n", 2, 1,
         "引用符が対になっていません"},
        {"more rows than the table holds", full + row + row, 502, 2, "行が多すぎます"},
        {"a NUL byte", row + std::string("\"2001\",\"01\",\"a\0\",\"b\",\"c\",\"d\",\"e\",\"f\"\r\n", 38), 2, 1,
         "NUL バイトが有ります"},
        {"bytes that are no text", row + "\"2001\",\"01\",\"a\x80\",\"b\",\"c\",\"d\",\"e\",\"f\"\r\n", 2, 1,
         "文字でないバイトが有ります"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        kv::clearUnreadableFiles();
        kv::checkFileBytes("t.csv", c.bytes, l);
        const auto damaged = kv::damagedFiles();
        if (c.first == 0) {
            EXPECT_TRUE(damaged.empty()) << damaged.front().first << " " << damaged.front().what;
            continue;
        }
        if (damaged.size() != 1u) {
            ADD_FAILURE() << "named " << damaged.size() << " files, not one";
            continue;
        }
        EXPECT_EQ(damaged[0].first, c.first);
        EXPECT_EQ(damaged[0].records, c.rows);
        EXPECT_EQ(damaged[0].what, c.what);
        EXPECT_TRUE(damaged[0].lines);
    }
    kv::clearUnreadableFiles();
}

// A field a reader converts to a number is checked in the forms that
// conversion takes, the quotes and the blanks the quoted-line reader drops
// aside: val()'s and strictNumber()'s (sign, digits, one point), strictInt()'s,
// the race time of the speed export (its first character and its last five
// each a number) and the position of a hit, read up to its blank among the
// first ten characters.
TEST(RecordCheck, NumberFieldsInTheFormsTheirReaderTakes) {
    using K = kv::LineField::Kind;
    struct Case {
        K kind;
        const char* field;  // as the line holds it
        bool taken;
    };
    const Case cases[] = {
        {K::Number, "53.5", true},      {K::Number, "\".5\"", true},   {K::Number, "+53.5", true},
        {K::Number, "-0.5", true},      {K::Number, "5.", true},       {K::Number, "\" 53.5 \"", true},
        {K::Number, " 27.2 ", true},    {K::Number, "1E5", false},     {K::Number, "5.5.5", false},
        {K::Number, "+", false},        {K::Number, ".", false},       {K::Number, "53.5x", false},
        {K::Number, "\"1 2\"", false},  {K::Whole, "\" 6\"", true},    {K::Whole, "+12", true},
        {K::Whole, "1.0", false},       {K::Whole, "-", false},        {K::Number, "+12.5", true},
        {K::Number, "12.", true},      {K::Number, "1E1", false},    {K::RaceTime, "\"1.44.90\"", true},
        {K::RaceTime, "\"A.44.90\"", false}, {K::RaceTime, "\"1.44.9x\"", false}, {K::Pair, "\"19 20\"", true},
        {K::Pair, "\"+5 12\"", true},   {K::Pair, "\"123456789 5\"", true}, {K::Pair, "\"1234567890 5\"", false},
        {K::Pair, "\" 5 12\"", false},  {K::Pair, "\"5\"", false},     {K::Pair, "\"5 x\"", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        kv::RecordLayout l;
        l.text = true;
        l.fieldForm = true;
        l.lineFields = {{"", 0, 0, 1, 1, c.kind, false, "値", "value"}};
        kv::clearUnreadableFiles();
        kv::checkFileBytes("d.txt", std::string("\"a\",") + c.field + ",\"b\"\r\n", l);
        EXPECT_EQ(kv::damagedFiles().empty(), c.taken);
    }
    kv::clearUnreadableFiles();
}

// A stream whose last row is cut inside its quotes names that row once.
TEST(RecordCheck, ARowCutInsideItsQuotesIsNamedOnce) {
    kv::RecordLayout l;
    l.text = true;
    l.fieldForm = true;
    l.headFields = 2;
    l.rowFields = 3;
    l.wholeRows = true;
    kv::clearUnreadableFiles();
    kv::checkFileBytes("d.txt", "\"h\",\"h\"\r\n\"a\",1,2\r\n\"b\",\"3", l);
    const auto damaged = kv::damagedFiles();
    ASSERT_EQ(damaged.size(), 1u);
    EXPECT_EQ(damaged[0].records, 1);
    EXPECT_EQ(damaged[0].first, 3u);
    EXPECT_EQ(damaged[0].what, "引用符が対になっていません");
    kv::clearUnreadableFiles();
}

}  // namespace
