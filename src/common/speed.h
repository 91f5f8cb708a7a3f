// Speeds (single precision, km/h) as the text files print them.
#pragma once
#include <string>

namespace kv {

// Metres per minute as printed in the tagged text files: Int(speed x 16.666).
long long speedMetresPerMinute(float speed);
// Metres per hour as printed in the speed CSV files: Int(speed x 1000).
long long speedMetresPerHour(float speed);

}  // namespace kv
