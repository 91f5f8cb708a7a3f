#include <gtest/gtest.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QTest>

#include "acquisition/menu.h"
#include "common/stepstate.h"
#include "history/ui/history_views.h"
#include "platform/qt/gui_thread.h"
#include "history_fixture.h"
#include "platform/qt/sinks_qt.h"
#include "program.h"
#include "ui/qt_app.h"

using namespace histtest;

namespace {

template <class W>
W* shownWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* x = qobject_cast<W*>(w); x && x->isVisible()) return x;
    return nullptr;
}

struct HistoryWindowsTest : HistoryTest, ::testing::Test {
    HistoryWindowsTest() {
        testApp();
        day("20250405060102", "tekichu.txt", line({"2025年", "04月", "05日", "1回", "阪神", "2日目"}));
        day("20250405060102", "lupRCM.txt",
            rcLine("01", "春風特別", "1600") + rrLine() + hsLine("1", "3", " 5", " 1", " 4", "12", "1.34.20") +
                line({"Q1", " 5"}) + atLine("1", "7", "本線1第1順 的中", " 5→ 1→ 2", "38900"));
        kv::qt::MessageBoxSink::setHook([](const std::string&) {});
    }
};

TEST_F(HistoryWindowsTest, BothWindowsFromTheMenuWithTheirButtonsBlockedDuringTheLoad) {
    kv::ui::Program program(dir.file("jvfeed"));
    program.start();
    kv::ui::MenuWindow& menu = program.menu();
    auto* text6 = qobject_cast<QPlainTextEdit*>(menu.control("Text6"));
    ASSERT_NE(text6, nullptr);
    // Texts the loads write arrive while the window loads: both buttons are blocked then.
    int searchTexts = 0, unblocked = 0;
    QObject::connect(text6, &QPlainTextEdit::textChanged, [&] {
        if (!text6->toPlainText().endsWith("検索中")) return;
        ++searchTexts;
        if (menu.button("Command11")->isEnabled() || menu.button("Command15")->isEnabled()) ++unblocked;
    });

    menu.button("Command11")->click();
    auto* past = shownWindow<kv::ui::PastPerformanceWindow>();
    ASSERT_NE(past, nullptr);
    EXPECT_EQ(past->windowTitle(), "過去の予想成績 Ver.2024.8.12A");
    EXPECT_EQ(text6->toPlainText(), "過去の予想成績終了");
    ASSERT_EQ(past->list1()->count(), 1);
    EXPECT_EQ(past->ssTab1()->currentIndex(), 3);
    EXPECT_EQ(past->ssTab2()->currentIndex(), 11);
    EXPECT_EQ(read("SOKUDO/HR20250405.csv"), "2025040506010201,0,00,0,00,0,00,0,00,61146,01\r\n");
    QTest::mouseClick(past->list1()->viewport(), Qt::LeftButton, {},
                      past->list1()->visualItemRect(past->list1()->item(0)).center());
    EXPECT_EQ(past->logic().DayKey, "20250405060102");
    EXPECT_TRUE(past->text2(0)->toPlainText().startsWith("2025年04月05日1回阪神2日目  01R 春風特別"));
    EXPECT_TRUE(past->text1()->toPlainText().startsWith("回収率・的中率は"));

    menu.button("Command15")->click();
    auto* hits = shownWindow<kv::ui::HitListWindow>();
    ASSERT_NE(hits, nullptr);
    EXPECT_EQ(hits->windowTitle(), "万馬券的中リスト　Ver.2024.8.12A");
    EXPECT_EQ(text6->toPlainText(), "過去の的中リスト終了");
    ASSERT_NE(hits->grid(), nullptr);
    EXPECT_EQ(hits->grid()->model()->index(1, 9).data().toString(), "38900");

    EXPECT_GT(searchTexts, 0);
    EXPECT_EQ(unblocked, 0);
    EXPECT_TRUE(menu.button("Command11")->isEnabled());
    EXPECT_TRUE(menu.button("Command15")->isEnabled());
    EXPECT_FALSE(kv::ui::historySearchUnderWay());

    // A second press only brings the open window to the front: no new search.
    const int before = searchTexts;
    menu.button("Command11")->click();
    EXPECT_EQ(shownWindow<kv::ui::PastPerformanceWindow>(), past);
    EXPECT_EQ(searchTexts, before);
}

// A load that stops on an unexpected error (here the message of the load
// itself fails) is told, ends in the failure text and gives its window and the
// menu's buttons back.
TEST_F(HistoryWindowsTest, ALoadThatThrowsIsToldAndReleasesItsWindow) {
    {
        kv::steps::StepRun interrupted(dir.path(), kv::steps::PREDICT);  // the load has a note to tell
    }
    std::vector<std::string> shown;
    kv::qt::MessageBoxSink::setHook([&](const std::string& m) {
        if (m.find("⑥予想・結果") != std::string::npos) throw std::runtime_error("message box lost");
        shown.push_back(m);
    });
    kv::ui::Program program(dir.file("jvfeed"));
    program.start();
    kv::ui::MenuWindow& menu = program.menu();
    shown.clear();  // the menu's own start-up notes
    menu.button("Command11")->click();
    auto* past = shownWindow<kv::ui::PastPerformanceWindow>();
    ASSERT_NE(past, nullptr);
    EXPECT_FALSE(past->running());
    EXPECT_TRUE(past->loadFailed());
    EXPECT_EQ(kv::qt::widgetText(menu.control("Text6")), kv::kPastPerformanceFailedText);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], kv::qt::backgroundFailureText(kv::history::KakoSeisekiQUEL::kCaption));
    EXPECT_TRUE(menu.button("Command11")->isEnabled());
    EXPECT_TRUE(menu.button("Command15")->isEnabled());
    EXPECT_FALSE(kv::ui::historySearchUnderWay());
    EXPECT_TRUE(past->close());
    kv::qt::MessageBoxSink::setHook([](const std::string&) {});
}

}  // namespace
