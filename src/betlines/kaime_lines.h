// Tiered bet lines of a race block: the M lines give every bet as one
// combination, the P lines every bet with its whole ticket set. Pairs first
// (positions 1-6 本線, 7-12 準本線, 13-18 伏兵), then trios (1-7, 8-14, 15-21).
// The number of lines follows the race's registered runner count, compared as
// text; a list shorter than that gives the lines it holds.
#pragma once
#include <string>
#include <string_view>

#include "prediction/window_state.h"

namespace kv::bet {

// Lines asked for by the registered runner count (two characters, text order).
struct KaimeLineCount {
    int pairs = 18;
    int trios = 21;
};
KaimeLineCount kaimeLineCount(std::string_view torokuTosu);

// A trio key "xxyyzz" as "x-y-z" in the key's order, each horse in two-place form.
std::string FormatSanrenKey(std::string_view trio);
// The six ３連単 orders of a trio key xyz (digits: 1 = x, 2 = y, 3 = z), joined by "→".
std::string FormatSanrentan123(std::string_view trio);
std::string FormatSanrentan132(std::string_view trio);
std::string FormatSanrentan213(std::string_view trio);
std::string FormatSanrentan231(std::string_view trio);
std::string FormatSanrentan312(std::string_view trio);
std::string FormatSanrentan321(std::string_view trio);

// Append the race's M or P lines (CP932, CR LF) to out. A key part that is not
// a number throws kv::ConversionError; the lines before it stay in out.
void WriteKaimeMLines(const pred::WindowState& st, std::string& out);
void WriteKaimePLines(const pred::WindowState& st, std::string& out);

}  // namespace kv::bet
