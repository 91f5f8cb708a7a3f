#include "common/recordcheck.h"
#include "expansion/stats/stat_files.h"
#include "expansion/stats/stat_records.h"

namespace kv::stats {
namespace {

// Records ending in CR LF whose key must be digits; keys may repeat (the
// first or last of them wins).
RecordLayout statLayout(std::size_t length, Field key, const char* name, const char* english, std::string action) {
    RecordLayout l;
    l.length = length;
    l.crlf = true;
    l.digits = {{key, name, english}};
    l.action = std::move(action);
    return l;
}

}  // namespace

void registerRecordChecks() {
    const std::string folder = std::string(dirs::OPTION1N) + "/";
    const std::string supplied = "OPTION1N フォルダの統計ファイルを入れ直して下さい。";
    const std::string calculated = "⑤計算をやり直して下さい。";
    for (const char* name : {names::STALLION, names::MARE, names::HAHAUMA})
        registerRecordLayout(folder + name, statLayout(ParentStatRecord::kLength, ParentStatRecord::HansyokuNum,
                                                       "繁殖登録番号", "breeding number", supplied));
    registerRecordLayout(folder + names::HAHAUMA_WEEK, statLayout(ParentStatRecord::kLength, ParentStatRecord::HansyokuNum,
                                                                  "繁殖登録番号", "breeding number", calculated));
    registerRecordLayout(folder + names::KYOSOBA, statLayout(KyosobaStatRecord::kLength, KyosobaStatRecord::KettoNum,
                                                             "血統登録番号", "registration number", supplied));
    registerRecordLayout(folder + names::KYOSOBA_WEEK, statLayout(KyosobaStatRecord::kLength, KyosobaStatRecord::KettoNum,
                                                                  "血統登録番号", "registration number", calculated));
    for (const char* name : {names::KISHUSEISEI, names::CHOKYOSEISEI})
        registerRecordLayout(folder + name, statLayout(SeisekiStatRecord::kLength, SeisekiStatRecord::StatCode, "コード",
                                                       "code", supplied));
    registerRecordLayout(folder + names::HNSK, statLayout(NumberPairRecord::kLength, NumberPairRecord::Num1,
                                                          "繁殖登録番号", "breeding number", supplied));
}

}  // namespace kv::stats
