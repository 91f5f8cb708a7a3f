// The race-horse record: one runner of one race with its entry (slot 0), up to
// 64 earlier runs (slots 1 to 64), and per run the factor weights and the 20
// speed values. One file per race, "RACE/<RaceKey>.dat", 24022-byte records,
// record n = horse number n. Text members are CP932 bytes of fixed width;
// Single members are 4-byte little-endian IEEE floats; no gaps; CR LF at the end.
// Shared by the prediction run and the live results update.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "common/fields.h"

namespace kv {

namespace rh {

inline constexpr std::size_t kRecordLength = 24022;
inline constexpr int kRunSlots = 65;      // slots 0..64 of the text arrays
inline constexpr int kSingleSlots = 70;   // slots 0..69 of the Single blocks (65..69 never filled)
inline constexpr int kFwEntries = 24;     // AgariFW / PaceFW entries 0..23 per slot
inline constexpr int kSpeedEntries = 20;  // RunSpeeds entries 0..19 per slot

// A member repeated per slot: slot s lies at base + width * s.
struct SlotField {
    std::size_t base;
    std::size_t width;
    int slots = kRunSlots;
    constexpr Field at(int slot) const {
        return Field{base + width * static_cast<std::size_t>(slot), width};
    }
    constexpr Field whole() const { return Field{base, width * static_cast<std::size_t>(slots)}; }
    constexpr std::size_t end() const { return base + width * static_cast<std::size_t>(slots); }
};

// Per-slot text members.
inline constexpr SlotField RaceId{0, 16};          // Year 4, MonthDay 4, JyoCD 2, Kaiji 2, Nichiji 2, RaceNum 2
inline constexpr SlotField Wakuban{1040, 1};
inline constexpr SlotField Umaban{1105, 2};
inline constexpr SlotField KettoNum{1235, 10};
inline constexpr Field Bamei{1885, 36};            // once per record (runner file)
inline constexpr SlotField KisyuRyakusyo{1921, 8};
inline constexpr SlotField Kyori{2441, 4};
inline constexpr SlotField TrackCD{2701, 2};
inline constexpr SlotField TorokuTosu{2831, 2};
inline constexpr SlotField NyusenJyuni{2961, 2};   // slot 0 rewritten by the live update
inline constexpr SlotField KakuteiJyuni{3091, 2};
inline constexpr SlotField Time{3221, 4};          // slot 0 rewritten by the live update
inline constexpr SlotField Ninki{3481, 2};         // slot 0 rewritten by the live update
inline constexpr SlotField Odds{3611, 4};          // slot 0 rewritten by the live update
inline constexpr SlotField HaronTimeL3{3871, 3};   // slot 0 rewritten by the live update
inline constexpr SlotField ChokyosiRyakusyo{4066, 8};

// Once-per-record members taken from the entry (the newest expanded record).
inline constexpr Field SireBamei{4586, 36};
inline constexpr Field BreederName{4622, 70};
inline constexpr Field DamSireBamei{4692, 36};     // never filled
inline constexpr Field Barei{4728, 2};
inline constexpr Field SexCD{4730, 1};
inline constexpr Field HassoTime{4731, 4};

// Weather, turf going and dirt going of each slot's run: three 1-byte codes per slot.
inline constexpr SlotField TenkoBaba{4735, 3};
constexpr Field TenkoCD(int slot) { return Field{4735 + 3 * static_cast<std::size_t>(slot), 1}; }
constexpr Field SibaBabaCD(int slot) { return Field{4736 + 3 * static_cast<std::size_t>(slot), 1}; }
constexpr Field DirtBabaCD(int slot) { return Field{4737 + 3 * static_cast<std::size_t>(slot), 1}; }

inline constexpr Field Futan{4930, 3};
inline constexpr Field BaTaijyu{4933, 3};
inline constexpr Field ZogenFugo{4936, 1};
inline constexpr Field ZogenSa{4937, 3};
inline constexpr Field IJyoCD{4940, 1};
// Five 7-character sample-count texts: jockey, trainer, sire, dam's sire, breeder.
inline constexpr SlotField EntityRank{4941, 7, 5};

// Single-precision blocks.
inline constexpr std::size_t kAgariFW = 4976;      // 70 slots x 24 entries
inline constexpr std::size_t kPaceFW = 11696;      // 70 slots x 24 entries
inline constexpr std::size_t kRunSpeeds = 18416;   // 70 slots x 20 entries
inline constexpr std::size_t kSpeedAdjust = 24016; // one Single, always 0
inline constexpr Field CrLf{24020, 2};

constexpr std::size_t agariFwOffset(int slot, int entry) {
    return kAgariFW + 96 * static_cast<std::size_t>(slot) + 4 * static_cast<std::size_t>(entry);
}
constexpr std::size_t paceFwOffset(int slot, int entry) {
    return kPaceFW + 96 * static_cast<std::size_t>(slot) + 4 * static_cast<std::size_t>(entry);
}
constexpr std::size_t runSpeedOffset(int slot, int entry) {
    return kRunSpeeds + 80 * static_cast<std::size_t>(slot) + 4 * static_cast<std::size_t>(entry);
}

// RunSpeeds entries that the prediction run reads.
inline constexpr int kSpeedActual = 2;          // actual whole-race speed
inline constexpr int kSpeedAgariPredicted = 3;  // predicted final-section speed
inline constexpr int kSpeedPacePredicted = 4;   // predicted pace speed
inline constexpr int kSpeedComposite = 6;       // composite predicted speed (the ranking value)
inline constexpr int kSpeedActualMinusComposite = 7;

// Parts of a 16-character race id (offsets inside the id).
namespace raceid {
inline constexpr Field Year{0, 4};
inline constexpr Field MonthDay{4, 4};
inline constexpr Field JyoCD{8, 2};
inline constexpr Field Kaiji{10, 2};
inline constexpr Field Nichiji{12, 2};
inline constexpr Field RaceNum{14, 2};
}  // namespace raceid

// The layout has no gaps and ends exactly at the record length.
static_assert(RaceId.end() == Wakuban.base);
static_assert(Wakuban.end() == Umaban.base);
static_assert(Umaban.end() == KettoNum.base);
static_assert(KettoNum.end() == Bamei.off);
static_assert(Bamei.end() == KisyuRyakusyo.base);
static_assert(KisyuRyakusyo.end() == Kyori.base);
static_assert(Kyori.end() == TrackCD.base);
static_assert(TrackCD.end() == TorokuTosu.base);
static_assert(TorokuTosu.end() == NyusenJyuni.base);
static_assert(NyusenJyuni.end() == KakuteiJyuni.base);
static_assert(KakuteiJyuni.end() == Time.base);
static_assert(Time.end() == Ninki.base);
static_assert(Ninki.end() == Odds.base);
static_assert(Odds.end() == HaronTimeL3.base);
static_assert(HaronTimeL3.end() == ChokyosiRyakusyo.base);
static_assert(ChokyosiRyakusyo.end() == SireBamei.off);
static_assert(SireBamei.end() == BreederName.off);
static_assert(BreederName.end() == DamSireBamei.off);
static_assert(DamSireBamei.end() == Barei.off);
static_assert(Barei.end() == SexCD.off);
static_assert(SexCD.end() == HassoTime.off);
static_assert(HassoTime.end() == TenkoBaba.base);
static_assert(TenkoBaba.end() == Futan.off);
static_assert(Futan.end() == BaTaijyu.off);
static_assert(BaTaijyu.end() == ZogenFugo.off);
static_assert(ZogenFugo.end() == ZogenSa.off);
static_assert(ZogenSa.end() == IJyoCD.off);
static_assert(IJyoCD.end() == EntityRank.base);
static_assert(EntityRank.end() == kAgariFW);
static_assert(kAgariFW + 4 * kFwEntries * kSingleSlots == kPaceFW);
static_assert(kPaceFW + 4 * kFwEntries * kSingleSlots == kRunSpeeds);
static_assert(kRunSpeeds + 4 * kSpeedEntries * kSingleSlots == kSpeedAdjust);
static_assert(kSpeedAdjust + 4 == CrLf.off);
static_assert(CrLf.end() == kRecordLength);

}  // namespace rh

// One race-horse record as raw bytes (24022 zero bytes when new).
struct RaceHorseRecord {
    std::string bytes = std::string(rh::kRecordLength, '\0');

    RaceHorseRecord() = default;
    // Takes a record read from a file; a short one is completed with zero bytes.
    explicit RaceHorseRecord(std::string_view raw);

    void clear() { bytes.assign(rh::kRecordLength, '\0'); }

    std::string get(Field f) const { return getField(bytes, f); }
    void set(Field f, std::string_view cp932) { setField(bytes, f, cp932); }
    float single(std::size_t off) const { return getSingle(bytes, off); }
    void setSingleAt(std::size_t off, float v) { setSingle(bytes, off, v); }

    // Slot-0 race id parts (the race of the file).
    std::string raceId(int slot = 0) const { return get(rh::RaceId.at(slot)); }
    float runSpeed(int slot, int entry) const { return single(rh::runSpeedOffset(slot, entry)); }
    float speedAdjust() const { return single(rh::kSpeedAdjust); }
};

}  // namespace kv
