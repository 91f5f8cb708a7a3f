// Race selection: header, live or final payouts, the race index file; the
// payout grid; the bet grids with odds and hits.
#include <gtest/gtest.h>

#include <sstream>

#include "common/stepstate.h"
#include "display_fixture.h"

using namespace disptest;
using kv::display::RaceDisplay;

namespace {

constexpr const char* kGreen = "10";
constexpr const char* kYellow = "14";
constexpr const char* kMagenta = "13";
constexpr const char* kWhite = "15";

std::string back(const kv::controls::GridModel& g, int r, int c) { return colourName(g.backColor(r, c)); }

}  // namespace

TEST(RaceSelection, HeaderJoinsItemAndRaceTableWithoutSeparators) {
    Week w(2);
    RaceDisplay d(w.st);
    ASSERT_TRUE(d.List1_Click(2));
    EXPECT_EQ(d.Text1.text, w.st.List1[1] + "レース2３歳未勝利芝1600m SD= 7 晴良");
    EXPECT_EQ(colourName(d.Text1.back), kGreen);
    EXPECT_EQ(d.selectedRaceKey(), raceKey(2));
    // Positions outside the list change nothing.
    EXPECT_FALSE(d.List1_Click(0));
    EXPECT_FALSE(d.List1_Click(3));
    EXPECT_EQ(d.selected(), 2);
}

TEST(RaceSelection, ModeTestWritesRaceCardKeysAndTakesTheLivePath) {
    Week w(3);
    // Three race cards (one of them race 2), a result record of race 1.
    w.write(kv::files::RA_NEW, Week::raRecord(1, "7") + Week::raRecord(3, "2") + Week::raRecord(2, "2", "05") +
                                   Week::raRecord(1, "2"));
    // Two live payout records of race 2; the second stays.
    auto second = Week::payout(2).tansho(1, "04", "000000220", "02");
    second.b.setRaw(kv::jv::HrRecord::TorokuTosu, "16");
    w.write(kv::files::HR_LIVE, Week::payout(2).tansho(1, "03", "000000150", "01").str() + second.str() +
                                    Week::payout(1).tansho(1, "01", "000000990", "09").str());
    w.write(kv::files::HR, Week::payout(2).tansho(1, "07", "000000999", "09").str());
    RaceDisplay d(w.st);
    ASSERT_TRUE(d.List1_Click(2));
    EXPECT_EQ(w.dir.read(kv::files::RACE_INDEX),
              "\"" + raceKey(3) + "\"\r\n\"" + raceKey(2) + "\"\r\n\"" + raceKey(1) + "\"\r\n");
    EXPECT_EQ(d.ListRaceCount, 3);
    EXPECT_EQ(d.RaceKeyList, (std::vector<std::string>{"", raceKey(3), raceKey(2), raceKey(1)}));
    EXPECT_EQ(d.ListHrCount, 3);
    EXPECT_EQ(colourName(d.Text1.back), kYellow);
    EXPECT_EQ(rowText(d.HAITOGrid1, 1, 1, 3), "04|220|2");
    EXPECT_EQ(d.SelTorokuTosu, 16);
    // The buffer keeps the last record read, of whatever race.
    EXPECT_EQ(kv::getField(w.st.race.HrRec, kv::jv::HrRecord::RaceNum), "01");
}

TEST(RaceSelection, LivePathWithoutLivePayoutStaysGreen) {
    Week w(1);
    w.write(kv::files::RA_NEW, Week::raRecord(1, "2", "05"));
    RaceDisplay d(w.st);
    ASSERT_TRUE(d.List1_Click(1));
    EXPECT_EQ(colourName(d.Text1.back), kGreen);
    EXPECT_EQ(d.SelTorokuTosu, 5);
    EXPECT_EQ(rowText(d.HAITOGrid1, 1, 1, 21), std::string(20, '|'));
}

TEST(RaceSelection, FinalPathShowsFinalPayoutsAndEmptiesTheIndexFile) {
    Week w(2);
    w.write(kv::files::RACE_INDEX, "\"old\"\r\n");
    w.write(kv::files::RA_NEW, Week::raRecord(1, "7") + Week::raRecord(2, "7"));
    w.write(kv::files::HR, Week::payout(1).umaren(1, "0102", "000001230", "004").str());
    w.write(kv::files::HR_LIVE, Week::payout(1).umaren(1, "0305", "000000100", "001").str());
    RaceDisplay d(w.st);
    ASSERT_TRUE(d.List1_Click(1));
    EXPECT_EQ(w.dir.read(kv::files::RACE_INDEX), "");
    EXPECT_EQ(d.ListRaceCount, 0);
    EXPECT_EQ(colourName(d.Text1.back), kGreen);
    EXPECT_EQ(rowText(d.HAITOGrid1, 4, 1, 3), "01-02|1230|4");
}

TEST(RaceSelection, BetGridsNeverKeepThePreviousRace) {
    // Race 1 has a payout record, race 2 none: selecting race 2 after race 1
    // shows race 2's bets, uncoloured.
    Week w(2);
    w.write(kv::files::HR, Week::payout(1).umaren(1, "0102", "000001230", "004").str());
    w.sortFile(1, "UMARENSORT.dat", {"0102", "0103"});
    w.sortFile(2, "UMARENSORT.dat", {"0304"});
    RaceDisplay d(w.st);
    ASSERT_TRUE(d.List1_Click(1));
    EXPECT_EQ(d.UMARENGrid1.text(1, 1), "01-02");
    EXPECT_EQ(back(d.UMARENGrid1, 1, 1), kGreen);
    // The same payout record stays in the buffer (the last of the file), but it is another race's.
    ASSERT_TRUE(d.List1_Click(2));
    EXPECT_EQ(rowText(d.UMARENGrid1, 1, 1, 2), "03-04|0");
    EXPECT_EQ(rowText(d.UMARENGrid1, 2, 1, 2), "|");
    EXPECT_EQ(back(d.UMARENGrid1, 1, 1), kWhite);
    EXPECT_EQ(rowText(d.HAITOGrid1, 4, 1, 3), "||");
}

// ---- payout grid ----

TEST(PayoutGrid, LayoutAndEntriesInTheirColumnGroups) {
    Week w(1);
    auto rec = Week::payout(1)
                   .tansho(1, "05", "000000150", "01")
                   .tansho(2, "07", "000000150", "01")           // dead heat: two win entries
                   .fukusho(1, "05", "         ", "  ")          // shown with payout 0
                   .fukusho(2, "07", "000000110", "02")
                   .wakuren(1, "36", "000000000", "03")          // payout 0: not shown
                   .wakuren(3, "12", "000000450", "05")          // an empty second entry before it
                   .umaren(1, "0112", "000001230", "012")
                   .wide(7, "0512", "000000300", "004")
                   .umatan(1, "0501", "000000700", "003")
                   .sanrenpuku(1, "010203", "000004560", "010")
                   .sanrentan(1, "070103", "000012340", "0100")
                   .str();
    w.write(kv::files::HR, rec + rec);  // the same race twice: the second stays, nothing doubled
    RaceDisplay d(w.st);
    ASSERT_TRUE(d.List1_Click(1));
    const auto& g = d.HAITOGrid1;
    EXPECT_EQ(rowText(g, 0), "券種|当り目|配当(円)|人気|当り目|配当(円)|人気|当り目|配当(円)|人気|当り目|配当(円)|人気|"
                             "当り目|配当(円)|人気||||||");
    struct Row {
        int row;
        const char* cells;
    } rows[] = {
        {1, "単勝|05|150|1|07|150|1|||||||||||||||"},
        {2, "複勝|05|0|0|07|110|2|||||||||||||||"},
        {3, "枠連|||||||1-2|450|5||||||||||||"},
        {4, "馬連|01-12|1230|12||||||||||||||||||"},
        {5, "ワイド|||||||||||||||||||05-12|300|4"},
        {6, "馬単|05→01|700|3||||||||||||||||||"},
        {7, "３連複|01-02-03|4560|10||||||||||||||||||"},
        {8, "３連単|07→01→03|12340|100||||||||||||||||||"},
        {9, "|||||||||||||||||||||"},
    };
    for (const auto& r : rows) EXPECT_EQ(rowText(g, r.row), r.cells) << "row " << r.row;
    EXPECT_EQ(g.colWidth(1), 1200);
}

TEST(PayoutGrid, RecordOfZerosShowsNothing) {
    Week w(1);
    kvtest::RecordBuilder b(kv::jv::HrRecord::kLength, '0');
    b.setRaw(kv::jv::HrRecord::RaceId, raceId(1));
    w.write(kv::files::HR, b.crlf().str());
    RaceDisplay d(w.st);
    ASSERT_TRUE(d.List1_Click(1));
    for (int r = 1; r <= 8; ++r) EXPECT_EQ(rowText(d.HAITOGrid1, r, 1), std::string(20, '|')) << r;
}

// ---- bet grids ----

TEST(BetGrids, CaptionsStayForEveryRunnerCount) {
    Week w(1);
    w.sortFile(1, "SANRENTANSORT.dat", {"010203"});
    w.sortFile(1, "SANRENSORT.dat", {"010203", "010204", "010205", "010304", "010305", "010405", "020304",
                                     "020305", "020405", "030405"});
    RaceDisplay d(w.st);
    ASSERT_TRUE(d.List1_Click(1));
    const auto& p = d.UMARENGrid1;
    EXPECT_EQ(rowText(p, 0), "馬連|買い目|実オッズ");
    EXPECT_EQ(p.text(1, 0), "本線　1 点目");
    EXPECT_EQ(p.text(7, 0), "準本線 1 点目");
    EXPECT_EQ(p.text(18, 0), "伏兵　6 点目");
    EXPECT_EQ(p.text(21, 0), "るには本線の");
    EXPECT_EQ(p.text(23, 0), "");
    // No "UMARENSORT.dat": captions only, white empty data rows.
    EXPECT_EQ(rowText(p, 1, 1), "|");
    EXPECT_EQ(back(p, 1, 1), kWhite);
    const auto& t = d.SANRENGrid3;
    EXPECT_EQ(t.text(21, 0), "伏兵　7 点目");
    EXPECT_EQ(t.text(22, 0), "買い目として");
    EXPECT_EQ(t.text(24, 0), "るのは本線の");
    EXPECT_EQ(t.text(25, 0), "みです。");
    EXPECT_EQ(rowText(d.SANTANGrid4, 0), "３連単|買い目|第1順Odds|第2順Odds|第3順Odds|第4順Odds|第5順Odds|第6順Odds");
    EXPECT_EQ(rowText(d.UMATANGrid2, 0), "馬単|買い目|正順オッズ|逆順オッズ");
    // A 5-runner race: ten rows, then empty data cells beside the captions.
    EXPECT_EQ(rowText(t, 10, 1), "03-04-05|0");
    EXPECT_EQ(rowText(t, 11), "準本線 4 点目||");
    EXPECT_EQ(rowText(d.SANTANGrid4, 1, 1), "01→02→03|0|0|0|0|0|0");
}

TEST(BetGrids, ListsSizedByTheGridNotByTheRegisteredCount) {
    // A registered count of 3 (and a blank one) still shows every line of the file.
    for (const char* toroku : {"03", "  "}) {
        Week w(1);
        w.write(kv::files::RA_NEW, Week::raRecord(1, "2", toroku));
        std::vector<std::string> pairs;
        for (int a = 1; a <= 18; ++a)
            for (int b = a + 1; b <= 18; ++b) pairs.push_back(kv::zeroPad(a, 2) + kv::zeroPad(b, 2));
        pairs.push_back("1819");  // one line past the grid is not read
        w.sortFile(1, "UMARENSORT.dat", pairs);
        RaceDisplay d(w.st);
        ASSERT_TRUE(d.List1_Click(1));
        EXPECT_EQ(d.UMARENGrid1.text(153, 1), "17-18") << toroku;
        EXPECT_EQ(w.st.race.UmarenKaimeKey.size(), 154u);
        EXPECT_EQ(w.st.race.UmarenKaimeKey[1], "");
    }
}

TEST(BetGrids, OddsFromTheTablesAndMissingOrShortTablesReadZero) {
    Week w(1);
    w.sortFile(1, "UMARENSORT.dat", {"0105", "0219"});
    w.sortFile(1, "UMATANSORT.dat", {"0501"});
    w.sortFile(1, "SANRENTANSORT.dat", {"010203"});
    // Pair table: (1,5) 345.6, (5,1) not a number; trio table: only the first cells exist.
    w.odds(1, "UMARENODDS.dat", 361, [](int i) { return i == 19 * 1 + 5 ? std::string("345.6") : std::string("5.0"); });
    w.odds(1, "SANRENTANODDS.dat", 361 + 19 * 2 + 4, [](int i) {
        if (i == 361 * 1 + 19 * 2 + 3) return std::string("12.3");
        if (i == 361 * 1 + 19 * 3 + 2) return std::string("x");
        return std::string("7");
    });
    RaceDisplay d(w.st);
    ASSERT_TRUE(d.List1_Click(1));
    EXPECT_EQ(rowText(d.UMARENGrid1, 1, 1), "01-05|345.6");
    EXPECT_EQ(rowText(d.UMARENGrid1, 2, 1), "02-19|");  // no odds cell for horse 19
    EXPECT_EQ(rowText(d.UMATANGrid2, 1, 1), "05→01|0|0");  // "UMATANODDS.dat" missing
    // 1→2→3 12.3; 1→3→2 "x" reads 0; 2→1→3 beyond the table's end 0; orders from horse 1 or 2 read 7 or 0.
    EXPECT_EQ(rowText(d.SANTANGrid4, 1, 1), "01→02→03|12.3|0|0|0|0|0");
    // The tables are zero again after the grids.
    for (float v : d.PairOdds) ASSERT_EQ(v, 0.0f);
}

TEST(BetGrids, HitColoursAndTexts) {
    Week w(1);
    w.sortFile(1, "UMARENSORT.dat", {"0105", "0103", "0204"});
    w.sortFile(1, "UMATANSORT.dat", {"0511", "0102", "0304"});
    w.sortFile(1, "SANRENSORT.dat", {"010205", "020304"});
    w.sortFile(1, "SANRENTANSORT.dat", {"011205", "020304", "050607"});
    auto rec = Week::payout(1)
                   .wide(1, "0105", "000000100", "001")
                   .wide(2, "0103", "000000100", "001")
                   .umaren(1, "0105", "000000500", "001")
                   .umatan(1, "0511", "000000500", "001")   // 05→11: 正順
                                      .umatan(4, "0201", "000000500", "001")   // 02→01 of 01→02: 逆順, found in entry 4
                   .umatan(6, "0304", "000000500", "001")   // dead heat 03/04: 正順 then 逆順
                   .umatan(2, "0403", "000000500", "001")
                   .sanrenpuku(1, "010205", "000000500", "001")
                   .sanrentan(1, "120105", "000000500", "001")  // 第3順 of 01→12→05
                   .sanrentan(2, "020304", "000000500", "001")  // 第1順
                   .sanrentan(3, "070605", "000000500", "001")  // 第6順 of 05→06→07
                   .sanrentan(4, "050706", "000000500", "001")  // 第2順 of the same row: the later order decides column 1
                   .str();
    w.write(kv::files::HR, rec);
    RaceDisplay d(w.st);
    ASSERT_TRUE(d.List1_Click(1));
    const auto& u = d.UMARENGrid1;
    EXPECT_EQ(back(u, 1, 1) + back(u, 1, 2), std::string(kGreen) + kGreen);    // 馬連 over ワイド
    EXPECT_EQ(back(u, 2, 1) + back(u, 2, 2), std::string(kYellow) + kYellow);  // ワイド only
    EXPECT_EQ(back(u, 3, 1), kWhite);
    const auto& t = d.UMATANGrid2;
    EXPECT_EQ(rowText(t, 1, 1, 1), "　　正順　　05→11");
    EXPECT_EQ(back(t, 1, 1) + back(t, 1, 2) + back(t, 1, 3), std::string(kGreen) + kGreen + kWhite);
    EXPECT_EQ(rowText(t, 2, 1, 1), "　　逆順　　01→02");
    EXPECT_EQ(back(t, 2, 1) + back(t, 2, 2) + back(t, 2, 3), std::string(kMagenta) + kWhite + kMagenta);
    // Dead heat listed 04→03 (entry 2) before 03→04 (entry 6): the last match decides column 1.
    EXPECT_EQ(rowText(t, 3, 1, 1), "　　正順　　03→04");
    EXPECT_EQ(back(t, 3, 1) + back(t, 3, 2) + back(t, 3, 3), std::string(kGreen) + kGreen + kMagenta);
    const auto& s3 = d.SANRENGrid3;
    EXPECT_EQ(back(s3, 1, 1) + back(s3, 1, 2), std::string(kGreen) + kGreen);
    EXPECT_EQ(back(s3, 2, 1), kWhite);
    const auto& s = d.SANTANGrid4;
    EXPECT_EQ(s.text(1, 1), " 第3順01→12→05");
    EXPECT_EQ(back(s, 1, 1) + back(s, 1, 4) + back(s, 1, 2), std::string(kMagenta) + kMagenta + kWhite);
    EXPECT_EQ(s.text(2, 1), " 第1順02→03→04");
    EXPECT_EQ(back(s, 2, 1) + back(s, 2, 2), std::string(kGreen) + kGreen);
    EXPECT_EQ(s.text(3, 1), " 第6順05→06→07");
    EXPECT_EQ(back(s, 3, 3) + back(s, 3, 7), std::string(kMagenta) + kMagenta);
    EXPECT_EQ(w.st.race.TrioUmaban1 + w.st.race.TrioUmaban2 + w.st.race.TrioUmaban3, "050607");
}

TEST(BetGrids, PayoutOfAnotherRaceColoursNothingAndFewerRowsAreCleared) {
    Week w(2);
    std::vector<std::string> many;
    for (int a = 1; a <= 18; ++a)
        for (int b = a + 1; b <= 18; ++b) many.push_back(kv::zeroPad(a, 2) + kv::zeroPad(b, 2));
    w.sortFile(1, "UMARENSORT.dat", many);
    w.sortFile(2, "UMARENSORT.dat", {"0102"});
    w.write(kv::files::HR, Week::payout(1).umaren(1, "0102", "000000500", "001").str());
    RaceDisplay d(w.st);
    ASSERT_TRUE(d.List1_Click(1));
    ASSERT_EQ(back(d.UMARENGrid1, 1, 1), kGreen);
    // Race 2 has no payout record; the buffer holds race 1's.
    d.ShowKaimeGrids();  // as the live path's first call does, with the selection still on race 1
    ASSERT_TRUE(d.List1_Click(2));
    EXPECT_EQ(back(d.UMARENGrid1, 1, 1), kWhite);
    EXPECT_EQ(rowText(d.UMARENGrid1, 2, 1), "|");
    EXPECT_EQ(rowText(d.UMARENGrid1, 153, 1), "|");
    EXPECT_EQ(back(d.UMARENGrid1, 153, 2), kWhite);
}

TEST(Dump, ControlsInWindowOrderWithTheHeaderColour) {
    Week w(1);
    RaceDisplay d(w.st);
    ASSERT_TRUE(d.List1_Click(1));
    std::ostringstream out;
    kv::controls::ControlDump dump(out);
    d.dump(dump);
    std::string names;
    std::istringstream in(out.str());
    for (std::string line; std::getline(in, line);)
        if (line.rfind("== ", 0) == 0) names += line.substr(3, line.find(' ', 3) - 3) + " ";
    EXPECT_EQ(names,
              "List1 Text1 SSTab1 RACEDETAILGrid1 Label1 Label2 RACEDETAILGrid2 UMATANGrid2 UMARENGrid1 SANRENGrid3 "
              "SANTANGrid4 Label3 HAITOGrid1 YNjunMSChart Label4 ");
    EXPECT_NE(out.str().find("== Text1 text\n" + d.Text1.text + "\ncolour back=00FF00 fore=-\n"), std::string::npos);
    EXPECT_NE(out.str().find("== SSTab1 tabs 7 current 0\n因子\n残差\n馬連･馬単\n3連複\n3連単\n配当\n予順・人気\n"),
              std::string::npos);
}

TEST(PredictionRunNotes, OnlyARunInterruptedOrFailedIsNoted) {
    using kv::steps::StepRun;
    for (int end : {-1, 0, 1, 2}) {  // never ran, interrupted, ended well, failed
        kvtest::TempDir dir;
        StepRun(dir.path(), kv::steps::FETCH).finish(true);
        if (end >= 0) {
            StepRun predict(dir.path(), kv::steps::PREDICT);
            if (end > 0) predict.finish(end == 1);
        }
        const auto notes = RaceDisplay::predictionRunNotes(dir.path());
        if (end == 0 || end == 2) {
            ASSERT_EQ(notes.size(), 1u) << end;
            EXPECT_NE(notes[0].find(end == 0 ? "中断" : "失敗"), std::string::npos) << notes[0];
            EXPECT_NE(notes[0].find("⑥予想・結果"), std::string::npos) << notes[0];
        } else {
            EXPECT_TRUE(notes.empty()) << end;
        }
    }
}
