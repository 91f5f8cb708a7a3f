// Text forms of the race display and the past-runs window.
#pragma once
#include <string>
#include <string_view>

#include "platform/controls/grid_model.h"

namespace kv::display {

// A text member decoded and padded with blanks to as many characters as the
// field has bytes (NUL shows as a blank).
std::string asStored(std::string_view raw);
// Int(v x 10^digits) / 10^digits as a Single's number text: the product is
// taken exactly (in double) and floored, the quotient rounded to single.
// Empty for a value that is not finite.
std::string floorDecimals(float v, int digits);
// The last two characters of the number text of rank + 100 ("03", "12").
std::string rankText(double rank);
// A palette colour.
inline controls::Rgb palette(int n) { return controls::qbColor(n); }

}  // namespace kv::display
