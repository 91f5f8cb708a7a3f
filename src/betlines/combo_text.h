// Combination and payout texts shared by every tagged text file writer.
// Inputs are the fixed-width digit fields of the payout record and of the bet
// lists; a field that is exactly blank gives the empty text; a part that holds
// no number throws ConversionError (the calling writer's work for the race ends).
#pragma once
#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

#include "common/numbers.h"  // ConversionError

namespace kv {

std::string FormatUmaban(std::string_view umaban);          // ‹07› -> ‹ 7›
std::string FormatWakurenKumi(std::string_view kumi);       // ‹36› -> ‹3-6›
std::string FormatUmarenKumi(std::string_view kumi);        // ‹0312› -> ‹ 3-12›
std::string FormatUmatanKumi(std::string_view kumi);        // ‹1203› -> ‹12→ 3›
std::string FormatSanrenpukuKumi(std::string_view kumi);    // ‹010203› -> ‹ 1- 2- 3›
std::string FormatSanrentanKumi(std::string_view kumi);     // ‹051203› -> ‹ 5→12→ 3›
std::string FormatHaito(std::string_view haito);            // ‹000012340› -> ‹12340›
// The ordered forms as CP932 bytes (the arrow double-byte), for lines built in CP932.
std::string FormatUmatanKumiCp932(std::string_view kumi);
std::string FormatSanrentanKumiCp932(std::string_view kumi);

// Two-place form of a number: " " & n, last two characters (7 -> " 7", 12 -> "12").
std::string TwoPlace(long long n);

// A short text (a number, a tag, a combination) built in place, without an
// allocation; what does not fit in its 48 bytes is cut.
class ShortText {
public:
    ShortText() = default;
    explicit ShortText(std::string_view s) { add(s); }
    ShortText& add(std::string_view s);
    ShortText& add(char c) { return add(std::string_view(&c, 1)); }
    ShortText& number(long long v);
    ShortText& twoPlace(long long v);  // as TwoPlace
    // Two-place horse numbers of the two-character parts `order` of key (a
    // part beyond the key is empty), joined by sep; a part that is not a
    // number throws ConversionError.
    ShortText& horses(std::string_view key, std::initializer_list<std::size_t> order, std::string_view sep);
    // The same from horse numbers already read (horseOfKey).
    ShortText& horses(const long long* numbers, std::initializer_list<std::size_t> order, std::string_view sep);
    std::string_view view() const { return {c_, n_}; }
    std::size_t size() const { return n_; }

private:
    char c_[48];
    std::size_t n_ = 0;
};

// The horse number of the two-character part i of a key (a part beyond the
// key is empty); a part that is not a number throws ConversionError.
long long horseOfKey(std::string_view key, std::size_t i);

// The arrow of the ordered combinations in CP932 bytes.
const std::string& arrowCp932();

}  // namespace kv
