// Race records of JV-Data: RA (race details), SE (one runner in one race) and
// HR (payouts of one race). Received and stored forms are the same bytes.
//
// Use: kv::getField(rec, kv::jv::RaRecord::Kyori), kv::jv::RaRecord::LapTime(3),
//      kv::jv::HrRecord::PayUmaren::Kumi(1).
#pragma once
#include <cstddef>

#include "acquisition/jvdata/layout.h"

namespace kv::jv {

// ---------------------------------------------------------------- RA (1272)
namespace RaRecord {
inline constexpr const char* kId = "RA";
inline constexpr std::size_t kLength = 1272;
using namespace Head;
using namespace RaceIdHead;

inline constexpr Field YoubiCD{27, 1};
inline constexpr Field TokuNum{28, 4};
inline constexpr Field Hondai{32, 60};
inline constexpr Field Fukudai{92, 60};
inline constexpr Field Kakko{152, 60};
inline constexpr Field HondaiEng{212, 120};
inline constexpr Field FukudaiEng{332, 120};
inline constexpr Field KakkoEng{452, 120};
inline constexpr Field Ryakusyo10{572, 20};
inline constexpr Field Ryakusyo6{592, 12};
inline constexpr Field Ryakusyo3{604, 6};
inline constexpr Field RaceNameKubun{610, 1};
inline constexpr Field Nkai{611, 3};
inline constexpr Field GradeCD{614, 1};
inline constexpr Field GradeCDBefore{615, 1};
inline constexpr Field SyubetuCD{616, 2};
inline constexpr Field KigoCD{618, 3};
inline constexpr Field JyuryoCD{621, 1};
// Race condition codes: 1 = 2-year-olds, 2 = 3-year-olds, 3 = 4-year-olds,
// 4 = 5 and over, 5 = youngest.
inline constexpr Array kJyokenCD{622, 5, 3};
constexpr Field JyokenCD(std::size_t i) { return kJyokenCD.at(i); }
inline constexpr Field JyokenName{637, 60};
inline constexpr Field Kyori{697, 4};
inline constexpr Field KyoriBefore{701, 4};
inline constexpr Field TrackCD{705, 2};
inline constexpr Field TrackCDBefore{707, 2};
inline constexpr Field CourseKubunCD{709, 2};
inline constexpr Field CourseKubunCDBefore{711, 2};
inline constexpr Array kHonsyokin{713, 7, 8};
constexpr Field Honsyokin(std::size_t i) { return kHonsyokin.at(i); }
inline constexpr Array kHonsyokinBefore{769, 5, 8};
constexpr Field HonsyokinBefore(std::size_t i) { return kHonsyokinBefore.at(i); }
inline constexpr Array kFukasyokin{809, 5, 8};
constexpr Field Fukasyokin(std::size_t i) { return kFukasyokin.at(i); }
inline constexpr Array kFukasyokinBefore{849, 3, 8};
constexpr Field FukasyokinBefore(std::size_t i) { return kFukasyokinBefore.at(i); }
inline constexpr Field HassoTime{873, 4};
inline constexpr Field HassoTimeBefore{877, 4};
inline constexpr Field TorokuTosu{881, 2};
inline constexpr Field SyussoTosu{883, 2};
inline constexpr Field NyusenTosu{885, 2};
inline constexpr Field TenkoCD{887, 1};
inline constexpr Field SibaBabaCD{888, 1};
inline constexpr Field DirtBabaCD{889, 1};
inline constexpr Array kLapTime{890, 25, 3};
constexpr Field LapTime(std::size_t i) { return kLapTime.at(i); }
inline constexpr Field SyogaiMileTime{965, 4};
inline constexpr Field HaronTimeS3{969, 3};
inline constexpr Field HaronTimeS4{972, 3};
inline constexpr Field HaronTimeL3{975, 3};
inline constexpr Field HaronTimeL4{978, 3};
namespace CornerInfo {
inline constexpr Array kArray{981, 4, 72};
inline constexpr Field kCorner{0, 1};
inline constexpr Field kSyukaisu{1, 1};
inline constexpr Field kJyuni{2, 70};
inline constexpr Field kEntryMembers[] = {kCorner, kSyukaisu, kJyuni};
constexpr Field entry(std::size_t i) { return kArray.at(i); }
constexpr Field Corner(std::size_t i) { return kArray.sub(i, kCorner); }
constexpr Field Syukaisu(std::size_t i) { return kArray.sub(i, kSyukaisu); }
constexpr Field Jyuni(std::size_t i) { return kArray.sub(i, kJyuni); }
}  // namespace CornerInfo
inline constexpr Field RecordUpKubun{1269, 1};
inline constexpr Field CrLf{1270, 2};

inline constexpr Member kMembers[] = {
    {"RecordSpec", RecordSpec}, {"DataKubun", DataKubun}, {"MakeDate", MakeDate},
    {"RaceId", RaceId}, {"YoubiCD", YoubiCD}, {"TokuNum", TokuNum}, {"Hondai", Hondai},
    {"Fukudai", Fukudai}, {"Kakko", Kakko}, {"HondaiEng", HondaiEng},
    {"FukudaiEng", FukudaiEng}, {"KakkoEng", KakkoEng}, {"Ryakusyo10", Ryakusyo10},
    {"Ryakusyo6", Ryakusyo6}, {"Ryakusyo3", Ryakusyo3}, {"RaceNameKubun", RaceNameKubun},
    {"Nkai", Nkai}, {"GradeCD", GradeCD}, {"GradeCDBefore", GradeCDBefore},
    {"SyubetuCD", SyubetuCD}, {"KigoCD", KigoCD}, {"JyuryoCD", JyuryoCD},
    {"JyokenCD", kJyokenCD}, {"JyokenName", JyokenName}, {"Kyori", Kyori},
    {"KyoriBefore", KyoriBefore}, {"TrackCD", TrackCD}, {"TrackCDBefore", TrackCDBefore},
    {"CourseKubunCD", CourseKubunCD}, {"CourseKubunCDBefore", CourseKubunCDBefore},
    {"Honsyokin", kHonsyokin}, {"HonsyokinBefore", kHonsyokinBefore},
    {"Fukasyokin", kFukasyokin}, {"FukasyokinBefore", kFukasyokinBefore},
    {"HassoTime", HassoTime}, {"HassoTimeBefore", HassoTimeBefore},
    {"TorokuTosu", TorokuTosu}, {"SyussoTosu", SyussoTosu}, {"NyusenTosu", NyusenTosu},
    {"TenkoCD", TenkoCD}, {"SibaBabaCD", SibaBabaCD}, {"DirtBabaCD", DirtBabaCD},
    {"LapTime", kLapTime}, {"SyogaiMileTime", SyogaiMileTime},
    {"HaronTimeS3", HaronTimeS3}, {"HaronTimeS4", HaronTimeS4},
    {"HaronTimeL3", HaronTimeL3}, {"HaronTimeL4", HaronTimeL4},
    {"CornerInfo", CornerInfo::kArray}, {"RecordUpKubun", RecordUpKubun}, {"CrLf", CrLf},
};
}  // namespace RaRecord

// ---------------------------------------------------------------- SE (555)
namespace SeRecord {
inline constexpr const char* kId = "SE";
inline constexpr std::size_t kLength = 555;
using namespace Head;
using namespace RaceIdHead;

inline constexpr Field Wakuban{27, 1};
inline constexpr Field Umaban{28, 2};
inline constexpr Field KettoNum{30, 10};
inline constexpr Field Bamei{40, 36};
inline constexpr Field UmaKigoCD{76, 2};
inline constexpr Field SexCD{78, 1};
inline constexpr Field HinsyuCD{79, 1};
inline constexpr Field KeiroCD{80, 2};
inline constexpr Field Barei{82, 2};
inline constexpr Field TozaiCD{84, 1};
inline constexpr Field ChokyosiCode{85, 5};
inline constexpr Field ChokyosiRyakusyo{90, 8};
inline constexpr Field BanusiCode{98, 6};
inline constexpr Field BanusiName{104, 64};
inline constexpr Field Fukusyoku{168, 60};
inline constexpr Field Reserved1{228, 60};
inline constexpr Field Futan{288, 3};
inline constexpr Field FutanBefore{291, 3};
inline constexpr Field Blinker{294, 1};
inline constexpr Field Reserved2{295, 1};
inline constexpr Field KisyuCode{296, 5};
inline constexpr Field KisyuCodeBefore{301, 5};
inline constexpr Field KisyuRyakusyo{306, 8};
inline constexpr Field KisyuRyakusyoBefore{314, 8};
inline constexpr Field MinaraiCD{322, 1};
inline constexpr Field MinaraiCDBefore{323, 1};
inline constexpr Field BaTaijyu{324, 3};
inline constexpr Field ZogenFugo{327, 1};
inline constexpr Field ZogenSa{328, 3};
inline constexpr Field IJyoCD{331, 1};
inline constexpr Field NyusenJyuni{332, 2};
inline constexpr Field KakuteiJyuni{334, 2};
inline constexpr Field DochakuKubun{336, 1};
inline constexpr Field DochakuTosu{337, 1};
inline constexpr Field Time{338, 4};
inline constexpr Field ChakusaCD{342, 3};
inline constexpr Field ChakusaCDP{345, 3};
inline constexpr Field ChakusaCDPP{348, 3};
inline constexpr Field Jyuni1c{351, 2};
inline constexpr Field Jyuni2c{353, 2};
inline constexpr Field Jyuni3c{355, 2};
inline constexpr Field Jyuni4c{357, 2};
inline constexpr Field Odds{359, 4};
inline constexpr Field Ninki{363, 2};
inline constexpr Field Honsyokin{365, 8};
inline constexpr Field Fukasyokin{373, 8};
inline constexpr Field Reserved3{381, 3};
inline constexpr Field Reserved4{384, 3};
inline constexpr Field HaronTimeL4{387, 3};
inline constexpr Field HaronTimeL3{390, 3};
namespace ChakuUmaInfo {
inline constexpr Array kArray{393, 3, 46};
inline constexpr Field kKettoNum{0, 10};
inline constexpr Field kBamei{10, 36};
inline constexpr Field kEntryMembers[] = {kKettoNum, kBamei};
constexpr Field entry(std::size_t i) { return kArray.at(i); }
constexpr Field KettoNum(std::size_t i) { return kArray.sub(i, kKettoNum); }
constexpr Field Bamei(std::size_t i) { return kArray.sub(i, kBamei); }
}  // namespace ChakuUmaInfo
inline constexpr Field TimeDiff{531, 4};
inline constexpr Field RecordUpKubun{535, 1};
inline constexpr Field DMKubun{536, 1};
inline constexpr Field DMTime{537, 5};
inline constexpr Field DMGosaP{542, 4};
inline constexpr Field DMGosaM{546, 4};
inline constexpr Field DMJyuni{550, 2};
inline constexpr Field KyakusituKubun{552, 1};
inline constexpr Field CrLf{553, 2};

inline constexpr Member kMembers[] = {
    {"RecordSpec", RecordSpec}, {"DataKubun", DataKubun}, {"MakeDate", MakeDate},
    {"RaceId", RaceId}, {"Wakuban", Wakuban}, {"Umaban", Umaban}, {"KettoNum", KettoNum},
    {"Bamei", Bamei}, {"UmaKigoCD", UmaKigoCD}, {"SexCD", SexCD}, {"HinsyuCD", HinsyuCD},
    {"KeiroCD", KeiroCD}, {"Barei", Barei}, {"TozaiCD", TozaiCD},
    {"ChokyosiCode", ChokyosiCode}, {"ChokyosiRyakusyo", ChokyosiRyakusyo},
    {"BanusiCode", BanusiCode}, {"BanusiName", BanusiName}, {"Fukusyoku", Fukusyoku},
    {"Reserved1", Reserved1}, {"Futan", Futan}, {"FutanBefore", FutanBefore},
    {"Blinker", Blinker}, {"Reserved2", Reserved2}, {"KisyuCode", KisyuCode},
    {"KisyuCodeBefore", KisyuCodeBefore}, {"KisyuRyakusyo", KisyuRyakusyo},
    {"KisyuRyakusyoBefore", KisyuRyakusyoBefore}, {"MinaraiCD", MinaraiCD},
    {"MinaraiCDBefore", MinaraiCDBefore}, {"BaTaijyu", BaTaijyu}, {"ZogenFugo", ZogenFugo},
    {"ZogenSa", ZogenSa}, {"IJyoCD", IJyoCD}, {"NyusenJyuni", NyusenJyuni},
    {"KakuteiJyuni", KakuteiJyuni}, {"DochakuKubun", DochakuKubun},
    {"DochakuTosu", DochakuTosu}, {"Time", Time}, {"ChakusaCD", ChakusaCD},
    {"ChakusaCDP", ChakusaCDP}, {"ChakusaCDPP", ChakusaCDPP}, {"Jyuni1c", Jyuni1c},
    {"Jyuni2c", Jyuni2c}, {"Jyuni3c", Jyuni3c}, {"Jyuni4c", Jyuni4c}, {"Odds", Odds},
    {"Ninki", Ninki}, {"Honsyokin", Honsyokin}, {"Fukasyokin", Fukasyokin},
    {"Reserved3", Reserved3}, {"Reserved4", Reserved4}, {"HaronTimeL4", HaronTimeL4},
    {"HaronTimeL3", HaronTimeL3}, {"ChakuUmaInfo", ChakuUmaInfo::kArray},
    {"TimeDiff", TimeDiff}, {"RecordUpKubun", RecordUpKubun}, {"DMKubun", DMKubun},
    {"DMTime", DMTime}, {"DMGosaP", DMGosaP}, {"DMGosaM", DMGosaM}, {"DMJyuni", DMJyuni},
    {"KyakusituKubun", KyakusituKubun}, {"CrLf", CrLf},
};
}  // namespace SeRecord

// ---------------------------------------------------------------- HR (719)
namespace HrRecord {
inline constexpr const char* kId = "HR";
inline constexpr std::size_t kLength = 719;
using namespace Head;
using namespace RaceIdHead;

inline constexpr Field TorokuTosu{27, 2};
inline constexpr Field SyussoTosu{29, 2};
// Per bet kind (1 win, 2 place, 3 bracket quinella, 4 quinella, 5 wide,
// 6 reserved, 7 exacta, 8 trio, 9 trifecta), one flag byte each.
inline constexpr Array kFuseirituFlag{31, 9, 1};
constexpr Field FuseirituFlag(std::size_t i) { return kFuseirituFlag.at(i); }
inline constexpr Array kTokubaraiFlag{40, 9, 1};
constexpr Field TokubaraiFlag(std::size_t i) { return kTokubaraiFlag.at(i); }
inline constexpr Array kHenkanFlag{49, 9, 1};
constexpr Field HenkanFlag(std::size_t i) { return kHenkanFlag.at(i); }
// Per horse number 1 to 28.
inline constexpr Array kHenkanUma{58, 28, 1};
constexpr Field HenkanUma(std::size_t i) { return kHenkanUma.at(i); }
// Per bracket 1 to 8.
inline constexpr Array kHenkanWaku{86, 8, 1};
constexpr Field HenkanWaku(std::size_t i) { return kHenkanWaku.at(i); }
inline constexpr Array kHenkanDoWaku{94, 8, 1};
constexpr Field HenkanDoWaku(std::size_t i) { return kHenkanDoWaku.at(i); }

// A payout group: entries of (Umaban or Kumi, Pay, Ninki).
// Umaban and Kumi name the same first member of an entry.
#define KV_JV_PAY_GROUP(NAME, OFF, COUNT, KUMI, NINKI)                                  \
    namespace NAME {                                                                   \
    inline constexpr Array kArray{OFF, COUNT, (KUMI) + 9 + (NINKI)};                   \
    inline constexpr Field kKumi{0, KUMI};                                             \
    inline constexpr Field kPay{KUMI, 9};                                              \
    inline constexpr Field kNinki{(KUMI) + 9, NINKI};                                  \
    inline constexpr Field kEntryMembers[] = {kKumi, kPay, kNinki};                    \
    constexpr Field entry(std::size_t i) { return kArray.at(i); }                     \
    constexpr Field Kumi(std::size_t i) { return kArray.sub(i, kKumi); }              \
    constexpr Field Umaban(std::size_t i) { return kArray.sub(i, kKumi); }            \
    constexpr Field Pay(std::size_t i) { return kArray.sub(i, kPay); }                \
    constexpr Field Ninki(std::size_t i) { return kArray.sub(i, kNinki); }            \
    }

KV_JV_PAY_GROUP(PayTansyo, 102, 3, 2, 2)
KV_JV_PAY_GROUP(PayFukusyo, 141, 5, 2, 2)
KV_JV_PAY_GROUP(PayWakuren, 206, 3, 2, 2)
KV_JV_PAY_GROUP(PayUmaren, 245, 3, 4, 3)
KV_JV_PAY_GROUP(PayWide, 293, 7, 4, 3)
KV_JV_PAY_GROUP(PayReserved, 405, 3, 4, 3)
KV_JV_PAY_GROUP(PayUmatan, 453, 6, 4, 3)
KV_JV_PAY_GROUP(PaySanrenpuku, 549, 3, 6, 3)
KV_JV_PAY_GROUP(PaySanrentan, 603, 6, 6, 4)
#undef KV_JV_PAY_GROUP

inline constexpr Field CrLf{717, 2};

inline constexpr Member kMembers[] = {
    {"RecordSpec", RecordSpec}, {"DataKubun", DataKubun}, {"MakeDate", MakeDate},
    {"RaceId", RaceId}, {"TorokuTosu", TorokuTosu}, {"SyussoTosu", SyussoTosu},
    {"FuseirituFlag", kFuseirituFlag}, {"TokubaraiFlag", kTokubaraiFlag},
    {"HenkanFlag", kHenkanFlag}, {"HenkanUma", kHenkanUma}, {"HenkanWaku", kHenkanWaku},
    {"HenkanDoWaku", kHenkanDoWaku}, {"PayTansyo", PayTansyo::kArray},
    {"PayFukusyo", PayFukusyo::kArray}, {"PayWakuren", PayWakuren::kArray},
    {"PayUmaren", PayUmaren::kArray}, {"PayWide", PayWide::kArray},
    {"PayReserved", PayReserved::kArray}, {"PayUmatan", PayUmatan::kArray},
    {"PaySanrenpuku", PaySanrenpuku::kArray}, {"PaySanrentan", PaySanrentan::kArray},
    {"CrLf", CrLf},
};
}  // namespace HrRecord

namespace ra = RaRecord;
namespace se = SeRecord;
namespace hr = HrRecord;

}  // namespace kv::jv
