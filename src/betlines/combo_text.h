// Combination and payout texts shared by every tagged text file writer.
// Inputs are the fixed-width digit fields of the payout record and of the bet
// lists; a field that is exactly blank gives the empty text; a part that holds
// no number throws ConversionError (the calling writer's work for the race ends).
#pragma once
#include <stdexcept>
#include <string>
#include <string_view>

namespace kv {

struct ConversionError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::string FormatUmaban(std::string_view umaban);          // ‹07› -> ‹ 7›
std::string FormatWakurenKumi(std::string_view kumi);       // ‹36› -> ‹3-6›
std::string FormatUmarenKumi(std::string_view kumi);        // ‹0312› -> ‹ 3-12›
std::string FormatUmatanKumi(std::string_view kumi);        // ‹1203› -> ‹12→ 3›
std::string FormatSanrenpukuKumi(std::string_view kumi);    // ‹010203› -> ‹ 1- 2- 3›
std::string FormatSanrentanKumi(std::string_view kumi);     // ‹051203› -> ‹ 5→12→ 3›
std::string FormatHaito(std::string_view haito);            // ‹000012340› -> ‹12340›

// Two-place form of a number: " " & n, last two characters (7 -> " 7", 12 -> "12").
std::string TwoPlace(long long n);

}  // namespace kv
