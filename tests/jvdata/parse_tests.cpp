// Parse and copy routines on hand-built records: stored bytes, short, long and
// garbage records, FixKS, and the odds accessors.
#include <gtest/gtest.h>

#include <string>

#include "acquisition/jvdata/jvdata.h"
#include "fixtures/fixtures.h"
#include "fixtures/jv_records.h"

namespace jv = kv::jv;
using kvtest::sj;

namespace {
const std::string kRaceId = "2026120605050101";
}

TEST(JvParse, CutFieldWalksOneBasedPositionsAndStopsAtTheEnd) {
    const std::string rec = "RA7";
    std::size_t pos = 1;
    EXPECT_EQ(jv::CutField(rec, pos, 2), "RA");
    EXPECT_EQ(pos, 3u);
    EXPECT_EQ(jv::CutField(rec, pos, 0), "");  // width 0: empty, position unchanged
    EXPECT_EQ(pos, 3u);
    EXPECT_EQ(jv::CutField(rec, pos, 5), "7");  // runs past the end: shorter
    EXPECT_EQ(pos, 8u);
    EXPECT_EQ(jv::CutField(rec, pos, 4), "");  // starts past the end: empty
    EXPECT_EQ(pos, 12u);
}

TEST(JvParse, RaceRecordsAreStoredByteForByte) {
    // 30 full-width characters fill Hondai exactly; a short name keeps its full-width blanks.
    const std::string name30 = sj("あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほ");
    ASSERT_EQ(name30.size(), 60u);
    const std::string shortName = sj("ジャパンカップ　　　　　　　　　　　　　　　　　　　　　　　");
    ASSERT_EQ(shortName.size(), 60u);
    const std::string ra = kvtest::jvRA(kRaceId).setRaw(jv::ra::Hondai, name30).setRaw(jv::ra::Fukudai, shortName).str();
    const std::string se = kvtest::jvSE(kRaceId, 12, "2023100123").str();
    const std::string hr = kvtest::jvHR(kRaceId)
                               .setRaw(jv::hr::PayUmaren::Kumi(1), "0312")
                               .setRaw(jv::hr::PayUmaren::Pay(1), "000001250")
                               .setRaw(jv::hr::PayUmaren::Ninki(1), "004")
                               .str();
    const std::string um = kvtest::jvUM("2023100123", "1100000001", "2200000002").str();

    EXPECT_EQ(jv::FixRA(jv::ParseRA(ra)), ra);
    EXPECT_EQ(jv::FixSE(jv::ParseSE(se)), se);
    EXPECT_EQ(jv::FixHR(jv::ParseHR(hr)), hr);
    EXPECT_EQ(jv::FixUM(jv::ParseUM(um)), um);
    EXPECT_EQ(jv::storedRecord(ra), ra);
    EXPECT_EQ(jv::storedRecord(um), um);

    EXPECT_EQ(kv::getField(ra, jv::ra::Hondai), name30);
    EXPECT_EQ(kv::getField(ra, jv::ra::Fukudai), shortName);
    EXPECT_EQ(kv::getField(ra, jv::ra::JyoCD), "05");
    EXPECT_EQ(kv::getField(ra, jv::ra::RaceNum), "01");
    EXPECT_EQ(kv::getField(ra, jv::ra::CrLf), "\r\n");
    EXPECT_EQ(kv::getField(se, jv::se::Umaban), "12");
    EXPECT_EQ(kv::getField(se, jv::se::Wakuban), "6");
    EXPECT_EQ(kv::getField(se, jv::se::KettoNum), "2023100123");
    EXPECT_EQ(kv::getField(hr, jv::hr::PayUmaren::Kumi(1)), "0312");
    EXPECT_EQ(kv::getField(hr, jv::hr::PayUmaren::Pay(1)), "000001250");
    EXPECT_EQ(kv::getField(hr, jv::hr::PaySanrentan::Kumi(6)), "000000");
    EXPECT_EQ(um.substr(250, 10), "2200000002");  // the dam's breeding number
    const std::string hn = kvtest::jvHN("2200000002").str();
    ASSERT_EQ(hn.size(), jv::hn::kLength);
    EXPECT_EQ(kv::getField(hn, jv::hn::HansyokuNum), "2200000002");
    EXPECT_EQ(kv::getField(hn, jv::hn::CrLf), "\r\n");
    EXPECT_EQ(kv::getField(um, jv::um::Ketto3Info::HansyokuNum(1)), "1100000001");
}

TEST(JvParse, ShortLongAndGarbageRecords) {
    const std::string ra = kvtest::jvRA(kRaceId).str();
    // A record of 100 bytes: members before offset 100 kept, the rest blank, CR LF place included.
    const std::string shortRa = ra.substr(0, 100);
    const std::string working = jv::ParseRA(shortRa);
    EXPECT_EQ(working, shortRa);
    const std::string stored = jv::FixRA(working);
    ASSERT_EQ(stored.size(), jv::ra::kLength);
    EXPECT_EQ(stored.substr(0, 100), shortRa);
    EXPECT_EQ(stored.substr(100), std::string(jv::ra::kLength - 100, ' '));

    // Bytes past the layout are dropped.
    const std::string longSe = kvtest::jvSE(kRaceId, 1, "2023100001").str() + "EXTRA BYTES\r\n";
    EXPECT_EQ(jv::FixSE(jv::ParseSE(longSe)), longSe.substr(0, jv::se::kLength));

    // Garbage bytes (not valid CP932, NULs, a lead byte at the end) are kept as they are.
    std::string garbage = "HR";
    for (int i = 0; i < 300; ++i) garbage.push_back(static_cast<char>((i * 37 + 0x80) & 0xFF));
    garbage.push_back('\0');
    garbage.push_back(static_cast<char>(0x82));  // half of a double-byte character
    const auto storedHr = jv::storedRecord(garbage);
    ASSERT_TRUE(storedHr.has_value());
    EXPECT_EQ(storedHr->size(), jv::hr::kLength);
    EXPECT_EQ(storedHr->substr(0, garbage.size()), garbage);

    // Unknown or too short ids are not stored.
    EXPECT_FALSE(jv::storedRecord("XX0123").has_value());
    EXPECT_FALSE(jv::storedRecord("R").has_value());
    EXPECT_FALSE(jv::storedRecord("").has_value());
    EXPECT_FALSE(jv::storedRecord("O2" + std::string(100, '0')).has_value());
    EXPECT_EQ(jv::recordKindOf("KS..."), jv::RecordKind::KS);
    EXPECT_EQ(jv::storedLength(jv::RecordKind::KS), 4161u);
    EXPECT_EQ(jv::receivedLength(jv::RecordKind::KS), 4173u);
}

TEST(JvParse, FixKSDropsTheLastDigitOfEachPrizeAndShiftsTheYearBlocks) {
    const std::string received = kvtest::jvKSReceived("01234", "9999999999")
                                     .setRaw(jv::ksr::HonZenRuikei::ChakuKaisuHeichi(1, 1), "000123")
                                     .setRaw(jv::ksr::HonZenRuikei::ChakuKaisuJyo(2, 20, 6), "654321")
                                     .setRaw(jv::ksr::HonZenRuikei::ChakuKaisuKyori(3, 6, 6), "999999")
                                     .setRaw(jv::ksr::SaikinJyusyo::Hondai(3), sj("有馬記念"))
                                     .str();
    ASSERT_EQ(received.size(), 4173u);
    const std::string stored = jv::FixKS(jv::ParseKS(received));
    ASSERT_EQ(stored.size(), 4161u);
    EXPECT_EQ(stored.substr(4159), "\r\n");
    EXPECT_EQ(stored.substr(0, 1015), received.substr(0, 1015));  // all before the year blocks unchanged
    for (std::size_t b = 1; b <= 3; ++b) {
        for (kv::Field f : {jv::ks::HonZenRuikei::HonSyokinHeichi(b), jv::ks::HonZenRuikei::HonSyokinSyogai(b),
                            jv::ks::HonZenRuikei::FukaSyokinHeichi(b), jv::ks::HonZenRuikei::FukaSyokinSyogai(b)})
            EXPECT_EQ(kv::getField(stored, f), "999999999") << "block " << b;
        EXPECT_EQ(kv::getField(stored, jv::ks::HonZenRuikei::SetYear(b)),
                  kv::getField(received, jv::ksr::HonZenRuikei::SetYear(b)));
        // The placing counts are moved unchanged (4 bytes earlier per block).
        const kv::Field rc{jv::ksr::HonZenRuikei::ChakuKaisuHeichi(b, 1).off, 36 + 36 + 720 + 216};
        const kv::Field sc{jv::ks::HonZenRuikei::ChakuKaisuHeichi(b, 1).off, rc.len};
        EXPECT_EQ(kv::getField(stored, sc), kv::getField(received, rc)) << "block " << b;
        EXPECT_EQ(sc.off + 4 * b, rc.off);
    }
    EXPECT_EQ(kv::getField(stored, jv::ks::HonZenRuikei::ChakuKaisuJyo(2, 20, 6)), "654321");
    EXPECT_EQ(kv::getField(stored, jv::ks::HonZenRuikei::ChakuKaisuKyori(3, 6, 6)), "999999");
    EXPECT_EQ(kv::getField(stored, jv::ks::SaikinJyusyo::Hondai(3)).substr(0, 8), sj("有馬記念"));

    // 0001234567 is stored as 000123456; the fixture's stored form agrees with FixKS.
    const std::string rec2 = kvtest::jvKSReceived("05555", "0001234567").str();
    const std::string st2 = jv::FixKS(jv::ParseKS(rec2));
    EXPECT_EQ(kv::getField(st2, jv::ks::HonZenRuikei::HonSyokinHeichi(2)), "000123456");
    EXPECT_EQ(st2, kvtest::jvKSStored("05555", "0001234567").str());
    EXPECT_EQ(jv::storedRecord(rec2), st2);

    // A short received KS: missing bytes become blanks, nothing is read past the end.
    const std::string st3 = jv::FixKS(jv::ParseKS(rec2.substr(0, 1020)));
    ASSERT_EQ(st3.size(), 4161u);
    EXPECT_EQ(st3.substr(0, 1019), rec2.substr(0, 1019));
    EXPECT_EQ(kv::getField(st3, jv::ks::HonZenRuikei::HonSyokinHeichi(1)), rec2.substr(1019, 1) + "        ");
    EXPECT_EQ(st3.substr(1030), std::string(4161 - 1030, ' '));
    EXPECT_EQ(jv::FixKS(""), std::string(4161, ' '));
}

TEST(JvOdds, EntriesCombinationsAndOddsTexts) {
    // Quinella 3-12 at 12.5; trifecta 5-1-9 and the trio of the same horses.
    const std::string o2 = kvtest::jvO2(kRaceId, 12, [](int a, int b) { return (a == 3 && b == 12) ? 125L : 10L; });
    const std::string o6 = kvtest::jvO6(kRaceId, 9, [](int a, int b, int c) { return a * 100 + b * 10 + c; });
    const std::string o5 = kvtest::jvO5(kRaceId, 9, [](int a, int b, int c) { return a + b + c; });
    const std::string o4 = kvtest::jvO4(kRaceId, 18, [](int a, int b) { return a == 18 && b == 17 ? -1L : 100L; });
    const std::string o1 = kvtest::jvO1(kRaceId, 10, [](int h) { return h == 4 ? -1L : h * 10L; });
    ASSERT_EQ(o2.size(), jv::o2::kLength);
    ASSERT_EQ(o6.size(), jv::o6::kLength);
    ASSERT_EQ(o1.size(), jv::o1::kLength);

    bool found = false;
    for (const auto& e : jv::oddsEntries(jv::ParseO2(o2)))
        if (e.kumi == "0312") {
            found = true;
            EXPECT_EQ(e.odds, "000125");
            EXPECT_EQ(jv::oddsTenths(e.odds), 125);
        }
    EXPECT_TRUE(found);
    // Ordered trios: the entry of 5-1-9 exists, 1-5-9 follows the JV-Data order.
    const auto e6 = jv::oddsEntries(o6);
    ASSERT_EQ(e6.size(), 4896u);
    std::size_t at = 0;
    for (std::size_t i = 0; i < e6.size(); ++i)
        if (e6[i].kumi == "050109") at = i + 1;
    ASSERT_GT(at, 0u);
    EXPECT_EQ(jv::oddsTenths(e6[at - 1].odds), 519);
    EXPECT_EQ(e6[0].kumi, "010203");
    EXPECT_EQ(e6[9 * 8 * 7].kumi, std::string(6, ' '));  // beyond the runners: blank
    const auto e5 = jv::oddsEntries(o5);
    EXPECT_EQ(e5[0].kumi, "010203");
    EXPECT_EQ(e5[83].kumi, "070809");  // C(9,3) = 84 trios
    EXPECT_EQ(jv::kumiNumbers("010509"), (std::vector<int>{1, 5, 9}));
    const auto e4 = jv::oddsEntries(o4);
    EXPECT_EQ(e4[305].kumi, "1817");
    EXPECT_TRUE(jv::isNoOdds(e4[305].odds));
    const auto e1 = jv::oddsEntries(o1);
    ASSERT_EQ(e1.size(), 28u);
    EXPECT_EQ(e1[3].odds, "----");
    EXPECT_EQ(kv::getField(o1, jv::o1::OddsWakuren::Kumi(36)), "88");

    // A stored line read back lacks its CR LF; the parse still yields every entry.
    const std::string line = o2.substr(0, o2.size() - 2);
    const auto back = jv::oddsEntries(jv::ParseO2(line));
    ASSERT_EQ(back.size(), 153u);
    EXPECT_EQ(kv::getField(line, jv::o2::CrLf), "  ");

    struct T { const char* text; bool none; std::optional<long> tenths; };
    const T cases[] = {
        {"000000", true, 0},  {"------", true, 0},  {"******", true, 0}, {"      ", true, 0},
        {"", true, 0},        {"0000001", false, 1}, {"001500", false, 1500},
        {"  0035", false, 35}, {"00-123", false, std::nullopt}, {"12a", false, std::nullopt},
        {"1234567890123456789012345", false, std::nullopt},  // too many digits for a number
    };
    for (const auto& c : cases) {
        EXPECT_EQ(jv::isNoOdds(c.text), c.none) << c.text;
        EXPECT_EQ(jv::oddsTenths(c.text), c.tenths) << c.text;
    }
    EXPECT_EQ(jv::kumiNumbers("    "), (std::vector<int>{0, 0}));
    EXPECT_EQ(jv::kumiNumbers("0x12"), (std::vector<int>{-1, 12}));
    EXPECT_EQ(jv::kumiNumbers("18", 1), (std::vector<int>{1, 8}));
    EXPECT_TRUE(jv::oddsEntries("RA0000").empty());
}
