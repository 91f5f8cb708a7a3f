// Actual speeds of one run in km/h, as 7-character speed texts, and the text
// forms of the predicted speeds and sample counts.
#pragma once
#include <string>
#include <string_view>

namespace kv::expansion {

// The three actual-speed procedures. They read HaronTimeL3, Time, Kyori and
// TrackCD of the expanded run record `exRec` and return exactly 7 characters.
// A time or distance that is not a number throws CalcDataError (a fault of the
// run's data); a zero pace time throws CalcError.
std::string CalcAgariSpeed(std::string_view exRec);
std::string CalcPaceSpeed(std::string_view exRec);
std::string CalcSohaSpeed(std::string_view exRec);

// The speed text of a speed v: the last seven characters of the decimal text of
// Int(v x 100000) + 10000000 (the product in double precision).
// A speed whose scaled value has 15 digits or more throws CalcError.
std::string actualSpeedText(float v);
// Characters 2 to 8 of the decimal text of Int(x x 1000000) + 100000000
// (same range rule).
std::string predictedSpeedText(float x);
// Characters 2 to 8 of the decimal text of c + 10000000.
std::string sampleCountText(long long c);

}  // namespace kv::expansion
