#include "publishing/html_pages.h"

#include <stdexcept>

#include "common/appfolder.h"
#include "common/recordfile.h"

namespace kv::pub {

namespace {

void line(std::string& out, std::string_view s) {
    out += s;
    out += "\r\n";
}

std::string quoted(std::string_view s) { return "\"" + std::string(s) + "\""; }

// One advertising unit: eleven lines, each behind indent.
void adUnit(std::string& out, const SiteConfig& site, bool side) {
    const std::string in = side ? "    " : "";
    line(out, in + (side ? "<script type=\"Text/javascript\"><!--" : "<script type=\"text/javascript\"><!--"));
    line(out, in + "google_ad_client = " + quoted(htmlEscape(site.AdClient)) + ";");
    line(out, in + (side ? "/* 160x600, 作成済み 09/12/11 */" : "/* 728x90, 作成済み 09/12/20 */"));
    line(out, in + "google_ad_slot = " + quoted(htmlEscape(side ? site.AdSlotSide : site.AdSlotMain)) + ";");
    line(out, in + (side ? "google_ad_width = 160;" : "google_ad_width = 728;"));
    line(out, in + (side ? "google_ad_height = 600;" : "google_ad_height = 90;"));
    line(out, in + "//-->");
    line(out, in + "</script>");
    line(out, in + "<script type=\"text/javascript\"");
    line(out, in + "src=" + quoted(htmlEscape(site.AdLoaderScript)) + ">");
    line(out, in + "</script>");
}

// The analytics tag: nine lines.
void analyticsTag(std::string& out, const SiteConfig& site) {
    line(out, "<script type=\"text/javascript\">");
    line(out, "var gaJsSrc = ((\"https:\" == document.location.protocol) ? " +
                  quoted(htmlEscape(site.AnalyticsSecureScript)) + " : " + quoted(htmlEscape(site.AnalyticsPlainScript)) +
                  ");");
    line(out, "document.write(unescape(\"%3Cscript src='\" + gaJsSrc + \"' type='text/javascript'%3E%3C/script%3E\"));");
    line(out, "</script>");
    line(out, "<script type=\"text/javascript\">");
    line(out, "try {");
    line(out, "var pageTracker = _gat._getTracker(" + quoted(htmlEscape(site.AnalyticsId)) + ");");
    line(out, "pageTracker._trackPageview();");
    line(out, "} catch(err) {}</script>");
}

// The end of the main column to the end of the page container, shared by both pages.
void containerClose(std::string& out, const SiteConfig& site) {
    line(out, "        </div><!--// container-->");
    line(out, "    </div><!--// container_bk-->");
    line(out, "");
    line(out, "    <div id=\"footer_bk\">");
    line(out, "        <div id=\"footer\">");
    WriteFooterLines(site, out);
    line(out, "        </div><!--// footer-->");
    line(out, "    </div><!--// footer_bk-->");
    line(out, "");
    line(out, "</div><!--// wraptop-->");
    line(out, "");
}

}  // namespace

std::string yosouPageName(const PageValues& v) {
    return std::string(dirs::YOSOU_HTML) + "/" + v.Year + v.MonthDay + "_" + v.VenueSlug + "_r" + v.PageRaceNum + ".txt";
}

std::string pdfDayPageName(const PageValues& v) {
    return std::string(dirs::WP) + "/" + v.Year + v.MonthDay + "_" + v.VenueSlug + "_pdf.txt";
}

std::string yosouPageText(const pred::WindowState& st, int RaceIdx, const PageValues& v, const SiteConfig& site) {
    std::string out;
    out.reserve(24000);
    WritePageHead(v, site, true, out);
    WriteRaceSection(st, RaceIdx, v, site, out);
    WriteRaceLinkTable(v, site, out);
    line(out, "<!--// maincol--></div>");
    line(out, "");

    const std::string address = htmlEscape(site.SiteAddress);
    line(out, "<div id=\"subnav\"><a href=" + quoted(address + "/expectation") +
                  "><img src=\"../images/links_expectation.png\" width=\"200\" height=\"50\" alt=\"競馬予想\"></a>");
    line(out, "<div id=\"subnavTitle\"></div>");
    line(out, "    <ul>");
    struct Item {
        const char *path, *label;
    };
    for (const Item& i : {Item{"/expectation/charge.html", "競馬予想(有料版)"},
                          Item{"/expectation/free.html", "競馬予想(一部無料版)"},
                          Item{"/expectation/database.html", "競馬予想(過去分)"},
                          Item{"/expectation/hitlist.html", "的中情報"}})
        line(out, "        <li><a href=" + quoted(address + i.path) + ">" + i.label + "</a></li>");
    line(out, "    </ul>");
    line(out, "</div><!--// subnav-->");
    line(out, "");
    line(out, "<div id=\"submenu_ad1\">");
    adUnit(out, site, true);
    line(out, "</div><!--// submenu_ad1-->");
    line(out, "<div id=\"mainad\">");
    adUnit(out, site, false);
    line(out, "</div><!--// mainad-->");
    line(out, "");
    containerClose(out, site);
    line(out, "<!-- Google Analytics code -->");
    analyticsTag(out, site);
    line(out, "<!-- Google Analytics code -->");
    line(out, "");
    line(out, "</body>");
    line(out, "</html>");
    return out;
}

void YosouHtmlPageWriter::writeRace(pred::WindowState& st, int RaceIdx) {
    const PageValues v = pageValuesFor(st, RaceIdx);
    if (v.raceKey == LastYosouRaceKey) return;
    LastYosouRaceKey = v.raceKey;
    // Built whole, then written in one go: a failure never leaves a cut page.
    const std::string text = yosouPageText(st, RaceIdx, v, site_);
    const std::string path = appFile(yosouPageName(v));
    if (!writeFileAtomic(path, text)) throw std::runtime_error("cannot write " + path);
}

void PdfDayPageWriter::writeRace(pred::WindowState& st, int RaceIdx) {
    const PageValues v = pageValuesFor(st, RaceIdx);
    const std::string path = appFile(pdfDayPageName(v));
    std::string out;
    if (days_.isNew(v.dayKey)) WritePageHead(v, site_, false, out);
    try {
        if (hasRankOne(st)) WriteRaceSection(st, RaceIdx, v, site_, out);
        if (v.PageRaceNum == "12") {
            line(out, "<!--// maincol--></div>");
            line(out, "");
            containerClose(out, site_);
            line(out, "</body>");
            line(out, "</html>");
        }
    } catch (...) {
        days_.write(v.dayKey, path, out);  // the lines before the failure stay
        throw;
    }
    if (!days_.write(v.dayKey, path, out)) throw std::runtime_error("cannot write " + path);
}

std::unique_ptr<pred::Writer> makeYosouHtmlPageWriter() { return std::make_unique<YosouHtmlPageWriter>(); }
std::unique_ptr<pred::Writer> makePdfDayPageWriter() { return std::make_unique<PdfDayPageWriter>(); }

}  // namespace kv::pub
