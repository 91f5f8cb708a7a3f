// The layouts of the day files of the results under TEKICHU, registered by
// the code that writes them: "kaiteki.txt" and "kaitekiPC.txt" here, the race
// list and hit summary in betlines, the eleven-column hits in elevencolumn.
// Each is read back by the history windows as one stream of values.
#pragma once
#include "common/recordlayout.h"

namespace kv::pred {

// A day file of the results: quoted-value text, never written empty, named
// with the prediction run as what to do again.
RecordLayout dayFileLayout();
// dayFileLayout() as a stream of values: the day header first (six values,
// "2025年", "11月", "08日", "5回", course, "3日目", shown as text), then rows
// of rowFields values that must be whole (a value lost or added shows).
RecordLayout dayStreamLayout(std::size_t rowFields);

// Registers the layouts of "kaiteki.txt" and "kaitekiPC.txt".
void registerRecordChecks();

}  // namespace kv::pred
