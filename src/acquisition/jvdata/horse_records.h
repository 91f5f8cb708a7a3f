// Horse and jockey records of JV-Data: UM (one horse), KS (one jockey) and HN
// (one breeding horse, only in the supplied file).
//
// UM is stored as received. KS is received as 4173 bytes (KsReceived) and
// stored as 4161 (KsRecord): the four prize members of each of the three year
// blocks are 10 bytes received and 9 bytes stored (FixKS keeps the leftmost 9).
#pragma once
#include <array>
#include <cstddef>

#include "acquisition/jvdata/layout.h"

namespace kv::jv {

// ---------------------------------------------------------------- UM (1609)
namespace UmRecord {
inline constexpr const char* kId = "UM";
inline constexpr std::size_t kLength = 1609;
using namespace Head;

inline constexpr Field KettoNum{11, 10};
inline constexpr Field DelKubun{21, 1};
inline constexpr Field RegDate{22, 8};
inline constexpr Field DelDate{30, 8};
inline constexpr Field BirthDate{38, 8};
inline constexpr Field Bamei{46, 36};
inline constexpr Field BameiKana{82, 36};
inline constexpr Field BameiEng{118, 60};
inline constexpr Field ZaikyuFlag{178, 1};
inline constexpr Field Reserved1{179, 19};
inline constexpr Field UmaKigoCD{198, 2};
inline constexpr Field SexCD{200, 1};
inline constexpr Field HinsyuCD{201, 1};
inline constexpr Field KeiroCD{202, 2};
// Three generations: 1 sire, 2 dam, 3 sire's sire, 4 sire's dam, 5 dam's sire,
// 6 dam's dam, 7 to 14 the great-grandparents in the same order.
namespace Ketto3Info {
inline constexpr Array kArray{204, 14, 46};
inline constexpr Field kHansyokuNum{0, 10};
inline constexpr Field kBamei{10, 36};
inline constexpr Field kEntryMembers[] = {kHansyokuNum, kBamei};
constexpr Field entry(std::size_t i) { return kArray.at(i); }
constexpr Field HansyokuNum(std::size_t i) { return kArray.sub(i, kHansyokuNum); }
constexpr Field Bamei(std::size_t i) { return kArray.sub(i, kBamei); }
}  // namespace Ketto3Info
inline constexpr Field TozaiCD{848, 1};
inline constexpr Field ChokyosiCode{849, 5};
inline constexpr Field ChokyosiRyakusyo{854, 8};
inline constexpr Field Syotai{862, 20};
inline constexpr Field BreederCode{882, 8};
inline constexpr Field BreederName{890, 72};
inline constexpr Field SanchiName{962, 20};
inline constexpr Field BanusiCode{982, 6};
inline constexpr Field BanusiName{988, 64};
inline constexpr Field RuikeiHonsyoHeiti{1052, 9};
inline constexpr Field RuikeiHonsyoSyogai{1061, 9};
inline constexpr Field RuikeiFukaHeichi{1070, 9};
inline constexpr Field RuikeiFukaSyogai{1079, 9};
inline constexpr Field RuikeiSyutokuHeichi{1088, 9};
inline constexpr Field RuikeiSyutokuSyogai{1097, 9};
// Placings: count j = 1st, 2nd, 3rd, 4th, 5th, unplaced (3 digits each).
inline constexpr Array kChakuSogo{1106, 6, 3};
constexpr Field ChakuSogo(std::size_t j) { return kChakuSogo.at(j); }
inline constexpr Array kChakuChuo{1124, 6, 3};
constexpr Field ChakuChuo(std::size_t j) { return kChakuChuo.at(j); }
// Two-level placing arrays: entry i, count j (1 to 6, 3 digits each).
inline constexpr Array kChakuKaisuBa{1142, 7, 18};
constexpr Field ChakuKaisuBa(std::size_t i, std::size_t j) {
    return {kChakuKaisuBa.at(i).off + (j - 1) * 3, 3};
}
inline constexpr Array kChakuKaisuJyotai{1268, 12, 18};
constexpr Field ChakuKaisuJyotai(std::size_t i, std::size_t j) {
    return {kChakuKaisuJyotai.at(i).off + (j - 1) * 3, 3};
}
inline constexpr Array kChakuKaisuKyori{1484, 6, 18};
constexpr Field ChakuKaisuKyori(std::size_t i, std::size_t j) {
    return {kChakuKaisuKyori.at(i).off + (j - 1) * 3, 3};
}
inline constexpr Array kKyakusitu{1592, 4, 3};
constexpr Field Kyakusitu(std::size_t i) { return kKyakusitu.at(i); }
inline constexpr Field RaceCount{1604, 3};
inline constexpr Field CrLf{1607, 2};

inline constexpr Member kMembers[] = {
    {"RecordSpec", RecordSpec}, {"DataKubun", DataKubun}, {"MakeDate", MakeDate},
    {"KettoNum", KettoNum}, {"DelKubun", DelKubun}, {"RegDate", RegDate},
    {"DelDate", DelDate}, {"BirthDate", BirthDate}, {"Bamei", Bamei},
    {"BameiKana", BameiKana}, {"BameiEng", BameiEng}, {"ZaikyuFlag", ZaikyuFlag},
    {"Reserved1", Reserved1}, {"UmaKigoCD", UmaKigoCD}, {"SexCD", SexCD},
    {"HinsyuCD", HinsyuCD}, {"KeiroCD", KeiroCD}, {"Ketto3Info", Ketto3Info::kArray},
    {"TozaiCD", TozaiCD}, {"ChokyosiCode", ChokyosiCode},
    {"ChokyosiRyakusyo", ChokyosiRyakusyo}, {"Syotai", Syotai},
    {"BreederCode", BreederCode}, {"BreederName", BreederName},
    {"SanchiName", SanchiName}, {"BanusiCode", BanusiCode}, {"BanusiName", BanusiName},
    {"RuikeiHonsyoHeiti", RuikeiHonsyoHeiti}, {"RuikeiHonsyoSyogai", RuikeiHonsyoSyogai},
    {"RuikeiFukaHeichi", RuikeiFukaHeichi}, {"RuikeiFukaSyogai", RuikeiFukaSyogai},
    {"RuikeiSyutokuHeichi", RuikeiSyutokuHeichi},
    {"RuikeiSyutokuSyogai", RuikeiSyutokuSyogai}, {"ChakuSogo", kChakuSogo},
    {"ChakuChuo", kChakuChuo}, {"ChakuKaisuBa", kChakuKaisuBa},
    {"ChakuKaisuJyotai", kChakuKaisuJyotai}, {"ChakuKaisuKyori", kChakuKaisuKyori},
    {"Kyakusitu", kKyakusitu}, {"RaceCount", RaceCount}, {"CrLf", CrLf},
};
}  // namespace UmRecord

// ------------------------------------------- KS: the part both forms share
// Offsets 0 to 1014 are the same in the received and the stored record.
namespace KsCommon {
using namespace Head;
inline constexpr Field KisyuCode{11, 5};
inline constexpr Field DelKubun{16, 1};
inline constexpr Field IssueDate{17, 8};
inline constexpr Field DelDate{25, 8};
inline constexpr Field BirthDate{33, 8};
inline constexpr Field KisyuName{41, 34};
inline constexpr Field Reserved1{75, 34};
inline constexpr Field KisyuNameKana{109, 30};
inline constexpr Field KisyuRyakusyo{139, 8};
inline constexpr Field KisyuNameEng{147, 80};
inline constexpr Field SexCD{227, 1};
inline constexpr Field SikakuCD{228, 1};
inline constexpr Field MinaraiCD{229, 1};
inline constexpr Field TozaiCD{230, 1};
inline constexpr Field Syotai{231, 20};
inline constexpr Field ChokyosiCode{251, 5};
inline constexpr Field ChokyosiRyakusyo{256, 8};
// First ride: entry 1 flat, entry 2 jumps.
namespace HatuKiJyo {
inline constexpr Array kArray{264, 2, 67};
inline constexpr Field kRaceId{0, 16};
inline constexpr Field kSyussoTosu{16, 2};
inline constexpr Field kKettoNum{18, 10};
inline constexpr Field kBamei{28, 36};
inline constexpr Field kKakuteiJyuni{64, 2};
inline constexpr Field kIJyoCD{66, 1};
inline constexpr Field kEntryMembers[] = {kRaceId, kSyussoTosu, kKettoNum,
                                          kBamei,  kKakuteiJyuni, kIJyoCD};
constexpr Field entry(std::size_t i) { return kArray.at(i); }
constexpr Field RaceId(std::size_t i) { return kArray.sub(i, kRaceId); }
constexpr Field SyussoTosu(std::size_t i) { return kArray.sub(i, kSyussoTosu); }
constexpr Field KettoNum(std::size_t i) { return kArray.sub(i, kKettoNum); }
constexpr Field Bamei(std::size_t i) { return kArray.sub(i, kBamei); }
constexpr Field KakuteiJyuni(std::size_t i) { return kArray.sub(i, kKakuteiJyuni); }
constexpr Field IJyoCD(std::size_t i) { return kArray.sub(i, kIJyoCD); }
}  // namespace HatuKiJyo
// First win: entry 1 flat, entry 2 jumps.
namespace HatuSyori {
inline constexpr Array kArray{398, 2, 64};
inline constexpr Field kRaceId{0, 16};
inline constexpr Field kSyussoTosu{16, 2};
inline constexpr Field kKettoNum{18, 10};
inline constexpr Field kBamei{28, 36};
inline constexpr Field kEntryMembers[] = {kRaceId, kSyussoTosu, kKettoNum, kBamei};
constexpr Field entry(std::size_t i) { return kArray.at(i); }
constexpr Field RaceId(std::size_t i) { return kArray.sub(i, kRaceId); }
constexpr Field SyussoTosu(std::size_t i) { return kArray.sub(i, kSyussoTosu); }
constexpr Field KettoNum(std::size_t i) { return kArray.sub(i, kKettoNum); }
constexpr Field Bamei(std::size_t i) { return kArray.sub(i, kBamei); }
}  // namespace HatuSyori
// Latest graded wins, newest first.
namespace SaikinJyusyo {
inline constexpr Array kArray{526, 3, 163};
inline constexpr Field kRaceId{0, 16};
inline constexpr Field kHondai{16, 60};
inline constexpr Field kRyakusyo10{76, 20};
inline constexpr Field kRyakusyo6{96, 12};
inline constexpr Field kRyakusyo3{108, 6};
inline constexpr Field kGradeCD{114, 1};
inline constexpr Field kSyussoTosu{115, 2};
inline constexpr Field kKettoNum{117, 10};
inline constexpr Field kBamei{127, 36};
inline constexpr Field kEntryMembers[] = {kRaceId,  kHondai,     kRyakusyo10,
                                          kRyakusyo6, kRyakusyo3, kGradeCD,
                                          kSyussoTosu, kKettoNum,  kBamei};
constexpr Field entry(std::size_t i) { return kArray.at(i); }
constexpr Field RaceId(std::size_t i) { return kArray.sub(i, kRaceId); }
constexpr Field Hondai(std::size_t i) { return kArray.sub(i, kHondai); }
constexpr Field Ryakusyo10(std::size_t i) { return kArray.sub(i, kRyakusyo10); }
constexpr Field Ryakusyo6(std::size_t i) { return kArray.sub(i, kRyakusyo6); }
constexpr Field Ryakusyo3(std::size_t i) { return kArray.sub(i, kRyakusyo3); }
constexpr Field GradeCD(std::size_t i) { return kArray.sub(i, kGradeCD); }
constexpr Field SyussoTosu(std::size_t i) { return kArray.sub(i, kSyussoTosu); }
constexpr Field KettoNum(std::size_t i) { return kArray.sub(i, kKettoNum); }
constexpr Field Bamei(std::size_t i) { return kArray.sub(i, kBamei); }
}  // namespace SaikinJyusyo
inline constexpr std::size_t kYearBlocksOff = 1015;
inline constexpr std::size_t kYearBlockCount = 3;  // this year, last year, all years

// The members of both KS forms; they differ only in the prize blocks and the CR LF.
template <class YearBlock>
constexpr std::array<Member, 25> ksMembers(Field crLf) {
    using HonZenRuikei = YearBlock;
    const Field CrLf = crLf;
    return {{
        {"RecordSpec", RecordSpec}, {"DataKubun", DataKubun}, {"MakeDate", MakeDate},
        {"KisyuCode", KisyuCode}, {"DelKubun", DelKubun}, {"IssueDate", IssueDate},
        {"DelDate", DelDate}, {"BirthDate", BirthDate}, {"KisyuName", KisyuName},
        {"Reserved1", Reserved1}, {"KisyuNameKana", KisyuNameKana},
        {"KisyuRyakusyo", KisyuRyakusyo}, {"KisyuNameEng", KisyuNameEng}, {"SexCD", SexCD},
        {"SikakuCD", SikakuCD}, {"MinaraiCD", MinaraiCD}, {"TozaiCD", TozaiCD},
        {"Syotai", Syotai}, {"ChokyosiCode", ChokyosiCode},
        {"ChokyosiRyakusyo", ChokyosiRyakusyo}, {"HatuKiJyo", HatuKiJyo::kArray},
        {"HatuSyori", HatuSyori::kArray}, {"SaikinJyusyo", SaikinJyusyo::kArray},
        {"HonZenRuikei", HonZenRuikei::kArray}, {"CrLf", CrLf},
    }};
}
}  // namespace KsCommon

// One year block of HonZenRuikei, with the width of its four prize members
// (10 received, 9 stored). Block b is 1 (this year), 2 (last year) or 3 (all years).
template <std::size_t PrizeLen>
struct KsYearBlock {
    static constexpr std::size_t kPrizeLen = PrizeLen;
    static constexpr std::size_t kLen = 4 + 4 * PrizeLen + 36 + 36 + 20 * 36 + 6 * 36;
    static constexpr Array kArray{KsCommon::kYearBlocksOff, KsCommon::kYearBlockCount, kLen};
    // Places inside one block.
    static constexpr Field kSetYear{0, 4};
    static constexpr Field kHonSyokinHeichi{4, PrizeLen};
    static constexpr Field kHonSyokinSyogai{4 + PrizeLen, PrizeLen};
    static constexpr Field kFukaSyokinHeichi{4 + 2 * PrizeLen, PrizeLen};
    static constexpr Field kFukaSyokinSyogai{4 + 3 * PrizeLen, PrizeLen};
    static constexpr Array kChakuKaisuHeichi{4 + 4 * PrizeLen, 6, 6};
    static constexpr Array kChakuKaisuSyogai{4 + 4 * PrizeLen + 36, 6, 6};
    static constexpr Array kChakuKaisuJyo{4 + 4 * PrizeLen + 72, 20, 36};
    static constexpr Array kChakuKaisuKyori{4 + 4 * PrizeLen + 792, 6, 36};
    static constexpr Member kEntryMembers[] = {
        {"SetYear", kSetYear},
        {"HonSyokinHeichi", kHonSyokinHeichi},
        {"HonSyokinSyogai", kHonSyokinSyogai},
        {"FukaSyokinHeichi", kFukaSyokinHeichi},
        {"FukaSyokinSyogai", kFukaSyokinSyogai},
        {"ChakuKaisuHeichi", kChakuKaisuHeichi},
        {"ChakuKaisuSyogai", kChakuKaisuSyogai},
        {"ChakuKaisuJyo", kChakuKaisuJyo},
        {"ChakuKaisuKyori", kChakuKaisuKyori},
    };

    static constexpr Field entry(std::size_t b) { return kArray.at(b); }
    static constexpr Field SetYear(std::size_t b) { return kArray.sub(b, kSetYear); }
    static constexpr Field HonSyokinHeichi(std::size_t b) { return kArray.sub(b, kHonSyokinHeichi); }
    static constexpr Field HonSyokinSyogai(std::size_t b) { return kArray.sub(b, kHonSyokinSyogai); }
    static constexpr Field FukaSyokinHeichi(std::size_t b) { return kArray.sub(b, kFukaSyokinHeichi); }
    static constexpr Field FukaSyokinSyogai(std::size_t b) { return kArray.sub(b, kFukaSyokinSyogai); }
    // Count j (1st..5th, unplaced; 6 digits each).
    static constexpr Field ChakuKaisuHeichi(std::size_t b, std::size_t j) {
        return {kArray.at(b).off + kChakuKaisuHeichi.off + (j - 1) * 6, 6};
    }
    static constexpr Field ChakuKaisuSyogai(std::size_t b, std::size_t j) {
        return {kArray.at(b).off + kChakuKaisuSyogai.off + (j - 1) * 6, 6};
    }
    // Racecourse/surface entry i (1 to 20), count j (1 to 6).
    static constexpr Field ChakuKaisuJyo(std::size_t b, std::size_t i, std::size_t j) {
        return {kArray.at(b).off + kChakuKaisuJyo.off + (i - 1) * 36 + (j - 1) * 6, 6};
    }
    // Surface/distance entry i (1 to 6), count j (1 to 6).
    static constexpr Field ChakuKaisuKyori(std::size_t b, std::size_t i, std::size_t j) {
        return {kArray.at(b).off + kChakuKaisuKyori.off + (i - 1) * 36 + (j - 1) * 6, 6};
    }
};

// ----------------------------------------------------- KS stored (4161)
namespace KsRecord {
inline constexpr const char* kId = "KS";
inline constexpr std::size_t kLength = 4161;
using namespace KsCommon;
using HonZenRuikei = KsYearBlock<9>;
inline constexpr Field CrLf{4159, 2};

inline constexpr auto kMembers = ksMembers<HonZenRuikei>(CrLf);
}  // namespace KsRecord

// --------------------------------------------------- KS received (4173)
namespace KsReceived {
inline constexpr const char* kId = "KS";
inline constexpr std::size_t kLength = 4173;
using namespace KsCommon;
using HonZenRuikei = KsYearBlock<10>;
inline constexpr Field CrLf{4171, 2};

inline constexpr auto kMembers = ksMembers<HonZenRuikei>(CrLf);
}  // namespace KsReceived

// ---------------------------------------------------------------- HN (251)
namespace HnRecord {
inline constexpr const char* kId = "HN";
inline constexpr std::size_t kLength = 251;
using namespace Head;
inline constexpr Field HansyokuNum{11, 10};
inline constexpr Field Reserved1{21, 8};
inline constexpr Field KettoNum{29, 10};
inline constexpr Field Reserved2{39, 1};
inline constexpr Field Bamei{40, 36};
inline constexpr Field BameiKana{76, 40};
inline constexpr Field BameiEng{116, 80};
inline constexpr Field BirthYear{196, 4};
inline constexpr Field SexCD{200, 1};
inline constexpr Field HinsyuCD{201, 1};
inline constexpr Field KeiroCD{202, 2};
inline constexpr Field MochiKubun{204, 1};
inline constexpr Field ImportYear{205, 4};
inline constexpr Field SanchiName{209, 20};
inline constexpr Field HansyokuFNum{229, 10};
inline constexpr Field HansyokuMNum{239, 10};
inline constexpr Field CrLf{249, 2};

inline constexpr Member kMembers[] = {
    {"RecordSpec", RecordSpec}, {"DataKubun", DataKubun}, {"MakeDate", MakeDate},
    {"HansyokuNum", HansyokuNum}, {"Reserved1", Reserved1}, {"KettoNum", KettoNum},
    {"Reserved2", Reserved2}, {"Bamei", Bamei}, {"BameiKana", BameiKana},
    {"BameiEng", BameiEng}, {"BirthYear", BirthYear}, {"SexCD", SexCD},
    {"HinsyuCD", HinsyuCD}, {"KeiroCD", KeiroCD}, {"MochiKubun", MochiKubun},
    {"ImportYear", ImportYear}, {"SanchiName", SanchiName},
    {"HansyokuFNum", HansyokuFNum}, {"HansyokuMNum", HansyokuMNum}, {"CrLf", CrLf},
};
}  // namespace HnRecord

namespace um = UmRecord;
namespace ks = KsRecord;
namespace ksr = KsReceived;
namespace hn = HnRecord;

}  // namespace kv::jv
