// Predicted-order lines of a race block: "Q1" to "Q4" hold the horse numbers
// of predicted ranks 1-5, 6-10, 11-15 and 16-18; in result mode "ATQ1" to
// "ATQ4" follow with the finishing texts of the same horses.
#pragma once
#include <string>

#include "prediction/window_state.h"

namespace kv::bet {

// The ranks the lines cover for a registered runner count (its number value):
// 4 for 1 to 4, n for a whole n from 5 to 18, otherwise 0 (no lines).
int yosojunRankCount(double count);

// Appends the race's Q lines and, in result mode, its ATQ lines (CP932, CR LF)
// to out. Ranks the race's table does not hold are left out.
void WriteYosojunLines(const pred::WindowState& st, std::string& out);

}  // namespace kv::bet
