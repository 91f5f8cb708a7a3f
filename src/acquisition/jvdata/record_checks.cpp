#include "acquisition/jvdata/jvdata.h"
#include "common/appfolder.h"
#include "common/numbers.h"
#include "common/recordcheck.h"

namespace kv::jv {
namespace {

std::string redo(const std::string& step) { return step + "をやり直して下さい。"; }

bool blank(std::string_view v) { return v.find_first_not_of(' ') == std::string_view::npos; }

bool digitsOrBlank(std::string_view v) {
    return blank(v) || v.find_first_not_of("0123456789") == std::string_view::npos;
}

// A jockey's birth year as the factor of the jockey's age reads it: four
// digits, or blanks for a jockey whose birth date is not known. The month
// and the day are shown as delivered, never read as numbers.
const DigitField kJockeyBirthYear{Field{KsRecord::BirthDate.off, 4}, "生年", "birth year", digitsOrBlank};

// The times of a run as the speeds read them: blanks (no time), or a
// decimal number (kv::strictNumber); the time of the whole race also its
// minutes (the first character) and its seconds and tenths (the other three).
bool furlongTime(std::string_view v) { return blank(v) || strictNumber(v).has_value(); }
bool raceTime(std::string_view v) {
    return blank(v) || (strictNumber(v) && strictNumber(v.substr(0, 1)) && strictNumber(v.substr(1)));
}

const DigitField kMakeDate{Head::MakeDate, "作成日", "make date"};
const DigitField kRaceKey{RaceIdHead::RaceId, "レースキー", "race key"};

RecordLayout raceBound(std::size_t length, std::string action) {
    RecordLayout l;
    l.length = length;
    l.crlf = true;
    l.text = true;
    l.digits = {kMakeDate, kRaceKey};
    l.action = std::move(action);
    return l;
}

RecordLayout runners(std::string action) {
    RecordLayout l = raceBound(SeRecord::kLength, std::move(action));
    l.digits.push_back({SeRecord::Umaban, "馬番", "horse number"});
    l.digits.push_back({SeRecord::KettoNum, "血統登録番号", "registration number"});
    return l;
}

RecordLayout horses(std::string action) {
    RecordLayout l;
    l.length = UmRecord::kLength;
    l.crlf = true;
    l.text = true;
    l.digits = {kMakeDate, {UmRecord::KettoNum, "血統登録番号", "registration number"},
                {UmRecord::BirthDate, "生年月日", "birth date"}};
    l.action = std::move(action);
    return l;
}

}  // namespace

void registerRecordChecks() {
    const std::string fetch = redo("①今週開催取得");
    const std::string structure = redo("②構造・中止処理");
    const std::string odds = redo("「今週のオッズ」");
    const std::string liveOdds = redo("「Ⅱ　速報オッズ情報」");
    const std::string liveResults = redo("「Ⅲ　速報着順等情報」");

    // Races and runners come again when their data is delivered again (a
    // record of a later data kind): their keys may repeat.
    RecordLayout ra = raceBound(RaRecord::kLength, fetch);
    ra.needsRecords = true;
    registerRecordLayout(files::RA, ra);
    RecordLayout se = runners(fetch);
    se.needsRecords = true;
    registerRecordLayout(files::SE, se);
    RecordLayout um = horses(fetch);
    um.needsRecords = true;
    registerRecordLayout(files::UM, um);
    RecordLayout ks;
    ks.length = KsRecord::kLength;
    ks.crlf = true;
    ks.text = true;
    ks.digits = {kMakeDate, {KsRecord::KisyuCode, "騎手コード", "jockey code"}, kJockeyBirthYear};
    ks.action = fetch;
    registerRecordLayout(files::KS, ks);
    registerRecordLayout(files::HR, raceBound(HrRecord::kLength, fetch));

    // The supplied jockey and horse files of OPTION1N.
    const std::string supplied = "OPTION1N フォルダの統計ファイルを入れ直して下さい。";
    ks.action = supplied;
    ks.needsRecords = true;
    registerRecordLayout(std::string(dirs::OPTION1N) + "/" + option1n::KS_SUPPLIED, ks);
    RecordLayout hn;
    hn.length = HnRecord::kLength;
    hn.crlf = true;
    hn.text = true;
    hn.digits = {kMakeDate, {HnRecord::KettoNum, "血統登録番号", "registration number"}};
    hn.action = supplied;
    registerRecordLayout(std::string(dirs::OPTION1N) + "/" + option1n::HN_SUPPLIED, hn);

    registerRecordLayout(files::RA_NEW, raceBound(RaRecord::kLength, structure));
    registerRecordLayout(files::RA_NEW_D, raceBound(RaRecord::kLength, structure));
    registerRecordLayout(files::SE_NEW, runners(structure));
    registerRecordLayout(files::SE_NEW_D, runners(structure));
    registerRecordLayout(files::UM_NEW, horses(structure));
    // Each horse's runs, its entry last (an empty file: a horse with no runs),
    // copied from runner records whose text was checked as they were read;
    // the calculation reads their times as numbers.
    RecordLayout runs = runners(structure);
    runs.text = false;
    runs.nulFree = true;
    runs.digits.push_back({SeRecord::Time, "走破タイム", "race time", raceTime});
    runs.digits.push_back({SeRecord::HaronTimeL3, "後3ハロンタイム", "last three furlongs time", furlongTime});
    registerRecordLayout(std::string(dirs::UMAGOTO) + "/*" + suffix::DAT, runs);
    // This week's horses and dams, one quoted registration number a line (a
    // number listed again is passed over and noted by the lists' reader).
    RecordLayout list;
    list.length = 14;
    list.crlf = true;
    list.text = true;
    list.digits = {{Field{1, 10}, "登録番号", "registration number"}};
    list.action = structure;
    registerRecordLayout(files::KETTONUM_LIST, list);
    registerRecordLayout(files::HAHA_LIST, list);

    registerRecordLayout(files::O2_WEEK, raceBound(O2Record::kLength, odds));
    registerRecordLayout(files::O4_WEEK, raceBound(O4Record::kLength, odds));
    registerRecordLayout(files::O5_WEEK, raceBound(O5Record::kLength, odds));
    registerRecordLayout(files::O6_WEEK, raceBound(O6Record::kLength, redo("「今週の3連単」")));

    // Live files: a record is replaced by its newer version, keys may repeat.
    registerRecordLayout(files::O1_LIVE, raceBound(O1Record::kLength, liveOdds));
    registerRecordLayout(files::O2_LIVE, raceBound(O2Record::kLength, liveOdds));
    registerRecordLayout(files::O4_LIVE, raceBound(O4Record::kLength, liveOdds));
    registerRecordLayout(files::O5_LIVE, raceBound(O5Record::kLength, liveOdds));
    registerRecordLayout(files::O6_LIVE, raceBound(O6Record::kLength, liveOdds));
    registerRecordLayout(files::RA_LIVE, raceBound(RaRecord::kLength, liveResults));
    registerRecordLayout(files::SE_LIVE, runners(liveResults));
    registerRecordLayout(files::HR_LIVE, raceBound(HrRecord::kLength, liveResults));
}

}  // namespace kv::jv
