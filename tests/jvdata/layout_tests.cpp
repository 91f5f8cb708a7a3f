// Every layout is gap-free and adds up to its record length; the array
// accessors agree with the member tables.
#include <gtest/gtest.h>

#include <span>
#include <string>

#include "acquisition/jvdata/jvdata.h"

namespace jv = kv::jv;

namespace {

// Members follow each other without gap or overlap from offset 0 and end at len.
void expectContiguous(std::span<const jv::Member> members, std::size_t len, const char* what) {
    std::size_t pos = 0;
    for (const auto& m : members) {
        EXPECT_EQ(m.off, pos) << what << ": member " << m.name << " does not start where the previous ends";
        EXPECT_GT(m.len, 0u) << what << ": member " << m.name;
        pos = m.off + m.len;
    }
    EXPECT_EQ(pos, len) << what << ": members do not add up to the record length";
}

template <std::size_t N>
void expectGroup(const kv::Field (&inner)[N], jv::Array arr, const char* what) {
    std::size_t pos = 0;
    for (const auto& f : inner) {
        EXPECT_EQ(f.off, pos) << what;
        pos = f.off + f.len;
    }
    EXPECT_EQ(pos, arr.len) << what << ": group members do not fill one entry";
}

}  // namespace

TEST(JvLayouts, MembersAreContiguousAndAddUpToTheRecordLength) {
    expectContiguous(jv::RaRecord::kMembers, jv::RaRecord::kLength, "RA");
    expectContiguous(jv::SeRecord::kMembers, jv::SeRecord::kLength, "SE");
    expectContiguous(jv::HrRecord::kMembers, jv::HrRecord::kLength, "HR");
    expectContiguous(jv::UmRecord::kMembers, jv::UmRecord::kLength, "UM");
    expectContiguous(jv::KsRecord::kMembers, jv::KsRecord::kLength, "KS stored");
    expectContiguous(jv::KsReceived::kMembers, jv::KsReceived::kLength, "KS received");
    expectContiguous(jv::HnRecord::kMembers, jv::HnRecord::kLength, "HN");
    expectContiguous(jv::O1Record::kMembers, jv::O1Record::kLength, "O1");
    expectContiguous(jv::O2Record::kMembers, jv::O2Record::kLength, "O2");
    expectContiguous(jv::O4Record::kMembers, jv::O4Record::kLength, "O4");
    expectContiguous(jv::O5Record::kMembers, jv::O5Record::kLength, "O5");
    expectContiguous(jv::O6Record::kMembers, jv::O6Record::kLength, "O6");
    expectContiguous(jv::KsRecord::HonZenRuikei::kEntryMembers, 1048, "KS stored year block");
    expectContiguous(jv::KsReceived::HonZenRuikei::kEntryMembers, 1052, "KS received year block");
}

TEST(JvLayouts, GroupMembersFillTheirEntries) {
    expectGroup(jv::ra::CornerInfo::kEntryMembers, jv::ra::CornerInfo::kArray, "CornerInfo");
    expectGroup(jv::se::ChakuUmaInfo::kEntryMembers, jv::se::ChakuUmaInfo::kArray, "ChakuUmaInfo");
    expectGroup(jv::hr::PayTansyo::kEntryMembers, jv::hr::PayTansyo::kArray, "PayTansyo");
    expectGroup(jv::hr::PayFukusyo::kEntryMembers, jv::hr::PayFukusyo::kArray, "PayFukusyo");
    expectGroup(jv::hr::PayWakuren::kEntryMembers, jv::hr::PayWakuren::kArray, "PayWakuren");
    expectGroup(jv::hr::PayUmaren::kEntryMembers, jv::hr::PayUmaren::kArray, "PayUmaren");
    expectGroup(jv::hr::PayWide::kEntryMembers, jv::hr::PayWide::kArray, "PayWide");
    expectGroup(jv::hr::PayReserved::kEntryMembers, jv::hr::PayReserved::kArray, "PayReserved");
    expectGroup(jv::hr::PayUmatan::kEntryMembers, jv::hr::PayUmatan::kArray, "PayUmatan");
    expectGroup(jv::hr::PaySanrenpuku::kEntryMembers, jv::hr::PaySanrenpuku::kArray, "PaySanrenpuku");
    expectGroup(jv::hr::PaySanrentan::kEntryMembers, jv::hr::PaySanrentan::kArray, "PaySanrentan");
    expectGroup(jv::um::Ketto3Info::kEntryMembers, jv::um::Ketto3Info::kArray, "Ketto3Info");
    expectGroup(jv::ks::HatuKiJyo::kEntryMembers, jv::ks::HatuKiJyo::kArray, "HatuKiJyo");
    expectGroup(jv::ks::HatuSyori::kEntryMembers, jv::ks::HatuSyori::kArray, "HatuSyori");
    expectGroup(jv::ks::SaikinJyusyo::kEntryMembers, jv::ks::SaikinJyusyo::kArray, "SaikinJyusyo");
    expectGroup(jv::o1::OddsTansyo::kEntryMembers, jv::o1::OddsTansyo::kArray, "OddsTansyo");
    expectGroup(jv::o1::OddsFukusyo::kEntryMembers, jv::o1::OddsFukusyo::kArray, "OddsFukusyo");
    expectGroup(jv::o1::OddsWakuren::kEntryMembers, jv::o1::OddsWakuren::kArray, "OddsWakuren");
    expectGroup(jv::o2::OddsUmaren::kEntryMembers, jv::o2::OddsUmaren::kArray, "OddsUmaren");
    expectGroup(jv::o4::OddsUmatan::kEntryMembers, jv::o4::OddsUmatan::kArray, "OddsUmatan");
    expectGroup(jv::o5::OddsSanren::kEntryMembers, jv::o5::OddsSanren::kArray, "OddsSanren");
    expectGroup(jv::o6::OddsSanrentan::kEntryMembers, jv::o6::OddsSanrentan::kArray, "OddsSanrentan");
}

// Places the record descriptions name explicitly, checked against the accessors.
TEST(JvLayouts, NamedPlacesOfArraysAndGroups) {
    struct Case { const char* what; kv::Field got; std::size_t off, len; };
    const Case cases[] = {
        {"RA JyokenCD(5)", jv::ra::JyokenCD(5), 634, 3},
        {"RA Honsyokin(1)", jv::ra::Honsyokin(1), 713, 8},
        {"RA LapTime(25)", jv::ra::LapTime(25), 962, 3},
        {"RA CornerInfo Jyuni(4)", jv::ra::CornerInfo::Jyuni(4), 981 + 3 * 72 + 2, 70},
        {"SE ChakuUmaInfo Bamei(3)", jv::se::ChakuUmaInfo::Bamei(3), 393 + 2 * 46 + 10, 36},
        {"HR HenkanUma(28)", jv::hr::HenkanUma(28), 85, 1},
        {"HR PayFukusyo Pay(5)", jv::hr::PayFukusyo::Pay(5), 141 + 4 * 13 + 2, 9},
        {"HR PaySanrentan Kumi(6)", jv::hr::PaySanrentan::Kumi(6), 603 + 5 * 19, 6},
        {"HR PaySanrentan Ninki(6)", jv::hr::PaySanrentan::Ninki(6), 603 + 5 * 19 + 15, 4},
        {"UM dam HansyokuNum", jv::um::Ketto3Info::HansyokuNum(2), 250, 10},
        {"UM sire's dam Bamei", jv::um::Ketto3Info::Bamei(4), 204 + 3 * 46 + 10, 36},
        {"UM ChakuKaisuBa(7,6)", jv::um::ChakuKaisuBa(7, 6), 1142 + 6 * 18 + 15, 3},
        {"UM ChakuKaisuKyori(6,6)", jv::um::ChakuKaisuKyori(6, 6), 1589, 3},
        {"KS stored year 1", jv::ks::HonZenRuikei::entry(1), 1015, 1048},
        {"KS stored SetYear(3)", jv::ks::HonZenRuikei::SetYear(3), 1015 + 2 * 1048, 4},
        {"KS stored FukaSyokinSyogai(3)", jv::ks::HonZenRuikei::FukaSyokinSyogai(3), 1015 + 2 * 1048 + 31, 9},
        {"KS stored last count", jv::ks::HonZenRuikei::ChakuKaisuKyori(3, 6, 6), 4159 - 6, 6},
        {"KS received FukaSyokinSyogai(3)", jv::ksr::HonZenRuikei::FukaSyokinSyogai(3), 1015 + 2 * 1052 + 34, 10},
        {"KS received last count", jv::ksr::HonZenRuikei::ChakuKaisuKyori(3, 6, 6), 4171 - 6, 6},
        {"KS ChakuKaisuJyo(1,2,1)", jv::ks::HonZenRuikei::ChakuKaisuJyo(1, 2, 1), 1015 + 112 + 36, 6},
        {"O1 OddsWakuren Kumi(36)", jv::o1::OddsWakuren::Kumi(36), 603 + 35 * 9, 2},
        {"O2 TotalHyosu", jv::o2::TotalHyosu, 2029, 11},
        {"O4 CrLf", jv::o4::CrLf, 4029, 2},
        {"O5 TotalHyosu", jv::o5::TotalHyosu, 12280, 11},
        {"O6 Odds(4896)", jv::o6::OddsSanrentan::Odds(4896), 40 + 4895 * 17 + 6, 7},
        {"O6 CrLf", jv::o6::CrLf, 83283, 2},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.got.off, c.off) << c.what;
        EXPECT_EQ(c.got.len, c.len) << c.what;
    }
}
