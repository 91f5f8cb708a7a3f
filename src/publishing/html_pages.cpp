#include "publishing/html_pages.h"

#include <stdexcept>

#include "betlines/day_append.h"
#include "common/appfolder.h"
#include "common/recordfile.h"
#include "prediction/writer.h"

namespace kv::pub {

namespace {

void line(std::string& out, std::string_view s) { addLine(out, s); }

// One advertising unit: eleven lines, each behind indent.
void adUnit(std::string& out, const SiteConfig& site, bool side) {
    const std::string_view in = side ? "    " : "";
    addLine(out, in, side ? "<script type=\"Text/javascript\"><!--" : "<script type=\"text/javascript\"><!--");
    addLine(out, in, "google_ad_client = \"", Escaped{site.AdClient}, "\";");
    addLine(out, in, side ? "/* 160x600, 作成済み 09/12/11 */" : "/* 728x90, 作成済み 09/12/20 */");
    addLine(out, in, "google_ad_slot = \"", Escaped{side ? site.AdSlotSide : site.AdSlotMain}, "\";");
    addLine(out, in, side ? "google_ad_width = 160;" : "google_ad_width = 728;");
    addLine(out, in, side ? "google_ad_height = 600;" : "google_ad_height = 90;");
    addLine(out, in, "//-->");
    addLine(out, in, "</script>");
    addLine(out, in, "<script type=\"text/javascript\"");
    addLine(out, in, "src=\"", Escaped{site.AdLoaderScript}, "\">");
    addLine(out, in, "</script>");
}

// The analytics tag: nine lines.
void analyticsTag(std::string& out, const SiteConfig& site) {
    line(out, "<script type=\"text/javascript\">");
    addLine(out, "var gaJsSrc = ((\"https:\" == document.location.protocol) ? \"", Escaped{site.AnalyticsSecureScript},
            "\" : \"", Escaped{site.AnalyticsPlainScript}, "\");");
    line(out, "document.write(unescape(\"%3Cscript src='\" + gaJsSrc + \"' type='text/javascript'%3E%3C/script%3E\"));");
    line(out, "</script>");
    line(out, "<script type=\"text/javascript\">");
    line(out, "try {");
    addLine(out, "var pageTracker = _gat._getTracker(\"", Escaped{site.AnalyticsId}, "\");");
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
    return kv::yosouPageName(v.Year + v.MonthDay, v.VenueSlug, v.PageRaceNum);
}

std::string pdfDayPageName(const PageValues& v) { return kv::pdfDayPageName(v.Year + v.MonthDay, v.VenueSlug); }

void appendYosouPageText(const pred::WindowState& st, int RaceIdx, const PageValues& v, const SiteConfig& site,
                         std::string& out) {
    WritePageHead(v, site, true, out);
    WriteRaceSection(st, RaceIdx, v, site, out);
    WriteRaceLinkTable(v, site, out);
    line(out, "<!--// maincol--></div>");
    line(out, "");

    const Escaped address{site.SiteAddress};
    addLine(out, "<div id=\"subnav\"><a href=\"", address,
            "/expectation\"><img src=\"../images/links_expectation.png\" width=\"200\" height=\"50\" alt=\"競馬予想\"></a>");
    line(out, "<div id=\"subnavTitle\"></div>");
    line(out, "    <ul>");
    struct Item {
        const char *path, *label;
    };
    for (const Item& i : {Item{"/expectation/charge.html", "競馬予想(有料版)"},
                          Item{"/expectation/free.html", "競馬予想(一部無料版)"},
                          Item{"/expectation/database.html", "競馬予想(過去分)"},
                          Item{"/expectation/hitlist.html", "的中情報"}})
        addLine(out, "        <li><a href=\"", address, i.path, "\">", i.label, "</a></li>");
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
}

void YosouHtmlPageWriter::writeRace(pred::WindowState& st, int RaceIdx) {
    const PageValues v = pageValuesFor(st, RaceIdx);
    if (v.raceKey == LastYosouRaceKey) return;
    LastYosouRaceKey = v.raceKey;
    // Built whole, then written in one go: a failure never leaves a cut page.
    std::string& text = page_;
    text.clear();
    appendYosouPageText(st, RaceIdx, v, site_, text);
    const std::string path = appFile(yosouPageName(v));
    if (!writeFileAtomic(path, text)) throw pred::WriteError("cannot write " + path);
}

void PdfDayPageWriter::writeRace(pred::WindowState& st, int RaceIdx) {
    const PageValues v = pageValuesFor(st, RaceIdx);
    const std::string path = appFile(pdfDayPageName(v));
    std::string& out = text_;
    out.clear();
    auto write = [&] {
        bet::DayFileAppend file(days_, v.dayKey, path);
        return file.write(out) && file.close();
    };
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
        write();  // the lines before the failure stay
        throw;
    }
    if (!write()) throw pred::WriteError("cannot write " + path);
}

std::unique_ptr<pred::Writer> makeYosouHtmlPageWriter() { return std::make_unique<YosouHtmlPageWriter>(); }
std::unique_ptr<pred::Writer> makePdfDayPageWriter() { return std::make_unique<PdfDayPageWriter>(); }

}  // namespace kv::pub
