// The application folder and the program's file and folder names.
#pragma once
#include <string>
#include <string_view>

namespace kv {

// The application folder with a trailing "/": the executable's folder unless
// set with SetAppPath (the command-line driver's and the tests' --app-dir).
const std::string& GetAppPath();
void SetAppPath(const std::string& dir);
// The application folder followed by a relative name written with "\" or "/".
std::string appFile(std::string_view relative);
// Joins a folder and a name with exactly one "/".
std::string joinPath(std::string_view dir, std::string_view name);
// True when a name read from a file can be used as a file name inside a folder
// (no folder separators, slash or backslash, no NUL, not "." or "..").
bool SafeFileName(std::string_view name);

// Folder names under the application folder (case matters on Linux).
namespace dirs {
inline constexpr const char* OPTION1N = "OPTION1N";
inline constexpr const char* JRACODE = "JRACODE";
inline constexpr const char* UMAGOTO = "UMAGOTOTHISWEEKN";
inline constexpr const char* UMAGOTOEX = "UMAGOTOEXTHISWEEKN";
inline constexpr const char* RACE = "RACE";
inline constexpr const char* KAIME = "KAIME";
inline constexpr const char* TEKICHU = "TEKICHU";
inline constexpr const char* SHUTSUBAHYO = "SHUTSUBAHYO";
inline constexpr const char* SOKUDO = "SOKUDO";
inline constexpr const char* TANFUKU = "TANFUKU";
inline constexpr const char* TANFUKU2 = "TANFUKU2";
inline constexpr const char* TANSHO = "TANSHO";
inline constexpr const char* UMAREN = "UMAREN";
inline constexpr const char* WIDE = "WIDE";
inline constexpr const char* UMATAN = "UMATAN";
inline constexpr const char* SANRENPUKU = "SANRENPUKU";
inline constexpr const char* SANRENTAN = "SANRENTAN";
inline constexpr const char* YOSOU_HTML = "tavlen_yosou";
inline constexpr const char* WP = "tavlen_wp";
inline constexpr const char* FUKUSHO = "FUKUSHO";
inline constexpr const char* PDF = "tavlen_pdf";
// The JV-Link emulator's feed folder (docs/jvfeed.md).
inline constexpr const char* JVFEED = "jvfeed";
// The sample week's answers, beside its feed (tools/sample).
inline constexpr const char* SAMPLE = "sample";
}  // namespace dirs

// Record and text files of the week (relative to the application folder).
namespace files {
inline constexpr const char* RA = "RATHISWEEKN.dat";
inline constexpr const char* SE = "SETHISWEEKN.dat";
inline constexpr const char* UM = "UMTHISWEEKN.dat";
inline constexpr const char* KS = "KSTHISWEEKN.dat";
inline constexpr const char* HR = "HRTHISWEEKN.dat";
inline constexpr const char* RA_NEW = "RATHISWEEKNNEW.dat";
inline constexpr const char* SE_NEW = "SETHISWEEKNNEW.dat";
inline constexpr const char* UM_NEW = "UMTHISWEEKNNEW.dat";
inline constexpr const char* RA_NEW_D = "RATHISWEEKNNEWd.dat";
inline constexpr const char* SE_NEW_D = "SETHISWEEKNNEWd.dat";
inline constexpr const char* KETTONUM_LIST = "KETTONUMTHISWEEKN.dat";
inline constexpr const char* HAHA_LIST = "HAHAHANNUMTHISWEEKN.dat";
inline constexpr const char* TEMPORARY = "TEMPORARY";
inline constexpr const char* O1_LIVE = "O1RIALTIME.dat";
inline constexpr const char* O2_LIVE = "O2RIALTIME.dat";
inline constexpr const char* O4_LIVE = "O4RIALTIME.dat";
inline constexpr const char* O5_LIVE = "O5RIALTIME.dat";
inline constexpr const char* O6_LIVE = "O6RIALTIME.dat";
inline constexpr const char* RA_LIVE = "RARIALTIME.dat";
inline constexpr const char* SE_LIVE = "SERIALTIME.dat";
inline constexpr const char* HR_LIVE = "HRRIALTIME.dat";
inline constexpr const char* O2_WEEK = "O2THISWEEKN.dat";
inline constexpr const char* O4_WEEK = "O4THISWEEKN.dat";
inline constexpr const char* O5_WEEK = "O5THISWEEKN.dat";
inline constexpr const char* O6_WEEK = "O6THISWEEKN.dat";
inline constexpr const char* RACE_INDEX = "RACETHISWEEKN.dat";
inline constexpr const char* RACE_SYOSAI = "RACETHISWEEKNSYOSAI.dat";
inline constexpr const char* CODE_TABLE = "JRACODE/CodeTable.csv";
inline constexpr const char* STEPSTATE = "STEPSTATE.txt";
// The self-extractor of the factor weights, started after a download and after structure processing.
inline constexpr const char* SELF_EXTRACTOR = "NEWSFX.EXE";
}  // namespace files

// File names inside the folder OPTION1N.
namespace option1n {
inline constexpr const char* STALLION = "STALLION.dat";
inline constexpr const char* MARE = "MARE.dat";
inline constexpr const char* HAHAUMA = "HAHAUMA.dat";
inline constexpr const char* HAHAUMA_WEEK = "HAHAUMATHISWEEK.dat";
inline constexpr const char* KYOSOBA = "KYOSOBA.dat";
inline constexpr const char* KYOSOBA_WEEK = "KYOSOBATHISWEEK.dat";
inline constexpr const char* KISHUSEISEI = "KISHUSEISEI.dat";
inline constexpr const char* CHOKYOSEISEI = "CHOKYOSEISEI.dat";
inline constexpr const char* HNSK = "HNSKOPTION1N.dat";
inline constexpr const char* NANDAIFL = "NANDAIFLOPTION1N.dat";
inline constexpr const char* KS_SUPPLIED = "KS20190101NEW.dat";   // stored KsRecord layout, 4161 bytes
inline constexpr const char* HN_SUPPLIED = "HN20190101NEW.dat";   // HnRecord, 251 bytes
// The factor weight tables of a surface: [WEIGHT_QA1] + surface + table + WEIGHT_END,
// e.g. "QA1SibaTotalData201901N2025.dat", "DirtItemCategory201901N2025.dat".
inline constexpr const char* WEIGHT_TURF = "Siba";
inline constexpr const char* WEIGHT_DIRT = "Dirt";
inline constexpr const char* WEIGHT_HURDLE = "Shog";
inline constexpr const char* WEIGHT_QA1 = "QA1";  // before the totals and the three weight tables
inline constexpr const char* WEIGHT_TOTAL = "TotalData";
inline constexpr const char* WEIGHT_CATEGORY = "ItemCategory";
inline constexpr const char* WEIGHT_CATEGORY_COUNT = "ItemCategoryCount";
inline constexpr const char* WEIGHT_SOHA = "SohaWeightData";
inline constexpr const char* WEIGHT_AGARI = "AgariWeightData";
inline constexpr const char* WEIGHT_PACE = "PaceWeightData";
inline constexpr const char* WEIGHT_END = "201901N2025.dat";
}  // namespace option1n

// File names inside the output folders that do not depend on a key.
namespace infolder {
inline constexpr const char* RACEID = "RACEID.txt";              // SOKUDO
inline constexpr const char* RACEID_INDEX = "RACEIDYMDLKN.txt";  // TEKICHU
inline constexpr const char* ATARILIST = "ATARILIST.txt";        // TEKICHU
}  // namespace infolder

// File names inside the feed folder dirs::JVFEED.
namespace feed {
inline constexpr const char* CONTROL = "control.txt";  // downloads, injected errors, cancellation
inline constexpr const char* RECORDS = ".jvd";         // the ending of a file of records
// The feed's folders, one for each kind of JV-Link data, under the names
// JVOpen and JVRTOpen take.
inline constexpr const char* WEEK = "TOKURACETCVNRCVN";   // stored data of the week
inline constexpr const char* ODDS = "TOKURACETCOVRCOV";   // the week's odds
inline constexpr const char* LIVE_ODDS = "0B30";          // live odds, one file per race
inline constexpr const char* LIVE_RESULTS = "0B12";       // live results, one file per day
}  // namespace feed

// File names inside the folder dirs::SAMPLE.
namespace sample {
inline constexpr const char* HIDDEN_ABILITY = "hidden_ability.csv";  // each horse's hidden ability
inline constexpr const char* WEEK_RESULTS = "week_results.csv";      // the week's finishing orders
}  // namespace sample

// The endings of file names that follow a key: the DayKey (day files), the
// RaceKey (files under RACE and KAIME) or a horse's KettoNum (run files).
namespace suffix {
// Day files under TEKICHU; "RCM" names are the result-mode ones.
inline constexpr const char* LUP = "lup.txt";
inline constexpr const char* LUP_RCM = "lupRCM.txt";
inline constexpr const char* TEKICHU = "tekichu.txt";
inline constexpr const char* LUP_PC = "lupPC.txt";
inline constexpr const char* LUP_RCM_PC = "lupRCMPC.txt";
inline constexpr const char* TEKICHU_PC = "tekichuPC.txt";
inline constexpr const char* KAITEKI = "kaiteki.txt";
inline constexpr const char* KAITEKI_PC = "kaitekiPC.txt";
inline constexpr const char* TWI = "twi.txt";
inline constexpr const char* TWI_RCM = "twiRCM.txt";
// Day files under SHUTSUBAHYO.
inline constexpr const char* MMK = "mmk.txt";
inline constexpr const char* MMK_RCM = "mmkRCM.txt";
// Day files under TANFUKU and TANFUKU2.
inline constexpr const char* TNFK = "tnfk.csv";
inline constexpr const char* TNFK_RCM = "tnfkRCM.csv";
inline constexpr const char* TNFK2 = "tnfk2.csv";
inline constexpr const char* TNFK_RCM2 = "tnfkRCM2.csv";
// Files under KAIME behind the RaceKey: sorted bets, pair and trio candidates, odds tables.
inline constexpr const char* SORT = "SORT.dat";
inline constexpr const char* LUPSORT = "LUPSORT.dat";
inline constexpr const char* UMARENSORT = "UMARENSORT.dat";
inline constexpr const char* UMATANSORT = "UMATANSORT.dat";
inline constexpr const char* SANRENSORT = "SANRENSORT.dat";
inline constexpr const char* SANRENTANSORT = "SANRENTANSORT.dat";
inline constexpr const char* UMARENODDS = "UMARENODDS.dat";
inline constexpr const char* UMATANODDS = "UMATANODDS.dat";
inline constexpr const char* SANRENODDS = "SANRENODDS.dat";
inline constexpr const char* SANRENTANODDS = "SANRENTANODDS.dat";
// Race-horse files under RACE, the candidates under KAIME and the run files under
// UMAGOTOTHISWEEKN: the key and ".dat".
inline constexpr const char* DAT = ".dat";
// Expanded run files under UMAGOTOEXTHISWEEKN: the KettoNum and "EX.dat".
inline constexpr const char* EX = "EX.dat";
// Ticket CSV files: date, racecourse, race number and "R.csv".
inline constexpr const char* TICKET = "R.csv";
// A file being written, before it is renamed into place: the name, ".tmp" and a number.
inline constexpr const char* TEMP = ".tmp";
}  // namespace suffix

// The speed CSV file of a day under SOKUDO: "HR" + yyyymmdd + ".csv".
inline std::string speedCsvName(std::string_view ymd) { return "HR" + std::string(ymd) + ".csv"; }

// The pages published for a race day, relative to the application folder, from
// the day (yyyymmdd), the racecourse's name in the pages and the race number:
// the prediction page of a race, the printable day page and the WordPress blocks of the day.
inline std::string yosouPageName(std::string_view ymd, std::string_view venue, std::string_view race) {
    return std::string(dirs::YOSOU_HTML) + "/" + std::string(ymd) + "_" + std::string(venue) + "_r" +
           std::string(race) + ".txt";
}
inline std::string pdfDayPageName(std::string_view ymd, std::string_view venue) {
    return std::string(dirs::WP) + "/" + std::string(ymd) + "_" + std::string(venue) + "_pdf.txt";
}
inline std::string wpDayFileName(std::string_view ymd, std::string_view venue) {
    return std::string(dirs::WP) + "/" + std::string(ymd) + "-" + std::string(venue) + ".txt";
}

}  // namespace kv
