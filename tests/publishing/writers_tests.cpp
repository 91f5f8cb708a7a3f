#include <gtest/gtest.h>

#include <algorithm>

#include "betlines/bet_fixture.h"
#include "common/appfolder.h"
#include "common/quoted.h"
#include "common/recordfile.h"
#include "common/racehorse_record.h"
#include "pub_fixture.h"
#include "publishing/csv_files.h"
#include "publishing/html_pages.h"
#include "publishing/wp_block.h"
#include "week/writer_table.h"

using namespace kv::pub;
using kvtest::sj;
using kvtest::u8;
namespace pred = kv::pred;
const auto lines = [](const std::string& text) { return kv::splitLines(text); };

namespace {

// The publishing writers of the standard chain, in chain order.
pred::WriterChain publishingChain() {
    pred::WriterChain chain;
    for (const auto& e : kv::week::standardWriterTable())
        if (e.slot >= pred::ChainSlot::TanfukuCsv1) chain.add(e.slot, e.make());
    return chain;
}

std::vector<std::string> failedWriters(const pred::WriterChain& chain) {
    std::vector<std::string> names;
    for (const auto& f : chain.failures()) names.push_back(f.writer);
    return names;
}

std::size_t count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
    return n;
}

const char* kPage = "tavlen_yosou/20250405_nakayama_r1.txt";
const char* kPdf = "tavlen_wp/20250405_nakayama_pdf.txt";
const char* kWp = "tavlen_wp/20250405-nakayama.txt";

TEST(PublishingChain, SevenWritersInTheirSlots) {
    EXPECT_EQ(publishingChain().names(),
              (std::vector<std::string>{"WriteTanfukuCsv1", "WriteTanfukuCsv2", "WriteTanshoBetCsv", "WriteYosouHtmlPage",
                                        "AppendWpRaceBlock", "AppendPdfDayPage", "AppendSokudoHrCsv"}));
}

TEST(PublishingChain, FiveRunnerRace) {
    pubtest::AppDir app;
    pred::WindowState st = pubtest::fiveHorseRace();
    pred::WriterChain chain = publishingChain();
    chain.runRace(st, 1);
    chain.placeDayFiles();
    EXPECT_TRUE(chain.failures().empty());

    EXPECT_EQ(app.read("SOKUDO/HR20250405.csv"), "2025040506030501,58500,04,61000,01,60000,02,59000,03,57000,05\r\n");
    EXPECT_EQ(app.read("TANSHO/250405中山01R.csv"), "20250405,06,01,01,02,100\r\n20250405,06,01,01,03,100\r\n");

    EXPECT_EQ(u8(app.read("TANFUKU/20250405060305tnfk.csv")),
              "\"単勝・複勝 数量化1位 2025年04月05日 第3回 中山 第5日\"\r\n"
              "\"発走時刻\",\"R番号\",\"枠番\",\"馬番\",\"馬名\",\"単勝配当\",\"複勝配当\",\"騎手名\",\"調教師名\"\r\n"
              "\"0950\",\"第01R\",\"2\",\" 2\",\"ミホノ\",\"\",\"\",\"武豊\",\"国枝栄\",\"牝\",\" 3歳\",\"\",\"サラ系3歳\","
              "\"未勝利\",\"\",\"芝\",\"1600ｍ\"\r\n");
    const auto sheet2 = lines(u8(app.read("TANFUKU2/20250405060305tnfk2.csv")));
    ASSERT_EQ(sheet2.size(), 3u);
    EXPECT_EQ(sheet2[0], "\"単勝・複勝 数量化2位 2025年04月05日 第3回 中山 第5日\"");
    EXPECT_EQ(sheet2[2], "\"0950\",\"第01R\",\"3\",\" 3\",\"ABCDEFGHI\",\"\",\"\",\"ルメール\",\"堀宣行\",\"セ\",\"10歳\","
                         "\"\",\"サラ系3歳\",\"未勝利\",\"\",\"芝\",\"1600ｍ\"");

    // The page: UTF-8, 55 head lines, the section with its five rows, the
    // second link table, side menu, advertising, footer and analytics.
    const std::string page = app.read(kPage);
    const auto p = lines(page);
    ASSERT_EQ(p.size(), 238u);
    EXPECT_EQ(page.substr(page.size() - 9), "</html>\r\n");
    EXPECT_EQ(p[4], "<meta charset=\"UTF-8\">");
    EXPECT_EQ(p[7], "<title>無料競馬予想｜中山｜3回中山5日｜1R</title>");
    EXPECT_EQ(p[22], "         <li><a href=\"/expectation\" class=\"fS11 bggray\" title=\"競馬予想\">競馬予想</a></li>");
    EXPECT_EQ(p[45], "<b>2025年4月5日(土)</b>");
    EXPECT_EQ(p[57], "        <td class=\"bgnabygreen\"><a href=\"/expectation/20250405_nakayama_r1.html\" title=\"1R\">"
                     "1R</a></td>");
    EXPECT_EQ(p[73], "<b>1R<br />");
    EXPECT_EQ(p[74], "&nbsp;&nbsp;&nbsp;芝&nbsp;&nbsp;&nbsp;1600m&nbsp;&nbsp;&nbsp;発走&nbsp;09：50<br /><br />");
    EXPECT_EQ(p[84], "        <td>2-3&nbsp;・&nbsp;2-4&nbsp;・&nbsp;2-1&nbsp;・&nbsp;3-4&nbsp;・&nbsp;3-1&nbsp;・&nbsp;2-5</td>");
    EXPECT_EQ(p[88], "        <td>2-3-4&nbsp;・&nbsp;2-3-1&nbsp;・&nbsp;2-4-1&nbsp;・&nbsp;2-3-5&nbsp;・&nbsp;3-4-1&nbsp;・"
                     "&nbsp;2-4-5&nbsp;・&nbsp;2-1-5</td>");
    const std::vector<std::string> row1(p.begin() + 105, p.begin() + 115);
    EXPECT_EQ(row1, (std::vector<std::string>{"<tr>", "   <td class=\"bgwhite\"><b>1</b></td>", "   <td>1</td>",
                                              "   <td>4</td>", "   <td>アイウエオカキクケ</td>", "   <td>牡4</td>",
                                              "   <td>56.0kg</td>", "   <td>横山典弘</td>", "   <td>藤沢和雄</td>",
                                              "</tr>"}));
    EXPECT_EQ(p[116], "   <td class=\"bgblack2\"><font color=\"#ffffff\"><b>2</b></td>");
    EXPECT_EQ(p[155], "</table>");
    EXPECT_EQ(p[175], "<div id=\"subnav\"><a href=\"/expectation\"><img src=\"../images/links_expectation.png\" "
                      "width=\"200\" height=\"50\" alt=\"競馬予想\"></a>");
    EXPECT_EQ(p[186], "    <script type=\"Text/javascript\"><!--");
    EXPECT_EQ(count(page, "<tr>\r\n   <td class="), 5u);

    // The day page: head (51 lines) and the race section (101 lines), no closing before race 12.
    const auto d = lines(app.read(kPdf));
    ASSERT_EQ(d.size(), 152u);
    EXPECT_EQ(d[12], "  <h1>無料競馬予想｜中山｜3回中山5日｜1R</h1>");
    EXPECT_EQ(d[18], "         <li><a href=\"/expectation\" class=\"fS11\" title=\"競馬予想\">競馬予想</a></li>");
    EXPECT_EQ(d[41], "<b>2025年4月5日(土)</b>");
    EXPECT_EQ(d[151], "</table>");

    // The block: 23 lines and one per horse, in CP932.
    const auto w = lines(u8(app.read(kWp)));
    ASSERT_EQ(w.size(), 28u);
    EXPECT_EQ(w[1], "<h2><strong>1R 芝 1600m 発走 09：50</strong></h2>");
    EXPECT_EQ(w[8], "<tr><th>馬連・馬単</th><td>2-3・2-4・2-1・3-4・3-1・2-5</td></tr>");
    EXPECT_EQ(w[9], "<tr><th>3連複・3連単</th><td>2-3-4・2-3-1・2-4-1・2-3-5・3-4-1・2-4-5・2-1-5</td></tr>");
    EXPECT_EQ(w[19], "<tr><td><strong>1</strong></td><td>1</td><td>4</td><td>アイウエオカキクケ</td><td>牡4</td>"
                     "<td>56.0kg</td><td>横山典弘</td><td>藤沢和雄</td></tr>");
    EXPECT_EQ(w[27], "<!-- /wp:table -->");
}

// Days that come back are appended; race 12 closes the day's block file
// ("Finish" only when appended) and the day page (also when it opens it).
TEST(PublishingChain, DayFilesAndRaceTwelve) {
    pubtest::AppDir app;
    pred::WindowState st;
    st.run.codeTable.loadBytes(sj("2001,06,,,中山,,nakayama,\r\n2001,09,,,阪神,,hanshin,\r\n"));
    pred::WriterChain chain = publishingChain();
    const struct {
        const char* id;
        int horses;
    } races[] = {{"2025040506030501", 8}, {"2025040509020501", 6}, {"2025040506030512", 8}, {"2025040606030612", 5}};
    for (const auto& r : races) {
        pubtest::setRace(st, r.id, r.horses, r.horses < 10 ? "0" + std::to_string(r.horses) : "16");
        chain.runRace(st, st.run.RaceCount);
    }
    EXPECT_TRUE(chain.placeDayFiles().empty());
    EXPECT_TRUE(chain.failures().empty());

    const std::string wp = u8(app.read(kWp));
    EXPECT_EQ(count(wp, "<!-- wp:heading -->"), 2u);
    EXPECT_EQ(wp.substr(wp.size() - 8), "Finish\r\n");
    EXPECT_EQ(count(u8(app.read("tavlen_wp/20250405-hanshin.txt")), "Finish"), 0u);
    EXPECT_EQ(count(u8(app.read("tavlen_wp/20250406-nakayama.txt")), "Finish"), 0u);

    const std::string pdf = app.read(kPdf);
    EXPECT_EQ(count(pdf, "<!DOCTYPE html>"), 1u);
    EXPECT_EQ(count(pdf, "<table class=\"raceDetail\">"), 2u);
    EXPECT_EQ(count(pdf, "<h1>無料競馬予想｜中山｜3回中山5日｜1R</h1>"), 1u);
    EXPECT_EQ(pdf.substr(pdf.size() - 9), "</html>\r\n");
    const std::string pdf12 = app.read("tavlen_wp/20250406_nakayama_pdf.txt");
    EXPECT_EQ(count(pdf12, "<h1>無料競馬予想｜中山｜3回中山6日｜12R</h1>"), 1u);
    EXPECT_EQ(pdf12.substr(pdf12.size() - 9), "</html>\r\n");
    EXPECT_EQ(count(pdf12, "<b>2025年4月6日(日)</b>"), 1u);

    EXPECT_EQ(lines(app.read("TANFUKU/20250405060305tnfk.csv")).size(), 4u);
    EXPECT_EQ(lines(app.read("TANFUKU2/20250405090205tnfk2.csv")).size(), 3u);
    const auto speeds = lines(app.read("SOKUDO/HR20250405.csv"));
    ASSERT_EQ(speeds.size(), 3u);
    EXPECT_EQ(speeds[1].substr(0, 17), "2025040509020501,");
    EXPECT_EQ(std::count(speeds[1].begin(), speeds[1].end(), ','), 12);
    EXPECT_EQ(lines(app.read("SOKUDO/HR20250406.csv")).size(), 1u);
    EXPECT_TRUE(app.exists("tavlen_yosou/20250405_nakayama_r12.txt"));
    EXPECT_TRUE(app.exists("tavlen_yosou/20250405_hanshin_r1.txt"));

    // The same race handed over again at once: its per-race files are not written again.
    kv::removeFile(app.dir.file("tavlen_yosou/20250406_nakayama_r12.txt"));
    kv::removeFile(app.dir.file("TANSHO/250406中山12R.csv"));
    chain.runRace(st, st.run.RaceCount);
    chain.placeDayFiles();
    EXPECT_FALSE(app.exists("tavlen_yosou/20250406_nakayama_r12.txt"));
    EXPECT_FALSE(app.exists("TANSHO/250406中山12R.csv"));
}

// Result mode: each runner gets the win and place payouts of its own horse
// number, as stored; a dead heat pays both winners.
TEST(TanfukuSheets, PayoutsByHorseNumber) {
    const std::string rec = bettest::Payout("2025040506030501")
                                .tansho(1, "02", "000000350", "01")
                                .tansho(2, "03", "000000420", "02")
                                .fukusho(1, "02", "000000150", "01")
                                .fukusho(2, "03", "000000160", "02")
                                .fukusho(3, "01", "000000230", "04")
                                .str();
    struct Case {
        int h;
        const char *tansho, *fukusho;
    } cases[] = {{2, "000000350", "000000150"}, {3, "000000420", "000000160"}, {1, "", "000000230"}, {4, "", ""},
                 {5, "", ""}};
    for (const Case& c : cases) {
        const SheetPayouts p = payoutsOfHorse(rec, c.h);
        EXPECT_EQ(p.tansho, c.tansho) << c.h;
        EXPECT_EQ(p.fukusho, c.fukusho) << c.h;
    }

    pubtest::AppDir app;
    kv::RecordFile hrFile(app.dir.file(kv::files::HR), 719);
    hrFile.write(1, bettest::Payout("2025040509020501").tansho(1, "02", "000009990", "09").str());  // another race
    hrFile.write(2, rec);
    pred::WindowState st = pubtest::fiveHorseRace(1);
    st.kept.Ninki[2] = " 1", st.kept.Nyusen[2] = " 1";
    st.kept.Ninki[3] = " 2", st.kept.Nyusen[3] = " 1";
    pred::WriterChain chain = publishingChain();
    chain.runRace(st, 1);
    chain.placeDayFiles();
    EXPECT_TRUE(chain.failures().empty());
    const auto s1 = lines(u8(app.read("TANFUKU/20250405060305tnfkRCM.csv")));
    ASSERT_EQ(s1.size(), 3u);
    EXPECT_EQ(s1[1], "\"発走時刻\",\"R番号\",\"枠番\",\"馬番\",\"人気\",\"入線\",\"馬名\",\"単勝配当\",\"複勝配当\","
                     "\"騎手名\",\"調教師名\"");
    EXPECT_EQ(s1[2], "\"0950\",\"第01R\",\"2\",\" 2\",\" 1\",\" 1\",\"ミホノ\",\"000000350\",\"000000150\",\"武豊\","
                     "\"国枝栄\",\"牝\",\" 3歳\",\"\",\"サラ系3歳\",\"未勝利\",\"\",\"芝\",\"1600ｍ\"");
    const auto s2 = lines(u8(app.read("TANFUKU2/20250405060305tnfkRCM2.csv")));
    ASSERT_EQ(s2.size(), 3u);
    EXPECT_NE(s2[2].find("\" 2\",\" 1\",\"ABCDEFGHI\",\"000000420\",\"000000160\",\"ルメール\",\"堀宣行\""),
              std::string::npos);

    // Without a payout file both cells are empty and no file is created.
    pubtest::AppDir bare;
    pred::WindowState st2 = pubtest::fiveHorseRace(1);
    pred::WriterChain bareChain = publishingChain();
    bareChain.runRace(st2, 1);
    bareChain.placeDayFiles();
    EXPECT_NE(u8(bare.read("TANFUKU/20250405060305tnfkRCM.csv")).find("\"ミホノ\",\"\",\"\",\"武豊\""), std::string::npos);
    EXPECT_FALSE(bare.exists(kv::files::HR));
}

TEST(SokudoHrLine, WholePartOfTheSingleProduct) {
    const std::vector<float> speeds{0.0f, 57.9999f, 60.1239f, 1.0f};
    const std::array<std::string, 19> ranks{"", " 2", " 1", "18"};
    EXPECT_EQ(SokudoHrLine("2025040506030501", speeds, ranks, 3), "2025040506030501,57999,02,60123,01,1000,18\r\n");
    EXPECT_EQ(SokudoHrLine("2025040506030501", speeds, ranks, 1), "2025040506030501,57999,02\r\n");
    EXPECT_THROW(SokudoHrLine("2025040506030501", speeds, ranks, 4), std::out_of_range);
}

// Values from outside are escaped wherever a page, section or block prints them.
TEST(PublishingPages, EscapedValues) {
    pubtest::AppDir app;
    pred::WindowState st = pubtest::fiveHorseRace();
    st.race.Bamei[1] = "A&<>\"'";
    st.race.Futan[1] = "5<5";
    st.run.Syosai[1][8] = "&";
    SiteConfig site;
    site.SiteAddress = "https://example.org/?a=1&b=\"2\"";
    site.AdClient = "<client>";
    site.RightsNotice = "(C) A&B ";
    YosouHtmlPageWriter page(site);
    PdfDayPageWriter pdf(site);
    WpRaceBlockWriter wp;
    page.writeRace(st, 1);
    kvtest::placeDayFiles(page);
    pdf.writeRace(st, 1);
    kvtest::placeDayFiles(pdf);
    wp.writeRace(st, 1);
    kvtest::placeDayFiles(wp);
    for (const std::string& text : {app.read(kPage), app.read(kPdf), u8(app.read(kWp))}) {
        EXPECT_NE(text.find("A&amp;&lt;&gt;&quot;&#39;"), std::string::npos);
        EXPECT_NE(text.find("5&lt;5kg"), std::string::npos);
        EXPECT_EQ(text.find("A&<"), std::string::npos);
    }
    const std::string p = app.read(kPage);
    EXPECT_NE(p.find("<a href=\"https://example.org/?a=1&amp;b=&quot;2&quot;/expectation\">"), std::string::npos);
    EXPECT_NE(p.find("google_ad_client = \"&lt;client&gt;\";"), std::string::npos);
    EXPECT_NE(p.find("            <br />(C) A&amp;B <a href=\"/\">ミルファーン</a></p>"), std::string::npos);
    EXPECT_NE(p.find("&nbsp;&nbsp;&nbsp;&amp;&nbsp;&nbsp;&nbsp;1600m"), std::string::npos);
}

// Bad input ends only the writers it concerns, for that race; what they
// wrote stays and per-race files are never cut.
TEST(PublishingChain, BadInput) {
    {
        pubtest::AppDir app;
        pred::WindowState st = pubtest::fiveHorseRace();
        st.race.Wakuban[3] = "A";
        pred::WriterChain chain = publishingChain();
        chain.runRace(st, 1);
        chain.placeDayFiles();
        EXPECT_EQ(failedWriters(chain),
                  (std::vector<std::string>{"WriteYosouHtmlPage", "AppendWpRaceBlock", "AppendPdfDayPage"}));
        EXPECT_FALSE(app.exists(kPage));
        EXPECT_EQ(app.read(kWp), "");
        EXPECT_TRUE(app.exists(kWp));
        const std::string pdf = app.read(kPdf);
        EXPECT_EQ(lines(pdf).size(), 51u + 17 + 5 + 14 + 14 + 2 * 10);  // cut after horse 2's row
        EXPECT_TRUE(app.exists("SOKUDO/HR20250405.csv"));
        EXPECT_TRUE(app.exists("TANSHO/250405中山01R.csv"));
    }
    {
        // A race without runners: no speed line, no block, no section; the
        // page shows empty bet cells.
        pubtest::AppDir app;
        pred::WindowState st;
        st.run.codeTable.loadBytes(sj("2001,06,,,中山,,nakayama,\r\n"));
        pubtest::setRace(st, "2025040506030501", 0, "  ");
        pred::WriterChain chain = publishingChain();
        chain.runRace(st, 1);
        chain.placeDayFiles();
        EXPECT_TRUE(chain.failures().empty());
        EXPECT_FALSE(app.exists("SOKUDO/HR20250405.csv"));
        EXPECT_EQ(app.read(kWp), "");
        EXPECT_EQ(lines(app.read(kPdf)).size(), 51u);
        EXPECT_EQ(app.read("TANSHO/250405中山01R.csv"), "");
        EXPECT_EQ(lines(app.read("TANFUKU/20250405060305tnfk.csv")).size(), 2u);
        const auto p = lines(app.read(kPage));
        EXPECT_EQ(p.size(), 238u - 50);
        EXPECT_EQ(p[84], "        <td></td>");
        EXPECT_EQ(p[88], "        <td></td>");
    }
    {
        // A missing output folder and a garbled rank.
        pubtest::AppDir app;
        std::filesystem::remove_all(app.dir.file("tavlen_yosou"));
        pred::WindowState st = pubtest::fiveHorseRace();
        pred::WriterChain chain = publishingChain();
        chain.runRace(st, 1);
        chain.placeDayFiles();
        ASSERT_EQ(failedWriters(chain), std::vector<std::string>{"WriteYosouHtmlPage"});
        EXPECT_NE(chain.failures()[0].what.find("tavlen_yosou"), std::string::npos);
        EXPECT_TRUE(app.exists(kPdf));

        kv::makeDirs(app.dir.file("tavlen_yosou"));
        st.kept.YosoJuni[4] = "x";  // the page prints ranks without reading them
        pred::WriterChain chain2 = publishingChain();
        chain2.runRace(st, 1);
        chain2.placeDayFiles();
        EXPECT_EQ(failedWriters(chain2),
                  (std::vector<std::string>{"WriteTanfukuCsv1", "WriteTanfukuCsv2", "WriteTanshoBetCsv",
                                            "AppendWpRaceBlock", "AppendPdfDayPage", "AppendSokudoHrCsv"}));
    }
}

}  // namespace
