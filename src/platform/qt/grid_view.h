// A table view over a GridModel: an item model adapter reads the cells straight
// from the model (no per-cell items), fixed rows and columns are painted as
// headers, widths and heights follow the model's twips, and a click on a cell
// reaches the model's click handler. A column is as wide as the model says or
// as its widest text needs, whichever is more; a fixed row made taller than one
// line wraps its texts on its lines; texts are never elided, a dark text on a
// dark cell is drawn white, and a grid wider than its box scrolls. Changes
// made to the model are gathered and shown once control returns to the event
// loop, so filling a 5000 x 20 grid cell by cell stays cheap.
#pragma once
#include <atomic>

#include <QAbstractTableModel>
#include <QTableView>

#include "platform/controls/grid_model.h"

namespace kv::qt {

class GridTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit GridTableModel(kv::controls::GridModel& grid, QObject* parent = nullptr);
    ~GridTableModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    kv::controls::GridModel& grid() { return grid_; }
    // Shows pending changes at once (normally done from the event loop).
    void flush();

Q_SIGNALS:
    void layoutUpdated();

private:
    void schedule(kv::controls::GridModel::Change c);

    kv::controls::GridModel& grid_;
    int shownRows_ = 0, shownCols_ = 0;
    std::atomic<bool> layoutDirty_{false}, cellsDirty_{false}, pending_{false};
};

class GridView : public QTableView {
    Q_OBJECT
public:
    explicit GridView(kv::controls::GridModel& grid, QWidget* parent = nullptr);
    GridTableModel* gridModel() const { return model_; }
    kv::controls::GridModel& grid() const { return model_->grid(); }
    // Applies the model's widths and heights (called after every layout change).
    void applyLayout();
    // Widens columns (and heightens taller fixed rows) to the texts they hold.
    void fitToContents();
    // The space a cell's text keeps from each side of its column.
    int textMargin() const;
    // The lines a row's texts may take (1, or more for a taller fixed row).
    int textLines(int row) const;
    // The width `text` needs in this grid's font when it may wrap on `lines` lines.
    int textWidth(const QString& text, int lines) const;
    // The views that keep the fixed rows (top), fixed columns (left) and their
    // corner in place while the grid scrolls.
    QTableView* frozenRowsView() const { return frozen_[0]; }
    QTableView* frozenColsView() const { return frozen_[1]; }

protected:
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void placeFrozen();
    // Fits the columns now when the grid is on the screen, else when it is shown.
    void refit();
    // measure: widths from the texts; otherwise the model's widths only.
    void fit(bool measure);
    void clickCell(const QModelIndex& idx);

    GridTableModel* model_;
    QTableView* frozen_[3]{};  // fixed rows, fixed columns, corner
    bool fitPending_ = false;
};

}  // namespace kv::qt
