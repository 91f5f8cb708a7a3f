#include "prediction/record_checks.h"

#include <string>

#include "common/appfolder.h"

namespace kv::pred {

RecordLayout dayFileLayout() {
    RecordLayout l;
    l.text = true;
    l.fieldForm = true;
    l.needsRecords = true;
    l.action = "⑥予想・結果をやり直して下さい。";
    return l;
}

RecordLayout dayStreamLayout(std::size_t rowFields) {
    RecordLayout l = dayFileLayout();
    l.headFields = 6;
    l.rowFields = rowFields;
    l.wholeRows = true;
    return l;
}

void registerRecordChecks() {
    const std::string tekichu = std::string(dirs::TEKICHU) + "/*";
    // The rates of the tiered bets: two rows of titles, then six bet kinds,
    // each its label, three return rates and three hit rates (absent when
    // not computed). The window takes the eight rows and colours the rates
    // by their value as val() reads it.
    RecordLayout rates = dayStreamLayout(7);
    rates.minRows = 8;
    rates.lineFields.push_back({"", 4, 9, 1, 6, LineField::Number, true, "率", "rate"});
    registerRecordLayout(tekichu + suffix::KAITEKI, rates);
    // The eleven-column rates: a row of titles, then six rows of a label and
    // eleven values; the window takes the seven rows and colours the hit
    // rates (row 5) and the return rates (row 8) by their value.
    RecordLayout pc = dayStreamLayout(12);
    pc.minRows = 7;
    pc.lineFields.push_back({"", 5, 5, 1, 11, LineField::Number, true, "的中率", "hit rate"});
    pc.lineFields.push_back({"", 8, 8, 1, 11, LineField::Number, true, "回収率", "return rate"});
    registerRecordLayout(tekichu + suffix::KAITEKI_PC, pc);
}

}  // namespace kv::pred
