// Building blocks of the JV-Data record layouts: fields, arrays of fields and
// arrays of groups, all as byte ranges of the raw CP932 record.
//
// Array entries are counted from 1, as the record descriptions count them
// ("entry 2 of Ketto3Info is the dam"). Inside a two-level array the inner
// index runs fastest.
#pragma once
#include <cstddef>
#include <string_view>

#include "common/fields.h"

namespace kv::jv {

// count entries of len bytes each, the first at byte offset off.
struct Array {
    std::size_t off;
    std::size_t count;
    std::size_t len;
    // Entry i (1-based).
    constexpr Field at(std::size_t i) const { return {off + (i - 1) * len, len}; }
    // A member of entry i given by its place inside one entry.
    constexpr Field sub(std::size_t i, Field inner) const {
        return {off + (i - 1) * len + inner.off, inner.len};
    }
    // The whole array as one field.
    constexpr Field whole() const { return {off, count * len}; }
    constexpr std::size_t end() const { return off + count * len; }
};

// One member of a layout in layout order (arrays as one span); used to check
// that a layout is gap-free and adds up to its record length.
struct Member {
    std::string_view name;
    std::size_t off;
    std::size_t len;
    constexpr Member(std::string_view n, Field f) : name(n), off(f.off), len(f.len) {}
    constexpr Member(std::string_view n, Array a) : name(n), off(a.off), len(a.count * a.len) {}
};

// Head shared by every JV-Data record (offsets 0 to 10) and the race id that
// race-bound records carry at offset 11.
namespace Head {
inline constexpr Field RecordSpec{0, 2};
inline constexpr Field DataKubun{2, 1};
inline constexpr Field MakeDate{3, 8};
}  // namespace Head

namespace RaceIdHead {
inline constexpr Field RaceId{11, 16};
inline constexpr Field Year{11, 4};
inline constexpr Field MonthDay{15, 4};
inline constexpr Field JyoCD{19, 2};
inline constexpr Field Kaiji{21, 2};
inline constexpr Field Nichiji{23, 2};
inline constexpr Field RaceNum{25, 2};
}  // namespace RaceIdHead

}  // namespace kv::jv
