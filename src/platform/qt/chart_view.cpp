#include "platform/qt/chart_view.h"

#include <algorithm>
#include <cmath>

#include <QMetaObject>
#include <QtCharts/QBarCategoryAxis>
#include <QtCharts/QBarSeries>
#include <QtCharts/QBarSet>
#include <QtCharts/QChart>
#include <QtCharts/QLegend>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

namespace kv::qt {

using kv::controls::ChartModel;

ChartView::ChartView(ChartModel& model, QWidget* parent) : QChartView(parent), model_(model) {
    setRenderHint(QPainter::Antialiasing);
    model_.setListener([this] {
        if (!pending_.exchange(true)) QMetaObject::invokeMethod(this, [this] { rebuild(); }, Qt::QueuedConnection);
    });
    rebuild();
}

ChartView::~ChartView() { model_.setListener({}); }

void ChartView::rebuild() {
    pending_ = false;
    auto* chart = new QChart();
    const int rows = model_.rowCount(), cols = model_.columnCount();
    QStringList categories;
    for (int r = 1; r <= rows; ++r) {
        QStringList levels;
        for (int l = 1; l <= ChartModel::kLabelLevels; ++l) {
            const std::string& t = model_.rowLabel(r, l);
            if (!t.empty()) levels << QString::fromStdString(t);
        }
        QString cat = levels.join('\n');
        // Category names must be unique; repeat labels get invisible padding.
        while (categories.contains(cat)) cat += QChar(0x200B);
        categories << cat;
    }
    double lo = 0, hi = 0;
    bool any = false;
    auto note = [&](double v) {
        lo = any ? std::min(lo, v) : v;
        hi = any ? std::max(hi, v) : v;
        any = true;
    };
    auto* xAxis = new QBarCategoryAxis();
    xAxis->append(categories);
    auto* yAxis = new QValueAxis();
    chart->addAxis(xAxis, Qt::AlignBottom);
    chart->addAxis(yAxis, Qt::AlignLeft);
    if (model_.kind() == ChartModel::Kind::Bar2d) {
        auto* series = new QBarSeries();
        for (int c = 1; c <= cols; ++c) {
            auto* set = new QBarSet(QString::fromStdString(model_.legendText(c)));
            for (int r = 1; r <= rows; ++r) {
                double v = model_.value(r, c).value_or(0.0);
                note(v);
                *set << v;
            }
            series->append(set);
        }
        chart->addSeries(series);
        series->attachAxis(xAxis);
        series->attachAxis(yAxis);
    } else {
        for (int c = 1; c <= cols; ++c) {
            auto* series = new QLineSeries();
            series->setName(QString::fromStdString(model_.legendText(c)));
            for (int r = 1; r <= rows; ++r) {
                if (auto v = model_.value(r, c)) {
                    note(*v);
                    series->append(r - 1, *v);
                }
            }
            chart->addSeries(series);
            series->attachAxis(xAxis);
            series->attachAxis(yAxis);
        }
    }
    const auto& axis = model_.valueAxis();
    if (!axis.automatic) {
        yAxis->setRange(axis.minimum, axis.maximum);
        yAxis->setTickCount(std::max(axis.divisions, 1) + 1);
    } else {
        if (!any) hi = 1;
        if (lo > 0) lo = 0;
        if (hi == lo) hi = lo + 1;
        yAxis->setRange(lo, hi);
        yAxis->applyNiceNumbers();
    }
    chart->legend()->setVisible(model_.showLegend());
    QChart* old = this->chart();
    setChart(chart);
    delete old;
}

}  // namespace kv::qt
