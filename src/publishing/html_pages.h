// The per-race prediction page under tavlen_yosou and the printable day page
// under tavlen_wp. Both are UTF-8, as their meta line declares.
#pragma once
#include <memory>
#include <string>

#include "common/dayfile.h"
#include "prediction/writer.h"
#include "publishing/race_section.h"

namespace kv::pub {

// The whole prediction page of the race (UTF-8, CR LF).
void appendYosouPageText(const pred::WindowState& st, int RaceIdx, const PageValues& v, const SiteConfig& site,
                         std::string& out);
// "tavlen_yosou/<yyyymmdd>_<VenueSlug>_r<n>.txt"
std::string yosouPageName(const PageValues& v);
// "tavlen_wp/<yyyymmdd>_<VenueSlug>_pdf.txt"
std::string pdfDayPageName(const PageValues& v);

// WriteYosouHtmlPage: one page per race, written whole; a race handed over
// twice in a row is written once.
class YosouHtmlPageWriter : public pred::Writer {
public:
    explicit YosouHtmlPageWriter(SiteConfig site = siteConfig()) : site_(std::move(site)) {}
    std::string name() const override { return "WriteYosouHtmlPage"; }
    void writeRace(pred::WindowState& st, int RaceIdx) override;

private:
    SiteConfig site_;
    std::string LastYosouRaceKey;
    std::string page_;  // the page, its buffer kept for the next race's
};

// AppendPdfDayPage: the day's head at its first race, a race section per race
// with runners, the closing after race 12.
class PdfDayPageWriter : public pred::Writer {
public:
    explicit PdfDayPageWriter(SiteConfig site = siteConfig()) : site_(std::move(site)) {}
    std::string name() const override { return "AppendPdfDayPage"; }
    void writeRace(pred::WindowState& st, int RaceIdx) override;
    std::vector<DayFiles*> dayFiles() override { return {&days_}; }

private:
    SiteConfig site_;
    DayFiles days_;
    std::string text_;  // the race's lines, kept for the next race's
};

std::unique_ptr<pred::Writer> makeYosouHtmlPageWriter();
std::unique_ptr<pred::Writer> makePdfDayPageWriter();

}  // namespace kv::pub
