#include "week/writer_table.h"

#include <algorithm>

#include "betlines/lup_files.h"
#include "elevencolumn/lup_pc_files.h"
#include "racefiles/mmk_file.h"
#include "racefiles/twi_file.h"
#include "publishing/csv_files.h"
#include "publishing/html_pages.h"
#include "publishing/wp_block.h"

namespace kv::week {

const std::vector<WriterEntry>& standardWriterTable() {
    static const std::vector<WriterEntry> table = [] {
        // One line per writer that exists:
        //   {pred::ChainSlot::LupFiles, "WriteLupFiles", [] { return std::make_unique<...>(); }},
        std::vector<WriterEntry> t{
            {pred::ChainSlot::ShutsubahyoMmk, "WriteShutsubahyoMmk", [] { return racefiles::makeShutsubahyoMmkWriter(); }},
            {pred::ChainSlot::LupFiles, "WriteLupFiles", [] { return bet::makeLupFilesWriter(); }},
            {pred::ChainSlot::LupPcFiles, "WriteLupPcFiles", [] { return eleven::makeLupPcFilesWriter(); }},
            {pred::ChainSlot::TwiRaceBlock, "WriteTwiRaceBlock", [] { return racefiles::makeTwiRaceBlockWriter(); }},
            {pred::ChainSlot::TanfukuCsv1, "WriteTanfukuCsv1", [] { return pub::makeTanfukuCsv1Writer(); }},
            {pred::ChainSlot::TanfukuCsv2, "WriteTanfukuCsv2", [] { return pub::makeTanfukuCsv2Writer(); }},
            {pred::ChainSlot::TanshoBetCsv, "WriteTanshoBetCsv", [] { return pub::makeTanshoBetCsvWriter(); }},
            {pred::ChainSlot::YosouHtmlPage, "WriteYosouHtmlPage", [] { return pub::makeYosouHtmlPageWriter(); }},
            {pred::ChainSlot::WpRaceBlock, "AppendWpRaceBlock", [] { return pub::makeWpRaceBlockWriter(); }},
            {pred::ChainSlot::PdfDayPage, "AppendPdfDayPage", [] { return pub::makePdfDayPageWriter(); }},
            {pred::ChainSlot::SokudoHrCsv, "AppendSokudoHrCsv", [] { return pub::makeSokudoHrCsvWriter(); }},
        };
        std::stable_sort(t.begin(), t.end(), [](const WriterEntry& a, const WriterEntry& b) {
            return static_cast<int>(a.slot) < static_cast<int>(b.slot);
        });
        return t;
    }();
    return table;
}

pred::WriterChain makeStandardChain() {
    pred::WriterChain chain;
    for (const auto& e : standardWriterTable()) chain.add(e.slot, e.make());
    return chain;
}

const std::vector<std::string>& weekRoad() {
    static const std::vector<std::string> road{"startup",     "fetch",       "structure",        "odds-fetch",
                                               "odds-fetch-trifecta", "odds-tables", "fix-previous-day", "calculate",
                                               "predict"};
    return road;
}

}  // namespace kv::week
