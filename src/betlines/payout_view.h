// A payout record read field by field without a copy per field.
#pragma once
#include <utility>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "acquisition/jvdata/race_records.h"
#include "common/fields.h"

namespace kv::bet {

// The record held at its full length: the bytes a short record lacks read as
// blanks, as getField reads them. Views stay valid while this lives.
class PayoutRecordView {
public:
    explicit PayoutRecordView(std::string_view rec) {
        if (rec.size() >= jv::HrRecord::kLength) {
            rec_ = rec;
        } else {
            padded_ = fitRecord(rec, jv::HrRecord::kLength);
            rec_ = padded_;
        }
    }
    PayoutRecordView(const PayoutRecordView&) = delete;
    PayoutRecordView& operator=(const PayoutRecordView&) = delete;

    std::string_view operator()(Field f) const { return fieldView(rec_, f); }

private:
    std::string padded_;
    std::string_view rec_;
};

// A key of up to seven characters as one number, its length in the top
// byte: two such keys are equal exactly when their numbers are. Every longer
// key reads as kLongKey (no payout combination is that long).
inline constexpr std::uint64_t kLongKey = ~std::uint64_t{0};
inline std::uint64_t packedKey(std::string_view s) {
    if (s.size() > 7) return kLongKey;
    std::uint64_t v = 0;
    if (!s.empty()) std::memcpy(&v, s.data(), s.size());  // the bytes in order, low byte first on this host
    return v | std::uint64_t{s.size()} << 56;
}

// The two-character pieces of a pair (4 characters exactly) or trio key (its
// first six) in any order, as one number: a combination can read as the key in
// some order only when the numbers are equal. A key too short for its pieces
// (a pair key of another length) reads as kLongKey.
inline std::uint64_t unorderedKey(std::string_view s, int pieces) {
    if (pieces == 2 ? s.size() != 4 : s.size() < 6) return kLongKey;
    auto piece = [&](int i) {
        return static_cast<std::uint16_t>(static_cast<unsigned char>(s[2 * i]) << 8 | static_cast<unsigned char>(s[2 * i + 1]));
    };
    std::uint16_t a = piece(0), b = piece(1), c = pieces == 3 ? piece(2) : 0;
    if (a > b) std::swap(a, b);
    if (b > c) std::swap(b, c);
    if (a > b) std::swap(a, b);
    return std::uint64_t{a} | std::uint64_t{b} << 16 | std::uint64_t{c} << 32;
}

// The 馬単 orders in which a pair key "AABB" reads as the four-character
// combination kumi: bit 0 its own order, bit 1 reversed ("BBAA").
inline unsigned pairOrdersOf(std::string_view pair, std::string_view kumi) {
    if (pair.size() != 4 || kumi.size() != 4) return 0;
    const std::string_view a = pair.substr(0, 2), b = pair.substr(2, 2);
    const std::string_view x = kumi.substr(0, 2), y = kumi.substr(2, 2);
    return (a == x && b == y ? 1u : 0u) | (b == x && a == y ? 2u : 0u);
}

// The ３連単 orders in which trio key "AABBCC" reads as the six-character
// combination kumi: bit n-1 for order n (1 ABC, 2 ACB, 3 BAC, 4 BCA, 5 CAB,
// 6 CBA). A key shorter than six characters reads as no combination; one
// longer counts with its first six.
inline unsigned trioOrdersOf(std::string_view trio, std::string_view kumi) {
    if (trio.size() < 6 || kumi.size() != 6) return 0;
    const std::string_view p[3] = {trio.substr(0, 2), trio.substr(2, 2), trio.substr(4, 2)};
    const std::string_view x = kumi.substr(0, 2), y = kumi.substr(2, 2), z = kumi.substr(4, 2);
    static constexpr int kOrder[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
    unsigned bits = 0;
    for (int n = 0; n < 6; ++n)
        if (p[kOrder[n][0]] == x && p[kOrder[n][1]] == y && p[kOrder[n][2]] == z) bits |= 1u << n;
    return bits;
}

}  // namespace kv::bet
