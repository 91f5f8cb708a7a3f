// The race display in the predictions window: a selection in List1 fills the
// header and the grids' views; a race-card click opens the one past-runs window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "display_fixture.h"
#include "platform/sinks.h"
#include "prediction/ui/predictions_view.h"
#include "ui/qt_app.h"

using namespace disptest;

namespace {

struct NoMessages : kv::MessageSink {
    std::vector<std::string> messages;
    void message(const std::string& text) override { messages.push_back(text); }
};

struct NoStatus : kv::StatusSink {
    void setText(const std::string&, const std::string&) override {}
};

void clickCell(kv::qt::GridView* v, int row, int col) {
    const QRect r = v->visualRect(v->model()->index(row, col));
    QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, r.center());
}

kv::ui::KakosoWindow* shownKakoso() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* k = qobject_cast<kv::ui::KakosoWindow*>(w); k && k->isVisible()) return k;
    return nullptr;
}

}  // namespace

TEST(PredictionsWindowDisplay, ListSelectionShowsTheRaceAndCellsOpenPastRuns) {
    testApp();
    Week w(2);
    NoStatus menu;
    NoMessages messages;
    auto* win = new kv::ui::PredictionsWindow(menu, messages, [] { return kv::pred::WriterChain{}; });
    kv::qt::showNew(win);
    ASSERT_FALSE(win->running());
    // The week of the fixture in the window (the run over an empty folder listed nothing).
    win->logic().st = w.st;
    for (const auto& item : w.st.List1) win->list1()->addItem(QString::fromStdString(item));
    auto r1 = runner(2, 1), r2 = runner(2, 2);
    r2.set(rh::KettoNum.at(0), "2023100259");
    w.runners(2, {r1, r2});
    w.dir.write("UMAGOTOEXTHISWEEKN/2023100259EX.dat", std::string(2603, '\0'));
    w.dir.write("UMAGOTOEXTHISWEEKN/2020100001EX.dat", std::string(2 * 2603, '\0'));

    win->list1()->setCurrentRow(1);
    kv::ui::RaceDisplayPanel* panel = win->displayPanel();
    EXPECT_EQ(panel->text1()->text().toStdString(), win->display().Text1.text);
    EXPECT_TRUE(panel->text1()->styleSheet().contains("#00FF00"));
    QCoreApplication::processEvents();
    auto* g1 = panel->grid("RACEDETAILGrid1");
    ASSERT_NE(g1, nullptr);
    EXPECT_EQ(g1->model()->rowCount(), 19);
    EXPECT_EQ(g1->model()->data(g1->model()->index(2, 0)).toString().toStdString(), "1    02");
    EXPECT_EQ(panel->grid("SANTANGrid4")->model()->rowCount(), 817);
    EXPECT_EQ(panel->tabs()->count(), 7);
    EXPECT_EQ(panel->tabs()->caption(2).toStdString(), "馬連･馬単");

    // A click on horse 2's name opens its runs; a click on horse 1 while shown keeps horse 2.
    panel->tabs()->setCurrentIndex(0);
    win->resize(1600, 1000);
    QCoreApplication::processEvents();
    clickCell(g1, 2, 6);
    kv::ui::KakosoWindow* k = shownKakoso();
    ASSERT_NE(k, nullptr);
    EXPECT_EQ(k->logic().EXFG1.cols(), 2);
    clickCell(g1, 1, 6);
    EXPECT_EQ(shownKakoso(), k);
    EXPECT_EQ(k->logic().EXFG1.cols(), 2);
    QPointer<kv::ui::KakosoWindow> kp(k);
    k->command1()->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(kp);
    clickCell(g1, 1, 6);
    ASSERT_NE(shownKakoso(), nullptr);
    EXPECT_EQ(shownKakoso()->logic().EXFG1.cols(), 3);
    shownKakoso()->close();
    win->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
