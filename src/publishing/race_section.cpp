#include "publishing/race_section.h"

#include <stdexcept>

#include "betlines/bet_band.h"
#include "betlines/combo_text.h"
#include "betlines/line_helpers.h"
#include "common/codec.h"
#include "common/dates.h"
#include "prediction/writer.h"

namespace kv::pub {

namespace {

const std::string& cell(const std::vector<std::string>& v, int i) { return v.at(static_cast<std::size_t>(i)); }

const std::string& rankCell(const std::array<std::string, 19>& v, int i) {
    if (i < 0 || i > 18) throw pred::RaceDataError<std::out_of_range>("horse number beyond 18: " + std::to_string(i),
                                                         "馬番 " + std::to_string(i) + " が18を超えています。");
    return v[static_cast<std::size_t>(i)];
}

void line(std::string& out, std::string_view s) { addLine(out, s); }

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The racecourse's page name: lower-cased ASCII of [a-z0-9_-] only.
std::string venueSlug(std::string_view text, std::string_view jyoCD) {
    std::string s(text);
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (!((c >= 'a' && c <= 'z') || isDigit(c) || c == '_' || c == '-'))
            throw pred::RaceDataError<std::runtime_error>(
                "racecourse code " + std::string(jyoCD) + ": page name '" + std::string(text) +
                    "' is not lower-case letters, digits, '_' or '-'",
                "コード表の競馬場コード " + std::string(jyoCD) + " のページ名が英小文字・数字・「_」・「-」ではありません。");
    }
    return s;
}

const char* const kWeekdays[] = {"日", "月", "火", "水", "木", "金", "土"};

struct Bracket {
    const char* cls;
    bool whiteFont;
};
const Bracket kBrackets[] = {{"bgwhite", false},  {"bgblack2", true}, {"bgred", true},     {"bgblue", true},
                             {"bgyellow", false}, {"bggreen", true},  {"bgorange", false}, {"bgpink", false}};

}  // namespace

std::string zeroRule(std::string_view two) {
    if (two.empty() || !isDigit(two[0])) throw notANumber(two);
    return std::string(two[0] == '0' ? two.substr(1, 1) : two.substr(0, 2));
}

std::string blankRule(std::string_view two) {
    return std::string(!two.empty() && two[0] == ' ' ? two.substr(1, 1) : two.substr(0, 2));
}

std::string bracketRule(std::string_view two) {
    return std::string(two.size() < 2 || two[1] == ' ' ? two.substr(0, 1) : two.substr(0, 2));
}

std::string htmlEscape(std::string_view text) {
    std::string s;
    s.reserve(text.size());
    appendEscaped(s, text);
    return s;
}

void appendEscaped(std::string& s, std::string_view text) {
    std::size_t plain = 0;  // start of the run of characters taken as they are
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char* ref = nullptr;
        switch (text[i]) {
        case '&': ref = "&amp;"; break;
        case '<': ref = "&lt;"; break;
        case '>': ref = "&gt;"; break;
        case '"': ref = "&quot;"; break;
        case '\'': ref = "&#39;"; break;
        default: continue;
        }
        s.append(text.substr(plain, i - plain));
        s.append(ref);
        plain = i + 1;
    }
    s.append(text.substr(plain));
}

namespace {
// The user's name of a field that must be digits.
std::string fieldLabel(std::string_view what) {
    static const std::pair<std::string_view, const char*> names[] = {
        {"race id", "レースID"}, {"year", "年"},        {"month and day", "月日"},       {"racecourse code", "競馬場コード"},
        {"meeting", "回次"},     {"day of the meeting", "日次"}, {"race number", "レース番号"}};
    for (const auto& [en, ja] : names)
        if (en == what) return ja;
    return std::string(what);
}
}  // namespace

void requireDigits(std::string_view text, std::string_view what, std::size_t n) {
    bool ok = !text.empty() && (n == 0 || text.size() == n);
    for (char c : text) ok = ok && isDigit(c);
    if (!ok)
        throw ConversionError(std::string(what) + " '" + fromCp932(text) + "' is not digits",
                              "レースの" + fieldLabel(what) + "「" + fromCp932(text) + "」が数字ではありません。");
}

PageValues pageValuesFor(const pred::WindowState& st, int RaceIdx) {
    PageValues v;
    v.raceId = fromCp932(bet::raceIdOf(st.race.RaceHorseRec));
    v.Year = v.raceId.substr(0, 4);
    v.MonthDay = v.raceId.substr(4, 4);
    v.JyoCD = v.raceId.substr(8, 2);
    v.Kaiji = v.raceId.substr(10, 2);
    v.Nichiji = v.raceId.substr(12, 2);
    v.RaceNum = v.raceId.substr(14, 2);
    requireDigits(v.Year, "year", 4);
    requireDigits(v.MonthDay, "month and day", 4);
    requireDigits(v.JyoCD, "racecourse code", 2);
    requireDigits(v.Kaiji, "meeting", 2);
    requireDigits(v.Nichiji, "day of the meeting", 2);
    requireDigits(v.RaceNum, "race number", 2);
    v.raceKey = v.Year + v.MonthDay + v.JyoCD + v.RaceNum;
    v.dayKey = v.raceId.substr(0, 14);

    v.courseName = st.run.LookupCodeTable("2001", v.JyoCD, 4);
    v.VenueSlug = venueSlug(st.run.LookupCodeTable("2001", v.JyoCD, 6), v.JyoCD);
    v.meetingDigit = v.Kaiji.substr(1, 1);

    v.PageRaceNum = zeroRule(v.RaceNum);
    v.PageNichiji = zeroRule(v.Nichiji);
    const long long raceNo = wholeNumber(v.RaceNum);
    for (int n = 1; n <= 12; ++n) v.RaceLinkClass[static_cast<std::size_t>(n)] = raceNo == n ? "bgnabygreen" : "bgnabyblue";
    v.PageMonth = zeroRule(v.MonthDay.substr(0, 2));
    v.PageDay = zeroRule(v.MonthDay.substr(2, 2));
    const auto date = makeDate(static_cast<int>(wholeNumber(v.Year)), static_cast<int>(wholeNumber(v.PageMonth)),
                               static_cast<int>(wholeNumber(v.PageDay)));
    if (!date) throw pred::RaceDataError<std::runtime_error>("race date " + v.Year + v.MonthDay + " is no calendar date",
                                                             "レースの日付 " + fromCp932(v.Year + v.MonthDay) +
                                                                 " が暦に有りません。");
    v.PageWeekday = kWeekdays[weekday(*date) - 1];

    // The race's own bets: a position its lists lack is left out.
    const pred::RaceState& r = st.race;
    for (int k = 1; k <= 6 && k <= r.UmarenKaimeCount; ++k) {
        const std::string& p = cell(r.UmarenKaimeDisp, k);
        v.PageUmarenBets.push_back({zeroRule(p.substr(0, 2)), zeroRule(p.size() > 2 ? p.substr(2, 2) : "")});
    }
    const bet::BetBand band = bet::betBandFor(bet::torokuTosuOf(r.RaceHorseRec));
    const std::vector<std::string>& trios = st.run.KekkaMode != 0 ? r.SanrenpukuKaimeKey : r.SanrenKaime;
    for (int k = band.lastTrioFirst; k <= band.lastTrioLast && k <= r.SanrenpukuKaimeCount; ++k) {
        const std::string t = FormatSanrenpukuKumi(cell(trios, k));
        if (t.size() < 8) continue;
        v.PageTrioBets.push_back({blankRule(t.substr(0, 2)), blankRule(t.substr(3, 2)), blankRule(t.substr(6, 2))});
    }
    return v;
}

std::string pairsText(const PageValues& v, std::string_view sep) {
    std::string s;
    for (std::size_t k = 0; k < v.PageUmarenBets.size(); ++k) {
        if (k) s += sep;
        s += v.PageUmarenBets[k][0] + "-" + v.PageUmarenBets[k][1];
    }
    return s;
}

std::string triosText(const PageValues& v, std::string_view sep) {
    std::string s;
    for (std::size_t k = 0; k < v.PageTrioBets.size(); ++k) {
        if (k) s += sep;
        s += v.PageTrioBets[k][0] + "-" + v.PageTrioBets[k][1] + "-" + v.PageTrioBets[k][2];
    }
    return s;
}

RowTexts SetRowTexts(const pred::WindowState& st, int i) {
    RowTexts t;
    t.RowWaku = bracketRule(cell(st.race.Wakuban, i));
    const long long waku = wholeNumber(t.RowWaku);
    if (waku >= 1 && waku <= 8) {
        const Bracket& b = kBrackets[waku - 1];
        t.RowWakuClass = b.cls;
        if (b.whiteFont) t.RowWakuFont = "<font color=\"#ffffff\">";
    }
    t.RowYosoJuni = blankRule(rankCell(st.kept.YosoJuni, i));
    t.RowBarei = zeroRule(cell(st.race.Barei, i));
    return t;
}

bool hasRankOne(const pred::WindowState& st) {
    bool found = false;
    for (int h = 1; h <= st.race.HorseCount; ++h)  // every rank is read
        if (wholeNumber(rankCell(st.kept.YosoJuni, h)) == 1) found = true;
    return found;
}

void WriteRaceLinkTable(const PageValues& v, const SiteConfig& site, std::string& out) {
    line(out, "<table class=\"raceList\">");
    line(out, "    <tr>");
    for (int n = 1; n <= 12; ++n) {
        const ShortText num = ShortText().number(n);
        addLine(out, "        <td class=\"", v.RaceLinkClass[static_cast<std::size_t>(n)], "\"><a href=\"",
                Escaped{site.SiteAddress}, "/expectation/", v.Year, v.MonthDay, "_", v.VenueSlug, "_r", num.view(),
                ".html\" title=\"", num.view(), "R\">", num.view(), "R</a></td>");
    }
    line(out, "    </tr>");
    line(out, "</table>");
    line(out, "");
}

void WriteRaceSection(const pred::WindowState& st, int RaceIdx, const PageValues& v, const SiteConfig& site,
                      std::string& out) {
    const pred::SyosaiRow& row = st.run.Syosai.at(static_cast<std::size_t>(RaceIdx));
    WriteRaceLinkTable(v, site, out);

    line(out, "<p class=\"mt5 ml8 lh20\">");
    addLine(out, "<b>", v.PageRaceNum, "R<br />");
    addLine(out, "&nbsp;&nbsp;&nbsp;", Escaped{row[8]}, "&nbsp;&nbsp;&nbsp;", Escaped{row[9]},
            "m&nbsp;&nbsp;&nbsp;発走&nbsp;", Escaped{midChars(row[2], 0, 2)}, "：", Escaped{midChars(row[2], 2, 2)},
            "<br /><br />");
    line(out, "<img src=\"../images/arrow.png\" alt=\"arrow\">予想・買い目</b>");
    line(out, "</p>");

    line(out, "<table class=\"yosouList\">");
    line(out, "    <tr>");
    line(out, "        <th bgcolor=\"#DCDCDC\">単勝・複勝</th>");
    line(out, "        <td>出馬表の予想順位を参考にして下さい</td>");
    line(out, "    </tr>");
    line(out, "    <tr>");
    line(out, "        <th bgcolor=\"#DCDCDC\">馬連・馬単</th>");
    addLine(out, "        <td>", pairsText(v, "&nbsp;・&nbsp;"), "</td>");
    line(out, "    </tr>");
    line(out, "    <tr>");
    line(out, "        <th bgcolor=\"#DCDCDC\">３連複・３連単</th>");
    addLine(out, "        <td>", triosText(v, "&nbsp;・&nbsp;"), "</td>");
    line(out, "    </tr>");
    line(out, "</table>");

    line(out, "<p class=\"mt10 ml8 lh20\">");
    line(out, "<img src=\"../images/arrow.png\" alt=\"arrow\"><b>出馬表</b>");
    line(out, "</p>");
    line(out, "<table class=\"raceDetail\">");
    line(out, "<tr>");
    for (const char* th : {"<th>枠</th>", "<th>馬番</th>", "<th bgcolor=\"#FFD700\">予想</th>", "<th>馬名</th>",
                           "<th>性齢</th>", "<th>負担重量</th>", "<th>騎手</th>", "<th>調教師</th>"})
        addLine(out, "    ", th);
    line(out, "</tr>");
    const pred::RaceState& r = st.race;
    for (int i = 1; i <= r.HorseCount; ++i) {
        const RowTexts t = SetRowTexts(st, i);
        line(out, "<tr>");
        addLine(out, "   <td class=\"", t.RowWakuClass, "\">", t.RowWakuFont, "<b>", Escaped{t.RowWaku}, "</b></td>");
        addLine(out, "   <td>", ShortText().number(i).view(), "</td>");
        addLine(out, "   <td>", Escaped{t.RowYosoJuni}, "</td>");
        addLine(out, "   <td>", Escaped{firstChars(cell(r.Bamei, i), 9)}, "</td>");
        addLine(out, "   <td>", Escaped{cell(r.Seibetsu, i)}, Escaped{t.RowBarei}, "</td>");
        addLine(out, "   <td>", Escaped{cell(r.Futan, i)}, "kg</td>");
        addLine(out, "   <td>", Escaped{firstChars(cell(r.KishuName, i), 4)}, "</td>");
        addLine(out, "   <td>", Escaped{firstChars(cell(r.ChokyoshiName, i), 4)}, "</td>");
        line(out, "</tr>");
    }
    line(out, "</table>");
}

void WritePageHead(const PageValues& v, const SiteConfig& site, bool fullPage, std::string& out) {
    const std::string course = htmlEscape(v.courseName);
    const Escaped address{site.SiteAddress};
    line(out, "<!DOCTYPE html>");
    line(out, "");
    line(out, "<html>");
    line(out, "<head>");
    line(out, "<meta charset=\"UTF-8\">");
    auto caption = [&](const char* before, const char* after) {
        addLine(out, before, "無料競馬予想｜", course, "｜", v.meetingDigit, "回", course, v.PageNichiji, "日｜",
                v.PageRaceNum, "R", after);
    };
    if (fullPage) {
        line(out, "<meta name=\"Keywords\" content=\"無料競馬予想,無料予想,競馬,競馬予想\">");
        line(out, "<meta name=\"Description\" "
                  "content=\"毎週開催されるJRA競馬1R～3Rまでの競馬予想を無料で公開！稀に全レースを公開することも！？\">");
        caption("<title>", "</title>");
    }
    line(out, "<link rel=\"stylesheet\" type=\"text/css\" href=\"../css/common.css\">");
    if (fullPage) line(out, "<link rel=\"shortcut icon\" href=\"../images/favicon.png\">");
    line(out, "</head>");
    line(out, "<body>");
    line(out, "");
    line(out, "<div id=\"wraptop\">");
    line(out, " <div id=\"header_bk\">");
    line(out, "  <div id=\"header\">");
    caption("  <h1>", "</h1>");
    line(out, "    <div id=\"logo\">");
    line(out, "     <a href=\"/\"><img class=\"bdrad bdweb bdmoz\" src=\"../images/logo.png\" alt=\"ミルファーン\" "
              "width=\"316\" height=\"100\"></a>");
    line(out, "    </div><!--// logo-->");
    line(out, "     <div id=\"globalnavi\">");
    line(out, "         <ul>");
    struct Nav {
        const char *path, *cls, *label;
    };
    const Nav navs[] = {{"/expectation", fullPage ? "fS11 bggray" : "fS11", "競馬予想"},
                        {"/game", "fS11", "競馬ゲーム"},
                        {"/bet", "fS10", "馬券の買い方"},
                        {"/horse_race", "fS11", "競馬"},
                        {"/theory", "fS11", "競馬理論"},
                        {"/horse", "fS11", "競走馬"},
                        {"/jockey", "fS11", "騎手"},
                        {"/track", "fS11", "競馬場"},
                        {"/state", "fS11", "馬場状態"}};
    for (const Nav& n : navs)
        addLine(out, "         <li><a href=\"", address, n.path, "\" class=\"", n.cls, "\" title=\"", n.label, "\">",
                n.label, "</a></li>");
    line(out, "         </ul>");
    line(out, "     </div><!--// globalnavi-->");
    line(out, "   </div><!--// header-->");
    line(out, "  </div><!--// header_bk-->");
    line(out, "");
    line(out, "  <div id=\"container_bk\" class=\"pb30\">");
    line(out, "   <div id=\"container\">");
    line(out, "");
    addLine(out, "<div id=\"pan\"><a href=\"/\">ホーム</a>&nbsp;/&nbsp;<a href=\"", address,
            "/expectation\">競馬予想</a>&nbsp;/&nbsp;", course, "</div><!--// pan-->");
    line(out, "");
    line(out, "<div id=\"maincol\" class=\"clear\">");
    line(out, "<!-- 本文はここから始まっています -->");
    line(out, "<h2 class=\"b f18\"><img src=\"../images/subicon.png\" align=\"left\">無料競馬予想</h2>");
    line(out, "<p class=\"mt10 ml8 lh20\">");
    addLine(out, "<b>", v.Year, "年", v.PageMonth, "月", v.PageDay, "日(", v.PageWeekday, ")</b>");
    line(out, "</p>");
    line(out, "<div id=\"yosounavi\">");
    line(out, "     <ul>");
    for (const char* venue : {"nakayama", "hanshin", "chukyo"})
        addLine(out, "         <li><a href=\"", address, "/expectation/", v.Year, v.MonthDay, "_", venue,
                ".html\" class=\"\"></a></li>");
    line(out, "     </ul>");
    line(out, "</div><!--// yosounavi-->");
    line(out, "");
}

void WriteFooterLines(const SiteConfig& site, std::string& out) {
    const Escaped address{site.SiteAddress};
    auto link = [&](const char* path, const char* label) {
        appendPiece(out, "┃<a href=\"");
        appendPiece(out, address);
        appendPiece(out, path);
        appendPiece(out, "\">");
        appendPiece(out, label);
        appendPiece(out, "</a>");
    };
    appendPiece(out, "            <p class=\"");
    appendPiece(out, Escaped{site.FooterParagraphClass});
    appendPiece(out, "\">");
    link("/info/kiyaku.html", "運営者・規約");
    link("/info/link.html", "リンク");
    link("/info/links.html", "相互リンク");
    appendPiece(out, "┃<a href=\"mailto:");
    appendPiece(out, Escaped{site.SiteContactMail});
    appendPiece(out, "\">お問い合わせ</a>");
    addLine(out, "┃<br />");
    addLine(out, "            <br />", Escaped{site.RightsNotice}, "<a href=\"/\">ミルファーン</a></p>");
}

}  // namespace kv::pub
