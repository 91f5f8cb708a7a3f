#include "common/recordcheck.h"
#include "expansion/stats/stat_files.h"
#include "expansion/stats/stat_records.h"

namespace kv::stats {
namespace {

// Records of CP932 text ending in CR LF, as every record file. The keys are
// compared as text, as the supplier wrote them (letters and blanks too); the
// first or last of equal keys wins.
RecordLayout statLayout(std::size_t length, std::string action) {
    RecordLayout l;
    l.length = length;
    l.crlf = true;
    l.text = true;
    l.action = std::move(action);
    return l;
}

}  // namespace

void registerRecordChecks() {
    const std::string folder = std::string(dirs::OPTION1N) + "/";
    const std::string supplied = "OPTION1N フォルダの統計ファイルを入れ直して下さい。";
    const std::string calculated = "⑤計算をやり直して下さい。";
    for (const char* name : {names::STALLION, names::MARE, names::HAHAUMA})
        registerRecordLayout(folder + name, statLayout(ParentStatRecord::kLength, supplied));
    registerRecordLayout(folder + names::HAHAUMA_WEEK, statLayout(ParentStatRecord::kLength, calculated));
    registerRecordLayout(folder + names::KYOSOBA, statLayout(KyosobaStatRecord::kLength, supplied));
    registerRecordLayout(folder + names::KYOSOBA_WEEK, statLayout(KyosobaStatRecord::kLength, calculated));
    for (const char* name : {names::KISHUSEISEI, names::CHOKYOSEISEI})
        registerRecordLayout(folder + name, statLayout(SeisekiStatRecord::kLength, supplied));
    registerRecordLayout(folder + names::HNSK, statLayout(NumberPairRecord::kLength, supplied));
}

}  // namespace kv::stats
