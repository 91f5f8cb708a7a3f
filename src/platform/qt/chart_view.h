// A chart view over a ChartModel: bars or lines, one series per model column,
// the rows as categories, the value axis fixed or automatic as the model says.
// Rebuilt once per burst of changes.
//
// The category labels are drawn by the view: the label levels of a row stacked
// on separate lines, every label whole; when they do not all fit along the
// axis, every k-th one (k the smallest that fits) under a tick mark for each
// category. Lines of the later columns lie under the earlier ones and are drawn
// wider, so that lines with equal values stay apart.
#pragma once
#include <atomic>
#include <vector>

#include <QColor>
#include <QStringList>
#include <QtCharts/QChartView>

#include "platform/controls/chart_model.h"

namespace kv::qt {

class ChartView : public QChartView {
    Q_OBJECT
public:
    explicit ChartView(kv::controls::ChartModel& model, QWidget* parent = nullptr);
    ~ChartView() override;
    kv::controls::ChartModel& chartModel() const { return model_; }
    // Rebuilds the chart from the model at once.
    void rebuild();
    // The colours of the series, column by column (the theme's where none is given).
    void setSeriesColors(std::vector<QColor> colors);

    // A category label as drawn: its row (1-based), its lines, where (view coordinates).
    struct Label {
        int row = 0;
        QStringList lines;
        QRectF rect;
    };
    // The labels drawn for the chart's present size.
    std::vector<Label> drawnLabels() const;
    // The x position (view coordinates) of each category's tick mark.
    std::vector<double> tickPositions() const;

protected:
    void drawForeground(QPainter* painter, const QRectF& rect) override;

private:
    // The label levels that some row uses, in order.
    std::vector<int> usedLevels() const;

    kv::controls::ChartModel& model_;
    std::vector<QColor> colors_;
    std::atomic<bool> pending_{false};
};

}  // namespace kv::qt
