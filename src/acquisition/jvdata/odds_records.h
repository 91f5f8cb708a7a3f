// Odds records of JV-Data: O1 (win, place, bracket quinella), O2 (quinella),
// O4 (exacta), O5 (trio), O6 (trifecta). They are kept as text lines (the
// received record with its own CR LF), never as fixed records; a line read back
// lacks the CR LF, so its CrLf member is blank.
#pragma once
#include <cstddef>

#include "acquisition/jvdata/layout.h"

namespace kv::jv {

// Head of all five odds records (offsets 0 to 38).
namespace OddsHead {
using namespace Head;
using namespace RaceIdHead;
inline constexpr Field HappyoTime{27, 8};  // month 2, day 2, hour 2, minute 2
inline constexpr Field TorokuTosu{35, 2};
inline constexpr Field SyussoTosu{37, 2};
}  // namespace OddsHead

// An odds group of (Kumi or Umaban, Odds, Ninki) entries.
#define KV_JV_ODDS_GROUP(NAME, OFF, COUNT, KUMI, ODDS, NINKI)                           \
    namespace NAME {                                                                    \
    inline constexpr Array kArray{OFF, COUNT, (KUMI) + (ODDS) + (NINKI)};               \
    inline constexpr Field kKumi{0, KUMI};                                              \
    inline constexpr Field kOdds{KUMI, ODDS};                                           \
    inline constexpr Field kNinki{(KUMI) + (ODDS), NINKI};                              \
    inline constexpr Field kEntryMembers[] = {kKumi, kOdds, kNinki};                    \
    constexpr Field entry(std::size_t i) { return kArray.at(i); }                      \
    constexpr Field Kumi(std::size_t i) { return kArray.sub(i, kKumi); }               \
    constexpr Field Umaban(std::size_t i) { return kArray.sub(i, kKumi); }             \
    constexpr Field Odds(std::size_t i) { return kArray.sub(i, kOdds); }               \
    constexpr Field Ninki(std::size_t i) { return kArray.sub(i, kNinki); }             \
    }

// ---------------------------------------------------------------- O1 (962)
namespace O1Record {
inline constexpr const char* kId = "O1";
inline constexpr std::size_t kLength = 962;
using namespace OddsHead;
inline constexpr Field TansyoFlag{39, 1};
inline constexpr Field FukusyoFlag{40, 1};
inline constexpr Field WakurenFlag{41, 1};
inline constexpr Field FukuChakuBaraiKey{42, 1};
// Win: one entry per possible horse number (Umaban 2, Odds 4, Ninki 2).
KV_JV_ODDS_GROUP(OddsTansyo, 43, 28, 2, 4, 2)
// Place: Umaban 2, OddsLow 4, OddsHigh 4, Ninki 2.
namespace OddsFukusyo {
inline constexpr Array kArray{267, 28, 12};
inline constexpr Field kUmaban{0, 2};
inline constexpr Field kOddsLow{2, 4};
inline constexpr Field kOddsHigh{6, 4};
inline constexpr Field kNinki{10, 2};
inline constexpr Field kEntryMembers[] = {kUmaban, kOddsLow, kOddsHigh, kNinki};
constexpr Field entry(std::size_t i) { return kArray.at(i); }
constexpr Field Umaban(std::size_t i) { return kArray.sub(i, kUmaban); }
constexpr Field OddsLow(std::size_t i) { return kArray.sub(i, kOddsLow); }
constexpr Field OddsHigh(std::size_t i) { return kArray.sub(i, kOddsHigh); }
constexpr Field Ninki(std::size_t i) { return kArray.sub(i, kNinki); }
}  // namespace OddsFukusyo
// Bracket quinella: Kumi 2 (two one-digit brackets), Odds 5, Ninki 2.
KV_JV_ODDS_GROUP(OddsWakuren, 603, 36, 2, 5, 2)
inline constexpr Field TotalHyosuTansyo{927, 11};
inline constexpr Field TotalHyosuFukusyo{938, 11};
inline constexpr Field TotalHyosuWakuren{949, 11};
inline constexpr Field CrLf{960, 2};

inline constexpr Member kMembers[] = {
    {"RecordSpec", RecordSpec}, {"DataKubun", DataKubun}, {"MakeDate", MakeDate},
    {"RaceId", RaceId}, {"HappyoTime", HappyoTime}, {"TorokuTosu", TorokuTosu},
    {"SyussoTosu", SyussoTosu}, {"TansyoFlag", TansyoFlag}, {"FukusyoFlag", FukusyoFlag},
    {"WakurenFlag", WakurenFlag}, {"FukuChakuBaraiKey", FukuChakuBaraiKey},
    {"OddsTansyo", OddsTansyo::kArray}, {"OddsFukusyo", OddsFukusyo::kArray},
    {"OddsWakuren", OddsWakuren::kArray}, {"TotalHyosuTansyo", TotalHyosuTansyo},
    {"TotalHyosuFukusyo", TotalHyosuFukusyo}, {"TotalHyosuWakuren", TotalHyosuWakuren},
    {"CrLf", CrLf},
};
}  // namespace O1Record

// O2, O4, O5 and O6: head, HatubaiFlag, one odds group, TotalHyosu, CR LF.
#define KV_JV_ODDS_RECORD(REC, ID, LEN, GROUP, COUNT, KUMI, ODDS, NINKI)                \
    namespace REC {                                                                     \
    inline constexpr const char* kId = ID;                                              \
    inline constexpr std::size_t kLength = LEN;                                         \
    using namespace OddsHead;                                                           \
    inline constexpr Field HatubaiFlag{39, 1};                                          \
    KV_JV_ODDS_GROUP(GROUP, 40, COUNT, KUMI, ODDS, NINKI)                               \
    inline constexpr Field TotalHyosu{GROUP::kArray.end(), 11};                         \
    inline constexpr Field CrLf{GROUP::kArray.end() + 11, 2};                           \
    inline constexpr Member kMembers[] = {                                              \
        {"RecordSpec", RecordSpec}, {"DataKubun", DataKubun}, {"MakeDate", MakeDate},   \
        {"RaceId", RaceId},         {"HappyoTime", HappyoTime},                         \
        {"TorokuTosu", TorokuTosu}, {"SyussoTosu", SyussoTosu},                         \
        {"HatubaiFlag", HatubaiFlag}, {#GROUP, GROUP::kArray},                          \
        {"TotalHyosu", TotalHyosu}, {"CrLf", CrLf},                                     \
    };                                                                                  \
    }

// Quinella (馬連): 153 unordered pairs, Kumi 4 ascending, Odds 6, Ninki 3.
KV_JV_ODDS_RECORD(O2Record, "O2", 2042, OddsUmaren, 153, 4, 6, 3)
// Exacta (馬単): 306 ordered pairs, Kumi 4 in finishing order, Odds 6, Ninki 3.
KV_JV_ODDS_RECORD(O4Record, "O4", 4031, OddsUmatan, 306, 4, 6, 3)
// Trio (３連複): 816 unordered trios, Kumi 6 ascending, Odds 6, Ninki 3.
KV_JV_ODDS_RECORD(O5Record, "O5", 12293, OddsSanren, 816, 6, 6, 3)
// Trifecta (３連単): 4896 ordered trios, Kumi 6 in finishing order, Odds 7, Ninki 4.
KV_JV_ODDS_RECORD(O6Record, "O6", 83285, OddsSanrentan, 4896, 6, 7, 4)

#undef KV_JV_ODDS_RECORD
#undef KV_JV_ODDS_GROUP

namespace o1 = O1Record;
namespace o2 = O2Record;
namespace o4 = O4Record;
namespace o5 = O5Record;
namespace o6 = O6Record;

}  // namespace kv::jv
