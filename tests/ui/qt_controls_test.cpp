// The Qt views over the control models, on the offscreen platform.
#include <gtest/gtest.h>

#include <QBrush>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>
#include <QtCharts/QBarSeries>
#include <QtCharts/QChart>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include "platform/qt/chart_view.h"
#include "platform/qt/gui_thread.h"
#include "platform/qt/grid_view.h"
#include "platform/qt/sinks_qt.h"
#include "platform/qt/tabstrip.h"
#include "platform/qt/twips.h"
#include "qt_app.h"

using namespace kv::controls;
using namespace kv::qt;

TEST(Twips, ToPixels) {
    EXPECT_EQ(twipsToPixels(1440, 96), 96);
    EXPECT_EQ(twipsToPixels(1700, 96), 113);  // 113.33
    EXPECT_EQ(twipsToPixels(500, 120), 42);   // 41.67
    EXPECT_EQ(twipsToPixels(0, 96), 0);
}

TEST(GridView, LargeGridFilledCellByCellShowsTextColoursWidthsAndClicks) {
    testApp();
    GridModel g(2, 2, 1, 1);
    GridView view(g);
    view.resize(800, 600);
    view.show();
    g.resize(5001, 21);
    for (int r = 0; r < g.rows(); ++r)
        for (int c = 0; c < g.cols(); ++c) g.setText(r, c, std::to_string(r) + "," + std::to_string(c));
    g.setColWidth(1, 1700);
    g.setRowHeight(0, 500);
    g.setBackColor(2, 3, qbColor(14));
    g.setForeColor(2, 3, qbColor(12));
    QCoreApplication::processEvents();

    auto* m = view.gridModel();
    ASSERT_EQ(m->rowCount(), 5001);
    ASSERT_EQ(m->columnCount(), 21);
    EXPECT_EQ(m->data(m->index(5000, 20), Qt::DisplayRole).toString(), "5000,20");
    EXPECT_EQ(m->data(m->index(2, 3), Qt::BackgroundRole).value<QBrush>().color(), QColor(255, 255, 0));
    EXPECT_EQ(m->data(m->index(2, 3), Qt::ForegroundRole).value<QBrush>().color(), QColor(255, 0, 0));
    EXPECT_TRUE(m->data(m->index(0, 5), Qt::BackgroundRole).isValid());  // fixed row looks like a header
    EXPECT_FALSE(m->data(m->index(3, 5), Qt::BackgroundRole).isValid());
    EXPECT_EQ(view.columnWidth(1), twipsToPixels(&view, 1700));
    EXPECT_EQ(view.columnWidth(2), twipsToPixels(&view, GridModel::kDefaultColWidth));
    EXPECT_GE(view.rowHeight(0), twipsToPixels(&view, 500));  // a taller fixed row: two lines at least

    int clickedRow = -1, clickedCol = -1;
    g.setClickHandler([&](int r, int c) {
        clickedRow = r;
        clickedCol = c;
    });
    view.scrollToTop();
    const QRect cell = view.visualRect(m->index(2, 1));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(clickedRow, 2);
    EXPECT_EQ(clickedCol, 1);
    EXPECT_EQ(g.row(), 2);
    EXPECT_EQ(g.col(), 1);

    // Scrolled to the end, the fixed row and column stay in place and take clicks.
    view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum());
    view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->maximum());
    QCoreApplication::processEvents();
    ASSERT_GT(view.verticalScrollBar()->value(), 0);
    QTableView* top = view.frozenRowsView();
    ASSERT_TRUE(top->isVisible());
    EXPECT_EQ(top->height(), view.rowHeight(0));
    EXPECT_EQ(top->indexAt(QPoint(2, 2)).row(), 0);
    EXPECT_EQ(top->indexAt(QPoint(top->width() - 2, 2)).column(), 20);  // sideways with the grid
    const QRect header = top->visualRect(m->index(0, 20));
    QTest::mouseClick(top->viewport(), Qt::LeftButton, {}, header.center());
    EXPECT_EQ(clickedRow, 0);
    EXPECT_EQ(clickedCol, 20);
    QTableView* left = view.frozenColsView();
    ASSERT_TRUE(left->isVisible());
    EXPECT_EQ(left->width(), view.columnWidth(0));
    EXPECT_GT(left->indexAt(QPoint(2, left->height() - 2)).row(), 4000);

    // Shrinking the grid: the view never reads beyond the model.
    g.resize(3, 2);
    EXPECT_FALSE(m->data(m->index(4000, 1), Qt::DisplayRole).isValid());
    QCoreApplication::processEvents();
    EXPECT_EQ(m->rowCount(), 3);
}

TEST(ChartView, FixedAxisBarsAndLines) {
    testApp();
    ChartModel model;
    model.setColumnCount(3);
    model.setRowCount(4);
    for (int r = 1; r <= 4; ++r)
        for (int c = 1; c <= 3; ++c) model.setValue(r, c, r * 0.5 - c);
    model.setRowLabel(1, 1, "27");
    model.setValueAxisFixed(-2.5, 2.5, 10);
    ChartView view(model);
    QCoreApplication::processEvents();
    auto axes = view.chart()->axes(Qt::Vertical);
    ASSERT_EQ(axes.size(), 1);
    auto* y = qobject_cast<QValueAxis*>(axes[0]);
    ASSERT_NE(y, nullptr);
    EXPECT_DOUBLE_EQ(y->min(), -2.5);
    EXPECT_DOUBLE_EQ(y->max(), 2.5);
    EXPECT_EQ(y->tickCount(), 11);
    ASSERT_EQ(view.chart()->series().size(), 1);
    auto* bars = qobject_cast<QBarSeries*>(view.chart()->series()[0]);
    ASSERT_NE(bars, nullptr);
    EXPECT_EQ(bars->count(), 3);

    model.setKind(ChartModel::Kind::Line2d);
    model.setValue(2, 1, std::nullopt);
    QCoreApplication::processEvents();
    ASSERT_EQ(view.chart()->series().size(), 3);
    auto* line = qobject_cast<QLineSeries*>(view.chart()->series().back());  // column 1, drawn on top
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->count(), 3);  // the row without a value is left out
}

// Category labels: whole, their levels on separate lines, every k-th one
// when they do not all fit; the series in the colours given, column by column.
TEST(ChartView, LabelsWholeAndStackedSeriesInTheirColours) {
    testApp();
    struct Case {
        int rows, levels, width;
        bool everyLabel;
    };
    for (const Case& c : {Case{33, 1, 1400, true}, Case{33, 1, 360, false}, Case{14, 3, 700, true}}) {
        SCOPED_TRACE(std::to_string(c.rows) + " rows at " + std::to_string(c.width));
        ChartModel model;
        model.setKind(ChartModel::Kind::Line2d);
        model.setColumnCount(3);
        model.setRowCount(c.rows);
        for (int r = 1; r <= c.rows; ++r) {
            for (int col = 1; col <= 3; ++col) model.setValue(r, col, 0.5);
            for (int l = 1; l <= c.levels; ++l) model.setRowLabel(r, l, std::to_string(26 + r * l));
        }
        for (int col = 1; col <= 3; ++col) model.setLegendText(col, "s" + std::to_string(col));
        ChartView view(model);
        const std::vector<QColor> colors{QColor(255, 0, 0), QColor(0, 255, 0), QColor(0, 0, 255)};
        view.setSeriesColors(colors);
        view.resize(c.width, 400);
        view.show();
        QCoreApplication::processEvents();
        const auto labels = view.drawnLabels();
        ASSERT_FALSE(labels.empty());
        EXPECT_EQ(view.tickPositions().size(), static_cast<std::size_t>(c.rows));
        const int k = labels.size() > 1 ? labels[1].row - labels[0].row : c.rows;
        EXPECT_EQ(k == 1, c.everyLabel);
        const QFontMetrics fm(view.font());
        for (std::size_t i = 0; i < labels.size(); ++i) {
            EXPECT_EQ(labels[i].row, 1 + static_cast<int>(i) * k);
            ASSERT_EQ(labels[i].lines.size(), c.levels);
            for (int l = 0; l < c.levels; ++l) {
                EXPECT_EQ(labels[i].lines[l].toStdString(), model.rowLabel(labels[i].row, l + 1));
                EXPECT_LE(fm.horizontalAdvance(labels[i].lines[l]), labels[i].rect.width());
            }
            if (i > 0) {
                EXPECT_LT(labels[i - 1].rect.right(), labels[i].rect.left());
            }
        }
        for (QAbstractSeries* s : view.chart()->series()) {
            const int col = s->name().mid(1).toInt();
            ASSERT_GE(col, 1);
            EXPECT_EQ(qobject_cast<QLineSeries*>(s)->pen().color(), colors[col - 1]) << col;
        }
    }
}

TEST(TabStrip, SeveralRowsFollowTheModel) {
    testApp();
    TabStripModel model(30, 5);
    for (int i = 0; i < 30; ++i) model.setCaption(i, "F" + std::to_string(i + 1));
    TabStrip strip;
    for (int i = 0; i < 30; ++i) strip.addPage(new QWidget, QString());
    strip.bind(model);
    strip.show();
    EXPECT_EQ(strip.rowCount(), 6);
    EXPECT_EQ(strip.caption(11), "F12");
    int changedFrom = -1;
    model.setChangeHandler([&](int previous) { changedFrom = previous; });
    strip.tabButton(11)->click();
    EXPECT_EQ(model.current(), 11);
    EXPECT_EQ(changedFrom, 0);
    EXPECT_EQ(strip.currentIndex(), 11);
    model.setCurrent(2);  // the model moves the strip too
    EXPECT_EQ(strip.currentIndex(), 2);
    EXPECT_TRUE(strip.tabButton(2)->isChecked());
}

TEST(Sinks, StatusFromAWorkerThreadLandsInTheWidgetOnTheGuiThread) {
    testApp();
    WidgetStatusSink sink;
    QLabel label;
    sink.bind("Label1", &label);
    bool finished = false;
    QObject ctx;
    runInBackground(
        &ctx,
        [&] {
            sink.setText("Label1", "予想因子");
            sink.setBackColor("Label1", 0x80FF80);
            sink.setText("Unknown", "ignored");
        },
        [&] { finished = true; });
    for (int i = 0; i < 500 && !finished; ++i) QTest::qWait(5);
    QCoreApplication::processEvents();
    ASSERT_TRUE(finished);
    EXPECT_EQ(label.text(), "予想因子");
    EXPECT_EQ(label.palette().color(QPalette::Window), QColor(0x80, 0xFF, 0x80));
    EXPECT_EQ(runningBackgroundJobs(), 0);
}

// A job that throws is told in a message over its window, and the window is
// given back all the same, before the message comes up. Seen from outside the
// job: the window's lock (its button, disabled while a run is under way, as
// the windows do it) when the box is on the screen and once the job is over.
TEST(Sinks, AJobThatThrowsIsToldAndItsWindowGivenBack) {
    testApp();
    QWidget window;
    window.setWindowTitle("計算");
    auto* run = new QPushButton("run", &window);
    window.show();
    struct Box {
        std::string text;
        QWidget* owner;
        bool windowLocked;
    };
    std::vector<Box> boxes;
    QTimer closer;  // closes each message box as it comes up, noting what the user saw
    QObject::connect(&closer, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) return;
        boxes.push_back({box->text().toStdString(), box->parentWidget(), !run->isEnabled()});
        box->done(QMessageBox::Ok);
    });
    closer.start(5);
    struct Case {
        const char* what;
        std::function<void()> work;
        const char* detail;
    };
    const Case cases[] = {
        {"a standard exception", [] { throw std::runtime_error("disk gone"); }, "disk gone"},
        {"anything else", [] { throw 42; }, "unknown exception"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        boxes.clear();
        run->setEnabled(false);
        std::string detail;
        runInBackground(
            &window, c.work, [&] { run->setEnabled(true); }, [&](const std::string& d) { detail = d; });
        for (int i = 0; i < 1000 && (runningBackgroundJobs() > 0 || boxes.empty()); ++i) QTest::qWait(5);
        EXPECT_EQ(runningBackgroundJobs(), 0);
        EXPECT_TRUE(run->isEnabled()) << "the window is not given back";
        EXPECT_EQ(detail, c.detail);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, backgroundFailureText("計算"));
        EXPECT_NE(boxes[0].text.find("「計算」の処理が予期しないエラーで途中で止まりました。"), std::string::npos);
        EXPECT_EQ(boxes[0].owner, &window);
        EXPECT_FALSE(boxes[0].windowLocked) << "the message came before the window was given back";
        // The same work run by a button on the GUI thread is told the same way.
        boxes.clear();
        EXPECT_FALSE(runGuarded(&window, c.work));
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, backgroundFailureText("計算"));
        EXPECT_EQ(boxes[0].owner, &window);
    }
    boxes.clear();
    EXPECT_TRUE(runGuarded(&window, [] {}));
    QTest::qWait(20);
    EXPECT_TRUE(boxes.empty());
}
