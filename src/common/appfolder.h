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
}  // namespace files

}  // namespace kv
