// A tab control with several rows of tabs (a fixed number of tabs per row)
// over a stack of pages. It can follow a TabStripModel: captions and the tab
// shown come from the model, a click on a tab sets the model's current tab.
#pragma once
#include <vector>

#include <QButtonGroup>
#include <QStackedWidget>
#include <QToolButton>
#include <QWidget>

#include "platform/controls/tabstrip_model.h"

namespace kv::qt {

class TabStrip : public QWidget {
    Q_OBJECT
public:
    explicit TabStrip(QWidget* parent = nullptr);
    ~TabStrip() override;

    // Adds a page with its caption; returns its index.
    int addPage(QWidget* page, const QString& caption);
    int count() const { return static_cast<int>(buttons_.size()); }
    QWidget* page(int index) const;
    QString caption(int index) const;
    void setCaption(int index, const QString& caption);
    // 0: every tab in one row.
    void setTabsPerRow(int n);
    int tabsPerRow() const { return perRow_; }
    int rowCount() const;
    int currentIndex() const { return current_; }
    void setCurrentIndex(int index);
    QToolButton* tabButton(int index) const;

    // Follows the model from now on (captions, tabs per row, current tab).
    // The pages must already be added, one per tab of the model.
    void bind(kv::controls::TabStripModel& model);

Q_SIGNALS:
    void currentChanged(int index);

private:
    void relayout();
    void syncFromModel();

    QWidget* tabArea_;
    QStackedWidget* stack_;
    QButtonGroup* group_;
    std::vector<QToolButton*> buttons_;
    int perRow_ = 0;
    int current_ = -1;
    kv::controls::TabStripModel* model_ = nullptr;
};

}  // namespace kv::qt
