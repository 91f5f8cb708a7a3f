// Speeds (single precision, km/h) as text.
#pragma once
#include <string>

namespace kv {

// The 7-character speed string of the expanded run record: Int(speed x 100000)
// as zero-padded digits, only the last seven kept.
std::string speedText7(float speed);
// Metres per minute as printed in the tagged text files: Int(speed x 16.666).
long long speedMetresPerMinute(float speed);
// Metres per hour as printed in the speed CSV files: Int(speed x 1000).
long long speedMetresPerHour(float speed);

}  // namespace kv
