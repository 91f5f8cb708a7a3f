// The plain control models: what windows and views rely on.
#include <gtest/gtest.h>

#include "platform/controls/chart_model.h"
#include "platform/controls/grid_model.h"
#include "platform/controls/tabstrip_model.h"

using namespace kv::controls;

TEST(GridModel, ResizeKeepsCellsInsideAndEmptiesNewOnes) {
    GridModel g(3, 3, 1, 1);
    g.setText(1, 2, "a");
    g.setBackColor(2, 2, qbColor(10));
    g.setColWidth(2, 1700);
    g.resize(5, 4);
    EXPECT_EQ(g.text(1, 2), "a");
    EXPECT_EQ(g.backColor(2, 2), 0x00FF00u);
    EXPECT_EQ(g.colWidth(2), 1700);
    EXPECT_EQ(g.text(4, 3), "");
    EXPECT_FALSE(g.backColor(4, 3).has_value());
    EXPECT_EQ(g.colWidth(3), GridModel::kDefaultColWidth);
    g.resize(2, 2);
    EXPECT_THROW(g.text(2, 0), std::out_of_range);
    g.resize(3, 3);
    EXPECT_EQ(g.text(1, 1), "");  // cut cells do not come back
}

TEST(GridModel, OutOfRangeCellsThrowAndClickSetsCurrentCell) {
    GridModel g(19, 25);
    EXPECT_EQ(g.row(), 1);
    EXPECT_EQ(g.col(), 1);
    EXPECT_THROW(g.setText(19, 0, "x"), std::out_of_range);
    EXPECT_THROW(g.setText(0, -1, "x"), std::out_of_range);
    EXPECT_THROW(g.setColWidth(25, 10), std::out_of_range);
    EXPECT_THROW(g.setFixedRows(20), std::out_of_range);
    int hits = 0, hr = -1, hc = -1;
    g.setClickHandler([&](int r, int c) {
        ++hits;
        hr = g.row();
        hc = g.col();
        EXPECT_EQ(r, hr);
        EXPECT_EQ(c, hc);
    });
    g.click(5, 7);
    EXPECT_EQ(hits, 1);
    EXPECT_EQ(hr, 5);
    EXPECT_EQ(hc, 7);
    EXPECT_THROW(g.click(19, 0), std::out_of_range);
    EXPECT_EQ(hits, 1);
}

TEST(GridModel, Colours) {
    // The classic palette entries the windows use, and the Windows BGR form.
    EXPECT_EQ(qbColor(15), 0xFFFFFFu);
    EXPECT_EQ(qbColor(14), 0xFFFF00u);
    EXPECT_EQ(qbColor(11), 0x00FFFFu);
    EXPECT_EQ(qbColor(12), 0xFF0000u);
    EXPECT_THROW(qbColor(16), std::out_of_range);
    EXPECT_EQ(bgrToRgb(0x80FF80), 0x80FF80u);
    EXPECT_EQ(bgrToRgb(0x0000FF), 0xFF0000u);
}

TEST(ChartModel, ValuesLabelsAndAxis) {
    ChartModel m;
    m.setKindCode(3);
    EXPECT_EQ(m.kind(), ChartModel::Kind::Line2d);
    EXPECT_THROW(m.setKindCode(7), std::out_of_range);
    m.setColumnCount(3);
    m.setRowCount(33);
    m.setRow(33);
    m.setColumn(3);
    m.setData(1.25);
    EXPECT_EQ(m.value(33, 3), 1.25);
    EXPECT_THROW(m.setRow(34), std::out_of_range);
    EXPECT_THROW(m.value(0, 1), std::out_of_range);
    m.setValueText(1, 1, " -0.5");
    EXPECT_EQ(m.value(1, 1), -0.5);
    m.setValueText(1, 1, "--");
    EXPECT_FALSE(m.value(1, 1).has_value());
    m.setRowLabel(2, 3, "3");
    EXPECT_EQ(m.rowLabel(2, 3), "3");
    EXPECT_THROW(m.setRowLabel(2, 4, "x"), std::out_of_range);
    m.setColumnLabel(1, "上がり");
    EXPECT_EQ(m.legendText(1), "上がり");  // the legend falls back on the column label
    m.setLegendText(1, "予想順");
    EXPECT_EQ(m.legendText(1), "予想順");
    m.setRowCount(20);  // shrinking keeps what stays inside
    EXPECT_EQ(m.rowLabel(2, 3), "3");
    m.setValueAxisFixed(-2.5, 2.5, 10);
    EXPECT_FALSE(m.valueAxis().automatic);
    EXPECT_EQ(m.valueAxis().maximum, 2.5);
}

TEST(TabStripModel, RowsAndCurrentTab) {
    TabStripModel t(30, 5);
    EXPECT_EQ(t.rowCount(), 6);
    t.setTabsPerRow(0);
    EXPECT_EQ(t.rowCount(), 1);
    int previous = -1, calls = 0;
    t.setChangeHandler([&](int p) {
        previous = p;
        ++calls;
    });
    t.setCurrent(11);
    t.setCurrent(11);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(previous, 0);
    EXPECT_THROW(t.setCurrent(30), std::out_of_range);
    t.setCount(7);
    EXPECT_EQ(t.current(), 6);
}

// The control dump: one format for every window shown headless.
#include <sstream>

#include "platform/controls/dump.h"

TEST(ControlDump, PrintsEveryKindOfControlWithEscapesAndColours) {
    std::ostringstream out;
    ControlDump d(out);
    d.text("Text1", "a\\b\tc\r\nd" + std::string(1, '\0') + "e", 0x00FF00u, std::nullopt);
    d.text("Label1", "plain");
    d.list(arrayName("List", 2), {"x", "y"});
    GridModel g(2, 3, 1, 0);
    g.setText(0, 0, "本線　");
    g.setText(1, 2, "9");
    g.setBackColor(1, 1, qbColor(15));
    g.setForeColor(0, 2, 0xFF0000u);
    d.grid("G", g);
    ChartModel c;
    c.setColumnCount(2);
    c.setRowCount(2);
    c.setRowLabel(1, 1, "27");
    c.setValue(1, 1, 0.7);
    c.setValue(1, 2, -0.04);
    c.setValue(2, 2, 1e15);
    d.chart("Chart", c);
    TabStripModel t(2);
    t.setCaption(0, "F1");
    t.setCaption(1, "F2");
    t.setCurrent(1);
    d.tabs("SSTab1", t);
    d.progress("ProgressBar1", ProgressModel{0, 10, 3});
    EXPECT_EQ(out.str(),
              "== Text1 text\na\\\\b\\tc\\r\\nd e\ncolour back=00FF00 fore=-\n"
              "== Label1 text\nplain\n"
              "== List(2) list 2\nx\ny\n"
              "== G grid 2x3 fixed 1,0\n本線　\t\t\n\t\t9\n"
              "colour 0,2 back=- fore=FF0000\ncolour 1,1 back=FFFFFF fore=-\n"
              "== Chart chart 2x2\n27\t0.7\t-0.04\n\t\t1000000000000000\n"
              "== SSTab1 tabs 2 current 1\nF1\nF2\n"
              "== ProgressBar1 progress 3/10\n");
}
