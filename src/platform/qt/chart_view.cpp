#include "platform/qt/chart_view.h"

#include <algorithm>
#include <cmath>

#include <QFontMetrics>
#include <QMetaObject>
#include <QPainter>
#include <QtCharts/QBarCategoryAxis>
#include <QtCharts/QBarSeries>
#include <QtCharts/QBarSet>
#include <QtCharts/QChart>
#include <QtCharts/QLegend>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

namespace kv::qt {

using kv::controls::ChartModel;

namespace {
constexpr int kTickLength = 4;
constexpr int kLabelGap = 6;  // between two labels along the axis
}  // namespace

ChartView::ChartView(ChartModel& model, QWidget* parent) : QChartView(parent), model_(model) {
    setRenderHint(QPainter::Antialiasing);
    model_.setListener([this] {
        if (!pending_.exchange(true)) QMetaObject::invokeMethod(this, [this] { rebuild(); }, Qt::QueuedConnection);
    });
    rebuild();
}

ChartView::~ChartView() { model_.setListener({}); }

void ChartView::setSeriesColors(std::vector<QColor> colors) {
    colors_ = std::move(colors);
    rebuild();
}

std::vector<int> ChartView::usedLevels() const {
    std::vector<int> levels;
    for (int l = 1; l <= ChartModel::kLabelLevels; ++l)
        for (int r = 1; r <= model_.rowCount(); ++r)
            if (!model_.rowLabel(r, l).empty()) {
                levels.push_back(l);
                break;
            }
    return levels;
}

void ChartView::rebuild() {
    pending_ = false;
    auto* chart = new QChart();
    const int rows = model_.rowCount(), cols = model_.columnCount();
    // The axis keeps one category per row; its labels are drawn by the view.
    QStringList categories;
    for (int r = 1; r <= rows; ++r) categories << QString::number(r);
    double lo = 0, hi = 0;
    bool any = false;
    auto note = [&](double v) {
        lo = any ? std::min(lo, v) : v;
        hi = any ? std::max(hi, v) : v;
        any = true;
    };
    auto color = [this](int c) { return c - 1 < static_cast<int>(colors_.size()) ? colors_[c - 1] : QColor(); };
    auto* xAxis = new QBarCategoryAxis();
    xAxis->append(categories);
    xAxis->setLabelsVisible(false);
    auto* yAxis = new QValueAxis();
    chart->addAxis(xAxis, Qt::AlignBottom);
    chart->addAxis(yAxis, Qt::AlignLeft);
    if (model_.kind() == ChartModel::Kind::Bar2d) {
        auto* series = new QBarSeries();
        for (int c = 1; c <= cols; ++c) {
            auto* set = new QBarSet(QString::fromStdString(model_.legendText(c)));
            if (color(c).isValid()) set->setColor(color(c));
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
        // The last column first: it lies at the bottom, widest; the legend keeps the columns' order.
        for (int c = cols; c >= 1; --c) {
            auto* series = new QLineSeries();
            series->setName(QString::fromStdString(model_.legendText(c)));
            QPen pen = series->pen();
            if (color(c).isValid()) pen.setColor(color(c));
            pen.setWidthF(2.0 + 2.5 * (c - 1));
            series->setPen(pen);
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
        chart->legend()->setReverseMarkers(true);
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
    // Room below the plot for the tick marks and the label lines.
    const int lines = static_cast<int>(usedLevels().size());
    QMargins m = chart->margins();
    m.setBottom(m.bottom() + kTickLength + 2 + lines * QFontMetrics(font()).lineSpacing());
    chart->setMargins(m);
    QChart* old = this->chart();
    setChart(chart);
    delete old;
}

std::vector<double> ChartView::tickPositions() const {
    std::vector<double> ticks;
    const int rows = model_.rowCount();
    if (rows <= 0 || !chart()) return ticks;
    const QRectF plot = mapFromScene(chart()->mapToScene(chart()->plotArea())).boundingRect();
    for (int r = 1; r <= rows; ++r) ticks.push_back(plot.left() + (r - 0.5) * plot.width() / rows);
    return ticks;
}

std::vector<ChartView::Label> ChartView::drawnLabels() const {
    std::vector<Label> labels;
    const int rows = model_.rowCount();
    const std::vector<int> levels = usedLevels();
    if (rows <= 0 || levels.empty() || !chart()) return labels;
    const QFontMetrics fm(font());
    const QRectF plot = mapFromScene(chart()->mapToScene(chart()->plotArea())).boundingRect();
    int widest = 0;
    for (int r = 1; r <= rows; ++r)
        for (int l : levels) widest = std::max(widest, fm.horizontalAdvance(QString::fromStdString(model_.rowLabel(r, l))));
    const double step = plot.width() / rows;
    // Every k-th label, k the smallest at which neighbouring labels keep apart.
    int k = 1;
    while (k < rows && k * step < widest + kLabelGap) ++k;
    const std::vector<double> ticks = tickPositions();
    for (int r = 1; r <= rows; r += k) {
        Label label;
        label.row = r;
        for (int l : levels) label.lines << QString::fromStdString(model_.rowLabel(r, l));
        const double top = plot.bottom() + kTickLength + 2;
        label.rect = QRectF(ticks[static_cast<std::size_t>(r - 1)] - widest / 2.0, top, widest,
                            static_cast<double>(levels.size()) * fm.lineSpacing());
        labels.push_back(label);
    }
    return labels;
}

void ChartView::drawForeground(QPainter* painter, const QRectF& rect) {
    QChartView::drawForeground(painter, rect);
    if (!chart()) return;
    // Drawn in view coordinates.
    painter->save();
    painter->resetTransform();
    painter->setFont(font());
    painter->setPen(palette().color(QPalette::WindowText));
    const QRectF plot = mapFromScene(chart()->mapToScene(chart()->plotArea())).boundingRect();
    for (double x : tickPositions()) painter->drawLine(QPointF(x, plot.bottom()), QPointF(x, plot.bottom() + kTickLength));
    const int spacing = QFontMetrics(font()).lineSpacing();
    for (const Label& label : drawnLabels())
        for (int i = 0; i < label.lines.size(); ++i)
            painter->drawText(QRectF(label.rect.left(), label.rect.top() + i * spacing, label.rect.width(), spacing),
                              Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextDontClip, label.lines[i]);
    painter->restore();
}

}  // namespace kv::qt
