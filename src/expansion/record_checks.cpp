#include "expansion/record_checks.h"

#include "common/appfolder.h"
#include "common/exrecord.h"
#include "common/recordlayout.h"

namespace kv::expansion {

void registerRecordChecks() {
    // Expanded run records: the identity members are text, the rest holds Singles.
    RecordLayout ex;
    ex.length = exrec::kLength;
    ex.crlf = true;
    ex.digits = {{exrec::RaceId, "レースキー", "race key"},
                 {exrec::Umaban, "馬番", "horse number"},
                 {exrec::KettoNum, "血統登録番号", "registration number"}};
    ex.action = "⑤計算をやり直して下さい。";
    registerRecordLayout(std::string(dirs::UMAGOTOEX) + "/*" + suffix::EX, ex);
    // The factor weight tables and their item categories: streams of text
    // values whose number the totals give; their reader checks the values it
    // takes.
    RecordLayout tables;
    tables.text = true;
    tables.rowFields = 1;
    tables.action = "予想因子ウエイトを展開し直して下さい。";
    registerRecordLayout(std::string(dirs::OPTION1N) + "/*" + option1n::WEIGHT_END, tables);
}

}  // namespace kv::expansion
