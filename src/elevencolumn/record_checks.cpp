#include "elevencolumn/record_checks.h"

#include <string>

#include "common/appfolder.h"
#include "prediction/record_checks.h"

namespace kv::eleven {

void registerRecordChecks() {
    // The day header, a row of titles, then three rows of twelve values a
    // race (points, hit combinations, payouts). The window colours the
    // columns of the first twelve races by their payout, read as val()
    // reads it: empty when the column did not hit.
    RecordLayout hits = pred::dayStreamLayout(12);
    for (unsigned race = 1; race <= 12; ++race)
        hits.lineFields.push_back({"", 3 * race + 2, 3 * race + 2, 1, 11, LineField::Number, true, "配当", "payout"});
    registerRecordLayout(std::string(dirs::TEKICHU) + "/*" + suffix::TEKICHU_PC, hits);
}

}  // namespace kv::eleven
