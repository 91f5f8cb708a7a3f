// The per-race odds tables built from the stored odds lines.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "acquisition/menu_globals.h"
#include "acquisition/odds_tables.h"
#include "common/appfolder.h"
#include "common/recordfile.h"
#include "common/stepstate.h"
#include "fixtures/fixtures.h"

using kvtest::TempDir;

namespace {

// An odds record line (without its CR LF is how it is read back; stored with it).
struct OddsLine {
    std::string rec;
    std::size_t entryLen;
    OddsLine(const char* id, std::size_t len, std::size_t entryLen, const std::string& raceId)
        : rec(len, ' '), entryLen(entryLen) {
        rec.replace(0, 2, id);
        rec[2] = '1';
        rec.replace(3, 8, "20250601");
        rec.replace(11, 16, raceId);
        rec.replace(len - 2, 2, "\r\n");
    }
    void entry(int i, const std::string& kumi, const std::string& odds) {
        std::size_t at = 40 + static_cast<std::size_t>(i) * entryLen;
        rec.replace(at, kumi.size(), kumi);
        rec.replace(at + kumi.size(), odds.size(), odds);
    }
};

std::string two(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t e = text.find("\r\n", pos);
        if (e == std::string::npos) {
            out.push_back(text.substr(pos));
            break;
        }
        out.push_back(text.substr(pos, e - pos));
        pos = e + 2;
    }
    return out;
}

constexpr const char* kRace = "2025060105030211";  // race key 202506010511
constexpr const char* kKey = "202506010511";

class OddsTables : public ::testing::Test {
protected:
    TempDir dir;
    void SetUp() override {
        kv::SetAppPath(dir.path());
        kv::makeDirs(dir.file("KAIME"));
        kv::OddsSource = 0;
    }
    std::vector<std::string> table(const std::string& name) { return lines(dir.read("KAIME/" + std::string(kKey) + name)); }
    // The odds files other than `kind` hold one record of another race (a
    // week's odds-tables needs all four), each giving one table.
    void otherOddsFiles(const std::string& kind) {
        const struct {
            const char* id;
            std::size_t len, entryLen;
        } kinds[] = {{"O2", 2042, 13}, {"O4", 4031, 13}, {"O5", 12293, 15}, {"O6", 83285, 17}};
        for (const auto& k : kinds)
            if (kind != k.id) dir.write(std::string(k.id) + "THISWEEKN.dat", OddsLine(k.id, k.len, k.entryLen, "2025060105030201").rec);
    }
};

TEST_F(OddsTables, TrifectaOfEighteenRunnersFillsEveryOrderedTriple) {
    OddsLine o6("O6", 83285, 17, kRace);
    int e = 0;
    for (int a = 1; a <= 18; ++a)
        for (int b = 1; b <= 18; ++b)
            for (int c = 1; c <= 18; ++c)
                if (a != b && b != c && a != c) {
                    // odds in tenths: a*10000 + b*100 + c, e.g. 1-2-3 -> 10203 -> 1020.3
                    o6.entry(e++, two(a) + two(b) + two(c), kv::zeroPad(a * 10000 + b * 100 + c, 7));
                }
    ASSERT_EQ(e, 4896);
    dir.write("O6THISWEEKN.dat", o6.rec);

    kv::KORIVANODDSN w;
    w.Form_Load();
    auto t = table("SANRENTANODDS.dat");
    ASSERT_EQ(t.size(), 6859u);
    EXPECT_EQ(t[403 - 1], "1020.3");             // 1-2-3 on line 403
    EXPECT_EQ(t[kv::trioLine(18, 17, 16) - 1], "18171.6");
    EXPECT_EQ(t[kv::trioLine(1, 1, 2) - 1], "0");  // a repeated horse
    EXPECT_EQ(t[0], "0");
    EXPECT_EQ(w.FilesWritten, 1);
}

TEST_F(OddsTables, QuinellaValueTextsAndFillers) {
    OddsLine o2("O2", 2042, 13, kRace);
    o2.entry(0, "0102", "000035");   // 3.5
    o2.entry(1, "0103", "001234");   // 123.4
    o2.entry(2, "0104", "001500");   // 150
    o2.entry(3, "0105", "000000");   // no votes
    o2.entry(4, "0106", "------");
    o2.entry(5, "0107", "******");
    o2.entry(6, "0108", "      ");
    o2.entry(7, "0109", "999999");   // 99999.9
    dir.write("O2THISWEEKN.dat", o2.rec);

    kv::KORIVANODDSN w;
    w.Form_Load();
    auto t = table("UMARENODDS.dat");
    ASSERT_EQ(t.size(), 361u);
    EXPECT_EQ(t[22 - 1], "3.5");
    EXPECT_EQ(t[kv::pairLine(1, 3) - 1], "123.4");
    EXPECT_EQ(t[kv::pairLine(1, 4) - 1], "150");
    for (int b = 5; b <= 8; ++b) EXPECT_EQ(t[kv::pairLine(1, b) - 1], "0") << b;
    EXPECT_EQ(t[kv::pairLine(1, 9) - 1], "99999.9");
    EXPECT_EQ(t[kv::pairLine(2, 1) - 1], "0");  // reversed order stays empty
    // The whole file is CR LF lines.
    EXPECT_EQ(dir.read("KAIME/" + std::string(kKey) + "UMARENODDS.dat").substr(0, 3), "0\r\n");
}

TEST_F(OddsTables, LastRecordOfARaceWinsAndEachRecordStartsEmpty) {
    OddsLine first("O4", 4031, 13, kRace), second("O4", 4031, 13, kRace);
    first.entry(0, "0201", "000050");
    first.entry(1, "0301", "000070");
    second.entry(0, "0201", "000060");  // horse 3 not listed any more
    dir.write("O4THISWEEKN.dat", first.rec + second.rec);
    otherOddsFiles("O4");

    kv::RecordingMessageSink messages;
    kv::KORIVANODDSN w(&messages);
    w.Form_Load();
    auto t = table("UMATANODDS.dat");
    EXPECT_EQ(t[kv::pairLine(2, 1) - 1], "6");
    EXPECT_EQ(t[kv::pairLine(3, 1) - 1], "0");
    // The race's table is written once (and one of each other file); the
    // record passed over is a note, no failure.
    EXPECT_EQ(w.FilesWritten, 4);
    EXPECT_FALSE(w.Failed());
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_NE(messages.messages[0].find("O4THISWEEKN.dat で繰り返されたレコード 1 件を読み飛ばしました"), std::string::npos)
        << messages.messages[0];
}

// An odds file repeated 2000 times gives the tables of the file once, each
// written once, and a note naming the file.
TEST_F(OddsTables, RepeatedOddsFileWritesEachTableOnce) {
    OddsLine a("O2", 2042, 13, kRace), b("O2", 2042, 13, "2025060105030212");
    a.entry(0, "0102", "000035");
    b.entry(0, "0304", "000120");
    dir.write("O2THISWEEKN.dat", a.rec + b.rec);
    otherOddsFiles("O2");
    kv::KORIVANODDSN once;
    once.Form_Load();
    const std::string clean = dir.read("KAIME/" + std::string(kKey) + "UMARENODDS.dat");
    const std::string other = dir.read("KAIME/202506010512UMARENODDS.dat");
    EXPECT_EQ(once.FilesWritten, 5);

    std::string repeated;
    for (int i = 0; i < 2000; ++i) repeated += a.rec + b.rec;
    dir.write("O2THISWEEKN.dat", repeated);
    kv::RecordingMessageSink messages;
    kv::KORIVANODDSN w(&messages);
    w.Form_Load();
    EXPECT_EQ(w.FilesWritten, 5);
    EXPECT_FALSE(w.Failed());
    EXPECT_EQ(dir.read("KAIME/" + std::string(kKey) + "UMARENODDS.dat"), clean);
    EXPECT_EQ(dir.read("KAIME/202506010512UMARENODDS.dat"), other);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_NE(messages.messages[0].find("O2THISWEEKN.dat で繰り返されたレコード 3998 件を読み飛ばしました"),
              std::string::npos)
        << messages.messages[0];
}

TEST_F(OddsTables, OutOfRangeHorseNumbersAndBrokenLinesAreSkipped) {
    OddsLine o5("O5", 12293, 15, kRace);
    o5.entry(0, "010203", "000100");
    o5.entry(1, "011920", "000200");  // 19 and 20: no place in the table
    o5.entry(2, "00 102", "000300");  // not a horse number
    std::string shortLine = OddsLine("O5", 12293, 15, "2025060105030212").rec.substr(0, 500) + "\r\n";
    OddsLine badKey("O5", 12293, 15, "2025/../../x0212");
    badKey.entry(0, "010203", "000100");
    dir.write("O5THISWEEKN.dat", o5.rec + shortLine + badKey.rec);

    kv::KORIVANODDSN w;
    w.Form_Load();
    auto t = table("SANRENODDS.dat");
    ASSERT_EQ(t.size(), 6859u);
    EXPECT_EQ(t[kv::trioLine(1, 2, 3) - 1], "10");
    for (const auto& v : t) {
        if (&v == &t[kv::trioLine(1, 2, 3) - 1]) continue;
        ASSERT_EQ(v, "0");
    }
    EXPECT_EQ(w.FilesWritten, 1);
    EXPECT_FALSE(dir.exists("KAIME/202506010512SANRENODDS.dat"));
}

TEST_F(OddsTables, TablesThatCannotBeWrittenAreCounted) {
    OddsLine o2("O2", 2042, 13, kRace);
    o2.entry(0, "0102", "000035");
    dir.write("O2THISWEEKN.dat", o2.rec);
    std::filesystem::remove_all(dir.file("KAIME"));
    kv::RecordingMessageSink messages;
    kv::KORIVANODDSN w(&messages);
    w.Form_Load();
    EXPECT_EQ(w.FilesWritten, 0);
    EXPECT_EQ(w.WriteFailures, 1);
    EXPECT_TRUE(w.Failed());
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_NE(messages.messages[0].find("書き込めなかったオッズ表ファイルが 1 件あります（最初: KAIME/" + std::string(kKey) +
                                        "UMARENODDS.dat）"),
              std::string::npos)
        << messages.messages[0];
}

// This week's odds files a download did not leave, or left empty, are named
// once with the button that makes them, and the step fails; the live odds
// may lack a kind (named, no failure).
TEST_F(OddsTables, MissingOrEmptyOddsFilesAreNamedWithTheStepThatMakesThem) {
    struct Case {
        int source;
        std::vector<const char*> present, empty;
        std::vector<std::string> messages;
        bool failed;
    };
    const std::string week = "O5THISWEEKN.dat、O4THISWEEKN.dat、O2THISWEEKN.dat が有りません。先に今週オッズ取得の「今週のオッズ」を行って下さい。";
    const std::string trifecta = "O6THISWEEKN.dat が有りません。先に今週オッズ取得の「今週の3連単」を行って下さい。";
    const std::string emptyTrifecta =
        "O6THISWEEKN.dat が空です。先に今週オッズ取得の「今週の3連単」をやり直して下さい。";
    const std::vector<const char*> three = {"O2THISWEEKN.dat", "O4THISWEEKN.dat", "O5THISWEEKN.dat"};
    const Case cases[] = {
        {0, {"O2THISWEEKN.dat", "O4THISWEEKN.dat", "O5THISWEEKN.dat", "O6THISWEEKN.dat"}, {}, {}, false},
        {0, three, {}, {trifecta}, true},
        {0, three, {"O6THISWEEKN.dat"}, {emptyTrifecta}, true},
        {0, {}, {}, {week + trifecta}, true},
        {1,
         {"O2RIALTIME.dat", "O4RIALTIME.dat"},
         {"O5RIALTIME.dat"},
         {"O6RIALTIME.dat が有りません。先にⅠ　速報情報(一括）の「Ⅱ　速報オッズ情報」を行って下さい。"},
         false},
    };
    for (const Case& c : cases) {
        TempDir local;
        kv::SetAppPath(local.path());
        for (const char* f : c.present) local.write(f, "not a record\r\n");
        for (const char* f : c.empty) local.write(f, "");
        kv::OddsSource = c.source;
        kv::RecordingMessageSink messages;
        kv::KORIVANODDSN w(&messages);
        w.Form_Load();
        SCOPED_TRACE(c.messages.empty() ? "all there" : c.messages[0]);
        EXPECT_EQ(messages.messages, c.messages);
        EXPECT_EQ(w.Failed(), c.failed);
    }
}

// A download of this week's odds that was interrupted or failed is named, and
// the tables built from what it left do not make the step a success.
TEST_F(OddsTables, OddsDownloadThatDidNotEndWellFailsTheStep) {
    OddsLine o2("O2", 2042, 13, kRace);
    o2.entry(0, "0102", "000035");
    for (const char* f : {"O2THISWEEKN.dat", "O4THISWEEKN.dat", "O5THISWEEKN.dat", "O6THISWEEKN.dat"})
        dir.write(f, o2.rec);
    namespace st = kv::steps;
    st::StepRun(dir.path(), st::ODDS_FETCH).finish(true);
    for (const bool killed : {true, false}) {
        {
            st::StepRun trifecta(dir.path(), st::ODDS_FETCH_TRIFECTA);
            if (!killed) trifecta.finish(false);
        }
        kv::RecordingMessageSink messages;
        kv::KORIVANODDSN w(&messages);
        w.Form_Load();
        EXPECT_TRUE(w.Failed()) << killed;
        EXPECT_EQ(w.FilesWritten, 1);  // built all the same
        ASSERT_EQ(messages.messages.size(), 1u);
        EXPECT_NE(
            messages.messages[0].find("「今週の3連単」が" + std::string(killed ? "途中で中断" : "失敗で終わって")),
            std::string::npos)
            << messages.messages[0];
    }
    st::StepRun(dir.path(), st::ODDS_FETCH_TRIFECTA).finish(true);
    kv::KORIVANODDSN w;
    w.Form_Load();
    EXPECT_FALSE(w.Failed());
}

TEST_F(OddsTables, SourceFollowsOddsSourceAndEmptySourceKeepsOldTables) {
    OddsLine week("O2", 2042, 13, kRace), live("O2", 2042, 13, kRace);
    week.entry(0, "0102", "000035");
    live.entry(0, "0102", "000041");
    dir.write("O2THISWEEKN.dat", week.rec);
    dir.write("O2RIALTIME.dat", live.rec);
    dir.write("O4RIALTIME.dat", "");
    dir.write("KAIME/" + std::string(kKey) + "UMATANODDS.dat", "old");

    kv::OddsSource = 1;
    kv::KORIVANODDSN w;
    w.Form_Load();
    EXPECT_EQ(table("UMARENODDS.dat")[kv::pairLine(1, 2) - 1], "4.1");
    EXPECT_EQ(dir.read("KAIME/" + std::string(kKey) + "UMATANODDS.dat"), "old");

    kv::OddsSource = 0;
    kv::KORIVANODDSN again;
    again.Form_Load();
    EXPECT_EQ(table("UMARENODDS.dat")[kv::pairLine(1, 2) - 1], "3.5");
}

}  // namespace
