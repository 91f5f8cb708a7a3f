// The main menu: start-up, the weight checks, the status area and its buttons.
#include <gtest/gtest.h>
#include <utime.h>

#include <ctime>
#include <filesystem>

#include "acquisition/menu.h"
#include "acquisition/menu_globals.h"
#include "fixtures/jv_records.h"
#include "rig.h"

using namespace kvtest;

namespace {

constexpr const char* kInstalledHead = "予想因子ウエイトは展開されています。作成日は ";
constexpr const char* kInstalledTail =
    " です。これより新しい日付の予想因子ウエイトがあれば展開して上書きして下さい。無ければそのまま続行して下さい。"
    "新しい日付のバージョンまたは最新因子ウエイトはサポートサイトよりダウンロードして下さい。";

struct Menu : ::testing::Test {
    AppRig rig;
    std::vector<std::string> opened;
    int yields = 0;
    std::unique_ptr<kv::TEZF1THISWEEKNQUEL> menu;

    void SetUp() override {
        kv::OddsSource = 0;
        menu = std::make_unique<kv::TEZF1THISWEEKNQUEL>(rig.messages, [this] { ++yields; }, *rig.jv, rig.shell,
                                                        rig.clock, &rig.status);
        auto open = [this](const char* name) { return [this, name] { opened.push_back(name); }; };
        menu->ShowOddsDownload = open("TEZFOTHISWEEKNQUEL");
        menu->ShowStructureNew = open("KOUZOUTAIQUEL");
        menu->ShowCancellationNew = open("CHUSIRIALTIME");
        menu->ShowExpansionNew = open("KORIVANEXPDTHISWEEKNQUEL");
        menu->ShowPredictionsNew = [this] {
            opened.push_back("YOSOKEKKATHISWEEKNQUEL");
            EXPECT_EQ(yields, 1);  // the start text was shown first
            menu->setText("Text5", "1R予想中");
            return true;
        };
        menu->ShowLiveOdds = open("TEZP2RIALTIME");
        menu->ShowFactorTurf = open("FactorTURFQJ");
        menu->ShowFactorDirt = open("FactorDIRTQJ");
        menu->ShowFactorHurdle = open("FactorHURDQJ");
        auto openOk = [this](const char* name) {
            return [this, name] {
                opened.push_back(name);
                return true;
            };
        };
        menu->ShowPastPerformance = openOk("KakoSeisekiQUEL");
        menu->ShowHitList = openOk("TekichuListQUEL");
        menu->EndProgram = open("end");
    }

    // The weight file, last modified at noon local time `days` days before today.
    std::string weightFileDaysOld(int days) {
        rig.dir.write("OPTION1N/KYOSOBA.dat", "w");
        std::tm tm{};
        tm.tm_year = rig.clock.date.y - 1900;
        tm.tm_mon = rig.clock.date.m - 1;
        tm.tm_mday = rig.clock.date.d - days;
        tm.tm_hour = 12;
        tm.tm_isdst = -1;
        const std::time_t t = std::mktime(&tm);
        utimbuf times{t, t};
        utime(rig.dir.file("OPTION1N/KYOSOBA.dat").c_str(), &times);
        char buf[32];
        std::strftime(buf, sizeof buf, "%Y/%m/%d 12:00:00", &tm);
        return buf;
    }
};

TEST_F(Menu, FirstStartInAnEmptyFolder) {
    const char* live[] = {"SERIALTIME.dat", "HRRIALTIME.dat", "RARIALTIME.dat", "O1RIALTIME.dat",
                          "O2RIALTIME.dat", "O4RIALTIME.dat", "O5RIALTIME.dat", "O6RIALTIME.dat"};
    for (const char* f : live) rig.dir.write(f, "previous run");
    rig.dir.write("O2THISWEEKN.dat", "kept");

    menu->Form_Load();

    for (const char* d : {"KAIME", "RACE", "SHUTSUBAHYO", "TEKICHU", "TANFUKU", "TANFUKU2", "UMAGOTOEXTHISWEEKN",
                          "UMAGOTOTHISWEEKN", "TANSHO", "FUKUSHO", "UMAREN", "UMATAN", "SANRENPUKU", "SANRENTAN",
                          "WIDE", "SOKUDO", "tavlen_wp", "tavlen_yosou", "tavlen_pdf"})
        EXPECT_TRUE(std::filesystem::is_directory(rig.dir.file(d))) << d;
    for (const char* f : live) EXPECT_FALSE(rig.dir.exists(f)) << f;
    EXPECT_TRUE(rig.dir.exists("O2THISWEEKN.dat"));
    EXPECT_EQ(rig.messages.messages,
              (std::vector<std::string>{rig.app() +
                                        "自己解凍EXEにある展開先の指定をクリックして予想因子パラメータをセットして下さい。"}));
    EXPECT_EQ(menu->Label1.Text,
              "まだ、予想因子ウエイトが展開されていません。自己解凍EXEにある展開先の指定をクリックして起動させて下さい。");
    EXPECT_FALSE(menu->Label1.HasBackColor);
    EXPECT_EQ(menu->Text2.Text, "今週の結果は必ず前に今週の予想の3つの操作を行って下さい。");
    EXPECT_EQ(rig.status.texts.back().first, "Text2");

    // A second start with everything in place changes nothing and fails nowhere.
    rig.messages.messages.clear();
    menu->Form_Load();
    EXPECT_EQ(rig.messages.messages.size(), 1u);
}

TEST_F(Menu, InstalledWeightsAndTheirAge) {
    const std::string ageNotice =
        rig.app() + "予想因子ウエイトが最新ではありません。さらに高精度の予想を望まれる場合、最新予想ウエイトを取得して下さい。";
    for (int days : {1000, 1001}) {
        SCOPED_TRACE(days);
        rig.messages.messages.clear();
        const std::string when = weightFileDaysOld(days);
        menu->Form_Load();
        EXPECT_EQ(menu->Label1.Text, kInstalledHead + when + kInstalledTail);
        EXPECT_TRUE(menu->Label1.HasBackColor);
        EXPECT_EQ(menu->Label1.BackColor, 0x80FF80u);
        EXPECT_EQ(rig.status.back.at("Label1"), 0x80FF80u);
        if (days > 1000)
            EXPECT_EQ(rig.messages.messages, std::vector<std::string>{ageNotice});
        else
            EXPECT_TRUE(rig.messages.messages.empty());
    }
}

TEST_F(Menu, StructureAndPredictionsFollowTheCancellationOption) {
    menu->Command4_Click();
    EXPECT_EQ(menu->ZansaFlag, 1);
    EXPECT_EQ(opened, std::vector<std::string>{"KOUZOUTAIQUEL"});

    opened.clear();
    menu->Option1 = true;
    menu->Command4_Click();
    EXPECT_EQ(menu->ZansaFlag, 0);
    EXPECT_EQ(opened, (std::vector<std::string>{"KOUZOUTAIQUEL", "CHUSIRIALTIME"}));

    opened.clear();
    menu->Command8_Click();
    EXPECT_EQ(menu->ZansaFlag, 0);
    EXPECT_FALSE(menu->Option1);
    EXPECT_EQ(opened, std::vector<std::string>{"YOSOKEKKATHISWEEKNQUEL"});
    EXPECT_EQ(rig.status.of("Text5"),
              (std::vector<std::string>{"予想･結果を開始しました。しばらくお待ちください。。数分かかります。", "1R予想中",
                                        "予想･結果終了"}));
    EXPECT_EQ(menu->Text5.Text, "予想･結果終了");

    opened.clear();
    menu->Command4_Click();  // the option is clear again
    EXPECT_EQ(opened, std::vector<std::string>{"KOUZOUTAIQUEL"});
}

TEST_F(Menu, ExpansionNeedsTheWeights) {
    menu->Command6_Click();
    EXPECT_EQ(rig.messages.messages,
              (std::vector<std::string>{
                  rig.app() + "に参照場所(展開フォルダ）に初回予想因子ウエイトが有りませんので、ソフトを終了します。"}));
    EXPECT_EQ(opened, std::vector<std::string>{"end"});
    EXPECT_TRUE(menu->Ended);

    opened.clear();
    rig.messages.messages.clear();
    const std::string when = weightFileDaysOld(3);
    menu->Command6_Click();
    EXPECT_TRUE(rig.messages.messages.empty());
    EXPECT_EQ(opened, std::vector<std::string>{"KORIVANEXPDTHISWEEKNQUEL"});
    EXPECT_EQ(menu->Label1.Text, kInstalledHead + when + kInstalledTail);
    EXPECT_EQ(menu->Label1.BackColor, 0x80FF80u);
}

TEST_F(Menu, OddsTablesAreBuiltOnlyWhenTheirWindowIsNotOpen) {
    std::filesystem::create_directory(rig.dir.file("KAIME"));
    const std::string race = jvRaceId(2026, 1205, 5, 5, 1, 11);
    rig.dir.write("O2THISWEEKN.dat", jvO2(race, 2, [](int, int) { return 35L; }));
    rig.dir.write("O4THISWEEKN.dat", jvO4(race, 2, [](int, int) { return 35L; }));
    rig.dir.write("O5THISWEEKN.dat", jvO5(race, 3, [](int, int, int) { return 35L; }));
    rig.dir.write("O6THISWEEKN.dat", jvO6(race, 3, [](int, int, int) { return 35L; }));
    rig.dir.write("O2RIALTIME.dat", jvO2(race, 2, [](int, int) { return 41L; }));
    const std::string table = "KAIME/202612050511UMARENODDS.dat";
    auto value12 = [&] {
        std::string t = rig.dir.read(table);
        std::size_t line = 0, pos = 0;
        while (line < 21) pos = t.find("\r\n", pos) + 2, ++line;  // line 22 = (1, 2)
        return t.substr(pos, t.find("\r\n", pos) - pos);
    };

    menu->Command7_Click();
    EXPECT_EQ(value12(), "3.5");
    EXPECT_EQ(rig.status.of("Text2"),
              (std::vector<std::string>{"今週のオッズ処理を開始しました。しばらくお待ちください。。。。。。。。",
                                        "今週のオッズ処理終了"}));
    kv::KORIVANODDSN* first = menu->OddsTablesWindow();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->Caption, "2024.6.29Z");

    // Still open: the live press only switches the source.
    menu->Command13_Click();
    EXPECT_EQ(kv::OddsSource, 1);
    EXPECT_EQ(value12(), "3.5");
    EXPECT_EQ(menu->OddsTablesWindow(), first);
    EXPECT_EQ(rig.status.of("Text3"),
              (std::vector<std::string>{"速報オッズ処理を開始しました。しばらくお待ちください。。。。。。",
                                        "速報オッズ処理終了"}));

    // "オッズセット終了", then the next press builds from its own source.
    menu->OddsTablesWindow()->Command1_Click();
    menu->Command13_Click();
    EXPECT_EQ(value12(), "4.1");
    EXPECT_EQ(yields, 3);
}

// A build that could not write its tables ends in the failure text, after one message.
TEST_F(Menu, OddsTablesThatCannotBeWrittenEndInTheFailureText) {
    const std::string race = jvRaceId(2026, 1205, 5, 5, 1, 11);
    for (const char* f : {"O4THISWEEKN.dat", "O5THISWEEKN.dat", "O6THISWEEKN.dat"}) rig.dir.write(f, "");
    rig.dir.write("O2THISWEEKN.dat", jvO2(race, 2, [](int, int) { return 35L; }));
    rig.dir.write("KAIME", "a file where the folder belongs");
    rig.messages.messages.clear();
    menu->Command7_Click();
    EXPECT_EQ(rig.status.of("Text2").back(), kv::kOddsTablesFailedText);
    ASSERT_EQ(rig.messages.messages.size(), 1u);
    EXPECT_NE(rig.messages.messages[0].find("KAIME/202612050511UMARENODDS.dat"), std::string::npos);
}

TEST_F(Menu, OtherButtons) {
    rig.control("setui_result=-1\n");
    rig.jv->JVInit("a/b/c/d");  // reads the control file
    menu->Command1_Click();
    EXPECT_EQ(rig.messages.messages, std::vector<std::string>{"エラーのためJV-Linkの設定に失敗しました。"});

    menu->Command14_Click();
    menu->Command16_Click();
    EXPECT_EQ(rig.shell.urls, (std::vector<std::string>{kv::kResultsBlogUrl, kv::kWeightUpdateUrl}));

    menu->Command3_Click();
    menu->Command12_Click();
    menu->Command5_Click();
    menu->Command9_Click();
    menu->Command10_Click();
    menu->Command11_Click();
    menu->Command15_Click();
    menu->Picture1_Click();
    EXPECT_EQ(opened, (std::vector<std::string>{"TEZFOTHISWEEKNQUEL", "TEZP2RIALTIME", "FactorTURFQJ", "FactorDIRTQJ",
                                                "FactorHURDQJ", "KakoSeisekiQUEL", "TekichuListQUEL", "end"}));
    EXPECT_EQ(rig.status.of("Text6"),
              (std::vector<std::string>{"過去の予想成績を開始しました。しばらくお待ちください。。。。。。。",
                                        "過去の予想成績終了",
                                        "過去の的中リストを開始しました。しばらくお待ちください。。。。。。。",
                                        "過去の的中リスト終了"}));
}

TEST_F(Menu, HistoryWindowsThatFailEndInTheFailureText) {
    menu->ShowPastPerformance = [] { return false; };
    menu->ShowHitList = [] { return false; };
    menu->Command11_Click();
    menu->Command15_Click();
    const auto texts = rig.status.of("Text6");
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[1], kv::kPastPerformanceFailedText);
    EXPECT_EQ(texts[3], kv::kHitListFailedText);
}

TEST_F(Menu, OtherWindowsWriteIntoTheStatusArea) {
    kv::StatusSink& area = *menu;
    area.setText("Text4", "構造体処理終了 120");
    area.setBackColor("Label1", 0x80FF80);
    area.setText("Caption of another window", "not ours");
    EXPECT_EQ(menu->Text4.Text, "構造体処理終了 120");
    EXPECT_EQ(menu->Label1.BackColor, 0x80FF80u);
    EXPECT_EQ(rig.status.texts.size(), 2u);  // every write is passed on
    EXPECT_EQ(kv::TEZF1THISWEEKNQUEL::CaptionOf("Command2"), "①　　今週開催取得");
    EXPECT_EQ(kv::TEZF1THISWEEKNQUEL::CaptionOf("Frame5"), "速報　（予想・結果表示後使用）");
}

}  // namespace
