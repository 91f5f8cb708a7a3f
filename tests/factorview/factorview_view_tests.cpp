// The factor weight windows on the offscreen platform, opened from the menu:
// the tab each opens on, one instance per window, and a window whose tables
// cannot be read.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QPlainTextEdit>

#include "common/appfolder.h"
#include "common/recordfile.h"
#include "expansion/tables_fixture.h"
#include "factorview/ui/factor_view.h"
#include "platform/qt/chart_view.h"
#include "platform/qt/sinks_qt.h"
#include "program.h"
#include "ui/qt_app.h"

using kv::expansion::Surface;
using kv::ui::FactorWeightView;

namespace {

FactorWeightView* openWindow(const char* name) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == name && w->isVisible()) return qobject_cast<FactorWeightView*>(w);
    return nullptr;
}

exptest::TableDef tables() {
    exptest::TableDef t;
    for (int k = 1; k <= 30; ++k) t[k] = {{"01", 5, 0.25f, 0.5f, 0.75f}};
    return t;
}

}  // namespace

TEST(FactorWeightWindows, OpenFromTheMenuOnTheirFirstTabs) {
    testApp();
    kvtest::TempDir dir;
    kv::SetAppPath(dir.path());
    exptest::writeTables(dir, Surface::Turf, tables());
    exptest::writeTables(dir, Surface::Dirt, tables());
    dir.write("OPTION1N/KYOSOBA.dat", "");
    std::vector<std::string> messages;
    kv::qt::MessageBoxSink::setHook([&](const std::string& m) { messages.push_back(m); });
    {
        kv::ui::Program program(kv::joinPath(dir.path(), "jvfeed"));
        program.start();
        messages.clear();

        program.menu().button("Command5")->click();
        FactorWeightView* turf = openWindow("FactorTURFQJ");
        ASSERT_NE(turf, nullptr);
        EXPECT_EQ(turf->windowTitle(), "芝予想因子 Ver.2020.7.21  201901-202503");
        EXPECT_EQ(turf->outerTabs()->count(), 30);
        EXPECT_EQ(turf->outerTabs()->rowCount(), 6);
        EXPECT_EQ(turf->outerTabs()->currentIndex(), 11);
        EXPECT_EQ(turf->nestedTabs()->currentIndex(), 0);
        EXPECT_EQ(turf->nestedTabs()->caption(0), "牡馬");
        EXPECT_TRUE(turf->control("MaleAgeChart")->isVisible());
        EXPECT_FALSE(turf->control("BareiTurfFG")->isVisible());
        EXPECT_TRUE(turf->control("Text6")->isVisible());

        program.menu().button("Command9")->click();
        FactorWeightView* dirt = openWindow("FactorDIRTQJ");
        ASSERT_NE(dirt, nullptr);
        EXPECT_EQ(dirt->outerTabs()->currentIndex(), 1);
        EXPECT_TRUE(dirt->control("KijunSpeedDFG")->isVisible());
        auto* text5 = qobject_cast<QPlainTextEdit*>(dirt->control("Text5"));
        ASSERT_NE(text5, nullptr);
        EXPECT_TRUE(text5->isVisible());
        EXPECT_TRUE(text5->toPlainText().contains("中山ダート1200ｍ"));

        // A second press brings the loaded window to the front as it is.
        turf->outerTabs()->setCurrentIndex(3);
        program.menu().button("Command5")->click();
        EXPECT_EQ(openWindow("FactorTURFQJ"), turf);
        EXPECT_EQ(turf->outerTabs()->currentIndex(), 3);

        // No hurdle tables: one message, and the window does not open.
        program.menu().button("Command10")->click();
        QApplication::processEvents();
        EXPECT_EQ(openWindow("FactorHURDQJ"), nullptr);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0], "因子ウエイトファイルを読み込めません: " +
                                   kv::appFile(kv::expansion::weightFileNames(Surface::Hurdle).totalData));

        // Nothing stays of the failed load: with its tables in place the next press opens it,
        // on tab F2, with the month-age grid and its box in front on F12.
        exptest::writeTables(dir, Surface::Hurdle, tables());
        program.menu().button("Command10")->click();
        FactorWeightView* hurdle = openWindow("FactorHURDQJ");
        ASSERT_NE(hurdle, nullptr);
        EXPECT_EQ(hurdle->outerTabs()->currentIndex(), 1);
        EXPECT_EQ(hurdle->nestedTabs()->currentIndex(), 2);
        hurdle->outerTabs()->setCurrentIndex(11);
        EXPECT_TRUE(hurdle->control("BareiHurdFG")->isVisible());
        EXPECT_TRUE(hurdle->control("Text16")->isVisible());
        EXPECT_EQ(messages.size(), 1u);

        // Closed, the window is loaded again on the next press.
        turf->close();
        QApplication::processEvents();
        program.menu().button("Command5")->click();
        FactorWeightView* again = openWindow("FactorTURFQJ");
        ASSERT_NE(again, nullptr);
        EXPECT_EQ(again->outerTabs()->currentIndex(), 11);
    }
    kv::qt::MessageBoxSink::setHook({});
}
