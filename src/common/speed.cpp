#include "common/speed.h"

#include "common/fields.h"
#include "common/numbers.h"

namespace kv {

// The factors are whole numbers too large for a 16-bit integer, so the
// products are taken in double precision.
long long speedMetresPerMinute(float speed) { return vbInt(static_cast<double>(speed) * 16.666); }

long long speedMetresPerHour(float speed) { return vbInt(static_cast<double>(speed) * 1000.0); }

}  // namespace kv
