// A chart view over a ChartModel: bars or lines, one series per model column,
// the rows as categories (row label levels joined by line breaks), the value
// axis fixed or automatic as the model says. Rebuilt once per burst of changes.
#pragma once
#include <atomic>

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

private:
    kv::controls::ChartModel& model_;
    std::atomic<bool> pending_{false};
};

}  // namespace kv::qt
