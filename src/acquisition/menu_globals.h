// Values the main menu shares with the download and odds windows, and the
// program's fixed addresses and JV-Link identification strings.
#pragma once
#include <cstdint>

namespace kv {

// Which stored odds the odds-table window reads: 0 = this week's odds files,
// 1 = the live odds files. Starts at 0; written by the menu's odds buttons, the
// odds download buttons and the live odds window.
inline std::int16_t OddsSource = 0;

// The two web pages of the menu's top row.
inline constexpr const char* kResultsBlogUrl = "https://korivan.example.org/blog/";
inline constexpr const char* kWeightUpdateUrl = "https://korivan.example.org/weights/";

// Software identification strings given to JVInit: two registration codes, a
// software name and a version joined by "/".
inline constexpr const char* kSidWeek = "KV0000000001/KV0000000001/KORIVANQUELSS/2025.6.20";
inline constexpr const char* kSidOdds = "KV0000000001/KV0000000002/KORIVANODDS/2024.8.12";
inline constexpr const char* kSidTrifecta = "UNKNOWN";
inline constexpr const char* kSidLiveOdds = "KV0000000001/KV0000000003/KORIVANRIALTIME/2024.7.8";

}  // namespace kv
