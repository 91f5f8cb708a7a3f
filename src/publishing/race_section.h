// The values every publishing writer prints for the current race (date texts,
// race number, link classes, bet numbers, the racecourse's names) and the race
// section of the prediction pages: race link table, race heading, bet table and
// race card. Texts are UTF-8; lines end with CR LF.
#pragma once
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "prediction/window_state.h"
#include "publishing/site_config.h"

namespace kv::pub {

// Two-character texts as plain numbers. Each throws ConversionError where the
// text cannot be read.
// Zero rule: a first character "0" leaves the second alone, another digit both;
// anything else (blank, empty) fails.
std::string zeroRule(std::string_view two);
// Blank rule: a first character blank leaves the second alone, else both.
std::string blankRule(std::string_view two);
// Bracket rule: a second character blank (or none) leaves the first alone, else both.
std::string bracketRule(std::string_view two);

// & < > " ' as character references.
std::string htmlEscape(std::string_view text);
// The same, added to the end of out.
void appendEscaped(std::string& out, std::string_view text);

// A piece of a line that is added escaped.
struct Escaped {
    std::string_view text;
};
inline void appendPiece(std::string& out, std::string_view s) { out.append(s); }
inline void appendPiece(std::string& out, Escaped e) { appendEscaped(out, e.text); }

// The pieces added to out as one line, ended by CR LF.
template <class... Pieces>
void addLine(std::string& out, const Pieces&... pieces) {
    (appendPiece(out, pieces), ...);
    out.append("\r\n");
}

// Throws unless text is digits only (n of them when n > 0); what names it in the message.
void requireDigits(std::string_view text, std::string_view what, std::size_t n = 0);

// The race's values, computed from the window state by pageValuesFor.
struct PageValues {
    // Members of the race id (digits checked).
    std::string Year, MonthDay, JyoCD, Kaiji, Nichiji, RaceNum;
    std::string raceId, raceKey, dayKey;
    std::string courseName;    // code table 2001, column 4; empty without a row
    std::string VenueSlug;     // column 6 in lower case: [a-z0-9_-] only, may be empty
    std::string meetingDigit;  // the units digit of the meeting
    std::string PageRaceNum, PageNichiji, PageMonth, PageDay, PageWeekday;
    std::array<std::string, 13> RaceLinkClass{};  // entries 1..12
    // The race's own bets: pairs of positions 1-6 and the trios of the last
    // trio line its registered count gives, as far as its lists hold them.
    std::vector<std::array<std::string, 2>> PageUmarenBets;
    std::vector<std::array<std::string, 3>> PageTrioBets;
};

// Throws (ConversionError or runtime_error) when the race id, race number or
// date cannot be read or the page name is not usable in a file name.
PageValues pageValuesFor(const pred::WindowState& st, int RaceIdx);

// Bets as printed: pairs "3-12" and trios "3-7-12", joined by sep.
std::string pairsText(const PageValues& v, std::string_view sep);
std::string triosText(const PageValues& v, std::string_view sep);

// The values of one race-card row.
struct RowTexts {
    std::string RowWaku, RowWakuClass, RowWakuFont, RowYosoJuni, RowBarei;
};
// Throws ConversionError for a bracket that is no number or an age that fails
// the zero rule. A bracket outside 1 to 8 has no class and no font.
RowTexts SetRowTexts(const pred::WindowState& st, int i);

// The lines below are appended to out; a failure leaves the lines before it.
void WriteRaceLinkTable(const PageValues& v, const SiteConfig& site, std::string& out);
void WriteRaceSection(const pred::WindowState& st, int RaceIdx, const PageValues& v, const SiteConfig& site,
                      std::string& out);

// Head and header of the prediction page (fullPage) or of the printable day page.
void WritePageHead(const PageValues& v, const SiteConfig& site, bool fullPage, std::string& out);
// The footer link line and the rights notice line.
void WriteFooterLines(const SiteConfig& site, std::string& out);

// True when some horse 1..HorseCount has predicted rank 1 (ranks read as numbers).
bool hasRankOne(const pred::WindowState& st);

}  // namespace kv::pub
