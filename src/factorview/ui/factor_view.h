// A factor weight window on screen: the 30 factor tabs (five to a row) with
// their grids and explanation boxes, the nested month-age tabs on F12 with the
// two line charts, and the colour legend below. Read-only; when the load cannot
// read a table the window does not open.
#pragma once
#include <array>
#include <memory>

#include <QPlainTextEdit>

#include "factorview/factor_window.h"
#include "platform/qt/grid_view.h"
#include "platform/qt/show.h"
#include "platform/qt/tabstrip.h"

namespace kv::ui {

class FactorWeightView : public kv::qt::FormWindow {
    Q_OBJECT
public:
    FactorWeightView(const kv::factorview::SurfaceConfig& config, kv::MessageSink& messages,
                     QWidget* parent = nullptr);
    ~FactorWeightView() override;
    // Runs the load; on a failed load the window deletes itself and is never shown.
    void formLoad(std::function<void()> done) override;

    kv::factorview::FactorWeightWindow& logic() { return *logic_; }
    kv::qt::TabStrip* outerTabs() const { return tabs_; }
    kv::qt::TabStrip* nestedTabs() const { return nested_; }
    QWidget* control(const QString& name) const { return findChild<QWidget*>(name); }

protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    QWidget* buildAgePage(const kv::factorview::SurfaceConfig& c);
    void fitLegend();
    QPlainTextEdit* makeBox(QWidget* parent, int k, int left, int top);
    // Makes box k tall enough for its whole text, growing into the free room
    // of its page; a box whose text fits keeps its designed place.
    void fitBox(int k);

    std::unique_ptr<kv::factorview::FactorWeightWindow> logic_;
    kv::qt::TabStrip* tabs_ = nullptr;
    kv::qt::TabStrip* nested_ = nullptr;
    kv::qt::GridView* legend_ = nullptr;
    std::array<QPlainTextEdit*, 31> boxes_{};
    std::array<QRect, 31> designedBoxes_{};  // each box's place from the twips
};

}  // namespace kv::ui
