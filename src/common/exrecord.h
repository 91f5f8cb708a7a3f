// The expanded run record: one 2603-byte record per run of a horse, in the
// horse's file "<KettoNum>EX.dat" of the folder UMAGOTOEXTHISWEEKN.
//
// A record starts as 2603 zero bytes. The builder writes every member whose
// source is the runner, horse, jockey or race record, and writes blanks into
// the members marked "blanks" below; the members marked "zero" are never
// written by anyone and keep their zero bytes. The calculated members
// (SpeedText, F1..F30, FC, the three weight arrays and RunSpeeds) keep zero
// bytes until the calculation fills them.
//
// Text members are CP932 bytes, left-aligned and blank-padded. Singles are
// 4-byte little-endian IEEE floats (kv::getSingle / kv::setSingle).
#pragma once
#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "common/appfolder.h"
#include "common/fields.h"

namespace kv::exrec {

using kv::Field;

inline constexpr std::size_t kLength = 2603;
inline constexpr const char* kFileSuffix = kv::suffix::EX;

// ---- identity (copied from the runner record) ----
inline constexpr Field RecordSpec{0, 2};
inline constexpr Field DataKubun{2, 1};
inline constexpr Field MakeDate{3, 8};       // MakeYear 4, MakeMonth 2, MakeDay 2
inline constexpr Field MakeYear{3, 4};
inline constexpr Field MakeMonth{7, 2};
inline constexpr Field MakeDay{9, 2};
inline constexpr Field RaceId{11, 16};
inline constexpr Field Year{11, 4};
inline constexpr Field MonthDay{15, 4};
inline constexpr Field JyoCD{19, 2};
inline constexpr Field Kaiji{21, 2};
inline constexpr Field Nichiji{23, 2};
inline constexpr Field RaceNum{25, 2};
inline constexpr Field Wakuban{27, 1};
inline constexpr Field Umaban{28, 2};
inline constexpr Field KettoNum{30, 10};
inline constexpr Field SankuJun{40, 2};      // foal order (horse lookup)
inline constexpr Field YoubiCD{42, 1};       // race lookup

// ---- blanks on every build ----
inline constexpr Field Reserved1{43, 10};
inline constexpr Field SaleCode{53, 6};
inline constexpr Field SaleHostName{59, 40};
inline constexpr Field SaleName{99, 80};
inline constexpr Field SaleFromDate{179, 8};
inline constexpr Field SaleToDate{187, 8};
inline constexpr Field SaleBarei{195, 1};
inline constexpr Field SalePrice{196, 10};

// ---- horse lookup ----
inline constexpr Field BirthDate{206, 8};    // BirthYear 4, BirthMonth 2, BirthDay 2
inline constexpr Field BirthYear{206, 4};
inline constexpr Field BirthMonth{210, 2};
inline constexpr Field BirthDay{212, 2};
inline constexpr Field Syotai{214, 20};
inline constexpr Field BreederCode{234, 8};
inline constexpr Field BreederName{242, 72};
inline constexpr Field SanchiName{314, 20};

// ---- pedigree groups ----
inline constexpr Field SireHansyokuNum{334, 10};      // horse lookup, Ketto3Info 1
inline constexpr Field SireBamei{344, 36};            // horse lookup, Ketto3Info 1
inline constexpr Field SireBirthYear{380, 4};         // blanks
inline constexpr Field SireSanchiName{384, 20};       // blanks
inline constexpr Field DamHansyokuNum{404, 10};       // horse lookup, Ketto3Info 2
inline constexpr Field DamBirthYear{414, 4};          // blanks
inline constexpr Field DamSanchiName{418, 20};        // blanks
inline constexpr Field Ancestor3HansyokuNum{438, 10}; // zero
inline constexpr Field Ancestor3Bamei{448, 36};       // zero
inline constexpr Field Ancestor3BirthYear{484, 4};    // zero
inline constexpr Field Ancestor3SanchiName{488, 20};  // zero
inline constexpr Field DamSireHansyokuNum{508, 10};   // blanks
inline constexpr Field DamSireBamei{518, 36};         // zero
inline constexpr Field DamSireBirthYear{554, 4};      // blanks
inline constexpr Field DamSireSanchiName{558, 20};    // blanks
inline constexpr Field Ancestor5HansyokuNum{578, 10}; // blanks
inline constexpr Field Ancestor5Bamei{588, 36};       // zero
inline constexpr Field Ancestor5BirthYear{624, 4};    // blanks
inline constexpr Field Ancestor5SanchiName{628, 20};  // blanks
inline constexpr Field Ancestor6HansyokuNum{648, 10}; // blanks
inline constexpr Field Ancestor6Bamei{658, 36};       // zero
inline constexpr Field Ancestor6BirthYear{694, 4};    // blanks
inline constexpr Field Ancestor6SanchiName{698, 20};  // blanks
inline constexpr Field Ancestor7HansyokuNum{718, 10}; // blanks
inline constexpr Field Ancestor7Bamei{728, 36};       // horse lookup, Ketto3Info 4
inline constexpr Field Ancestor7BirthYear{764, 4};    // blanks
inline constexpr Field Ancestor7SanchiName{768, 20};  // blanks

// ---- runner record ----
inline constexpr Field Bamei{788, 36};
inline constexpr Field Reserved2{824, 1};             // zero
inline constexpr Field UmaKigoCD{825, 2};
inline constexpr Field SexCD{827, 1};
inline constexpr Field HinsyuCD{828, 1};
inline constexpr Field KeiroCD{829, 2};
inline constexpr Field TozaiCD{831, 1};
inline constexpr Field ChokyosiCode{832, 5};
inline constexpr Field ChokyosiRyakusyo{837, 8};
inline constexpr Field BanusiCode{845, 6};
inline constexpr Field BanusiName{851, 64};           // zero
inline constexpr Field Fukusyoku{915, 60};
inline constexpr Field Futan{975, 3};
inline constexpr Field FutanBefore{978, 3};
inline constexpr Field Blinker{981, 1};
inline constexpr Field Reserved3{982, 1};             // runner record Reserved2
inline constexpr Field KisyuCode{983, 5};
// ---- jockey lookup ----
inline constexpr Field KisyuBirthDate{988, 8};
inline constexpr Field KisyuSexCD{996, 1};
inline constexpr Field KisyuSyotai{997, 20};
inline constexpr Field SikakuCD{1017, 1};
// ---- runner record ----
inline constexpr Field KisyuCodeBefore{1018, 5};
inline constexpr Field KisyuRyakusyo{1023, 8};
inline constexpr Field KisyuRyakusyoBefore{1031, 8};
inline constexpr Field MinaraiCD{1039, 1};
inline constexpr Field MinaraiCDBefore{1040, 1};
inline constexpr Field BaTaijyu{1041, 3};
inline constexpr Field ZogenFugo{1044, 1};
inline constexpr Field ZogenSa{1045, 3};
inline constexpr Field IJyoCD{1048, 1};
inline constexpr Field NyusenJyuni{1049, 2};
inline constexpr Field KakuteiJyuni{1051, 2};
inline constexpr Field DochakuKubun{1053, 1};
inline constexpr Field DochakuTosu{1054, 1};
inline constexpr Field Time{1055, 4};
inline constexpr Field ChakusaCD{1059, 3};
inline constexpr Field ChakusaCDP{1062, 3};
inline constexpr Field ChakusaCDPP{1065, 3};
inline constexpr Field Jyuni1c{1068, 2};
inline constexpr Field Jyuni2c{1070, 2};
inline constexpr Field Jyuni3c{1072, 2};
inline constexpr Field Jyuni4c{1074, 2};
inline constexpr Field Odds{1076, 4};
inline constexpr Field Ninki{1080, 2};
inline constexpr Field Honsyokin{1082, 8};
inline constexpr Field Fukasyokin{1090, 8};
inline constexpr Field Reserved4{1098, 3};            // runner record Reserved3
inline constexpr Field Reserved5{1101, 3};            // runner record Reserved4
inline constexpr Field HaronTimeL4{1104, 3};
inline constexpr Field HaronTimeL3{1107, 3};
inline constexpr Field TimeDiff{1110, 4};

// ---- race lookup ----
inline constexpr Field GradeCD{1114, 1};
inline constexpr Field GradeCDBefore{1115, 1};
inline constexpr Field SyubetuCD{1116, 2};
inline constexpr Field KigoCD{1118, 3};
inline constexpr Field JyuryoCD{1121, 1};
inline constexpr Field JyokenCD{1122, 15};            // 5 entries of 3
inline constexpr Field Kyori{1137, 4};
inline constexpr Field KyoriBefore{1141, 4};
inline constexpr Field TrackCD{1145, 2};
inline constexpr Field TrackCDBefore{1147, 2};
inline constexpr Field CourseKubunCD{1149, 2};
inline constexpr Field CourseKubunCDBefore{1151, 2};
inline constexpr Field RaceHonsyokin{1153, 56};       // 7 entries of 8
inline constexpr Field RaceHonsyokinBefore{1209, 40}; // 5 entries of 8
inline constexpr Field RaceFukasyokin{1249, 40};      // 5 entries of 8
inline constexpr Field RaceFukasyokinBefore{1289, 24};// 3 entries of 8
inline constexpr Field HassoTime{1313, 4};
inline constexpr Field HassoTimeBefore{1317, 4};
inline constexpr Field TorokuTosu{1321, 2};
inline constexpr Field SyussoTosu{1323, 2};
inline constexpr Field NyusenTosu{1325, 2};
inline constexpr Field TenkoCD{1327, 1};
inline constexpr Field SibaBabaCD{1328, 1};
inline constexpr Field DirtBabaCD{1329, 1};
inline constexpr Field LapTime{1330, 75};             // 25 entries of 3
inline constexpr Field SyogaiMileTime{1405, 4};
inline constexpr Field RaceHaronTimeS3{1409, 3};
inline constexpr Field RaceHaronTimeS4{1412, 3};
inline constexpr Field RaceHaronTimeL3{1415, 3};
inline constexpr Field RaceHaronTimeL4{1418, 3};
inline constexpr Field CornerInfo{1421, 288};         // 4 x (Corner 1, Syukaisu 1, Jyuni 70)

// ---- calculated members ----
inline constexpr Field SpeedTextAll{1709, 140};       // 20 texts of 7
inline constexpr Field FactorCodesAll{1849, 176};     // F1..F30
inline constexpr Field FCAll{2025, 124};              // 31 texts of 4
inline constexpr std::size_t kAgariFWOff = 2149;      // 31 Singles
inline constexpr std::size_t kPaceFWOff = 2273;       // 31 Singles
inline constexpr std::size_t kSohaFWOff = 2397;       // 31 Singles
inline constexpr std::size_t kRunSpeedsOff = 2521;    // 20 Singles
inline constexpr Field CrLf{2601, 2};

inline constexpr int kFactorCount = 30;
inline constexpr int kSpeedTextCount = 20;
inline constexpr int kRunSpeedCount = 20;

// Widths of F1..F30 (index k = factor number; index 0 unused).
inline constexpr std::array<std::size_t, 31> kFactorWidth{
    0, 9, 11, 9, 4, 5, 6, 5, 4, 3, 3,      // F1..F10
    4, 3, 6, 6, 6, 4, 4, 6, 5, 10,         // F11..F20
    10, 5, 10, 6, 4, 4, 8, 6, 6, 4};       // F21..F30

// Offsets of F1..F30 (index k), computed from the widths.
inline constexpr std::array<std::size_t, 31> kFactorOff = [] {
    std::array<std::size_t, 31> a{};
    std::size_t off = 1849;
    for (int k = 1; k <= 30; ++k) {
        a[k] = off;
        off += kFactorWidth[k];
    }
    return a;
}();

// SpeedText entry k (1..20).
constexpr Field SpeedText(int k) { return Field{1709 + static_cast<std::size_t>(k - 1) * 7, 7}; }
// Factor code member Fk (1..30).
constexpr Field F(int k) { return Field{kFactorOff[k], kFactorWidth[k]}; }
// Category index text FC entry k (0..30).
constexpr Field FC(int k) { return Field{2025 + static_cast<std::size_t>(k) * 4, 4}; }
// Byte offsets of the Single entries: weights k = 0..30, RunSpeeds k = 1..20.
constexpr std::size_t AgariFW(int k) { return kAgariFWOff + static_cast<std::size_t>(k) * 4; }
constexpr std::size_t PaceFW(int k) { return kPaceFWOff + static_cast<std::size_t>(k) * 4; }
constexpr std::size_t SohaFW(int k) { return kSohaFWOff + static_cast<std::size_t>(k) * 4; }
constexpr std::size_t RunSpeeds(int k) { return kRunSpeedsOff + static_cast<std::size_t>(k - 1) * 4; }

static_assert(kFactorOff[30] + kFactorWidth[30] == 2025, "F1..F30 end where FC starts");
static_assert(FC(30).end() == kAgariFWOff, "FC ends where AgariFW starts");
static_assert(RunSpeeds(20) + 4 == CrLf.off, "RunSpeeds end at CR LF");
static_assert(CrLf.end() == kLength, "2603 bytes");

// A new record: 2603 zero bytes.
inline std::string emptyRecord() { return std::string(kLength, '\0'); }

// Every member in file order with its name, as a table for tests and tools.
struct Member {
    const char* name;
    Field field;
};
// The members one after the other from offset 0 to 2603 (arrays as one entry each).
const std::vector<Member>& memberTable();

// The first of the members that the prediction run reads as whole numbers
// (race id, frame and horse number, birth year, carried weight, finishing
// places, time, last three furlongs, distance, track code, post time, runners)
// whose bytes are not all digits; nullptr when every one is. A record shorter
// than a member fails on that member.
const Member* firstNonDigitMember(std::string_view rec);

}  // namespace kv::exrec
