#include "platform/qt/grid_view.h"

#include <QApplication>
#include <QBrush>
#include <QColor>
#include <QHeaderView>
#include <QMetaObject>
#include <QPalette>

#include "platform/qt/twips.h"

namespace kv::qt {

using kv::controls::CellAlign;
using kv::controls::GridModel;

static QColor toQColor(std::uint32_t rgb) { return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

GridTableModel::GridTableModel(GridModel& grid, QObject* parent) : QAbstractTableModel(parent), grid_(grid) {
    shownRows_ = grid_.rows();
    shownCols_ = grid_.cols();
    grid_.setListener([this](GridModel::Change c) { schedule(c); });
}

GridTableModel::~GridTableModel() { grid_.setListener({}); }

void GridTableModel::schedule(GridModel::Change c) {
    if (c == GridModel::Change::Layout) layoutDirty_ = true;
    else cellsDirty_ = true;
    if (!pending_.exchange(true)) QMetaObject::invokeMethod(this, [this] { flush(); }, Qt::QueuedConnection);
}

void GridTableModel::flush() {
    pending_ = false;
    if (layoutDirty_.exchange(false)) {
        cellsDirty_ = false;
        beginResetModel();
        shownRows_ = grid_.rows();
        shownCols_ = grid_.cols();
        endResetModel();
        Q_EMIT layoutUpdated();
    } else if (cellsDirty_.exchange(false)) {
        if (shownRows_ > 0 && shownCols_ > 0) Q_EMIT dataChanged(index(0, 0), index(shownRows_ - 1, shownCols_ - 1));
    }
}

int GridTableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : shownRows_; }
int GridTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : shownCols_; }

Qt::ItemFlags GridTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

QVariant GridTableModel::data(const QModelIndex& index, int role) const {
    const int r = index.row(), c = index.column();
    // The model may have shrunk since the view last heard of it.
    if (!index.isValid() || r >= grid_.rows() || c >= grid_.cols()) return {};
    const bool fixed = r < grid_.fixedRows() || c < grid_.fixedCols();
    switch (role) {
        case Qt::DisplayRole: return QString::fromStdString(grid_.text(r, c));
        case Qt::BackgroundRole: {
            if (auto b = grid_.backColor(r, c)) return QBrush(toQColor(*b));
            if (fixed) return QBrush(QApplication::palette().color(QPalette::Button));
            return {};
        }
        case Qt::ForegroundRole:
            if (auto f = grid_.foreColor(r, c)) return QBrush(toQColor(*f));
            return {};
        case Qt::TextAlignmentRole:
            switch (grid_.colAlignment(c)) {
                case CellAlign::LeftTop: return int(Qt::AlignLeft | Qt::AlignTop);
                case CellAlign::CenterCenter: return int(Qt::AlignCenter);
                case CellAlign::RightCenter: return int(Qt::AlignRight | Qt::AlignVCenter);
                default: return int(Qt::AlignLeft | Qt::AlignVCenter);
            }
        default: return {};
    }
}

GridView::GridView(GridModel& grid, QWidget* parent) : QTableView(parent) {
    model_ = new GridTableModel(grid, this);
    setModel(model_);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setMinimumSectionSize(0);
    verticalHeader()->setMinimumSectionSize(0);
    verticalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(true);
    connect(model_, &GridTableModel::layoutUpdated, this, &GridView::applyLayout);
    connect(this, &QTableView::clicked, this, [this](const QModelIndex& idx) {
        if (!idx.isValid()) return;
        GridModel& g = model_->grid();
        if (idx.row() < g.rows() && idx.column() < g.cols()) g.click(idx.row(), idx.column());
    });
    applyLayout();
}

void GridView::applyLayout() {
    GridModel& g = model_->grid();
    verticalHeader()->setDefaultSectionSize(twipsToPixels(this, g.defaultRowHeight()));
    const int cols = std::min(g.cols(), model_->columnCount());
    for (int c = 0; c < cols; ++c) setColumnWidth(c, twipsToPixels(this, g.colWidth(c)));
    const int rows = std::min(g.rows(), model_->rowCount());
    for (int r = 0; r < rows; ++r)
        if (g.rowHeightSet(r)) setRowHeight(r, twipsToPixels(this, g.rowHeight(r)));
}

}  // namespace kv::qt
