// Statistics records of the folder OPTION1N: fixed-length text records, members
// packed without gaps, each record ending with CR LF (included in the length).
// Numeric members are decimal texts read leniently (kv::val); rates are place
// rates in thousandths of a percent (100000 = 100 %).
// Members that no reader uses are not named; they are carried in the records.
#pragma once
#include <cstddef>
#include <string_view>

#include "common/fields.h"

namespace kv::stats {

// Statistics of the offspring of one sire ("STALLION.dat") or one dam
// ("MARE.dat", "HAHAUMA.dat", "HAHAUMATHISWEEK.dat"). 402 bytes.
struct ParentStatRecord {
    static constexpr std::size_t kLength = 402;
    static constexpr Field HansyokuNum{0, 10};      // breeding number; the key
    static constexpr Field FlatRate{16, 6};
    static constexpr Field FlatStarts{34, 6};
    static constexpr Field HurdleStarts{40, 6};
    static constexpr Field FlatEarnings{46, 9};
    static constexpr Field HurdleEarnings{55, 9};
    static constexpr Field FlatScore{64, 9};
    static constexpr Field HurdleScore{73, 9};
    static constexpr Field HurdleRate{118, 6};
    // Going arrays: entry 1 for going "0" or "1", entries 2..4 for "2".."4".
    static constexpr std::size_t kGoingEntries = 4;
    static constexpr Field TurfGoingRate(int entry) { return Field{124 + 6 * std::size_t(entry - 1), 6}; }
    static constexpr Field DirtGoingRate(int entry) { return Field{148 + 6 * std::size_t(entry - 1), 6}; }
    static constexpr Field HurdleGoingRate(int entry) { return Field{172 + 6 * std::size_t(entry - 1), 6}; }
    // Distance bands: 1 up to 1600 m, 2 from 1601 to 2200 m, 3 over 2200 m.
    static constexpr std::size_t kDistEntries = 3;
    static constexpr Field TurfDistRate(int entry) { return Field{196 + 6 * std::size_t(entry - 1), 6}; }
    static constexpr Field DirtDistRate(int entry) { return Field{214 + 6 * std::size_t(entry - 1), 6}; }
    static constexpr Field CrLf{400, 2};
};

// Statistics of one horse ("KYOSOBA.dat", "KYOSOBATHISWEEK.dat"). 228 bytes.
struct KyosobaStatRecord {
    static constexpr std::size_t kLength = 228;
    static constexpr Field KettoNum{0, 10};         // the key
    static constexpr Field FlatStarts{22, 6};
    static constexpr Field HurdleStarts{28, 6};
    static constexpr Field FlatEarnings{34, 9};
    static constexpr Field HurdleEarnings{43, 9};
    static constexpr Field HurdleRate{106, 6};
    static constexpr Field TurfRate{112, 6};
    static constexpr Field DirtRate{136, 6};
    static constexpr Field CrLf{226, 2};
};

// Statistics of one jockey ("KISHUSEISEI.dat") or trainer ("CHOKYOSEISEI.dat"). 121 bytes.
struct SeisekiStatRecord {
    static constexpr std::size_t kLength = 121;
    static constexpr Field StatCode{0, 5};          // jockey or trainer code; the key
    static constexpr Field TurfRate{29, 6};
    static constexpr Field DirtRate{35, 6};
    static constexpr Field HurdleRate{41, 6};
    static constexpr Field CrLf{119, 2};
};

// Two numbers ("HNSKOPTION1N.dat": dam's breeding number, foal's KettoNum;
// "NANDAIFLOPTION1N.dat": a breeding number and a second number). 22 bytes.
struct NumberPairRecord {
    static constexpr std::size_t kLength = 22;
    static constexpr Field Num1{0, 10};             // the key
    static constexpr Field Num2{10, 10};
    static constexpr Field CrLf{20, 2};
};

// A numeric member read leniently: leading blanks skipped, the leading decimal
// number taken, a text without one counts as 0.
double statValue(std::string_view rec, Field f);

// kv::val's value of a text, the usual texts (digits and blanks only, at most
// 15 digits) counted at once; zero bytes count as blanks when zeroIsBlank.
double lenientValue(std::string_view s, bool zeroIsBlank = false);

}  // namespace kv::stats
