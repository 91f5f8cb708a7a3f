#include "display/texts.h"

#include <cmath>

#include "common/codec.h"
#include "common/numbers.h"

namespace kv::display {

std::string asStored(std::string_view raw) {
    std::string s = fromCp932(raw);
    const std::size_t n = charCount(s);
    if (n < raw.size()) s.append(raw.size() - n, ' ');
    return s;
}

std::string floorDecimals(float v, int digits) {
    if (!std::isfinite(v)) return std::string();
    const double scale = std::pow(10.0, digits);
    const double floored = std::floor(static_cast<double>(v) * scale);
    return formatSingle(static_cast<float>(floored / scale));
}

std::string rankText(double rank) { return lastChars(formatDouble(rank + 100.0), 2); }

}  // namespace kv::display
