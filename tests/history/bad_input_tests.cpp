#include <gtest/gtest.h>

#include "common/quoted.h"
#include "common/recordfile.h"
#include "history/past_performance_window.h"
#include "history/hit_list_window.h"
#include "history_fixture.h"

using namespace histtest;

namespace {

struct BadInputTest : HistoryTest, ::testing::Test {};

TEST_F(BadInputTest, DamagedDayFilesNeitherCrashNorWriteOtherFiles) {
    std::string binary;
    for (int i = 0; i < 256; ++i) binary += static_cast<char>(i);
    const std::string cases[] = {
        "",
        "\x81\"RC\",\"01\",\"\x82",                    // a lead byte before a quote, a cut character
        "\"RC\",\"1\",\"0950\",\"01\",\"\",\"x",       // cut inside a quoted value, no line end
        rcLine("ab", "x", "abcd") + rrLine() + hsLine("x", "y", "zz", "qq", "..", "..", "a.bc.de") +
            hsLine("1", "1", " 1", " 1", " 1", " 1", "9") + atLine("", "x", "d", "k", "zz") + atLine("1", "0", "d", "k", "1"),
        binary + "\r\n" + binary,
    };
    for (const std::string& bytes : cases) {
        for (const char* suffix : {"tekichu.txt", "lupRCM.txt", "kaiteki.txt", "tekichuPC.txt", "kaitekiPC.txt"})
            day("20250405060102", suffix, bytes);
        kv::history::KakoSeisekiQUEL w(menu);
        w.Form_Load();
        if (!w.List1.empty()) w.List1_Click(0);
        kv::history::TekichuListQUEL hits(menu, {});
        hits.Form_Load();
        EXPECT_TRUE(w.WriteFailures.empty());
        EXPECT_TRUE(hits.WriteFailures.empty());
        for (const std::string& name : kv::listFiles(dir.file("SOKUDO")))
            EXPECT_TRUE(name == "RACEID.txt" || name == "HR20250405.csv") << name;
        EXPECT_EQ(kv::listFiles(dir.file("TEKICHU")).size(), 7u);
    }
}

TEST_F(BadInputTest, MoreThan50HitRowsAndMoreThan12RacesAreCut) {
    std::string tekichu = line({"2025年", "04月", "05日", "1回", "阪神", "2日目"});
    std::string lup;
    for (int r = 2; r <= 60; ++r) {
        const std::string label = "row" + std::to_string(r);
        tekichu += line({label.c_str(), "a", "b", "c", "d", "e", "f", "g"});
    }
    for (int n = 1; n <= 13; ++n) {
        const std::string num = (n < 10 ? "0" : "") + std::to_string(n);
        lup += rcLine(num, "r", "1600") + rrLine() + hsLine("1", "1", " 1", " 1", " 1", " 1", "1.34.20");
    }
    day("20250405060102", "tekichu.txt", tekichu);
    day("20250405060102", "lupRCM.txt", lup);
    kv::history::KakoSeisekiQUEL w(menu);
    w.Form_Load();
    w.List1_Click(0);
    EXPECT_EQ(w.KakoSeiFG.text(49, 0), "row50");
    EXPECT_TRUE(w.Text2[11].text.find("12R r") != std::string::npos) << w.Text2[11].text;
    EXPECT_EQ(w.RACEFG[11].text(1, 0), "1  01");
    // The export takes every race of the file.
    EXPECT_EQ(kv::splitLines(dir.read("SOKUDO/HR20250405.csv")).size(), 13u);
}

}  // namespace
